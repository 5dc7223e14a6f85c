#pragma once

#include "board/board.h"

#include <cstdint>
#include <vector>

namespace kelmira::testing {

constexpr int32_t kCellTotal = kGridSize * kGridSize * kGridSize;

// The occupied cells as a full sweep of the grid finds them: the yardstick for the board.
inline std::vector<int32_t> sweepOccupied(const Board& board) {
    std::vector<int32_t> cells;
    const int32_t* grid = board.gridData();
    for (int32_t c = 0; c < kCellTotal; ++c)
        if (grid[c] != kEmptyCell)
            cells.push_back(c);
    return cells;
}

} // namespace kelmira::testing
