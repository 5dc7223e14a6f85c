#include "board/board.h"
#include "models/recordingcanvas.h"
#include "render/glpane.h"
#include "render/renderer.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>
#include <optional>

using namespace kelmira;

Q_DECLARE_METATYPE(kelmira::Pane)

namespace {

// What the renderer hands to a model: the kind and the model-view matrix at the call.
struct ModelCall {
    int32_t kind;
    Matrix4d matrix;
};
std::vector<ModelCall> g_calls;

void probeModel(Canvas& c, int32_t kind) {
    auto* rec = dynamic_cast<RecordingCanvas*>(&c);
    g_calls.push_back({kind, rec ? rec->matrix() : Matrix4d{}});
}

Matrix4d toMatrix(const QMatrix4x4& q) {
    return Matrix4d::fromFloats(q.constData());
}

QMatrix4x4 translated(QMatrix4x4 m, float x, float y, float z) {
    m.translate(x, y, z);
    return m;
}

bool near(double a, double b, double eps = 1e-4) {
    return std::abs(a - b) < eps;
}

std::vector<RecordedVertex> verticesWithWidth(const RecordingCanvas& c, Canvas::Primitive p,
                                              float width) {
    std::vector<RecordedVertex> out;
    for (const RecordedVertex& v : c.vertices(p))
        if (v.lineWidth == width)
            out.push_back(v);
    return out;
}

} // namespace

class TestRenderer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { g_calls.clear(); }
    void foldRotation_data();
    void foldRotation();
    void componentDrawnAtItsCellInEveryPane_data();
    void componentDrawnAtItsCellInEveryPane();
    void componentTurnFollowsFoldedRot();
    void occupiedCellPassEqualsFullSweep();
    void cellWithoutRecordIsSkipped_data();
    void cellWithoutRecordIsSkipped();
    void sceneObjects_data();
    void sceneObjects();
    void arrowheads();
    void planeGrids_data();
    void planeGrids();
};

void TestRenderer::foldRotation_data() {
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("rot");
    QTest::addColumn<int>("rewritten");
    QTest::addColumn<int>("angle"); // -1: drawn without a turn
    QTest::newRow("45: 5 folds to -3") << 45 << 5 << -3 << 225;
    QTest::newRow("45: -4 folds to 4") << 45 << -4 << 4 << 180;
    QTest::newRow("45: 4") << 45 << 4 << 4 << 180;
    QTest::newRow("45: 1") << 45 << 1 << 1 << 45;
    QTest::newRow("45: 0") << 45 << 0 << 0 << 0;
    QTest::newRow("45: -1") << 45 << -1 << -1 << 315;
    QTest::newRow("45: -2") << 45 << -2 << -2 << 270;
    QTest::newRow("45: 6 left alone") << 45 << 6 << 6 << -1;
    QTest::newRow("45: -5 left alone") << 45 << -5 << -5 << -1;
    QTest::newRow("90: 2 folds to -2") << 90 << 2 << -2 << 180;
    QTest::newRow("90: -3 folds to 1") << 90 << -3 << 1 << 90;
    QTest::newRow("90: 1") << 90 << 1 << 1 << 90;
    QTest::newRow("90: -1") << 90 << -1 << -1 << 270;
    QTest::newRow("90: 3 after a 45 run") << 90 << 3 << 3 << -1;
    QTest::newRow("90: int max") << 90 << INT32_MAX << INT32_MAX << -1;
    QTest::newRow("none: 5 untouched") << 0 << 5 << 5 << -1;
    QTest::newRow("none: 1 not turned") << 0 << 1 << 1 << -1;
    QTest::newRow("none: 0 not turned") << 0 << 0 << 0 << -1;
}

void TestRenderer::foldRotation() {
    QFETCH(int, step);
    QFETCH(int, rot);
    QFETCH(int, rewritten);
    QFETCH(int, angle);
    int32_t r = rot;
    const std::optional<int> a = kelmira::foldRotation(r, step);
    QCOMPARE(r, rewritten);
    QCOMPARE(a.value_or(-1), angle);
}

void TestRenderer::componentDrawnAtItsCellInEveryPane_data() {
    QTest::addColumn<Pane>("pane");
    QTest::newRow("front") << Pane::Front;
    QTest::newRow("side") << Pane::Side;
    QTest::newRow("top") << Pane::Top;
    QTest::newRow("3D") << Pane::ThreeD;
}

