#include "models/models.h"
#include "models/recordingcanvas.h"

#include <QTest>

#include <algorithm>
#include <limits>
#include <set>
#include <tuple>

using namespace kelmira;
using P = Canvas::Primitive;
using Box6 = std::array<double, 6>;
using Rgb3 = std::array<float, 3>;

namespace {

struct Run {
    RecordingCanvas canvas;
    explicit Run(int kind, bool quadrics = true) {
        canvas.setQuadricsUnavailable(!quadrics);
        drawModel(canvas, kind);
    }
};

bool near(double a, double b, double eps = 1e-4) {
    return std::abs(a - b) < eps;
}

bool sameColour(const RecordedColor& c, Rgb3 want) {
    return near(c.r, want[0]) && near(c.g, want[1]) && near(c.b, want[2]);
}

// A line segment with its ends in a canonical order, rounded to 1e-4, so that sets of
// segments compare regardless of drawing direction or float noise.
using Seg = std::array<long, 6>;
Seg canonical(const Vec3d& a, const Vec3d& b) {
    auto r = [](double v) { return std::lround(v * 10000); };
    std::array<long, 3> p{r(a.x), r(a.y), r(a.z)}, q{r(b.x), r(b.y), r(b.z)};
    if (q < p)
        std::swap(p, q);
    return {p[0], p[1], p[2], q[0], q[1], q[2]};
}

// Segments whose both ends lie on the marking plane y (to 1e-4).
std::set<Seg> onPlane(std::set<Seg> s, double y) {
    const long level = std::lround(y * 10000);
    std::erase_if(s, [level](const Seg& g) { return g[1] != level || g[4] != level; });
    return s;
}

std::set<Seg> lineSegments(const RecordingCanvas& c, Rgb3 colour) {
    std::set<Seg> out;
    const auto v = c.vertices(P::Lines);
    for (std::size_t i = 0; i + 1 < v.size(); i += 2)
        if (sameColour(v[i].color, colour))
            out.insert(canonical(v[i].world, v[i + 1].world));
    return out;
}

std::set<Seg> flat(double y, std::initializer_list<std::array<double, 4>> xz) {
    std::set<Seg> out;
    for (const auto& s : xz)
        out.insert(canonical({s[0], y, s[1]}, {s[2], y, s[3]}));
    return out;
}

// The seven-segment pair written out bar by bar, so that a slip in the shared drawing
// of the glyph shows against both models that use it.
std::set<Seg> digits(double y, double dx, double dz, std::initializer_list<double> points) {
    std::set<Seg> out;
    for (double s : {1.0, -1.0}) {
        for (double z : {-0.4, 0.0, 0.4})
            out.insert(canonical({0.2 * s + dx, y, z + dz}, {0.6 * s + dx, y, z + dz}));
        for (double x : {0.2 * s, 0.6 * s})
            out.insert(canonical({x + dx, y, -0.38 + dz}, {x + dx, y, 0.38 + dz}));
    }
    for (double x : points)
        out.insert(canonical({x + dx, y, 0.5 + dz}, {x + dx, y, 0.59 + dz}));
    return out;
}

const RecordedQuadricShape* shapeAt(const RecordingCanvas& c, int index) {
    if (index < 0 || index >= int(c.quadricShapes().size()))
        return nullptr;
    return &c.quadricShapes()[std::size_t(index)];
}

Vec3d originOf(const RecordedQuadricShape& s) {
    double p[3];
    s.transform.mapPoint(0, 0, 0, p);
    return {p[0], p[1], p[2]};
}

} // namespace

class TestModels : public QObject {
    Q_OBJECT

    static void everyModel();

private Q_SLOTS:
    void extentsMatchTheCatalogue_data() { everyModel(); }
    void extentsMatchTheCatalogue();
    void keepsTheDrawingContract_data() { everyModel(); }
    void keepsTheDrawingContract();
    void drawsEveryPartOfItsList_data() { everyModel(); }
    void drawsEveryPartOfItsList();
    void drawsBoxesAndLinesWithoutQuadrics_data() { everyModel(); }
    void drawsBoxesAndLinesWithoutQuadrics();
    void restoresTheCellTransformItIsGiven_data() { everyModel(); }
    void restoresTheCellTransformItIsGiven();
    void manyDrawsLeaveNothingBehind_data() { everyModel(); }
    void manyDrawsLeaveNothingBehind();

