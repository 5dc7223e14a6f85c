#include "board/editor.h"
#include "io/projectfile.h"
#include "render/glpane.h"
#include "render/panewidget.h"
#include "render/viewlayout.h"
#include "rendertool.h"
#include "settings/ini.h"
#include "settings/settingsfile.h"

#include <QApplication>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace kelmira;

namespace {

constexpr int32_t kMotor = 8;
// The motor's brown, and model-space points on it: the middle of its axis lies inside the
// silhouette of the body seen from any side; the point on its lid is seen from above.
const QColor kMotorBrown(128, 77, 26);
const QVector3D kMotorSide(0, 1.7f, 0);
const QVector3D kMotorLid(1, 2.6f, 1);

struct RunResult {
    int exitCode = -1;
    QString err;
    QString out;
};

RunResult runTool(const QStringList& args,
                  const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(KELMIRA_RENDER_EXE), args);
    if (!p.waitForFinished(120000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardError()),
            QString::fromUtf8(p.readAllStandardOutput())};
}

bool near(const QColor& a, const QColor& b, int tolerance) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

// Whether the colour shows at the point or right beside it (edges may round either way).
bool colourNear(const QImage& img, QPointF at, const QColor& want, int tolerance,
                QString* seen = nullptr) {
    const QPoint c = at.toPoint();
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const QPoint p = c + QPoint(dx, dy);
            if (img.rect().contains(p) && near(img.pixelColor(p), want, tolerance))
                return true;
        }
    if (seen)
        *seen = img.rect().contains(c) ? img.pixelColor(c).name() : QStringLiteral("outside");
    return false;
}

class Source : public FrameSource {
public:
    Source(Board& b, const SceneSettings& s, const CameraState& c, int z)
        : m_board(b), m_settings(s), m_camera(c), m_zoom(z) {}
    Board& frameBoard() override { return m_board; }
    const SceneGeometry& frameScene() const override {
        m_geometry.update(m_board, m_settings);
        return m_geometry;
    }
    SceneSettings frameSettings() const override { return m_settings; }
    const CameraState& frameCamera() const override { return m_camera; }
    int frameZoom() const override { return m_zoom; }

private:
    Board& m_board;
    SceneSettings m_settings;
    CameraState m_camera;
    int m_zoom;
    mutable SceneGeometry m_geometry;
};

} // namespace

class TestRenderTool : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void viewsShowBoardStageAndComponent_data();
    void viewsShowBoardStageAndComponent();
    void sheetHoldsTheFourPanes();
    void settingsColourTheScene();
    void failuresLeaveNoImage_data();
    void failuresLeaveNoImage();
    void damagedProjectWarnsOrFails();
    void notAProjectIsRefused_data();
    void notAProjectIsRefused();
    void matchesTheEditorsPane();
    void rendersWithoutAnyDisplay();
    void repeatedRenderReportsItsTime();

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QImage render(const QStringList& extra, const QString& out);

    QTemporaryDir m_dir;
    QString m_project;
    QVector3D m_motorCell; // scene position of the motor's drawn cell
};

void TestRenderTool::initTestCase() {
    QVERIFY(m_dir.isValid());
    Editor editor;
    editor.PlaceStored(70, 8, 70, 1, kMotor, 0);
    const SaveResult saved = saveProject(editor.board(), path("board"));
    QVERIFY2(saved.ok, qPrintable(saved.message));
    m_project = saved.path;
    const std::vector<int32_t> cells = [&] {
        std::vector<int32_t> v;
        for (int32_t c : editor.board().occupiedCells())
            v.push_back(c);
        return v;
    }();
    QCOMPARE(cells.size(), size_t(1));
    const int x = cells[0] / (kGridSize * kGridSize) + 1, y = cells[0] / kGridSize % kGridSize + 1,
              z = cells[0] % kGridSize + 1;
    m_motorCell = QVector3D(-8, -1, -8) + kCellSpacing * QVector3D(x, y, z);
}

QImage TestRenderTool::render(const QStringList& extra, const QString& out) {
    const RunResult r = runTool(QStringList{m_project, "-o", out} + extra);
    if (r.exitCode != 0)
        qWarning("kelmira-render failed (%d): %s", r.exitCode, qPrintable(r.err));
    return QImage(out);
}

