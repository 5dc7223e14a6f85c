// The kept scene after edits: the panes' pictures after damage-only redraws against whole
// ones, and the faults it survives. The chunks' ranges after every kind of edit are the
// fuzz_keptscene target's to check.
#include "board/board.h"
#include "render/glscene.h"
#include "render/keptcomponents.h"
#include "render/panewidget.h"
#include "render/picking.h"
#include "render/renderfaults.h"
#include "render/scenegeometry.h"

#include <QApplication>
#include <QTest>

#include <random>

using namespace kelmira;

namespace {

class Source : public FrameSource {
public:
    explicit Source(Board& b) : board(b) {}
    Board& board;
    SceneSettings settings;
    CameraState camera{35, 25, 0.2, -0.8};
    int zoom = 12;
    int32_t marked = -1; // the component with the selection mark, -1 for none
    mutable SceneGeometry geometry;
    mutable ComponentPicker picker;
    Board& frameBoard() override { return board; }
    const SceneGeometry& frameScene() const override {
        geometry.update(board, settings);
        picker.update(board, settings.rotationStep);
        geometry.setMark(marked >= 0 ? picker.bounds(marked) : std::nullopt);
        return geometry;
    }
    SceneSettings frameSettings() const override { return settings; }
    const CameraState& frameCamera() const override { return camera; }
    int frameZoom() const override { return zoom; }
};

const int32_t kKinds[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  11, 12,
                          13, 14, 15, 21, 22, 23, 24, 31, 32, 33, 34};

// A crowded corner of the grid, so that models overlap and tie in depth, across chunk borders.
void fill(Board& b, std::mt19937& rng, int n) {
    std::uniform_int_distribution<int> at(15, 40), rot(-3, 4), kind(0, 21);
    for (int placed = 0; placed < n;) {
        const int x = at(rng), y = at(rng) / 4, z = at(rng);
        if (b.cell(x + 1, y + 1, z + 1) == kEmptyCell) {
            b.PlaceComponent(x, y, z, 1, kKinds[kind(rng)], rot(rng));
            ++placed;
        }
    }
}

enum class Edit { Move, Turn, Add, Erase };

// One random edit; false when the board refused it.
bool edit(Board& b, std::mt19937& rng, Edit what) {
    std::uniform_int_distribution<int> pick(0, std::max(0, b.count() - 1)), step(-3, 3);
    switch (what) {
    case Edit::Move: {
        tDetal* d = b.detal(pick(rng));
        return d && b.TryMoveComponent(*d, d->X + step(rng), d->Y, d->Z + step(rng));
    }
    case Edit::Turn: {
        tDetal* d = b.detal(pick(rng));
        return d && b.TryRotateComponent(*d, step(rng) > 0 ? 1 : -1);
    }
    case Edit::Add:
        fill(b, rng, 1);
        return true;
    case Edit::Erase:
        // Erasing leaves the record; a delete rebuilds the board from the others.
        if (b.count() > 0)
            b.EraseComponent(pick(rng));
        return true;
    }
    return false;
}

} // namespace

