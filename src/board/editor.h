#pragma once

#include "board/board.h"
#include "board/catalog.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace kelmira {

enum class MoveDir { Left, Right, Forward, Back, Up, Down };

// Where a move of `step` cells in `dir` leads from (x, y, z), in 64 bits so that no step can
// overflow: left and right change x, up and down y; forward (away from the front view's viewer)
// decreases z and back increases it.
struct MoveTarget {
    int64_t x, y, z;
};
MoveTarget moveTarget(int64_t x, int64_t y, int64_t z, MoveDir dir, int32_t step);

// One entry of the placed-components list and the record it names. Records of kinds
// outside the catalog get no entry, so entry p and record p may differ: the map keeps
// every command acting on the component the entry names.
struct ListEntry {
    QString text;
    int32_t record;
};

// What the editor shows of the board beside its records: the highlighted entry of the list and
// the selected record (its position in DetalList), -1 for none.
struct EditorMarks {
    int highlighted = -1;
    int32_t selected = -1;
    bool operator==(const EditorMarks&) const = default;
};

// Everything an undo gives back: the board to the cell and the marks. The list entries follow
// from the records.
struct EditorSnapshot {
    BoardSnapshot board;
    EditorMarks marks;
    bool operator==(const EditorSnapshot&) const = default;
};

// The editing logic behind the main window's controls: the board, the placed-components
// list (ListBox2), its highlighted entry and the selection (SelDetal).
class Editor {
public:
    Editor();

    Board& board() { return m_board; }
    const Board& board() const { return m_board; }

    // ListBox2
    const std::vector<ListEntry>& entries() const { return m_entries; }
    QStringList entryTexts() const;
    int highlighted() const { return m_highlighted; } // -1 = none
    void setHighlighted(int position);                // -1..count-1, others -> -1
    // Record named by the highlighted entry, nullptr when none (or a broken invariant).
    const tDetal* highlightedRecord() const;

    // None once the board has been cleared behind the editor's back, never a freed record.
    tDetal* SelDetal() const { return m_selClearCount == m_board.clearCount() ? m_sel : nullptr; }
    // ListBox1 (hidden): selected figure position, 0 at start; a new component gets position+1.
    int figureSelection() const { return m_figureSelection; }
    void setFigureSelection(int position) { m_figureSelection = position; }

    // Add: PlaceComponent(35, 5, 2, figure, kind, 0), append and highlight its entry, select it.
    tDetal& AddComponent(int32_t kind, const QString& entryText);

    enum class SelectResult { Selected, EmptyBoard, NoHighlight };
    SelectResult Select();
    // Highlights the entry that names record `index` and selects it, as a click in a view does;
    // false (nothing changed) for a record without an entry.
    bool selectRecord(int32_t index);

    // Move the selection by `step` cells; all or nothing. False when refused or none selected.
    bool Move(MoveDir dir, int32_t step);
    // Turn the selection by delta (+1 counter-clockwise, -1 clockwise).
    bool Turn(int32_t delta);

    // Clear all: empties the list, then ClearBoard.
    void ClearAll();

    // Places a stored record and appends its catalog entry (none for unknown kinds).
    // Used by the project loader and the rebuild after a delete.
    tDetal& PlaceStored(int32_t X, int32_t Y, int32_t Z, int32_t Figure, int32_t Kind, int32_t Rot);
    // After a delete's rebuild: highlight the first entry and select the first record.
    void SelectFirst();
    // The rebuild of a delete: clear all, then, when the board held two or more components,
    // place `records` (those of recordsKeptByDelete()) and select the first.
    void rebuild(const std::vector<StoredRecord>& records);

    EditorMarks marks() const;
    // Highlights and selects as the marks say (none for positions that do not exist).
    void setMarks(const EditorMarks& m);
    EditorSnapshot state() const;
    // Puts back a state: the board's records and grid, the list entries and the marks.
    void restore(const EditorSnapshot& s);
    // The list entries for the board's records as they are now; after the undo history has
    // changed the records behind the editor's back.
    void syncEntries();

    // The record positions a delete writes to its scratch file: all but the one named by the
    // highlighted entry (all when nothing is highlighted). With one component on the board the
    // delete places none of them again.
    std::vector<int32_t> recordsKeptByDelete() const;

private:
    void select(tDetal* d);

    Board m_board;
    std::vector<ListEntry> m_entries;
    int m_highlighted = -1;
    tDetal* m_sel = nullptr;
    uint64_t m_selClearCount = 0;
    int m_figureSelection = 0;
};

// Status-bar coordinate texts for a record: "X= " + (X-70), "Y= " + (73-Z), "Z= " + (Y-3).
struct CoordTexts {
    QString x, y, z;
};
CoordTexts coordinateTexts(const tDetal& d);

} // namespace kelmira
