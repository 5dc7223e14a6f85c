#include "io/imageexport.h"

#include "io/filewrite.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QImage>
#include <QImageWriter>
#include <QLocale>

namespace kelmira {

namespace {

// The time part of the name: the locale's long time fields with "." between them. The time
// zone is dropped (it was never part of the regional long time) and the hour is written
// without a leading zero, as the regional long time of the platform the names come from did.
QString timeFormatForName(const QLocale& locale) {
    const QString f = locale.timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < f.size(); ++i) {
        const QChar c = f.at(i);
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
            out += c;
            continue;
        }
        if (quoted) {
            out += c;
            continue;
        }
        if (c == QLatin1Char('t') || c == QLatin1Char('H') || c == QLatin1Char('h')) {
            while (i + 1 < f.size() && f.at(i + 1) == c)
                ++i;
            if (c != QLatin1Char('t'))
                out += c;
            continue;
        }
        out += c == QLatin1Char(':') ? QLatin1Char('.') : c;
    }
    out.remove(QStringLiteral("()"));
    return out.simplified();
}

// A short date such as 12/7/26 would otherwise make folders out of the name (or, on other
// systems, an impossible name), so every character a file name cannot hold becomes a ".".
QString fitForFileName(QString s) {
    static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    for (QChar& c : s) {
        if (forbidden.contains(c) || c.unicode() < 0x20)
            c = QLatin1Char('.');
    }
    return s;
}

QByteArray encodeImage(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(image))
        return QByteArray();
    return bytes;
}

ImageResult writeImage(const QImage& image, const QString& path, const char* format) {
    ImageResult result;
    result.path = path;
    // Written as 8-bit RGB so that the BMP comes out 24-bit whatever the source format.
    const QByteArray bytes = encodeImage(image.convertToFormat(QImage::Format_RGB888), format);
    if (bytes.isEmpty()) {
        result.message = QStringLiteral("Не удалось записать файл «%1»: не удалось "
                                        "преобразовать изображение.")
                             .arg(displayPath(path));
        return result;
    }
    const WriteOutcome w = writeFileAtomically(path, bytes);
    result.ok = w.ok;
    result.message = w.message;
    return result;
}

} // namespace

QString screenshotFileName(const QLocale& locale, const QDateTime& when) {
    const QString date = locale.toString(when.date(), QLocale::ShortFormat);
    const QString time = locale.toString(when.time(), timeFormatForName(locale));
    return fitForFileName(QStringLiteral("Screenshot") + date + QLatin1Char('_') + time +
                          QStringLiteral(".bmp"));
}

QString screenshotPath(const QString& programDir, const QLocale& locale, const QDateTime& when) {
    return QDir(programDir)
        .filePath(QStringLiteral("Saves/Screenshots/") + screenshotFileName(locale, when));
}

QString screenshotSavedMessage() {
    return QStringLiteral("Изображение сохранено в папку Saves\\Screenshots !");
}

ImageResult saveScreenshot(const QImage& image, const QString& path) {
    return writeImage(image, path, "bmp");
}

QString imageExtension(int fileType) {
    switch (static_cast<ImageFileType>(fileType)) {
    case ImageFileType::Jpg:
        return QStringLiteral(".jpg");
    case ImageFileType::Jpeg:
        return QStringLiteral(".jpeg");
    case ImageFileType::Bmp:
        return QStringLiteral(".bmp");
    }
    return QString();
}

ImageResult saveImage(const QImage& image, const QString& dialogName, int fileType) {
    const QString ext = imageExtension(fileType);
    if (ext.isEmpty()) {
        ImageResult result;
        result.path = dialogName;
        result.message = QStringLiteral("Не удалось сохранить изображение «%1»: неизвестный тип "
                                        "файла.")
                             .arg(displayPath(dialogName));
        return result;
    }
    const char* format = fileType == static_cast<int>(ImageFileType::Bmp) ? "bmp" : "jpeg";
    return writeImage(image, dialogName + ext, format);
}

} // namespace kelmira
