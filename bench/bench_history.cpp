// The undo history: undo and redo of a clear of a whole board (the board only, no frame), beside
// the rebuild through the editor's own placing that a delete uses; and what 1,000 steps keep in
// memory on a 1,000-component board. Run: build/bench/bench_history
#include "board/history.h"

#include <benchmark/benchmark.h>

using namespace kelmira;

namespace {

// n components on a lattice 5 cells apart (27,000 fill the grid), kinds in turn.
void fill(Editor& e, int n) {
    int placed = 0;
    for (int x = 2; x <= 147 && placed < n; x += 5)
        for (int y = 2; y <= 147 && placed < n; y += 5)
            for (int z = 2; z <= 147 && placed < n; z += 5, ++placed)
                e.PlaceStored(x, y, z, 1, catalog()[size_t(placed) % catalog().size()].code, 0);
    e.SelectFirst();
}

// A board of n components, cleared through the history: one step to undo.
struct ClearedBoard {
    Editor e;
    EditHistory h;
    explicit ClearedBoard(int n) {
        fill(e, n);
        h.wholeBoard(e, StepKind::Clear, [this] { e.ClearAll(); });
    }
};

void BM_UndoClear(benchmark::State& state) {
    ClearedBoard b(int(state.range(0)));
    auto& [e, h] = b;
    for (auto _ : state) {
        h.undo(e);
        state.PauseTiming();
        h.redo(e);
        state.ResumeTiming();
    }
    state.counters["step_bytes"] = double(h.bytes());
}

void BM_RedoClear(benchmark::State& state) {
    ClearedBoard b(int(state.range(0)));
    auto& [e, h] = b;
    for (auto _ : state) {
        state.PauseTiming();
        h.undo(e);
        state.ResumeTiming();
        h.redo(e);
    }
}

// The same board back through the delete's rebuild: clear, then place every record again.
void BM_RebuildByPlacing(benchmark::State& state) {
    Editor e;
    fill(e, int(state.range(0)));
    std::vector<StoredRecord> records;
    for (const auto& d : e.board().DetalList())
        records.push_back(storedRecord(*d));
    for (auto _ : state)
        e.rebuild(records);
}

// Keeping the step of a clear: the states on both sides, compared.
void BM_KeepClearStep(benchmark::State& state) {
    Editor e;
    fill(e, int(state.range(0)));
    const EditorSnapshot full = e.state();
    for (auto _ : state) {
        EditHistory h;
        h.wholeBoard(e, StepKind::Clear, [&] { e.ClearAll(); });
        state.PauseTiming();
        e.restore(full);
        state.ResumeTiming();
    }
}

// 1,000 steps on a 1,000-component board: moves and turns of the selected component, and in
// the second run a delete (a whole-board step) in every ten.
void BM_MemoryOf1000Steps(benchmark::State& state) {
    const bool deletes = state.range(0) != 0;
    for (auto _ : state) {
        Editor e;
        fill(e, 1000);
        EditHistory h;
        for (int i = 0; i < 1000; ++i) {
            if (deletes && i % 10 == 9) {
                std::vector<StoredRecord> kept;
                for (int32_t n : e.recordsKeptByDelete())
                    kept.push_back(storedRecord(*e.board().detal(n)));
                h.wholeBoard(e, StepKind::Delete, [&] { e.rebuild(kept); });
            } else if (i % 3 == 0) {
                h.turn(e, 1);
            } else {
                h.move(e, i % 2 ? MoveDir::Up : MoveDir::Down, 1);
            }
        }
        state.counters["steps"] = double(h.count());
        state.counters["bytes"] = double(h.bytes());
    }
}

} // namespace

BENCHMARK(BM_UndoClear)->Arg(1000)->Arg(27000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedoClear)->Arg(1000)->Arg(27000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RebuildByPlacing)->Arg(1000)->Arg(27000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeepClearStep)->Arg(1000)->Arg(27000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemoryOf1000Steps)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
