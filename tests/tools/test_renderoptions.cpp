#include "renderoptions.h"

#include <QTest>

using namespace kelmira;

class TestRenderOptions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void acceptedCommandLines_data();
    void acceptedCommandLines();
    void rejectedCommandLines_data();
    void rejectedCommandLines();
    void helpWinsOverEverything();
};

void TestRenderOptions::acceptedCommandLines_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("view");
    QTest::addColumn<int>("format");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<double>("yaw");
    QTest::addColumn<double>("pitch");
    QTest::addColumn<int>("zoom");
    QTest::addColumn<QPointF>("pan");

    const CameraState start;
    const QPointF startPan(start.CameraPanX, start.CameraPanY);
    const QSize sheet = defaultRenderSize(ViewMode::Standard);
    const QSize pane = defaultRenderSize(ViewMode::Top);
    auto row = [](const char* name) -> QTestData& { return QTest::newRow(name); };

    row("defaults are the editor's start")
        << QStringList{"a.kelmar", "-o", "a.png"} << int(ViewMode::Standard)
        << int(ImageFormat::Png) << sheet << start.CameraYaw << start.CameraPitch << kZoomStart
        << startPan;
    row("single view defaults to one pane's size")
        << QStringList{"a.kelmar", "--view", "top", "-o", "a.JPEG"} << int(ViewMode::Top)
        << int(ImageFormat::Jpeg) << pane << start.CameraYaw << start.CameraPitch << kZoomStart
        << startPan;
    row("every camera option, negative values as separate arguments")
        << QStringList{"--yaw",  "-45.5",  "--pitch", "-10",      "--distance", "0",       "--pan",
                       "-1.5,2", "--view", "3D",      "--output", "x.bmp",      "p.kelmar"}
        << int(ViewMode::ThreeD) << int(ImageFormat::Bmp) << pane << -45.5 << -10.0 << 0
        << QPointF(-1.5, 2);
    row("values after '='") << QStringList{"p.kelmar",       "--output=o.jpg", "--size=1x8192",
                                           "--distance=100", "--view=side",    "--pan=0,0"}
                            << int(ViewMode::Side) << int(ImageFormat::Jpeg) << QSize(1, 8192)
                            << start.CameraYaw << start.CameraPitch << 100 << QPointF(0, 0);
    row("smallest sheet") << QStringList{"p", "-o", "o.png", "--size", "100X100"}
                          << int(ViewMode::Standard) << int(ImageFormat::Png) << QSize(100, 100)
                          << start.CameraYaw << start.CameraPitch << kZoomStart << startPan;
}

void TestRenderOptions::acceptedCommandLines() {
    QFETCH(QStringList, args);
    QFETCH(int, view);
    QFETCH(int, format);
    QFETCH(QSize, size);
    QFETCH(double, yaw);
    QFETCH(double, pitch);
    QFETCH(int, zoom);
    QFETCH(QPointF, pan);
    const ParsedOptions p = parseRenderOptions(args);
    QVERIFY2(p.ok(), qPrintable(p.error));
    QCOMPARE(int(p.options.view), view);
    QCOMPARE(int(p.options.format), format);
    QCOMPARE(p.options.size, size);
    QCOMPARE(p.options.camera.CameraYaw, yaw);
    QCOMPARE(p.options.camera.CameraPitch, pitch);
    QCOMPARE(p.options.zoom, zoom);
    QCOMPARE(QPointF(p.options.camera.CameraPanX, p.options.camera.CameraPanY), pan);
}

void TestRenderOptions::rejectedCommandLines_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("inMessage");
    auto row = [](const char* name) -> QTestData& { return QTest::newRow(name); };
    row("no project") << QStringList{"-o", "a.png"} << "не указан файл проекта";
    row("no output") << QStringList{"a.kelmar"} << "-o";
    row("two projects") << QStringList{"a", "b", "-o", "a.png"} << "больше одного";
    row("output without value") << QStringList{"a", "-o"} << "нет значения";
    row("unknown option") << QStringList{"a", "-o", "a.png", "--zoom", "3"} << "--zoom";
    row("unknown format") << QStringList{"a", "-o", "a.gif"} << "a.gif";
    row("no suffix") << QStringList{"a", "-o", "picture"} << "picture";
    row("unknown view") << QStringList{"a", "-o", "a.png", "--view", "iso"} << "iso";
    for (const char* size : {"0x10", "10x0", "10", "10x", "x10", "-5x10", "8193x10",
                             "99999999999x2", "10x10x10", "abc"})
        QTest::addRow("size %s", size) << QStringList{"a", "-o", "a.png", "--size", size} << size;
    row("sheet too small for its panes")
        << QStringList{"a", "-o", "a.png", "--size", "99x400"} << "слишком мал";
    row("distance above the track bar")
        << QStringList{"a", "-o", "a.png", "--distance", "101"} << "101";
    row("distance below the track bar")
        << QStringList{"a", "-o", "a.png", "--distance", "-1"} << "-1";
    row("distance not whole") << QStringList{"a", "-o", "a.png", "--distance", "2.5"} << "2.5";
    for (const char* yaw : {"nan", "inf", "1e300", "abc", ""})
        QTest::addRow("yaw '%s'", yaw) << QStringList{"a", "-o", "a.png", "--yaw", yaw} << "--yaw";
    for (const char* pan : {"1", "1,2,3", "1;2", "x,1", "1,nan"})
        QTest::addRow("pan %s", pan) << QStringList{"a", "-o", "a.png", "--pan", pan} << pan;
    for (const char* n : {"0", "-2", "100001", "1.5"})
        QTest::addRow("repeat %s", n) << QStringList{"a", "-o", "a.png", "--repeat", n} << n;
    row("empty settings path") << QStringList{"a", "-o", "a.png", "--settings="} << "--settings";
}

void TestRenderOptions::rejectedCommandLines() {
    QFETCH(QStringList, args);
    QFETCH(QString, inMessage);
    const ParsedOptions p = parseRenderOptions(args);
    QVERIFY(!p.ok());
    QVERIFY2(p.error.contains(inMessage), qPrintable(p.error));
}

void TestRenderOptions::helpWinsOverEverything() {
    // Help needs no project or output, and nothing after it is looked at; a bad option
    // before it is still reported.
    QVERIFY(parseRenderOptions({"-h", "--bogus"}).options.help);
    QVERIFY(parseRenderOptions({"--help"}).ok());
    QVERIFY(!parseRenderOptions({"a", "--bogus=1", "--help"}).ok());
}

QTEST_GUILESS_MAIN(TestRenderOptions)
#include "test_renderoptions.moc"
