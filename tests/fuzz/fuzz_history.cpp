// Random commands through the undo history, with undos and redos among them, against the states
// seen on either side of every step kept: an undo must give back exactly the state from before
// its step, a redo the state from after it (a highlight changed in between is no step and is
// not kept), refused commands must change nothing and keep no step, and the board must hold to
// its invariants throughout.

#include "board/catalog.h"
#include "board/history.h"
#include "fuzzinput.h"
#include "invariants.h"
#include "io/deletecommand.h"
#include "io/projectfile.h"
#include "scratchdir.h"

#include <QFile>
#include <QTemporaryDir>

#include <vector>

using namespace kelmira;

namespace {

constexpr int32_t kMaxRecords = 60;
constexpr int kMaxSteps = 300;

// One editor for all runs: a fresh board costs a 13 MB grid, more than a whole run.
struct Session {
    Editor editor;
    QTemporaryDir dir{fuzzScratchTemplate()};
    QString scratch = dir.filePath(QStringLiteral("Clear.ini"));
    QString project = dir.filePath(QStringLiteral("p.kelmar"));
};

Session& session() {
    static Session s;
    return s;
}

// A small project file from the input: a count and that many records of any values, now and
// then cut short.
void writeProject(const QString& path, FuzzInput& in) {
    const int n = in.byte() % 6;
    QByteArray text = QByteArray::number(n) + "\r\n";
    const int values = in.byte() % 8 == 0 ? in.byte() % (6 * n + 1) : 6 * n;
    for (int v = 0; v < values; ++v)
        text += QByteArray::number(v % 6 == 4 ? catalog()[in.byte() % catalog().size()].code
                                              : in.value()) +
                "\r\n";
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(text);
}

// Runs one command; returns whether the history kept a step for it.
bool command(uint8_t which, Editor& e, EditHistory& h, FuzzInput& in, Session& s) {
    switch (which) {
    case 0: {
        if (e.board().count() >= kMaxRecords)
            return false;
        const KindInfo& k = catalog()[in.byte() % catalog().size()];
        h.add(e, k.code, k.entry);
        return true;
    }
    case 1:
        return h.move(e, static_cast<MoveDir>(in.byte() % 6), in.byte() % 8);
    case 2:
        return h.turn(e, in.value());
    case 3:
        return h.wholeBoard(e, StepKind::Delete, [&] { deleteHighlighted(e, s.scratch); });
    case 4:
        return h.wholeBoard(e, StepKind::Clear, [&] { e.ClearAll(); });
    case 5:
        writeProject(s.project, in);
        return h.wholeBoard(e, StepKind::Load, [&] { loadProject(e, s.project); });
    case 6:
        return h.wholeBoard(e, StepKind::Delete, [&] {
            deleteHighlighted(e, s.dir.filePath(QStringLiteral("missing/Clear.ini")));
        });
    default:
        return false;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Session& s = session();
    Editor& e = s.editor;
    e.ClearAll();
    EditHistory h;
    // The states before and after each step the history holds; steps [0, done) can be undone.
    std::vector<std::pair<EditorSnapshot, EditorSnapshot>> steps;
    size_t done = 0;
    FuzzInput in(data, size);
    for (int step = 0; step < kMaxSteps && !in.empty(); ++step) {
        const uint8_t op = in.byte() % 11;
        const char* what = "a command";
        if (op == 7) {
            what = "undo";
            if (h.undo(e) != (done > 0))
                invariants::fail(what, "undo did not follow the steps kept");
            if (done > 0 && !(e.state() == steps[--done].first))
                invariants::fail(what, "the board is not the one from before the step");
        } else if (op == 8) {
            what = "redo";
            if (h.redo(e) != (done < steps.size()))
                invariants::fail(what, "redo did not follow the steps undone");
            if (done < steps.size() && !(e.state() == steps[done++].second))
                invariants::fail(what, "the board is not the one from after the step");
        } else if (op == 9) {
            what = "highlight and select";
            e.setHighlighted(in.value());
            e.Select();
        } else {
            EditorSnapshot before = e.state();
            const size_t kept = h.count();
            if (command(op, e, h, in, s)) {
                if (e.state() == before)
                    invariants::fail(what, "a step was kept for a change of nothing");
                steps.resize(done);
                steps.emplace_back(std::move(before), e.state());
                ++done;
            } else if (!(e.state() == before) || h.count() != kept) {
                invariants::fail(what, "a refused command changed the board or kept a step");
            }
        }
        if (h.canUndo() != (done > 0) || h.canRedo() != (done < steps.size()))
            invariants::fail(what, "the history's steps and the states kept disagree");
        invariants::checkStep(e, what);
    }
    invariants::checkAll(e, "the last command");
    return 0;
}
