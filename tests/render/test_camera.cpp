#include "render/camera.h"

#include <QTest>

using namespace kelmira;

Q_DECLARE_METATYPE(kelmira::MouseButton)

class TestCamera : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startValues();
    void zoom_data();
    void zoom();
    void wheel_data();
    void wheel();
    void drag_data();
    void drag();
    void pressResetsDragOrigin();
    void cursorFollowsRightButton();
    void presentation_data();
    void presentation();
    void presentationRunsToFullTurnAndRestartsAtZero();
};

void TestCamera::startValues() {
    const CameraState cam;
    QCOMPARE(cam.CameraYaw, -30.0);
    QCOMPARE(cam.CameraPitch, 0.0);
    QCOMPARE(cam.CameraPanX, 0.0);
    QCOMPARE(cam.CameraPanY, -1.0);
    QVERIFY(!cam.RotateDrag && !cam.PanDrag);
}

void TestCamera::zoom_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("ins");
    QTest::addColumn<int>("outs");
    QTest::addColumn<int>("expected");
    QTest::newRow("five in from start") << kZoomStart << 5 << 0 << 20;
    QTest::newRow("in at 0 stays") << 0 << 1 << 0 << 0;
    QTest::newRow("out at 100 stays") << 100 << 0 << 1 << 100;
    QTest::newRow("many in stops at 0") << 3 << 10 << 0 << 0;
    QTest::newRow("many out stops at 100") << 97 << 0 << 10 << 100;
    QTest::newRow("out of range value is clamped first") << 250 << 1 << 0 << 99;
    QTest::newRow("in then out returns") << 25 << 4 << 4 << 25;
}

void TestCamera::zoom() {
    QFETCH(int, start);
    QFETCH(int, ins);
    QFETCH(int, outs);
    QFETCH(int, expected);
    int p = start;
    for (int i = 0; i < ins; ++i)
        p = zoomIn(p);
    for (int i = 0; i < outs; ++i)
        p = zoomOut(p);
    QCOMPARE(p, expected);
}

void TestCamera::wheel_data() {
    QTest::addColumn<QList<int>>("deltas");
    QTest::addColumn<QList<int>>("notches"); // per delta: + up, - down
    QTest::addColumn<int>("rest");
    QTest::newRow("one notch up") << QList<int>{120} << QList<int>{1} << 0;
    QTest::newRow("one notch down") << QList<int>{-120} << QList<int>{-1} << 0;
    QTest::newRow("halves add up") << QList<int>{60, 60} << QList<int>{0, 1} << 0;
    QTest::newRow("fine steps") << QList<int>{40, 40, 40, 40} << QList<int>{0, 0, 1, 0} << 40;
    QTest::newRow("remainder carried") << QList<int>{200, 40} << QList<int>{1, 1} << 0;
    QTest::newRow("big delta gives several") << QList<int>{370} << QList<int>{3} << 10;
    QTest::newRow("turn back eats remainder")
        << QList<int>{90, -90, -120} << QList<int>{0, 0, -1} << 0;
    QTest::newRow("partial down then up") << QList<int>{-100, 100, 120} << QList<int>{0, 0, 1} << 0;
    QTest::newRow("down remainder") << QList<int>{-250} << QList<int>{-2} << -10;
}

void TestCamera::wheel() {
    QFETCH(QList<int>, deltas);
    QFETCH(QList<int>, notches);
    QFETCH(int, rest);
    WheelAccumulator acc;
    for (int i = 0; i < deltas.size(); ++i)
        QCOMPARE(acc.feed(deltas[i]), notches[i]);
    QCOMPARE(acc.remainder(), rest);
}

void TestCamera::drag_data() {
    QTest::addColumn<MouseButton>("button");
    QTest::addColumn<int>("dx");
    QTest::addColumn<int>("dy");
    QTest::addColumn<double>("yaw");
    QTest::addColumn<double>("pitch");
    QTest::addColumn<double>("panX");
    QTest::addColumn<double>("panY");
    QTest::newRow("left 10 right 4 down")
        << MouseButton::Left << 10 << 4 << -20.0 << 2.0 << 0.0 << -1.0;
    QTest::newRow("left odd pixel is half a degree")
        << MouseButton::Left << -3 << 3 << -33.0 << 1.5 << 0.0 << -1.0;
    QTest::newRow("right 30/30") << MouseButton::Right << 30 << 30 << -30.0 << 0.0 << -1.0 << 0.0;
    QTest::newRow("right up-left")
        << MouseButton::Right << -15 << -60 << -30.0 << 0.0 << 0.5 << -3.0;
    QTest::newRow("middle changes nothing")
        << MouseButton::Other << 50 << 50 << -30.0 << 0.0 << 0.0 << -1.0;
}

