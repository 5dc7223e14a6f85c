#pragma once

#include <QColor>
#include <QPalette>

#include <optional>

namespace kelmira {

// A colour as the settings file stores it: a signed 32-bit value, either RGB as 0x00BBGGRR
// (red in the lowest byte) or a system colour, which has the high bit set and the system
// colour index in the lowest byte. The raw value is kept as it was read, so a system colour
// goes back to the file unchanged; toQColor() gives what is shown for it now.
class ColorValue {
public:
    static constexpr qint32 kSystemFlag = qint32(0x80000000u);
    static constexpr int kButtonFaceIndex = 15;

    constexpr ColorValue() = default;
    constexpr explicit ColorValue(qint32 raw) : m_raw(raw) {}

    static constexpr ColorValue fromRgb(int r, int g, int b) {
        return ColorValue(qint32((r & 0xFF) | (g & 0xFF) << 8 | (b & 0xFF) << 16));
    }
    static constexpr ColorValue system(int index) {
        return ColorValue(qint32(quint32(kSystemFlag) | quint32(index & 0xFF)));
    }
    static constexpr ColorValue buttonFace() { return system(kButtonFaceIndex); }
    // An RGB value; the alpha of the colour is dropped, as the file has no room for it.
    static ColorValue fromQColor(const QColor& color);
    // The system colour that stands for a palette role, when there is one.
    static std::optional<ColorValue> fromPaletteRole(QPalette::ColorRole role);

    constexpr qint32 raw() const { return m_raw; }
    constexpr bool isSystem() const { return m_raw < 0; }
    constexpr int systemIndex() const { return m_raw & 0xFF; }

    // System colours resolve through the application's palette (the active group).
    QColor toQColor() const;
    QColor toQColor(const QPalette& palette) const;

    constexpr bool operator==(const ColorValue&) const = default;

private:
    qint32 m_raw = 0;
};

// Which palette colour shows a system colour index; unknown indexes show as the button face.
struct SystemColorRole {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};
SystemColorRole systemColorRole(int index);

} // namespace kelmira
