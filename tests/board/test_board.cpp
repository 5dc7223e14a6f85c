#include "board/board.h"
#include "grid_sweep.h"

#include <QString>
#include <QTest>

#include <limits>

using namespace kelmira;
using kelmira::testing::sweepOccupied;

namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

struct Values {
    int32_t X, Y, Z, Kind, Figure, Rot, Index;
    bool operator==(const Values&) const = default;
};

Values valuesOf(const tDetal& d) {
    return {d.X, d.Y, d.Z, d.Kind, d.Figure, d.Rot, d.Index};
}

// Everything observable of a board: its records and the grid as a sweep sees it.
struct Snapshot {
    std::vector<Values> records;
    std::vector<std::pair<int32_t, int32_t>> cells; // cell number, value

    static Snapshot of(const Board& board) {
        Snapshot s;
        for (const auto& d : board.DetalList())
            s.records.push_back(valuesOf(*d));
        for (int32_t c : sweepOccupied(board))
            s.cells.emplace_back(c, board.gridData()[c]);
        return s;
    }
    bool operator==(const Snapshot&) const = default;
};

} // namespace

class TestBoard : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void newBoardIsEmpty();
    void figureTable();
    void stampedCells_data();
    void stampedCells();
    void canPlaceBounds_data();
    void canPlaceBounds();
    void refusedMove_data();
    void refusedMove();
    void moveRestampsAtNewOrigin();
    void rotate_data();
    void rotate();
    void overlappingPlacementLosesCell();
    void eraseOnlyMatchingCells_data();
    void eraseOnlyMatchingCells();
    void clearAndRenumber();
    void timerHooksAroundPlaceAndClear();
    void recordsBeyondGridKeptWithoutCells_data();
    void recordsBeyondGridKeptWithoutCells();
    void cellOutsideGridReadsEmpty_data();
    void cellOutsideGridReadsEmpty();
    void foreignRecordIsNotMoved();
};

void TestBoard::newBoardIsEmpty() {
    Board board;
    QCOMPARE(board.count(), 0);
    QVERIFY(sweepOccupied(board).empty());
    QVERIFY(board.occupiedCells().empty());
    QCOMPARE(board.detal(0), nullptr);
}

void TestBoard::figureTable() {
    Board board;
    const auto names = Board::figureNames();
    QCOMPARE(names.size(), size_t(4));
    for (int n = 0; n < 4; ++n)
        QCOMPARE(QString::fromUtf8(names[size_t(n)]), QStringLiteral("Фигура %1").arg(n + 1));
    // One occupied cell per figure, and the same mask for every rotation step.
    for (int n = 1; n <= kFigureCount; ++n) {
        int ones = 0;
        for (uint8_t v : board.figure(n).cells)
            ones += v;
        QCOMPARE(ones, 1);
        QCOMPARE(board.RotateFigure(board.figure(n), 3), board.figure(n));
        QCOMPARE(board.RotateFigure(board.figure(n), kMin), board.figure(n));
    }
    QCOMPARE(board.figure(0), FigureMask{});
    QCOMPARE(board.figure(5), FigureMask{});
    QCOMPARE(board.figure(kMin), FigureMask{});
}

void TestBoard::stampedCells_data() {
    QTest::addColumn<int>("figure");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("z");
    QTest::addColumn<int>("cx");
    QTest::addColumn<int>("cy");
    QTest::addColumn<int>("cz");
    QTest::newRow("figure 1 at start") << 1 << 35 << 5 << 2 << 39 << 10 << 4;
    QTest::newRow("figure 2 at start") << 2 << 35 << 5 << 2 << 38 << 7 << 4;
    QTest::newRow("figure 3 at start") << 3 << 35 << 5 << 2 << 39 << 10 << 4;
    QTest::newRow("figure 4 at start") << 4 << 35 << 5 << 2 << 39 << 10 << 4;
    QTest::newRow("lowest origin") << 1 << 2 << 2 << 1 << 6 << 7 << 3;
    QTest::newRow("grid's far corner") << 1 << 146 << 145 << 148 << 150 << 150 << 150;
    QTest::newRow("below origin bounds") << 2 << -2 << -1 << -1 << 1 << 1 << 1;
}

void TestBoard::stampedCells() {
    QFETCH(int, figure);
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, z);
    QFETCH(int, cx);
    QFETCH(int, cy);
    QFETCH(int, cz);
    Board board;
    board.PlaceComponent(7, 7, 7, 1, 1, 0); // a neighbour whose cell must survive
    const tDetal& d = board.PlaceComponent(x, y, z, figure, 11, 0);
    QCOMPARE(d.Index, 1);
    QCOMPARE(board.cell(cx, cy, cz), 1);
    const std::vector<int32_t> expected{cellNumber(11, 12, 9), cellNumber(cx, cy, cz)};
    auto sorted = expected;
    std::sort(sorted.begin(), sorted.end());
    QCOMPARE(sweepOccupied(board), sorted);
    QCOMPARE(board.occupiedCells(), sorted);
}