    void codesWithoutAModelDrawNothing_data();
    void codesWithoutAModelDrawNothing();

    void quadricShapesAsListed_data();
    void quadricShapesAsListed();
    void leadsAreLightGreyAtWidthTwo();
    void capacitorCanIsOpenBelow();
    void speakerHolesSitOnItsTop();
    void needleMetersDifferOnlyInTheirTable_data();
    void needleMetersDifferOnlyInTheirTable();
    void needleMetersShareOneGeometry();
    void multimeterOutlinesItsCaseAtWidthOne();
    void multimeterPointerBarCrossesTheKnob();
    void markingsAsListed_data();
    void markingsAsListed();
    void wiresAreSingleWhiteLines_data();
    void wiresAreSingleWhiteLines();
};

void TestModels::everyModel() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<Box6>("extent"); // x0, x1, y0, y1, z0, z1
    QTest::addColumn<int>("quadricShapes");
    QTest::addColumn<int>("lineVertices");
    QTest::addColumn<int>("quadVertices");

    QTest::newRow("1 sensor") << 1 << Box6{-1.4, 1.4, -0.2, 1.01, -1.4, 1.4} << 1 << 72 << 24;
    QTest::newRow("2 chip") << 2 << Box6{-1.4, 1.4, -0.2, 1, -2, 2} << 0 << 72 << 24;
    QTest::newRow("3 rectifier") << 3 << Box6{-1.2, 1.2, 0, 5, -1, 1} << 0 << 48 << 64;
    QTest::newRow("4 diode") << 4 << Box6{-0.3, 0.3, -0.2, 1.1, -1.6, 1.6} << 3 << 6 << 0;
    QTest::newRow("5 thyristor") << 5 << Box6{-1, 1, -0.4, 3.6, -0.4, 1.4} << 2 << 14 << 24;
    QTest::newRow("6 led") << 6 << Box6{-0.6, 0.6, -0.4, 3.1, -0.1, 1.1} << 3 << 6 << 0;
    QTest::newRow("7 transistor") << 7 << Box6{-1, 1, -0.2, 3.5, 0.4, 1} << 0 << 30 << 48;
    QTest::newRow("8 motor") << 8 << Box6{-2.07, 2.07, -0.2, 3.6, -2.07, 2.07} << 10 << 4 << 0;
    QTest::newRow("9 display") << 9 << Box6{-1.4, 1.4, -0.2, 1.01, -1.4, 1.4} << 0 << 96 << 24;
    QTest::newRow("11 resistor") << 11 << Box6{-0.202, 0.202, -0.2, 0.802, -1.6, 1.6} << 5 << 6
                                 << 0;
    QTest::newRow("12 capacitor") << 12 << Box6{-1.08, 1.08, -0.2, 4.6, -1.08, 1.08} << 4 << 4 << 0;
    QTest::newRow("13 varistor") << 13 << Box6{-1.08, 1.08, -0.4, 3.68, 0, 0} << 2 << 4 << 0;
    QTest::newRow("14 potentiometer")
        << 14 << Box6{-2.08, 2.08, 0, 4, -2.08, 2.08} << 11 << 12 << 0;
    QTest::newRow("15 speaker") << 15 << Box6{-1.4, 1.4, -0.2, 1.602, -1.4, 1.4} << 9 << 8 << 0;
    QTest::newRow("21 ammeter") << 21 << Box6{-2.4, 2.4, 0.4, 3.006, -2.4, 2.4} << 4 << 62 << 52;
    QTest::newRow("22 voltmeter") << 22 << Box6{-2.4, 2.4, 0.4, 3.006, -2.4, 2.4} << 4 << 60 << 52;
    QTest::newRow("23 ohmmeter") << 23 << Box6{-2.4, 2.4, 0.4, 3.006, -2.4, 2.4} << 4 << 66 << 52;
    QTest::newRow("24 multimeter") << 24 << Box6{-2, 2, 0.4, 2.502, -3, 3} << 5 << 56 << 28;
    QTest::newRow("31 power supply") << 31 << Box6{-2, 2, -0.8, 1.404, -2.4, 2} << 0 << 30 << 40;
    QTest::newRow("32 switch") << 32 << Box6{-0.6, 0.6, 0, 2.8, -1.8, 1.8} << 0 << 36 << 52;
    QTest::newRow("33 wire 1") << 33 << Box6{-2, 2, 1, 1, 0, 0} << 0 << 2 << 0;
    QTest::newRow("34 wire 2") << 34 << Box6{0, 0, -1, 3, 0, 0} << 0 << 2 << 0;
}

