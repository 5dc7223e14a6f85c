#include "windows/settingswindow.h"
#include "windows/toolwindow.h"

#include "windows/colorpanel.h"
#include "windows/wrappedcaption.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>

namespace kelmira {

namespace {

constexpr int kClientWidth = 321;
constexpr int kClientHeight = 475;

// The bottom of the window: on the left the frame period group above the move step group, on
// the right the rotation group beside both. The left column is narrow enough that the frame
// period's caption always breaks after the colon, whatever the number, so it does not jump
// about as the track bar moves.
constexpr int kLeftColumn = 176;
constexpr int kBottomTop = 266;
constexpr int kRightColumn = 305 - 4 - kLeftColumn;

// Panel n opens ColorDialog kDialogOfPanel[n - 1].
constexpr std::array<int, TForm2::kPanelCount> kDialogOfPanel{5, 4, 1, 2, 3, 6, 7};

QGroupBox* addGroup(QWidget* parent, int number, const QString& title, const QRect& rect) {
    auto* box = new WrappingGroupBox(title, parent);
    box->setObjectName(QStringLiteral("GroupBox%1").arg(number));
    box->setGeometry(rect);
    return box;
}

QLabel* addLabel(QWidget* parent, int number, const QString& text, const QRect& rect,
                 Qt::Alignment align) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QStringLiteral("Label%1").arg(number));
    label->setGeometry(rect);
    label->setAlignment(align);
    return label;
}

QSlider* addTrackBar(QWidget* parent, const QString& name, int min, int max, int value,
                     int tickInterval) {
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(name);
    slider->setRange(min, max);
    slider->setValue(value);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(tickInterval);
    slider->setPageStep(tickInterval);
    slider->setCursor(Qt::PointingHandCursor);
    return slider;
}

} // namespace

TForm2::TForm2(QWidget* parent) : QWidget(parent, kToolWindowFlags) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Настройки построения"));
    setFixedSize(kClientWidth, kClientHeight);
    // The fixed layout below is measured for a small dialog font, the size of the classic
    // 8-point one; the desktop's larger default would not fit the captions.
    QFont small = font();
    small.setPixelSize(11);
    setFont(small);

    const std::array<QColor, kPanelCount> design{
        QColor(128, 128, 128), QColor(0, 128, 0), QColor(255, 0, 0),    QColor(0, 0, 255),
        QColor(0, 255, 0),     QColor(0, 0, 0),   QColor(255, 255, 255)};
    for (int i = 0; i < kPanelCount; ++i) {
        m_dialogs[i].name = QStringLiteral("ColorDialog%1").arg(kDialogOfPanel[i]);
        m_dialogs[i].last = design[i];
        m_dialogs[i].custom.fill(Qt::white);
    }

    buildOptions();
    buildColors();
    buildFramePeriod();
    buildMoveStep();
    buildRotation();
    applyValues(StoredSettings{});
}

QCheckBox* TForm2::addCheckBox(QWidget* parent, int number, const QString& text, const QRect& rect,
                               bool checked, const QString& hint) {
    auto* box = new WrappingCheckBox(text, parent);
    box->setObjectName(QStringLiteral("CheckBox%1").arg(number));
    box->setGeometry(rect);
    box->setChecked(checked);
    box->setCursor(Qt::PointingHandCursor);
    // The hints are kept but, as in this window's design, not shown as tooltips.
    if (!hint.isEmpty())
        box->setStatusTip(hint.section(QLatin1Char('|'), 0, 0));
    connect(box, &QCheckBox::toggled, this, &TForm2::settingsChanged);
    m_checkBoxes[number] = box;
    return box;
}

void TForm2::buildOptions() {
    QGroupBox* options = addGroup(this, 1, QStringLiteral("Опции :"), {8, 4, 305, 112});
    addCheckBox(options, 1, QStringLiteral("Показывать предметный столик"), {8, 26, 150, 30}, true,
                QStringLiteral("Включить отображение предметного столика|"));
    addCheckBox(options, 2, QStringLiteral("Режим презентации"), {8, 66, 150, 20}, false);

    QGroupBox* axes = addGroup(options, 2, QStringLiteral("Оси :"), {162, 12, 135, 46});
    addCheckBox(axes, 5, QStringLiteral("OX"), {8, 20, 40, 18}, true,
                QStringLiteral("Включить/отключить отображение оси ОХ|"));
    addCheckBox(axes, 7, QStringLiteral("OY"), {50, 20, 40, 18}, true,
                QStringLiteral("Включить/отключить отображение оси ОY|"));
    addCheckBox(axes, 6, QStringLiteral("OZ"), {92, 20, 40, 18}, true,
                QStringLiteral("Включить/отключить отображение оси ОZ|"));

    QGroupBox* planes = addGroup(options, 3, QStringLiteral("Плоскости :"), {162, 60, 135, 46});
    addCheckBox(planes, 9, QStringLiteral("XY"), {8, 20, 40, 18}, false,
                QStringLiteral("Включить/отключить отображение оси ХY|"));
    addCheckBox(planes, 8, QStringLiteral("YZ"), {50, 20, 40, 18}, false,
                QStringLiteral("Включить/отключить отображение оси YZ|"));
    addCheckBox(planes, 4, QStringLiteral("XZ"), {92, 20, 40, 18}, false,
                QStringLiteral("Включить/отключить отображение оси ХZ|"));
}

