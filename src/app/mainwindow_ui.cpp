// Construction of the main window's controls: menus, toolbars, the right-hand column, the view
// panel and the status bar. Object names are the control names the rest of the program and the
// tests use.
#include "mainwindow.h"

#include "appicons.h"
#include "catalog.h"
#include "panewidget.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOption>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace kelmira {

namespace {

// A hint is "short|long"; the tooltip shows the short part.
QString tooltipOf(const QString& hint) {
    return hint.section(QLatin1Char('|'), 0, 0);
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text, QRect geometry) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(geometry);
    b->setCursor(Qt::PointingHandCursor);
    return b;
}

// The toolbars' separator, 8 pixels wide. Qt's own separator hides itself when no visible
// button stands on one of its sides; this one stays, so a toolbar whose buttons are all hidden
// keeps its separators and its height.
class ToolBarGap : public QWidget {
public:
    ToolBarGap() { setFixedWidth(8); }
    // The line spans the toolbar's height inside its margins, as Qt's own separator does.
    static void fitTo(QToolBar* bar) {
        const QMargins m = bar->layout()->contentsMargins();
        for (ToolBarGap* gap : bar->findChildren<ToolBarGap*>())
            gap->setFixedHeight(bar->maximumHeight() - m.top() - m.bottom());
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        QStyleOption opt;
        opt.initFrom(this);
        opt.state |= QStyle::State_Horizontal; // a horizontal toolbar: the line stands upright
        style()->drawPrimitive(QStyle::PE_IndicatorToolBarSeparator, &opt, &p, parentWidget());
    }
};

} // namespace

QAction* TForm1::makeAction(const QString& name, const QString& text, void (TForm1::*slot)(),
                            const QIcon& icon) {
    auto* a = new QAction(icon, text, this);
    a->setObjectName(name);
    if (slot)
        connect(a, &QAction::triggered, this, slot);
    return a;
}

