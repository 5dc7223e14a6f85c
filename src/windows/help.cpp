#include "windows/help.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace kelmira {

QString helpPagePath() {
    return QDir::current().absoluteFilePath(QStringLiteral("help/index.html"));
}

bool openHelp() {
    const QString page = helpPagePath();
    if (!QFileInfo(page).isFile())
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(page));
}

} // namespace kelmira
