// A click to the pick result: the component drawn at a pixel, for lattice boards of 1,000 and
// 27,000 components, in the 3D pane and the top pane at the editor's start size; and the
// rebuild of the picker's cells after an edit. Run: build/bench/bench_picking
#include "board/board.h"
#include "board/catalog.h"
#include "render/picking.h"
#include "render/scenegeometry.h"

#include <benchmark/benchmark.h>

#include <QPointF>

#include <vector>

using namespace kelmira;

namespace {

constexpr QSize kPane(469, 343);

void fill(Board& b, int n) {
    int placed = 0;
    for (int x = 2; x <= 147 && placed < n; x += 5)
        for (int y = 2; y <= 147 && placed < n; y += 5)
            for (int z = 2; z <= 147 && placed < n; z += 5, ++placed)
                b.PlaceComponent(x, y, z, 1, catalog()[size_t(placed) % catalog().size()].code,
                                 placed % 8);
}

// Pixels spread over the pane, half of them on the board's middle where components stand.
std::vector<QPointF> pixels() {
    std::vector<QPointF> out;
    for (int i = 0; i < 64; ++i)
        out.emplace_back(kPane.width() * (0.2 + 0.6 * (i % 8) / 7.0),
                         kPane.height() * (0.2 + 0.6 * (i / 8) / 7.0));
    return out;
}

void BM_Pick(benchmark::State& state) {
    Board b;
    fill(b, int(state.range(0)));
    ComponentPicker picker;
    picker.update(b, 45);
    const PaneView view{Pane(state.range(1)), CameraState{}, kZoomStart, kPane};
    const Mesh fixed = SceneGeometry::fixedSceneMesh(SceneSettings{});
    const std::vector<QPointF> at = pixels();
    std::size_t i = 0, hits = 0;
    for (auto _ : state) {
        const int32_t r = picker.pick(view, at[i++ % at.size()], fixed);
        hits += r >= 0;
        benchmark::DoNotOptimize(r);
    }
    state.counters["hit_share"] = double(hits) / double(i);
}

void BM_PickerAfterEdit(benchmark::State& state) {
    Board b;
    fill(b, int(state.range(0)));
    ComponentPicker picker;
    picker.update(b, 45);
    tDetal& d = *b.detal(0);
    int32_t dy = 1;
    for (auto _ : state) {
        b.TryMoveComponent(d, d.X, d.Y + dy, d.Z);
        dy = -dy;
        picker.update(b, 45);
    }
}

} // namespace

BENCHMARK(BM_Pick)
    ->Args({1000, int(Pane::ThreeD)})
    ->Args({1000, int(Pane::Top)})
    ->Args({27000, int(Pane::ThreeD)})
    ->Args({27000, int(Pane::Top)})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PickerAfterEdit)->Arg(1000)->Arg(27000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
