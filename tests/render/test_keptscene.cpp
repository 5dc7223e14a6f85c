// The kept scene against the pictures drawn call by call: stored references made before the
// scene was kept, each model on its own, and the board after every kind of edit.
#include "board/board.h"
#include "board/editor.h"
#include "io/deletecommand.h"
#include "io/projectfile.h"
#include "render/glscene.h"
#include "render/offscreen.h"
#include "render/renderstats.h"
#include "render/scenegeometry.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace kelmira;

Q_DECLARE_METATYPE(kelmira::CameraState)

namespace {

QString dataPath(const QString& name) {
    return qEnvironmentVariable("KELMIRA_SOURCE_DIR") + QStringLiteral("/tests/render/data/") +
           name;
}

// Pixels where a channel differs by more than one 8-bit step: a value exactly between two
// steps may round either way, anything more is a real difference.
int differingPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return a.width() * a.height() + 1;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    int n = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col)
            if (qAbs(qRed(p[col]) - qRed(q[col])) > 1 ||
                qAbs(qGreen(p[col]) - qGreen(q[col])) > 1 ||
                qAbs(qBlue(p[col]) - qBlue(q[col])) > 1)
                ++n;
    }
    return n;
}

// The settings of tests/render/data/variant.ini.
SceneSettings variantSettings() {
    SceneSettings s;
    s.stage = false;
    s.planeXZ = s.planeYZ = s.planeXY = true;
    s.rotationStep = 90;
    s.boardColor = rgbFromColorValue(8421376);
    s.background = rgbFromColorValue(4210752);
    s.planeColor = rgbFromColorValue(65535);
    return s;
}

// n components 5 cells apart, every kind in turn, from the board up; 27,000 fill the grid.
void placeLattice(Board& board, int n) {
    const int32_t everyKind[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  11, 12,
                                 13, 14, 15, 21, 22, 23, 24, 31, 32, 33, 34};
    for (int i = 0; i < n; ++i)
        board.PlaceComponent(2 + 5 * (i % 30), 2 + 5 * (i / 900), 1 + 5 * (i / 30 % 30), 1,
                             everyKind[i % 22], i % 8 - 3);
}

} // namespace

