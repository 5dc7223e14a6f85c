#pragma once

#include "board/editor.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace kelmira {

// The kinds of change the user can take back, each named in the Edit menu.
enum class StepKind { Add, Move, Turn, Delete, Clear, Load };
// "добавление", "перемещение", ...: the step's name after "Отменить: " and "Повторить: ".
QString stepName(StepKind kind);

// One change to the board that can be taken back and made again.
class EditStep {
public:
    explicit EditStep(StepKind kind) : m_kind(kind) {}
    virtual ~EditStep() = default;
    StepKind kind() const { return m_kind; }
    virtual void undo(Editor& e) const = 0;
    virtual void redo(Editor& e) const = 0;
    // What the step keeps in memory, for the history's limit.
    virtual std::size_t bytes() const = 0;

private:
    StepKind m_kind;
};

// Follows one component through a change made by the board's own operations (an add, a move, a
// turn, the moves of a drag), seeing every grid cell that changes, and turns what it saw into a
// step of a few dozen bytes, whatever the board.
class StepRecorder {
public:
    // Starts watching; `appends` when the change adds a record, otherwise it follows the
    // selected record.
    StepRecorder(Editor& e, bool appends);
    ~StepRecorder();
    StepRecorder(const StepRecorder&) = delete;
    StepRecorder& operator=(const StepRecorder&) = delete;

    // The step, or none when the board did not change.
    std::unique_ptr<EditStep> finish(StepKind kind);

private:
    Editor& m_editor;
    bool m_appends;
    int32_t m_index;
    StoredRecord m_before;
    EditorMarks m_marksBefore;
    std::vector<CellChange> m_cells;
    bool m_finished = false;
};

// The undo history of the board: the steps that can be undone, then those that can be redone.
// A new step drops the redoable ones. The history keeps as many steps as fit in its byte limit
// and forgets the oldest beyond it; a step that changes one component costs some 100 bytes, a
// clear or load of the whole board 24 bytes a component on each side.
class EditHistory {
public:
    static constexpr std::size_t kDefaultLimit = std::size_t(64) << 20;
    explicit EditHistory(std::size_t byteLimit = kDefaultLimit) : m_limit(byteLimit) {}

    // The editing commands through the history: each runs the editor's own command and keeps
    // it as a step when it changed the board; refused commands keep nothing. Move and turn
    // tell whether they kept a step.
    tDetal& add(Editor& e, int32_t kind, const QString& entryText);
    bool move(Editor& e, MoveDir dir, int32_t step);
    bool turn(Editor& e, int32_t delta);
    // Changes of the whole board (delete, clear, load): the state before and after `change`,
    // kept when they differ. Returns whether a step was kept.
    bool wholeBoard(Editor& e, StepKind kind, const std::function<void()>& change);

    // A change already made and recorded elsewhere (a drag): kept as the newest step.
    // False for none (the change changed nothing).
    bool push(std::unique_ptr<EditStep> step);

    bool undo(Editor& e);
    bool redo(Editor& e);
    bool canUndo() const { return m_done > 0; }
    bool canRedo() const { return m_done < m_steps.size(); }
    std::optional<StepKind> undoKind() const;
    std::optional<StepKind> redoKind() const;
    // Forgets every step (a fresh start: a recovered or opened board).
    void clear();

    std::size_t count() const { return m_steps.size(); }
    std::size_t bytes() const { return m_bytes; }

    // Called after every change of what can be undone or redone.
    void setChangedHook(std::function<void()> hook) { m_changed = std::move(hook); }

private:
    void changed();

    std::vector<std::unique_ptr<EditStep>> m_steps;
    std::size_t m_done = 0; // steps [0, m_done) can be undone
    std::size_t m_bytes = 0;
    std::size_t m_limit;
    std::function<void()> m_changed;
};

} // namespace kelmira
