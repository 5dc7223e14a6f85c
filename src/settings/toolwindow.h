#pragma once

#include <Qt>

namespace kelmira {

// The settings and about windows: a small caption with a close box only, above the main window.
inline constexpr Qt::WindowFlags kToolWindowFlags = Qt::Tool | Qt::WindowStaysOnTopHint |
                                                    Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                                    Qt::WindowCloseButtonHint;

} // namespace kelmira