void TestModels::extentsMatchTheCatalogue() {
    QFETCH(int, kind);
    QFETCH(Box6, extent);
    Run run(kind);
    const Bounds b = run.canvas.bounds();
    QVERIFY(!b.isEmpty());
    for (int i = 0; i < 3; ++i) {
        const double lo = extent[std::size_t(2 * i)], hi = extent[std::size_t(2 * i + 1)];
        QVERIFY2(near(b.min[i], lo, 0.002) && near(b.max[i], hi, 0.002),
                 qPrintable(QString("axis %1: drawn %2..%3, listed %4..%5")
                                .arg("xyz"[i])
                                .arg(b.min[i])
                                .arg(b.max[i])
                                .arg(lo)
                                .arg(hi)));
    }
}

void TestModels::keepsTheDrawingContract() {
    QFETCH(int, kind);
    QFETCH(int, quadricShapes);
    Run run(kind);
    const QStringList broken = checkModelContract(run.canvas);
    QVERIFY2(broken.isEmpty(), qPrintable(broken.join('|')));
    QCOMPARE(run.canvas.quadricsCreated(), quadricShapes > 0 ? 1 : 0);
}

void TestModels::drawsEveryPartOfItsList() {
    QFETCH(int, kind);
    QFETCH(int, quadricShapes);
    QFETCH(int, lineVertices);
    QFETCH(int, quadVertices);
    Run run(kind);
    QCOMPARE(int(run.canvas.quadricShapes().size()), quadricShapes);
    QCOMPARE(run.canvas.lineVertexCount(), lineVertices);
    QCOMPARE(run.canvas.quadCount(), quadVertices);
}

void TestModels::drawsBoxesAndLinesWithoutQuadrics() {
    QFETCH(int, kind);
    QFETCH(int, lineVertices);
    QFETCH(int, quadVertices);
    Run run(kind, false);
    QVERIFY2(checkModelContract(run.canvas).isEmpty(),
             qPrintable(checkModelContract(run.canvas).join('|')));
    QCOMPARE(run.canvas.invalidQuadricUses(), 0);
    QVERIFY(run.canvas.quadricShapes().empty());
    QCOMPARE(run.canvas.lineVertexCount(), lineVertices);
    QCOMPARE(run.canvas.quadCount(), quadVertices);
}

void TestModels::restoresTheCellTransformItIsGiven() {
    QFETCH(int, kind);
    // A cell far out on the board, turned by 225 degrees, inside a pane's 0.1 scale.
    RecordingCanvas setup;
    setup.scale(0.1f, 0.1f, 0.1f);
    setup.translate(-8, -1, -8);
    setup.translate(0.1075f * 150, 0.1075f * 3, 0.1075f * 77);
    setup.rotate(225, 0, 1, 0);
    RecordingCanvas c(setup.matrix());
    drawModel(c, kind);
    QVERIFY(c.matrix().distance(c.startMatrix()) < 1e-6);
    QVERIFY(checkModelContract(c).isEmpty());
}

void TestModels::manyDrawsLeaveNothingBehind() {
    QFETCH(int, kind);
    RecordingCanvas c;
    for (int i = 0; i < 50; ++i)
        drawModel(c, kind);
    QCOMPARE(c.quadricsAlive(), 0);
    QCOMPARE(c.quadricsDeleted(), c.quadricsCreated());
    QCOMPARE(c.stackDepth(), 0);
    QCOMPARE(c.lineWidthNow(), 1.0f);
}

void TestModels::codesWithoutAModelDrawNothing_data() {
    QTest::addColumn<int>("kind");
    for (int k : {0, 10, 16, 17, 18, 19, 20, 25, 26, 27, 28, 29, 30, 35, 100, -1, -34,
                  std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()})
        QTest::newRow(qPrintable(QString::number(k))) << k;
}

