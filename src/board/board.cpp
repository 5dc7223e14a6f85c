#include "board/board.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace kelmira {

namespace {

constexpr int64_t kCellTotal = int64_t(kGridSize) * kGridSize * kGridSize;

// Below this many stamped cells sorting them beats scanning a bitmap of the whole grid.
constexpr size_t kSortLimit = 2048;

// Origin bounds of a move or turn; placement itself checks nothing.
constexpr int32_t kMinXY = 2;
constexpr int32_t kMinZ = 1;
constexpr int32_t kMaxOrigin = 148;

// The one way into the grid: coordinates are widened first, so an origin near the 32-bit
// limits plus an offset cannot wrap back into range.
std::optional<int32_t> gridCell(int64_t x, int64_t y, int64_t z) {
    auto inside = [](int64_t v) { return v >= 1 && v <= kGridSize; };
    if (!inside(x) || !inside(y) || !inside(z))
        return std::nullopt;
    return cellNumber(int(x), int(y), int(z));
}

// Definition texts of the figures: character n goes to mask cell i = (n-1) mod 5 + 1,
// j = ((n-1) div 5) mod 5 + 1, k = (n-1) div 25 + 1, i.e. i runs fastest.
FigureMask parseFigure(std::string_view text) {
    FigureMask mask;
    for (size_t n = 0; n < text.size() && n < 125; ++n) {
        const size_t i = n % 5, j = (n / 5) % 5, k = n / 25;
        mask.cells[i * 25 + j * 5 + k] = text[n] == '1' ? 1 : 0;
    }
    return mask;
}

std::string onePosition(size_t position) {
    std::string text(125, '0');
    text[position - 1] = '1';
    return text;
}

int32_t wrapped(int64_t v) {
    // Modular since C++20; the 32-bit value is what the record has always stored.
    return static_cast<int32_t>(v);
}

} // namespace

template <typename F>
void Board::forEachCell(int64_t x, int64_t y, int64_t z, const FigureMask& mask, F&& f) {
    for (int i = 1; i <= 5; ++i)
        for (int j = 1; j <= 5; ++j)
            for (int k = 1; k <= 5; ++k)
                if (mask.at(i, j, k))
                    if (auto c = gridCell(x + i, y + j, z + k))
                        f(*c);
}

Board::Board() : m_grid(new int32_t[kCellTotal]) {
    std::fill_n(m_grid.get(), kCellTotal, kEmptyCell);
    const size_t positions[kFigureCount] = {49, 33, 49, 49};
    for (int n = 1; n <= kFigureCount; ++n)
        m_figures[n] = parseFigure(onePosition(positions[n - 1]));
    touch();
}

void Board::setTimerHooks(std::function<void()> stop, std::function<void()> start) {
    m_stopTimer = std::move(stop);
    m_startTimer = std::move(start);
}

void Board::setClearedHook(std::function<void()> cleared) {
    m_cleared = std::move(cleared);
}

tDetal& Board::PlaceComponent(int32_t X, int32_t Y, int32_t Z, int32_t Figure, int32_t Kind,
                              int32_t Rot) {
    if (m_stopTimer)
        m_stopTimer();
    auto d = std::make_unique<tDetal>();
    d->X = X;
    d->Y = Y;
    d->Z = Z;
    d->Kind = Kind;
    d->Figure = Figure;
    d->Rot = Rot;
    d->Index = count();
    tDetal& placed = *d;
    m_list.push_back(std::move(d));
    m_stamps.emplace_back();
    stamp(placed, RotateFigure(figure(Figure), Rot));
    if (m_startTimer)
        m_startTimer();
    return placed;
}

bool Board::CanPlace(int32_t x, int32_t y, int32_t z, const FigureMask& footprint,
                     int32_t ownIndex) const {
    if (x < kMinXY || x > kMaxOrigin || y < kMinXY || y > kMaxOrigin || z < kMinZ || z > kMaxOrigin)
        return false;
    for (int i = 1; i <= 5; ++i)
        for (int j = 1; j <= 5; ++j)
            for (int k = 1; k <= 5; ++k) {
                if (!footprint.at(i, j, k))
                    continue;
                // A cell beyond the grid is refused like a collision: it could never be stamped.
                const auto c = gridCell(int64_t(x) + i, int64_t(y) + j, int64_t(z) + k);
                if (!c)
                    return false;
                const int32_t v = m_grid[*c];
                if (v != kEmptyCell && v != ownIndex)
                    return false;
            }
    return true;
}

