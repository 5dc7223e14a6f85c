#include "models/recordingcanvas.h"
#include "models/shapes.h"

#include <QTest>

#include <functional>

using namespace kelmira;

Q_DECLARE_METATYPE(std::function<void(Canvas&)>)
Q_DECLARE_METATYPE(std::function<void(Canvas&, QuadricId)>)

namespace {

using Draw = std::function<void(Canvas&)>;
using QuadricDraw = std::function<void(Canvas&, QuadricId)>;
using Box6 = std::array<double, 6>;

void sameBounds(const Bounds& b, const Box6& want) {
    for (int i = 0; i < 3; ++i) {
        QVERIFY2(std::abs(b.min[i] - want[std::size_t(2 * i)]) < 1e-6,
                 qPrintable(QString("axis %1 min %2").arg(i).arg(b.min[i])));
        QVERIFY2(std::abs(b.max[i] - want[std::size_t(2 * i + 1)]) < 1e-6,
                 qPrintable(QString("axis %1 max %2").arg(i).arg(b.max[i])));
    }
}

// A small model that keeps every promise; the broken variants below each break one.
void soundModel(Canvas& c) {
    const QuadricId q = shapes::makeQuadric(c);
    c.color(0.1f, 0.1f, 0.1f);
    shapes::solidBox(c, {-1, 1, 0.4f, 1, -1, 1});
    c.lineWidth(2);
    shapes::segments(c, {{{0, 0.6f, 0}, {0, -0.2f, 0}}});
    shapes::horizontalDisk(c, q, {0, 1, 0}, 0, 0.5);
    c.lineWidth(1);
    shapes::releaseQuadric(c, q);
}

} // namespace

class TestRecordingCanvas : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void tracksTheMatrixLikeGl_data();
    void tracksTheMatrixLikeGl();
    void boundsFollowTheTrueRoundSurfaces_data();
    void boundsFollowTheTrueRoundSurfaces();
    void reportsGlMisuse_data();
    void reportsGlMisuse();
    void checkerNamesEachBrokenPromise_data();
    void checkerNamesEachBrokenPromise();
    void startMatrixIsTheReferenceForRestoring();
};

void TestRecordingCanvas::tracksTheMatrixLikeGl_data() {
    QTest::addColumn<Draw>("ops");
    QTest::addColumn<QList<double>>("point"); // mapped from the origin-relative point
    QTest::addColumn<QList<double>>("want");

    QTest::newRow("translate") << Draw([](Canvas& c) { c.translate(1, 2, 3); })
                               << QList<double>{1, 1, 1} << QList<double>{2, 3, 4};
    // The upright-cylinder frame: the quadric's +z must point along -y.
    QTest::newRow("rotate +90 about x sends +z down")
        << Draw([](Canvas& c) { c.rotate(90, 1, 0, 0); }) << QList<double>{0, 0, 1}
        << QList<double>{0, -1, 0};
    QTest::newRow("rotate +45 about y")
        << Draw([](Canvas& c) { c.rotate(45, 0, 1, 0); }) << QList<double>{0, 0, 2}
        << QList<double>{std::sqrt(2.0), 0, std::sqrt(2.0)};
    QTest::newRow("unnormalised axis") << Draw([](Canvas& c) { c.rotate(90, 0, 0, 5); })
                                       << QList<double>{1, 0, 0} << QList<double>{0, 1, 0};
    // The last operation acts first on the point, as in fixed-function GL.
    QTest::newRow("translate then rotate") << Draw([](Canvas& c) {
        c.translate(5, 0, 0);
        c.rotate(90, 0, 1, 0);
    }) << QList<double>{1, 0, 0} << QList<double>{5, 0, -1};
    QTest::newRow("scale then translate") << Draw([](Canvas& c) {
        c.scale(0.1f, 0.1f, 0.1f);
        c.translate(10, 20, 30);
    }) << QList<double>{0, 0, 0} << QList<double>{1, 2, 3};
    QTest::newRow("pop restores the pushed matrix") << Draw([](Canvas& c) {
        c.translate(1, 0, 0);
        c.pushMatrix();
        c.rotate(30, 1, 1, 0);
        c.translate(7, 7, 7);
        c.popMatrix();
    }) << QList<double>{0, 0, 0} << QList<double>{1, 0, 0};
}

void TestRecordingCanvas::tracksTheMatrixLikeGl() {
    QFETCH(Draw, ops);
    QFETCH(QList<double>, point);
    QFETCH(QList<double>, want);
    RecordingCanvas c;
    ops(c);
    c.color(1, 1, 1);
    c.begin(Canvas::Primitive::Lines);
    c.vertex(float(point[0]), float(point[1]), float(point[2]));
    c.vertex(0, 0, 0);
    c.end();
    const RecordedVertex v = c.vertices(Canvas::Primitive::Lines).front();
    QVERIFY(std::abs(v.world.x - want[0]) < 1e-5);
    QVERIFY(std::abs(v.world.y - want[1]) < 1e-5);
    QVERIFY(std::abs(v.world.z - want[2]) < 1e-5);
    QVERIFY(c.errors().isEmpty());
}

