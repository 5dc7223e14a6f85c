// The main window's lifecycle: creation, first show, resize, the close sequence and destruction,
// and the two timers.
#include "app/mainwindow.h"

#include "app/appicons.h"
#include "app/componentcolumn.h"
#include "app/projectkeeper.h"
#include "board/board.h"
#include "render/panewidget.h"
#include "render/scenesettings.h"
#include "settings/colorvalue.h"
#include "settings/ini.h"
#include "settings/preferences.h"
#include "settings/settingsfile.h"
#include "windows/aboutwindow.h"
#include "windows/settingswindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QSlider>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace kelmira {

TForm1::TForm1(QWidget* parent)
    : QMainWindow(parent), m_form1Color(ColorValue::buttonFace().raw()),
      m_scrollBoxColor(ColorValue::buttonFace().raw()) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Kelmira.     Вер. 1.5"));
    // The window's controls were laid out for an 8-point font.
    QFont small = font();
    small.setPointSize(8);
    setFont(small);

    icons::renderComponentPictures();
    buildMenus();
    buildToolBars();
    m_viewPanel = new ViewPanel;
    m_column = new ComponentColumn;
    buildStatusBar();
    // The hidden list of figures; the add command takes its selected row.
    m_listBox1 = new QListWidget(m_viewPanel);
    m_listBox1->setObjectName(QStringLiteral("ListBox1"));
    m_listBox1->hide();

    auto* central = new QWidget;
    central->setObjectName(QStringLiteral("WorkArea"));
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(m_viewPanel, 1);
    row->addWidget(m_column);
    setCentralWidget(central);
    connectColumn();
    // The view panel takes its new size from the window's layout after the window itself was
    // resized: lay the panes out again then, for the new size.
    connect(m_viewPanel, &ViewPanel::resized, this, &TForm1::FormResize);
    // The right-button drag in the 3D pane changes the cursor of this window's own surface; the
    // controls keep the default arrow unless they have a cursor of their own.
    for (QWidget* w :
         std::initializer_list<QWidget*>{menuBar(), m_toolBar1, m_toolBar2, central, statusBar()})
        w->setCursor(Qt::ArrowCursor);

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(50);
    connect(m_timer1, &QTimer::timeout, this, &TForm1::RenderFrame);
    m_timer2 = new QTimer(this);
    m_timer2->setObjectName(QStringLiteral("Timer2"));
    m_timer2->setInterval(100);
    connect(m_timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);

    // The wheel zooms the 3D pane wherever the pointer is inside this window, before any
    // control can scroll with it.
    qApp->installEventFilter(this);

    FormCreate();

    resize(1221, 878);
    if (QScreen* s = screen()) {
        const QRect avail = s->availableGeometry();
        move(avail.center() - QPoint(1221 / 2, 878 / 2));
    }
}

TForm1::~TForm1() {
    qApp->removeEventFilter(this);
    FormDestroy();
}

void TForm1::attachWindows(TForm2* form2, TForm3* form3) {
    m_form2 = form2;
    m_form3 = form3;
    if (m_form2)
        connect(m_form2, &TForm2::frameIntervalChanged, m_timer1,
                [this](int ms) { m_timer1->setInterval(ms); });
}

void TForm1::connectColumn() {
    ComponentColumn* c = m_column;
    connect(c, &ComponentColumn::componentChosen, this, &TForm1::AddComponent);
    connect(c, &ComponentColumn::zoomInClicked, this, &TForm1::btnZoomInClick);
    connect(c, &ComponentColumn::zoomOutClicked, this, &TForm1::btnZoomOutClick);
    connect(c, &ComponentColumn::moveClicked, this, &TForm1::moveClick);
    connect(c, &ComponentColumn::turnClicked, this, &TForm1::turnClick);
    connect(c, &ComponentColumn::highlightChanged, this,
            [this](int row) { editor().setHighlighted(row); });
    connect(c, &ComponentColumn::selectClicked, this, &TForm1::BitBtn5Click);
    connect(c, &ComponentColumn::deleteClicked, this, &TForm1::N1231Click);
    connect(c, &ComponentColumn::clearClicked, this, &TForm1::BitBtn6Click);
    connect(c->trackBar1(), &QSlider::valueChanged, this, [this](int p) { m_session.setZoom(p); });
}