void TestRenderTool::viewsShowBoardStageAndComponent_data() {
    QTest::addColumn<QString>("view");
    QTest::addColumn<int>("pane");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QVector3D>("boardPoint");
    QTest::addColumn<QVector3D>("stagePoint");
    QTest::addColumn<QVector3D>("onMotor");
    QTest::newRow("front png") << "front" << int(Pane::Front) << "front.png" << QByteArray("png")
                               << QVector3D(0, 0.2f, 10) << QVector3D(5, -0.5f, 12) << kMotorSide;
    QTest::newRow("side bmp") << "side" << int(Pane::Side) << "side.bmp" << QByteArray("bmp")
                              << QVector3D(-10, 0.2f, 0) << QVector3D(-12, -0.5f, 5) << kMotorSide;
    QTest::newRow("top jpeg") << "top" << int(Pane::Top) << "top.jpeg" << QByteArray("jpeg")
                              << QVector3D(3, 0.4f, 3) << QVector3D(11, 0, -11) << kMotorLid;
    QTest::newRow("3d jpg") << "3d" << int(Pane::ThreeD) << "3d.jpg" << QByteArray("jpeg")
                            << QVector3D(4, 0.4f, 4) << QVector3D(11, 0, 3) << kMotorLid;
}

void TestRenderTool::viewsShowBoardStageAndComponent() {
    QFETCH(QString, view);
    QFETCH(int, pane);
    QFETCH(QString, file);
    QFETCH(QByteArray, format);
    QFETCH(QVector3D, boardPoint);
    QFETCH(QVector3D, stagePoint);
    QFETCH(QVector3D, onMotor);
    const QSize size(420, 300);
    const QImage img = render({"--view", view, "--size", "420x300"}, path(file));
    QVERIFY(!img.isNull());
    QCOMPARE(img.size(), size);
    QCOMPARE(QImageReader(path(file)).format(), format);
    if (format == "bmp") {
        // Bits per pixel in the header: 24, as the editor's own saved images.
        QFile f(path(file));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray header = f.read(30);
        QCOMPARE(int(uchar(header[28])) | int(uchar(header[29])) << 8, 24);
    }

    const CameraState cam;
    const int tolerance = format == "jpeg" ? 14 : 2;
    auto check = [&](const QVector3D& p, const QColor& want, const char* what) {
        const QPointF px = projectScenePoint(Pane(pane), cam, kZoomStart, size, p);
        QString seen;
        QVERIFY2(colourNear(img, px, want, tolerance, &seen),
                 qPrintable(QStringLiteral("%1 at (%2, %3): found %4")
                                .arg(what)
                                .arg(px.x())
                                .arg(px.y())
                                .arg(seen)));
    };
    check(boardPoint, QColor(0, 128, 0), "board");
    check(stagePoint, QColor(128, 128, 128), "stage");
    check(m_motorCell + onMotor, kMotorBrown, "motor");
    QVERIFY(near(img.pixelColor(1, 1), Qt::black, tolerance));
}

void TestRenderTool::sheetHoldsTheFourPanes() {
    const QSize size(640, 480);
    const QImage sheet = render({"--size", "640x480"}, path("sheet.png"));
    QCOMPARE(sheet.size(), size);
    // Each pane sits in its group box under the caption; the 3D one must be the very picture
    // of a single 3D render at the pane's size.
    const ViewLayout layout = layoutPanes(size.width(), size.height(), ViewMode::Standard);
    for (Pane pane : {Pane::Front, Pane::Side, Pane::Top, Pane::ThreeD}) {
        const PaneBox& b = layout.box(pane);
        const QRect paneRect = QRect(b.left, b.top, b.width, b.height).adjusted(5, 21, -5, -5);
        const QImage single =
            render({"--view", QStringList{"front", "side", "top", "3d"}[int(pane) - 1], "--size",
                    QStringLiteral("%1x%2").arg(paneRect.width()).arg(paneRect.height())},
                   path("single.png"));
        QCOMPARE(sheet.copy(paneRect), single);
    }
    // Outside the panes: the window colour of the editor at its start.
    QCOMPARE(sheet.pixelColor(1, 1), QApplication::palette().color(QPalette::Button));
}

void TestRenderTool::settingsColourTheScene() {
    IniFile ini(path("Settings.ini"));
    ini.setContent("[Form2]\r\nPanel6=255\r\nPanel2=$FF0000\r\nCheckBox1=0\r\n");
    QVERIFY(ini.save());
    const QSize size(300, 200);
    const QImage img =
        render({"--view", "top", "--size", "300x200", "--settings", ini.path()}, path("red.png"));
    QCOMPARE(img.pixelColor(2, 2), QColor(255, 0, 0));
    const CameraState cam;
    auto at = [&](const QVector3D& p) {
        return img.pixelColor(projectScenePoint(Pane::Top, cam, kZoomStart, size, p).toPoint());
    };
    QCOMPARE(at({3, 0.4f, 3}), QColor(0, 0, 255)); // board from Panel2
    QCOMPARE(at({11, 0, -11}), QColor(255, 0, 0)); // no stage: background shows
}

