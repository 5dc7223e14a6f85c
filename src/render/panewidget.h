#pragma once

#include "camera.h"
#include "canvas.h"
#include "renderer.h"
#include "scene.h"

#include <QOpenGLWidget>

#include <initializer_list>

namespace kelmira {

class Board;

// What a pane draws from; the main window implements it over its board, Form2's controls,
// its CameraState and TrackBar1. Asked at every paint, so changes show at the next frame.
class FrameSource {
  public:
    virtual ~FrameSource() = default;
    virtual Board& frameBoard() = 0;
    virtual SceneSettings frameSettings() const = 0;
    virtual const CameraState& frameCamera() const = 0;
    virtual int frameZoom() const = 0;
};

// One view pane: a GL surface of its own (depth buffer 24, compatibility profile) that
// draws its pane of the scene from the frame source at every paint. The 3D pane's mouse
// events come out as signals for the main window's Pnl2MouseDown/Move/Up; the wheel is left
// to the parent so that the main window sees it wherever the cursor is.
class PaneWidget : public QOpenGLWidget {
    Q_OBJECT

  public:
    explicit PaneWidget(Pane pane, QWidget* parent = nullptr);
    ~PaneWidget() override;

    Pane pane() const { return m_pane; }
    // Not owned; may be null (the pane then shows only its background).
    void setFrameSource(FrameSource* source);

    // The surface format every pane asks for.
    static QSurfaceFormat paneFormat();

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

  private Q_SLOTS:
    void releaseGL();

  private:
    Pane m_pane;
    FrameSource* m_source = nullptr;
    QuadricId m_axisQuadric = 0;
};

// The non-GL part of one Timer1 tick: the presentation step of the 3D camera, then a repaint
// request to every pane (each draws from the source at its next paint).
void advanceFrame(CameraState& cam, const SceneSettings& settings,
                  std::initializer_list<PaneWidget*> panes);

MouseButton mouseButtonFromQt(Qt::MouseButton b);

} // namespace kelmira