void TestBoard::canPlaceBounds_data() {
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("z");
    QTest::addColumn<int>("figure");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("lowest origin") << 2 << 2 << 1 << 1 << true;
    QTest::newRow("x 1") << 1 << 2 << 1 << 1 << false;
    QTest::newRow("y 1") << 2 << 1 << 1 << 1 << false;
    QTest::newRow("z 0") << 2 << 2 << 0 << 1 << false;
    QTest::newRow("x 149") << 149 << 2 << 1 << 0 << false;
    QTest::newRow("y 149") << 2 << 149 << 1 << 0 << false;
    QTest::newRow("z 149") << 2 << 2 << 149 << 0 << false;
    QTest::newRow("empty mask at 148s") << 148 << 148 << 148 << 0 << true;
    // Footprint cells beyond 150 are refused like a collision.
    QTest::newRow("figure 1, x 146 reaches 150") << 146 << 2 << 1 << 1 << true;
    QTest::newRow("figure 1, x 147 beyond") << 147 << 2 << 1 << 1 << false;
    QTest::newRow("figure 1, y 145 reaches 150") << 2 << 145 << 1 << 1 << true;
    QTest::newRow("figure 1, y 146 beyond") << 2 << 146 << 1 << 1 << false;
    QTest::newRow("figure 1, z 148 reaches 150") << 2 << 2 << 148 << 1 << true;
    QTest::newRow("figure 2, x 147 reaches 150") << 147 << 2 << 1 << 2 << true;
    QTest::newRow("figure 2, x 148 beyond") << 148 << 2 << 1 << 2 << false;
    QTest::newRow("x min") << kMin << 2 << 1 << 1 << false;
    QTest::newRow("y min") << 2 << kMin << 1 << 1 << false;
    QTest::newRow("z min") << 2 << 2 << kMin << 1 << false;
    QTest::newRow("x max") << kMax << 2 << 1 << 1 << false;
    QTest::newRow("y max") << 2 << kMax << 1 << 1 << false;
    QTest::newRow("z max") << 2 << 2 << kMax << 1 << false;
}

void TestBoard::canPlaceBounds() {
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, z);
    QFETCH(int, figure);
    QFETCH(bool, allowed);
    Board board;
    QCOMPARE(board.CanPlace(x, y, z, board.figure(figure), -1), allowed);
}

void TestBoard::refusedMove_data() {
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("z");
    // The other component stands at (20, 20, 20) with figure 1: its cell is (24, 25, 22).
    // The moving one has figure 2, which fills offset (3, 2, 2).
    QTest::newRow("onto the other's cell") << 21 << 23 << 20;
    QTest::newRow("x below bounds") << 1 << 5 << 2;
    QTest::newRow("z below bounds") << 35 << 5 << 0;
    QTest::newRow("y above bounds") << 35 << 149 << 2;
    QTest::newRow("footprint beyond the grid") << 148 << 5 << 2;
    QTest::newRow("x at the lower limit") << kMin << 5 << 2;
    QTest::newRow("z at the upper limit") << 35 << 5 << kMax;
}

void TestBoard::refusedMove() {
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, z);
    Board board;
    board.PlaceComponent(20, 20, 20, 1, 1, 0);
    tDetal& d = board.PlaceComponent(35, 5, 2, 2, 11, 0);
    const Snapshot before = Snapshot::of(board);
    QVERIFY(!board.TryMoveComponent(d, x, y, z));
    board.MoveComponent(d, x, y, z);
    QCOMPARE(Snapshot::of(board), before);
    QCOMPARE(board.occupiedCells(), sweepOccupied(board));
}

void TestBoard::moveRestampsAtNewOrigin() {
    Board board;
    tDetal& d = board.PlaceComponent(35, 5, 2, 1, 1, 0);
    QVERIFY(board.TryMoveComponent(d, 40, 6, 3));
    QCOMPARE(valuesOf(d), (Values{40, 6, 3, 1, 1, 0, 0}));
    QCOMPARE(board.cell(39, 10, 4), kEmptyCell);
    QCOMPARE(sweepOccupied(board), std::vector<int32_t>{cellNumber(44, 11, 5)});
    // A move onto its own cell counts that cell as free.
    QVERIFY(board.TryMoveComponent(d, 40, 6, 3));
    QCOMPARE(board.occupiedCells(), std::vector<int32_t>{cellNumber(44, 11, 5)});
}

