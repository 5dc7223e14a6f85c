// Board operations at footprint cost beside the full sweeps they replace, on boards holding
// 0, 100, 1000 and 10000 other components. Run: build/bench/bench_board
#include "board/board.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <unordered_set>
#include <vector>

using namespace kelmira;

namespace {

constexpr int32_t kCells = kGridSize * kGridSize * kGridSize;

// The operated-on component stands apart from the others, with a free cell beside it.
constexpr int32_t kSubjectX = 144, kSubjectY = 143, kSubjectZ = 143;

// n components of figure 1 at distinct random origins below x = 140, then the subject.
void populate(Board& board, int n) {
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> xy(2, 140), z(1, 140);
    std::unordered_set<int32_t> used;
    while (int(used.size()) < n) {
        const int x = xy(rng), y = xy(rng), zz = z(rng);
        if (used.insert(cellNumber(x, y, zz)).second)
            board.PlaceComponent(x, y, zz, 1, 1 + int(used.size()) % 9, 0);
    }
    board.PlaceComponent(kSubjectX, kSubjectY, kSubjectZ, 1, 11, 0);
}

// The board done the simple way: every erase, and so every move and turn, sweeps the grid.
class SweepBoard {
public:
    explicit SweepBoard(const Board& board)
        : m_grid(board.gridData(), board.gridData() + kCells), m_mask(board.figure(1)) {}

