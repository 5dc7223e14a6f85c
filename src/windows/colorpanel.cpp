#include "windows/colorpanel.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace kelmira {

ColorPanel::ColorPanel(const QString& caption, QWidget* parent)
    : QFrame(parent), m_caption(new QLabel(caption, this)) {
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    setAutoFillBackground(true);
    setCursor(Qt::PointingHandCursor);
    m_caption->setAlignment(Qt::AlignCenter);
    m_caption->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_caption);
    updateBackground();
}

void ColorPanel::setColor(ColorValue color) {
    m_color = color;
    updateBackground();
}

void ColorPanel::updateBackground() {
    QPalette p = palette();
    p.setColor(QPalette::Window, m_color.toQColor());
    setPalette(p);
}

void ColorPanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        m_pressed = true;
    QFrame::mousePressEvent(event);
}

void ColorPanel::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressed = false;
    QFrame::mouseReleaseEvent(event);
    if (click)
        Q_EMIT clicked();
}

void ColorPanel::changeEvent(QEvent* event) {
    // A system colour follows the desktop's palette when it changes.
    if (event->type() == QEvent::ApplicationPaletteChange && m_color.isSystem())
        updateBackground();
    QFrame::changeEvent(event);
}

} // namespace kelmira
