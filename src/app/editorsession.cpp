#include "app/editorsession.h"

#include "render/renderer.h"

#include <cmath>

namespace kelmira {

void EditorSession::refresh(const SceneSettings& settings) {
    m_settings = settings;
    bringUpToDate();
}

void EditorSession::bringUpToDate() {
    m_scene.update(m_editor.board(), m_settings);
    m_picker.update(m_editor.board(), m_settings.rotationStep);
    const tDetal* sel = m_editor.SelDetal();
    m_scene.setMark(m_markSelection && sel ? m_picker.bounds(sel->Index) : std::nullopt);
}

int32_t EditorSession::pickAt(const PaneView& view, QPointF pixel) {
    // A click may come between an edit and the next tick: see the board as it is now.
    bringUpToDate();
    return m_picker.pick(view, pixel, m_scene.mesh(SceneGeometry::Part::Fixed));
}

bool EditorSession::overComponent(const PaneView& view, QPoint pixel) {
    m_picker.update(m_editor.board(), m_settings.rotationStep);
    return m_picker.covers(view, pixel);
}

bool EditorSession::beginDrag(const PaneView& view, QPointF pixel) {
    m_drag.reset();
    const tDetal* sel = m_editor.SelDetal();
    if (!sel || view.pane == Pane::ThreeD)
        return false;
    bringUpToDate();
    const auto cell = m_picker.drawnCell(sel->Index);
    if (!cell)
        return false;
    const QVector3D through = *cell * kCellSpacing;
    const auto start = pointOnPanePlane(view, pixel, through);
    if (!start)
        return false;
    m_drag.reset(new Drag{view, through, *start, sel->X, sel->Y, sel->Z,
                          std::make_unique<StepRecorder>(m_editor, false)});
    return true;
}

EditorSession::DragStop EditorSession::dragTo(QPointF pixel) {
    tDetal* d = m_editor.SelDetal();
    if (!m_drag || !d)
        return DragStop::None;
    const auto at = pointOnPanePlane(m_drag->view, pixel, m_drag->through);
    if (!at)
        return DragStop::None;
    const QVector3D cells = (*at - m_drag->start) / kCellSpacing;
    const Pane pane = m_drag->view.pane;
    // The pane's plane: the top pane moves x and z, the front pane x and y, the side z and y.
    const int64_t target[3] = {pane == Pane::Side ? m_drag->x : m_drag->x + std::lround(cells.x()),
                               pane == Pane::Top ? m_drag->y : m_drag->y + std::lround(cells.y()),
                               pane == Pane::Front ? m_drag->z
                                                   : m_drag->z + std::lround(cells.z())};
    // One cell at a time along the longer way still to go, so that a taken cell stops the
    // component next to it rather than refusing the whole way.
    for (;;) {
        const int64_t left[3] = {target[0] - d->X, target[1] - d->Y, target[2] - d->Z};
        int axis = 0;
        for (int a = 1; a < 3; ++a)
            if (std::llabs(left[a]) > std::llabs(left[axis]))
                axis = a;
        if (left[axis] == 0)
            return DragStop::None;
        int64_t next[3] = {d->X, d->Y, d->Z};
        next[axis] += left[axis] > 0 ? 1 : -1;
        if (next[0] < 2 || next[0] > 148 || next[1] < 2 || next[1] > 148 || next[2] < 1 ||
            next[2] > 148)
            return DragStop::OutOfBounds;
        if (!m_editor.board().TryMoveComponent(*d, int32_t(next[0]), int32_t(next[1]),
                                               int32_t(next[2])))
            return DragStop::Occupied;
    }
}

void EditorSession::endDrag() {
    if (!m_drag)
        return;
    auto step = m_drag->recorder->finish(StepKind::Move);
    m_drag.reset();
    m_history.push(std::move(step));
}

void EditorSession::cancelDrag() {
    if (!m_drag)
        return;
    if (auto step = m_drag->recorder->finish(StepKind::Move))
        step->undo(m_editor);
    m_drag.reset();
}

} // namespace kelmira