void TForm1::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    QMenu* file = bar->addMenu(QStringLiteral("Файл"));
    file->setObjectName(QStringLiteral("N1"));
    file->addAction(makeAction(QStringLiteral("N2"), QStringLiteral("&Новая печатная плата"),
                               &TForm1::BitBtn6Click, icons::newBoard()));
    file->addSeparator();
    file->addAction(makeAction(QStringLiteral("N6"), QStringLiteral("&Загрузить проект"),
                               &TForm1::ToolButton3Click, icons::open()));
    file->addAction(makeAction(QStringLiteral("N7"), QStringLiteral("&Сохранить проект как..."),
                               &TForm1::ToolButton4Click, icons::save()));
    file->addSeparator();
    file->addAction(makeAction(QStringLiteral("N4"), QStringLiteral("&Сделать скриншот"),
                               &TForm1::N4Click, icons::screenshot()));
    file->addAction(makeAction(QStringLiteral("N21"),
                               QStringLiteral("&Сохранить изображение как..."), &TForm1::N21Click,
                               icons::saveImage()));
    file->addSeparator();
    file->addAction(makeAction(QStringLiteral("N5"), QStringLiteral("&Выход"), &TForm1::N5Click,
                               icons::exit()));

    QMenu* run = bar->addMenu(QStringLiteral("Запуск"));
    run->setObjectName(QStringLiteral("N10"));
    run->addAction(makeAction(QStringLiteral("N11"), QStringLiteral("&Построить объект"),
                              &TForm1::N11Click, icons::build()));
    run->addSeparator();
    run->addAction(makeAction(QStringLiteral("N1231"), QStringLiteral("&Удалить деталь"),
                              &TForm1::N1231Click, icons::remove()));
    run->addAction(makeAction(QStringLiteral("N13"), QStringLiteral("&Очистить всё"),
                              &TForm1::BitBtn6Click, icons::clear()));

    QMenu* view = bar->addMenu(QStringLiteral("Вид"));
    view->setObjectName(QStringLiteral("N16"));
    view->addAction(makeAction(QStringLiteral("N41"), QStringLiteral("&Стандартный"),
                               &TForm1::ToolButton12Click, icons::viewStandard()));
    view->addAction(makeAction(QStringLiteral("N42"), QStringLiteral("&Вид спереди"),
                               &TForm1::ToolButton14Click, icons::viewFront()));
    view->addAction(makeAction(QStringLiteral("N43"), QStringLiteral("&Вид сверху"),
                               &TForm1::ToolButton16Click, icons::viewTop()));
    view->addAction(makeAction(QStringLiteral("N44"), QStringLiteral("&Вид сбоку"),
                               &TForm1::ToolButton18Click, icons::viewSide()));
    view->addAction(makeAction(QStringLiteral("N45"), QStringLiteral("&3D-вид"),
                               &TForm1::ToolButton20Click, icons::view3d()));

    QMenu* parts = bar->addMenu(QStringLiteral("Компоненты"));
    parts->setObjectName(QStringLiteral("N17"));
    std::array<QMenu*, 4> sub{};
    for (int c = 0; c < 4; ++c) {
        sub[c] = parts->addMenu(categoryMenuCaption(c));
        // Numbered past every named menu item, so that no two controls share a name.
        sub[c]->setObjectName(QStringLiteral("N%1").arg(65 + c));
    }
    for (const KindInfo& k : catalog()) {
        auto* a = new QAction(icons::component(k.code), k.name, this);
        a->setObjectName(QLatin1String(k.menuItem));
        const int32_t code = k.code;
        const QString entry = k.entry;
        connect(a, &QAction::triggered, this, [this, code, entry] { AddComponent(code, entry); });
        sub[k.category]->addAction(a);
    }

    QMenu* settings = bar->addMenu(QStringLiteral("Настройки"));
    settings->setObjectName(QStringLiteral("N3"));
    settings->addAction(makeAction(QStringLiteral("N3D2"), QStringLiteral("&Настройки построения"),
                                   &TForm1::N3D2Click, icons::settings()));
    settings->addAction(makeAction(QStringLiteral("N55"), QStringLiteral("&Цвет окна"),
                                   &TForm1::N55Click, icons::windowColor()));
    settings->addSeparator();
    QMenu* tb = settings->addMenu(QStringLiteral("&Панель инструментов"));
    tb->setObjectName(QStringLiteral("N14"));
    static const char* const itemNames[13] = {"N15", "N22", "N2D1", "Cjhfybnmd3D1", "N561",
                                              "N47", "N40", "N39",  "N57",          "N48",
                                              "N50", "N49", "N310"};
    static const char* const itemCaptions[13] = {"Новая печатная плата",
                                                 "Загрузить проект",
                                                 "Сохранить проект как...",
                                                 "Сохранить изображение как...",
                                                 "Сделать скриншот",
                                                 "Очистить всё",
                                                 "Настройки построения",
                                                 "Справка",
                                                 "Стандартный вид",
                                                 "Вид спереди",
                                                 "Вид сверху",
                                                 "Вид сбоку",
                                                 "3D-Вид"};
    for (int i = 0; i < 13; ++i) {
        if (i == 8)
            tb->addSeparator();
        auto* a = new QAction(QString::fromUtf8(itemCaptions[i]), this);
        a->setObjectName(QLatin1String(itemNames[i]));
        a->setCheckable(true);
        a->setChecked(true);
        // A click only turns the tick over; Timer2 brings the button in line.
        tb->addAction(a);
        m_toolItems[i] = a;
    }

    QMenu* help = bar->addMenu(QStringLiteral("Помощь"));
    help->setObjectName(QStringLiteral("N12"));
    help->addAction(makeAction(QStringLiteral("N8"), QStringLiteral("&Справка"), &TForm1::N8Click,
                               icons::help()));
    help->addAction(makeAction(QStringLiteral("N9"), QStringLiteral("&О программе"),
                               &TForm1::N9Click, icons::about()));
}

