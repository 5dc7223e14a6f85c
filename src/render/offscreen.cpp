#include "render/offscreen.h"

#include "models/glcanvas.h"
#include "models/models.h"
#include "models/recordingcanvas.h"
#include "render/glpane.h"
#include "render/glscene.h"
#include "render/picking.h"
#include "render/viewlayout.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QPainter>

#ifdef _WIN32
#include <windows.h>
#endif
#include <GL/gl.h>
#if __has_include(<GL/glext.h>)
#include <GL/glext.h>
#endif
// Framebuffer-object names, for a gl.h that stops at GL 1.1 (Windows).
#ifndef GL_FRAMEBUFFER
#define GL_FRAMEBUFFER 0x8D40
#define GL_RENDERBUFFER 0x8D41
#define GL_COLOR_ATTACHMENT0 0x8CE0
#define GL_DEPTH_ATTACHMENT 0x8D00
#define GL_FRAMEBUFFER_COMPLETE 0x8CD5
#define GL_DEPTH_COMPONENT24 0x81A6
#endif
#ifndef GL_RGBA8
#define GL_RGBA8 0x8058
#endif

#ifdef KELMIRA_HAVE_EGL
#include <EGL/egl.h>
#include <EGL/eglext.h>
#endif

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kelmira {

namespace {

// Framebuffer-object entry points are not part of GL 1.1: they are looked up at run time.
using GenFn = void (*)(GLsizei, GLuint*);
using DeleteFn = void (*)(GLsizei, const GLuint*);
using BindFn = void (*)(GLenum, GLuint);
using StorageFn = void (*)(GLenum, GLenum, GLsizei, GLsizei);
using AttachFn = void (*)(GLenum, GLenum, GLenum, GLuint);
using StatusFn = GLenum (*)(GLenum);

struct FboFunctions {
    GenFn genFramebuffers = nullptr;
    DeleteFn deleteFramebuffers = nullptr;
    BindFn bindFramebuffer = nullptr;
    GenFn genRenderbuffers = nullptr;
    DeleteFn deleteRenderbuffers = nullptr;
    BindFn bindRenderbuffer = nullptr;
    StorageFn renderbufferStorage = nullptr;
    AttachFn framebufferRenderbuffer = nullptr;
    StatusFn checkFramebufferStatus = nullptr;

    template <typename Resolve> bool load(Resolve resolve) {
        auto get = [&](auto& fn, const char* name) {
            fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(resolve(name));
            return fn != nullptr;
        };
        return get(genFramebuffers, "glGenFramebuffers") &&
               get(deleteFramebuffers, "glDeleteFramebuffers") &&
               get(bindFramebuffer, "glBindFramebuffer") &&
               get(genRenderbuffers, "glGenRenderbuffers") &&
               get(deleteRenderbuffers, "glDeleteRenderbuffers") &&
               get(bindRenderbuffer, "glBindRenderbuffer") &&
               get(renderbufferStorage, "glRenderbufferStorage") &&
               get(framebufferRenderbuffer, "glFramebufferRenderbuffer") &&
               get(checkFramebufferStatus, "glCheckFramebufferStatus");
    }
};

// Larger targets than this are refused rather than left to the driver's memory.
constexpr int kMaxTargetSide = 8192;

} // namespace

struct OffscreenRenderer::Impl {
    Backend backend = Backend::None;
    QString error;
    QString version;

    std::unique_ptr<QOffscreenSurface> surface;
    std::unique_ptr<QOpenGLContext> context;
#ifdef KELMIRA_HAVE_EGL
    EGLDisplay eglDisplay = EGL_NO_DISPLAY;
    EGLContext eglContext = EGL_NO_CONTEXT;
#endif

    FboFunctions fns;
    GLuint fbo = 0, colorBuffer = 0, depthBuffer = 0;
    QSize targetSize;
    QuadricId axisQuadric = 0;
    SceneGeometry geometry;
    ComponentPicker picker;
    GlSceneBuffers buffers;

    bool createQt();
    bool createEgl();
    bool makeCurrent();
    void doneCurrent();
    bool bindTarget(QSize size);
    void releaseTarget();
    QImage readBack(QSize size);
    void finishSetUp();
};

bool OffscreenRenderer::Impl::createQt() {
    if (!QGuiApplication::instance()) {
        error = QStringLiteral("no QGuiApplication");
        return false;
    }
    context = std::make_unique<QOpenGLContext>();
    context->setFormat(paneSurfaceFormat());
    if (!context->create()) {
        context.reset();
        error = QStringLiteral("the platform \"%1\" cannot create a GL context")
                    .arg(QGuiApplication::platformName());
        return false;
    }
    surface = std::make_unique<QOffscreenSurface>();
    surface->setFormat(context->format());
    surface->create();
    if (!surface->isValid() || !context->makeCurrent(surface.get())) {
        context.reset();
        surface.reset();
        error = QStringLiteral("cannot make an offscreen GL context current");
        return false;
    }
    if (!fns.load([this](const char* n) {
            return reinterpret_cast<void*>(context->getProcAddress(n));
        })) {
        context->doneCurrent();
        context.reset();
        surface.reset();
        error = QStringLiteral("the GL context has no framebuffer objects");
        return false;
    }
    backend = Backend::Qt;
    return true;
}

bool OffscreenRenderer::Impl::createEgl() {
#ifdef KELMIRA_HAVE_EGL
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) {
        error = QStringLiteral("EGL has no eglGetPlatformDisplayEXT");
        return false;
    }
    EGLDisplay dpy =
        getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    EGLint major = 0, minor = 0;
    if (dpy == EGL_NO_DISPLAY || !eglInitialize(dpy, &major, &minor)) {
        error = QStringLiteral("no surfaceless EGL display");
        return false;
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        error = QStringLiteral("EGL offers no desktop OpenGL");
        return false;
    }
    // Without attributes a desktop context is a compatibility one: glBegin and the matrix
    // stack are available.
    const EGLint attributes[] = {EGL_NONE};
    EGLContext ctx = eglCreateContext(dpy, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attributes);
    if (ctx == EGL_NO_CONTEXT) {
        error = QStringLiteral("eglCreateContext failed (0x%1)").arg(eglGetError(), 0, 16);
        return false;
    }
    if (!eglMakeCurrent(dpy, EGL_NO_SURFACE, EGL_NO_SURFACE, ctx)) {
        eglDestroyContext(dpy, ctx);
        error = QStringLiteral("cannot make the EGL context current without a surface");
        return false;
    }
    eglDisplay = dpy;
    eglContext = ctx;
    if (!fns.load([](const char* n) { return reinterpret_cast<void*>(eglGetProcAddress(n)); })) {
        doneCurrent();
        eglDestroyContext(eglDisplay, eglContext);
        eglContext = EGL_NO_CONTEXT;
        error = QStringLiteral("the EGL context has no framebuffer objects");
        return false;
    }
    backend = Backend::Egl;
    return true;
#else
    error = QStringLiteral("built without EGL");
    return false;
#endif
}