void TestRenderTool::failuresLeaveNoImage_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("inMessage");
    const QString out = m_dir.filePath("fail.png");
    QTest::newRow("missing project")
        << QStringList{path("none.kelmar"), "-o", out} << 1 << "none.kelmar";
    QTest::newRow("project is a folder") << QStringList{m_dir.path(), "-o", out} << 1 << "папка";
    QTest::newRow("bad size") << QStringList{m_project, "-o", out, "--size", "0x5"} << 2
                              << "--size";
    QTest::newRow("unknown view") << QStringList{m_project, "-o", out, "--view", "iso"} << 2
                                  << "iso";
    QTest::newRow("unknown option") << QStringList{m_project, "-o", out, "--fast"} << 2 << "--fast";
    QTest::newRow("missing settings")
        << QStringList{m_project, "-o", out, "--settings", path("no.ini")} << 1 << "no.ini";
    QVERIFY(QDir(m_dir.path()).mkpath("folder.png"));
    QTest::newRow("output is a folder")
        << QStringList{m_project, "-o", path("folder.png")} << 1 << "folder.png";
    QTest::newRow("output folder missing")
        << QStringList{m_project, "-o", path("no/such/dir/x.png")} << 1 << "x.png";
    QTest::newRow("select 0") << QStringList{m_project, "-o", out, "--select", "0"} << 2
                              << "--select";
    QTest::newRow("select past the last component")
        << QStringList{m_project, "-o", out, "--select", "999"} << 1 << "999";
    QTest::newRow("select with a model")
        << QStringList{m_project, "-o", path("fail.glb"), "--select", "1"} << 2 << "--select";
}

void TestRenderTool::failuresLeaveNoImage() {
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, inMessage);
    const RunResult r = runTool(args);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(r.err.contains(inMessage), qPrintable(r.err));
    QVERIFY(!QFileInfo::exists(path("fail.png")));
    // Nothing half-written is left behind either.
    QCOMPARE(QDir(m_dir.path()).entryList({"*fail*"}, QDir::Files), QStringList());
}

void TestRenderTool::damagedProjectWarnsOrFails() {
    QFile f(path("short.kelmar"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("2\r\n70\r\n8\r\n70\r\n1\r\n8\r\n0\r\n40\r\n"); // the second record breaks off
    f.close();
    RunResult r = runTool({f.fileName(), "-o", path("short.png"), "--view", "top"});
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(r.err.contains(QStringLiteral("предупреждение")), qPrintable(r.err));
    QVERIFY(QFileInfo::exists(path("short.png")));

    r = runTool({f.fileName(), "-o", path("strict.png"), "--strict"});
    QCOMPARE(r.exitCode, 1);
    QVERIFY(!QFileInfo::exists(path("strict.png")));

    // An existing picture survives a failed run untouched.
    QFile old(path("keep.png"));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    r = runTool({f.fileName(), "-o", old.fileName(), "--strict"});
    QCOMPARE(r.exitCode, 1);
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("old"));
}

void TestRenderTool::notAProjectIsRefused_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("output");
    QTest::addColumn<bool>("strict");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("inErr"); // empty: nothing on stderr
    const QByteArray motor = "70\r\n8\r\n70\r\n1\r\n8\r\n0\r\n";
    QTest::newRow("empty file") << QByteArray() << "p.png" << false << 1 << "пуст";
    QTest::newRow("blank lines only")
        << QByteArray("\r\n \r\n\t\r\n") << "p.png" << false << 1 << "пуст";
    QTest::newRow("text") << QByteArray("board\r\n1\r\n") << "m.gltf" << false << 1 << "«board»";
    QTest::newRow("picture") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << "p.png" << false
                             << 1 << "строке 1";
    // What still is a project: an empty one, a count after blank lines, and the damaged ones
    // the editor loads in part.
    QTest::newRow("no components") << QByteArray("0\r\n") << "p.png" << true << 0 << "";
    QTest::newRow("negative count") << QByteArray("-2\r\n") << "m.glb" << true << 0 << "";
    QTest::newRow("count after blank lines")
        << QByteArray("\r\n\r\n1\r\n" + motor) << "p.png" << true << 0 << "";
    QTest::newRow("bad value in a record")
        << QByteArray("2\r\n" + motor + "x\r\n") << "m.glb" << false << 0 << "предупреждение";
    QTest::newRow("bad value in a record, strict")
        << QByteArray("2\r\n" + motor + "x\r\n") << "m.glb" << true << 1 << "Invalid numeric";
    QTest::newRow("records missing")
        << QByteArray("3\r\n") << "p.png" << false << 0 << "предупреждение";
}