class TestKeptChunks : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        resetRenderFaultReports();
        m_faults.clear();
        setRenderFaultHandler([this](RenderFault f, const QString&) { m_faults << int(f); });
    }

    void damagedPanesEqualWholeOnes_data() {
        QTest::addColumn<int>("pane");
        QTest::addColumn<int>("seed");
        QTest::newRow("front") << int(Pane::Front) << 11;
        QTest::newRow("side") << int(Pane::Side) << 12;
        QTest::newRow("top") << int(Pane::Top) << 13;
        QTest::newRow("3d") << int(Pane::ThreeD) << 14;
    }
    // After every edit and every move of the selection mark, the pane that drew only the
    // damaged rectangle shows what a pane drawing the board from scratch shows, to the pixel.
    void damagedPanesEqualWholeOnes() {
        QFETCH(int, pane);
        QFETCH(int, seed);
        std::mt19937 rng{uint32_t(seed)};
        Board board;
        fill(board, rng, 300);
        Source kept(board);
        PaneWidget incremental{Pane(pane)}, whole{Pane(pane)};
        incremental.setFrameSource(&kept);
        for (PaneWidget* w : {&incremental, &whole}) {
            w->resize(320, 240);
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w));
        }
        incremental.grabFramebuffer();
        int partial = 0;
        std::uniform_int_distribution<int> what(0, 3);
        std::uniform_int_distribution<int> mark(-1, 40);
        for (int i = 0; i < 25; ++i) {
            // Now and then the selection mark moves to another component (or goes).
            const bool remarked = i % 3 == 0;
            if (remarked)
                kept.marked = mark(rng);
            if (!edit(board, rng, Edit(what(rng))) && !remarked)
                continue;
            const QImage got = incremental.grabFramebuffer();
            const QRect drawn = incremental.lastDrawnRect();
            partial += drawn.isValid() && drawn != incremental.rect();
            Source scratch(board);
            scratch.marked = kept.marked;
            whole.setFrameSource(&scratch);
            const QImage want = whole.grabFramebuffer();
            whole.setFrameSource(nullptr);
            QCOMPARE(got, want);
        }
        QVERIFY(partial > 0); // the damage path was taken, not only whole frames
        QVERIFY(m_faults.isEmpty());
    }

    void faultsLeaveAWorkingPane_data() {
        QTest::addColumn<bool>("upload");
        QTest::addColumn<int>("fault");
        QTest::newRow("out of memory updating the scene") << false << int(RenderFault::OutOfMemory);
        QTest::newRow("buffer upload fails") << true << int(RenderFault::UploadFailed);
    }
    // Reported once, in Russian; the pane still shows the board, and after the fault it
    // follows edits again with the right picture.
    void faultsLeaveAWorkingPane() {
        QFETCH(bool, upload);
        QFETCH(int, fault);
        std::mt19937 rng{7};
        Board board;
        fill(board, rng, 100);
        Source kept(board);
        PaneWidget w(Pane::ThreeD), check(Pane::ThreeD);
        w.setFrameSource(&kept);
        for (PaneWidget* p : {&w, &check}) {
            p->resize(320, 240);
            p->show();
            QVERIFY(QTest::qWaitForWindowExposed(p));
        }
        const QImage before = w.grabFramebuffer();
        for (int i = 0; i < 3; ++i) {
            if (upload)
                GlSceneBuffers::failUploadsForTesting(1);
            else
                KeptComponents::failChunkRebuildForTesting(1);
            fill(board, rng, 5);
            const QImage during = w.grabFramebuffer();
            if (!upload && i == 0)
                QCOMPARE(during, before); // the board as it was
        }
        GlSceneBuffers::failUploadsForTesting(0);
        KeptComponents::failChunkRebuildForTesting(0);
        QCOMPARE(m_faults, QList<int>{fault});
        QVERIFY(renderFaultText(RenderFault(fault)).contains(QStringLiteral("плат")));
        tDetal* d = board.detal(0);
        QVERIFY(board.TryMoveComponent(*d, d->X, d->Y + 1, d->Z) ||
                board.TryRotateComponent(*d, 1));
        const QImage got = w.grabFramebuffer();
        Source scratch(board);
        check.setFrameSource(&scratch);
        QCOMPARE(got, check.grabFramebuffer());
    }

    // An upload that fails at a pane's very first frame, with nothing kept yet to fall back
    // on: reported once, and the pane shows the board all the same, from client memory.
    void aFailedFirstUploadStillShowsTheBoard() {
        std::mt19937 rng{9};
        Board board;
        fill(board, rng, 60);
        Source kept(board), scratch(board);
        PaneWidget w(Pane::Top), check(Pane::Top);
        check.setFrameSource(&scratch);
        w.setFrameSource(&kept);
        QImage want, got;
        for (PaneWidget* p : {&check, &w}) {
            GlSceneBuffers::failUploadsForTesting(p == &w ? 1 : 0);
            p->resize(320, 240);
            p->show();
            QVERIFY(QTest::qWaitForWindowExposed(p));
            (p == &w ? got : want) = p->grabFramebuffer();
        }
        GlSceneBuffers::failUploadsForTesting(0);
        QCOMPARE(got, want);
        QCOMPARE(m_faults, QList<int>{int(RenderFault::UploadFailed)});
    }

private:
    QList<int> m_faults;
};

int main(int argc, char** argv) {
    // As the editor runs: the panes' contexts share their buffers.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestKeptChunks t;
    return QTest::qExec(&t, argc, argv);
}

#include "test_keptchunks.moc"
