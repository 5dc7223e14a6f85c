#pragma once

#include "render/renderer.h"
#include "render/scene.h"
#include "render/scenegeometry.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <memory>

namespace kelmira {

// Draws panes into images without a window: through Qt (QOffscreenSurface + QOpenGLContext)
// when the display platform can make GL contexts, otherwise through a surfaceless EGL
// context, which needs no display at all. Pixels come from a framebuffer object with a
// depth buffer, so they are exact (no window-system scaling or compositing).
//
// Use from the GUI thread (the Qt backend) or from a thread of its own with no other context
// current (the EGL backend). Every render* call makes the renderer's context current and
// leaves none current on return.
class OffscreenRenderer {
public:
    enum class Backend { None, Qt, Egl };

    // Auto: Qt when a QGuiApplication exists and its platform gives a context, EGL otherwise.
    enum class Choice { Auto, QtOnly, EglOnly };
    explicit OffscreenRenderer(Choice choice = Choice::Auto);
    ~OffscreenRenderer();
    OffscreenRenderer(const OffscreenRenderer&) = delete;
    OffscreenRenderer& operator=(const OffscreenRenderer&) = delete;

    bool isValid() const;
    Backend backend() const;
    // Why no context could be made; empty when valid.
    QString errorString() const;
    // GL_VERSION of the context, for diagnostics.
    QString glVersion() const;

    // How a pane is drawn: from the kept scene, as the editor's panes draw it, or call by call
    // in immediate mode with GLU quadrics, the reference the kept scene is measured against.
    enum class Path { Kept, Immediate };

    // One pane at sizePx device pixels, as the pane widget draws it after its first frame
    // (the plane grids at the 0.5 width a frame leaves behind). A null image on failure.
    QImage renderPane(Pane pane, QSize sizePx, const FrameInput& in, Path path = Path::Kept);

    // The standard 2x2 arrangement of a Panel6 of panelSize: each pane in its group box, with
    // the group-box captions when asked for; the margins show the window colour.
    QImage renderSheet(QSize panelSize, const FrameInput& in, bool captions = true,
                       QColor windowColor = QColor(240, 240, 240), Path path = Path::Kept);

    // The scene the Kept path draws from, brought up to date by every render call.
    const SceneGeometry& geometry() const;

    // One component model, centred and fitted into a small picture for menus, on the panes'
    // default black (the wires are white).
    QImage renderModelIcon(int32_t kind, QSize sizePx, const Rgb& background = Rgb{});

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace kelmira
