#include "render/camera.h"

#include <algorithm>

namespace kelmira {

CursorChange cameraPress(CameraState& cam, MouseButton button, int32_t x, int32_t y) {
    CursorChange cursor = CursorChange::None;
    if (button == MouseButton::Left) {
        cam.RotateDrag = true;
        cam.PanDrag = false;
    } else if (button == MouseButton::Right) {
        cam.PanDrag = true;
        cam.RotateDrag = false;
        cursor = CursorChange::SizeAll;
    }
    cam.LastMouseX = x;
    cam.LastMouseY = y;
    return cursor;
}

void cameraMove(CameraState& cam, int32_t x, int32_t y) {
    // 64-bit so that positions far apart (synthetic events, huge screens) cannot overflow.
    const double dx = static_cast<double>(int64_t{x} - cam.LastMouseX);
    const double dy = static_cast<double>(int64_t{y} - cam.LastMouseY);
    if (cam.RotateDrag) {
        cam.CameraYaw += dx;
        cam.CameraPitch += dy / 2;
    }
    if (cam.PanDrag) {
        cam.CameraPanX -= dx / 30;
        cam.CameraPanY += dy / 30;
    }
    cam.LastMouseX = x;
    cam.LastMouseY = y;
}

CursorChange cameraRelease(CameraState& cam, MouseButton button) {
    if (button == MouseButton::Left) {
        cam.RotateDrag = false;
    } else if (button == MouseButton::Right) {
        cam.PanDrag = false;
        return CursorChange::SizeHor;
    }
    return CursorChange::None;
}

int clampZoom(int p) {
    return std::clamp(p, kZoomMin, kZoomMax);
}

int zoomIn(int p) {
    return clampZoom(clampZoom(p) - 1);
}

int zoomOut(int p) {
    return clampZoom(clampZoom(p) + 1);
}

int WheelAccumulator::feed(int delta) {
    constexpr int64_t notch = 120;
    m_rest += delta;
    const int64_t notches = m_rest / notch; // truncates toward zero: partial notches stay
    m_rest -= notches * notch;
    return static_cast<int>(notches);
}

void presentationStep(CameraState& cam, bool presentation) {
    if (presentation)
        cam.CameraYaw += 0.3;
    if (cam.CameraYaw >= 360)
        cam.CameraYaw = 0;
}

} // namespace kelmira