void TestRenderer::componentDrawnAtItsCellInEveryPane() {
    QFETCH(Pane, pane);
    Board board;
    board.PlaceComponent(35, 5, 2, 1, 11, 0);
    SceneSettings settings;
    CameraState cam;
    cam.CameraYaw = 17;
    cam.CameraPanX = 0.25;
    const FrameInput in{board, settings, cam, 40};

    RecordingCanvas c;
    const QuadricId axis = c.newQuadric();
    drawPaneContents(c, pane, in, axis, &probeModel);

    QCOMPARE(int(g_calls.size()), 1);
    QCOMPARE(g_calls[0].kind, 11);
    const Matrix4d expected =
        toMatrix(translated(paneModelView(pane, cam, 40), -3.8075f, 0.075f, -7.57f));
    QVERIFY2(g_calls[0].matrix.distance(expected) < 1e-4,
             qPrintable(QString::number(g_calls[0].matrix.distance(expected))));
    QCOMPARE(c.stackDepth(), 0);
    QVERIFY2(c.errors().isEmpty(), qPrintable(c.errors().join('\n')));
    QCOMPARE(c.lineWidthNow(), 0.5f);
}

void TestRenderer::componentTurnFollowsFoldedRot() {
    Board board;
    tDetal& d = board.PlaceComponent(35, 5, 2, 1, 3, 5);
    RecordingCanvas c;
    drawPlacedComponents(c, board, 45, &probeModel);
    QCOMPARE(d.Rot, -3);
    QMatrix4x4 expected;
    expected.translate(39 * kCellSpacing, 10 * kCellSpacing, 4 * kCellSpacing);
    expected.rotate(225, 0, 1, 0);
    QCOMPARE(int(g_calls.size()), 1);
    QVERIFY(g_calls[0].matrix.distance(toMatrix(expected)) < 1e-5);
}

// The pass over the occupied-cell list must draw exactly what a sweep of every cell draws:
// the same cells in the same order with the same records, and fold the same Rot values.
void TestRenderer::occupiedCellPassEqualsFullSweep() {
    for (int round = 0; round < 4; ++round) {
        const quint32 seed = 1234 + round;
        const int count = round == 0 ? 0 : 40 * round;
        Board fast, slow;
        for (Board* b : {&fast, &slow}) {
            QRandomGenerator rng(seed);
            for (int i = 0; i < count; ++i) {
                // Overlapping placements and edge positions included: placement tests nothing.
                b->PlaceComponent(rng.bounded(-2, 152), rng.bounded(-2, 152), rng.bounded(-2, 152),
                                  rng.bounded(0, 6), rng.bounded(0, 40), rng.bounded(-6, 7));
            }
            for (int i = 0; i < count / 4; ++i) {
                if (tDetal* d = b->detal(rng.bounded(0, count)))
                    b->MoveComponent(*d, d->X + rng.bounded(-3, 4), d->Y,
                                     d->Z + rng.bounded(-3, 4));
            }
            if (count > 0)
                b->EraseComponent(rng.bounded(0, b->count()));
        }
        const int step = round % 2 ? 90 : 45;
        RecordingCanvas cf, cs;
        g_calls.clear();
        const ComponentPassStats sf = drawPlacedComponents(cf, fast, step, &probeModel);
        std::vector<ModelCall> fastCalls = std::move(g_calls);
        g_calls.clear();
        const ComponentPassStats ss = drawPlacedComponentsSweep(cs, slow, step, &probeModel);
        QCOMPARE(sf.drawn, ss.drawn);
        QCOMPARE(sf.skipped, 0);
        QCOMPARE(ss.skipped, 0);
        QCOMPARE(fastCalls.size(), g_calls.size());
        for (size_t i = 0; i < g_calls.size(); ++i) {
            QCOMPARE(fastCalls[i].kind, g_calls[i].kind);
            QVERIFY(fastCalls[i].matrix.distance(g_calls[i].matrix) == 0);
        }
        QCOMPARE(cf.calls().size(), cs.calls().size());
        for (int32_t i = 0; i < fast.count(); ++i)
            QCOMPARE(fast.detal(i)->Rot, slow.detal(i)->Rot);
        if (count > 0)
            QVERIFY(sf.drawn > 0);
    }
}