bool Board::owns(const tDetal& d) const {
    return d.Index >= 0 && d.Index < count() && m_list[size_t(d.Index)].get() == &d;
}

void Board::MoveComponent(tDetal& d, int32_t newX, int32_t newY, int32_t newZ) {
    TryMoveComponent(d, newX, newY, newZ);
}

bool Board::TryMoveComponent(tDetal& d, int32_t newX, int32_t newY, int32_t newZ) {
    // A foreign record would stamp an index that no record's footprint covers.
    if (!owns(d))
        return false;
    const FigureMask footprint = RotateFigure(figure(d.Figure), d.Rot);
    if (!CanPlace(newX, newY, newZ, footprint, d.Index))
        return false;
    eraseStamp(d.Index);
    d.X = newX;
    d.Y = newY;
    d.Z = newZ;
    stamp(d, footprint);
    return true;
}

void Board::RotateComponent(tDetal& d, int32_t delta) {
    TryRotateComponent(d, delta);
}

bool Board::TryRotateComponent(tDetal& d, int32_t delta) {
    if (!owns(d))
        return false;
    const int32_t newRot = wrapped(int64_t(d.Rot) + delta);
    const FigureMask footprint = RotateFigure(figure(d.Figure), newRot);
    if (!CanPlace(d.X, d.Y, d.Z, footprint, d.Index))
        return false;
    eraseStamp(d.Index);
    d.Rot = newRot;
    stamp(d, footprint);
    return true;
}

void Board::EraseComponent(int32_t index) {
    // Only a record's own stamp can hold its index, and no cell holds an index without a
    // record, so visiting the stamp finds exactly the cells a sweep of the grid would.
    if (index < 0 || index >= count())
        return;
    eraseStamp(index);
}

void Board::touch() {
    static std::atomic<uint64_t> s_revisions{0};
    m_revision = ++s_revisions;
}

void Board::setCell(int32_t c, int32_t value) {
    if (m_journal && m_grid[c] != value)
        m_journal->push_back({c, m_grid[c], value});
    m_grid[c] = value;
}

void Board::eraseStamp(int32_t index) {
    touch();
    for (int32_t c : m_stamps[size_t(index)].cells)
        if (m_grid[c] == index)
            setCell(c, kEmptyCell);
}

std::vector<int32_t> Board::stampCells(const tDetal& d) const {
    std::vector<int32_t> cells;
    forEachCell(d.X, d.Y, d.Z, RotateFigure(figure(d.Figure), d.Rot),
                [&](int32_t c) { cells.push_back(c); });
    return cells;
}

void Board::stamp(const tDetal& d, const FigureMask& footprint) {
    touch();
    auto& cells = m_stamps[size_t(d.Index)].cells;
    cells.clear();
    forEachCell(d.X, d.Y, d.Z, footprint, [&](int32_t c) {
        setCell(c, d.Index);
        cells.push_back(c);
    });
}

void Board::applyCells(const std::vector<CellChange>& changes, bool forward) {
    touch();
    if (forward) {
        for (const CellChange& c : changes)
            m_grid[c.cell] = c.after;
    } else {
        for (auto it = changes.rbegin(); it != changes.rend(); ++it)
            m_grid[it->cell] = it->before;
    }
}

void Board::restorePlacement(int32_t index, int32_t X, int32_t Y, int32_t Z, int32_t Rot) {
    tDetal* d = detal(index);
    if (!d)
        return;
    touch();
    d->X = X;
    d->Y = Y;
    d->Z = Z;
    d->Rot = Rot;
    m_stamps[size_t(index)].cells = stampCells(*d);
}

void Board::restoreAppend(const StoredRecord& r) {
    touch();
    auto d = std::make_unique<tDetal>();
    d->X = r.X;
    d->Y = r.Y;
    d->Z = r.Z;
    d->Kind = r.Kind;
    d->Figure = r.Figure;
    d->Rot = r.Rot;
    d->Index = count();
    m_stamps.push_back({stampCells(*d)});
    m_list.push_back(std::move(d));
}

void Board::restoreRemoveLast() {
    if (m_list.empty())
        return;
    touch();
    m_list.pop_back();
    m_stamps.pop_back();
}

