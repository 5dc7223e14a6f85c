#pragma once

#include "board/detal.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace kelmira {

// The six stored values of one component, in the file's order (Figure before Kind).
struct StoredRecord {
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Z = 0;
    int32_t Figure = 0;
    int32_t Kind = 0;
    int32_t Rot = 0;
    bool operator==(const StoredRecord&) const = default;
};

inline StoredRecord storedRecord(const tDetal& d) {
    return {d.X, d.Y, d.Z, d.Figure, d.Kind, d.Rot};
}

// One grid cell's value before and after a change, as the board's journal sees it.
struct CellChange {
    int32_t cell;
    int32_t before;
    int32_t after;
};

// A board's exact state: the records in order, and the cells where placing those records again
// in order would not give the value the grid holds (a cell one component took from another and
// then left empty). Usually that list is empty and the state costs 24 bytes a component.
struct BoardSnapshot {
    std::vector<StoredRecord> records;
    std::vector<std::pair<int32_t, int32_t>> overrides; // cell number, value
    bool operator==(const BoardSnapshot&) const = default;
    std::size_t bytes() const {
        return records.capacity() * sizeof(StoredRecord) +
               overrides.capacity() * sizeof(overrides[0]);
    }
};

constexpr int kGridSize = 150;
constexpr int32_t kEmptyCell = -1;
constexpr int kFigureCount = 4;

// 5x5x5 occupancy mask, mask[i][j][k] with i slowest, stored flat; i, j, k count from 1.
struct FigureMask {
    std::array<uint8_t, 125> cells{};
    uint8_t at(int i, int j, int k) const { return cells[(i - 1) * 25 + (j - 1) * 5 + (k - 1)]; }
    bool operator==(const FigureMask&) const = default;
};

// Cell number in storage order: x slowest, z fastest, each coordinate 1..150.
constexpr int32_t cellNumber(int x, int y, int z) {
    return (x - 1) * kGridSize * kGridSize + (y - 1) * kGridSize + (z - 1);
}

// The board: the 150^3 occupancy grid, the figure table and DetalList.
// No bounds are left to the caller: every grid and figure access is checked here.
class Board {
public:
    Board();
    Board(const Board&) = delete;
    Board& operator=(const Board&) = delete;

    // Hooks for the frame timer, stopped and restarted around PlaceComponent and ClearBoard.
    void setTimerHooks(std::function<void()> stop, std::function<void()> start);
    // Called at the end of ClearBoard (the coordinate panels are emptied there).
    void setClearedHook(std::function<void()> cleared);

    // Creates a record, appends it and stamps its in-grid footprint cells (no collision test).
    tDetal& PlaceComponent(int32_t X, int32_t Y, int32_t Z, int32_t Figure, int32_t Kind,
                           int32_t Rot);
    bool CanPlace(int32_t x, int32_t y, int32_t z, const FigureMask& footprint,
                  int32_t ownIndex) const;
    void MoveComponent(tDetal& d, int32_t newX, int32_t newY, int32_t newZ);
    void RotateComponent(tDetal& d, int32_t delta);
    // As MoveComponent and RotateComponent, telling whether the change was made. A record
    // that is not this board's own is refused.
    bool TryMoveComponent(tDetal& d, int32_t newX, int32_t newY, int32_t newZ);
    bool TryRotateComponent(tDetal& d, int32_t delta);
    void EraseComponent(int32_t index);
    FigureMask RotateFigure(const FigureMask& mask, int32_t steps) const;
    void ClearBoard();

    // The undo history's operations. A journal sees every grid cell that changes while it is
    // set; the restore operations change records and their stamps but leave the grid to
    // applyCells, which writes back exactly what a journal saw.
    void setJournal(std::vector<CellChange>* journal) { m_journal = journal; }
    void applyCells(const std::vector<CellChange>& changes, bool forward);
    void restorePlacement(int32_t index, int32_t X, int32_t Y, int32_t Z, int32_t Rot);
    void restoreAppend(const StoredRecord& r);
    void restoreRemoveLast();
    BoardSnapshot snapshot() const;
    // Replaces the records and the grid with the snapshot's, as a clear does for holders of
    // record pointers (clearCount grows), without the timer and clear hooks.
    void restore(const BoardSnapshot& s);

    // Figure n (1..4); an empty mask for any other number.
    const FigureMask& figure(int32_t n) const;
    // "Фигура 1" .. "Фигура 4", the entries of the hidden ListBox1 (UTF-8).
    static std::vector<const char*> figureNames();

    // Grid cell (x, y, z) with 1-based coordinates; kEmptyCell outside the grid.
    int32_t cell(int x, int y, int z) const;
    const int32_t* gridData() const { return m_grid.get(); }

    int32_t count() const { return static_cast<int32_t>(m_list.size()); }
    // The record at position index, or nullptr when there is none.
    tDetal* detal(int32_t index);
    const tDetal* detal(int32_t index) const;
    const std::vector<std::unique_ptr<tDetal>>& DetalList() const { return m_list; }

    // Occupied cells (cell numbers) in storage order, exactly those a full sweep would find.
    // Costs the sum of the footprints, not a sweep of the grid.
    std::vector<int32_t> occupiedCells() const;

    // Grows by one at every ClearBoard, so holders of record pointers can tell theirs went stale.
    uint64_t clearCount() const { return m_clearCount; }

    // Changes whenever the grid or a record changes through the board's operations. Drawn from
    // one counter for all boards, so no two boards, nor two states of one, share a value:
    // kept geometry can tell from it alone whether it still shows this board.
    uint64_t revision() const { return m_revision; }
    // Whether d is the record this board keeps at position d.Index.
    bool owns(const tDetal& d) const;

private:
    // Where a record's cells were last stamped. Erasing visits exactly these cells, so the
    // grid never depends on fields a caller may have changed in the public record since.
    struct Stamp {
        std::vector<int32_t> cells; // in-grid cell numbers, ascending
    };

    void stamp(const tDetal& d, const FigureMask& footprint);
    void eraseStamp(int32_t index);
    void touch();
    void setCell(int32_t c, int32_t value);
    std::vector<int32_t> stampCells(const tDetal& d) const;
    // Calls f(cellNumber) for every footprint cell of mask at (x, y, z) that lies inside the grid.
    template <typename F>
    static void forEachCell(int64_t x, int64_t y, int64_t z, const FigureMask& mask, F&& f);

    std::unique_ptr<int32_t[]> m_grid;
    std::vector<Stamp> m_stamps;
    uint64_t m_clearCount = 0;
    uint64_t m_revision = 0;
    std::array<FigureMask, kFigureCount + 1> m_figures{};
    std::vector<std::unique_ptr<tDetal>> m_list;
    std::function<void()> m_stopTimer, m_startTimer, m_cleared;
    std::vector<CellChange>* m_journal = nullptr;
};

} // namespace kelmira
