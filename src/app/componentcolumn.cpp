#include "app/componentcolumn.h"

#include "app/appicons.h"
#include "board/catalog.h"
#include "render/camera.h"

#include <QComboBox>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QToolButton>

#include <functional>
#include <vector>

namespace kelmira {

namespace {

constexpr int kWidth = 253;
constexpr int kScrollWidth = 248;

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& text, QRect geometry) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setGeometry(geometry);
    b->setCursor(Qt::PointingHandCursor);
    return b;
}

} // namespace

ComponentColumn::ComponentColumn(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("Panel3"));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setFixedWidth(kWidth);

    m_scrollBox1 = new QScrollArea(this);
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

    buildCatalog(content);
    buildControls(content);
    buildPlacedList(content);
    m_scrollBox1->setGeometry(kWidth - kScrollWidth - 3, 2, kScrollWidth, 2000);
}

// "Электронные компоненты :"
void ComponentColumn::buildCatalog(QWidget* content) {
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
        m_combos[std::size_t(c)] = combo;
        connect(combo, &QComboBox::activated, this, [this, c] { comboChange(c); });
        auto* btn = makeButton(g, QStringLiteral("BitBtn%1").arg(c + 1), QStringLiteral("&Выбрать"),
                               QRect(126, 21, 75, 26));
        btn->setIcon(icons::pick());
        connect(btn, &QPushButton::clicked, this, [this, c] { bitBtnSelectClick(c); });
    }
}

