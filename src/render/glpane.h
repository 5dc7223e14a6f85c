#pragma once

#include "render/camera.h"
#include "render/scene.h"

#include <QMatrix4x4>
#include <QPointF>
#include <QSize>
#include <QSurfaceFormat>
#include <QVector3D>
#include <QVector4D>

namespace kelmira {

// The GL surface every pane is drawn on, on screen and off: a compatibility profile for the
// fixed-function calls, and a 24-bit depth buffer.
QSurfaceFormat paneSurfaceFormat();

// Opens the drawing of one pane in the current GL context: viewport (0, 0, w, h) in device
// pixels, perspective 30 degrees / w:h / 1..10000, model-view identity, lighting off, depth
// test on, and a clear of colour and depth to the background. The clear is opaque: a
// QOpenGLWidget is composited with its alpha, so alpha 0 would make the pane see-through.
void beginPane(int widthPx, int heightPx, const Rgb& background);

// The projection beginPane loads. A pane of height 0 (a squeezed window) uses the ratio of a
// 1-pixel-high one instead of dividing by zero; nothing of it is visible anyway.
QMatrix4x4 paneProjection(int widthPx, int heightPx);

// The model-view matrix a pane's scene is drawn with: its camera and the scene's scale of 0.1.
QMatrix4x4 paneModelView(Pane pane, const CameraState& cam, int zoom);

// Where a point in scene units lands in a pane of the given size, in pixels with (0, 0) at the
// top-left corner as in a QImage; the same matrices the pane draws with. Meaningful for points
// in front of the camera only.
QPointF projectScenePoint(Pane pane, const CameraState& cam, int zoom, QSize sizePx,
                          const QVector3D& scenePoint);

// Where clip-space points land in a viewport of vp pixels: the window coordinates they span
// (x to the right, y up, as GL counts them) and their window depths, 0 at the near plane.
struct WindowSpan {
    double x0 = 1e30, x1 = -1e30, y0 = 1e30, y1 = -1e30;
    double nearest = 1e30, deepest = -1e30;
    // Adds a point; false, leaving the span as it was, when it lies in the eye's plane or
    // behind it.
    bool add(const QVector4D& clip, QSize vp);
    void join(const WindowSpan& other);
    bool empty() const { return x0 > x1; }
};

} // namespace kelmira
