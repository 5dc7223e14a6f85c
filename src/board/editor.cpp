#include "board/editor.h"

#include <limits>

namespace kelmira {

namespace {

constexpr int32_t kStartX = 35;
constexpr int32_t kStartY = 5;
constexpr int32_t kStartZ = 2;

} // namespace

Editor::Editor() = default;

QStringList Editor::entryTexts() const {
    QStringList texts;
    texts.reserve(qsizetype(m_entries.size()));
    for (const ListEntry& e : m_entries)
        texts << e.text;
    return texts;
}

void Editor::setHighlighted(int position) {
    m_highlighted = position >= 0 && size_t(position) < m_entries.size() ? position : -1;
}

const tDetal* Editor::highlightedRecord() const {
    if (m_highlighted < 0 || size_t(m_highlighted) >= m_entries.size())
        return nullptr;
    return m_board.detal(m_entries[size_t(m_highlighted)].record);
}

void Editor::select(tDetal* d) {
    m_sel = d;
    m_selClearCount = m_board.clearCount();
}

tDetal& Editor::AddComponent(int32_t kind, const QString& entryText) {
    const auto figure = static_cast<int32_t>(int64_t(m_figureSelection) + 1);
    tDetal& d = m_board.PlaceComponent(kStartX, kStartY, kStartZ, figure, kind, 0);
    m_entries.push_back({entryText, d.Index});
    m_highlighted = int(m_entries.size()) - 1;
    select(&d);
    return d;
}

Editor::SelectResult Editor::Select() {
    if (m_board.count() == 0)
        return SelectResult::EmptyBoard;
    tDetal* d = nullptr;
    if (m_highlighted >= 0 && size_t(m_highlighted) < m_entries.size())
        d = m_board.detal(m_entries[size_t(m_highlighted)].record);
    if (!d)
        return SelectResult::NoHighlight;
    select(d);
    return SelectResult::Selected;
}

bool Editor::selectRecord(int32_t index) {
    for (size_t p = 0; p < m_entries.size(); ++p)
        if (m_entries[p].record == index) {
            m_highlighted = int(p);
            return Select() == SelectResult::Selected;
        }
    return false;
}

MoveTarget moveTarget(int64_t x, int64_t y, int64_t z, MoveDir dir, int32_t step) {
    switch (dir) {
    case MoveDir::Left:
        return {x - step, y, z};
    case MoveDir::Right:
        return {x + step, y, z};
    case MoveDir::Forward:
        return {x, y, z - step};
    case MoveDir::Back:
        return {x, y, z + step};
    case MoveDir::Up:
        return {x, y + step, z};
    case MoveDir::Down:
        return {x, y - step, z};
    }
    return {x, y, z};
}

bool Editor::Move(MoveDir dir, int32_t step) {
    tDetal* d = SelDetal();
    if (!d)
        return false;
    const auto [x, y, z] = moveTarget(d->X, d->Y, d->Z, dir, step);
    // A target beyond 32 bits is far outside the board: refused, never wrapped back onto it.
    auto fits = [](int64_t v) {
        return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
    };
    if (!fits(x) || !fits(y) || !fits(z))
        return false;
    return m_board.TryMoveComponent(*d, int32_t(x), int32_t(y), int32_t(z));
}

bool Editor::Turn(int32_t delta) {
    tDetal* d = SelDetal();
    return d && m_board.TryRotateComponent(*d, delta);
}

void Editor::ClearAll() {
    m_entries.clear();
    m_highlighted = -1;
    m_board.ClearBoard();
    select(nullptr);
}

tDetal& Editor::PlaceStored(int32_t X, int32_t Y, int32_t Z, int32_t Figure, int32_t Kind,
                            int32_t Rot) {
    tDetal& d = m_board.PlaceComponent(X, Y, Z, Figure, Kind, Rot);
    if (const KindInfo* k = findKind(Kind))
        m_entries.push_back({k->entry, d.Index});
    return d;
}

void Editor::SelectFirst() {
    m_highlighted = m_entries.empty() ? -1 : 0;
    select(m_board.detal(0));
}

void Editor::rebuild(const std::vector<StoredRecord>& records) {
    const int32_t count = m_board.count();
    ClearAll();
    if (count <= 1)
        return;
    for (const StoredRecord& r : records)
        PlaceStored(r.X, r.Y, r.Z, r.Figure, r.Kind, r.Rot);
    SelectFirst();
}

std::vector<int32_t> Editor::recordsKeptByDelete() const {
    const int32_t n = m_board.count();
    // Even the only component is written when nothing is highlighted; it is the delete that
    // places nothing again when the board held one component.
    const tDetal* removed = highlightedRecord();
    std::vector<int32_t> kept;
    kept.reserve(size_t(n));
    for (int32_t i = 0; i < n; ++i)
        if (!removed || removed->Index != i)
            kept.push_back(i);
    return kept;
}

EditorMarks Editor::marks() const {
    const tDetal* sel = SelDetal();
    return {m_highlighted, sel ? sel->Index : -1};
}

void Editor::setMarks(const EditorMarks& m) {
    setHighlighted(m.highlighted);
    select(m_board.detal(m.selected));
}

EditorSnapshot Editor::state() const {
    return {m_board.snapshot(), marks()};
}

void Editor::syncEntries() {
    m_entries.clear();
    for (const auto& d : m_board.DetalList())
        if (const KindInfo* k = findKind(d->Kind))
            m_entries.push_back({k->entry, d->Index});
}

void Editor::restore(const EditorSnapshot& s) {
    m_board.restore(s.board);
    syncEntries();
    setMarks(s.marks);
}

CoordTexts coordinateTexts(const tDetal& d) {
    // Widened so a coordinate near the 32-bit limits (only a hand-edited file has one) shows
    // its true distance from the board's reference point instead of a wrapped number.
    return {QStringLiteral("X= ") + QString::number(int64_t(d.X) - 70),
            QStringLiteral("Y= ") + QString::number(73 - int64_t(d.Z)),
            QStringLiteral("Z= ") + QString::number(int64_t(d.Y) - 3)};
}

} // namespace kelmira