void TestRenderer::cellWithoutRecordIsSkipped_data() {
    QTest::addColumn<int>("bogus");
    QTest::newRow("index past the list") << 999;
    QTest::newRow("negative other than empty") << -5;
    QTest::newRow("most negative") << int(INT32_MIN);
}

// A grid cell naming no record (a broken invariant) must neither be read through nor stop
// the frame: it is skipped and the rest of the board is drawn.
void TestRenderer::cellWithoutRecordIsSkipped() {
    QFETCH(int, bogus);
    Board board;
    board.PlaceComponent(10, 10, 10, 1, 11, 0);
    board.PlaceComponent(20, 10, 10, 1, 12, 0);
    const int32_t broken = cellNumber(14, 15, 12); // the first component's one cell
    QCOMPARE(board.gridData()[broken], 0);
    // The grid is the board's own heap block; writing it here stands for a corrupted board.
    const_cast<int32_t*>(board.gridData())[broken] = bogus;
    for (int frame = 0; frame < 2; ++frame) {
        g_calls.clear();
        RecordingCanvas c;
        const ComponentPassStats sweep = drawPlacedComponentsSweep(c, board, 45, &probeModel);
        QCOMPARE(sweep.skipped, 1);
        QCOMPARE(sweep.drawn, 1);
        QCOMPARE(g_calls.size(), size_t(1));
        QCOMPARE(g_calls[0].kind, 12);
        QCOMPARE(c.stackDepth(), 0);
        // The occupied-cell list only holds cells that still name their own record.
        const ComponentPassStats fast = drawPlacedComponents(c, board, 45, &probeModel);
        QCOMPARE(fast.drawn, 1);
    }
}

void TestRenderer::sceneObjects_data() {
    QTest::addColumn<bool>("stage");
    QTest::addColumn<int>("quadVertices");
    QTest::addColumn<int>("outlineVertices");
    QTest::newRow("stage shown") << true << 48 << 48;
    QTest::newRow("stage hidden") << false << 24 << 24;
}

void TestRenderer::sceneObjects() {
    QFETCH(bool, stage);
    Board board;
    SceneSettings s;
    s.stage = stage;
    s.boardColor = {0.1f, 0.2f, 0.3f};
    RecordingCanvas c;
    drawScene(c, s, c.newQuadric(), board, &probeModel);

    const auto quads = c.vertices(Canvas::Primitive::Quads);
    QTEST(int(quads.size()), "quadVertices");
    // The board is drawn first and always, in its colour, from y 0 to 0.4.
    for (int i = 0; i < 24; ++i) {
        QCOMPARE(quads[i].color.g, 0.2f);
        QVERIFY(std::abs(quads[i].local.x) == 10 && quads[i].local.y >= 0 &&
                quads[i].local.y <= 0.4f + 1e-6);
    }
    for (size_t i = 24; i < quads.size(); ++i)
        QVERIFY(std::abs(quads[i].local.x) == 12 && quads[i].local.y <= 0);

    const auto outline = verticesWithWidth(c, Canvas::Primitive::Lines, 3);
    QTEST(int(outline.size()), "outlineVertices");
    for (const RecordedVertex& v : outline)
        QVERIFY(v.color.r == 0.8f && v.color.g == 0.8f && v.color.b == 0.8f);
    // The last 24 outline vertices are the board's twelve edges.
    for (size_t i = outline.size() - 24; i < outline.size(); ++i)
        QCOMPARE(std::abs(outline[i].local.x), 10.0);
    QCOMPARE(c.lineWidthNow(), 0.5f);
}

