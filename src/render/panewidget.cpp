#include "render/panewidget.h"

#include "models/glcanvas.h"
#include "render/glpane.h"

#include <QMouseEvent>
#include <QOpenGLContext>

#include <cmath>

namespace kelmira {

PaneWidget::PaneWidget(Pane pane, QWidget* parent) : QOpenGLWidget(parent), m_pane(pane) {
    setFormat(paneSurfaceFormat());
    // Moves without a button still set the drag origin of the 3D camera.
    setMouseTracking(true);
}

PaneWidget::~PaneWidget() {
    // The base class destroys the context after this part of the object is gone: release the
    // buffers now and make sure the context's signal no longer reaches us.
    if (QOpenGLContext* ctx = context()) {
        disconnect(ctx, &QOpenGLContext::aboutToBeDestroyed, this, &PaneWidget::releaseGL);
        releaseGL();
    }
}

void PaneWidget::setFrameSource(FrameSource* source) {
    m_source = source;
    update();
}

void PaneWidget::initializeGL() {
    // A re-parented QOpenGLWidget gets a new context: the buffers of the old one go with it,
    // and the new one starts with none uploaded.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &PaneWidget::releaseGL,
            Qt::UniqueConnection);
    QOpenGLContext* ctx = context();
    m_buffers.initialize(
        [ctx](const char* name) { return reinterpret_cast<void*>(ctx->getProcAddress(name)); });
    m_drawn = false;
}

void PaneWidget::releaseGL() {
    if (!m_buffers.usesBufferObjects() && !m_axisQuadric)
        return;
    makeCurrent();
    m_buffers.release();
    GlCanvas canvas;
    canvas.deleteQuadric(m_axisQuadric);
    m_axisQuadric = 0;
    doneCurrent();
}

void PaneWidget::setDrawMode(DrawMode mode) {
    m_mode = mode;
    update();
}

PaneFrameKey PaneWidget::currentKey() const {
    PaneFrameKey key;
    const qreal dpr = devicePixelRatioF();
    key.width = static_cast<int>(std::lround(width() * dpr));
    key.height = static_cast<int>(std::lround(height() * dpr));
    if (!m_source)
        return key;
    key.scene = m_source->frameScene().paneVersion(m_pane);
    key.background = m_source->frameSettings().background;
    if (m_pane == Pane::ThreeD) {
        const CameraState& cam = m_source->frameCamera();
        key.yaw = cam.CameraYaw;
        key.pitch = cam.CameraPitch;
        key.panX = cam.CameraPanX;
        key.panY = cam.CameraPanY;
        key.zoom = m_source->frameZoom();
    }
    return key;
}

bool PaneWidget::needsRepaint() const {
    return m_mode == DrawMode::Immediate || !m_drawn || currentKey() != m_drawnKey;
}

void PaneWidget::paintGL() {
    const PaneFrameKey key = currentKey();
    if (!m_source) {
        beginPane(key.width, key.height, Rgb{});
        return;
    }
    beginPane(key.width, key.height, key.background);
    if (m_mode == DrawMode::Immediate) {
        GlCanvas canvas;
        if (!m_axisQuadric)
            m_axisQuadric = canvas.newQuadric();
        const SceneSettings settings = m_source->frameSettings();
        const FrameInput in{m_source->frameBoard(), settings, m_source->frameCamera(),
                            m_source->frameZoom()};
        drawPaneContents(canvas, m_pane, in, m_axisQuadric);
    } else {
        m_buffers.drawPane(m_pane, m_source->frameScene(), m_source->frameCamera(),
                           m_source->frameZoom());
    }
    m_drawnKey = key;
    m_drawn = true;
    ++m_paintCount;
}

void PaneWidget::showEvent(QShowEvent* e) {
    QOpenGLWidget::showEvent(e);
    if (needsRepaint())
        update();
}

MouseButton mouseButtonFromQt(Qt::MouseButton b) {
    switch (b) {
    case Qt::LeftButton:
        return MouseButton::Left;
    case Qt::RightButton:
        return MouseButton::Right;
    default:
        return MouseButton::Other;
    }
}

void PaneWidget::mousePressEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    Q_EMIT mousePressed(mouseButtonFromQt(e->button()), p.x(), p.y());
}

void PaneWidget::mouseMoveEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    Q_EMIT mouseMoved(p.x(), p.y());
}

void PaneWidget::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    Q_EMIT mouseReleased(mouseButtonFromQt(e->button()), p.x(), p.y());
}

void advanceFrame(CameraState& cam, const SceneSettings& settings,
                  std::initializer_list<PaneWidget*> panes) {
    presentationStep(cam, settings.presentation);
    for (PaneWidget* p : panes)
        if (p && p->needsRepaint())
            p->update();
}

} // namespace kelmira
