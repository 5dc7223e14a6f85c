#include "board/board.h"
#include "render/glpane.h"
#include "render/offscreen.h"

#include <QCoreApplication>
#include <QDir>
#include <QTest>

#include <memory>

using namespace kelmira;

Q_DECLARE_METATYPE(kelmira::Pane)
Q_DECLARE_METATYPE(QVector3D)

namespace {

const QSize kSize(240, 180);

QColor toColor(const Rgb& c) {
    return QColor::fromRgbF(c.r, c.g, c.b);
}

bool close(QColor a, QColor b) {
    return qAbs(a.red() - b.red()) <= 2 && qAbs(a.green() - b.green()) <= 2 &&
           qAbs(a.blue() - b.blue()) <= 2;
}

// Lines are thin and rasterisation rounds: accept the colour within one pixel of the point.
bool colourNear(const QImage& img, QPointF p, QColor want, QString* seen) {
    const int cx = int(p.x()), cy = int(p.y());
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const int x = cx + dx, y = cy + dy;
            if (x < 0 || y < 0 || x >= img.width() || y >= img.height())
                continue;
            if (close(img.pixelColor(x, y), want))
                return true;
        }
    if (cx >= 0 && cy >= 0 && cx < img.width() && cy < img.height())
        *seen = img.pixelColor(cx, cy).name();
    else
        *seen = QStringLiteral("outside the image");
    return false;
}

} // namespace

class TestOffscreen : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase() { m_renderer.reset(); }
    void sceneObjectsAtProjectedPoints_data();
    void sceneObjectsAtProjectedPoints();
    void stageOffKeepsBoard_data();
    void stageOffKeepsBoard();
    void backgroundClearsOpaque_data();
    void backgroundClearsOpaque();
    void planeGridAppearsWhenOn();
    void zeroHeightPaneDoesNotFail();
    void headlessContextDrawsTheSamePicture();
    void saveDefaultPanes();
    void modelIcons_data();
    void modelIcons();

private:
    QImage render(Pane pane, const SceneSettings& s, QSize size = kSize) {
        return m_renderer->renderPane(pane, size, FrameInput{m_board, s, m_camera, kZoomStart});
    }

    std::unique_ptr<OffscreenRenderer> m_renderer;
    Board m_board;
    CameraState m_camera;
};

void TestOffscreen::initTestCase() {
    m_renderer = std::make_unique<OffscreenRenderer>();
    if (!m_renderer->isValid())
        QSKIP(qPrintable("no offscreen GL: " + m_renderer->errorString()));
    qInfo() << "offscreen GL" << m_renderer->glVersion() << "backend"
            << (m_renderer->backend() == OffscreenRenderer::Backend::Qt ? "Qt" : "EGL");
}

void TestOffscreen::sceneObjectsAtProjectedPoints_data() {
    QTest::addColumn<Pane>("pane");
    QTest::addColumn<QVector3D>("point");
    QTest::addColumn<QString>("object");
    auto row = [](const char* name, Pane p, QVector3D v, const char* what) {
        QTest::newRow(name) << p << v << QString::fromLatin1(what);
    };
    row("front board face", Pane::Front, {0, 0.2f, 10}, "board");
    row("front stage face", Pane::Front, {0, -0.5f, 12}, "stage");
    row("front stage outline", Pane::Front, {6, -1, 12}, "outline");
    row("front OX", Pane::Front, {12.6f, 0, 0}, "OX");
    row("front OZ", Pane::Front, {0, 5, 0}, "OZ");
    row("side board face", Pane::Side, {-10, 0.2f, 0}, "board");
    row("side stage face", Pane::Side, {-12, -0.5f, 0}, "stage");
    row("side stage outline", Pane::Side, {-12, -1, 6}, "outline");
    row("side OY", Pane::Side, {0, 0, 12.6f}, "OY");
    row("side OZ", Pane::Side, {0, 5, 0}, "OZ");
    row("top board", Pane::Top, {3, 0.4f, 3}, "board");
    row("top stage", Pane::Top, {11, 0, -11}, "stage");
    row("top stage outline", Pane::Top, {12, 0, 5}, "outline");
    row("top OX", Pane::Top, {12.6f, 0, 0}, "OX");
    row("top OY", Pane::Top, {0, 0, 12.6f}, "OY");
    row("3D board", Pane::ThreeD, {4, 0.4f, 4}, "board");
    row("3D stage", Pane::ThreeD, {11, 0, 3}, "stage");
    row("3D board outline", Pane::ThreeD, {-10, 0.4f, 10}, "outline");
    row("3D OX", Pane::ThreeD, {13, 0, 0}, "OX");
    row("3D OY", Pane::ThreeD, {0, 0, 13}, "OY");
    row("3D OZ", Pane::ThreeD, {0, 8, 0}, "OZ");
}