void TestCamera::drag() {
    QFETCH(MouseButton, button);
    QFETCH(int, dx);
    QFETCH(int, dy);
    CameraState cam;
    cameraPress(cam, button, 100, 200);
    // Two moves: the drag accumulates from the last position, not from the press.
    cameraMove(cam, 100 + dx / 2, 200 + dy / 2);
    cameraMove(cam, 100 + dx, 200 + dy);
    cameraRelease(cam, button);
    QFETCH(double, yaw);
    QFETCH(double, pitch);
    QFETCH(double, panX);
    QFETCH(double, panY);
    QCOMPARE(cam.CameraYaw, yaw);
    QCOMPARE(cam.CameraPitch, pitch);
    QVERIFY(qAbs(cam.CameraPanX - panX) < 1e-12);
    QVERIFY(qAbs(cam.CameraPanY - panY) < 1e-12);
    QVERIFY(!cam.RotateDrag && !cam.PanDrag);
    // After the release, moves only follow the mouse.
    cameraMove(cam, 0, 0);
    QCOMPARE(cam.CameraYaw, yaw);
    QVERIFY(qAbs(cam.CameraPanX - panX) < 1e-12);
    QCOMPARE(cam.LastMouseX, 0);
}

void TestCamera::pressResetsDragOrigin() {
    CameraState cam;
    cameraMove(cam, 500, 500); // hover without a button: origin moves, camera does not
    QCOMPARE(cam.CameraYaw, -30.0);
    QCOMPARE(cam.LastMouseX, 500);
    cameraPress(cam, MouseButton::Left, 10, 10);
    cameraMove(cam, 15, 10);
    QCOMPARE(cam.CameraYaw, -25.0);
    // A middle press moves the origin as well, without ending the turn.
    cameraPress(cam, MouseButton::Other, 300, 300);
    QVERIFY(cam.RotateDrag);
    cameraMove(cam, 301, 300);
    QCOMPARE(cam.CameraYaw, -24.0);
    // Right press switches from turning to shifting.
    cameraPress(cam, MouseButton::Right, 0, 0);
    QVERIFY(cam.PanDrag && !cam.RotateDrag);
    cameraMove(cam, 0, 30);
    QCOMPARE(cam.CameraYaw, -24.0);
    QCOMPARE(cam.CameraPanY, 0.0);
    // Extreme coordinates do not overflow the difference.
    CameraState far;
    cameraPress(far, MouseButton::Left, INT32_MIN, 0);
    cameraMove(far, INT32_MAX, 0);
    QCOMPARE(far.CameraYaw, -30.0 + 4294967295.0);
}

void TestCamera::cursorFollowsRightButton() {
    CameraState cam;
    QCOMPARE(cameraPress(cam, MouseButton::Right, 1, 1), CursorChange::SizeAll);
    QCOMPARE(cameraRelease(cam, MouseButton::Left), CursorChange::None);
    QVERIFY(cam.PanDrag); // releasing another button keeps the shift going
    QCOMPARE(cameraRelease(cam, MouseButton::Right), CursorChange::SizeHor);
    QCOMPARE(cameraPress(cam, MouseButton::Left, 1, 1), CursorChange::None);
    QCOMPARE(cameraRelease(cam, MouseButton::Other), CursorChange::None);
    QVERIFY(cam.RotateDrag);
}

void TestCamera::presentation_data() {
    QTest::addColumn<double>("yaw");
    QTest::addColumn<bool>("on");
    QTest::addColumn<double>("expected");
    QTest::newRow("on turns") << -30.0 << true << -29.7;
    QTest::newRow("off keeps") << 12.0 << false << 12.0;
    QTest::newRow("mouse past 360 wraps even when off") << 400.0 << false << 0.0;
    QTest::newRow("exactly 360 wraps") << 360.0 << false << 0.0;
    QTest::newRow("just below 360 after step wraps") << 359.8 << true << 0.0;
    QTest::newRow("negative is not wrapped") << -720.0 << false << -720.0;
    QTest::newRow("just under 360 stays") << 359.5 << false << 359.5;
}

void TestCamera::presentation() {
    QFETCH(double, yaw);
    QFETCH(bool, on);
    QFETCH(double, expected);
    CameraState cam;
    cam.CameraYaw = yaw;
    presentationStep(cam, on);
    QVERIFY2(qAbs(cam.CameraYaw - expected) < 1e-9, qPrintable(QString::number(cam.CameraYaw)));
}

void TestCamera::presentationRunsToFullTurnAndRestartsAtZero() {
    CameraState cam;
    int ticks = 0;
    double last = cam.CameraYaw;
    while (ticks < 10000) {
        presentationStep(cam, true);
        ++ticks;
        if (cam.CameraYaw < last)
            break;
        last = cam.CameraYaw;
    }
    QCOMPARE(cam.CameraYaw, 0.0); // exactly 0, not 0.3 or a float residue
    QVERIFY(last >= 359.5 && last < 360);
    QVERIFY(ticks >= 1300 && ticks <= 1301); // 390 degrees at 0.3 per tick
}

QTEST_GUILESS_MAIN(TestCamera)
#include "test_camera.moc"
