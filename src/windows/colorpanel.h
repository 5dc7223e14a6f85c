#pragma once

#include "settings/colorvalue.h"

#include <QFrame>

class QLabel;

namespace kelmira {

// A small framed panel whose background is a colour setting; a click asks for a new colour.
class ColorPanel : public QFrame {
    Q_OBJECT
public:
    explicit ColorPanel(const QString& caption, QWidget* parent = nullptr);

    ColorValue color() const { return m_color; }
    void setColor(ColorValue color);

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void updateBackground();

    ColorValue m_color;
    QLabel* m_caption;
    bool m_pressed = false;
};

} // namespace kelmira