void TForm1::buildToolBars() {
    struct Button {
        const char* name;
        const char* hint;
        void (TForm1::*slot)();
        QIcon icon;
    };
    auto addButtons = [this](QToolBar* bar, const std::vector<Button>& buttons,
                             const std::vector<const char*>& separators, int& toolIndex,
                             bool checkable) {
        size_t sep = 0;
        for (const Button& b : buttons) {
            if (!b.name) {
                auto* gap = new ToolBarGap;
                gap->setObjectName(QLatin1String(separators[sep]));
                bar->addWidget(gap)->setObjectName(QStringLiteral("act%1").arg(gap->objectName()));
                ++sep;
                continue;
            }
            const QString hint = QString::fromUtf8(b.hint);
            QAction* a = makeAction(QStringLiteral("act%1").arg(QLatin1String(b.name)),
                                    tooltipOf(hint), b.slot, b.icon);
            a->setToolTip(tooltipOf(hint));
            a->setStatusTip(QString());
            a->setCheckable(checkable);
            bar->addAction(a);
            QWidget* w = bar->widgetForAction(a);
            w->setObjectName(QLatin1String(b.name));
            w->setCursor(Qt::PointingHandCursor);
            m_toolButtons[toolIndex++] = a;
        }
    };

    // Whole toolbars are not hidden from a right-click menu of the window: the buttons are shown
    // and hidden through "&Панель инструментов" alone.
    setContextMenuPolicy(Qt::NoContextMenu);

    int toolIndex = 0;
    m_toolBar1 = addToolBar(QStringLiteral("Панель инструментов"));
    m_toolBar1->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar1->setToolTip(QStringLiteral("Панель инструментов"));
    m_toolBar1->setMovable(false);
    // The icon size first: setting a new one drops the toolbar's minimum height.
    m_toolBar1->setIconSize(QSize(24, 24));
    m_toolBar1->setFixedHeight(41);
    addButtons(
        m_toolBar1,
        {{"ToolButton1", "Новая печатная плата|", &TForm1::BitBtn6Click, icons::newBoard()},
         {nullptr, nullptr, nullptr, {}},
         {"ToolButton3", "Загрузить проект|", &TForm1::ToolButton3Click, icons::open()},
         {"ToolButton4", "Сохранить проект|", &TForm1::ToolButton4Click, icons::save()},
         {"ToolButton5", "Сохранить текущее изображение|", &TForm1::N21Click, icons::saveImage()},
         {"ToolButton6", "Сделать скриншот|", &TForm1::N4Click, icons::screenshot()},
         {nullptr, nullptr, nullptr, {}},
         {"ToolButton7", "Очистить всё|", &TForm1::BitBtn6Click, icons::clear()},
         {"ToolButton8", "Настройки построения|", &TForm1::N3D2Click, icons::settings()},
         {nullptr, nullptr, nullptr, {}},
         {"ToolButton10", "Справка|", &TForm1::N8Click, icons::help()}},
        {"ToolButton2", "btn1", "ToolButton9"}, toolIndex, false);
    for (int i = 0; i < toolIndex; ++i)
        m_toolBar1->widgetForAction(m_toolButtons[i])->setFixedSize(33, 31);
    ToolBarGap::fitTo(m_toolBar1);

    addToolBarBreak();
    m_toolBar2 = addToolBar(QStringLiteral("Панель инструментов настройки просмотра"));
    m_toolBar2->setObjectName(QStringLiteral("ToolBar2"));
    m_toolBar2->setToolTip(QStringLiteral("Панель инструментов настройки просмотра"));
    m_toolBar2->setMovable(false);
    m_toolBar2->setIconSize(QSize(20, 20));
    m_toolBar2->setFixedHeight(29);
    addButtons(
        m_toolBar2,
        {{"ToolButton12", "Общий вид на плату|", &TForm1::ToolButton12Click, icons::viewStandard()},
         {nullptr, nullptr, nullptr, {}},
         {"ToolButton14", "Вид спереди на плату|", &TForm1::ToolButton14Click, icons::viewFront()},
         {nullptr, nullptr, nullptr, {}},
         {"ToolButton16", "Вид сверху на плату|", &TForm1::ToolButton16Click, icons::viewTop()},
         {nullptr, nullptr, nullptr, {}},
         {"ToolButton18", "Вид сбоку на плату|", &TForm1::ToolButton18Click, icons::viewSide()},
         {nullptr, nullptr, nullptr, {}},
         {"ToolButton20", "Вид на плату в режиме 3D|", &TForm1::ToolButton20Click,
          icons::view3d()}},
        {"ToolButton13", "ToolButton15", "ToolButton17", "ToolButton19"}, toolIndex, true);
    for (int i = 0; i < 5; ++i)
        m_viewButtons[i] = m_toolButtons[8 + i];
    ToolBarGap::fitTo(m_toolBar2);
    // The view commands set the pressed state themselves, like a radio group; a click on the
    // pressed button must not release it.
    for (QAction* a : m_viewButtons)
        connect(a, &QAction::triggered, this, [this] { setViewMode(m_viewMode); });
    m_viewButtons[0]->setChecked(true);
}

