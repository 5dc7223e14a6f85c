// Random edit sequences against a plain reference board that does every erase as a full
// sweep of the grid, the simplest way the board can behave.
#include "board/board.h"
#include "grid_sweep.h"

#include <QTest>

#include <cstring>
#include <limits>
#include <optional>
#include <random>

using namespace kelmira;
using kelmira::testing::kCellTotal;
using kelmira::testing::sweepOccupied;

namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

class ReferenceBoard {
public:
    ReferenceBoard() : m_grid(size_t(kCellTotal), kEmptyCell) {}

    void place(int32_t x, int32_t y, int32_t z, int32_t figure, int32_t kind, int32_t rot) {
        tDetal d{x, y, z, kind, figure, rot, int32_t(m_list.size())};
        m_list.push_back(d);
        stamp(d);
    }
    void move(int32_t index, int32_t x, int32_t y, int32_t z) {
        tDetal& d = m_list[size_t(index)];
        if (!canPlace(x, y, z, d.Figure, d.Index))
            return;
        erase(d.Index);
        d.X = x;
        d.Y = y;
        d.Z = z;
        stamp(d);
    }
    void rotate(int32_t index, int32_t delta) {
        tDetal& d = m_list[size_t(index)];
        if (!canPlace(d.X, d.Y, d.Z, d.Figure, d.Index))
            return;
        erase(d.Index);
        d.Rot = int32_t(uint32_t(d.Rot) + uint32_t(delta));
        stamp(d);
    }
    void erase(int32_t index) {
        for (int32_t& c : m_grid)
            if (c == index)
                c = kEmptyCell;
    }
    void clear() {
        m_list.clear();
        std::fill(m_grid.begin(), m_grid.end(), kEmptyCell);
    }
    bool canPlace(int64_t x, int64_t y, int64_t z, int32_t figure, int32_t own) const {
        if (x < 2 || x > 148 || y < 2 || y > 148 || z < 1 || z > 148)
            return false;
        if (const auto off = offset(figure)) {
            const int64_t c = cell(x + off->i, y + off->j, z + off->k);
            if (c < 0 || (m_grid[size_t(c)] != kEmptyCell && m_grid[size_t(c)] != own))
                return false;
        }
        return true;
    }

    const std::vector<int32_t>& grid() const { return m_grid; }
    const std::vector<tDetal>& list() const { return m_list; }

private:
    struct Offset {
        int i, j, k;
    };
    // Each figure fills a single mask cell.
    static std::optional<Offset> offset(int32_t figure) {
        switch (figure) {
        case 1:
        case 3:
        case 4:
            return Offset{4, 5, 2};
        case 2:
            return Offset{3, 2, 2};
        default:
            return std::nullopt;
        }
    }
    static int64_t cell(int64_t x, int64_t y, int64_t z) {
        if (x < 1 || x > 150 || y < 1 || y > 150 || z < 1 || z > 150)
            return -1;
        return (x - 1) * 22500 + (y - 1) * 150 + (z - 1);
    }
    void stamp(const tDetal& d) {
        if (const auto off = offset(d.Figure)) {
            const int64_t c =
                cell(int64_t(d.X) + off->i, int64_t(d.Y) + off->j, int64_t(d.Z) + off->k);
            if (c >= 0)
                m_grid[size_t(c)] = d.Index;
        }
    }

    std::vector<int32_t> m_grid;
    std::vector<tDetal> m_list;
};

} // namespace

class TestBoardProperty : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void randomEditsMatchFullSweeps_data();
    void randomEditsMatchFullSweeps();
    void largeBoardsMatchFullSweeps_data();
    void largeBoardsMatchFullSweeps();
};

void TestBoardProperty::randomEditsMatchFullSweeps_data() {
    QTest::addColumn<uint>("seed");
    QTest::addColumn<int>("span"); // origins are drawn from a cube this wide at each corner
    QTest::newRow("crowded, seed 1") << 1u << 4;
    QTest::newRow("crowded, seed 2") << 2u << 4;
    QTest::newRow("roomy, seed 3") << 3u << 10;
    QTest::newRow("roomy, seed 4") << 4u << 10;
}