void TestRecordingCanvas::boundsFollowTheTrueRoundSurfaces_data() {
    QTest::addColumn<QuadricDraw>("draw");
    QTest::addColumn<Box6>("want");

    // Six slices make a hexagon that spans only 0.866 r across its flats; the bounds must
    // still be those of the true circle, as the extents of the models are stated.
    QTest::newRow("lying hexagonal cylinder") << QuadricDraw([](Canvas& c, QuadricId q) {
        c.translate(0, 0.8f, -0.6f);
        c.cylinder(q, 0.3, 0.3, 1.2, 6, 6);
    }) << Box6{-0.3, 0.3, 0.5, 1.1, -0.6, 0.6};
    QTest::newRow("upright cone, radii at both ends") << QuadricDraw([](Canvas& c, QuadricId q) {
        c.translate(0, 4, 0);
        c.rotate(90, 1, 0, 0);
        c.cylinder(q, 0.6, 1, 2, 6, 6);
    }) << Box6{-1, 1, 2, 4, -1, 1};
    QTest::newRow("ring counts its outer radius") << QuadricDraw([](Canvas& c, QuadricId q) {
        c.translate(0, 2, 0);
        c.rotate(90, 1, 0, 0);
        c.disk(q, 2, 2.07, 16, 16);
    }) << Box6{-2.07, 2.07, 2, 2, -2.07, 2.07};
    QTest::newRow("disk turned 45 degrees about y") << QuadricDraw([](Canvas& c, QuadricId q) {
        c.rotate(45, 0, 1, 0);
        c.disk(q, 0, 1, 16, 16);
    }) << Box6{-std::sqrt(0.5), std::sqrt(0.5), -1, 1, -std::sqrt(0.5), std::sqrt(0.5)};
    QTest::newRow("scaled sphere") << QuadricDraw([](Canvas& c, QuadricId q) {
        c.translate(1, 2, 3);
        c.scale(2, 1, 0.5f);
        c.sphere(q, 1, 16, 16);
    }) << Box6{-1, 3, 1, 3, 2.5, 3.5};
    QTest::newRow("lines and quads through the matrix") << QuadricDraw([](Canvas& c, QuadricId) {
        c.translate(10, 0, 0);
        shapes::solidBox(c, {-1, 1, 0, 2, -3, 3});
        shapes::segments(c, {{{0, 0, 0}, {0, -5, 0}}});
    }) << Box6{9, 11, -5, 2, -3, 3};
}

void TestRecordingCanvas::boundsFollowTheTrueRoundSurfaces() {
    QFETCH(QuadricDraw, draw);
    QFETCH(Box6, want);
    RecordingCanvas c;
    const QuadricId q = c.newQuadric();
    draw(c, q);
    QVERIFY(c.errors().isEmpty());
    sameBounds(c.bounds(), want);
}

void TestRecordingCanvas::reportsGlMisuse_data() {
    QTest::addColumn<Draw>("draw");
    QTest::addColumn<QString>("error");

    QTest::newRow("vertex outside begin/end")
        << Draw([](Canvas& c) { c.vertex(0, 0, 0); }) << "vertex outside begin/end";
    QTest::newRow("pop on an empty stack")
        << Draw([](Canvas& c) { c.popMatrix(); }) << "popMatrix on an empty stack";
    QTest::newRow("line width inside begin/end") << Draw([](Canvas& c) {
        c.begin(Canvas::Primitive::Lines);
        c.lineWidth(2);
        c.end();
    }) << "lineWidth inside begin/end";
    QTest::newRow("half a quad") << Draw([](Canvas& c) {
        c.begin(Canvas::Primitive::Quads);
        c.vertex(0, 0, 0);
        c.vertex(1, 0, 0);
        c.end();
    }) << "incomplete quad";
    QTest::newRow("quadric used after deletion") << Draw([](Canvas& c) {
        const QuadricId q = c.newQuadric();
        c.deleteQuadric(q);
        c.disk(q, 0, 1, 16, 16);
    }) << "does not exist";
    QTest::newRow("quadric deleted twice") << Draw([](Canvas& c) {
        const QuadricId q = c.newQuadric();
        c.deleteQuadric(q);
        c.deleteQuadric(q);
    }) << "deleteQuadric on quadric 1";
    QTest::newRow("failed quadric passed on") << Draw([](Canvas& c) {
        RecordingCanvas& r = static_cast<RecordingCanvas&>(c);
        r.setQuadricsUnavailable(true);
        c.cylinder(c.newQuadric(), 1, 1, 1, 16, 16);
    }) << "quadric 0";
    QTest::newRow("stack deeper than GL keeps") << Draw([](Canvas& c) {
        for (int i = 0; i < 40; ++i)
            c.pushMatrix();
    }) << "stack overflow";
}

void TestRecordingCanvas::reportsGlMisuse() {
    QFETCH(Draw, draw);
    QFETCH(QString, error);
    RecordingCanvas c;
    draw(c);
    QVERIFY2(c.errors().join('|').contains(error), qPrintable(c.errors().join('|')));
}