void TestRenderTool::notAProjectIsRefused() {
    QFETCH(QByteArray, content);
    QFETCH(QString, output);
    QFETCH(bool, strict);
    QFETCH(int, exitCode);
    QFETCH(QString, inErr);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString project = dir.filePath("input.kelmar"), out = dir.filePath(output);
    for (const auto& [name, bytes] :
         {std::pair{project, content}, std::pair{out, QByteArray("old")}}) {
        QFile f(name);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }
    QStringList args{project, "-o", out};
    if (output.endsWith(".png"))
        args << "--view"
             << "top"
             << "--size"
             << "64x48";
    if (strict)
        args << "--strict";
    const RunResult r = runTool(args);
    QCOMPARE(r.exitCode, exitCode);
    if (inErr.isEmpty())
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
    else
        QVERIFY2(r.err.contains(inErr), qPrintable(r.err));
    QFile written(out);
    QVERIFY(written.open(QIODevice::ReadOnly));
    if (exitCode != 0) {
        QVERIFY2(r.err.contains("input.kelmar"), qPrintable(r.err));
        QCOMPARE(written.readAll(), QByteArray("old"));
    } else {
        QVERIFY(written.size() > 3);
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

void TestRenderTool::matchesTheEditorsPane() {
    // A settings file with a plane grid on, so the line width the pane leaves between frames
    // matters too.
    IniFile ini(path("planes.ini"));
    ini.setContent("[Form2]\nCheckBox9=1\nPanel7=$00FFFF\n");
    QVERIFY(ini.save());
    Editor editor;
    QVERIFY(loadProject(editor, m_project).ok());
    QVERIFY(ini.load());
    const SceneSettings settings = sceneSettingsFrom(readStoredSettings(ini));
    CameraState cam;
    cam.CameraYaw = 20;
    cam.CameraPitch = 15;
    cam.CameraPanX = 0.5;
    cam.CameraPanY = -1.5;
    const int zoom = 40;
    Source source(editor.board(), settings, cam, zoom);

    for (Pane pane : {Pane::Front, Pane::Side, Pane::Top, Pane::ThreeD}) {
        PaneWidget widget(pane);
        widget.setFrameSource(&source);
        widget.resize(360, 250);
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        widget.grabFramebuffer();
        const QImage fromEditor = widget.grabFramebuffer().convertToFormat(QImage::Format_RGB32);
        const QSize size = fromEditor.size();
        const QImage fromTool =
            render({"--view", QStringList{"front", "side", "top", "3d"}[int(pane) - 1], "--size",
                    QStringLiteral("%1x%2").arg(size.width()).arg(size.height()), "--settings",
                    ini.path(), "--yaw", "20", "--pitch", "15", "--pan", "0.5,-1.5", "--distance",
                    "40"},
                   path("same.png"))
                .convertToFormat(QImage::Format_RGB32);
        QCOMPARE(fromTool.size(), size);
        QCOMPARE(fromTool, fromEditor);
    }
}

void TestRenderTool::rendersWithoutAnyDisplay() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    const RunResult r =
        runTool({m_project, "-o", path("headless.png"), "--view", "3d", "--size", "300x200"}, env);
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QVERIFY2(r.out.isEmpty(), qPrintable(r.out));
    const QImage headless(path("headless.png"));
    const QImage withDisplay = render({"--view", "3d", "--size", "300x200"}, path("display.png"));
    QCOMPARE(headless, withDisplay);
}

void TestRenderTool::repeatedRenderReportsItsTime() {
    const RunResult r = runTool({m_project, "-o", path("timed.png"), "--view", "front", "--size",
                                 "64x48", "--repeat", "3"});
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(r.out.contains(QStringLiteral("из 3")) &&
                 r.out.contains(QStringLiteral("компонентов: 1")),
             qPrintable(r.out));
    QCOMPARE(QImage(path("timed.png")).size(), QSize(64, 48));
}

QTEST_MAIN(TestRenderTool)
#include "test_rendertool.moc"