void OffscreenRenderer::Impl::finishSetUp() {
    const auto* v = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    version = QString::fromLatin1(v ? v : "");
    GlCanvas canvas;
    axisQuadric = canvas.newQuadric();
    if (backend == Backend::Qt) {
        QOpenGLContext* ctx = context.get();
        buffers.initialize(
            [ctx](const char* n) { return reinterpret_cast<void*>(ctx->getProcAddress(n)); });
    } else {
#ifdef KELMIRA_HAVE_EGL
        buffers.initialize(
            [](const char* n) { return reinterpret_cast<void*>(eglGetProcAddress(n)); });
#endif
    }
    error.clear();
}

bool OffscreenRenderer::Impl::makeCurrent() {
    switch (backend) {
    case Backend::Qt:
        return context->makeCurrent(surface.get());
    case Backend::Egl:
#ifdef KELMIRA_HAVE_EGL
        return eglMakeCurrent(eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, eglContext);
#else
        return false;
#endif
    case Backend::None:
        break;
    }
    return false;
}

void OffscreenRenderer::Impl::doneCurrent() {
    if (backend == Backend::Qt) {
        context->doneCurrent();
    } else if (backend == Backend::Egl) {
#ifdef KELMIRA_HAVE_EGL
        eglMakeCurrent(eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
#endif
    }
}

bool OffscreenRenderer::Impl::bindTarget(QSize size) {
    if (size.width() < 1 || size.height() < 1 || size.width() > kMaxTargetSide ||
        size.height() > kMaxTargetSide)
        return false;
    if (fbo && size == targetSize) {
        fns.bindFramebuffer(GL_FRAMEBUFFER, fbo);
        return true;
    }
    releaseTarget();
    fns.genFramebuffers(1, &fbo);
    fns.genRenderbuffers(1, &colorBuffer);
    fns.genRenderbuffers(1, &depthBuffer);
    fns.bindRenderbuffer(GL_RENDERBUFFER, colorBuffer);
    fns.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, size.width(), size.height());
    fns.bindRenderbuffer(GL_RENDERBUFFER, depthBuffer);
    fns.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, size.width(), size.height());
    fns.bindFramebuffer(GL_FRAMEBUFFER, fbo);
    fns.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colorBuffer);
    fns.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer);
    if (fns.checkFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        releaseTarget();
        return false;
    }
    targetSize = size;
    return true;
}