ColorPanel* TForm2::addPanel(QWidget* parent, int number, const QString& caption,
                             const QPoint& at) {
    auto* panel = new ColorPanel(caption, parent);
    panel->setObjectName(QStringLiteral("Panel%1").arg(number));
    panel->setGeometry(at.x(), at.y(), 49, 25);
    connect(panel, &ColorPanel::clicked, this, [this, number] { panelClick(number); });
    m_panels[number - 1] = panel;
    return panel;
}

void TForm2::buildColors() {
    QGroupBox* colors = addGroup(this, 4, QStringLiteral("Выбор цвета :"), {8, 120, 305, 140});

    QGroupBox* axes = addGroup(colors, 5, QStringLiteral("Цвет Осей :"), {6, 16, 181, 56});
    addPanel(axes, AxisXPanel, QStringLiteral("OX"), {8, 22});
    addPanel(axes, AxisYPanel, QStringLiteral("OY"), {66, 22});
    addPanel(axes, AxisZPanel, QStringLiteral("OZ"), {124, 22});
    QGroupBox* planes = addGroup(colors, 6, QStringLiteral("Цвет Плоск. :"), {191, 16, 108, 56});
    addPanel(planes, PlanePanel, {}, {29, 22});

    QGroupBox* board = addGroup(colors, 7, QStringLiteral("Цвет Платы :"), {6, 76, 95, 56});
    addPanel(board, BoardPanel, {}, {23, 22});
    QGroupBox* stage = addGroup(colors, 8, QStringLiteral("Цвет Столика :"), {105, 76, 95, 56});
    addPanel(stage, StagePanel, {}, {23, 22});
    QGroupBox* back = addGroup(colors, 9, QStringLiteral("Цвет Фона :"), {204, 76, 95, 56});
    addPanel(back, BackgroundPanel, {}, {23, 22});
}

void TForm2::buildFramePeriod() {
    m_framePeriodBox = addGroup(this, 10, {}, {8, kBottomTop, kLeftColumn, 100});
    m_trackBar1 = addTrackBar(m_framePeriodBox, QStringLiteral("TrackBar1"), kFrameIntervalMin,
                              kFrameIntervalMax, 50, 10);
    m_trackBar1->setGeometry(8, 38, kLeftColumn - 16, 28);
    addLabel(m_framePeriodBox, 1, QStringLiteral("20"), {8, 68, 30, 16}, Qt::AlignLeft);
    addLabel(m_framePeriodBox, 2, QStringLiteral("70"), {kLeftColumn / 2 - 15, 68, 30, 16},
             Qt::AlignHCenter);
    addLabel(m_framePeriodBox, 3, QStringLiteral("120"), {kLeftColumn - 38, 68, 30, 16},
             Qt::AlignRight);
    connect(m_trackBar1, &QSlider::valueChanged, this, &TForm2::TrackBar1Change);
    TrackBar1Change(m_trackBar1->value());
}

void TForm2::buildMoveStep() {
    QGroupBox* box = addGroup(this, 11, QStringLiteral("Шаг перемещения детали:"),
                              {8, kBottomTop + 104, kLeftColumn, 97});
    m_trackBar2 = addTrackBar(box, QStringLiteral("TrackBar2"), kMoveStepMin, kMoveStepMax, 2, 1);
    m_trackBar2->setGeometry(8, 26, kLeftColumn - 16, 28);
    addLabel(box, 4, QStringLiteral("1"), {8, 56, 30, 16}, Qt::AlignLeft);
    addLabel(box, 5, QStringLiteral("3"), {kLeftColumn / 2 - 15, 56, 30, 16}, Qt::AlignHCenter);
    addLabel(box, 6, QStringLiteral("5"), {kLeftColumn - 38, 56, 30, 16}, Qt::AlignRight);
    connect(m_trackBar2, &QSlider::valueChanged, this, &TForm2::settingsChanged);
}