void TestModels::codesWithoutAModelDrawNothing() {
    QFETCH(int, kind);
    QVERIFY(modelForKind(kind) == nullptr);
    RecordingCanvas c;
    drawModel(c, kind);
    QVERIFY(c.calls().empty());
}

void TestModels::quadricShapesAsListed_data() {
    using T = RecordedQuadricShape::Type;
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("type");
    QTest::addColumn<QList<double>>("params"); // a, b, c as the shape keeps them
    QTest::addColumn<int>("slices");
    QTest::addColumn<int>("stacks");
    QTest::addColumn<QList<double>>("origin"); // where the shape's own origin lands
    QTest::addColumn<Rgb3>("colour");

    auto row = [](const char* name, int kind, int index, T type, QList<double> params, int slices,
                  QList<double> origin, Rgb3 colour, int stacks = -1) {
        QTest::newRow(name) << kind << index << int(type) << params << slices
                            << (stacks < 0 ? slices : stacks) << origin << colour;
    };
    const Rgb3 black{0.1f, 0.1f, 0.1f}, dark{0.2f, 0.2f, 0.2f};
    row("diode body is hexagonal", 4, 0, T::Cylinder, {0.3, 0.3, 1.2}, 6, {0, 0.8, -0.6}, black);
    row("diode end cap", 4, 2, T::Disk, {0, 0.3}, 6, {0, 0.8, 0.6}, black);
    row("led flange", 6, 2, T::Disk, {0.5, 0.6}, 16, {0, 1.79, 0.5}, dark);
    row("motor lower rim", 8, 3, T::Disk, {2, 2.07}, 16, {0, 0.8, 0}, dark);
    row("motor shaft end is hexagonal", 8, 5, T::Disk, {0, 0.2}, 6, {0, 3.6, 0}, black);
    row("motor pulley is octagonal", 8, 6, T::Cylinder, {0.8, 0.8, 0.6}, 8, {0, 3.6, 0},
        {0.4f, 0.4f, 0.8f});
    row("motor pulley disk below its top", 8, 7, T::Disk, {0, 0.8}, 8, {0, 3.4, 0},
        {0.4f, 0.4f, 0.8f});
    row("motor pulley lower ring", 8, 9, T::Disk, {0.8, 0.87}, 8, {0, 3, 0}, dark);
    row("resistor red band", 11, 3, T::Cylinder, {0.202, 0.202, 0.14}, 16, {0, 0.6, 0}, {1, 0, 0});
    row("resistor blue band", 11, 4, T::Cylinder, {0.202, 0.202, 0.14}, 16, {0, 0.6, 0.4},
        {0, 0, 1});
    row("capacitor top ring", 12, 2, T::Disk, {1.01, 1.06}, 16, {0, 4.6, 0}, dark);
    row("capacitor bottom ring", 12, 3, T::Disk, {1.01, 1.08}, 16, {0, 0.6, 0}, dark);
    row("potentiometer nut widens downward", 14, 5, T::Cylinder, {0.6, 1, 2}, 6, {0, 4, 0}, dark);
    row("potentiometer nut foot ring", 14, 8, T::Disk, {1, 1.07}, 6, {0, 2.1, 0},
        {0.5f, 0.5f, 0.5f});
    row("potentiometer washer", 14, 10, T::Disk, {0, 1.2}, 16, {0, 2, 0}, dark);
    row("multimeter pointer bar", 24, 2, T::Cylinder, {0.1, 0.1, 2}, 16, {-0.7, 2.4, 0.3},
        {0.3f, 0.1f, 0.1f});
    row("multimeter second socket", 24, 4, T::Disk, {0, 0.2}, 16, {1.4, 2.02, 2.4},
        {0.1f, 0.1f, 0.6f});
}

