#include "panewidget.h"

#include "glcanvas.h"
#include "glpane.h"

#include <QMouseEvent>
#include <QOpenGLContext>

#include <cmath>

namespace kelmira {

PaneWidget::PaneWidget(Pane pane, QWidget* parent) : QOpenGLWidget(parent), m_pane(pane) {
    setFormat(paneFormat());
    // Moves without a button still set the drag origin of the 3D camera.
    setMouseTracking(true);
}

PaneWidget::~PaneWidget() {
    // The base class destroys the context after this part of the object is gone: release the
    // quadric now and make sure the context's signal no longer reaches us.
    if (QOpenGLContext* ctx = context()) {
        disconnect(ctx, &QOpenGLContext::aboutToBeDestroyed, this, &PaneWidget::releaseGL);
        releaseGL();
    }
}

void PaneWidget::setFrameSource(FrameSource* source) {
    m_source = source;
    update();
}

QSurfaceFormat PaneWidget::paneFormat() {
    QSurfaceFormat f;
    f.setRenderableType(QSurfaceFormat::OpenGL);
    f.setProfile(QSurfaceFormat::CompatibilityProfile);
    f.setVersion(2, 1);
    f.setDepthBufferSize(24);
    return f;
}

void PaneWidget::initializeGL() {
    // A re-parented QOpenGLWidget gets a new context: the quadric of the old one goes with it.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &PaneWidget::releaseGL,
            Qt::UniqueConnection);
    GlCanvas canvas;
    m_axisQuadric = canvas.newQuadric();
}

void PaneWidget::releaseGL() {
    if (!m_axisQuadric)
        return;
    // A GLU quadric holds no GL objects, but it belongs to this context's life.
    makeCurrent();
    GlCanvas canvas;
    canvas.deleteQuadric(m_axisQuadric);
    m_axisQuadric = 0;
    doneCurrent();
}

void PaneWidget::paintGL() {
    const qreal dpr = devicePixelRatioF();
    const int w = static_cast<int>(std::lround(width() * dpr));
    const int h = static_cast<int>(std::lround(height() * dpr));
    if (!m_source) {
        beginPane(w, h, Rgb{});
        return;
    }
    const SceneSettings settings = m_source->frameSettings();
    beginPane(w, h, settings.background);
    GlCanvas canvas;
    const FrameInput in{m_source->frameBoard(), settings, m_source->frameCamera(),
                        m_source->frameZoom()};
    drawPaneContents(canvas, m_pane, in, m_axisQuadric);
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
        if (p)
            p->update();
}

} // namespace kelmira
