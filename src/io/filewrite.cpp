#include "io/filewrite.h"

#include "core/savefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace kelmira {

namespace {

QString createFailed(const QString& path, const QString& reason) {
    return QStringLiteral("Не удалось создать файл «%1»: %2.").arg(displayPath(path), reason);
}

QString writeFailed(const QString& path, const QString& reason) {
    return QStringLiteral("Не удалось записать файл «%1»: %2.").arg(displayPath(path), reason);
}

bool isCharacterDevice(const QString& path) {
#ifdef Q_OS_UNIX
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISCHR(st.st_mode);
#else
    Q_UNUSED(path);
    return false;
#endif
}

WriteOutcome writeInPlace(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return {false, createFailed(path, russianFileReason(f.errorString()))};
    QString reason;
    if (!writeAllBytes(f, bytes, &reason))
        return {false, writeFailed(path, russianFileReason(reason))};
    f.close();
    if (f.error() != QFileDevice::NoError)
        return {false, writeFailed(path, russianFileReason(f.errorString()))};
    return {};
}

} // namespace

QString displayPath(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QString russianFileReason(const QString& systemText) {
    struct Known {
        int code;
        const char* text;
    };
    static const Known known[] = {
        {ENOENT, "файл или папка не существует"},
        {EACCES, "доступ запрещён"},
        {EPERM, "операция не разрешена"},
        {ENOSPC, "на диске недостаточно места"},
#ifdef EDQUOT
        {EDQUOT, "превышена дисковая квота"},
#endif
        {EROFS, "файловая система доступна только для чтения"},
        {EISDIR, "это папка, а не файл"},
        {ENOTDIR, "часть пути не является папкой"},
        {EFBIG, "файл слишком велик"},
        {ENAMETOOLONG, "слишком длинное имя файла"},
        {EIO, "ошибка ввода-вывода"},
        {EBUSY, "файл занят"},
        {EMFILE, "открыто слишком много файлов"},
        {EINVAL, "недопустимое имя файла"},
    };
    for (const Known& k : known) {
        const QString text = qt_error_string(k.code);
        if (!text.isEmpty() && systemText.contains(text, Qt::CaseInsensitive))
            return QString::fromUtf8(k.text);
    }
    if (systemText.isEmpty())
        return QStringLiteral("неизвестная ошибка");
    return systemText;
}

WriteOutcome writeFileAtomically(const QString& path, const QByteArray& bytes) {
    const QFileInfo info(path);
    const QFileInfo folder(info.absolutePath());
    if (!folder.exists()) {
        return {false, createFailed(path, QStringLiteral("папка «%1» не существует")
                                              .arg(displayPath(folder.filePath())))};
    }
    if (!folder.isDir()) {
        return {false, createFailed(path, QStringLiteral("«%1» не является папкой")
                                              .arg(displayPath(folder.filePath())))};
    }
    if (info.isDir())
        return {false, createFailed(path, QStringLiteral("это папка, а не файл"))};
    if (info.exists() && !info.isFile()) {
        // A device cannot be replaced by renaming a file over it; anything else that is not
        // a regular file (a pipe, a socket) could block or vanish, so it is refused.
        if (isCharacterDevice(path))
            return writeInPlace(path, bytes);
        return {false, createFailed(path, QStringLiteral("это не обычный файл"))};
    }

    // Write through a link to its target instead of replacing the link with a file.
    const QString target = info.isSymLink() ? info.canonicalFilePath() : path;
    const SaveFailure failure = replaceFile(target, bytes);
    if (failure.stage == SaveFailure::Open)
        return {false, createFailed(path, russianFileReason(failure.reason))};
    if (failure.failed())
        return {false, writeFailed(path, russianFileReason(failure.reason))};
    return {};
}

} // namespace kelmira