void TestModels::quadricShapesAsListed() {
    QFETCH(int, kind);
    QFETCH(int, index);
    QFETCH(int, type);
    QFETCH(QList<double>, params);
    QFETCH(int, slices);
    QFETCH(int, stacks);
    QFETCH(QList<double>, origin);
    QFETCH(Rgb3, colour);
    Run run(kind);
    const RecordedQuadricShape* s = shapeAt(run.canvas, index);
    QVERIFY(s);
    QCOMPARE(int(s->type), type);
    const double got[3] = {s->a, s->b, s->c};
    for (int i = 0; i < int(params.size()); ++i)
        QVERIFY2(near(got[i], params[i]),
                 qPrintable(QString("parameter %1 is %2").arg(i).arg(got[i])));
    QCOMPARE(s->slices, slices);
    QCOMPARE(s->stacks, stacks);
    const Vec3d o = originOf(*s);
    QVERIFY2(near(o.x, origin[0]) && near(o.y, origin[1]) && near(o.z, origin[2]),
             qPrintable(QString("at %1, %2, %3").arg(o.x).arg(o.y).arg(o.z)));
    QVERIFY(sameColour(s->color, colour));
}

void TestModels::leadsAreLightGreyAtWidthTwo() {
    // Everything below the board top that is a line is a lead: light grey at width 2.
    for (int kind : {1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 31, 32}) {
        Run run(kind);
        int below = 0;
        for (const RecordedVertex& v : run.canvas.vertices(P::Lines)) {
            QVERIFY2(v.lineWidth == 2.0f, qPrintable(QString("kind %1").arg(kind)));
            if (v.world.y < 0.39) {
                ++below;
                QVERIFY2(sameColour(v.color, {0.7f, 0.7f, 0.7f}),
                         qPrintable(QString("kind %1").arg(kind)));
            }
        }
        if (kind != 3 && kind != 31) // flat plates, not lines
            QVERIFY2(below > 0, qPrintable(QString("kind %1 has no leads").arg(kind)));
    }
}

void TestModels::capacitorCanIsOpenBelow() {
    Run run(12);
    for (const RecordedQuadricShape& s : run.canvas.quadricShapes())
        if (s.type == RecordedQuadricShape::Type::Disk && near(originOf(s).y, 0.6))
            QVERIFY2(s.a >= 1, "a disk closes the bottom of the can");
}

void TestModels::speakerHolesSitOnItsTop() {
    Run run(15);
    std::set<std::pair<long, long>> holes;
    for (const RecordedQuadricShape& s : run.canvas.quadricShapes()) {
        if (!sameColour(s.color, {0.1f, 0.1f, 0.1f}))
            continue;
        const Vec3d o = originOf(s);
        QVERIFY(near(o.y, 1.602));
        QCOMPARE(s.type, RecordedQuadricShape::Type::Disk);
        QVERIFY(near(s.a, 0) && near(s.b, 0.1));
        holes.insert({std::lround(o.x * 10), std::lround(o.z * 10)});
    }
    const std::set<std::pair<long, long>> want{{0, 0},  {4, 0},  {-4, 0}, {-2, -4},
                                               {2, -4}, {-2, 4}, {2, 4}};
    QCOMPARE(holes, want);
}

void TestModels::needleMetersDifferOnlyInTheirTable_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<Rgb3>("housing");
    QTest::addColumn<Rgb3>("terminal");
    QTest::addColumn<QList<double>>("tip");
    QTest::addColumn<int>("letterStrokes");
    QTest::addColumn<Rgb3>("outline");

    QTest::newRow("ammeter") << 21 << Rgb3{0.1f, 0.1f, 0.1f} << Rgb3{0.5f, 0.1f, 0.5f}
                             << QList<double>{1.2, 0} << 3 << Rgb3{0.7f, 0.7f, 0.7f};
    QTest::newRow("voltmeter") << 22 << Rgb3{0.2f, 0.2f, 0.2f} << Rgb3{0.5f, 0.5f, 0.1f}
                               << QList<double>{0.62, 0} << 2 << Rgb3{0.6f, 0.6f, 0.6f};
    QTest::newRow("ohmmeter") << 23 << Rgb3{0.3f, 0.3f, 0.3f} << Rgb3{0.1f, 0.5f, 0.5f}
                              << QList<double>{-0.8, 0} << 5 << Rgb3{0.1f, 0.1f, 0.1f};
}