void TestBoard::rotate_data() {
    QTest::addColumn<int>("startRot");
    QTest::addColumn<QList<int>>("deltas");
    QTest::addColumn<int>("endRot");
    QTest::newRow("+1 then -1") << 0 << QList<int>{1, -1} << 0;
    QTest::newRow("eight counter-clockwise") << 0 << QList<int>(8, 1) << 8;
    QTest::newRow("stored value far out") << -1000 << QList<int>{-1, -1} << -1002;
    QTest::newRow("wraps past the upper limit") << kMax << QList<int>{1} << kMin;
    QTest::newRow("wraps past the lower limit") << kMin << QList<int>{-1} << kMax;
    QTest::newRow("big delta wraps") << kMax << QList<int>{kMax} << -2;
}

void TestBoard::rotate() {
    QFETCH(int, startRot);
    QFETCH(QList<int>, deltas);
    QFETCH(int, endRot);
    Board board;
    board.PlaceComponent(50, 50, 50, 1, 1, 0);
    tDetal& d = board.PlaceComponent(35, 5, 2, 1, 1, startRot);
    const auto cells = sweepOccupied(board);
    for (int delta : deltas)
        QVERIFY(board.TryRotateComponent(d, delta));
    QCOMPARE(d.Rot, endRot);
    QCOMPARE(sweepOccupied(board), cells);
    QCOMPARE(board.cell(39, 10, 4), 1);
}

void TestBoard::overlappingPlacementLosesCell() {
    Board board;
    tDetal& first = board.PlaceComponent(35, 5, 2, 1, 1, 0);
    tDetal& second = board.PlaceComponent(35, 5, 2, 1, 2, 0);
    QCOMPARE(board.count(), 2);
    QCOMPARE(board.cell(39, 10, 4), 1);
    QCOMPARE(board.occupiedCells(), std::vector<int32_t>{cellNumber(39, 10, 4)});
    // The first cannot turn while its cell holds the other index.
    QVERIFY(!board.TryRotateComponent(first, 1));
    QCOMPARE(first.Rot, 0);

    QVERIFY(board.TryMoveComponent(second, 45, 5, 2));
    QCOMPARE(board.cell(39, 10, 4), kEmptyCell);
    QCOMPARE(board.occupiedCells(), std::vector<int32_t>{cellNumber(49, 10, 4)});

    // Turning the first now that its cell is free stamps it again.
    QVERIFY(board.TryRotateComponent(first, 1));
    QCOMPARE(board.cell(39, 10, 4), 0);
    QCOMPARE(board.occupiedCells(), sweepOccupied(board));
    QCOMPARE(board.occupiedCells().size(), size_t(2));
}

void TestBoard::eraseOnlyMatchingCells_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QList<int>>("remaining"); // indices whose cells survive
    // Record 1's only cell holds 2, so the grid starts with the values 0 and 2.
    QTest::newRow("first record") << 0 << QList<int>{2};
    QTest::newRow("overwritten record leaves the later one") << 1 << QList<int>{0, 2};
    QTest::newRow("the overwriting record") << 2 << QList<int>{0};
    QTest::newRow("no record") << 3 << QList<int>{0, 2};
    QTest::newRow("empty value") << -1 << QList<int>{0, 2};
    QTest::newRow("lowest value") << kMin << QList<int>{0, 2};
    QTest::newRow("highest value") << kMax << QList<int>{0, 2};
}

void TestBoard::eraseOnlyMatchingCells() {
    QFETCH(int, index);
    QFETCH(QList<int>, remaining);
    Board board;
    board.PlaceComponent(10, 10, 10, 1, 1, 0);
    board.PlaceComponent(20, 20, 20, 1, 1, 0); // figure 1 here and figure 2 below share
    board.PlaceComponent(21, 23, 20, 2, 1, 0); // the cell (24, 25, 22)
    QCOMPARE(board.cell(24, 25, 22), 2);
    const auto records = Snapshot::of(board).records;
    board.EraseComponent(index);
    QCOMPARE(Snapshot::of(board).records, records);
    QList<int> found;
    for (int32_t c : sweepOccupied(board))
        found << board.gridData()[c];
    std::sort(found.begin(), found.end());
    QCOMPARE(found, remaining);
    QCOMPARE(board.occupiedCells(), sweepOccupied(board));
}

void TestBoard::clearAndRenumber() {
    Board board;
    for (int i = 0; i < 5; ++i)
        board.PlaceComponent(10 + 6 * i, 10, 10, 1 + i % 2, 1, i);
    const uint64_t clears = board.clearCount();
    board.ClearBoard();
    QCOMPARE(board.count(), 0);
    QVERIFY(sweepOccupied(board).empty());
    QCOMPARE(board.clearCount(), clears + 1);
    board.ClearBoard();
    QVERIFY(sweepOccupied(board).empty());

    for (int i = 0; i < 3; ++i)
        QCOMPARE(board.PlaceComponent(35, 5 + 10 * i, 2, 1, 1, 0).Index, i);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(board.detal(i)->Index, i);
    QCOMPARE(board.occupiedCells(), sweepOccupied(board));
    QCOMPARE(board.occupiedCells().size(), size_t(3));
}