    void erase(int32_t index) {
        for (int32_t& c : m_grid)
            if (c == index)
                c = kEmptyCell;
    }
    bool canPlace(int x, int y, int z, int32_t own) const {
        if (x < 2 || x > 148 || y < 2 || y > 148 || z < 1 || z > 148)
            return false;
        for (int i = 1; i <= 5; ++i)
            for (int j = 1; j <= 5; ++j)
                for (int k = 1; k <= 5; ++k)
                    if (m_mask.at(i, j, k)) {
                        const int32_t v = m_grid[size_t(cellNumber(x + i, y + j, z + k))];
                        if (v != kEmptyCell && v != own)
                            return false;
                    }
        return true;
    }
    void stamp(int x, int y, int z, int32_t index) {
        for (int i = 1; i <= 5; ++i)
            for (int j = 1; j <= 5; ++j)
                for (int k = 1; k <= 5; ++k)
                    if (m_mask.at(i, j, k))
                        m_grid[size_t(cellNumber(x + i, y + j, z + k))] = index;
    }
    bool move(tDetal& d, int x, int y, int z) {
        if (!canPlace(x, y, z, d.Index))
            return false;
        erase(d.Index);
        stamp(x, y, z, d.Index);
        d.X = x;
        d.Y = y;
        d.Z = z;
        return true;
    }
    bool rotate(tDetal& d, int32_t delta) {
        if (!canPlace(d.X, d.Y, d.Z, d.Index))
            return false;
        erase(d.Index);
        d.Rot += delta;
        stamp(d.X, d.Y, d.Z, d.Index);
        return true;
    }
    void clear() { std::fill(m_grid.begin(), m_grid.end(), kEmptyCell); }
    std::vector<int32_t> occupied() const {
        std::vector<int32_t> cells;
        for (int32_t c = 0; c < kCells; ++c)
            if (m_grid[size_t(c)] != kEmptyCell)
                cells.push_back(c);
        return cells;
    }

private:
    std::vector<int32_t> m_grid;
    FigureMask m_mask;
};

void BM_Erase_Footprint(benchmark::State& state) {
    Board board;
    populate(board, int(state.range(0)));
    // Every erase meets a stamped component: after a round over all of them, they are stamped
    // again (a move onto their own origin) with the clock stopped. On a board of one component
    // that happens every time, so its figure is mostly the cost of stopping the clock.
    int32_t i = 0;
    for (auto _ : state) {
        board.EraseComponent(i);
        if (++i == board.count()) {
            state.PauseTiming();
            for (const auto& d : board.DetalList())
                board.MoveComponent(*d, d->X, d->Y, d->Z);
            state.ResumeTiming();
            i = 0;
        }
    }
}

void BM_Erase_Sweep(benchmark::State& state) {
    Board board;
    populate(board, int(state.range(0)));
    SweepBoard sweep(board);
    int32_t i = 0;
    for (auto _ : state) {
        sweep.erase(i);
        i = (i + 1) % board.count();
    }
}

void BM_Move_Footprint(benchmark::State& state) {
    Board board;
    populate(board, int(state.range(0)));
    tDetal& d = *board.detal(board.count() - 1);
    bool ok = true;
    for (auto _ : state) {
        ok &= board.TryMoveComponent(d, kSubjectX - (d.X == kSubjectX), kSubjectY, kSubjectZ);
    }
    if (!ok)
        state.SkipWithError("a move was refused");
}

void BM_Move_Sweep(benchmark::State& state) {
    Board board;
    populate(board, int(state.range(0)));
    SweepBoard sweep(board);
    tDetal d = *board.detal(board.count() - 1);
    bool ok = true;
    for (auto _ : state) {
        ok &= sweep.move(d, kSubjectX - (d.X == kSubjectX), kSubjectY, kSubjectZ);
    }
    if (!ok)
        state.SkipWithError("a move was refused");
}

void BM_Rotate_Footprint(benchmark::State& state) {
    Board board;
    populate(board, int(state.range(0)));
    tDetal& d = *board.detal(board.count() - 1);
    for (auto _ : state)
        board.TryRotateComponent(d, d.Rot == 0 ? 1 : -1);
}

void BM_Rotate_Sweep(benchmark::State& state) {
    Board board;
    populate(board, int(state.range(0)));
    SweepBoard sweep(board);
    tDetal d = *board.detal(board.count() - 1);
    for (auto _ : state)
        sweep.rotate(d, d.Rot == 0 ? 1 : -1);
}

// Placement never swept; it is here to show it stays cheap as the list grows.
void BM_Place(benchmark::State& state) {
    Board board;
    const int n = int(state.range(0));
    populate(board, n);
    for (auto _ : state) {
        if (board.count() > n + 4096) {
            state.PauseTiming();
            board.ClearBoard();
            populate(board, n);
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(&board.PlaceComponent(35, 5, 2, 1, 1, 0));
    }
}

void BM_Clear_Footprint(benchmark::State& state) {
    Board board;
    for (auto _ : state) {
        state.PauseTiming();
        populate(board, int(state.range(0)));
        state.ResumeTiming();
        board.ClearBoard();
    }
}

void BM_Clear_Sweep(benchmark::State& state) {
    Board board;
    populate(board, int(state.range(0)));
    SweepBoard sweep(board);
    for (auto _ : state) {
        sweep.clear();
        benchmark::ClobberMemory();
    }
}

void BM_OccupiedCells_Footprint(benchmark::State& state) {
    Board board;
    populate(board, int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(board.occupiedCells());
}

void BM_OccupiedCells_Sweep(benchmark::State& state) {
    Board board;
    populate(board, int(state.range(0)));
    SweepBoard sweep(board);
    for (auto _ : state)
        benchmark::DoNotOptimize(sweep.occupied());
}

void boardSizes(benchmark::internal::Benchmark* b) {
    for (int n : {0, 100, 1000, 10000})
        b->Arg(n);
    b->ArgName("others");
}

} // namespace

BENCHMARK(BM_Erase_Footprint)->Apply(boardSizes);
BENCHMARK(BM_Erase_Sweep)->Apply(boardSizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Move_Footprint)->Apply(boardSizes);
BENCHMARK(BM_Move_Sweep)->Apply(boardSizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Rotate_Footprint)->Apply(boardSizes);
BENCHMARK(BM_Rotate_Sweep)->Apply(boardSizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Place)->Apply(boardSizes);
BENCHMARK(BM_Clear_Footprint)->Apply(boardSizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Clear_Sweep)->Apply(boardSizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OccupiedCells_Footprint)->Apply(boardSizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OccupiedCells_Sweep)->Apply(boardSizes)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