void TestModels::needleMetersDifferOnlyInTheirTable() {
    QFETCH(int, kind);
    QFETCH(Rgb3, housing);
    QFETCH(Rgb3, terminal);
    QFETCH(QList<double>, tip);
    QFETCH(int, letterStrokes);
    QFETCH(Rgb3, outline);
    Run run(kind);
    const auto quads = run.canvas.vertices(P::Quads);
    for (std::size_t i = 0; i < 48; ++i)
        QVERIFY(sameColour(quads[i].color, housing));
    QVERIFY(sameColour(quads[48].color, {0.9f, 0.9f, 0.9f}));
    for (const RecordedQuadricShape& s : run.canvas.quadricShapes())
        QVERIFY(sameColour(s.color, terminal));

    QCOMPARE(lineSegments(run.canvas, {0.4f, 0.1f, 0.1f}), flat(3.006, {{0, 1.6, tip[0], tip[1]}}));
    // Ticks plus the letter, all in the marking black.
    QCOMPARE(int(onPlane(lineSegments(run.canvas, {0.1f, 0.1f, 0.1f}), 3.004).size()),
             3 + letterStrokes);
    const auto lines = run.canvas.vertices(P::Lines);
    for (std::size_t i = lines.size() - 48; i < lines.size(); ++i)
        QVERIFY(sameColour(lines[i].color, outline));
}

void TestModels::needleMetersShareOneGeometry() {
    // Below the dial markings (needle, ticks and letter, checked on their own), the three
    // meters place every vertex and every quadric shape in the same spot.
    auto geometry = [](int kind) {
        Run run(kind);
        std::vector<Seg> out;
        for (const RecordedBatch& b : run.canvas.batches()) {
            const bool marking = !b.vertices.empty() && b.vertices.front().world.y > 3.003;
            if (b.primitive == P::Lines && marking)
                continue;
            for (std::size_t i = 0; i + 1 < b.vertices.size(); i += 2)
                out.push_back(canonical(b.vertices[i].world, b.vertices[i + 1].world));
        }
        for (const RecordedQuadricShape& s : run.canvas.quadricShapes())
            out.push_back(canonical(originOf(s), {s.a, s.b, s.c}));
        return out;
    };
    const auto ammeter = geometry(21);
    QCOMPARE(geometry(22), ammeter);
    QCOMPARE(geometry(23), ammeter);
}

void TestModels::multimeterOutlinesItsCaseAtWidthOne() {
    // Even after a model that used width 2, the case outline comes at the width of entry.
    RecordingCanvas c;
    drawModel(c, 31);
    const std::size_t before = c.batches().size();
    drawModel(c, 24);
    const RecordedBatch* firstLines = nullptr;
    for (std::size_t i = before; i < c.batches().size() && !firstLines; ++i)
        if (c.batches()[i].primitive == P::Lines)
            firstLines = &c.batches()[i];
    QVERIFY(firstLines);
    QCOMPARE(int(firstLines->vertices.size()), 24);
    for (const RecordedVertex& v : firstLines->vertices) {
        QCOMPARE(v.lineWidth, 1.0f);
        QVERIFY(sameColour(v.color, {0.3f, 0.3f, 0.3f}));
    }
}

void TestModels::multimeterPointerBarCrossesTheKnob() {
    Run run(24);
    const RecordedQuadricShape* bar = shapeAt(run.canvas, 2);
    QVERIFY(bar && bar->type == RecordedQuadricShape::Type::Cylinder);
    double end[3];
    bar->transform.mapPoint(0, 0, bar->c, end);
    QVERIFY2(near(end[0], 0.714, 1e-3) && near(end[1], 2.4) && near(end[2], 1.714, 1e-3),
             qPrintable(QString("ends at %1, %2, %3").arg(end[0]).arg(end[1]).arg(end[2])));
}

