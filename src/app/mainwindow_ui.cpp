// Construction of the main window's menus, toolbars and status bar from one table of commands.
// Object names are the control names the rest of the program and the tests use.
#include "app/mainwindow.h"

#include "app/appicons.h"
#include "app/projectkeeper.h"
#include "board/catalog.h"

#include <QAction>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPainter>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOption>
#include <QToolBar>
#include <cstring>

namespace kelmira {

namespace {

// A hint is "short|long"; the tooltip shows the short part.
QString tooltipOf(const QString& hint) {
    return hint.section(QLatin1Char('|'), 0, 0);
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
        // Without a meta-object of its own a gap is no type for findChildren, which would take
        // every widget of the bar, the buttons too.
        for (QWidget* w : bar->findChildren<QWidget*>())
            if (auto* gap = dynamic_cast<ToolBarGap*>(w))
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

// One command of the window: the menu item and the toolbar button that both run it, with the
// button's check item in "&Панель инструментов". The menus and toolbars below name their
// commands by object name.
struct Command {
    const char* menuItem;
    const char* menuText;
    const char* toolButton; // nullptr: in a menu only
    const char* hint;       // the button's hint, "short|long"
    const char* toolItem;
    const char* toolItemText;
    QIcon (*icon)();
    void (TForm1::*slot)();
};

// The thirteen toolbar commands first, in the order of their check items.
const Command kCommands[] = {
    {"N2", "&Новая печатная плата", "ToolButton1", "Новая печатная плата|", "N15",
     "Новая печатная плата", icons::newBoard, &TForm1::BitBtn6Click},
    {"N6", "&Загрузить проект", "ToolButton3", "Загрузить проект|", "N22", "Загрузить проект",
     icons::open, &TForm1::ToolButton3Click},
    {"N7", "&Сохранить проект как...", "ToolButton4", "Сохранить проект|", "N2D1",
     "Сохранить проект как...", icons::save, &TForm1::ToolButton4Click},
    {"N21", "&Сохранить изображение как...", "ToolButton5", "Сохранить текущее изображение|",
     "Cjhfybnmd3D1", "Сохранить изображение как...", icons::saveImage, &TForm1::N21Click},
    {"N4", "&Сделать скриншот", "ToolButton6", "Сделать скриншот|", "N561", "Сделать скриншот",
     icons::screenshot, &TForm1::N4Click},
    {"N13", "&Очистить всё", "ToolButton7", "Очистить всё|", "N47", "Очистить всё", icons::clear,
     &TForm1::BitBtn6Click},
    {"N3D2", "&Настройки построения", "ToolButton8", "Настройки построения|", "N40",
     "Настройки построения", icons::settings, &TForm1::N3D2Click},
    {"N8", "&Справка", "ToolButton10", "Справка|", "N39", "Справка", icons::help, &TForm1::N8Click},
    {"N41", "&Стандартный", "ToolButton12", "Общий вид на плату|", "N57", "Стандартный вид",
     icons::viewStandard, &TForm1::ToolButton12Click},
    {"N42", "&Вид спереди", "ToolButton14", "Вид спереди на плату|", "N48", "Вид спереди",
     icons::viewFront, &TForm1::ToolButton14Click},
    {"N43", "&Вид сверху", "ToolButton16", "Вид сверху на плату|", "N50", "Вид сверху",
     icons::viewTop, &TForm1::ToolButton16Click},
    {"N44", "&Вид сбоку", "ToolButton18", "Вид сбоку на плату|", "N49", "Вид сбоку",
     icons::viewSide, &TForm1::ToolButton18Click},
    {"N45", "&3D-вид", "ToolButton20", "Вид на плату в режиме 3D|", "N310", "3D-Вид", icons::view3d,
     &TForm1::ToolButton20Click},
    {"N5", "&Выход", nullptr, nullptr, nullptr, nullptr, icons::exit, &TForm1::N5Click},
    {"N11", "&Построить объект", nullptr, nullptr, nullptr, nullptr, icons::build,
     &TForm1::N11Click},
    {"N1231", "&Удалить деталь", nullptr, nullptr, nullptr, nullptr, icons::remove,
     &TForm1::N1231Click},
    {"N55", "&Цвет окна", nullptr, nullptr, nullptr, nullptr, icons::windowColor,
     &TForm1::N55Click},
    {"N9", "&О программе", nullptr, nullptr, nullptr, nullptr, icons::about, &TForm1::N9Click},
};

const Command& commandNamed(const char* name) {
    for (const Command& c : kCommands)
        if (!std::strcmp(c.menuItem, name) || (c.toolButton && !std::strcmp(c.toolButton, name)))
            return c;
    Q_UNREACHABLE();
}

// Menu contents by command; "-" is a separator.
void fillMenu(TForm1* w, QMenu* menu, std::initializer_list<const char*> items) {
    for (const char* name : items) {
        if (!std::strcmp(name, "-")) {
            menu->addSeparator();
            continue;
        }
        const Command& c = commandNamed(name);
        auto* a = new QAction(c.icon(), QString::fromUtf8(c.menuText), w);
        a->setObjectName(QLatin1String(c.menuItem));
        QObject::connect(a, &QAction::triggered, w, c.slot);
        menu->addAction(a);
    }
}

} // namespace

void TForm1::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto addMenu = [bar](const char* name, const char* title) {
        QMenu* m = bar->addMenu(QString::fromUtf8(title));
        m->setObjectName(QLatin1String(name));
        return m;
    };
    QMenu* file = addMenu("N1", "Файл");
    fillMenu(this, file, {"N2", "-", "N6", "N7", "-", "N4", "N21", "-", "N5"});
    m_recentMenu = insertRecentProjectsMenu(file);
    QMenu* edit = addMenu("EditMenu", "Правка");
    m_undoAction = edit->addAction(icons::undo(), QString(), this, &TForm1::undoClick);
    m_undoAction->setObjectName(QStringLiteral("UndoItem"));
    m_undoAction->setShortcut(QKeySequence::Undo);
    m_redoAction = edit->addAction(icons::redo(), QString(), this, &TForm1::redoClick);
    m_redoAction->setObjectName(QStringLiteral("RedoItem"));
    m_redoAction->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    history().setChangedHook([this] { updateEditActions(); });
    updateEditActions();
    fillMenu(this, addMenu("N10", "Запуск"), {"N11", "-", "N1231", "N13"});
    QMenu* view = addMenu("N16", "Вид");
    fillMenu(this, view, {"N41", "N42", "N43", "N44", "N45", "-"});
    m_markAction = view->addAction(QStringLiteral("&Выделять выбранную деталь"));
    m_markAction->setObjectName(QStringLiteral("MarkSelectionItem"));
    m_markAction->setCheckable(true);
    m_markAction->setChecked(true);

