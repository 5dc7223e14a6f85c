#include "render/glpane.h"

#include "render/matrixcanvas.h"
#include "render/renderer.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>

namespace kelmira {

namespace {

constexpr double kFieldOfView = 30;
constexpr double kNear = 1;
constexpr double kFar = 10000;

double aspectOf(int w, int h) {
    return static_cast<double>(w) / static_cast<double>(h > 0 ? h : 1);
}

} // namespace

QSurfaceFormat paneSurfaceFormat() {
    QSurfaceFormat f;
    f.setRenderableType(QSurfaceFormat::OpenGL);
    f.setProfile(QSurfaceFormat::CompatibilityProfile);
    f.setVersion(2, 1);
    f.setDepthBufferSize(24);
    return f;
}

void beginPane(int widthPx, int heightPx, const Rgb& background) {
    glViewport(0, 0, widthPx, heightPx);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(kFieldOfView, aspectOf(widthPx, heightPx), kNear, kFar);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(background.r, background.g, background.b, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glLoadIdentity();
}

QMatrix4x4 paneProjection(int widthPx, int heightPx) {
    QMatrix4x4 m;
    m.perspective(static_cast<float>(kFieldOfView), static_cast<float>(aspectOf(widthPx, heightPx)),
                  static_cast<float>(kNear), static_cast<float>(kFar));
    return m;
}

QMatrix4x4 paneModelView(Pane pane, const CameraState& cam, int zoom) {
    MatrixCanvas c;
    applyPaneCamera(c, pane, cam, zoom);
    c.scale(0.1f, 0.1f, 0.1f);
    return c.matrix();
}

QPointF projectScenePoint(Pane pane, const CameraState& cam, int zoom, QSize sizePx,
                          const QVector3D& scenePoint) {
    const QMatrix4x4 m =
        paneProjection(sizePx.width(), sizePx.height()) * paneModelView(pane, cam, zoom);
    const QVector3D ndc = m.map(scenePoint); // map() divides by w
    const double x = (ndc.x() + 1) / 2 * sizePx.width();
    const double y = (1 - ndc.y()) / 2 * sizePx.height();
    return QPointF(x, y);
}

bool WindowSpan::add(const QVector4D& clip, QSize vp) {
    if (clip.w() <= 1e-6f)
        return false;
    const double x = (double(clip.x() / clip.w()) + 1) / 2 * vp.width();
    const double y = (double(clip.y() / clip.w()) + 1) / 2 * vp.height();
    const double z = (double(clip.z() / clip.w()) + 1) / 2;
    x0 = std::min(x0, x);
    x1 = std::max(x1, x);
    y0 = std::min(y0, y);
    y1 = std::max(y1, y);
    nearest = std::min(nearest, z);
    deepest = std::max(deepest, z);
    return true;
}

void WindowSpan::join(const WindowSpan& other) {
    x0 = std::min(x0, other.x0);
    x1 = std::max(x1, other.x1);
    y0 = std::min(y0, other.y0);
    y1 = std::max(y1, other.y1);
    nearest = std::min(nearest, other.nearest);
    deepest = std::max(deepest, other.deepest);
}

} // namespace kelmira
