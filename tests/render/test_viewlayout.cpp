#include "render/viewlayout.h"

#include <QTest>

using namespace kelmira;

Q_DECLARE_METATYPE(kelmira::ViewMode)
Q_DECLARE_METATYPE(kelmira::PaneBox)

namespace {
PaneBox box(int l, int t, int w, int h) {
    return PaneBox{true, l, t, w, h};
}
const PaneBox hidden{};
} // namespace

class TestViewLayout : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void layout_data();
    void layout();
};

void TestViewLayout::layout_data() {
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<ViewMode>("mode");
    QTest::addColumn<PaneBox>("front");
    QTest::addColumn<PaneBox>("side");
    QTest::addColumn<PaneBox>("top");
    QTest::addColumn<PaneBox>("threeD");

    QTest::newRow("standard even")
        << 960 << 780 << ViewMode::Standard << box(5, 15, 475, 375) << box(5, 405, 475, 375)
        << box(485, 15, 475, 375) << box(485, 405, 475, 375);
    // Odd sizes: the halves truncate, so the right and lower boxes start one pixel early.
    QTest::newRow("standard odd") << 961 << 781 << ViewMode::Standard << box(5, 15, 475, 375)
                                  << box(5, 405, 475, 375) << box(485, 15, 475, 375)
                                  << box(485, 405, 475, 375);
    QTest::newRow("front alone") << 960 << 780 << ViewMode::Front << box(5, 15, 955, 765) << hidden
                                 << hidden << hidden;
    QTest::newRow("top alone") << 800 << 600 << ViewMode::Top << hidden << hidden
                               << box(5, 15, 795, 585) << hidden;
    QTest::newRow("side alone") << 801 << 601 << ViewMode::Side << hidden << box(5, 15, 796, 586)
                                << hidden << hidden;
    QTest::newRow("3D alone") << 640 << 480 << ViewMode::ThreeD << hidden << hidden << hidden
                              << box(5, 15, 635, 465);
    QTest::newRow("tiny standard clamps to 0")
        << 8 << 20 << ViewMode::Standard << box(5, 15, 0, 0) << box(5, 25, 0, 0) << box(9, 15, 0, 0)
        << box(9, 25, 0, 0);
    QTest::newRow("tiny single clamps to 0")
        << 3 << 3 << ViewMode::Top << hidden << hidden << box(5, 15, 0, 0) << hidden;
}

void TestViewLayout::layout() {
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(ViewMode, mode);
    const ViewLayout l = layoutPanes(w, h, mode);
    QTEST(l.box(Pane::Front), "front");
    QTEST(l.box(Pane::Side), "side");
    QTEST(l.box(Pane::Top), "top");
    QTEST(l.box(Pane::ThreeD), "threeD");
}

QTEST_GUILESS_MAIN(TestViewLayout)
#include "test_viewlayout.moc"