void TForm1::buildRightPanel() {
    auto* panel3 = new QFrame;
    panel3->setObjectName(QStringLiteral("Panel3"));
    panel3->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel3->setFixedWidth(253);

    m_scrollBox1 = new QScrollArea(panel3);
    m_scrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    m_scrollBox1->setFrameStyle(QFrame::NoFrame);
    m_scrollBox1->setWidgetResizable(false);
    m_scrollBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("ScrollBox1Content"));
    content->setFixedSize(241, 720);
    content->setAutoFillBackground(true);
    m_scrollBox1->setWidget(content);
    m_scrollBox1->setAutoFillBackground(true);

    // "Электронные компоненты :"
    auto* gb2 = new QGroupBox(QStringLiteral("Электронные компоненты :"), content);
    gb2->setObjectName(QStringLiteral("GroupBox2"));
    gb2->setGeometry(8, 8, 225, 281);
    for (int c = 0; c < 4; ++c) {
        auto* g = new QGroupBox(categoryGroupCaption(c), gb2);
        g->setObjectName(QStringLiteral("GroupBox%1").arg(3 + c == 5 ? 7 : 3 + c));
        g->setGeometry(8, 20 + c * 64, 209, 58);
        auto* combo = new QComboBox(g);
        combo->setObjectName(QStringLiteral("ComboBox%1").arg(c + 1));
        combo->addItems(comboEntries(c));
        combo->setCurrentIndex(0);
        combo->setGeometry(8, 22, 112, 24);
        combo->setCursor(Qt::PointingHandCursor);
        m_combos[c] = combo;
        connect(combo, &QComboBox::activated, this, [this, c] { comboChange(c); });
        auto* btn = makeButton(g, "", QStringLiteral("&Выбрать"), QRect(126, 21, 75, 26));
        btn->setObjectName(QStringLiteral("BitBtn%1").arg(c + 1));
        btn->setIcon(icons::pick());
        connect(btn, &QPushButton::clicked, this, [this, c] { bitBtnSelectClick(c); });
    }

    // "Панель управления :"
    auto* gb1 = new QGroupBox(QStringLiteral("Панель управления :"), content);
    gb1->setObjectName(QStringLiteral("GroupBox1"));
    gb1->setGeometry(8, 296, 225, 201);
    auto* gb5 = new QGroupBox(QStringLiteral("3D режим :"), gb1);
    gb5->setObjectName(QStringLiteral("GroupBox5"));
    gb5->setGeometry(8, 20, 209, 60);
    auto* zoomIn = makeButton(gb5, "btnZoomIn", QString(), QRect(8, 22, 30, 28));
    zoomIn->setIcon(icons::zoomIn());
    zoomIn->setToolTip(QStringLiteral("Приблизить"));
    connect(zoomIn, &QPushButton::clicked, this, &TForm1::btnZoomInClick);
    m_trackBar1 = new QSlider(Qt::Horizontal, gb5);
    m_trackBar1->setObjectName(QStringLiteral("TrackBar1"));
    m_trackBar1->setRange(kZoomMin, kZoomMax);
    m_trackBar1->setValue(kZoomStart);
    m_trackBar1->setGeometry(44, 24, 121, 24);
    m_trackBar1->setCursor(Qt::PointingHandCursor);
    m_trackBar1->setTickPosition(QSlider::TicksBelow);
    m_trackBar1->setTickInterval(10);
    auto* zoomOut = makeButton(gb5, "btnZoomOut", QString(), QRect(171, 22, 30, 28));
    zoomOut->setIcon(icons::zoomOut());
    zoomOut->setToolTip(QStringLiteral("Отдалить"));
    connect(zoomOut, &QPushButton::clicked, this, &TForm1::btnZoomOutClick);

    struct Speed {
        const char* name;
        const char* tip;
        int col, row;
        QIcon icon;
        std::function<void()> fn;
    };
    const std::vector<Speed> speeds = {
        {"SpeedButton1", "Поднять вверх", 0, 0, icons::raise(), [this] { moveClick(MoveDir::Up); }},
        {"btnVpered", "Сместить вперед", 2, 0, icons::forward(),
         [this] { moveClick(MoveDir::Forward); }},
        {"SpeedButton3", "Повернуть против часовой стрелки", 4, 0, icons::turnLeft(),
         [this] { turnClick(+1); }},
        {"btnLeft", "Сместить влево", 1, 1, icons::left(), [this] { moveClick(MoveDir::Left); }},
        {"btnRight", "Сместить вправо", 3, 1, icons::right(),
         [this] { moveClick(MoveDir::Right); }},
        {"SpeedButton2", "Опустить вниз", 0, 2, icons::lower(),
         [this] { moveClick(MoveDir::Down); }},
        {"btnNazad", "Сместить назад", 2, 2, icons::back(), [this] { moveClick(MoveDir::Back); }},
        {"SpeedButton4", "Повернуть по часовой стрелке", 4, 2, icons::turnRight(),
         [this] { turnClick(-1); }},
    };
    for (const Speed& s : speeds) {
        auto* b = new QToolButton(gb1);
        b->setObjectName(QLatin1String(s.name));
        b->setToolTip(QString::fromUtf8(s.tip));
        b->setIcon(s.icon);
        b->setIconSize(QSize(22, 22));
        b->setAutoRaise(false);
        b->setCursor(Qt::PointingHandCursor);
        b->setGeometry(20 + s.col * 37, 88 + s.row * 37, 33, 33);
        connect(b, &QToolButton::clicked, this, s.fn);
    }

    // "Размещённые компоненты :"
    auto* gb13 = new QGroupBox(QStringLiteral("Размещённые компоненты :"), content);
    gb13->setObjectName(QStringLiteral("GroupBox13"));
    gb13->setGeometry(8, 504, 225, 209);
    m_listBox2 = new QListWidget(gb13);
    m_listBox2->setObjectName(QStringLiteral("ListBox2"));
    m_listBox2->setGeometry(8, 20, 209, 140);
    connect(m_listBox2, &QListWidget::currentRowChanged, this,
            [this](int row) { m_editor.setHighlighted(row); });
    // The commands act on the current row, so the visible highlight never leaves it: a
    // Ctrl+click would otherwise clear the highlight and leave the current row acting unseen.
    const auto keepHighlightOnCurrentRow = [this] {
        const int row = m_listBox2->currentRow();
        const QList<QListWidgetItem*> shown = m_listBox2->selectedItems();
        if (row >= 0 && (shown.size() != 1 || m_listBox2->row(shown.first()) != row))
            m_listBox2->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    };
    connect(m_listBox2, &QListWidget::itemSelectionChanged, this, keepHighlightOnCurrentRow);
    connect(m_listBox2, &QListWidget::currentRowChanged, this, keepHighlightOnCurrentRow);
    auto* sel = makeButton(gb13, "BitBtn5", QStringLiteral("&Выбрать"), QRect(8, 168, 62, 30));
    sel->setToolTip(QStringLiteral("Выбрать деталь"));
    sel->setIcon(icons::pick());
    connect(sel, &QPushButton::clicked, this, &TForm1::BitBtn5Click);
    auto* del = makeButton(gb13, "BitBtn7", QStringLiteral("&Удалить"), QRect(72, 168, 64, 30));
    del->setToolTip(QStringLiteral("Удалить выбранную деталь"));
    del->setIcon(icons::remove());
    connect(del, &QPushButton::clicked, this, &TForm1::N1231Click);
    auto* clr =
        makeButton(gb13, "BitBtn6", QStringLiteral("&Очистить всё"), QRect(138, 168, 79, 30));
    clr->setToolTip(QStringLiteral("Очистить список"));
    connect(clr, &QPushButton::clicked, this, &TForm1::BitBtn6Click);

    m_scrollBox1->setGeometry(253 - 248 - 3, 2, 248, 2000);
    panel3->installEventFilter(this);
    m_rightPanel = panel3;
}

