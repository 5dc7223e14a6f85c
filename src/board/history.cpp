#include "board/history.h"

#include <map>
#include <utility>

namespace kelmira {

namespace {

// A change of one component: its placement (or its being appended) and the grid cells it
// changed, with the marks on either side.
class ComponentStep final : public EditStep {
public:
    ComponentStep(StepKind kind, bool appended, int32_t index, StoredRecord before,
                  StoredRecord after, std::vector<CellChange> cells, EditorMarks marksBefore,
                  EditorMarks marksAfter)
        : EditStep(kind), m_appended(appended), m_index(index), m_before(before), m_after(after),
          m_cells(std::move(cells)), m_marksBefore(marksBefore), m_marksAfter(marksAfter) {
        m_cells.shrink_to_fit();
    }

    void undo(Editor& e) const override {
        Board& b = e.board();
        if (m_appended)
            b.restoreRemoveLast();
        else
            b.restorePlacement(m_index, m_before.X, m_before.Y, m_before.Z, m_before.Rot);
        b.applyCells(m_cells, false);
        e.syncEntries();
        e.setMarks(m_marksBefore);
    }

    void redo(Editor& e) const override {
        Board& b = e.board();
        if (m_appended)
            b.restoreAppend(m_after);
        else
            b.restorePlacement(m_index, m_after.X, m_after.Y, m_after.Z, m_after.Rot);
        b.applyCells(m_cells, true);
        e.syncEntries();
        e.setMarks(m_marksAfter);
    }

    std::size_t bytes() const override {
        return sizeof(*this) + m_cells.capacity() * sizeof(CellChange);
    }

private:
    bool m_appended;
    int32_t m_index;
    StoredRecord m_before, m_after;
    std::vector<CellChange> m_cells;
    EditorMarks m_marksBefore, m_marksAfter;
};

// A change of the whole board, kept as the states on either side.
class BoardStep final : public EditStep {
public:
    BoardStep(StepKind kind, EditorSnapshot before, EditorSnapshot after)
        : EditStep(kind), m_before(std::move(before)), m_after(std::move(after)) {}
    void undo(Editor& e) const override { e.restore(m_before); }
    void redo(Editor& e) const override { e.restore(m_after); }
    std::size_t bytes() const override {
        return sizeof(*this) + m_before.board.bytes() + m_after.board.bytes();
    }

private:
    EditorSnapshot m_before, m_after;
};

} // namespace

QString stepName(StepKind kind) {
    switch (kind) {
    case StepKind::Add:
        return QStringLiteral("добавление");
    case StepKind::Move:
        return QStringLiteral("перемещение");
    case StepKind::Turn:
        return QStringLiteral("поворот");
    case StepKind::Delete:
        return QStringLiteral("удаление");
    case StepKind::Clear:
        return QStringLiteral("очистка");
    case StepKind::Load:
        return QStringLiteral("загрузка проекта");
    }
    return {};
}

StepRecorder::StepRecorder(Editor& e, bool appends)
    : m_editor(e), m_appends(appends), m_marksBefore(e.marks()) {
    const tDetal* sel = e.SelDetal();
    m_index = appends ? e.board().count() : sel ? sel->Index : -1;
    if (!appends && sel)
        m_before = storedRecord(*sel);
    e.board().setJournal(&m_cells);
}

StepRecorder::~StepRecorder() {
    if (!m_finished)
        m_editor.board().setJournal(nullptr);
}

std::unique_ptr<EditStep> StepRecorder::finish(StepKind kind) {
    m_finished = true;
    Board& b = m_editor.board();
    b.setJournal(nullptr);
    const tDetal* d = b.detal(m_index);
    if (!d || (m_appends && b.count() != m_index + 1))
        return nullptr;
    const StoredRecord after = storedRecord(*d);
    // A cell a drag crossed, or one erased and stamped again by a move of no distance, keeps
    // only its first and last value; one that ended as it began is no change at all.
    std::vector<CellChange> net;
    std::map<int32_t, std::size_t> at;
    for (const CellChange& c : m_cells) {
        const auto [it, fresh] = at.emplace(c.cell, net.size());
        if (fresh)
            net.push_back(c);
        else
            net[it->second].after = c.after;
    }
    std::erase_if(net, [](const CellChange& c) { return c.before == c.after; });
    if (!m_appends && after == m_before && net.empty())
        return nullptr;
    return std::make_unique<ComponentStep>(kind, m_appends, m_index, m_before, after,
                                           std::move(net), m_marksBefore, m_editor.marks());
}

tDetal& EditHistory::add(Editor& e, int32_t kind, const QString& entryText) {
    StepRecorder r(e, true);
    tDetal& d = e.AddComponent(kind, entryText);
    push(r.finish(StepKind::Add));
    return d;
}

bool EditHistory::move(Editor& e, MoveDir dir, int32_t step) {
    StepRecorder r(e, false);
    return e.Move(dir, step) && push(r.finish(StepKind::Move));
}

bool EditHistory::turn(Editor& e, int32_t delta) {
    StepRecorder r(e, false);
    return e.Turn(delta) && push(r.finish(StepKind::Turn));
}

bool EditHistory::wholeBoard(Editor& e, StepKind kind, const std::function<void()>& change) {
    EditorSnapshot before = e.state();
    change();
    EditorSnapshot after = e.state();
    if (after == before)
        return false;
    push(std::make_unique<BoardStep>(kind, std::move(before), std::move(after)));
    return true;
}

bool EditHistory::push(std::unique_ptr<EditStep> step) {
    if (!step)
        return false;
    while (m_steps.size() > m_done) {
        m_bytes -= m_steps.back()->bytes();
        m_steps.pop_back();
    }
    m_bytes += step->bytes();
    m_steps.push_back(std::move(step));
    m_done = m_steps.size();
    // The oldest steps go first; the newest is always kept, whatever it costs.
    std::size_t drop = 0;
    while (m_bytes > m_limit && drop + 1 < m_steps.size())
        m_bytes -= m_steps[drop++]->bytes();
    if (drop) {
        m_steps.erase(m_steps.begin(), m_steps.begin() + std::ptrdiff_t(drop));
        m_done -= drop;
    }
    changed();
    return true;
}

bool EditHistory::undo(Editor& e) {
    if (!canUndo())
        return false;
    m_steps[--m_done]->undo(e);
    changed();
    return true;
}

bool EditHistory::redo(Editor& e) {
    if (!canRedo())
        return false;
    m_steps[m_done++]->redo(e);
    changed();
    return true;
}

std::optional<StepKind> EditHistory::undoKind() const {
    if (!canUndo())
        return std::nullopt;
    return m_steps[m_done - 1]->kind();
}

std::optional<StepKind> EditHistory::redoKind() const {
    if (!canRedo())
        return std::nullopt;
    return m_steps[m_done]->kind();
}

void EditHistory::clear() {
    m_steps.clear();
    m_done = 0;
    m_bytes = 0;
    changed();
}

void EditHistory::changed() {
    if (m_changed)
        m_changed();
}

} // namespace kelmira
