#include "render/panewidget.h"

#include "models/glcanvas.h"
#include "render/glpane.h"
#include "render/renderfaults.h"

#include <QMessageBox>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QTimer>

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace kelmira {

// The kept scene's buffers of one geometry in one share group: the contexts of a group see
// the same buffer objects, so the four panes keep one copy and upload each change once.
class SharedSceneBuffers {
public:
    GlSceneBuffers buffers;
    QOpenGLContextGroup* group = nullptr;
    uint64_t geometry = 0;
    int users = 0;
};

namespace {

std::vector<std::unique_ptr<SharedSceneBuffers>>& sharedBuffers() {
    static std::vector<std::unique_ptr<SharedSceneBuffers>> all;
    return all;
}

// With ctx current.
SharedSceneBuffers* acquireShared(QOpenGLContext* ctx, uint64_t geometry) {
    auto& all = sharedBuffers();
    for (const auto& s : all)
        if (s->group == ctx->shareGroup() && s->geometry == geometry) {
            ++s->users;
            return s.get();
        }
    auto s = std::make_unique<SharedSceneBuffers>();
    s->group = ctx->shareGroup();
    s->geometry = geometry;
    s->users = 1;
    s->buffers.initialize(
        [ctx](const char* name) { return reinterpret_cast<void*>(ctx->getProcAddress(name)); });
    all.push_back(std::move(s));
    return all.back().get();
}

// With a context of its group current.
void releaseShared(SharedSceneBuffers* s) {
    if (!s || --s->users > 0)
        return;
    s->buffers.release();
    auto& all = sharedBuffers();
    all.erase(std::find_if(all.begin(), all.end(), [s](const auto& p) { return p.get() == s; }));
}

// A fault the drawing survived goes to the user in a message box of its own, shown once the
// paint that met it is over.
void installFaultBox() {
    RenderFaultHandler old = setRenderFaultHandler({});
    if (old) {
        setRenderFaultHandler(std::move(old));
        return;
    }
    setRenderFaultHandler([](RenderFault, const QString& text) {
        QTimer::singleShot(0, [text] {
            auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Kelmira"), text);
            box->setAttribute(Qt::WA_DeleteOnClose);
            box->show();
        });
    });
}

} // namespace

bool PaneFrameKey::sameButDamage(const PaneFrameKey& o) const {
    PaneFrameKey a = *this;
    a.damage = o.damage;
    return a == o;
}

PaneWidget::PaneWidget(Pane pane, QWidget* parent) : QOpenGLWidget(parent), m_pane(pane) {
    setFormat(paneSurfaceFormat());
    // The picture stays in the framebuffer between frames, so a frame may draw only the part
    // that changed.
    setUpdateBehavior(QOpenGLWidget::PartialUpdate);
    installFaultBox();
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
    m_drawn = false;
}

void PaneWidget::releaseGL() {
    if (!m_shared && !m_axisQuadric)
        return;
    makeCurrent();
    releaseShared(m_shared);
    m_shared = nullptr;
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
    key.damage = m_source->frameScene().damageVersion();
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
    if (m_mode == DrawMode::Kept) {
        paintKept(key);
        return;
    }
    beginPane(key.width, key.height, key.background);
    GlCanvas canvas;
    if (!m_axisQuadric)
        m_axisQuadric = canvas.newQuadric();
    const SceneSettings settings = m_source->frameSettings();
    const FrameInput in{m_source->frameBoard(), settings, m_source->frameCamera(),
                        m_source->frameZoom()};
    drawPaneContents(canvas, m_pane, in, m_axisQuadric);
    m_drawnKey = key;
    m_drawn = true;
    m_lastRect = QRect(0, 0, key.width, key.height);
    ++m_paintCount;
}

void PaneWidget::paintKept(const PaneFrameKey& key) {
    const SceneGeometry& g = m_source->frameScene();
    if (!m_shared || m_shared->geometry != g.id()) {
        releaseShared(m_shared);
        m_shared = acquireShared(context(), g.id());
    }
    // The framebuffer still holds the last frame (partial updates): with nothing changed
    // there is nothing to draw.
    const bool sameTarget = m_drawn && m_drawnFbo == defaultFramebufferObject();
    if (sameTarget && key == m_drawnKey) {
        m_lastRect = QRect();
        return;
    }
    if (!m_shared->buffers.sync(g))
        return; // out of memory: the pane keeps the picture it has
    QRect clip; // GL window coordinates; null: the whole pane
    std::vector<GridBox> boxes;
    if (sameTarget && m_redraw == RedrawMode::Damaged && key.sameButDamage(m_drawnKey) &&
        g.damageSince(m_drawnKey.damage, boxes)) {
        clip = damageRect(boxes, key);
        if (clip.isEmpty()) { // the change is out of this pane's sight
            m_drawnKey = key;
            m_lastRect = QRect();
            ++m_paintCount;
            return;
        }
        glEnable(GL_SCISSOR_TEST);
        glScissor(clip.x(), clip.y(), clip.width(), clip.height());
    }
    beginPane(key.width, key.height, key.background);
    m_shared->buffers.drawPane(m_pane, g, m_source->frameCamera(), m_source->frameZoom(), clip,
                               QSize(key.width, key.height));
    glDisable(GL_SCISSOR_TEST);
    m_lastRect = clip.isNull() ? QRect(0, 0, key.width, key.height)
                               : QRect(clip.x(), key.height - clip.y() - clip.height(),
                                       clip.width(), clip.height());
    m_drawnKey = key;
    m_drawnFbo = defaultFramebufferObject();
    m_drawn = true;
    ++m_paintCount;
}

QRect PaneWidget::damageRect(const std::vector<GridBox>& boxes, const PaneFrameKey& key) const {
    const QRect all(0, 0, key.width, key.height);
    QMatrix4x4 m = paneProjection(key.width, key.height) *
                   paneModelView(m_pane, m_source->frameCamera(), m_source->frameZoom());
    m.translate(kGridCorner[0], kGridCorner[1], kGridCorner[2]);
    WindowSpan span;
    for (const GridBox& b : boxes)
        for (int n = 0; n < 8; ++n) {
            const QVector4D p =
                m.map(QVector4D(n & 1 ? b.max[0] : b.min[0], n & 2 ? b.max[1] : b.min[1],
                                n & 4 ? b.max[2] : b.min[2], 1));
            if (!span.add(p, all.size()))
                return all;
        }
    if (span.empty())
        return {};
    // Two pixels of slack for the lines' width and the rasteriser's rounding at the edges.
    const auto clamp = [](double v, int hi) { return int(std::clamp(v, -1.0, double(hi) + 1)); };
    const int left = clamp(std::floor(span.x0) - 2, key.width),
              right = clamp(std::ceil(span.x1) + 2, key.width);
    const int bottom = clamp(std::floor(span.y0) - 2, key.height),
              top = clamp(std::ceil(span.y1) + 2, key.height);
    return QRect(QPoint(left, bottom), QPoint(right, top)).intersected(all);
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
