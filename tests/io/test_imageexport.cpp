#include "io/imageexport.h"
#include "io_test_util.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace kelmira;
using namespace kelmira::testutil;

namespace {

QImage sample(QImage::Format format) {
    QImage img(37, 21, format); // odd width: BMP rows need padding
    img.fill(QColor(10, 120, 230));
    img.setPixelColor(0, 0, QColor(255, 0, 0));
    return img;
}

int bmpBitCount(const QByteArray& b) {
    return qFromLittleEndian<quint16>(b.constData() + 28);
}
int bmpCompression(const QByteArray& b) {
    return qFromLittleEndian<quint32>(b.constData() + 30);
}

} // namespace

class TestImageExport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void screenshotName_data();
    void screenshotName();
    void screenshotIsWrittenOnlyIntoExistingFolder();
    void savedImage_data();
    void savedImage();
    void savedImageIntoMissingFolder();
};

void TestImageExport::screenshotName_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QString>("name");

    QTest::newRow("ru_RU early") << "ru_RU" << QTime(2, 15, 0)
                                 << "Screenshot07.12.2026_2.15.00.bmp";
    QTest::newRow("ru_RU afternoon")
        << "ru_RU" << QTime(14, 5, 9) << "Screenshot07.12.2026_14.05.09.bmp";
    // The US short date is 12/7/26; its slashes must not turn into folders.
    QTest::newRow("en_US") << "en_US" << QTime(2, 15, 0) << "Screenshot12.7.26_2.15.00 AM.bmp";
    QTest::newRow("en_US afternoon")
        << "en_US" << QTime(14, 5, 9) << "Screenshot12.7.26_2.05.09 PM.bmp";
    QTest::newRow("de_DE") << "de_DE" << QTime(2, 15, 0) << "Screenshot07.12.26_2.15.00.bmp";
}

void TestImageExport::screenshotName() {
    QFETCH(QString, locale);
    QFETCH(QTime, time);
    QFETCH(QString, name);
    const QDateTime when(QDate(2026, 12, 7), time);
    QCOMPARE(screenshotFileName(QLocale(locale), when), name);
    QCOMPARE(screenshotPath(QStringLiteral("/opt/kelmira"), QLocale(locale), when),
             QStringLiteral("/opt/kelmira/Saves/Screenshots/") + name);
}

void TestImageExport::screenshotIsWrittenOnlyIntoExistingFolder() {
    QTemporaryDir dir;
    const QDateTime when(QDate(2026, 12, 7), QTime(2, 15, 0));
    const QString path = screenshotPath(dir.path(), QLocale(QStringLiteral("ru_RU")), when);

    const ImageResult missing = saveScreenshot(sample(QImage::Format_RGB32), path);
    QVERIFY(!missing.ok);
    QVERIFY2(missing.message.contains(QDir::toNativeSeparators(path)), qPrintable(missing.message));
    QVERIFY2(missing.message.contains(QStringLiteral("не существует")),
             qPrintable(missing.message));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("Saves"))));

    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("Saves/Screenshots")));
    QVERIFY(writeAll(path, "older screenshot of the same second"));
    const ImageResult written = saveScreenshot(sample(QImage::Format_RGB32), path);
    QVERIFY2(written.ok, qPrintable(written.message));
    const QByteArray bytes = readAll(path);
    QVERIFY(bytes.startsWith("BM"));
    QCOMPARE(bmpCompression(bytes), 0);
    QCOMPARE(QImage(path).size(), QSize(37, 21));
}

void TestImageExport::savedImage_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("fileType");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QImage::Format>("source");

    QTest::newRow("bmp") << "view" << 3 << "view.bmp" << QImage::Format_RGB32;
    QTest::newRow("bmp twice") << "view.bmp" << 3 << "view.bmp.bmp" << QImage::Format_RGB32;
    QTest::newRow("bmp from alpha") << "view" << 3 << "view.bmp" << QImage::Format_ARGB32;
    QTest::newRow("jpg") << "view" << 1 << "view.jpg" << QImage::Format_RGB32;
    QTest::newRow("jpeg") << "view.jpg" << 2 << "view.jpg.jpeg" << QImage::Format_RGB32;
}

void TestImageExport::savedImage() {
    QFETCH(QString, typed);
    QFETCH(int, fileType);
    QFETCH(QString, written);
    QFETCH(QImage::Format, source);
    QTemporaryDir dir;
    const QImage img = sample(source);

    const ImageResult r = saveImage(img, dir.filePath(typed), fileType);
    QVERIFY2(r.ok, qPrintable(r.message));
    QCOMPARE(r.path, dir.filePath(written));
    const QByteArray bytes = readAll(r.path);
    if (fileType == 3) {
        QVERIFY(bytes.startsWith("BM"));
        QCOMPARE(bmpBitCount(bytes), 24);
        QCOMPARE(bmpCompression(bytes), 0);
        const QImage back(r.path);
        QCOMPARE(back.convertToFormat(QImage::Format_RGB32),
                 img.convertToFormat(QImage::Format_RGB32));
    } else {
        QVERIFY(bytes.startsWith("\xFF\xD8\xFF"));
        const QImage back = QImage::fromData(bytes, "JPEG");
        QCOMPARE(back.size(), img.size());
        QVERIFY(qAbs(back.pixelColor(20, 10).blue() - 230) < 16);
    }
}

void TestImageExport::savedImageIntoMissingFolder() {
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("nowhere/view"));
    const ImageResult r = saveImage(sample(QImage::Format_RGB32), name, 1);
    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(QDir::toNativeSeparators(name + QStringLiteral(".jpg"))),
             qPrintable(r.message));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("nowhere"))));
}

QTEST_GUILESS_MAIN(TestImageExport)
#include "test_imageexport.moc"
