// Drives the editing logic with a byte stream decoded as add / place / move / turn / select /
// delete / clear commands with arbitrary values, holding the board and the list to their
// invariants after every step and each command to what it promises.

#include "board/board.h"
#include "board/catalog.h"
#include "board/editor.h"
#include "fuzzinput.h"
#include "invariants.h"
#include "io/deletecommand.h"
#include "io/projectfile.h"
#include "scratchdir.h"

#include <QTemporaryDir>

#include <utility>
#include <vector>

using namespace kelmira;

namespace {

// Deletes go through a file, so the board is kept small enough for thousands of runs a second.
constexpr int32_t kMaxRecords = 120;
constexpr int kMaxSteps = 400;

struct Session {
    QTemporaryDir dir{fuzzScratchTemplate()};
    QString scratch = dir.filePath(QStringLiteral("Clear.ini"));
    Editor editor;
};

Session& session() {
    static Session s;
    return s;
}

using Cells = std::vector<std::pair<int32_t, int32_t>>;

Cells cellsOf(const Board& b) {
    Cells out;
    for (int32_t c : b.occupiedCells())
        out.emplace_back(c, b.gridData()[c]);
    return out;
}

bool sameRecord(const tDetal& a, const tDetal& b) {
    return a.X == b.X && a.Y == b.Y && a.Z == b.Z && a.Kind == b.Kind && a.Figure == b.Figure &&
           a.Rot == b.Rot && a.Index == b.Index;
}

// A record that has just moved or turned was tested against every other one, so each of its
// footprint cells inside the grid must now hold its index.
void expectStamped(const Board& b, const tDetal& d, const char* where) {
    const FigureMask mask = b.RotateFigure(b.figure(d.Figure), d.Rot);
    for (int i = 1; i <= 5; ++i)
        for (int j = 1; j <= 5; ++j)
            for (int k = 1; k <= 5; ++k)
                if (mask.at(i, j, k) && b.cell(d.X + i, d.Y + j, d.Z + k) != d.Index)
                    invariants::fail(where,
                                     "a footprint cell of the changed record is not its own");
}

void expectInsideMoveBounds(const tDetal& d, const char* where) {
    if (d.X < 2 || d.X > 148 || d.Y < 2 || d.Y > 148 || d.Z < 1 || d.Z > 148)
        invariants::fail(where, "a move or turn left the record outside the origin bounds");
}

// What a refused move or turn must leave: the record and the grid as they were.
void expectUnchanged(const Board& b, const tDetal& now, const tDetal& before, const Cells& cells,
                     const char* where) {
    if (!sameRecord(now, before))
        invariants::fail(where, "a refused change altered the record");
    if (cellsOf(b) != cells)
        invariants::fail(where, "a refused change altered the grid");
}

void move(Editor& e, FuzzInput& in) {
    const auto dir = static_cast<MoveDir>(in.byte() % 6);
    const int32_t step = in.value();
    tDetal* d = e.SelDetal();
    if (!d) {
        if (e.Move(dir, step))
            invariants::fail("Move", "a move without a selection reported success");
        return;
    }
    const tDetal before = *d;
    const Cells cells = cellsOf(e.board());
    if (!e.Move(dir, step)) {
        expectUnchanged(e.board(), *d, before, cells, "a refused Move");
        return;
    }
    const auto [x, y, z] = moveTarget(before.X, before.Y, before.Z, dir, step);
    if (d->X != x || d->Y != y || d->Z != z || d->Rot != before.Rot || d->Index != before.Index)
        invariants::fail("Move", "the record did not end where the step leads");
    expectInsideMoveBounds(*d, "Move");
    expectStamped(e.board(), *d, "Move");
}

void turn(Editor& e, FuzzInput& in) {
    const int32_t delta = in.value();
    tDetal* d = e.SelDetal();
    if (!d) {
        if (e.Turn(delta))
            invariants::fail("Turn", "a turn without a selection reported success");
        return;
    }
    const tDetal before = *d;
    const Cells cells = cellsOf(e.board());
    if (!e.Turn(delta)) {
        expectUnchanged(e.board(), *d, before, cells, "a refused Turn");
        return;
    }
    if (d->Rot != static_cast<int32_t>(int64_t(before.Rot) + delta) || d->X != before.X ||
        d->Y != before.Y || d->Z != before.Z)
        invariants::fail("Turn", "the rotation step is not the old one plus delta, wrapped");
    expectInsideMoveBounds(*d, "Turn");
    expectStamped(e.board(), *d, "Turn");
}

// The board operations under the editor, on any record or on a copy that is not the board's.
void boardMoveOrTurn(Editor& e, FuzzInput& in) {
    Board& b = e.board();
    const uint8_t how = in.byte();
    const int32_t pick = in.value();
    if (b.count() == 0)
        return;
    tDetal* d = b.detal(int32_t(uint32_t(pick) % uint32_t(b.count())));
    tDetal copy = *d;
    tDetal& target = how & 1 ? copy : *d;
    const tDetal before = target;
    const Cells cells = cellsOf(b);
    bool changed = false;
    if (how & 2) {
        const int32_t x = in.value(), y = in.value(), z = in.value();
        changed = b.TryMoveComponent(target, x, y, z);
    } else {
        changed = b.TryRotateComponent(target, in.value());
    }
    if (&target == &copy && changed)
        invariants::fail("a board move or turn", "a record the board does not own was changed");
    if (!changed) {
        expectUnchanged(b, target, before, cells, "a refused board move or turn");
        return;
    }
    expectInsideMoveBounds(target, "a board move or turn");
    expectStamped(b, target, "a board move or turn");
}

void add(Editor& e, FuzzInput& in) {
    if (e.board().count() >= kMaxRecords)
        return;
    const auto& kinds = catalog();
    const KindInfo& kind = kinds[in.byte() % kinds.size()];
    const tDetal& d = e.AddComponent(kind.code, kind.entry);
    if (d.Index != e.board().count() - 1 || e.SelDetal() != &d ||
        e.highlighted() != int(e.entries().size()) - 1)
        invariants::fail("AddComponent",
                         "the new component is not the last, highlighted and selected");
}

void placeStored(Editor& e, FuzzInput& in) {
    if (e.board().count() >= kMaxRecords)
        return;
    StoredRecord r;
    r.X = in.value();
    r.Y = in.value();
    r.Z = in.value();
    r.Figure = in.value();
    r.Kind = in.value();
    r.Rot = in.value();
    const tDetal& d = e.PlaceStored(r.X, r.Y, r.Z, r.Figure, r.Kind, r.Rot);
    if (!(storedRecord(d) == r))
        invariants::fail("PlaceStored", "the record does not hold the values given");
}

void select(Editor& e, FuzzInput& in) {
    e.setHighlighted(in.value());
    if (e.Select() == Editor::SelectResult::Selected) {
        if (e.SelDetal() != e.highlightedRecord())
            invariants::fail("Select", "the selection is not the highlighted record");
        coordinateTexts(*e.SelDetal());
    }
}

void deleteOne(Session& s) {
    Editor& e = s.editor;
    std::vector<StoredRecord> expected = boardRecords(e.board());
    const tDetal* removed = e.highlightedRecord();
    if (expected.size() <= 1)
        expected.clear();
    else if (removed)
        expected.erase(expected.begin() + removed->Index);
    const DeleteResult r = deleteHighlighted(e, s.scratch);
    if (!r.ok())
        invariants::fail("deleteHighlighted",
                         "failed in a writable folder: " + r.message.toStdString());
    if (boardRecords(e.board()) != expected)
        invariants::fail("deleteHighlighted", "the rebuilt board is not the old one less one");
    if (!expected.empty() && e.SelDetal() != e.board().detal(0))
        invariants::fail("deleteHighlighted", "the first record is not selected after a rebuild");
}

// With nowhere to write the scratch file a delete must change nothing at all.
void deleteWithoutScratch(Session& s) {
    Editor& e = s.editor;
    const std::vector<StoredRecord> records = boardRecords(e.board());
    const QStringList entries = e.entryTexts();
    const int highlighted = e.highlighted();
    const tDetal* selected = e.SelDetal();
    const Cells cells = cellsOf(e.board());
    const DeleteResult r =
        deleteHighlighted(e, s.dir.filePath(QStringLiteral("missing/Clear.ini")));
    if (r.status != DeleteResult::Status::ScratchNotWritten || r.message.isEmpty())
        invariants::fail("deleteHighlighted", "a scratch file in a missing folder went unreported");
    if (boardRecords(e.board()) != records || e.entryTexts() != entries ||
        e.highlighted() != highlighted || e.SelDetal() != selected || cellsOf(e.board()) != cells)
        invariants::fail("deleteHighlighted", "a delete that could not write changed the board");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Session& s = session();
    Editor& e = s.editor;
    e.ClearAll();
    e.setFigureSelection(0);
    FuzzInput in(data, size);
    for (int step = 0; step < kMaxSteps && !in.empty(); ++step) {
        const char* what = "?";
        switch (in.byte() % 12) {
        case 0:
            what = "AddComponent";
            add(e, in);
            break;
        case 1:
            what = "PlaceStored";
            placeStored(e, in);
            break;
        case 2:
            what = "Move";
            move(e, in);
            break;
        case 3:
            what = "Turn";
            turn(e, in);
            break;
        case 4:
            what = "Select";
            select(e, in);
            break;
        case 5:
            what = "deleteHighlighted";
            deleteOne(s);
            break;
        case 6:
            what = "ClearAll";
            e.ClearAll();
            if (e.board().count() != 0 || !e.entries().empty() || e.SelDetal())
                invariants::fail(what, "something survived the clear");
            break;
        case 7:
            what = "a board move or turn";
            boardMoveOrTurn(e, in);
            break;
        case 8: {
            what = "EraseComponent";
            const int32_t index = in.value();
            e.board().EraseComponent(index);
            for (int32_t c : e.board().occupiedCells())
                if (e.board().gridData()[c] == index)
                    invariants::fail(what, "a cell still holds the erased index");
            break;
        }
        case 9:
            what = "setFigureSelection";
            e.setFigureSelection(in.value());
            break;
        case 10:
            what = "setHighlighted";
            e.setHighlighted(in.value());
            break;
        case 11:
            what = "deleteHighlighted without a scratch folder";
            deleteWithoutScratch(s);
            break;
        }
        invariants::checkStep(e, what);
    }
    invariants::checkAll(e, "the last command");
    return 0;
}
