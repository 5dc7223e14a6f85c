#pragma once

#include "settings/colorvalue.h"
#include "settings/settingsfile.h"

#include <QColor>
#include <QWidget>

#include <array>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QRadioButton;
class QSlider;

namespace kelmira {

class ColorPanel;

// The settings window, "Form2". Its controls are the settings: the main window reads them as
// StoredSettings (values()) whenever it needs them, and puts the settings file's values in
// with applyValues(). It has no OK or Cancel; closing it only hides it.
class TForm2 : public QWidget {
    Q_OBJECT
public:
    // Panel numbers, as in the control names Panel1..Panel7.
    enum Panel {
        StagePanel = 1,
        BoardPanel,
        AxisXPanel,
        AxisYPanel,
        AxisZPanel,
        BackgroundPanel,
        PlanePanel
    };
    static constexpr int kPanelCount = 7;

    explicit TForm2(QWidget* parent = nullptr);

    // panel is 1..7 (see Panel); another number asserts and changes nothing.
    void setPanelColor(int panel, ColorValue color);

    int moveStep() const; // TrackBar2, cells

    // The controls' state as the settings file stores it (the main window's two colours
    // are left at their defaults), and the reverse.
    StoredSettings values() const;
    void applyValues(const StoredSettings& values);

Q_SIGNALS:
    void frameIntervalChanged(int milliseconds);
    // Any control changed, by the user or by applyValues().
    void settingsChanged();

public Q_SLOTS:
    void TrackBar1Change(int position);
    // Asks for the panel's colour with its own dialog; a confirmed colour becomes the
    // panel's colour and the dialog's next starting colour.
    void panelClick(int panel);

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct ColorDialogState {
        QString name;
        QColor last;
        std::array<QColor, 16> custom;
    };

    void buildOptions();
    void buildColors();
    void buildFramePeriod();
    void buildMoveStep();
    void buildRotation();
    QCheckBox* addCheckBox(QWidget* parent, int number, const QString& text, const QRect& rect,
                           bool checked, const QString& hint = {});
    ColorPanel* addPanel(QWidget* parent, int number, const QString& caption, const QPoint& at);
    void setRadioButtons(bool first, bool second);

    std::array<QCheckBox*, 10> m_checkBoxes{}; // by control number; 3 is not used
    std::array<ColorPanel*, kPanelCount> m_panels{};
    std::array<ColorDialogState, kPanelCount> m_dialogs;
    QGroupBox* m_framePeriodBox = nullptr;
    QSlider* m_trackBar1 = nullptr;
    QSlider* m_trackBar2 = nullptr;
    QRadioButton* m_radioButton1 = nullptr;
    QRadioButton* m_radioButton2 = nullptr;
    QButtonGroup* m_rotationGroup = nullptr;
    bool m_centred = false;
};

} // namespace kelmira
