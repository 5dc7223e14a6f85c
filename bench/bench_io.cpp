// Project file load and save at 100,000 components (700,001 lines), list entries included.
#include "board/editor.h"
#include "io/projectfile.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>

using namespace kelmira;

namespace {

constexpr int kRecords = 100000;

// Spread over the board, every kind of the catalog in turn, turned every which way.
void fill(Editor& e) {
    const auto& kinds = catalog();
    for (int i = 0; i < kRecords; ++i) {
        e.PlaceStored(2 + i % 140, 2 + (i / 140) % 140, 1 + (i / 19600) % 140, 1 + i % 4,
                      kinds[size_t(i) % kinds.size()].code, i % 16 - 8);
    }
}

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

void BM_SaveProject(benchmark::State& state) {
    Editor e;
    fill(e);
    const QString name = folder().filePath(QStringLiteral("bench"));
    for (auto _ : state) {
        const SaveResult r = saveProject(e.board(), name);
        if (!r.ok)
            state.SkipWithError(qPrintable(r.message));
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}

void BM_LoadProject(benchmark::State& state) {
    const QString name = folder().filePath(QStringLiteral("bench-load"));
    {
        Editor e;
        fill(e);
        if (!saveProject(e.board(), name).ok) {
            state.SkipWithError("could not write the project");
            return;
        }
    }
    Editor e;
    for (auto _ : state) {
        const LoadResult r = loadProject(e, projectFileName(name));
        if (!r.ok() || e.entries().size() != size_t(kRecords))
            state.SkipWithError(qPrintable(r.message));
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}

// The parse alone, to tell reading cost from placing cost.
void BM_ReadRecordsOnly(benchmark::State& state) {
    Editor e;
    fill(e);
    const QByteArray bytes = encodeRecords(boardRecords(e.board()));
    for (auto _ : state) {
        ValueReader reader{QByteArrayView(bytes)};
        int64_t sum = 0;
        const RecordsRead read =
            readRecords(reader, [&](const StoredRecord& r) { sum += r.X + r.Rot; });
        benchmark::DoNotOptimize(sum);
        if (read.complete != kRecords)
            state.SkipWithError("short read");
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

} // namespace

BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadProject)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadRecordsOnly)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
