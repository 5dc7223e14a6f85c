#include "render/viewlayout.h"

#include <algorithm>

namespace kelmira {

namespace {

PaneBox shown(int left, int top, int width, int height) {
    return PaneBox{true, left, top, std::max(width, 0), std::max(height, 0)};
}

} // namespace

Pane paneOfMode(ViewMode mode) {
    switch (mode) {
    case ViewMode::Side:
        return Pane::Side;
    case ViewMode::Top:
        return Pane::Top;
    case ViewMode::ThreeD:
        return Pane::ThreeD;
    case ViewMode::Front:
    case ViewMode::Standard:
        break;
    }
    return Pane::Front;
}

ViewLayout layoutPanes(int w, int h, ViewMode mode) {
    ViewLayout layout;
    if (mode == ViewMode::Standard) {
        // C++ integer division truncates toward zero, as the layout is defined.
        const int bw = w / 2 - 5;
        const int bh = h / 2 - 15;
        layout.box(Pane::Front) = shown(5, 15, bw, bh);
        layout.box(Pane::Top) = shown(w / 2 + 5, 15, bw, bh);
        layout.box(Pane::Side) = shown(5, h / 2 + 15, bw, bh);
        layout.box(Pane::ThreeD) = shown(w / 2 + 5, h / 2 + 15, bw, bh);
        return layout;
    }
    layout.box(paneOfMode(mode)) = shown(5, 15, w - 5, h - 15);
    return layout;
}

const char* paneCaption(Pane p) {
    static const char* const captions[4] = {
        "Вид спереди :", "Вид сбоку :", "Вид сверху :", "3D-Вид :"};
    return captions[static_cast<int>(p) - 1];
}

} // namespace kelmira