void TestOffscreen::sceneObjectsAtProjectedPoints() {
    QFETCH(Pane, pane);
    QFETCH(QVector3D, point);
    QFETCH(QString, object);
    const SceneSettings s;
    const QImage img = render(pane, s);
    QVERIFY(!img.isNull());
    const QHash<QString, QColor> colours{
        {"board", toColor(s.boardColor)},     {"stage", toColor(s.stageColor)},
        {"outline", QColor(204, 204, 204)},   {"OX", toColor(s.axisXColor)},
        {"OY", toColor(s.axisYColor)},        {"OZ", toColor(s.axisZColor)},
        {"background", toColor(s.background)}};
    const QPointF px = projectScenePoint(pane, m_camera, kZoomStart, kSize, point);
    QString seen;
    QVERIFY2(colourNear(img, px, colours.value(object), &seen),
             qPrintable(QStringLiteral("%1 expected at (%2, %3), found %4")
                            .arg(object)
                            .arg(px.x())
                            .arg(px.y())
                            .arg(seen)));
    // The corner is never covered by the scene.
    QCOMPARE(img.pixelColor(1, 1), toColor(s.background));
}

void TestOffscreen::stageOffKeepsBoard_data() {
    QTest::addColumn<Pane>("pane");
    QTest::addColumn<QVector3D>("stagePoint");
    QTest::addColumn<QVector3D>("boardPoint");
    QTest::newRow("front") << Pane::Front << QVector3D(5, -0.5f, 12) << QVector3D(0, 0.2f, 10);
    QTest::newRow("side") << Pane::Side << QVector3D(-12, -0.5f, 5) << QVector3D(-10, 0.2f, 0);
    QTest::newRow("top") << Pane::Top << QVector3D(11, 0, -11) << QVector3D(3, 0.4f, 3);
}

void TestOffscreen::stageOffKeepsBoard() {
    QFETCH(Pane, pane);
    QFETCH(QVector3D, stagePoint);
    QFETCH(QVector3D, boardPoint);
    SceneSettings s;
    s.stage = false;
    const QImage img = render(pane, s);
    const QPointF sp = projectScenePoint(pane, m_camera, kZoomStart, kSize, stagePoint);
    const QPointF bp = projectScenePoint(pane, m_camera, kZoomStart, kSize, boardPoint);
    QCOMPARE(img.pixelColor(sp.toPoint()), toColor(s.background));
    QCOMPARE(img.pixelColor(bp.toPoint()), toColor(s.boardColor));
    // Nothing of the stage's colour or its outline is left anywhere.
    const QColor stage = toColor(s.stageColor);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixelColor(x, y) == stage)
                QFAIL(qPrintable(QStringLiteral("stage colour at %1,%2").arg(x).arg(y)));
}

void TestOffscreen::backgroundClearsOpaque_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<QColor>("expected");
    QTest::newRow("red c = 255") << 255 << QColor(255, 0, 0);
    QTest::newRow("blue") << 0xFF0000 << QColor(0, 0, 255);
    QTest::newRow("grey with high byte set") << int(0xFF808080u) << QColor(128, 128, 128);
}

void TestOffscreen::backgroundClearsOpaque() {
    QFETCH(int, value);
    QFETCH(QColor, expected);
    SceneSettings s;
    s.background = rgbFromColorValue(value);
    for (Pane pane : {Pane::Front, Pane::ThreeD}) {
        const QImage img = render(pane, s);
        QCOMPARE(img.pixelColor(2, 2).rgb(), expected.rgb());
        // A see-through pane would be composited over whatever lies behind it.
        QCOMPARE(qAlpha(img.pixel(2, 2)), 255);
        QCOMPARE(qAlpha(img.pixel(img.width() / 2, img.height() / 2)), 255);
    }
}

