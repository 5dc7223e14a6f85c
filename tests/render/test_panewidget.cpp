#include "board/board.h"
#include "render/glpane.h"
#include "render/panewidget.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

using namespace kelmira;

Q_DECLARE_METATYPE(kelmira::MouseButton)

namespace {

class Source : public FrameSource {
public:
    Board board;
    SceneSettings settings;
    CameraState camera;
    int zoom = kZoomStart;
    int asked = 0;
    mutable SceneGeometry geometry;

    Board& frameBoard() override { return board; }
    // As the main window's tick would, before the pane reads it.
    const SceneGeometry& frameScene() const override {
        geometry.update(const_cast<Board&>(board), settings);
        return geometry;
    }
    SceneSettings frameSettings() const override {
        ++const_cast<Source*>(this)->asked;
        return settings;
    }
    const CameraState& frameCamera() const override { return camera; }
    int frameZoom() const override { return zoom; }
};

QColor toColor(const Rgb& c) {
    return QColor::fromRgbF(c.r, c.g, c.b);
}

} // namespace

class TestPaneWidget : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void drawsItsPaneInDevicePixels();
    void followsTheSourceAtTheNextPaint();
    void survivesReparenting();
    void mouseEventsBecomeSignals();
    void wheelGoesToTheParent();
    void tickRunsPresentationStep();
};

// Runs at a device pixel ratio of 2 (see main): a viewport in logical pixels would draw the
// scene into the lower-left quarter only, and the projected points would miss.
void TestPaneWidget::drawsItsPaneInDevicePixels() {
    Source src;
    src.settings.background = rgbFromColorValue(255);
    PaneWidget w(Pane::Front);
    QCOMPARE(w.format().depthBufferSize(), 24);
    w.setFrameSource(&src);
    w.resize(240, 180);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QImage img = w.grabFramebuffer();
    const qreal dpr = w.devicePixelRatioF();
    QCOMPARE(dpr, 2.0);
    QCOMPARE(img.size(), QSize(qRound(240 * dpr), qRound(180 * dpr)));
    QCOMPARE(img.pixelColor(1, 1), QColor(255, 0, 0));
    QCOMPARE(qAlpha(img.pixel(1, 1)), 255);
    for (QVector3D p : {QVector3D(-8, 0.2f, 10), QVector3D(8, 0.2f, 10)}) {
        const QPointF px = projectScenePoint(Pane::Front, src.camera, src.zoom, img.size(), p);
        QCOMPARE(img.pixelColor(px.toPoint()), toColor(src.settings.boardColor));
    }
}

void TestPaneWidget::followsTheSourceAtTheNextPaint() {
    Source src;
    PaneWidget w(Pane::ThreeD);
    w.resize(200, 150);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    // Without a source the pane shows a plain background.
    QCOMPARE(w.grabFramebuffer().pixelColor(100, 75), QColor(0, 0, 0));
    w.setFrameSource(&src);
    const QImage before = w.grabFramebuffer();
    src.camera.CameraYaw += 90;
    src.settings.boardColor = {0, 0, 1};
    const QImage after = w.grabFramebuffer();
    QVERIFY(before != after);
    const QPointF px =
        projectScenePoint(Pane::ThreeD, src.camera, src.zoom, after.size(), {2, 0.4f, 2});
    QCOMPARE(after.pixelColor(px.toPoint()), QColor(0, 0, 255));
    QVERIFY(src.asked >= 2);
}

// A re-parented QOpenGLWidget gets a fresh context: the pane must draw its arrowheads again
// with a quadric of the new context, not the old one's.
void TestPaneWidget::survivesReparenting() {
    Source src;
    QWidget a, b;
    auto* w = new PaneWidget(Pane::Top, &a);
    w->setFrameSource(&src);
    w->resize(240, 180);
    a.resize(240, 180);
    b.resize(240, 180);
    a.show();
    b.show();
    QVERIFY(QTest::qWaitForWindowExposed(&a));
    const QImage first = w->grabFramebuffer();
    w->setParent(&b);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(&b));
    const QImage second = w->grabFramebuffer();
    QCOMPARE(second, first);
    delete w;
}

void TestPaneWidget::mouseEventsBecomeSignals() {
    PaneWidget w(Pane::ThreeD);
    w.resize(200, 150);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QSignalSpy pressed(&w, &PaneWidget::mousePressed);
    QSignalSpy moved(&w, &PaneWidget::mouseMoved);
    QSignalSpy released(&w, &PaneWidget::mouseReleased);

    QMouseEvent hover(QEvent::MouseMove, QPointF(30, 40), w.mapToGlobal(QPointF(30, 40)),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &hover); // no button held: still reported
    QVERIFY(!moved.isEmpty());
    QCOMPARE(moved.last().at(0).toInt(), 30);
    QCOMPARE(moved.last().at(1).toInt(), 40);

    QTest::mousePress(&w, Qt::RightButton, {}, QPoint(10, 20));
    QCOMPARE(pressed.size(), 1);
    QCOMPARE(pressed[0][0].value<MouseButton>(), MouseButton::Right);
    QCOMPARE(pressed[0][1].toInt(), 10);
    QCOMPARE(pressed[0][2].toInt(), 20);
    QTest::mouseRelease(&w, Qt::RightButton, {}, QPoint(12, 22));
    QCOMPARE(released.size(), 1);
    QCOMPARE(released[0][0].value<MouseButton>(), MouseButton::Right);
    QTest::mouseClick(&w, Qt::MiddleButton, {}, QPoint(5, 5));
    QCOMPARE(pressed.last().at(0).value<MouseButton>(), MouseButton::Other);
}

// The main window zooms on the wheel wherever the cursor is: the pane must leave the event
// unaccepted so that it travels on to its parents.
void TestPaneWidget::wheelGoesToTheParent() {
    PaneWidget w(Pane::ThreeD);
    QWheelEvent e(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, 120), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    e.accept();
    QApplication::sendEvent(&w, &e);
    QVERIFY(!e.isAccepted());
}

void TestPaneWidget::tickRunsPresentationStep() {
    CameraState cam;
    cam.CameraYaw = 359.9;
    SceneSettings s;
    s.presentation = true;
    PaneWidget w(Pane::ThreeD);
    advanceFrame(cam, s, {&w, nullptr});
    QCOMPARE(cam.CameraYaw, 0.0);
    advanceFrame(cam, s, {});
    QVERIFY(qAbs(cam.CameraYaw - 0.3) < 1e-12);
}

int main(int argc, char** argv) {
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestPaneWidget t;
    return QTest::qExec(&t, argc, argv);
}

#include "test_panewidget.moc"