void TestBoardProperty::randomEditsMatchFullSweeps() {
    QFETCH(uint, seed);
    QFETCH(int, span);
    std::mt19937 rng(seed);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    // Mostly near the low bounds, where cells crowd; sometimes at the far edge, where
    // footprints leave the grid; rarely anywhere in 32 bits.
    auto coordinate = [&]() -> int32_t {
        const int where = pick(0, 49);
        if (where == 0)
            return std::uniform_int_distribution<int32_t>(kMin, kMax)(rng);
        if (where == 1)
            return pick(0, 1) ? kMin + pick(0, 5) : kMax - pick(0, 5);
        return where < 8 ? pick(150 - span, 150) : pick(0, span);
    };
    auto figure = [&]() -> int32_t {
        const int f = pick(-1, 12);
        return f <= 4 ? f : 1 + f % 4;
    };

    Board board;
    ReferenceBoard ref;
    // The cases that tell a footprint-cost board from a sweeping one must actually occur.
    int overlaps = 0, erasedOverwritten = 0, moved = 0, refused = 0, turned = 0;
    // The value in the single cell of a figure 1..4 at an origin, or nothing off the grid.
    auto cellAt = [&](int64_t x, int64_t y, int64_t z, int32_t fig) -> std::optional<int32_t> {
        if (fig < 1 || fig > 4)
            return std::nullopt;
        x += fig == 2 ? 3 : 4;
        y += fig == 2 ? 2 : 5;
        z += 2;
        if (x < 1 || x > 150 || y < 1 || y > 150 || z < 1 || z > 150)
            return std::nullopt;
        return board.cell(int(x), int(y), int(z));
    };
    auto overwritten = [&](int32_t index) {
        const tDetal& d = *board.detal(index);
        const auto v = cellAt(d.X, d.Y, d.Z, d.Figure);
        return v && *v != kEmptyCell && *v != index;
    };
    const int steps = 400;
    for (int step = 0; step < steps; ++step) {
        const int op = pick(0, 99);
        const int32_t n = board.count();
        QString what;
        if (op < 25 || n == 0) {
            int32_t x = coordinate(), y = coordinate(), z = coordinate(), f = figure();
            // As two adds in a row do: the new component lands on an existing one.
            if (n > 0 && op < 8) {
                const tDetal& other = *board.detal(pick(0, n - 1));
                x = other.X;
                y = other.Y;
                z = other.Z;
                f = other.Figure;
            }
            const int32_t rot = pick(-9, 9);
            const auto v = cellAt(x, y, z, f);
            overlaps += v && *v != kEmptyCell;
            board.PlaceComponent(x, y, z, f, 7, rot);
            ref.place(x, y, z, f, 7, rot);
            what = QStringLiteral("place %1 %2 %3 fig %4").arg(x).arg(y).arg(z).arg(f);
        } else if (op < 60) {
            const int32_t i = pick(0, n - 1);
            tDetal& d = *board.detal(i);
            int32_t x = d.X, y = d.Y, z = d.Z;
            if (pick(0, 3) == 0) {
                x = coordinate();
                y = coordinate();
                z = coordinate();
            } else {
                // A button press: one axis, step 1..5, in 64 bits like the editor.
                int64_t v[] = {x, y, z};
                const int a = pick(0, 2);
                v[a] += pick(0, 1) ? pick(1, 5) : -pick(1, 5);
                if (v[a] < kMin || v[a] > kMax)
                    continue;
                x = int32_t(v[0]);
                y = int32_t(v[1]);
                z = int32_t(v[2]);
            }
            erasedOverwritten += overwritten(i);
            const bool ok = board.TryMoveComponent(d, x, y, z);
            ref.move(i, x, y, z);
            (ok ? moved : refused) += 1;
            what = QStringLiteral("move %1 to %2 %3 %4").arg(i).arg(x).arg(y).arg(z);
        } else if (op < 80) {
            const int32_t i = pick(0, n - 1);
            const int32_t delta = pick(0, 20) == 0 ? kMax : (pick(0, 1) ? 1 : -1);
            turned += board.TryRotateComponent(*board.detal(i), delta);
            ref.rotate(i, delta);
            what = QStringLiteral("rotate %1 by %2").arg(i).arg(delta);
        } else if (op < 99) {
            const int32_t index = pick(0, 30) == 0 ? kMin : pick(-2, n + 2);
            erasedOverwritten += index >= 0 && index < n && overwritten(index);
            board.EraseComponent(index);
            ref.erase(index);
            what = QStringLiteral("erase %1").arg(index);
        } else {
            board.ClearBoard();
            ref.clear();
            what = QStringLiteral("clear");
        }

        const QByteArray context = QStringLiteral("step %1: %2").arg(step).arg(what).toUtf8();
        QVERIFY2(std::memcmp(board.gridData(), ref.grid().data(),
                             size_t(kCellTotal) * sizeof(int32_t)) == 0,
                 context.constData());
        QVERIFY2(board.count() == int32_t(ref.list().size()), context.constData());
        for (int32_t i = 0; i < board.count(); ++i) {
            const tDetal& a = *board.detal(i);
            const tDetal& b = ref.list()[size_t(i)];
            QVERIFY2(a.X == b.X && a.Y == b.Y && a.Z == b.Z && a.Figure == b.Figure &&
                         a.Kind == b.Kind && a.Rot == b.Rot && a.Index == b.Index,
                     context.constData());
        }
        QVERIFY2(board.occupiedCells() == sweepOccupied(board), context.constData());
    }
    qDebug("overlapping placements %d, edits of overwritten records %d, moves %d, refused %d,"
           " turns %d",
           overlaps, erasedOverwritten, moved, refused, turned);
    QVERIFY(overlaps > 0);
    QVERIFY(erasedOverwritten > 0);
    QVERIFY(moved > 0 && refused > 0 && turned > 0);
}

