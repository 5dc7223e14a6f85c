// The editor itself under the X server at hand (Xvfb here): the CPU an idle editor costs and
// the frames the 3D pane shows while the camera is dragged, on boards of 100 and 1,000
// components, with the panes drawing from the kept scene and, in the same run, call by call
// at every tick as they did before.
// Run: xvfb-run -a -s "-screen 0 1600x1200x24" build/bench/bench_editor [IDLE_SECONDS]
#include "app/mainwindow.h"
#include "benchwindows.h"
#include "render/glpane.h"
#include "windows/aboutwindow.h"
#include "windows/settingswindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>
#include <memory>
#include <random>
#include <set>
#include <tuple>

using namespace kelmira;

namespace {

double processCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// n components of every kind at distinct random origins, as the frame benchmarks place them.
void fill(Editor& editor, int n) {
    static const int32_t kinds[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  11, 12,
                                    13, 14, 15, 21, 22, 23, 24, 31, 32, 33, 34};
    std::mt19937 rng(4242);
    std::uniform_int_distribution<int> xy(2, 145), z(1, 145), rot(-3, 4);
    std::set<std::tuple<int, int, int>> used;
    while (int(used.size()) < n) {
        const int x = xy(rng), y = xy(rng), zz = z(rng);
        if (used.insert({x, y, zz}).second)
            editor.PlaceStored(x, y, zz, 1, kinds[used.size() % std::size(kinds)], rot(rng));
    }
}

// Runs the event loop for `seconds`, the way the editor runs between the user's actions.
void run(double seconds) {
    QEventLoop loop;
    QTimer::singleShot(int(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

struct Figures {
    double idleCpuPercent;
    double dragFps;
};

Figures measure(TForm1& f, PaneWidget::DrawMode mode, double idleSeconds) {
    for (Pane p : {Pane::Front, Pane::Side, Pane::Top, Pane::ThreeD})
        f.pane(p)->setDrawMode(mode);
    run(2); // the first frames, uploads and the like
    const double cpu0 = processCpuSeconds();
    run(idleSeconds);
    const double idle = (processCpuSeconds() - cpu0) / idleSeconds * 100;

    // A left-button drag across the 3D pane, one pixel every 5 ms, for 5 seconds.
    PaneWidget* pane = f.pane(Pane::ThreeD);
    QTest::mousePress(pane, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    int x = 10;
    QTimer mover;
    QObject::connect(&mover, &QTimer::timeout, [&] {
        x = x >= 200 ? 10 : x + 1;
        QMouseEvent move(QEvent::MouseMove, QPointF(x, 10), pane->mapToGlobal(QPointF(x, 10)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pane, &move);
    });
    mover.start(5);
    const int frames0 = pane->paintCount();
    QElapsedTimer t;
    t.start();
    run(5);
    const double fps = (pane->paintCount() - frames0) / (double(t.elapsed()) / 1000);
    mover.stop();
    QTest::mouseRelease(pane, Qt::LeftButton, Qt::NoModifier, QPoint(x, 10));
    return {idle, fps};
}

} // namespace

int main(int argc, char** argv) {
    QSurfaceFormat::setDefaultFormat(paneSurfaceFormat());
    QApplication app(argc, argv);
    const double idleSeconds = argc > 1 ? std::atof(argv[1]) : 20;
    QTemporaryDir dir;
    std::printf("%-11s %-10s %22s %22s\n", "components", "panes", "idle CPU (% of a core)",
                "3D drag (frames/s)");
    for (int n : {100, 1000}) {
        BenchWindows windows(dir.path());
        auto& f = windows.form1;
        fill(f->editor(), n);
        f->show();
        if (!QTest::qWaitForWindowExposed(f.get()))
            return 1;
        for (auto [mode, name] : {std::pair{PaneWidget::DrawMode::Kept, "kept"},
                                  std::pair{PaneWidget::DrawMode::Immediate, "immediate"}}) {
            const Figures r = measure(*f, mode, idleSeconds);
            std::printf("%-11d %-10s %22.1f %22.1f\n", n, name, r.idleCpuPercent, r.dragFps);
            std::fflush(stdout);
        }
        f->hide();
        f.reset();
    }
    return 0;
}
