#pragma once

#include "models/canvas.h"
#include "render/camera.h"
#include "render/scene.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace kelmira {

class Board;

// Draws the model of a kind around the current origin. Where a function takes one, nullptr
// means drawModel (the program); tests pass a probe.
using ModelDrawer = void (*)(Canvas&, int32_t kind);

// What one frame of one pane reads. Nothing of it is cached between frames.
struct FrameInput {
    Board& board; // non-const: drawing folds the records' Rot in place
    const SceneSettings& settings;
    const CameraState& camera; // the presentation step has already run for this tick
    int zoom = kZoomStart;     // TrackBar1 position P
    int32_t marked = -1;       // the record the kept scene marks as selected, -1 for none
};

// Brings rot into the range of the rotation step (45, 90; anything else: no step selected),
// writing the folded value back, and gives the turn about y in degrees, or nothing when the
// value is drawn without a turn.
std::optional<int> foldRotation(int32_t& rot, int rotationStep);

// The pane's camera on the model-view matrix (identity on entry).
void applyPaneCamera(Canvas& c, Pane pane, const CameraState& cam, int zoom);

// Everything of one pane after the GL set-up of beginPane: camera, scale 0.1, plane colour,
// the pane's plane grids, then the scene. The axis quadric belongs to the pane's context.
void drawPaneContents(Canvas& c, Pane pane, const FrameInput& in, QuadricId axisQuadric,
                      ModelDrawer drawer = nullptr);

// The pane's reference planes that are switched on, at the line width left from the last frame.
void drawPlaneGrids(Canvas& c, Pane pane, const SceneSettings& s);

// The three reference planes; a pane draws the ones it shows in the order planesOfPane gives.
enum class Plane { XZ, XY, YZ };
struct PanePlanes {
    Plane planes[3];
    int count = 0;
};
// The planes a pane draws when their check boxes are on, in drawing order.
PanePlanes planesOfPane(Pane pane);
bool planeShown(Plane plane, const SceneSettings& s);
// One plane's 21 + 21 lines in the current colour and line width.
void drawPlaneGrid(Canvas& c, Plane plane);

// Board, stage, outlines and axes: the part of the scene the board's content does not touch.
void drawFixedScene(Canvas& c, const SceneSettings& s, QuadricId axisQuadric);

// Board, stage, outlines, axes and the placed components, in scene units.
void drawScene(Canvas& c, const SceneSettings& s, QuadricId axisQuadric, Board& board,
               ModelDrawer drawer = nullptr);

struct ComponentPassStats {
    int drawn = 0;   // cells drawn
    int skipped = 0; // occupied cells without a record (broken invariant): not drawn
};

// Draws every occupied cell in storage order (x slowest, z fastest) from the board's list of
// occupied cells: the same cells, order and records as a full grid sweep, at the cost of the
// footprints. A cell without a record is skipped; the first one is reported on stderr.
ComponentPassStats drawPlacedComponents(Canvas& c, Board& board, int rotationStep,
                                        ModelDrawer drawer = nullptr);

// One occupied cell the component pass draws: its grid coordinates, the turn its record's
// folded Rot gives (none: drawn unturned) and the kind whose model goes there.
struct DrawnCell {
    int x, y, z;
    std::optional<int> angle;
    int32_t kind;
};

// The component pass without the drawing: visits the drawn cells in storage order, folding
// each record's Rot as drawing does. Cells without a record are skipped and counted.
ComponentPassStats forEachDrawnCell(Board& board, int rotationStep,
                                    const std::function<void(const DrawnCell&)>& visit);

// The same pass by testing all 150^3 cells: the reference for tests and benchmarks.
ComponentPassStats drawPlacedComponentsSweep(Canvas& c, Board& board, int rotationStep,
                                             ModelDrawer drawer = nullptr);

// Scene-space distance between neighbouring grid cells; cell (x, y, z) stands at
// kGridCorner + kCellSpacing * (x, y, z).
constexpr float kCellSpacing = 0.1075f;
constexpr float kGridCorner[3] = {-8, -1, -8};

} // namespace kelmira
