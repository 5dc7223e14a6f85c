#pragma once

#include "board/editor.h"
#include "board/history.h"
#include "render/camera.h"
#include "render/panewidget.h"
#include "render/picking.h"
#include "render/scene.h"
#include "render/scenegeometry.h"

#include <QPointF>

#include <memory>

namespace kelmira {

// What the editor works on and the panes draw from, without a widget in it: the board and
// its editing logic with its undo history, the 3D camera and its zoom, and the frame as the
// last tick left it (the settings it was drawn with, the kept scene and the mark of the
// selected component). The main window feeds it the controls' values; the panes read it.
class EditorSession : public FrameSource {
public:
    Editor& editor() { return m_editor; }
    const Editor& editor() const { return m_editor; }
    // Every change to the board goes through the history, so that it can be taken back.
    EditHistory& history() { return m_history; }
    CameraState& camera() { return m_camera; }
    void setZoom(int zoom) { m_zoom = zoom; }

    // The frame's settings, and the kept scene brought up to date with them and the board
    // (folding the Rot of turned components as a drawn frame does), with the mark on the
    // selected component when marking is on.
    void refresh(const SceneSettings& settings);
    void setMarkSelection(bool on) { m_markSelection = on; }
    bool markSelection() const { return m_markSelection; }

    // The record drawn frontmost at `pixel` of the pane, or -1.
    int32_t pickAt(const PaneView& view, QPointF pixel);
    // Whether a component may be under the pixel: cheap enough for every mouse move.
    bool overComponent(const PaneView& view, QPoint pixel);

    // Dragging the selected component in the front, side or top pane: it follows the cell under
    // the pointer in the pane's plane at its own depth, moved cell by cell through the board's
    // own move, so that bounds and other components stop it where the move buttons would.
    enum class DragStop { None, Occupied, OutOfBounds };
    bool beginDrag(const PaneView& view, QPointF pixel);
    DragStop dragTo(QPointF pixel);
    // The drag as one step of the history.
    void endDrag();
    // The component back where the drag began, and nothing kept.
    void cancelDrag();
    bool dragging() const { return m_drag != nullptr; }

    const SceneGeometry& frameScene() const override { return m_scene; }
    Board& frameBoard() override { return m_editor.board(); }
    SceneSettings frameSettings() const override { return m_settings; }
    const CameraState& frameCamera() const override { return m_camera; }
    int frameZoom() const override { return m_zoom; }

private:
    struct Drag {
        PaneView view;
        QVector3D through; // the drawn cell's centre, in the components' space
        QVector3D start;   // where the press met the pane's plane
        int32_t x, y, z;   // the origin the drag began at
        std::unique_ptr<StepRecorder> recorder;
    };
    void bringUpToDate();

    Editor m_editor;
    EditHistory m_history;
    CameraState m_camera;
    int m_zoom = kZoomStart;
    SceneSettings m_settings;
    SceneGeometry m_scene;
    ComponentPicker m_picker;
    bool m_markSelection = true;
    std::unique_ptr<Drag> m_drag;
};

} // namespace kelmira