void TestBoard::timerHooksAroundPlaceAndClear() {
    Board board;
    QStringList calls;
    board.setTimerHooks([&] { calls << "stop"; }, [&] { calls << "start"; });
    board.setClearedHook([&] { calls << "cleared"; });
    tDetal& d = board.PlaceComponent(35, 5, 2, 1, 1, 0);
    QCOMPARE(calls, QStringList({"stop", "start"}));
    calls.clear();
    board.MoveComponent(d, 36, 5, 2);
    board.RotateComponent(d, 1);
    board.EraseComponent(0);
    QVERIFY(calls.isEmpty());
    board.ClearBoard();
    QCOMPARE(calls, QStringList({"stop", "start", "cleared"}));
}

void TestBoard::recordsBeyondGridKeptWithoutCells_data() {
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("z");
    QTest::addColumn<int>("figure");
    QTest::newRow("cell just past x") << 147 << 5 << 2 << 1;
    QTest::newRow("cell just past y") << 5 << 146 << 2 << 1;
    QTest::newRow("cell just past z") << 5 << 5 << 149 << 1;
    QTest::newRow("cell just below x") << -4 << 5 << 2 << 1;
    QTest::newRow("highest origin") << kMax << kMax << kMax << 1;
    QTest::newRow("lowest origin") << kMin << kMin << kMin << 2;
    // Offsets added in 32 bits would wrap these back into the grid.
    QTest::newRow("x near the upper limit") << kMax - 3 << 5 << 2 << 1;
    QTest::newRow("mixed extremes") << kMin << kMax << 2 << 2;
    QTest::newRow("figure 0") << 35 << 5 << 2 << 0;
    QTest::newRow("figure 5") << 35 << 5 << 2 << 5;
    QTest::newRow("figure -1") << 35 << 5 << 2 << -1;
    QTest::newRow("figure max") << 35 << 5 << 2 << kMax;
    QTest::newRow("figure min") << 35 << 5 << 2 << kMin;
}

void TestBoard::recordsBeyondGridKeptWithoutCells() {
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, z);
    QFETCH(int, figure);
    Board board;
    tDetal& d = board.PlaceComponent(x, y, z, figure, 99, kMax);
    QCOMPARE(valuesOf(d), (Values{x, y, z, 99, figure, kMax, 0}));
    QVERIFY(sweepOccupied(board).empty());
    QVERIFY(board.occupiedCells().empty());

    // Editing such a record never reaches outside the grid either.
    const bool turned = board.TryRotateComponent(d, 1);
    QVERIFY(sweepOccupied(board).empty());
    board.EraseComponent(0);
    QVERIFY(sweepOccupied(board).empty());
    QCOMPARE(d.Rot, turned ? kMin : kMax);
    QVERIFY(board.TryMoveComponent(d, 60, 60, 60));
    const auto cells = sweepOccupied(board);
    QCOMPARE(cells.size(), size_t(figure >= 1 && figure <= 4 ? 1 : 0));
    QCOMPARE(board.occupiedCells(), cells);
    board.ClearBoard();
    QVERIFY(sweepOccupied(board).empty());
}

void TestBoard::cellOutsideGridReadsEmpty_data() {
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("z");
    QTest::newRow("x 0") << 0 << 10 << 4;
    QTest::newRow("y 151") << 39 << 151 << 4;
    QTest::newRow("z max") << 39 << 10 << kMax;
    // (39, 9, 154) has the flat number of (39, 10, 4): no wrapping onto the next row.
    QTest::newRow("z past a row") << 39 << 9 << 154;
}

void TestBoard::cellOutsideGridReadsEmpty() {
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, z);
    Board board;
    board.PlaceComponent(35, 5, 2, 1, 1, 0);
    QCOMPARE(board.cell(39, 10, 4), 0);
    QCOMPARE(board.cell(x, y, z), kEmptyCell);
}

void TestBoard::foreignRecordIsNotMoved() {
    Board board;
    board.PlaceComponent(35, 5, 2, 1, 1, 0);
    tDetal copy = *board.detal(0);
    QVERIFY(!board.TryMoveComponent(copy, 40, 5, 2));
    QVERIFY(!board.TryRotateComponent(copy, 1));
    QCOMPARE(board.cell(39, 10, 4), 0);
    QCOMPARE(board.occupiedCells(), std::vector<int32_t>{cellNumber(39, 10, 4)});
}

QTEST_MAIN(TestBoard)
#include "test_board.moc"