void TForm1::FormCreate() {
    m_settingsPath = settingsFilePath();
    m_programFolder = QCoreApplication::applicationDirPath();
    camera() = CameraState{};

    // InitFigures: the board built the figure table; the hidden list names them.
    for (const char* name : Board::figureNames())
        m_listBox1->addItem(QString::fromUtf8(name));

    Board& board = editor().board();
    board.setTimerHooks([this] { m_timer1->stop(); }, [this] { m_timer1->start(); });
    board.setClearedHook([this] {
        for (int i = 1; i <= 3; ++i)
            m_statusPanels[i]->clear();
    });

    for (Pane p : {Pane::Front, Pane::Side, Pane::Top, Pane::ThreeD}) {
        pane(p)->setFrameSource(&m_session);
        // A click gives a pane the keyboard, for the keys that move the selected component.
        pane(p)->setFocusPolicy(Qt::ClickFocus);
    }
    // Pnl2MouseDown / Pnl2MouseMove / Pnl2MouseUp: the 3D camera follows the mouse; a click in
    // any pane picks a component, a drag in the others moves it.
    connectPanes();

    m_listBox1->setCurrentRow(0);
    editor().setFigureSelection(m_listBox1->currentRow());

    m_timer1->start();
    m_timer2->start();

    m_statusPanels[0]->setFixedWidth(120);
    m_statusPanels[0]->setText(QStringLiteral("Координаты детали: "));
}

void TForm1::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TForm1::FormShow() {
    setViewMode(ViewMode::Standard);
    if (m_form2) {
        IniFile ini(m_settingsPath);
        StoredSettings current = m_form2->values();
        current.form1Color = m_form1Color;
        current.scrollBox1Color = m_scrollBoxColor;
        const StoredSettings read = loadSettings(ini, current);
        m_form1Color = read.form1Color;
        m_scrollBoxColor = read.scrollBox1Color;
        m_form2->applyValues(read);
        applyWindowColors();
    }
    // The mark's switch is the program's own setting, kept beside the settings file.
    m_markAction->setChecked(Preferences(m_programFolder).value(prefs::highlightSelection));
    connect(m_markAction, &QAction::toggled, this, [this](bool on) {
        Preferences(m_programFolder).setValue(prefs::highlightSelection, on);
    });
    m_session.refresh(sceneSettings());
}

void TForm1::FormResize() {
    static constexpr ViewMode order[5] = {ViewMode::Standard, ViewMode::Front, ViewMode::Top,
                                          ViewMode::Side, ViewMode::ThreeD};
    for (int i = 0; i < 5; ++i)
        if (m_viewButtons[i]->isChecked())
            setViewMode(order[i]);
}

void TForm1::closeEvent(QCloseEvent* e) {
    if (!FormCloseQuery()) {
        e->ignore();
        return;
    }
    if (m_keeper)
        m_keeper->stop();
    FormClose();
    e->accept();
    Q_EMIT formClosed();
}