void TestBoardProperty::largeBoardsMatchFullSweeps_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("span");
    // Around the size where occupiedCells changes method, and well past it.
    QTest::newRow("1900 spread out") << 1900 << 140;
    QTest::newRow("2300 spread out") << 2300 << 140;
    QTest::newRow("6000 crowded") << 6000 << 20;
    QTest::newRow("20000 spread out") << 20000 << 146;
}

void TestBoardProperty::largeBoardsMatchFullSweeps() {
    QFETCH(int, count);
    QFETCH(int, span);
    std::mt19937 rng{uint32_t(count)};
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    Board board;
    ReferenceBoard ref;
    for (int i = 0; i < count; ++i) {
        const int32_t x = pick(0, span), y = pick(0, span), z = pick(0, span);
        const int32_t f = pick(0, 40) == 0 ? pick(-1, 6) : pick(1, 4);
        board.PlaceComponent(x, y, z, f, 1, 0);
        ref.place(x, y, z, f, 1, 0);
    }
    for (int round = 0; round < 3; ++round) {
        for (int e = 0; e < 60; ++e) {
            const int32_t i = pick(0, board.count() - 1);
            const int32_t x = pick(2, span), y = pick(2, span), z = pick(1, span);
            board.MoveComponent(*board.detal(i), x, y, z);
            ref.move(i, x, y, z);
        }
        const int32_t erased = pick(0, board.count() - 1);
        board.EraseComponent(erased);
        ref.erase(erased);
        QVERIFY(std::memcmp(board.gridData(), ref.grid().data(),
                            size_t(kCellTotal) * sizeof(int32_t)) == 0);
        QCOMPARE(board.occupiedCells(), sweepOccupied(board));
    }
}

QTEST_MAIN(TestBoardProperty)
#include "test_board_property.moc"