void TestRecordingCanvas::checkerNamesEachBrokenPromise_data() {
    QTest::addColumn<Draw>("model");
    QTest::addColumn<QString>("violation"); // empty: none expected

    QTest::newRow("sound model") << Draw(soundModel) << QString();
    QTest::newRow("draws nothing at all") << Draw([](Canvas&) {}) << QString();
    QTest::newRow("leaves the matrix translated") << Draw([](Canvas& c) {
        c.translate(0, 2.6f, 0);
        soundModel(c);
    }) << "matrix not restored";
    QTest::newRow("undoes a turn with the wrong sign") << Draw([](Canvas& c) {
        c.rotate(90, 1, 0, 0);
        soundModel(c);
        c.rotate(90, 1, 0, 0);
    }) << "matrix not restored";
    QTest::newRow("pushes without popping") << Draw([](Canvas& c) {
        c.pushMatrix();
        soundModel(c);
    }) << "stack left 1 deep";
    QTest::newRow("leaves line width 2") << Draw([](Canvas& c) {
        soundModel(c);
        c.lineWidth(2);
    }) << "line width left at 2";
    QTest::newRow("leaks its quadric") << Draw([](Canvas& c) {
        soundModel(c);
        shapes::makeQuadric(c);
    }) << "not deleted";
    QTest::newRow("two quadric objects") << Draw([](Canvas& c) {
        soundModel(c);
        soundModel(c);
    }) << "2 quadric objects made";
    QTest::newRow("quadric made for nothing") << Draw([](Canvas& c) {
        const QuadricId q = shapes::makeQuadric(c);
        c.color(1, 1, 1);
        shapes::segments(c, {{{0, 0, 0}, {1, 0, 0}}});
        shapes::releaseQuadric(c, q);
    }) << "no quadric shape drawn";
    QTest::newRow("draws before its first colour") << Draw([](Canvas& c) {
        shapes::solidBox(c, {0, 1, 0, 1, 0, 1});
        c.color(1, 1, 1);
    }) << "no colour set";
    QTest::newRow("quadric before its first colour") << Draw([](Canvas& c) {
        const QuadricId q = shapes::makeQuadric(c);
        shapes::sphere(c, q, {0, 0, 0}, 1);
        c.color(1, 1, 1);
        shapes::releaseQuadric(c, q);
    }) << "no colour set";
    QTest::newRow("121 vertices") << Draw([](Canvas& c) {
        c.color(1, 1, 1);
        for (int i = 0; i < 5; ++i)
            shapes::solidBox(c, {0, 1, 0, 1, 0, 1});
        c.begin(Canvas::Primitive::Lines);
        c.vertex(0, 0, 0);
        c.end();
    }) << "121 line and quad vertices";
    QTest::newRow("12 quadric shapes") << Draw([](Canvas& c) {
        const QuadricId q = shapes::makeQuadric(c);
        c.color(1, 1, 1);
        for (int i = 0; i < 12; ++i)
            shapes::horizontalDisk(c, q, {0, 1, 0}, 0, 1);
        shapes::releaseQuadric(c, q);
    }) << "12 quadric shapes";
    QTest::newRow("outward orientation") << Draw([](Canvas& c) {
        const QuadricId q = c.newQuadric();
        c.color(1, 1, 1);
        c.quadricDrawStyle(q, QuadricFill);
        c.quadricNormals(q, QuadricSmooth);
        shapes::sphere(c, q, {0, 0, 0}, 1);
        c.deleteQuadric(q);
    }) << "without fill/inside/smooth";
}

void TestRecordingCanvas::checkerNamesEachBrokenPromise() {
    QFETCH(Draw, model);
    QFETCH(QString, violation);
    RecordingCanvas c;
    model(c);
    const QStringList found = checkModelContract(c);
    if (violation.isEmpty())
        QVERIFY2(found.isEmpty(), qPrintable(found.join('|')));
    else
        QVERIFY2(found.join('|').contains(violation), qPrintable(found.join('|')));
}

void TestRecordingCanvas::startMatrixIsTheReferenceForRestoring() {
    // The renderer hands a model its cell transform; restoring means returning to that.
    Matrix4d cell;
    cell.at(0, 3) = -3.8075;
    cell.at(1, 3) = 0.075;
    cell.at(2, 3) = -7.57;
    cell.at(0, 0) = cell.at(2, 2) = 0;
    cell.at(0, 2) = 1;
    cell.at(2, 0) = -1;
    RecordingCanvas c(cell);
    soundModel(c);
    QVERIFY(checkModelContract(c).isEmpty());

    RecordingCanvas reset(cell);
    reset.pushMatrix();
    reset.popMatrix();
    reset.translate(1, 0, 0);
    reset.translate(-1, 0, 0);
    QVERIFY(checkModelContract(reset).isEmpty());
    reset.rotate(45, 0, 1, 0);
    QVERIFY(!checkModelContract(reset).isEmpty());
}

QTEST_MAIN(TestRecordingCanvas)
#include "test_recordingcanvas.moc"