void OffscreenRenderer::Impl::releaseTarget() {
    if (!fns.bindFramebuffer)
        return;
    fns.bindFramebuffer(GL_FRAMEBUFFER, 0);
    if (fbo)
        fns.deleteFramebuffers(1, &fbo);
    if (colorBuffer)
        fns.deleteRenderbuffers(1, &colorBuffer);
    if (depthBuffer)
        fns.deleteRenderbuffers(1, &depthBuffer);
    fbo = colorBuffer = depthBuffer = 0;
    targetSize = QSize();
}

QImage OffscreenRenderer::Impl::readBack(QSize size) {
    glFinish();
    QImage image(size, QImage::Format_RGBA8888);
    glPixelStorei(GL_PACK_ALIGNMENT, 4); // RGBA rows are always 4-byte aligned
    glReadPixels(0, 0, size.width(), size.height(), GL_RGBA, GL_UNSIGNED_BYTE, image.bits());
    // GL rows run bottom-up.
    return image.mirrored(false, true);
}

OffscreenRenderer::OffscreenRenderer(Choice choice) : d(std::make_unique<Impl>()) {
    bool ok = false;
    QString qtError;
    if (choice != Choice::EglOnly) {
        ok = d->createQt();
        qtError = d->error;
    }
    if (!ok && choice != Choice::QtOnly) {
        ok = d->createEgl();
        if (!ok && !qtError.isEmpty())
            d->error = qtError + QStringLiteral("; ") + d->error;
    }
    if (ok) {
        d->finishSetUp();
        d->doneCurrent();
    }
}

OffscreenRenderer::~OffscreenRenderer() {
    if (d->backend == Backend::None || !d->makeCurrent())
        return;
    GlCanvas canvas;
    canvas.deleteQuadric(d->axisQuadric);
    d->buffers.release();
    d->releaseTarget();
    d->doneCurrent();
#ifdef KELMIRA_HAVE_EGL
    if (d->backend == Backend::Egl)
        eglDestroyContext(d->eglDisplay, d->eglContext);
#endif
}

bool OffscreenRenderer::isValid() const {
    return d->backend != Backend::None;
}
OffscreenRenderer::Backend OffscreenRenderer::backend() const {
    return d->backend;
}
QString OffscreenRenderer::errorString() const {
    return d->error;
}
QString OffscreenRenderer::glVersion() const {
    return d->version;
}

const SceneGeometry& OffscreenRenderer::geometry() const {
    return d->geometry;
}

QImage OffscreenRenderer::renderPane(Pane pane, QSize sizePx, const FrameInput& in, Path path) {
    if (!isValid() || !d->makeCurrent())
        return {};
    QImage image;
    if (d->bindTarget(sizePx)) {
        // The width the previous frame of an on-screen pane leaves for the plane grids.
        glLineWidth(0.5f);
        beginPane(sizePx.width(), sizePx.height(), in.settings.background);
        if (path == Path::Kept) {
            d->geometry.update(in.board, in.settings);
            d->picker.update(in.board, in.settings.rotationStep);
            d->geometry.setMark(in.marked >= 0 ? d->picker.bounds(in.marked) : std::nullopt);
            d->buffers.drawPane(pane, d->geometry, in.camera, in.zoom, {}, sizePx);
        } else {
            GlCanvas canvas;
            drawPaneContents(canvas, pane, in, d->axisQuadric);
        }
        image = d->readBack(sizePx);
    }
    d->doneCurrent();
    return image;
}