class TestKeptScene : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        m_renderer = std::make_unique<OffscreenRenderer>();
        if (!m_renderer->isValid())
            QSKIP(qPrintable(m_renderer->errorString()));
    }
    void cleanupTestCase() { m_renderer.reset(); }

    void picturesMatchTheReferences_data() {
        QTest::addColumn<QString>("reference");
        QTest::addColumn<int>("view"); // a pane, or 0 for the sheet
        QTest::addColumn<bool>("variant");
        QTest::addColumn<CameraState>("camera");
        QTest::addColumn<int>("zoom");
        const CameraState standard;
        CameraState tilted{35, 30, 0.3, -0.7};
        CameraState turned{60, 15, 0, -1};
        QTest::newRow("front") << "front.png" << 1 << false << standard << 25;
        QTest::newRow("side") << "side.png" << 2 << false << standard << 25;
        QTest::newRow("top") << "top.png" << 3 << false << standard << 25;
        QTest::newRow("3d") << "3d.png" << 4 << false << standard << 25;
        QTest::newRow("3d tilted") << "3d-tilted.png" << 4 << false << tilted << 17;
        QTest::newRow("variant 3d") << "variant-3d.png" << 4 << true << turned << 25;
        QTest::newRow("variant sheet") << "variant-sheet.png" << 0 << true << standard << 25;
    }
    // The references were drawn call by call with GLU quadrics before the scene was kept.
    // What may differ: where coplanar faces of overlapping components tie in depth, the
    // winner depends on the last bit of a vertex, which the kept scene computes in another
    // order (a few hundred pixels at most on this deliberately crowded board).
    void picturesMatchTheReferences() {
        QFETCH(QString, reference);
        QFETCH(int, view);
        QFETCH(bool, variant);
        QFETCH(CameraState, camera);
        QFETCH(int, zoom);
        const QImage want(dataPath(reference));
        QVERIFY(!want.isNull());
        Editor editor;
        QVERIFY(loadProject(editor, dataPath(QStringLiteral("reference.kelmar"))).ok());
        const SceneSettings s = variant ? variantSettings() : SceneSettings{};
        const FrameInput in{editor.board(), s, camera, zoom};
        const QImage got = view ? m_renderer->renderPane(Pane(view), want.size(), in)
                                : m_renderer->renderSheet(want.size(), in);
        const int differ = differingPixels(got, want);
        qInfo("%s: %d of %d pixels differ", qPrintable(reference), differ,
              want.width() * want.height());
        QVERIFY2(differ <= want.width() * want.height() / 1000,
                 qPrintable(QString::number(differ)));
    }

    // One component of each kind, turned, alone on the board: nothing can tie with another
    // component, so the kept tessellation must give the picture GLU gives.
    void everyModelAsDrawnCallByCall() {
        const QSize size(400, 300);
        const CameraState camera{20, 20, 0, -1};
        int worst = 0;
        for (int32_t kind :
             {1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 21, 22, 23, 24, 31, 32, 33, 34}) {
            Board board;
            board.PlaceComponent(70, 5, 70, 1, kind, 1);
            const FrameInput in{board, SceneSettings{}, camera, 8};
            const QImage kept = m_renderer->renderPane(Pane::ThreeD, size, in);
            const QImage reference =
                m_renderer->renderPane(Pane::ThreeD, size, in, OffscreenRenderer::Path::Immediate);
            const int differ = differingPixels(kept, reference);
            QVERIFY2(differ <= 3,
                     qPrintable(QStringLiteral("kind %1: %2 pixels differ").arg(kind).arg(differ)));
            worst = std::max(worst, differ);
        }
        qInfo("worst model: %d pixels differ", worst);
    }

    // Every edit reaches the picture at the next frame, the same picture a frame drawn call by
    // call shows.
    void followsEveryEdit() {
        QTemporaryDir dir;
        Editor editor;
        const CameraState camera;
        const SceneSettings settings;
        const QSize size(320, 240);
        QImage last = m_renderer->renderPane(Pane::Top, size, {editor.board(), settings, camera});
        auto step = [&](const char* what) {
            const FrameInput in{editor.board(), settings, camera};
            const QImage kept = m_renderer->renderPane(Pane::Top, size, in);
            const QImage reference =
                m_renderer->renderPane(Pane::Top, size, in, OffscreenRenderer::Path::Immediate);
            QVERIFY2(differingPixels(kept, last) > 0, what);
            QVERIFY2(differingPixels(kept, reference) <= 3, what);
            last = kept;
        };
        editor.AddComponent(21, QStringLiteral("-Амперметр"));
        step("add");
        editor.Select();
        QVERIFY(editor.Move(MoveDir::Right, 30));
        step("move");
        editor.AddComponent(11, QStringLiteral("-Резистор"));
        editor.Select();
        step("second add");
        QVERIFY(editor.Turn(1));
        step("turn");
        editor.setHighlighted(0);
        QVERIFY(deleteHighlighted(editor, dir.filePath(QStringLiteral("Clear.ini"))).ok());
        step("delete");
        QVERIFY(saveProject(editor.board(), dir.filePath(QStringLiteral("one"))).ok);
        editor.ClearAll();
        step("clear");
        QVERIFY(loadProject(editor, dir.filePath(QStringLiteral("one.kelmar"))).ok());
        step("load");
    }

    // The kept scene leaves out the components that cannot reach the pane, and the triangles
    // of components that what is drawn before them hides: cameras close enough that some
    // components lie behind the eye, beside the pane or across its edge, and views down and
    // along stacked layers, against the same frame with nothing left out.
    void leavesOutOnlyWhatIsOutOfSight_data() {
        QTest::addColumn<int>("pane");
        QTest::addColumn<CameraState>("camera");
        QTest::addColumn<int>("zoom");
        QTest::addColumn<int>("lattice"); // components 5 cells apart; 0: 576 in four layers
        QTest::addColumn<QSize>("size");
        const int threeD = int(Pane::ThreeD);
        QTest::newRow("eye among the components")
            << threeD << CameraState{-30, -15, 0, -1.1} << 2 << 0 << QSize(400, 300);
        QTest::newRow("eye low, looking back")
            << threeD << CameraState{150, -25, 0.3, -0.9} << 3 << 0 << QSize(400, 300);
        QTest::newRow("panned right, across an edge")
            << threeD << CameraState{-30, 0, 1.2, -1} << 8 << 0 << QSize(400, 300);
        QTest::newRow("panned left, across an edge")
            << threeD << CameraState{-30, 0, -1.2, -1} << 8 << 0 << QSize(400, 300);
        QTest::newRow("close, from above")
            << threeD << CameraState{45, 50, -0.2, -1.2} << 4 << 0 << QSize(400, 300);
        QTest::newRow("whole board, 3D") << threeD << CameraState{} << 25 << 0 << QSize(400, 300);
        QTest::newRow("layers from above")
            << int(Pane::Top) << CameraState{} << 25 << 0 << QSize(400, 300);
        QTest::newRow("rows from the front")
            << int(Pane::Front) << CameraState{} << 25 << 0 << QSize(400, 300);
        QTest::newRow("rows from the side")
            << int(Pane::Side) << CameraState{} << 25 << 0 << QSize(400, 300);
        // Leads seen end on: the rasteriser gives a line's fragments past its ends depths
        // nearer than the line's own.
        QTest::newRow("leads end on, from the side")
            << int(Pane::Side) << CameraState{} << 25 << 5000 << QSize(700, 520);
    }
    void leavesOutOnlyWhatIsOutOfSight() {
        QFETCH(int, pane);
        QFETCH(CameraState, camera);
        QFETCH(int, zoom);
        QFETCH(int, lattice);
        QFETCH(QSize, size);
        Board board;
        const int32_t kinds[] = {1, 4, 7, 12, 15, 22, 24, 31, 34};
        for (int i = 0; i < 576 && lattice == 0; ++i)
            board.PlaceComponent(6 + 12 * (i % 12), 3 + 4 * (i % 3) + 30 * (i / 144),
                                 6 + 12 * (i / 12 % 12), 1, kinds[i % 9], i % 8 - 3);
        placeLattice(board, lattice);
        const FrameInput in{board, SceneSettings{}, camera, zoom};
        renderStats() = {};
        const QImage culled = m_renderer->renderPane(Pane(pane), size, in);
        const long long hidden = renderStats().componentsHidden;
        QVERIFY(!culled.isNull());
        GlSceneBuffers::setCulling(false);
        const QImage everything = m_renderer->renderPane(Pane(pane), size, in);
        GlSceneBuffers::setCulling(true);
        qInfo("%lld components hidden", hidden);
        // The same drawing less what cannot show: equal to the bit.
        QVERIFY2(culled == everything,
                 qPrintable(QString::number(differingPixels(culled, everything))));
    }

    // What changes while every pane finds it hidden is written when it comes into sight
    // again: components behind a wall, seen from behind, then moved, turned, erased and
    // replaced one front frame after another, and seen from behind again; the picture
    // equals one drawn from scratch.
    void writesWhatComesIntoSightLater() {
        Board board;
        // The wall: large boxes, and enough vertices drawn before what it hides that the
        // depth is looked at.
        for (int x = 10; x <= 140; x += 20)
            for (int y : {2, 30})
                board.PlaceComponent(x, y, 140, 1, 21, 0);
        for (int x = 10; x <= 140; x += 10)
            board.PlaceComponent(x, 2, 130, 1, 6, 0);
        for (int x : {55, 62, 70}) // in one chunk
            board.PlaceComponent(x, 2, 10, 1, 1, 0);
        const QSize size(400, 300);
        const FrameInput front{board, SceneSettings{}, CameraState{}, 25};
        const FrameInput behind{board, SceneSettings{}, CameraState{180, -30, 0, -1}, 25};
        const int back = board.count() - 3;
        // A front frame in which what stands behind the wall is hidden.
        const auto frontFrame = [&] {
            renderStats() = {};
            return !m_renderer->renderPane(Pane::Front, size, front).isNull() &&
                   renderStats().componentsHidden >= 2;
        };
        QVERIFY(!m_renderer->renderPane(Pane::ThreeD, size, behind).isNull());
        QVERIFY(frontFrame());
        // Nothing is written for what stays hidden.
        tDetal* moved = board.detal(back);
        QVERIFY(board.TryMoveComponent(*moved, moved->X - 1, moved->Y, moved->Z));
        QVERIFY(frontFrame());
        QCOMPARE(renderStats().verticesUploaded, 0LL);
        QVERIFY(board.TryRotateComponent(*board.detal(back + 1), 1));
        QVERIFY(frontFrame());
        QCOMPARE(renderStats().verticesUploaded, 0LL);
        const tDetal gone = *board.detal(back + 2);
        board.EraseComponent(back + 2);
        QVERIFY(frontFrame());
        QCOMPARE(renderStats().verticesUploaded, 0LL);
        board.PlaceComponent(gone.X, gone.Y, gone.Z, 1, 14, 0);
        QVERIFY(frontFrame());
        const QImage kept = m_renderer->renderPane(Pane::ThreeD, size, behind);
        OffscreenRenderer scratch;
        QCOMPARE(kept, scratch.renderPane(Pane::ThreeD, size, behind));
    }

    // Turning writes the folded Rot back at the next frame, through the kept scene as well,
    // and so does a switch of the rotation step.
    void foldsRotAtTheNextFrame() {
        Board board;
        SceneGeometry scene;
        SceneSettings s;
        tDetal& d = board.PlaceComponent(70, 5, 70, 1, 11, 4);
        scene.update(board, s);
        QVERIFY(board.TryRotateComponent(d, 1));
        QCOMPARE(d.Rot, 5);
        scene.update(board, s);
        QCOMPARE(d.Rot, -3);
        QVERIFY(board.TryRotateComponent(d, -1));
        scene.update(board, s);
        QCOMPARE(d.Rot, 4);
        QVERIFY(board.TryRotateComponent(d, -2));
        scene.update(board, s);
        QCOMPARE(d.Rot, 2);
        s.rotationStep = 90;
        QVERIFY(scene.update(board, s));
        QCOMPARE(d.Rot, -2);
        QVERIFY(!scene.update(board, s));
    }

private:
    std::unique_ptr<OffscreenRenderer> m_renderer;
};

QTEST_MAIN(TestKeptScene)
#include "test_keptscene.moc"