void TestRenderer::arrowheads() {
    Board board;
    SceneSettings s;
    s.axisZ = false; // OZ off: only OX and OY get an arrowhead
    RecordingCanvas c;
    const QuadricId q = c.newQuadric();
    drawScene(c, s, q, board, &probeModel);
    const auto& shapes = c.quadricShapes();
    QCOMPARE(int(shapes.size()), 2);
    // OX: tip at (14,0,0), base towards -x. OY: tip at (0,0,-14), base towards +z.
    const double tips[2][3] = {{14, 0, 0}, {0, 0, -14}};
    const double bases[2][3] = {{13.6, 0, 0}, {0, 0, -13.6}};
    const float colours[2][3] = {{1, 0, 0}, {0, 0, 1}};
    for (int i = 0; i < 2; ++i) {
        const RecordedQuadricShape& sh = shapes[size_t(i)];
        QCOMPARE(sh.type, RecordedQuadricShape::Type::Cylinder);
        QCOMPARE(sh.a, 0.0);
        QCOMPARE(sh.b, 0.1);
        QCOMPARE(sh.c, 0.4);
        QCOMPARE(sh.slices, 60);
        QCOMPARE(sh.stacks, 70);
        QCOMPARE(sh.settings.drawStyle, int(QuadricLine));
        QCOMPARE(sh.settings.orientation, int(QuadricInside));
        QCOMPARE(sh.settings.normals, int(QuadricSmooth));
        QCOMPARE(sh.color.r, colours[i][0]);
        QCOMPARE(sh.color.b, colours[i][2]);
        double tip[3], base[3];
        sh.transform.mapPoint(0, 0, 0, tip);
        sh.transform.mapPoint(0, 0, 0.4, base);
        for (int k = 0; k < 3; ++k) {
            QVERIFY(near(tip[k], tips[i][k]));
            QVERIFY(near(base[k], bases[i][k]));
        }
    }
    // The axis lines are drawn at width 2 and the arrowheads' shifts are undone.
    QCOMPARE(int(verticesWithWidth(c, Canvas::Primitive::Lines, 2).size()), 4);
    QCOMPARE(c.invalidQuadricUses(), 0);
}

void TestRenderer::planeGrids_data() {
    QTest::addColumn<Pane>("pane");
    QTest::addColumn<bool>("xz");
    QTest::addColumn<bool>("yz");
    QTest::addColumn<bool>("xy");
    QTest::addColumn<QString>("planes"); // the planes drawn, in order
    QTest::newRow("front all on") << Pane::Front << true << true << true << "XZ";
    QTest::newRow("front XZ off") << Pane::Front << false << true << true << "";
    QTest::newRow("side all on") << Pane::Side << true << true << true << "YZ";
    QTest::newRow("top all on") << Pane::Top << true << true << true << "XY";
    QTest::newRow("top only XZ") << Pane::Top << true << false << false << "";
    QTest::newRow("3D all on") << Pane::ThreeD << true << true << true << "XZ XY YZ";
    QTest::newRow("3D YZ only") << Pane::ThreeD << false << true << false << "YZ";
    QTest::newRow("3D all off") << Pane::ThreeD << false << false << false << "";
}

void TestRenderer::planeGrids() {
    QFETCH(Pane, pane);
    QFETCH(QString, planes);
    Board board;
    SceneSettings s;
    QFETCH(bool, xz);
    QFETCH(bool, yz);
    QFETCH(bool, xy);
    s.planeXZ = xz;
    s.planeYZ = yz;
    s.planeXY = xy;
    s.planeColor = {0.25f, 0.5f, 0.75f};
    RecordingCanvas c;
    // The grids keep the width the previous frame left: nothing may set it before them.
    c.setStartLineWidth(0.5f);
    drawPaneContents(c, pane, FrameInput{board, s, CameraState{}, kZoomStart}, c.newQuadric(),
                     &probeModel);

    const QStringList expected = planes.split(' ', Qt::SkipEmptyParts);
    const auto grid = verticesWithWidth(c, Canvas::Primitive::Lines, 0.5f);
    QCOMPARE(int(grid.size()), int(expected.size()) * 21 * 4);
    for (int p = 0; p < expected.size(); ++p) {
        for (int k = 0; k < 21 * 4; ++k) {
            const RecordedVertex& v = grid[size_t(p * 84 + k)];
            QCOMPARE(v.color.b, 0.75f);
            const double coord = expected[p] == "XZ"   ? v.local.z
                                 : expected[p] == "YZ" ? v.local.x
                                                       : v.local.y;
            QCOMPARE(coord, expected[p] == "XY" ? 0.5 : 0.0);
        }
        // The first batch runs at i = -10, the last at +10.
        const RecordedVertex& first = grid[size_t(p * 84)];
        const RecordedVertex& last = grid[size_t(p * 84 + 83)];
        const double a = expected[p] == "XZ" ? first.local.y : first.local.z;
        QCOMPARE(a, -10.0);
        QVERIFY(std::abs(last.local.x) + std::abs(last.local.y) + std::abs(last.local.z) >= 10);
    }
}

QTEST_GUILESS_MAIN(TestRenderer)
#include "test_renderer.moc"
