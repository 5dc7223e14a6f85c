#pragma once

#include "render/scene.h"

#include <array>

namespace kelmira {

// The five view modes of ToolBar2 / the "Вид" menu.
enum class ViewMode { Standard, Front, Top, Side, ThreeD };

// Geometry of one group box inside Panel6 (left, top, width, height).
struct PaneBox {
    bool visible = false;
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const PaneBox&) const = default;
};

// The four group boxes, indexed in pane order: front (GroupBox8), side (GroupBox10),
// top (GroupBox9), 3D (GroupBox11).
struct ViewLayout {
    std::array<PaneBox, 4> boxes;
    const PaneBox& box(Pane p) const { return boxes[static_cast<int>(p) - 1]; }
    PaneBox& box(Pane p) { return boxes[static_cast<int>(p) - 1]; }
};

// LayoutPanes for a Panel6 of w x h: standard mode tiles all four boxes 2x2 (front, top on the
// upper row; side, 3D below), a single mode shows its box alone at (5, 15). Sizes that would
// come out negative on a tiny panel are 0. Boxes a single mode hides carry no geometry: hide
// them and leave their size as it was (a hidden pane keeps the size it last had).
ViewLayout layoutPanes(int w, int h, ViewMode mode);

// The caption of a pane's group box, UTF-8: the window's boxes and the headless sheet's.
const char* paneCaption(Pane p);

// The margin a pane keeps inside its group box's contents. The window's style adds the box's
// frame and caption around it; the headless sheet, which has no style, draws a box of the
// same measure (see OffscreenRenderer::renderSheet).
inline constexpr int kPaneMargin = 2;

// The pane a single mode shows; Standard has none (returns Pane::Front, unused).
Pane paneOfMode(ViewMode mode);

} // namespace kelmira