    QMenu* parts = addMenu("N17", "Компоненты");
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

    QMenu* settings = addMenu("N3", "Настройки");
    fillMenu(this, settings, {"N3D2", "N55", "-"});
    QMenu* tb = settings->addMenu(QStringLiteral("&Панель инструментов"));
    tb->setObjectName(QStringLiteral("N14"));
    for (int i = 0; i < 13; ++i) {
        if (i == 8)
            tb->addSeparator();
        auto* a = new QAction(QString::fromUtf8(kCommands[i].toolItemText), this);
        a->setObjectName(QLatin1String(kCommands[i].toolItem));
        a->setCheckable(true);
        a->setChecked(true);
        // A click only turns the tick over; Timer2 brings the button in line.
        tb->addAction(a);
        m_toolItems[std::size_t(i)] = a;
    }

    fillMenu(this, addMenu("N12", "Помощь"), {"N8", "N9"});
    assignShortcuts();
}

void TForm1::assignShortcuts() {
    const std::pair<const char*, QKeySequence> keys[] = {
        {"N2", QKeySequence(Qt::CTRL | Qt::Key_N)}, {"N6", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {"N7", QKeySequence(Qt::CTRL | Qt::Key_S)}, {"N1231", QKeySequence(Qt::Key_Delete)},
        {"N8", QKeySequence(Qt::Key_F1)},           {"N5", QKeySequence(Qt::CTRL | Qt::Key_Q)},
    };
    for (const auto& [name, key] : keys)
        if (auto* a = findChild<QAction*>(QLatin1String(name)))
            a->setShortcut(key);
}

void TForm1::updateEditActions() {
    auto label = [](const char* verb, std::optional<StepKind> kind) {
        QString text = QString::fromUtf8(verb);
        if (kind)
            text += QStringLiteral(": ") + stepName(*kind);
        return text;
    };
    m_undoAction->setText(label("&Отменить", history().undoKind()));
    m_undoAction->setEnabled(history().canUndo());
    m_redoAction->setText(label("&Повторить", history().redoKind()));
    m_redoAction->setEnabled(history().canRedo());
}

void TForm1::buildToolBars() {
    // Buttons by command; "|Name" is a separator of that name.
    auto addButtons = [this](QToolBar* bar, std::initializer_list<const char*> items,
                             bool checkable) {
        for (const char* name : items) {
            if (name[0] == '|') {
                auto* gap = new ToolBarGap;
                gap->setObjectName(QLatin1String(name + 1));
                bar->addWidget(gap)->setObjectName(QStringLiteral("act%1").arg(gap->objectName()));
                continue;
            }
            const Command& c = commandNamed(name);
            const QString tip = tooltipOf(QString::fromUtf8(c.hint));
            auto* a = new QAction(c.icon(), tip, this);
            a->setObjectName(QStringLiteral("act%1").arg(QLatin1String(c.toolButton)));
            connect(a, &QAction::triggered, this, c.slot);
            a->setToolTip(tip);
            a->setStatusTip(QString());
            a->setCheckable(checkable);
            bar->addAction(a);
            QWidget* w = bar->widgetForAction(a);
            w->setObjectName(QLatin1String(c.toolButton));
            w->setCursor(Qt::PointingHandCursor);
            m_toolButtons[std::size_t(&c - kCommands)] = a;
        }
    };

    // Whole toolbars are not hidden from a right-click menu of the window: the buttons are shown
    // and hidden through "&Панель инструментов" alone.
    setContextMenuPolicy(Qt::NoContextMenu);

    m_toolBar1 = addToolBar(QStringLiteral("Панель инструментов"));
    m_toolBar1->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar1->setToolTip(QStringLiteral("Панель инструментов"));
    m_toolBar1->setMovable(false);
    // The icon size first: setting a new one drops the toolbar's minimum height.
    m_toolBar1->setIconSize(QSize(24, 24));
    m_toolBar1->setFixedHeight(41);
    addButtons(m_toolBar1,
               {"ToolButton1", "|ToolButton2", "ToolButton3", "ToolButton4", "ToolButton5",
                "ToolButton6", "|btn1", "ToolButton7", "ToolButton8", "|ToolButton9",
                "ToolButton10"},
               false);
    for (int i = 0; i < 8; ++i)
        m_toolBar1->widgetForAction(m_toolButtons[std::size_t(i)])->setFixedSize(33, 31);
    ToolBarGap::fitTo(m_toolBar1);

    addToolBarBreak();
    m_toolBar2 = addToolBar(QStringLiteral("Панель инструментов настройки просмотра"));
    m_toolBar2->setObjectName(QStringLiteral("ToolBar2"));
    m_toolBar2->setToolTip(QStringLiteral("Панель инструментов настройки просмотра"));
    m_toolBar2->setMovable(false);
    m_toolBar2->setIconSize(QSize(20, 20));
    m_toolBar2->setFixedHeight(29);
    addButtons(m_toolBar2,
               {"ToolButton12", "|ToolButton13", "ToolButton14", "|ToolButton15", "ToolButton16",
                "|ToolButton17", "ToolButton18", "|ToolButton19", "ToolButton20"},
               true);
    for (int i = 0; i < 5; ++i)
        m_viewButtons[std::size_t(i)] = m_toolButtons[std::size_t(8 + i)];
    ToolBarGap::fitTo(m_toolBar2);
    // The view commands set the pressed state themselves, like a radio group; a click on the
    // pressed button must not release it.
    for (QAction* a : m_viewButtons)
        connect(a, &QAction::triggered, this, [this] { setViewMode(m_viewPanel->viewMode()); });
    m_viewButtons[0]->setChecked(true);
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
    // Why a drag stopped short; empty (and so unseen) otherwise.
    m_dragMessage = new QLabel;
    m_dragMessage->setObjectName(QStringLiteral("DragMessage"));
    sb->addWidget(m_dragMessage, 1);
    setStatusBar(sb);
}

} // namespace kelmira