BoardSnapshot Board::snapshot() const {
    BoardSnapshot s;
    s.records.reserve(m_list.size());
    for (const auto& d : m_list)
        s.records.push_back(storedRecord(*d));
    // What placing the records again in order gives each stamped cell: the last stamp wins.
    std::vector<std::pair<int32_t, int32_t>> placed;
    for (size_t i = 0; i < m_stamps.size(); ++i)
        for (int32_t c : m_stamps[i].cells)
            placed.emplace_back(c, int32_t(i));
    std::sort(placed.begin(), placed.end());
    for (size_t n = 0; n < placed.size(); ++n) {
        const bool lastOfCell = n + 1 == placed.size() || placed[n + 1].first != placed[n].first;
        if (lastOfCell && m_grid[placed[n].first] != placed[n].second)
            s.overrides.emplace_back(placed[n].first, m_grid[placed[n].first]);
    }
    return s;
}

void Board::restore(const BoardSnapshot& s) {
    for (const Stamp& st : m_stamps)
        for (int32_t c : st.cells)
            m_grid[c] = kEmptyCell;
    m_stamps.clear();
    m_list.clear();
    m_list.reserve(s.records.size());
    m_stamps.reserve(s.records.size());
    ++m_clearCount;
    for (const StoredRecord& r : s.records) {
        restoreAppend(r);
        for (int32_t c : m_stamps.back().cells)
            m_grid[c] = m_list.back()->Index;
    }
    for (const auto& [c, v] : s.overrides)
        m_grid[c] = v;
    touch();
}

FigureMask Board::RotateFigure(const FigureMask& mask, int32_t) const {
    return mask;
}

void Board::ClearBoard() {
    if (m_stopTimer)
        m_stopTimer();
    for (const Stamp& s : m_stamps)
        for (int32_t c : s.cells)
            m_grid[c] = kEmptyCell;
    m_stamps.clear();
    m_list.clear();
    ++m_clearCount;
    touch();
    if (m_startTimer)
        m_startTimer();
    if (m_cleared)
        m_cleared();
}

const FigureMask& Board::figure(int32_t n) const {
    // Row 0 is never defined and stays empty; it stands in for every unknown number.
    return n >= 1 && n <= kFigureCount ? m_figures[size_t(n)] : m_figures[0];
}

std::vector<const char*> Board::figureNames() {
    return {"Фигура 1", "Фигура 2", "Фигура 3", "Фигура 4"};
}

int32_t Board::cell(int x, int y, int z) const {
    const auto c = gridCell(x, y, z);
    return c ? m_grid[*c] : kEmptyCell;
}

tDetal* Board::detal(int32_t index) {
    return index >= 0 && index < count() ? m_list[size_t(index)].get() : nullptr;
}

const tDetal* Board::detal(int32_t index) const {
    return index >= 0 && index < count() ? m_list[size_t(index)].get() : nullptr;
}

std::vector<int32_t> Board::occupiedCells() const {
    // Every non-empty cell lies in some stamp, so the stamps' cells that are still non-empty
    // are exactly the occupied ones; what costs is putting them in storage order.
    size_t total = 0;
    for (const Stamp& s : m_stamps)
        total += s.cells.size();
    std::vector<int32_t> cells;
    cells.reserve(total);
    if (total < kSortLimit) {
        for (const Stamp& s : m_stamps)
            cells.insert(cells.end(), s.cells.begin(), s.cells.end());
        std::sort(cells.begin(), cells.end());
        cells.erase(std::unique(cells.begin(), cells.end()), cells.end());
        std::erase_if(cells, [this](int32_t c) { return m_grid[c] == kEmptyCell; });
        return cells;
    }
    // Many cells: a bit per grid cell orders them in one pass over 420 KB, far cheaper
    // than sorting tens of thousands of numbers.
    std::vector<uint64_t> bits(size_t((kCellTotal + 63) / 64));
    for (const Stamp& s : m_stamps)
        for (int32_t c : s.cells)
            bits[size_t(c) / 64] |= uint64_t(1) << (c % 64);
    for (size_t w = 0; w < bits.size(); ++w)
        for (uint64_t word = bits[w]; word; word &= word - 1) {
            const auto c = int32_t(w * 64 + size_t(std::countr_zero(word)));
            if (m_grid[c] != kEmptyCell)
                cells.push_back(c);
        }
    return cells;
}

} // namespace kelmira