bool TForm1::FormCloseQuery() {
    QMessageBox box(QMessageBox::Information, QStringLiteral("Kelmira"),
                    QStringLiteral("Сохранить файл перед выходом?"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
    box.setObjectName(QStringLiteral("SaveQuestion"));
    box.setDefaultButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes:
        // A cancelled dialog still closes; a failed save keeps the window open.
        return saveProjectThroughDialog();
    case QMessageBox::No:
        // The user gives the changes up: they are not offered again at the next start.
        if (m_keeper)
            m_keeper->discardCopy();
        return true;
    default:
        return false;
    }
}

void TForm1::FormClose() {
    if (!m_form2)
        return;
    IniFile ini(m_settingsPath);
    StoredSettings values = m_form2->values();
    values.form1Color = m_form1Color;
    values.scrollBox1Color = m_scrollBoxColor;
    const QString error = saveSettings(ini, values);
    // The program still ends: the settings of this run are lost, and the user is told so.
    if (!error.isEmpty())
        showError(error);
}

void TForm1::FormDestroy() {
    if (m_destroyed)
        return;
    m_destroyed = true;
    m_timer1->stop();
    m_timer2->stop();
    editor().board().setTimerHooks({}, {});
    editor().board().setClearedHook({});
    editor().ClearAll();
    // The panes release their GL objects (the kept scene's buffers) with their contexts.
}

void TForm1::N5Click() {
    QMessageBox box(QMessageBox::Information, QStringLiteral("Kelmira"),
                    QStringLiteral("Выйти из программы?"), QMessageBox::Yes | QMessageBox::No,
                    this);
    box.setObjectName(QStringLiteral("ExitQuestion"));
    box.setDefaultButton(QMessageBox::No);
    if (box.exec() == QMessageBox::Yes)
        close();
}

void TForm1::setViewMode(ViewMode mode) {
    m_viewPanel->setViewMode(mode);
    static constexpr ViewMode order[5] = {ViewMode::Standard, ViewMode::Front, ViewMode::Top,
                                          ViewMode::Side, ViewMode::ThreeD};
    for (std::size_t i = 0; i < 5; ++i)
        m_viewButtons[i]->setChecked(order[i] == mode);
}

void TForm1::ToolButton12Click() {
    setViewMode(ViewMode::Standard);
}
void TForm1::ToolButton14Click() {
    setViewMode(ViewMode::Front);
}
void TForm1::ToolButton16Click() {
    setViewMode(ViewMode::Top);
}
void TForm1::ToolButton18Click() {
    setViewMode(ViewMode::Side);
}
void TForm1::ToolButton20Click() {
    setViewMode(ViewMode::ThreeD);
}

int TForm1::zoom() const {
    return m_column->trackBar1()->value();
}
void TForm1::btnZoomInClick() {
    m_column->trackBar1()->setValue(zoomIn(zoom()));
}
void TForm1::btnZoomOutClick() {
    m_column->trackBar1()->setValue(zoomOut(zoom()));
}

void TForm1::wheelEvent(QWheelEvent* e) {
    int notches = m_wheel.feed(e->angleDelta().y());
    for (; notches > 0; --notches)
        btnZoomInClick();
    for (; notches < 0; ++notches)
        btnZoomOutClick();
    e->accept();
}

bool TForm1::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::Wheel && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        if (w->window() == this) {
            wheelEvent(static_cast<QWheelEvent*>(e));
            return true;
        }
    }
    // During a drag no key runs a command; Escape puts the component back.
    if (m_session.dragging() &&
        (e->type() == QEvent::ShortcutOverride || e->type() == QEvent::KeyPress)) {
        e->accept();
        if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape)
            finishDrag(true);
        return true;
    }
    if (e->type() == QEvent::KeyPress) {
        auto* p = qobject_cast<PaneWidget*>(watched);
        const auto* k = static_cast<QKeyEvent*>(e);
        // Shift or the keypad may come with them ("[" takes Shift on some layouts); with Ctrl or
        // Alt they belong to shortcuts.
        const auto chord = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
        if (p && p->window() == this && !(k->modifiers() & chord) && paneKey(k->key()))
            return true;
    }
    return QMainWindow::eventFilter(watched, e);
}

bool TForm1::paneKey(int key) {
    static constexpr std::pair<int, MoveDir> kMoves[] = {
        {Qt::Key_Left, MoveDir::Left},  {Qt::Key_Right, MoveDir::Right},
        {Qt::Key_Up, MoveDir::Forward}, {Qt::Key_Down, MoveDir::Back},
        {Qt::Key_PageUp, MoveDir::Up},  {Qt::Key_PageDown, MoveDir::Down}};
    for (const auto& [k, dir] : kMoves)
        if (k == key) {
            moveClick(dir);
            return true;
        }
    if (key != Qt::Key_BracketLeft && key != Qt::Key_BracketRight)
        return false;
    turnClick(key == Qt::Key_BracketLeft ? +1 : -1); // "[" counter-clockwise, as SpeedButton3
    return true;
}

SceneSettings TForm1::sceneSettings() const {
    return m_form2 ? sceneSettingsFrom(m_form2->values()) : SceneSettings{};
}

void TForm1::RenderFrame() {
    m_session.setMarkSelection(m_markAction->isChecked());
    m_session.refresh(sceneSettings());
    advanceFrame(camera(), m_session.frameSettings(),
                 {pane(Pane::Front), pane(Pane::Side), pane(Pane::Top), pane(Pane::ThreeD)});
    if (const tDetal* d = editor().highlightedRecord()) {
        const CoordTexts t = coordinateTexts(*d);
        m_statusPanels[1]->setText(t.x);
        m_statusPanels[2]->setText(t.y);
        m_statusPanels[3]->setText(t.z);
    }
}

void TForm1::Timer2Timer() {
    for (int i = 0; i < 13; ++i)
        m_toolButtons[i]->setVisible(m_toolItems[i]->isChecked());
}

void TForm1::applyWindowColors() {
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ColorValue(m_form1Color).toQColor());
    setPalette(pal);
    QScrollArea* scroll = m_column->scrollBox1();
    QPalette sp = scroll->palette();
    sp.setColor(QPalette::Window, ColorValue(m_scrollBoxColor).toQColor());
    scroll->setPalette(sp);
    scroll->widget()->setPalette(sp);
}

void TForm1::showError(const QString& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Kelmira"), text, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("ErrorBox"));
    box.exec();
}

void TForm1::showWarning(const QString& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Kelmira"), text, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("WarningBox"));
    box.exec();
}

void TForm1::showInfo(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Kelmira"), text, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("InfoBox"));
    box.exec();
}

} // namespace kelmira