// "Панель управления :": the 3D zoom, then the move and turn buttons.
void ComponentColumn::buildControls(QWidget* content) {
    auto* gb1 = new QGroupBox(QStringLiteral("Панель управления :"), content);
    gb1->setObjectName(QStringLiteral("GroupBox1"));
    gb1->setGeometry(8, 296, 225, 201);
    auto* gb5 = new QGroupBox(QStringLiteral("3D режим :"), gb1);
    gb5->setObjectName(QStringLiteral("GroupBox5"));
    gb5->setGeometry(8, 20, 209, 60);
    auto* zoomIn = makeButton(gb5, QStringLiteral("btnZoomIn"), QString(), QRect(8, 22, 30, 28));
    zoomIn->setIcon(icons::zoomIn());
    zoomIn->setToolTip(QStringLiteral("Приблизить"));
    connect(zoomIn, &QPushButton::clicked, this, &ComponentColumn::zoomInClicked);
    m_trackBar1 = new QSlider(Qt::Horizontal, gb5);
    m_trackBar1->setObjectName(QStringLiteral("TrackBar1"));
    m_trackBar1->setRange(kZoomMin, kZoomMax);
    m_trackBar1->setValue(kZoomStart);
    m_trackBar1->setGeometry(44, 24, 121, 24);
    m_trackBar1->setCursor(Qt::PointingHandCursor);
    m_trackBar1->setTickPosition(QSlider::TicksBelow);
    m_trackBar1->setTickInterval(10);
    auto* zoomOut =
        makeButton(gb5, QStringLiteral("btnZoomOut"), QString(), QRect(171, 22, 30, 28));
    zoomOut->setIcon(icons::zoomOut());
    zoomOut->setToolTip(QStringLiteral("Отдалить"));
    connect(zoomOut, &QPushButton::clicked, this, &ComponentColumn::zoomOutClicked);

    struct Speed {
        const char* name;
        const char* tip;
        int col, row;
        QIcon icon;
        std::function<void()> fn;
    };
    auto move = [this](MoveDir d) { return [this, d] { Q_EMIT moveClicked(d); }; };
    auto turn = [this](int32_t delta) { return [this, delta] { Q_EMIT turnClicked(delta); }; };
    const std::vector<Speed> speeds = {
        {"SpeedButton1", "Поднять вверх", 0, 0, icons::raise(), move(MoveDir::Up)},
        {"btnVpered", "Сместить вперед", 2, 0, icons::forward(), move(MoveDir::Forward)},
        {"SpeedButton3", "Повернуть против часовой стрелки", 4, 0, icons::turnLeft(), turn(+1)},
        {"btnLeft", "Сместить влево", 1, 1, icons::left(), move(MoveDir::Left)},
        {"btnRight", "Сместить вправо", 3, 1, icons::right(), move(MoveDir::Right)},
        {"SpeedButton2", "Опустить вниз", 0, 2, icons::lower(), move(MoveDir::Down)},
        {"btnNazad", "Сместить назад", 2, 2, icons::back(), move(MoveDir::Back)},
        {"SpeedButton4", "Повернуть по часовой стрелке", 4, 2, icons::turnRight(), turn(-1)},
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
}

// "Размещённые компоненты :"
void ComponentColumn::buildPlacedList(QWidget* content) {
    auto* gb13 = new QGroupBox(QStringLiteral("Размещённые компоненты :"), content);
    gb13->setObjectName(QStringLiteral("GroupBox13"));
    gb13->setGeometry(8, 504, 225, 209);
    m_listBox2 = new QListWidget(gb13);
    m_listBox2->setObjectName(QStringLiteral("ListBox2"));
    m_listBox2->setGeometry(8, 20, 209, 140);
    connect(m_listBox2, &QListWidget::currentRowChanged, this, &ComponentColumn::highlightChanged);
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
    auto* sel = makeButton(gb13, QStringLiteral("BitBtn5"), QStringLiteral("&Выбрать"),
                           QRect(8, 168, 62, 30));
    sel->setToolTip(QStringLiteral("Выбрать деталь"));
    sel->setIcon(icons::pick());
    connect(sel, &QPushButton::clicked, this, &ComponentColumn::selectClicked);
    auto* del = makeButton(gb13, QStringLiteral("BitBtn7"), QStringLiteral("&Удалить"),
                           QRect(72, 168, 64, 30));
    del->setToolTip(QStringLiteral("Удалить выбранную деталь"));
    del->setIcon(icons::remove());
    connect(del, &QPushButton::clicked, this, &ComponentColumn::deleteClicked);
    auto* clr = makeButton(gb13, QStringLiteral("BitBtn6"), QStringLiteral("&Очистить всё"),
                           QRect(138, 168, 79, 30));
    clr->setToolTip(QStringLiteral("Очистить список"));
    connect(clr, &QPushButton::clicked, this, &ComponentColumn::clearClicked);
}

void ComponentColumn::showEntries(const QStringList& texts, int highlighted) {
    const QSignalBlocker block(m_listBox2);
    m_listBox2->clear();
    m_listBox2->addItems(texts);
    m_listBox2->setCurrentRow(highlighted);
    if (highlighted < 0)
        m_listBox2->clearSelection();
}

void ComponentColumn::showHighlight(int highlighted) {
    const QSignalBlocker block(m_listBox2);
    m_listBox2->setCurrentRow(highlighted);
    if (highlighted < 0)
        m_listBox2->clearSelection();
}

void ComponentColumn::comboChange(int category) {
    if (m_combos[std::size_t(category)]->currentIndex() == 0)
        return;
    for (std::size_t c = 0; c < 4; ++c)
        if (int(c) != category) {
            const QSignalBlocker block(m_combos[c]);
            m_combos[c]->setCurrentIndex(0);
        }
}

void ComponentColumn::bitBtnSelectClick(int category) {
    QComboBox* combo = m_combos[std::size_t(category)];
    const int p = combo->currentIndex();
    if (p > 0)
        Q_EMIT componentChosen(p + categoryBase(category),
                               QStringLiteral("-") + combo->currentText());
    const QSignalBlocker block(combo);
    combo->setCurrentIndex(0);
}

void ComponentColumn::resizeEvent(QResizeEvent* e) {
    QFrame::resizeEvent(e);
    m_scrollBox1->setGeometry(width() - kScrollWidth - 2, 2, kScrollWidth, height() - 4);
}

} // namespace kelmira
