#pragma once

#include <QScreen>
#include <QWidget>
#include <Qt>

namespace kelmira {

// The settings and about windows: a small caption with a close box only, above the main window.
inline constexpr Qt::WindowFlags kToolWindowFlags = Qt::Tool | Qt::WindowStaysOnTopHint |
                                                    Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                                    Qt::WindowCloseButtonHint;

// Centres a window on its screen; the tool windows do it once, when first shown.
inline void centreOnScreen(QWidget* w) {
    if (QScreen* s = w->screen())
        w->move(s->availableGeometry().center() - w->rect().center());
}

} // namespace kelmira
