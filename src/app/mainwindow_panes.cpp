// The view panes under the mouse: a click picks the component drawn there, a drag in the
// front, side and top panes moves it, and the 3D pane's left and right drags move the camera.
#include "app/componentcolumn.h"
#include "app/mainwindow.h"

#include <QKeyEvent>
#include <QLabel>

namespace kelmira {

namespace {

// A press and release this close together is a click, not a drag of the camera.
constexpr int kClickSlop = 3;

} // namespace

PaneView TForm1::paneView(Pane p) const {
    PaneWidget* w = pane(p);
    const qreal dpr = w->devicePixelRatioF();
    return {p, m_session.frameCamera(), zoom(),
            QSize(qRound(w->width() * dpr), qRound(w->height() * dpr))};
}

QPointF TForm1::devicePixel(Pane p, int x, int y) const {
    const qreal dpr = pane(p)->devicePixelRatioF();
    return QPointF(x * dpr, y * dpr);
}

void TForm1::connectPanes() {
    for (Pane p : {Pane::Front, Pane::Side, Pane::Top, Pane::ThreeD}) {
        PaneWidget* w = pane(p);
        connect(w, &PaneWidget::mousePressed, this,
                [this, p](MouseButton b, int x, int y) { paneMousePress(p, b, x, y); });
        connect(w, &PaneWidget::mouseMoved, this,
                [this, p](int x, int y) { paneMouseMove(p, x, y); });
        connect(w, &PaneWidget::mouseReleased, this,
                [this, p](MouseButton b, int x, int y) { paneMouseRelease(p, b, x, y); });
    }
}

bool TForm1::pickInPane(Pane p, int x, int y) {
    const int32_t record = m_session.pickAt(paneView(p), devicePixel(p, x, y));
    if (record < 0 || !editor().selectRecord(record))
        return false;
    m_column->showHighlight(editor().highlighted());
    return true;
}

void TForm1::paneMousePress(Pane p, MouseButton b, int x, int y) {
    if (p == Pane::ThreeD) {
        // Pnl2MouseDown; a click (released close by) takes the camera back to here.
        m_clickStart = QPoint(x, y);
        m_clickCamera = camera();
        applyCursor(cameraPress(camera(), b, x, y));
        return;
    }
    m_dragMessage->clear();
    if (b != MouseButton::Left || !pickInPane(p, x, y))
        return;
    if (m_session.beginDrag(paneView(p), devicePixel(p, x, y)))
        pane(p)->setCursor(Qt::ClosedHandCursor);
}

void TForm1::paneMouseMove(Pane p, int x, int y) {
    if (p == Pane::ThreeD) {
        cameraMove(camera(), x, y);
        return;
    }
    if (!m_session.dragging()) {
        const bool over = m_session.overComponent(paneView(p), devicePixel(p, x, y).toPoint());
        pane(p)->setCursor(over ? Qt::PointingHandCursor : Qt::ArrowCursor);
        return;
    }
    switch (m_session.dragTo(devicePixel(p, x, y))) {
    case EditorSession::DragStop::None:
        m_dragMessage->clear();
        break;
    case EditorSession::DragStop::Occupied:
        m_dragMessage->setText(QStringLiteral("Дальше нельзя: место занято другой деталью"));
        break;
    case EditorSession::DragStop::OutOfBounds:
        m_dragMessage->setText(QStringLiteral("Дальше нельзя: край рабочей области"));
        break;
    }
}

void TForm1::paneMouseRelease(Pane p, MouseButton b, int x, int y) {
    if (p == Pane::ThreeD) {
        applyCursor(cameraRelease(camera(), b));
        const QPoint moved = QPoint(x, y) - m_clickStart;
        if (b == MouseButton::Left && std::abs(moved.x()) <= kClickSlop &&
            std::abs(moved.y()) <= kClickSlop) {
            // The few pixels the pointer wandered do not turn the view; presentation mode turns
            // it on its own meanwhile and is left to go on.
            if (!m_session.frameSettings().presentation) {
                camera().CameraYaw = m_clickCamera.CameraYaw;
                camera().CameraPitch = m_clickCamera.CameraPitch;
            }
            pickInPane(p, x, y);
        }
        return;
    }
    if (b == MouseButton::Left && m_session.dragging())
        finishDrag(false);
}

void TForm1::finishDrag(bool cancel) {
    // Why the component stopped stays in view until the next press; put back, it did not.
    if (cancel) {
        m_session.cancelDrag();
        m_dragMessage->clear();
    } else {
        m_session.endDrag();
    }
    for (Pane p : {Pane::Front, Pane::Side, Pane::Top})
        pane(p)->setCursor(Qt::ArrowCursor);
}

void TForm1::applyCursor(CursorChange c) {
    if (c == CursorChange::SizeAll)
        setCursor(Qt::SizeAllCursor);
    else if (c == CursorChange::SizeHor)
        setCursor(Qt::SizeHorCursor);
}

} // namespace kelmira
