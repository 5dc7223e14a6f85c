#include "settings/colorvalue.h"

#include <QGuiApplication>

#include <array>

namespace kelmira {

namespace {

using G = QPalette::ColorGroup;
using R = QPalette::ColorRole;

// The classic table of system colour indexes (0 scroll bar ... 30 menu bar), each with the
// palette colour that plays the same part on this desktop.
constexpr std::array<SystemColorRole, 31> kRoles{{
    {G::Active, R::Mid},             // 0 scroll bar
    {G::Active, R::Dark},            // 1 desktop
    {G::Active, R::Highlight},       // 2 active caption
    {G::Inactive, R::Highlight},     // 3 inactive caption
    {G::Active, R::Window},          // 4 menu
    {G::Active, R::Base},            // 5 window
    {G::Active, R::Shadow},          // 6 window frame
    {G::Active, R::WindowText},      // 7 menu text
    {G::Active, R::Text},            // 8 window text
    {G::Active, R::HighlightedText}, // 9 caption text
    {G::Active, R::Button},          // 10 active border
    {G::Inactive, R::Button},        // 11 inactive border
    {G::Active, R::Mid},             // 12 application workspace
    {G::Active, R::Highlight},       // 13 highlight
    {G::Active, R::HighlightedText}, // 14 highlighted text
    {G::Active, R::Button},          // 15 button face
    {G::Active, R::Dark},            // 16 button shadow
    {G::Disabled, R::Text},          // 17 grey text
    {G::Active, R::ButtonText},      // 18 button text
    {G::Inactive, R::WindowText},    // 19 inactive caption text
    {G::Active, R::Light},           // 20 button highlight
    {G::Active, R::Shadow},          // 21 3D dark shadow
    {G::Active, R::Midlight},        // 22 3D light
    {G::Active, R::ToolTipText},     // 23 tooltip text
    {G::Active, R::ToolTipBase},     // 24 tooltip background
    {G::Active, R::Button},          // 25 unused
    {G::Active, R::Link},            // 26 hot-tracked item
    {G::Active, R::Highlight},       // 27 active caption gradient
    {G::Inactive, R::Highlight},     // 28 inactive caption gradient
    {G::Active, R::Highlight},       // 29 menu highlight
    {G::Active, R::Window},          // 30 menu bar
}};

} // namespace

SystemColorRole systemColorRole(int index) {
    if (index < 0 || index >= int(kRoles.size()))
        return kRoles[ColorValue::kButtonFaceIndex];
    return kRoles[index];
}

ColorValue ColorValue::fromQColor(const QColor& color) {
    const QColor rgb = color.toRgb();
    return fromRgb(rgb.red(), rgb.green(), rgb.blue());
}

std::optional<ColorValue> ColorValue::fromPaletteRole(QPalette::ColorRole role) {
    // The first index with this role in the active group, so that the usual ones come out
    // as the usual numbers (Button -> 15, the main window's design colour).
    if (role == R::Button)
        return buttonFace();
    for (int i = 0; i < int(kRoles.size()); ++i) {
        if (kRoles[i].group == G::Active && kRoles[i].role == role)
            return system(i);
    }
    return std::nullopt;
}

QColor ColorValue::toQColor() const {
    return toQColor(QGuiApplication::palette());
}

QColor ColorValue::toQColor(const QPalette& palette) const {
    if (isSystem()) {
        const SystemColorRole r = systemColorRole(systemIndex());
        return palette.color(r.group, r.role);
    }
    return QColor(m_raw & 0xFF, (m_raw >> 8) & 0xFF, (m_raw >> 16) & 0xFF);
}

} // namespace kelmira
