#include "settings/recentprojects.h"

#include <QDir>
#include <QFileInfo>

namespace kelmira {

namespace {

QString normalised(const QString& path) {
    return path.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

QStringList withRecentProject(const QStringList& list, const QString& path) {
    const QString first = normalised(path);
    QStringList out;
    if (!first.isEmpty())
        out.append(first);
    for (const QString& entry : list) {
        if (out.size() >= kRecentProjectsLimit)
            break;
        const QString e = normalised(entry);
        if (!e.isEmpty() && !out.contains(e))
            out.append(e);
    }
    return out;
}

QStringList withoutRecentProject(const QStringList& list, const QString& path) {
    const QString gone = normalised(path);
    QStringList out;
    for (const QString& entry : list)
        if (normalised(entry) != gone)
            out.append(entry);
    return out;
}

} // namespace kelmira
