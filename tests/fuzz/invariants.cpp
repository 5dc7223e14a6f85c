#include "invariants.h"

#include "board/board.h"
#include "board/catalog.h"
#include "board/editor.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace kelmira::invariants {

namespace {

constexpr int32_t kCellTotal = kGridSize * kGridSize * kGridSize;

std::string cellText(int32_t c) {
    const int x = c / (kGridSize * kGridSize) + 1;
    const int y = c / kGridSize % kGridSize + 1;
    const int z = c % kGridSize + 1;
    return "cell (" + std::to_string(x) + ", " + std::to_string(y) + ", " + std::to_string(z) + ")";
}

// Whether the footprint of record v, where it stands now, covers cell c.
std::string cellFault(const Board& board, int32_t c, int32_t v) {
    if (v == kEmptyCell)
        return {};
    if (v < 0 || v >= board.count())
        return cellText(c) + " holds " + std::to_string(v) + " but the board has " +
               std::to_string(board.count()) + " records";
    const tDetal& d = *board.detal(v);
    const int64_t i = int64_t(c / (kGridSize * kGridSize) + 1) - d.X;
    const int64_t j = int64_t(c / kGridSize % kGridSize + 1) - d.Y;
    const int64_t k = int64_t(c % kGridSize + 1) - d.Z;
    auto inMask = [](int64_t n) { return n >= 1 && n <= 5; };
    const FigureMask mask = board.RotateFigure(board.figure(d.Figure), d.Rot);
    if (!inMask(i) || !inMask(j) || !inMask(k) || !mask.at(int(i), int(j), int(k)))
        return cellText(c) + " holds " + std::to_string(v) +
               ", whose footprint does not cover it (origin " + std::to_string(d.X) + ", " +
               std::to_string(d.Y) + ", " + std::to_string(d.Z) + ", figure " +
               std::to_string(d.Figure) + ")";
    return {};
}

// The sweep runs after every fuzz input, so it is kept out of the sanitizers' and the
// fuzzer's instrumentation: a plain loop the compiler vectorises, bound by memory speed.
#if defined(__clang__)
__attribute__((no_sanitize("address", "undefined", "coverage")))
#elif defined(__GNUC__)
__attribute__((no_sanitize("address", "undefined")))
#endif
bool allEmpty(const int32_t* cells, int32_t n) {
    int32_t all = kEmptyCell;
    for (int32_t i = 0; i < n; ++i)
        all &= cells[i];
    return all == kEmptyCell;
}

} // namespace

std::string recordsFault(const Board& board) {
    const auto& list = board.DetalList();
    if (int64_t(list.size()) != board.count())
        return "count() differs from the list";
    for (int32_t n = 0; n < board.count(); ++n) {
        if (!list[size_t(n)] || list[size_t(n)].get() != board.detal(n))
            return "record " + std::to_string(n) + " is not the one at its position";
        if (list[size_t(n)]->Index != n)
            return "record at position " + std::to_string(n) + " has Index " +
                   std::to_string(list[size_t(n)]->Index);
    }
    const std::vector<int32_t> cells = board.occupiedCells();
    int32_t previous = -1;
    for (int32_t c : cells) {
        if (c <= previous || c >= kCellTotal)
            return "occupied cells out of order or outside the grid at " + std::to_string(c);
        previous = c;
        const int32_t v = board.gridData()[c];
        if (v == kEmptyCell)
            return cellText(c) + " is reported occupied but is empty";
        if (std::string f = cellFault(board, c, v); !f.empty())
            return f;
    }
    return {};
}

std::string gridFault(const Board& board, const int32_t* grid) {
    constexpr int32_t kBlock = 4096;
    std::vector<int32_t> found;
    for (int32_t start = 0; start < kCellTotal; start += kBlock) {
        const int32_t n = std::min(kBlock, kCellTotal - start);
        if (allEmpty(grid + start, n))
            continue;
        for (int32_t c = start; c < start + n; ++c) {
            if (grid[c] == kEmptyCell)
                continue;
            if (std::string f = cellFault(board, c, grid[c]); !f.empty())
                return f;
            found.push_back(c);
        }
    }
    const std::vector<int32_t> reported = board.occupiedCells();
    if (found != reported)
        return "the grid holds " + std::to_string(found.size()) +
               " occupied cells, the board reports " + std::to_string(reported.size());
    return {};
}

std::string editorFault(const Editor& editor) {
    const Board& board = editor.board();
    const auto& entries = editor.entries();
    size_t e = 0;
    for (int32_t n = 0; n < board.count(); ++n) {
        const KindInfo* kind = findKind(board.detal(n)->Kind);
        if (!kind)
            continue;
        if (e >= entries.size())
            return "record " + std::to_string(n) + " of a catalog kind has no list entry";
        if (entries[e].record != n || entries[e].text != kind->entry)
            return "list entry " + std::to_string(e) + " names record " +
                   std::to_string(entries[e].record) + " instead of " + std::to_string(n);
        ++e;
    }
    if (e != entries.size())
        return "the list has " + std::to_string(entries.size()) + " entries for " +
               std::to_string(e) + " records of catalog kinds";
    if (editor.highlighted() < -1 || editor.highlighted() >= int64_t(entries.size()))
        return "highlighted entry " + std::to_string(editor.highlighted()) + " does not exist";
    if (const tDetal* sel = editor.SelDetal(); sel && !board.owns(*sel))
        return "the selection is not a record of the board";
    return {};
}

void fail(const char* where, const std::string& fault) {
    std::fprintf(stderr, "invariant broken after %s: %s\n", where, fault.c_str());
    std::fflush(stderr);
    std::abort();
}

void checkStep(const Editor& editor, const char* where) {
    if (std::string f = recordsFault(editor.board()); !f.empty())
        fail(where, f);
    if (std::string f = editorFault(editor); !f.empty())
        fail(where, f);
}

void checkAll(const Editor& editor, const char* where) {
    checkStep(editor, where);
    if (std::string f = gridFault(editor.board(), editor.board().gridData()); !f.empty())
        fail(where, f);
}

} // namespace kelmira::invariants
