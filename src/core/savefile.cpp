#include "core/savefile.h"

#include <QSaveFile>

#include <cerrno>

namespace kelmira {

bool writeAllBytes(QFileDevice& device, const QByteArray& bytes, QString* reason) {
    errno = 0;
    const qint64 n = device.write(bytes);
    const int savedErrno = errno;
    if (n == bytes.size())
        return true;
    *reason = device.error() == QFileDevice::NoError && savedErrno != 0
                  ? qt_error_string(savedErrno)
                  : device.errorString();
    return false;
}

SaveFailure replaceFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    // Unbuffered: a buffered save file can report a write that the disk cut short as written
    // and then commit the truncated copy over the old file; unbuffered, a failing write also
    // reports the system's reason at once.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return {SaveFailure::Open, file.errorString()};
    QString reason;
    if (!writeAllBytes(file, bytes, &reason)) {
        file.cancelWriting();
        return {SaveFailure::Write, reason};
    }
    if (!file.commit())
        return {SaveFailure::Commit, file.errorString()};
    return {};
}

} // namespace kelmira
