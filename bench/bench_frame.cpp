// The component pass of one frame (four panes) over the board's occupied cells beside the full
// 150^3 sweep it replaces, on boards of 0, 100, 1000 and 10000 components; and the whole
// four-pane frame drawn offscreen in the GL at hand (Mesa's software GL under xvfb-run).
// Run: xvfb-run -a -s "-screen 0 1600x1200x24" build/bench/bench_frame
#include "board/board.h"
#include "render/matrixcanvas.h"
#include "render/offscreen.h"
#include "render/renderer.h"
#include "render/scenegeometry.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <unordered_set>

using namespace kelmira;

namespace {

constexpr Pane kPanes[] = {Pane::Front, Pane::Side, Pane::Top, Pane::ThreeD};

// n components of every kind at distinct random origins, turned every which way.
std::unique_ptr<Board> makeBoard(int n) {
    static const int32_t kinds[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  11, 12,
                                    13, 14, 15, 21, 22, 23, 24, 31, 32, 33, 34};
    auto board = std::make_unique<Board>();
    std::mt19937 rng(4242);
    std::uniform_int_distribution<int> xy(2, 145), z(1, 145), rot(-3, 4);
    std::unordered_set<int32_t> used;
    while (int(used.size()) < n) {
        const int x = xy(rng), y = xy(rng), zz = z(rng);
        if (used.insert(cellNumber(x, y, zz)).second)
            board->PlaceComponent(x, y, zz, 1, kinds[used.size() % std::size(kinds)], rot(rng));
    }
    return board;
}

int g_modelCalls = 0;
void countModel(Canvas&, int32_t) {
    ++g_modelCalls;
}

template <typename Pass> void componentPass(benchmark::State& state, Pass pass) {
    const auto board = makeBoard(int(state.range(0)));
    MatrixCanvas canvas;
    for (auto _ : state) {
        for (int p = 0; p < 4; ++p) {
            const ComponentPassStats s = pass(canvas, *board, 45, &countModel);
            benchmark::DoNotOptimize(s);
        }
    }
    state.counters["cells/pane"] = double(pass(canvas, *board, 45, &countModel).drawn);
}

void BM_ComponentPass_OccupiedCells(benchmark::State& state) {
    componentPass(state, drawPlacedComponents);
}
void BM_ComponentPass_FullSweep(benchmark::State& state) {
    componentPass(state, drawPlacedComponentsSweep);
}

// One full sweep of the grid for a single pane, the unit the target is measured against.
void BM_OneGridSweep(benchmark::State& state) {
    const auto board = makeBoard(0);
    MatrixCanvas canvas;
    for (auto _ : state)
        benchmark::DoNotOptimize(drawPlacedComponentsSweep(canvas, *board, 45, &countModel));
}

// Made in main after the application and destroyed before it: a GL context must not outlive
// the platform that made it.
OffscreenRenderer* g_renderer = nullptr;

// The offscreen renderer, or nothing (and the benchmark skipped) when no GL context exists.
OffscreenRenderer* rendererFor(benchmark::State& state) {
    if (!g_renderer->isValid()) {
        state.SkipWithError(qPrintable("no offscreen GL: " + g_renderer->errorString()));
        return nullptr;
    }
    return g_renderer;
}

// A board of `state.range(0)` components under the default settings and camera.
struct Scene {
    explicit Scene(const benchmark::State& state) : board(makeBoard(int(state.range(0)))) {}
    std::unique_ptr<Board> board;
    SceneSettings settings;
    CameraState camera;
    FrameInput input() { return {*board, settings, camera, kZoomStart}; }
    // An edit: the first component one cell along z and back, in turns.
    void edit() {
        tDetal& d = *board->detal(0);
        board->MoveComponent(d, d.X, d.Y, d.Z + m_dz);
        m_dz = -m_dz;
    }

private:
    int32_t m_dz = 1;
};

void BM_FullFrame_Offscreen(benchmark::State& state) {
    OffscreenRenderer* renderer = rendererFor(state);
    if (!renderer)
        return;
    Scene scene(state);
    const FrameInput in = scene.input();
    const QSize paneSize(470, 370);
    for (auto _ : state)
        for (Pane p : kPanes)
            benchmark::DoNotOptimize(renderer->renderPane(p, paneSize, in));
    state.SetLabel(renderer->backend() == OffscreenRenderer::Backend::Qt ? "Qt context"
                                                                         : "EGL context");
}

// One picture of the default camera: the 3D pane at its size in the editor at start-up
// (range 1 = 0), or the four-pane sheet of Panel6 (range 1 = 1); kept scene or call by call.
void frame(benchmark::State& state, OffscreenRenderer::Path path) {
    OffscreenRenderer* renderer = rendererFor(state);
    if (!renderer)
        return;
    Scene scene(state);
    const FrameInput in = scene.input();
    const bool sheet = state.range(1) == 1;
    auto draw = [&] {
        return sheet ? renderer->renderSheet(QSize(968, 768), in, true, QColor(240, 240, 240), path)
                     : renderer->renderPane(Pane::ThreeD, QSize(469, 343), in, path);
    };
    draw(); // the first frame builds and uploads the kept scene
    for (auto _ : state)
        benchmark::DoNotOptimize(draw());
    state.SetLabel(sheet ? "sheet 968x768" : "3D pane 469x343");
}

void BM_Frame_Kept(benchmark::State& state) {
    frame(state, OffscreenRenderer::Path::Kept);
}
void BM_Frame_Immediate(benchmark::State& state) {
    frame(state, OffscreenRenderer::Path::Immediate);
}

// The cost an edit adds to the next frame: the placed components tessellated again from the
// kept models (every edit rebuilds them all).
void BM_RebuildAfterEdit(benchmark::State& state) {
    Scene scene(state);
    SceneGeometry kept;
    kept.update(*scene.board, scene.settings);
    for (auto _ : state) {
        scene.edit();
        kept.update(*scene.board, scene.settings);
    }
    const Mesh m = kept.componentMesh();
    state.counters["triangles"] = m.triangleCount();
    state.counters["lines"] = m.lineCount();
}

// The same, then the 3D pane drawn with the new buffer uploaded.
void BM_FrameAfterEdit(benchmark::State& state) {
    OffscreenRenderer* renderer = rendererFor(state);
    if (!renderer)
        return;
    Scene scene(state);
    const FrameInput in = scene.input();
    for (auto _ : state) {
        scene.edit();
        benchmark::DoNotOptimize(renderer->renderPane(Pane::ThreeD, QSize(469, 343), in));
    }
}

} // namespace

BENCHMARK(BM_Frame_Kept)
    ->ArgsProduct({{100, 1000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);
BENCHMARK(BM_Frame_Immediate)
    ->ArgsProduct({{100, 1000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);
BENCHMARK(BM_RebuildAfterEdit)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameAfterEdit)->Arg(1000)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_OneGridSweep)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ComponentPass_OccupiedCells)
    ->Arg(0)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ComponentPass_FullSweep)
    ->Arg(0)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullFrame_Offscreen)
    ->Arg(0)
    ->Arg(100)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

int main(int argc, char** argv) {
    // The Qt context needs an application; without a display the surfaceless EGL one serves.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    {
        OffscreenRenderer renderer;
        g_renderer = &renderer;
        benchmark::RunSpecifiedBenchmarks();
        g_renderer = nullptr;
    }
    benchmark::Shutdown();
    return 0;
}
