#pragma once

#include <cstdint>
#include <string>

namespace kelmira {

class Board;
class Editor;

// What the fuzz targets hold the board and the editor to after every step. Each function
// returns an empty string when all holds, else a description of the first fault found.
namespace invariants {

// Records sit at their own positions, and every cell the board reports occupied holds the
// index of a record whose footprint covers it. Costs the sum of the footprints.
std::string recordsFault(const Board& board);

// Every cell of `grid` (150^3 values in storage order, normally board.gridData()) is empty
// or holds the index of a record whose footprint covers it, and the occupied cells are
// exactly those the board reports. Sweeps the whole grid.
std::string gridFault(const Board& board, const int32_t* grid);

// The placed-components list names, in order, exactly the records of catalog kinds with
// their catalog texts; the highlight and the selection point at something that exists.
std::string editorFault(const Editor& editor);

// Prints the fault with the step that caused it and aborts, so that libFuzzer keeps the
// input (and a corpus run fails).
[[noreturn]] void fail(const char* where, const std::string& fault);

// recordsFault and editorFault, failing on the first fault.
void checkStep(const Editor& editor, const char* where);
// checkStep plus the whole-grid sweep.
void checkAll(const Editor& editor, const char* where);

} // namespace invariants
} // namespace kelmira
