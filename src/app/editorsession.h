#pragma once

#include "board/editor.h"
#include "board/history.h"
#include "render/camera.h"
#include "render/panewidget.h"
#include "render/scene.h"
#include "render/scenegeometry.h"

namespace kelmira {

// What the editor works on and the panes draw from, without a widget in it: the board and
// its editing logic with its undo history, the 3D camera and its zoom, and the frame as the last
// tick left it (the settings it was drawn with and the kept scene). The main window feeds it the
// controls' values; the panes read it.
class EditorSession : public FrameSource {
public:
    Editor& editor() { return m_editor; }
    const Editor& editor() const { return m_editor; }
    // Every change to the board goes through the history, so that it can be taken back.
    EditHistory& history() { return m_history; }
    CameraState& camera() { return m_camera; }
    void setZoom(int zoom) { m_zoom = zoom; }

    // The frame's settings, and the kept scene brought up to date with them and the board
    // (folding the Rot of turned components as a drawn frame does).
    void refresh(const SceneSettings& settings);

    const SceneGeometry& frameScene() const override { return m_scene; }
    Board& frameBoard() override { return m_editor.board(); }
    SceneSettings frameSettings() const override { return m_settings; }
    const CameraState& frameCamera() const override { return m_camera; }
    int frameZoom() const override { return m_zoom; }

private:
    Editor m_editor;
    EditHistory m_history;
    CameraState m_camera;
    int m_zoom = kZoomStart;
    SceneSettings m_settings;
    SceneGeometry m_scene;
};

} // namespace kelmira
