#pragma once

#include "models/meshcanvas.h"
#include "render/camera.h"
#include "render/scene.h"

#include <QMatrix4x4>
#include <QPoint>
#include <QPointF>
#include <QSize>
#include <QVector3D>

#include <cstdint>
#include <optional>
#include <vector>

namespace kelmira {

class Board;

// How one pane shows the scene: its camera and its size in device pixels.
struct PaneView {
    Pane pane = Pane::Front;
    CameraState camera;
    int zoom = kZoomStart;
    QSize sizePx;
    bool operator==(const PaneView& o) const;
};

// The matrix that takes the placed components' space (grid coordinates in scene units, as the
// kept scene holds them) to the pane's clip space.
QMatrix4x4 componentsToClip(const PaneView& view);

// What a pixel of a pane shows, found without drawing: each drawn cell's model, placed as the
// kept scene places it, tested the way the rasteriser covers pixels (triangles by their pixel
// centres, lines by their width), the nearest depth winning. The cells and the boxes around
// them are kept until the board or the rotation step changes.
class ComponentPicker {
public:
    // Brings the cells up to date; folds Rot as a drawn frame does, which the kept scene has
    // already done by the time the editor asks.
    void update(Board& board, int rotationStep);

    // The record drawn frontmost at `pixel` (device pixels from the top-left corner), or -1.
    // `occluders` are the solid parts of the fixed scene (the board, the stage) in scene units:
    // a component behind them is not what the pixel shows.
    int32_t pick(const PaneView& view, QPointF pixel, const Mesh& occluders) const;

    // Whether the box around some component covers `pixel`: the cheap test behind the
    // pointer's shape, answered from a mask made once per board and pane.
    bool covers(const PaneView& view, QPoint pixel) const;

    // The box around all that record `index` draws, in the components' space; none when it
    // draws nothing.
    std::optional<Box> bounds(int32_t index) const;
    // The grid cell (1-based) where the record's model is drawn; none when it is not drawn.
    std::optional<QVector3D> drawnCell(int32_t index) const;

    int cellCount() const { return int(m_cells.size()); }

private:
    struct Cell {
        int32_t record;
        int32_t kind;
        int x, y, z;
        Matrix4f placement; // model space -> components' space
        Box box;
    };
    // The cell's box on screen, grown by half the widest line; false when part of it lies
    // behind the eye (it may then cover anything).
    static bool screenRect(const Cell& c, const QMatrix4x4& toClip, QSize size, float grow,
                           QRectF& rect);

    std::vector<Cell> m_cells;
    bool m_built = false;
    uint64_t m_revision = 0;
    int m_step = 0;

    mutable PaneView m_maskView;
    mutable uint64_t m_maskRevision = 0;
    mutable std::vector<uint8_t> m_mask;
};

// The point under `pixel` on the plane through `through` (components' space) that the pane
// looks at face on: x and z for the top pane, x and y for the front pane, z and y for the
// side pane. None for the 3D pane, or when the pixel's ray misses the plane.
std::optional<QVector3D> pointOnPanePlane(const PaneView& view, QPointF pixel,
                                          const QVector3D& through);

} // namespace kelmira
