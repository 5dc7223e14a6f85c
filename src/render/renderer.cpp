#include "render/renderer.h"

#include "board/board.h"
#include "models/models.h"
#include "models/shapes.h"

#include <atomic>
#include <cstdio>

namespace kelmira {

namespace {

constexpr Box kBoardBox{-10, 10, 0, 0.4f, -10, 10};
constexpr Box kStageBox{-12, 12, -1, 0, -12, 12};
constexpr float kAxisHalfLength = 14;

void segment(Canvas& c, float x0, float y0, float z0, float x1, float y1, float z1) {
    c.vertex(x0, y0, z0);
    c.vertex(x1, y1, z1);
}

// Corner n of a box takes x from bit 0, y from bit 1 and z from bit 2 of n.
void corner(Canvas& c, const Box& b, int n) {
    c.vertex(n & 1 ? b.x1 : b.x0, n & 2 ? b.y1 : b.y0, n & 4 ? b.z1 : b.z0);
}

// The twelve edges, inside a Lines batch the caller opened: the four along x, then y, then z.
void boxEdges(Canvas& c, const Box& b) {
    for (int axisBit : {1, 2, 4})
        for (int n = 0; n < 8; ++n)
            if (!(n & axisBit)) {
                corner(c, b, n);
                corner(c, b, n | axisBit);
            }
}

enum class Axis { X, Y, Z };

// An axis line with its arrowhead; ax is the scene axis (OZ is the scene's y, OY its z).
void drawAxis(Canvas& c, Axis ax, const Rgb& rgb, QuadricId q) {
    paint(c, rgb);
    const float L = kAxisHalfLength;
    c.begin(Canvas::Primitive::Lines);
    if (ax == Axis::X)
        segment(c, -L, 0, 0, L, 0, 0);
    else if (ax == Axis::Y)
        segment(c, 0, -L, 0, 0, L, 0);
    else
        segment(c, 0, 0, -L, 0, 0, L);
    c.end();
    if (!q)
        return;
    c.quadricDrawStyle(q, QuadricLine);
    c.quadricOrientation(q, QuadricInside);
    c.quadricNormals(q, QuadricSmooth);
    // The cone's own axis is +z from its tip; turn it to point back along the scene axis.
    // The turn and the shift are undone step by step rather than with a push/pop.
    if (ax == Axis::X) {
        c.translate(L, 0, 0);
        c.rotate(-90, 0, 1, 0);
    } else if (ax == Axis::Y) {
        c.translate(0, L, 0);
        c.rotate(90, 1, 0, 0);
    } else {
        c.translate(0, 0, -L);
    }
    c.cylinder(q, 0, 0.1, 0.4, 60, 70);
    if (ax == Axis::X) {
        c.rotate(90, 0, 1, 0);
        c.translate(-L, 0, 0);
    } else if (ax == Axis::Y) {
        c.rotate(-90, 1, 0, 0);
        c.translate(0, -L, 0);
    } else {
        c.translate(0, 0, L);
    }
}

std::atomic<bool> g_reportedMissingRecord{false};

// The record of an occupied cell; nullptr (reported once) when the cell names none.
tDetal* recordOfCell(Board& board, int32_t cellNo, int32_t index) {
    tDetal* d = board.detal(index);
    if (!d && !g_reportedMissingRecord.exchange(true))
        std::fprintf(stderr,
                     "kelmira: grid cell %d holds %d, which names no placed component; "
                     "such cells are not drawn\n",
                     cellNo, index);
    return d;
}

DrawnCell drawnCell(int32_t cellNo, tDetal& d, int rotationStep) {
    return DrawnCell{cellNo / (kGridSize * kGridSize) + 1, cellNo / kGridSize % kGridSize + 1,
                     cellNo % kGridSize + 1, foldRotation(d.Rot, rotationStep), d.Kind};
}

void drawCell(Canvas& c, const DrawnCell& cell, ModelDrawer drawer) {
    c.pushMatrix();
    c.translate(kCellSpacing * static_cast<float>(cell.x),
                kCellSpacing * static_cast<float>(cell.y),
                kCellSpacing * static_cast<float>(cell.z));
    if (cell.angle)
        c.rotate(static_cast<float>(*cell.angle), 0, 1, 0);
    (drawer ? drawer : &drawModel)(c, cell.kind);
    c.popMatrix();
}

} // namespace

std::optional<int> foldRotation(int32_t& rot, int rotationStep) {
    if (rotationStep == 45) {
        if (rot == 5)
            rot = -3;
        else if (rot == -4)
            rot = 4;
        if (rot >= -3 && rot <= 4)
            return rot >= 0 ? rot * 45 : 360 + rot * 45;
    } else if (rotationStep == 90) {
        if (rot == 2)
            rot = -2;
        else if (rot == -3)
            rot = 1;
        if (rot >= -2 && rot <= 1)
            return rot >= 0 ? rot * 90 : 360 + rot * 90;
    }
    return std::nullopt;
}

void applyPaneCamera(Canvas& c, Pane pane, const CameraState& cam, int zoom) {
    switch (pane) {
    case Pane::Front:
        c.translate(0, 0, -4.6f);
        c.rotate(3, 1, 0, 0);
        break;
    case Pane::Side:
        c.translate(0, 0, -4.6f);
        c.rotate(90, 0, 1, 0);
        c.rotate(3, 0, 0, 1);
        break;
    case Pane::Top:
        c.translate(0, 0, -4.8f);
        c.rotate(90, 1, 0, 0);
        break;
    case Pane::ThreeD:
        c.translate(static_cast<float>(cam.CameraPanX), static_cast<float>(cam.CameraPanY + 1),
                    -static_cast<float>(zoom) / 5);
        c.rotate(static_cast<float>(cam.CameraYaw), 0, 1, 0);
        c.rotate(static_cast<float>(cam.CameraPitch + 20), 1, 0, 0);
        break;
    }
}

PanePlanes planesOfPane(Pane pane) {
    switch (pane) {
    case Pane::Front:
        return {{Plane::XZ}, 1};
    case Pane::Side:
        return {{Plane::YZ}, 1};
    case Pane::Top:
        return {{Plane::XY}, 1};
    case Pane::ThreeD:
        break;
    }
    return {{Plane::XZ, Plane::XY, Plane::YZ}, 3};
}

bool planeShown(Plane plane, const SceneSettings& s) {
    switch (plane) {
    case Plane::XZ:
        return s.planeXZ;
    case Plane::XY:
        return s.planeXY;
    case Plane::YZ:
        break;
    }
    return s.planeYZ;
}

void drawPlaneGrid(Canvas& c, Plane plane) {
    for (int n = -10; n <= 10; ++n) {
        const auto i = static_cast<float>(n);
        c.begin(Canvas::Primitive::Lines);
        switch (plane) {
        case Plane::XZ:
            segment(c, -10, i, 0, 10, i, 0);
            segment(c, i, -10, 0, i, 10, 0);
            break;
        case Plane::YZ:
            segment(c, 0, -10, i, 0, 10, i);
            segment(c, 0, i, -10, 0, i, 10);
            break;
        case Plane::XY:
            segment(c, -10, 0.5f, i, 10, 0.5f, i);
            segment(c, i, 0.5f, -10, i, 0.5f, 10);
            break;
        }
        c.end();
    }
}

void drawPlaneGrids(Canvas& c, Pane pane, const SceneSettings& s) {
    const PanePlanes p = planesOfPane(pane);
    for (int n = 0; n < p.count; ++n)
        if (planeShown(p.planes[n], s))
            drawPlaneGrid(c, p.planes[n]);
}

void drawFixedScene(Canvas& c, const SceneSettings& s, QuadricId axisQuadric) {
    paint(c, s.boardColor);
    shapes::solidBox(c, kBoardBox);
    paint(c, s.stageColor);
    if (s.stage)
        shapes::solidBox(c, kStageBox);

    c.color(0.8f, 0.8f, 0.8f);
    c.lineWidth(3);
    c.begin(Canvas::Primitive::Lines);
    if (s.stage)
        boxEdges(c, kStageBox);
    boxEdges(c, kBoardBox);
    c.end();

    c.lineWidth(2);
    if (s.axisX)
        drawAxis(c, Axis::X, s.axisXColor, axisQuadric);
    if (s.axisZ)
        drawAxis(c, Axis::Y, s.axisZColor, axisQuadric);
    if (s.axisY)
        drawAxis(c, Axis::Z, s.axisYColor, axisQuadric);
}

void drawScene(Canvas& c, const SceneSettings& s, QuadricId axisQuadric, Board& board,
               ModelDrawer drawer) {
    drawFixedScene(c, s, axisQuadric);
    c.lineWidth(1);
    c.translate(kGridCorner[0], kGridCorner[1], kGridCorner[2]);
    drawPlacedComponents(c, board, s.rotationStep, drawer);
    c.lineWidth(0.5f);
}

void drawPaneContents(Canvas& c, Pane pane, const FrameInput& in, QuadricId axisQuadric,
                      ModelDrawer drawer) {
    applyPaneCamera(c, pane, in.camera, in.zoom);
    c.scale(0.1f, 0.1f, 0.1f);
    paint(c, in.settings.planeColor);
    drawPlaneGrids(c, pane, in.settings);
    drawScene(c, in.settings, axisQuadric, in.board, drawer);
}

ComponentPassStats forEachDrawnCell(Board& board, int rotationStep,
                                    const std::function<void(const DrawnCell&)>& visit) {
    ComponentPassStats stats;
    const int32_t* grid = board.gridData();
    for (int32_t cellNo : board.occupiedCells()) {
        tDetal* d = recordOfCell(board, cellNo, grid[cellNo]);
        if (!d) {
            ++stats.skipped;
            continue;
        }
        visit(drawnCell(cellNo, *d, rotationStep));
        ++stats.drawn;
    }
    return stats;
}

ComponentPassStats drawPlacedComponents(Canvas& c, Board& board, int rotationStep,
                                        ModelDrawer drawer) {
    return forEachDrawnCell(board, rotationStep,
                            [&](const DrawnCell& cell) { drawCell(c, cell, drawer); });
}

ComponentPassStats drawPlacedComponentsSweep(Canvas& c, Board& board, int rotationStep,
                                             ModelDrawer drawer) {
    ComponentPassStats stats;
    const int32_t* grid = board.gridData();
    constexpr int32_t cells = kGridSize * kGridSize * kGridSize;
    for (int32_t cellNo = 0; cellNo < cells; ++cellNo) {
        if (grid[cellNo] == kEmptyCell)
            continue;
        tDetal* d = recordOfCell(board, cellNo, grid[cellNo]);
        if (!d) {
            ++stats.skipped;
            continue;
        }
        drawCell(c, drawnCell(cellNo, *d, rotationStep), drawer);
        ++stats.drawn;
    }
    return stats;
}

} // namespace kelmira