void TForm2::buildRotation() {
    QGroupBox* box = addGroup(this, 12, QStringLiteral("Поворот детали:"),
                              {8 + kLeftColumn + 4, kBottomTop, kRightColumn, 201});
    m_radioButton1 = new QRadioButton(QStringLiteral("45 градусов"), box);
    m_radioButton1->setObjectName(QStringLiteral("RadioButton1"));
    m_radioButton1->setGeometry(8, 26, kRightColumn - 16, 20);
    m_radioButton2 = new QRadioButton(QStringLiteral("90 градусов"), box);
    m_radioButton2->setObjectName(QStringLiteral("RadioButton2"));
    m_radioButton2->setGeometry(8, 56, kRightColumn - 16, 20);
    for (QRadioButton* r : {m_radioButton1, m_radioButton2}) {
        r->setCursor(Qt::PointingHandCursor);
        connect(r, &QRadioButton::toggled, this, &TForm2::settingsChanged);
    }
    m_rotationGroup = new QButtonGroup(this);
    m_rotationGroup->addButton(m_radioButton1);
    m_rotationGroup->addButton(m_radioButton2);
    m_radioButton1->setChecked(true);
}

void TForm2::setPanelColor(int panel, ColorValue color) {
    Q_ASSERT(panel >= 1 && panel <= kPanelCount);
    if (panel < 1 || panel > kPanelCount)
        return;
    if (m_panels[panel - 1]->color() == color)
        return;
    m_panels[panel - 1]->setColor(color);
    Q_EMIT settingsChanged();
}

int TForm2::moveStep() const {
    return m_trackBar2->value();
}

StoredSettings TForm2::values() const {
    StoredSettings s;
    s.checkBox1 = m_checkBoxes[1]->isChecked();
    s.checkBox2 = m_checkBoxes[2]->isChecked();
    s.checkBox5 = m_checkBoxes[5]->isChecked();
    s.checkBox7 = m_checkBoxes[7]->isChecked();
    s.checkBox6 = m_checkBoxes[6]->isChecked();
    s.checkBox9 = m_checkBoxes[9]->isChecked();
    s.checkBox8 = m_checkBoxes[8]->isChecked();
    s.checkBox4 = m_checkBoxes[4]->isChecked();
    for (int i = 0; i < kPanelCount; ++i)
        s.panels[i] = m_panels[i]->color().raw();
    s.trackBar1 = m_trackBar1->value();
    s.trackBar2 = m_trackBar2->value();
    s.radioButton1 = m_radioButton1->isChecked();
    s.radioButton2 = m_radioButton2->isChecked();
    return s;
}

void TForm2::applyValues(const StoredSettings& s) {
    m_checkBoxes[1]->setChecked(s.checkBox1);
    m_checkBoxes[2]->setChecked(s.checkBox2);
    m_checkBoxes[5]->setChecked(s.checkBox5);
    m_checkBoxes[7]->setChecked(s.checkBox7);
    m_checkBoxes[6]->setChecked(s.checkBox6);
    m_checkBoxes[9]->setChecked(s.checkBox9);
    m_checkBoxes[8]->setChecked(s.checkBox8);
    m_checkBoxes[4]->setChecked(s.checkBox4);
    for (int i = 0; i < kPanelCount; ++i)
        setPanelColor(i + 1, ColorValue(s.panels[i]));
    m_trackBar1->setValue(s.trackBar1);
    m_trackBar2->setValue(s.trackBar2);
    setRadioButtons(s.radioButton1, s.radioButton2);
}

void TForm2::setRadioButtons(bool first, bool second) {
    if (second) {
        m_radioButton2->setChecked(true);
    } else if (first) {
        m_radioButton1->setChecked(true);
    } else {
        // An exclusive group will not uncheck its last checked button; the file may ask for
        // neither, so lift the rule for a moment.
        m_rotationGroup->setExclusive(false);
        m_radioButton1->setChecked(false);
        m_radioButton2->setChecked(false);
        m_rotationGroup->setExclusive(true);
    }
}

void TForm2::TrackBar1Change(int position) {
    m_framePeriodBox->setTitle(QStringLiteral("Время обновлений кадров : %1 мсек.").arg(position));
    Q_EMIT frameIntervalChanged(position);
    Q_EMIT settingsChanged();
}

void TForm2::panelClick(int panel) {
    Q_ASSERT(panel >= 1 && panel <= kPanelCount);
    if (panel < 1 || panel > kPanelCount)
        return;
    ColorDialogState& state = m_dialogs[panel - 1];
    // Custom colours are one table shared by every colour dialog of the program; each of our
    // dialogs keeps its own and puts it in place while it is open.
    for (int i = 0; i < int(state.custom.size()); ++i)
        QColorDialog::setCustomColor(i, state.custom[i]);
    QColorDialog dialog(state.last, this);
    dialog.setObjectName(state.name);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    for (int i = 0; i < int(state.custom.size()); ++i)
        state.custom[i] = QColorDialog::customColor(i);
    if (!accepted)
        return;
    state.last = dialog.selectedColor();
    setPanelColor(panel, ColorValue::fromQColor(state.last));
}

void TForm2::showEvent(QShowEvent* event) {
    if (!m_centred) {
        m_centred = true;
        centreOnScreen(this);
    }
    QWidget::showEvent(event);
}

} // namespace kelmira