void TestModels::markingsAsListed_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<Rgb3>("colour");
    QTest::addColumn<std::set<Seg>>("segments");

    QTest::newRow("display digits") << 9 << Rgb3{0.1f, 0.1f, 0.7f} << digits(1.01, 0, 0, {0, 0.8});
    QTest::newRow("multimeter digits")
        << 24 << Rgb3{0.7f, 0.1f, 0.1f} << digits(2.01, 0.6, -1.54, {0.8});
    QTest::newRow("multimeter position ticks") << 24 << Rgb3{0.7f, 0.7f, 0.7f}
                                               << flat(2.01, {{0, -0.54, 0, -0.04},
                                                              {0, 1.96, 0, 2.46},
                                                              {-0.9, 0.96, -1.4, 0.96},
                                                              {0.9, 0.96, 1.4, 0.96}});
    QTest::newRow("multimeter pointer mark")
        << 24 << Rgb3{0, 1, 0} << flat(2.502, {{0.3, 1.31, 0.7, 1.71}});
    QTest::newRow("power supply plus")
        << 31 << Rgb3{0.7f, 0.2f, 0.2f}
        << flat(1.404, {{-0.6, -1.6, -1.2, -1.6}, {-0.9, -2, -0.9, -1.2}});
    QTest::newRow("power supply minus")
        << 31 << Rgb3{0.2f, 0.2f, 0.7f} << flat(1.404, {{0.6, -1.6, 1.2, -1.6}});
    QTest::newRow("ohmmeter letter and ticks") << 23 << Rgb3{0.1f, 0.1f, 0.1f}
                                               << flat(3.004, {{0.3, 0.8, -0.3, 0.8},
                                                               {0.4, 1.2, 0.2, 1.2},
                                                               {-0.2, 1.2, -0.4, 1.2},
                                                               {-0.2, 1.2, -0.3, 0.8},
                                                               {0.2, 1.2, 0.3, 0.8},
                                                               {0, 0.4, 0, 0},
                                                               {1, 0.4, 1.2, 0},
                                                               {-1, 0.4, -1.2, 0}});
    QTest::newRow("voltmeter letter and ticks") << 22 << Rgb3{0.1f, 0.1f, 0.1f}
                                                << flat(3.004, {{0.16, 1, 0, 1.4},
                                                                {-0.16, 1, 0, 1.4},
                                                                {0, 0.4, 0, 0},
                                                                {1, 0.4, 1.2, 0},
                                                                {-1, 0.4, -1.2, 0}});
    QTest::newRow("ammeter letter and ticks") << 21 << Rgb3{0.1f, 0.1f, 0.1f}
                                              << flat(3.004, {{0.08, 1.22, -0.08, 1.22},
                                                              {0.16, 1.4, 0, 1},
                                                              {-0.16, 1.4, 0, 1},
                                                              {0, 0.4, 0, 0},
                                                              {1, 0.4, 1.2, 0},
                                                              {-1, 0.4, -1.2, 0}});
    QTest::newRow("thyristor plate back")
        << 5 << Rgb3{0.2f, 0.2f, 0.2f}
        << std::set<Seg>{
               canonical({1, 3.6, 1.4}, {-1, 3.6, 1.4}), canonical({1, 1.6, 1.4}, {-1, 1.6, 1.4}),
               canonical({1, 3.6, 1.4}, {1, 1.6, 1.4}), canonical({-1, 3.6, 1.4}, {-1, 1.6, 1.4})};
}

void TestModels::markingsAsListed() {
    QFETCH(int, kind);
    QFETCH(Rgb3, colour);
    QFETCH(std::set<Seg>, segments);
    Run run(kind);
    std::set<Seg> drawn = lineSegments(run.canvas, colour);
    // The meters outline their blocks in marking colours too; only the markings count here.
    if (kind == 21 || kind == 23)
        drawn = onPlane(drawn, 3.004);
    QCOMPARE(drawn, segments);
}

void TestModels::wiresAreSingleWhiteLines_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<Seg>("segment");
    QTest::newRow("wire 1 along x") << 33 << canonical({2, 1, 0}, {-2, 1, 0});
    QTest::newRow("wire 2 upright") << 34 << canonical({0, 3, 0}, {0, -1, 0});
}

void TestModels::wiresAreSingleWhiteLines() {
    QFETCH(int, kind);
    QFETCH(Seg, segment);
    Run run(kind);
    QCOMPARE(run.canvas.quadCount(), 0);
    QCOMPARE(run.canvas.quadricsCreated(), 0);
    QVERIFY(run.canvas.quadricShapes().empty());
    QCOMPARE(lineSegments(run.canvas, {1, 1, 1}), std::set<Seg>{segment});
    QCOMPARE(run.canvas.vertices(P::Lines).front().lineWidth, 2.0f);
}

QTEST_MAIN(TestModels)
#include "test_models.moc"
