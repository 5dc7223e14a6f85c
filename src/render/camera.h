#pragma once

#include <cstdint>

namespace kelmira {

// Camera and drag state of the 3D pane. Plain values: the main window owns one and feeds it
// the 3D pane's mouse events; the renderer reads it at every frame.
struct CameraState {
    double CameraYaw = -30; // degrees about the vertical axis
    double CameraPitch = 0; // degrees, added to the fixed tilt of 20 about x
    double CameraPanX = 0;  // eye units
    double CameraPanY = -1; // eye units; the camera adds a fixed 1
    bool RotateDrag = false;
    bool PanDrag = false;
    int32_t LastMouseX = 0; // pane pixels, y downwards
    int32_t LastMouseY = 0;
};

enum class MouseButton { Left, Right, Other };

// What the main window's own cursor should become after a press or release.
enum class CursorChange { None, SizeAll, SizeHor };

// Pnl2MouseDown: left starts a turn, right a shift; every button sets the drag origin.
CursorChange cameraPress(CameraState& cam, MouseButton button, int32_t x, int32_t y);
// Pnl2MouseMove, with or without a button held.
void cameraMove(CameraState& cam, int32_t x, int32_t y);
// Pnl2MouseUp.
CursorChange cameraRelease(CameraState& cam, MouseButton button);

// Distance of the 3D camera: TrackBar1's position P; the scene sits P / 5 eye units away.
constexpr int kZoomMin = 0;
constexpr int kZoomMax = 100;
constexpr int kZoomStart = 25;
int clampZoom(int p);
int zoomIn(int p);  // btnZoomInClick, wheel up: one step nearer
int zoomOut(int p); // btnZoomOutClick, wheel down: one step farther

// Turns raw wheel deltas (120 a notch) into whole notches, carrying the remainder.
class WheelAccumulator {
public:
    // Adds a delta; returns the notches completed: positive up (away from the user),
    // negative down. A turn back first eats the carried remainder.
    int feed(int delta);
    int remainder() const { return static_cast<int>(m_rest); }

private:
    int64_t m_rest = 0;
};

// Once per frame before the 3D camera: presentation mode turns 0.3 degrees; a yaw of 360 or
// more (from presentation or a mouse turn) restarts at exactly 0. Negative yaw stays as it is.
void presentationStep(CameraState& cam, bool presentation);

} // namespace kelmira
