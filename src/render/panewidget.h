#pragma once

#include "render/camera.h"
#include "render/glscene.h"
#include "render/renderer.h"
#include "render/scene.h"
#include "render/scenegeometry.h"

#include <QOpenGLWidget>

#include <initializer_list>

namespace kelmira {

class Board;

// What a pane draws from: in the editor, the editing session, which the main window's tick
// brings up to date from the board, Form2's controls, the camera and TrackBar1.
class FrameSource {
public:
    virtual ~FrameSource() = default;
    virtual const SceneGeometry& frameScene() const = 0;
    // The board itself, for panes that draw call by call (DrawMode::Immediate).
    virtual Board& frameBoard() = 0;
    virtual SceneSettings frameSettings() const = 0;
    virtual const CameraState& frameCamera() const = 0;
    virtual int frameZoom() const = 0;
};

// Everything a pane's picture depends on. Equal keys give equal pictures, so a pane whose key
// has not changed since it was last drawn is not drawn again.
struct PaneFrameKey {
    uint64_t scene = 0;  // SceneGeometry::paneVersion
    uint64_t damage = 0; // SceneGeometry::damageVersion
    Rgb background;
    int width = 0, height = 0; // device pixels
    // 3D pane only; zero in the others.
    double yaw = 0, pitch = 0, panX = 0, panY = 0;
    int zoom = 0;
    bool operator==(const PaneFrameKey&) const = default;
    // Equal but for the damage: only what the damage boxes cover needs drawing again.
    bool sameButDamage(const PaneFrameKey& o) const;
};

class SharedSceneBuffers;

// One view pane: a GL surface of its own (depth buffer 24, compatibility profile) that draws
// its pane of the kept scene, and only when something it shows has changed. The 3D pane's
// mouse events come out as signals for the main window's Pnl2MouseDown/Move/Up; the wheel is
// left to the parent so that the main window sees it wherever the cursor is.
class PaneWidget : public QOpenGLWidget {
    Q_OBJECT

public:
    explicit PaneWidget(Pane pane, QWidget* parent = nullptr);
    ~PaneWidget() override;

    Pane pane() const { return m_pane; }
    // Not owned; may be null (the pane then shows only its background).
    void setFrameSource(FrameSource* source);

    // Kept: draws from the kept scene, and only when its picture is out of date. Immediate:
    // draws the board call by call in immediate mode at every tick, as the panes once did;
    // the reference that benchmarks measure the kept scene against.
    enum class DrawMode { Kept, Immediate };
    void setDrawMode(DrawMode mode);
    DrawMode drawMode() const { return m_mode; }

    // Damaged: after a change the damage boxes describe, only their screen rectangle is drawn
    // again (scissored, the chunks outside it skipped); the rest of the picture stays as it
    // was, which is what a whole frame would draw there. Whole: every change draws the whole
    // pane, as the panes once did; the reference benchmarks measure the other against.
    enum class RedrawMode { Damaged, Whole };
    void setRedrawMode(RedrawMode mode) { m_redraw = mode; }
    // The rectangle the last frame drew (device pixels, y down); the whole pane when it drew
    // everything, empty when it drew nothing.
    QRect lastDrawnRect() const { return m_lastRect; }

    // What the pane would show if drawn now.
    PaneFrameKey currentKey() const;
    // Whether the picture on screen is older than what the source now holds.
    bool needsRepaint() const;
    // Frames drawn so far (paintGL calls that drew the scene).
    int paintCount() const { return m_paintCount; }

Q_SIGNALS:
    // Positions in the pane's own (logical) pixels, y downwards.
    void mousePressed(kelmira::MouseButton button, int x, int y);
    void mouseMoved(int x, int y);
    void mouseReleased(kelmira::MouseButton button, int x, int y);

protected:
    void initializeGL() override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    // A pane is not drawn while hidden; shown again, it catches up at once.
    void showEvent(QShowEvent* e) override;

private Q_SLOTS:
    void releaseGL();

private:
    void paintKept(const PaneFrameKey& key);
    // Where the damage boxes land in this pane, in GL window coordinates (y up); the whole
    // pane when a box reaches behind the eye.
    QRect damageRect(const std::vector<GridBox>& boxes, const PaneFrameKey& key) const;

    Pane m_pane;
    FrameSource* m_source = nullptr;
    DrawMode m_mode = DrawMode::Kept;
    RedrawMode m_redraw = RedrawMode::Damaged;
    SharedSceneBuffers* m_shared = nullptr; // the kept scene's buffers of this context's group
    unsigned m_drawnFbo = 0;
    QRect m_lastRect;
    QuadricId m_axisQuadric = 0; // immediate mode only
    PaneFrameKey m_drawnKey;
    bool m_drawn = false;
    int m_paintCount = 0;
};

// The non-GL part of one Timer1 tick: the presentation step of the 3D camera, then a repaint
// request to every pane whose picture is out of date.
void advanceFrame(CameraState& cam, const SceneSettings& settings,
                  std::initializer_list<PaneWidget*> panes);

MouseButton mouseButtonFromQt(Qt::MouseButton b);

} // namespace kelmira