void TForm1::buildViewPanel() {
    auto* panel6 = new QFrame;
    panel6->setObjectName(QStringLiteral("Panel6"));
    panel6->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel6->setMinimumSize(40, 40);
    m_panel6 = panel6;

    static const char* const boxNames[4] = {"GroupBox8", "GroupBox10", "GroupBox9", "GroupBox11"};
    static const char* const boxCaptions[4] = {
        "Вид спереди :", "Вид сбоку :", "Вид сверху :", "3D-Вид :"};
    static const char* const paneNames[4] = {"Panel1", "Panel2", "Panel4", "Pnl2"};
    for (int i = 0; i < 4; ++i) {
        auto* box = new QGroupBox(QString::fromUtf8(boxCaptions[i]), panel6);
        box->setObjectName(QLatin1String(boxNames[i]));
        auto* pane = new PaneWidget(static_cast<Pane>(i + 1), box);
        pane->setObjectName(QLatin1String(paneNames[i]));
        // The pane panel fills its group box under the caption.
        auto* fill = new QVBoxLayout(box);
        fill->setContentsMargins(2, 2, 2, 2);
        fill->addWidget(pane);
        pane->setCursor(i == 3 ? Qt::SizeAllCursor : Qt::ForbiddenCursor);
        box->installEventFilter(this);
        m_paneBoxes[i] = box;
        m_panes[i] = pane;
    }

    m_listBox1 = new QListWidget(panel6);
    m_listBox1->setObjectName(QStringLiteral("ListBox1"));
    m_listBox1->hide();
}

void TForm1::buildStatusBar() {
    auto* sb = new QStatusBar;
    sb->setObjectName(QStringLiteral("StatusBar1"));
    sb->setToolTip(QStringLiteral("Координаты детали"));
    sb->setSizeGripEnabled(true);
    // The panels were sized for a narrower dialog font than ours: at 10 pixels the caption of
    // panel 0 fits its 120 pixels.
    QFont small = sb->font();
    small.setPixelSize(10);
    sb->setFont(small);
    for (int i = 0; i < 5; ++i) {
        auto* l = new QLabel;
        l->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setFixedWidth(50);
        l->setIndent(1); // not the half "x" a framed label indents by
        sb->addWidget(l);
        m_statusPanels[i] = l;
    }
    setStatusBar(sb);
}

} // namespace kelmira
