// glTF export of boards of 0 to 10,000 components: building the model from the kept geometry,
// serialising it, and the whole export to a file as kelmira-render does it. There is no older
// way to compare with; the counters give the file sizes.
#include "board/board.h"
#include "board/catalog.h"
#include "export/gltfexport.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace kelmira;

namespace {

// On a 6-cell lattice (as the frame benchmarks' projects), every kind in turn, every turn.
void fill(Board& board, int count) {
    const auto& kinds = catalog();
    for (int i = 0; i < count; ++i)
        board.PlaceComponent(2 + 6 * (i % 25), 2 + 6 * (i / 625), 2 + 6 * (i / 25 % 25), 1,
                             kinds[std::size_t(i) % kinds.size()].code, i % 8 - 3);
}

void BM_GltfModel(benchmark::State& state) {
    Board board;
    fill(board, int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(gltfModelOf(board, SceneSettings{}));
    state.counters["nodes"] = double(gltfModelOf(board, SceneSettings{}).nodes.size());
}

void BM_GltfBytes(benchmark::State& state) {
    Board board;
    fill(board, int(state.range(0)));
    const auto container = state.range(1) ? GltfContainer::Json : GltfContainer::Binary;
    qsizetype size = 0;
    for (auto _ : state)
        size = gltfBytes(gltfModelOf(board, SceneSettings{}), container).size();
    state.counters["bytes"] = double(size);
}

void BM_ExportGltfFile(benchmark::State& state) {
    Board board;
    fill(board, int(state.range(0)));
    QTemporaryDir dir;
    const QString path = dir.filePath(state.range(1) ? "board.gltf" : "board.glb");
    for (auto _ : state) {
        const WriteOutcome w = exportGltf(board, SceneSettings{}, path);
        if (!w.ok)
            state.SkipWithError(qPrintable(w.message));
    }
    state.counters["file bytes"] = double(QFileInfo(path).size());
}

} // namespace

BENCHMARK(BM_GltfModel)->Arg(0)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GltfBytes)
    ->ArgsProduct({{1000, 10000}, {0, 1}})
    ->ArgNames({"components", "json"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportGltfFile)
    ->ArgsProduct({{0, 1000, 10000}, {0, 1}})
    ->ArgNames({"components", "json"})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