QImage OffscreenRenderer::renderSheet(QSize panelSize, const FrameInput& in, bool captions,
                                      QColor windowColor, Path path) {
    if (!isValid() || panelSize.isEmpty())
        return {};
    QImage sheet(panelSize, QImage::Format_RGB32);
    sheet.fill(windowColor);
    const ViewLayout layout =
        layoutPanes(panelSize.width(), panelSize.height(), ViewMode::Standard);
    // Where the editor's pane sits inside its group box: the box's caption (19 pixels) and
    // frame (3) as the window's style draws them, plus the pane's own margin, so the sheet's
    // panes match Panel6's.
    constexpr int kCaptionHeight = 19 + kPaneMargin, kFrame = 3 + kPaneMargin;
    QPainter painter(&sheet);
    for (Pane pane : {Pane::Front, Pane::Side, Pane::Top, Pane::ThreeD}) {
        const PaneBox& box = layout.box(pane);
        const QRect boxRect(box.left, box.top, box.width, box.height);
        const QRect paneRect = boxRect.adjusted(kFrame, kCaptionHeight, -kFrame, -kFrame);
        if (!paneRect.isValid())
            continue;
        const QImage image = renderPane(pane, paneRect.size(), in, path);
        if (image.isNull())
            continue;
        painter.drawImage(paneRect.topLeft(), image);
        if (captions) {
            painter.setPen(QColor(160, 160, 160));
            painter.drawRect(boxRect.adjusted(0, kCaptionHeight / 2 - 2, -1, -1));
            const QString text = QString::fromUtf8(paneCaption(pane));
            const QRect textRect = painter.fontMetrics().boundingRect(text).adjusted(-3, 0, 3, 0);
            painter.fillRect(
                QRect(boxRect.left() + 8, boxRect.top(), textRect.width(), kCaptionHeight - 4),
                windowColor);
            painter.setPen(Qt::black);
            painter.drawText(
                QRect(boxRect.left() + 11, boxRect.top(), textRect.width(), kCaptionHeight - 4),
                Qt::AlignLeft | Qt::AlignVCenter, text);
        }
    }
    return sheet;
}

QImage OffscreenRenderer::renderModelIcon(int32_t kind, QSize sizePx, const Rgb& background) {
    if (!isValid() || !d->makeCurrent())
        return {};
    // Measure the model first so any kind fills the picture whatever its size.
    RecordingCanvas probe;
    drawModel(probe, kind);
    const Bounds b = probe.bounds();
    QImage image;
    if (d->bindTarget(sizePx)) {
        beginPane(sizePx.width(), sizePx.height(), background);
        if (!b.isEmpty()) {
            const double centre[3] = {(b.min[0] + b.max[0]) / 2, (b.min[1] + b.max[1]) / 2,
                                      (b.min[2] + b.max[2]) / 2};
            const double radius = std::max(
                1e-6,
                std::hypot(b.max[0] - b.min[0], b.max[1] - b.min[1], b.max[2] - b.min[2]) / 2);
            // Fit a sphere of radius 2 into the narrower field of view.
            const double aspect = double(sizePx.width()) / sizePx.height();
            const double halfFov =
                std::atan(std::tan(15 * std::numbers::pi / 180) * std::min(1.0, aspect));
            const double distance = 2 / std::sin(halfFov) * 1.05;
            GlCanvas canvas;
            canvas.translate(0, 0, static_cast<float>(-distance));
            canvas.rotate(25, 1, 0, 0);
            canvas.rotate(-30, 0, 1, 0);
            const auto k = static_cast<float>(2 / radius);
            canvas.scale(k, k, k);
            canvas.translate(static_cast<float>(-centre[0]), static_cast<float>(-centre[1]),
                             static_cast<float>(-centre[2]));
            canvas.lineWidth(1);
            drawModel(canvas, kind);
        }
        image = d->readBack(sizePx);
    }
    d->doneCurrent();
    return image;
}

} // namespace kelmira