void TestOffscreen::planeGridAppearsWhenOn() {
    SceneSettings s;
    s.planeColor = {1, 1, 0};
    const QVector3D onGrid(5, 5, 0); // crossing of two XZ lines above the board
    const QPointF px = projectScenePoint(Pane::Front, m_camera, kZoomStart, kSize, onGrid);
    QString seen;
    QVERIFY(!colourNear(render(Pane::Front, s), px, QColor(255, 255, 0), &seen));
    s.planeXZ = true;
    QVERIFY2(colourNear(render(Pane::Front, s), px, QColor(255, 255, 0), &seen), qPrintable(seen));
    // The XZ plane is not one of the top pane's.
    const QPointF top = projectScenePoint(Pane::Top, m_camera, kZoomStart, kSize, {5, 0.5f, 5});
    QVERIFY(!colourNear(render(Pane::Top, s), top, QColor(255, 255, 0), &seen));
    s.planeXY = true;
    QVERIFY2(colourNear(render(Pane::Top, s), top, QColor(255, 255, 0), &seen), qPrintable(seen));
}

void TestOffscreen::zeroHeightPaneDoesNotFail() {
    // The projection of a squeezed pane stays finite, and a 1-pixel render still works.
    const QMatrix4x4 m = paneProjection(300, 0);
    for (int i = 0; i < 16; ++i)
        QVERIFY(qIsFinite(m.constData()[i]));
    const QImage img = render(Pane::ThreeD, SceneSettings{}, QSize(300, 1));
    QCOMPARE(img.size(), QSize(300, 1));
    QVERIFY(render(Pane::ThreeD, SceneSettings{}, QSize(300, 0)).isNull());
}

// The surfaceless context serves a renderer without any display; it must draw what a pane
// shows, pixel for pixel, and keep working next to the other context.
void TestOffscreen::headlessContextDrawsTheSamePicture() {
    OffscreenRenderer egl(OffscreenRenderer::Choice::EglOnly);
    if (!egl.isValid())
        QSKIP(qPrintable("no surfaceless EGL: " + egl.errorString()));
    QCOMPARE(egl.backend(), OffscreenRenderer::Backend::Egl);
    SceneSettings s;
    s.planeXY = true;
    for (Pane pane : {Pane::Side, Pane::ThreeD}) {
        const FrameInput in{m_board, s, m_camera, 30};
        const QImage a = egl.renderPane(pane, kSize, in);
        const QImage b = m_renderer->renderPane(pane, kSize, in);
        QVERIFY(!a.isNull());
        QCOMPARE(a, b);
    }
}

void TestOffscreen::saveDefaultPanes() {
    const QString dir = QCoreApplication::applicationDirPath() + "/render-artefacts";
    QVERIFY(QDir().mkpath(dir));
    const char* names[4] = {"front", "side", "top", "3d"};
    for (Pane pane : {Pane::Front, Pane::Side, Pane::Top, Pane::ThreeD}) {
        const QImage img = render(pane, SceneSettings{}, QSize(470, 370));
        QVERIFY(img.save(dir + "/pane-" + names[int(pane) - 1] + ".png"));
    }
    const QImage sheet =
        m_renderer->renderSheet(QSize(960, 780), FrameInput{m_board, {}, m_camera, kZoomStart});
    QVERIFY(sheet.save(dir + "/sheet.png"));

    Board board;
    board.PlaceComponent(35, 5, 2, 1, 11, 0);
    board.PlaceComponent(60, 5, 60, 1, 1, 1);
    board.PlaceComponent(100, 5, 100, 1, 21, 2);
    board.PlaceComponent(80, 5, 30, 1, 31, -1);
    const QImage placed =
        m_renderer->renderSheet(QSize(960, 780), FrameInput{board, {}, m_camera, 15});
    QVERIFY(placed.save(dir + "/sheet-components.png"));
}

void TestOffscreen::modelIcons_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("drawn");
    for (int kind : {1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 21, 22, 23, 24, 31, 32, 33, 34})
        QTest::addRow("kind %d", kind) << kind << true;
    QTest::newRow("unknown kind") << 10 << false;
}

// A menu picture shows its model, fitted: something drawn, and nothing cut at the border.
void TestOffscreen::modelIcons() {
    QFETCH(int, kind);
    QFETCH(bool, drawn);
    const QImage icon = m_renderer->renderModelIcon(kind, QSize(48, 48));
    QCOMPARE(icon.size(), QSize(48, 48));
    int covered = 0, onBorder = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x)
            if ((icon.pixel(x, y) & 0xFFFFFF) != 0) {
                ++covered;
                if (x == 0 || y == 0 || x == 47 || y == 47)
                    ++onBorder;
            }
    if (!drawn) {
        QCOMPARE(covered, 0);
        return;
    }
    QVERIFY2(covered > 40, qPrintable(QString::number(covered))); // a wire is one line
    QCOMPARE(onBorder, 0);
}

QTEST_MAIN(TestOffscreen)
#include "test_offscreen.moc"
