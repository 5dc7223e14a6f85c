#pragma once

#include <QString>

class QDateTime;
class QImage;
class QLocale;

namespace kelmira {

struct ImageResult {
    bool ok = false;
    QString path;
    QString message; // the Russian error; empty on success
};

// "Screenshot" + short date + "_" + long time with "." between its fields + ".bmp".
QString screenshotFileName(const QLocale& locale, const QDateTime& when);
// <programDir>/Saves/Screenshots/<screenshotFileName>.
QString screenshotPath(const QString& programDir, const QLocale& locale, const QDateTime& when);
// The text shown after a screenshot was written.
QString screenshotSavedMessage();

// Writes an uncompressed BMP, replacing a file of that name. The folder is never created.
ImageResult saveScreenshot(const QImage& image, const QString& path);

// File types of the save-picture dialog, by position in its filter.
enum class ImageFileType { Jpg = 1, Jpeg = 2, Bmp = 3 };
// ".jpg", ".jpeg", ".bmp"; empty for a position outside the filter.
QString imageExtension(int fileType);
// Saves the view area under the dialog's name with the type's extension appended, always:
// a 24-bit uncompressed BMP, or a JPEG for the two JPEG types.
ImageResult saveImage(const QImage& image, const QString& dialogName, int fileType);

} // namespace kelmira
