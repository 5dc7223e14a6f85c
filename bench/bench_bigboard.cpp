// Large boards in the editor under the X server at hand (Xvfb here): resident memory after a
// load, the time from the load to the first complete frame of the four panes, and the CPU one
// edit costs (a move of one component: the kept scene brought up to date, uploaded and the four
// panes drawn again), for lattices of 1,000, 10,000 and 27,000 components.
//
// Each figure comes from a child process of its own, so that the memory of one board or path
// never counts towards another: "whole" is the way the panes worked before (each pane's context
// alone, every edit rebuilding and uploading the whole kept scene and drawing every component
// of every pane), "kept" the way they work now. Both pace the rasteriser's flushes alike.
// Run: xvfb-run -a -s "-screen 0 1600x1200x24" build/bench/bench_bigboard [EDITS] [N ...]
#include "app/mainwindow.h"
#include "benchwindows.h"
#include "io/projectfile.h"
#include "render/glpane.h"
#include "render/glscene.h"
#include "render/renderstats.h"
#include "render/scenegeometry.h"
#include "windows/aboutwindow.h"
#include "windows/settingswindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <memory>

using namespace kelmira;

namespace {

constexpr Pane kPanes[] = {Pane::Front, Pane::Side, Pane::Top, Pane::ThreeD};

double processCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

long residentKb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// A project of n components on a lattice 5 cells apart, from the board up, every kind and
// every turn in turn; 27,000 fill the grid.
void writeLattice(const QString& path, int n) {
    static const int kinds[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  11, 12,
                                13, 14, 15, 21, 22, 23, 24, 31, 32, 33, 34};
    QByteArray out = QByteArray::number(n) + "\r\n";
    for (int i = 0; i < n; ++i) {
        const int x = 2 + 5 * (i % 30), z = 1 + 5 * (i / 30 % 30), y = 2 + 5 * (i / 900);
        for (int v : {x, y, z, 1, kinds[i % 22], i % 8 - 3})
            out += QByteArray::number(v) + "\r\n";
    }
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(out);
}

// Runs the event loop until every pane has drawn since `before`.
bool waitForPanes(TForm1& f, const int (&before)[4], int timeoutMs = 120000) {
    QElapsedTimer t;
    t.start();
    // Wakes the blocking wait below now and then, so that waiting itself costs no CPU.
    QTimer wake;
    wake.start(10);
    for (;;) {
        bool all = true;
        for (int i = 0; i < 4; ++i)
            all = all && f.pane(kPanes[i])->paintCount() > before[i];
        if (all)
            return true;
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

void snapshot(TForm1& f, int (&counts)[4]) {
    for (int i = 0; i < 4; ++i)
        counts[i] = f.pane(kPanes[i])->paintCount();
}

int child(int n, bool whole, int edits) {
    QTemporaryDir dir;
    const QString project = dir.filePath(QStringLiteral("board.kelmar"));
    writeLattice(project, n);
    BenchWindows windows(dir.path());
    auto& f = windows.form1;
    f->timer1()->stop();
    SceneGeometry::setWholeRebuilds(whole);
    GlSceneBuffers::setCulling(!whole);
    for (Pane p : kPanes)
        f->pane(p)->setRedrawMode(whole ? PaneWidget::RedrawMode::Whole
                                        : PaneWidget::RedrawMode::Damaged);
    f->show();
    if (!QTest::qWaitForWindowExposed(f.get()))
        return 1;
    // The empty board's first frames: every pane has drawn once.
    int counts[4] = {0, 0, 0, 0};
    f->RenderFrame();
    waitForPanes(*f, counts);
    QTest::qWait(300);
    const long emptyRss = residentKb();

    QElapsedTimer load;
    load.start();
    renderStats() = {};
    if (!loadProject(f->editor(), project).ok())
        return 1;
    snapshot(*f, counts);
    f->RenderFrame();
    if (!waitForPanes(*f, counts))
        return 1;
    const double loadSeconds = double(load.nsecsElapsed()) / 1e9;
    std::fprintf(stderr, "%d components, load: %.3f s writing buffers, %.3f s drawing\n", n,
                 renderStats().uploadSeconds, renderStats().drawSeconds);
    QTest::qWait(500);
    const long rss = residentKb();
    SceneGeometry probe;
    probe.update(f->editor().board(), SceneSettings{});
    int64_t vertices = 0;
    for (int st = 0; st < KeptComponents::streamCount(); ++st)
        vertices += probe.components().vertexCount(st);
    std::fprintf(stderr, "%d components: %lld vertices kept (%.0f MB)\n", n,
                 static_cast<long long>(vertices), double(vertices) * sizeof(MeshVertex) / 1048576);

    // Each edit moves one component one cell to the right and the next time back, as the
    // move button would; its CPU is the whole process's (llvmpipe's threads included).
    Editor& e = f->editor();
    e.setHighlighted(n / 2);
    e.Select();
    renderStats() = {};
    renderStats().finishDraws = true;
    const double cpu0 = processCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    for (int i = 0; i < edits; ++i) {
        e.Move(i % 2 ? MoveDir::Left : MoveDir::Right, 1);
        snapshot(*f, counts);
        f->RenderFrame();
        if (!waitForPanes(*f, counts))
            return 1;
    }
    const double cpu = (processCpuSeconds() - cpu0) / edits;
    const double wallPerEdit = double(wall.nsecsElapsed()) / 1e9 / edits;
    const RenderStats s = renderStats();
    std::printf("%d %s %.0f %.3f %.4f %.4f %.4f %.4f %.4f %.0f\n", n, whole ? "whole" : "kept",
                double(rss) / 1024, loadSeconds, cpu, wallPerEdit, s.updateSeconds / edits,
                s.uploadSeconds / edits, s.drawSeconds / edits, double(emptyRss) / 1024);
    f->hide();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 5 && std::strcmp(argv[1], "--child") == 0) {
        const bool whole = std::strcmp(argv[3], "whole") == 0;
        // One share group for the four panes, as main() asks for it; not in the old way.
        if (!whole)
            QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        QSurfaceFormat::setDefaultFormat(paneSurfaceFormat());
        QApplication app(argc, argv);
        return child(std::atoi(argv[2]), whole, std::atoi(argv[4]));
    }
    QCoreApplication app(argc, argv);
    const int edits = argc > 1 ? std::atoi(argv[1]) : 10;
    QList<int> sizes;
    for (int i = 2; i < argc; ++i)
        sizes << std::atoi(argv[i]);
    if (sizes.isEmpty())
        sizes = {1000, 10000, 27000};
    std::printf("%-10s %-6s %14s %16s %14s %14s %26s\n", "components", "path",
                "resident MB (empty)", "load to frame s", "CPU/edit s", "wall/edit s",
                "update/upload/draw s");
    for (int n : sizes)
        for (const char* path : {"whole", "kept"}) {
            QProcess p;
            p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            p.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--child"), QString::number(n), QString::fromLatin1(path),
                     QString::number(edits)});
            p.waitForFinished(-1);
            const QList<QByteArray> v = p.readAllStandardOutput().trimmed().split(' ');
            if (p.exitCode() != 0 || v.size() < 10) {
                std::printf("%-10d %-6s failed\n", n, path);
                continue;
            }
            std::printf("%-10d %-6s %7s (%4s) %16s %14s %14s %8s/%s/%s\n", n, path,
                        v[2].constData(), v[9].constData(), v[3].constData(), v[4].constData(),
                        v[5].constData(), v[6].constData(), v[7].constData(), v[8].constData());
            std::fflush(stdout);
        }
    return 0;
}
