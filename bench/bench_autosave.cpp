// What the autosave costs the user-interface thread, on boards made by bench/make-board:
//   bench_autosave [benchmark flags] BOARD.kelmar...
// "ui thread" is one poll that starts a copy: the records copied, the writer thread started.
// "whole write here" is the same copy written on the calling thread (encode, write, commit),
// which is what the user would wait for if the writing were not handed off.
#include "board/editor.h"
#include "io/autosave.h"
#include "io/filewrite.h"
#include "io/projectfile.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

using namespace kelmira;

namespace {

struct Fixture {
    QTemporaryDir dir;
    Editor editor;
    bool ok = false;
    explicit Fixture(const QString& board) {
        ok = QDir(dir.path()).mkdir(QStringLiteral("Data")) && loadProject(editor, board).ok() &&
             editor.board().count() > 0;
    }
    // A change the autosave notices: one component turned and turned back keeps the board.
    void change() {
        Board& b = editor.board();
        tDetal& d = *b.detal(0);
        if (!b.TryRotateComponent(d, 1))
            b.TryRotateComponent(d, -1);
    }
};

void uiThread(benchmark::State& state, std::shared_ptr<Fixture> f) {
    if (!f->ok) {
        state.SkipWithError("board not loaded");
        return;
    }
    Autosave a(f->dir.path(), f->editor.board(), std::chrono::milliseconds(0),
               std::chrono::milliseconds(0));
    a.lock();
    for (auto _ : state) {
        state.PauseTiming();
        f->change();
        state.ResumeTiming();
        const Autosave::Tick t = a.poll(Autosave::Clock::now());
        state.PauseTiming();
        if (!t.started)
            state.SkipWithError("no write started");
        while (!a.poll(Autosave::Clock::now()).finished) {
        }
        state.ResumeTiming();
    }
    state.counters["components"] = f->editor.board().count();
}

void wholeWriteHere(benchmark::State& state, std::shared_ptr<Fixture> f) {
    if (!f->ok) {
        state.SkipWithError("board not loaded");
        return;
    }
    const QString path = Autosave::copyPath(f->dir.path());
    for (auto _ : state) {
        const WriteOutcome w =
            writeFileAtomically(path, encodeRecords(boardRecords(f->editor.board())));
        if (!w.ok)
            state.SkipWithError(qPrintable(w.message));
    }
    state.counters["components"] = f->editor.board().count();
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (argc < 2) {
        std::fputs("usage: bench_autosave [benchmark flags] BOARD.kelmar...\n", stderr);
        return 2;
    }
    for (int i = 1; i < argc; ++i) {
        auto f = std::make_shared<Fixture>(QString::fromLocal8Bit(argv[i]));
        const std::string name = QDir(QString::fromLocal8Bit(argv[i])).dirName().toStdString();
        // Fixed counts: every timed poll also waits (untimed) for its write to end.
        benchmark::RegisterBenchmark(("autosave ui thread/" + name).c_str(), uiThread, f)
            ->Iterations(50)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark(("autosave whole write here/" + name).c_str(), wholeWriteHere,
                                     f)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
