// The main window under a real X server: start-up state, layout, the exit and close questions,
// the panes' pictures, and an editing session driven through the real controls.
#include "app/mainwindow.h"
#include "app/russian.h"
#include "editorwindows.h"
#include "modalhelper.h"
#include "render/panewidget.h"
#include "render/picking.h"
#include "render/renderer.h"
#include "settings/colorvalue.h"
#include "windows/aboutwindow.h"
#include "windows/settingswindow.h"

#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTranslator>
#include <QWheelEvent>

#include <memory>

using namespace kelmira;

class TestMainWindow : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QTranslator* m_russian = nullptr;

    template <typename T> static T* child(QWidget* w, const char* name) {
        T* c = w->findChild<T*>(QLatin1String(name));
        if (!c)
            qWarning("no control %s", name);
        return c;
    }

    static QString panelText(TForm1* f, int i) {
        return child<QLabel>(f, QStringLiteral("StatusPanel%1").arg(i).toLatin1().constData())
            ->text();
    }

private Q_SLOTS:
    // As the program starts.
    void initTestCase() { m_russian = installRussian(*qApp); }

    void startupState() {
        EditorWindows w(m_dir.path());
        TForm1* f = w.form1.get();
        QCOMPARE(f->windowTitle(), QStringLiteral("Kelmira.     Вер. 1.5"));
        QCOMPARE(f->size(), QSize(1221, 878));
        QVERIFY(child<QToolButton>(f, "ToolButton12")->isChecked());
        for (const char* name : {"ToolButton14", "ToolButton16", "ToolButton18", "ToolButton20"})
            QVERIFY(!child<QToolButton>(f, name)->isChecked());
        QCOMPARE(panelText(f, 0), QStringLiteral("Координаты детали: "));
        QCOMPARE(child<QLabel>(f, "StatusPanel0")->width(), 120);
        for (int i = 1; i <= 4; ++i)
            QVERIFY(panelText(f, i).isEmpty());
        auto* figures = child<QListWidget>(f, "ListBox1");
        QVERIFY(!figures->isVisible());
        QCOMPARE(figures->count(), 4);
        QCOMPARE(figures->item(3)->text(), QStringLiteral("Фигура 4"));
        QCOMPARE(figures->currentRow(), 0);
        QVERIFY(f->timer1()->isActive());
        QCOMPARE(f->timer1()->interval(), 50);
        QVERIFY(f->timer2()->isActive());
        QCOMPARE(f->timer2()->interval(), 100);
        QCOMPARE(child<QSlider>(f, "TrackBar1")->value(), 25);
    }

    // The main toolbar's buttons are 33 x 31 in a bar 41 high; the view toolbar is 29 high.
    void toolbarMetrics() {
        EditorWindows w(m_dir.path());
        TForm1* f = w.form1.get();
        auto* bar1 = child<QToolBar>(f, "ToolBar1");
        QCOMPARE(bar1->height(), 41);
        QCOMPARE(child<QToolBar>(f, "ToolBar2")->height(), 29);
        const QList<QToolButton*> buttons = bar1->findChildren<QToolButton*>(
            QRegularExpression(QStringLiteral("^ToolButton\\d+$")));
        QCOMPARE(buttons.size(), 8);
        for (QToolButton* b : buttons)
            QVERIFY2(b->size() == QSize(33, 31), qPrintable(QStringLiteral("%1: %2 x %3")
                                                                .arg(b->objectName())
                                                                .arg(b->width())
                                                                .arg(b->height())));
    }

    void menuItems_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("exit") << "N5"
                              << "&Выход";
        QTest::newRow("build") << "N11"
                               << "&Построить объект";
        QTest::newRow("delete") << "N1231"
                                << "&Удалить деталь";
        QTest::newRow("screenshot") << "N4"
                                    << "&Сделать скриншот";
        QTest::newRow("save image") << "N21"
                                    << "&Сохранить изображение как...";
        QTest::newRow("settings") << "N3D2"
                                  << "&Настройки построения";
        QTest::newRow("colour") << "N55"
                                << "&Цвет окна";
        QTest::newRow("help") << "N8"
                              << "&Справка";
        QTest::newRow("about") << "N9"
                               << "&О программе";
        QTest::newRow("sensor") << "N23"
                                << "Датчик";
        QTest::newRow("wire 2") << "N210"
                                << "Провод (тип2)";
        QTest::newRow("toolbar item") << "Cjhfybnmd3D1"
                                      << "Сохранить изображение как...";
        QTest::newRow("toolbar 3d") << "N310"
                                    << "3D-Вид";
    }
    void menuItems() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        TForm1 f;
        auto* a = f.findChild<QAction*>(name);
        QVERIFY2(a, qPrintable(name));
        QCOMPARE(a->text(), text);
    }

    void noRightClickMenuOnTheToolbars() {
        EditorWindows w(m_dir.path());
        QWidget* popup = nullptr;
        QTimer::singleShot(100, [&popup] {
            if ((popup = QApplication::activePopupWidget()))
                popup->close();
        });
        auto* bar = child<QToolBar>(w.form1.get(), "ToolBar2");
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(150, 10),
                                bar->mapToGlobal(QPoint(150, 10)));
        QApplication::sendEvent(bar, &click);
        QTest::qWait(150);
        QVERIFY(!popup);
    }

    // Tests and the program find every control by its name.
    void controlNamesAreUnique() {
        TForm1 f;
        QStringList names;
        for (QObject* o : f.findChildren<QObject*>())
            if (!o->objectName().isEmpty() && !o->objectName().startsWith(QLatin1String("qt_")))
                names << o->objectName();
        const qsizetype all = names.size();
        names.removeDuplicates();
        QCOMPARE(names.size(), all);
    }

    void componentMenuShowsPictures() {
        TForm1 f;
        auto* sub = f.findChild<QMenu*>(QStringLiteral("N65")); // "&Активные компоненты"
        QVERIFY(sub);
        QCOMPARE(sub->actions().size(), 9);
        for (QAction* a : sub->actions())
            QVERIFY2(!a->icon().isNull(), qPrintable(a->text()));
        // A look at the menu as the user sees it, kept beside the test.
        sub->popup(QPoint(100, 100));
        QTRY_VERIFY(sub->isVisible());
        sub->grab().save(QStringLiteral("component_menu.png"));
        sub->hide();
    }

    void toolbarHints_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("tip");
        QTest::newRow("1") << "ToolButton1"
                           << "Новая печатная плата";
        QTest::newRow("3") << "ToolButton3"
                           << "Загрузить проект";
        QTest::newRow("4") << "ToolButton4"
                           << "Сохранить проект";
        QTest::newRow("5") << "ToolButton5"
                           << "Сохранить текущее изображение";
        QTest::newRow("6") << "ToolButton6"
                           << "Сделать скриншот";
        QTest::newRow("7") << "ToolButton7"
                           << "Очистить всё";
        QTest::newRow("8") << "ToolButton8"
                           << "Настройки построения";
        QTest::newRow("10") << "ToolButton10"
                            << "Справка";
        QTest::newRow("12") << "ToolButton12"
                            << "Общий вид на плату";
        QTest::newRow("20") << "ToolButton20"
                            << "Вид на плату в режиме 3D";
        QTest::newRow("left") << "btnLeft"
                              << "Сместить влево";
        QTest::newRow("ccw") << "SpeedButton3"
                             << "Повернуть против часовой стрелки";
        QTest::newRow("select") << "BitBtn5"
                                << "Выбрать деталь";
        QTest::newRow("clear") << "BitBtn6"
                               << "Очистить список";
    }
    void toolbarHints() {
        QFETCH(QString, name);
        QFETCH(QString, tip);
        TForm1 f;
        auto* w = f.findChild<QWidget*>(name);
        QVERIFY2(w, qPrintable(name));
        QCOMPARE(w->toolTip(), tip);
    }

    void layoutFollowsModeAndResize() {
        EditorWindows w(m_dir.path());
        TForm1* f = w.form1.get();
        auto check = [f](ViewMode mode) {
            const ViewLayout l = layoutPanes(f->panel6()->width(), f->panel6()->height(), mode);
            const char* names[4] = {"GroupBox8", "GroupBox10", "GroupBox9", "GroupBox11"};
            for (int i = 0; i < 4; ++i) {
                auto* box = child<QGroupBox>(f, names[i]);
                QCOMPARE(box->isVisible(), l.boxes[i].visible);
                if (l.boxes[i].visible)
                    QCOMPARE(box->geometry(), QRect(l.boxes[i].left, l.boxes[i].top,
                                                    l.boxes[i].width, l.boxes[i].height));
            }
        };
        check(ViewMode::Standard);
        // The headless renderer's sheet puts its panes at the same place in their boxes.
        QWidget* front = f->pane(Pane::Front);
        QCOMPARE(front->geometry(), front->parentWidget()->rect().adjusted(5, 21, -5, -5));
        f->resize(1000, 700);
        QTRY_COMPARE(f->size(), QSize(1000, 700));
        check(ViewMode::Standard);

        child<QToolButton>(f, "ToolButton18")->click();
        QCOMPARE(f->viewMode(), ViewMode::Side);
        QVERIFY(child<QToolButton>(f, "ToolButton18")->isChecked());
        QVERIFY(!child<QToolButton>(f, "ToolButton12")->isChecked());
        f->resize(1100, 800);
        QTRY_COMPARE(f->size(), QSize(1100, 800));
        QCOMPARE(f->viewMode(), ViewMode::Side);
        check(ViewMode::Side);
        // Pressing the pressed button again keeps its mode.
        child<QToolButton>(f, "ToolButton18")->click();
        QVERIFY(child<QToolButton>(f, "ToolButton18")->isChecked());
    }

    void exitQuestion() {
        EditorWindows w(m_dir.path());
        TForm1* f = w.form1.get();
        auto seen = answerNextModal(press(QMessageBox::No));
        f->N5Click();
        QVERIFY(seen->seen);
        QCOMPARE(seen->text, QStringLiteral("Выйти из программы?"));
        QCOMPARE(seen->title, QStringLiteral("Kelmira"));
        QCOMPARE(seen->icon, int(QMessageBox::Information));
        QCOMPARE(seen->defaultButton, int(QMessageBox::No));
        QVERIFY(f->isVisible());

        // Yes leads to the save question; its Cancel keeps the program running.
        std::shared_ptr<ModalSeen> cancel;
        auto yes = answerNextModal([&cancel](QWidget* box) {
            cancel = answerNextModal(press(QMessageBox::Cancel));
            press(QMessageBox::Yes)(box);
        });
        f->N5Click();
        QVERIFY(yes->seen);
        QVERIFY(cancel && cancel->seen);
        QCOMPARE(cancel->text, QStringLiteral("Сохранить файл перед выходом?"));
        QCOMPARE(cancel->defaultButton, int(QMessageBox::Cancel));
        QVERIFY(f->isVisible());
    }

    // CTest runs this under LANG=C: Qt's own texts are Russian all the same, and the questions
    // keep their Russian buttons even when the translation file is missing.
    void qtTextsRussianOnAnyMachine_data() {
        QTest::addColumn<bool>("translation");
        QTest::newRow("with the translation file") << true;
        QTest::newRow("without it") << false;
    }
    void qtTextsRussianOnAnyMachine() {
        QFETCH(bool, translation);
        if (QLocale::system().language() == QLocale::Russian)
            QSKIP("the machine speaks Russian already; run under LANG=C");
        QVERIFY2(m_russian, "qtbase_ru.qm not found (package qt6-translations-l10n)");
        EditorWindows w(m_dir.path());
        if (!translation)
            QCoreApplication::removeTranslator(m_russian);
        QStringList buttons;
        auto question = answerNextModal([&buttons](QWidget* box) {
            for (QAbstractButton* b : static_cast<QMessageBox*>(box)->buttons())
                buttons << b->text();
            press(QMessageBox::No)(box);
        });
        w.form1->N5Click();
        QCoreApplication::installTranslator(m_russian);
        QVERIFY(question->seen);
        buttons.sort();
        QCOMPARE(buttons, QStringList({"&Да", "&Нет"}));
        if (!translation)
            return;

        QStringList texts;
        auto dialog = answerNextModal([&texts](QWidget* d) {
            texts << d->windowTitle();
            for (QLabel* l : d->findChildren<QLabel*>())
                texts << l->text();
            for (QAbstractButton* b : d->findChildren<QAbstractButton*>())
                texts << b->text() << b->toolTip();
            static_cast<QDialog*>(d)->reject();
        });
        w.form1->ToolButton4Click();
        QCOMPARE(dialog->objectName, QStringLiteral("SaveDialog1"));
        const QString shown = texts.join(QStringLiteral(" | "));
        QVERIFY2(!shown.contains(QRegularExpression(QStringLiteral("[A-Za-z]"))),
                 qPrintable(shown));
    }

    void closeQuestion_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closes");
        QTest::newRow("no") << int(QMessageBox::No) << true;
        QTest::newRow("cancel") << int(QMessageBox::Cancel) << false;
        QTest::newRow("yes, dialog cancelled") << int(QMessageBox::Yes) << true;
    }
    void closeQuestion() {
        QFETCH(int, answer);
        QFETCH(bool, closes);
        EditorWindows w(m_dir.path());
        TForm1* f = w.form1.get();
        std::shared_ptr<ModalSeen> dialog;
        auto seen = answerNextModal([&dialog, answer](QWidget* box) {
            if (answer == QMessageBox::Yes)
                dialog = answerNextModal(fileDialogAnswer(QString(), false));
            press(QMessageBox::StandardButton(answer))(box);
        });
        const bool closed = f->close();
        QVERIFY(seen->seen);
        QCOMPARE(seen->icon, int(QMessageBox::Information));
        QCOMPARE(closed, closes);
        if (answer == QMessageBox::Yes) {
            QVERIFY(dialog && dialog->seen);
            QCOMPARE(dialog->objectName, QStringLiteral("SaveDialog1"));
        }
        // Closing wrote the settings file; cancelling did not.
        QCOMPARE(QFile::exists(f->settingsPath()), closes);
        QFile::remove(f->settingsPath());
    }

    void panesClearOpaqueBlack() {
        EditorWindows w(m_dir.path());
        PaneWidget* pane = w.form1->pane(Pane::Front);
        QTest::qWait(200);
        const QImage img = pane->grabFramebuffer();
        QVERIFY(!img.isNull());
        const QColor corner = img.pixelColor(3, 3);
        QCOMPARE(corner.alpha(), 255);
        QCOMPARE(corner.rgb() & 0xFFFFFF, 0u);
        // The board, seen nearly edge-on, shows green somewhere on the middle column.
        bool green = false;
        for (int y = 0; y < img.height() && !green; ++y) {
            const QColor c = img.pixelColor(img.width() / 2, y);
            green = c.green() > 100 && c.red() < 40 && c.blue() < 40;
        }
        QVERIFY(green);
    }

    void editingThroughControls() {
        EditorWindows w(m_dir.path());
        TForm1* f = w.form1.get();
        auto* combo2 = child<QComboBox>(f, "ComboBox2");
        auto* combo1 = child<QComboBox>(f, "ComboBox1");
        combo1->setCurrentIndex(1);
        Q_EMIT combo1->activated(1);
        combo2->setCurrentIndex(1);
        Q_EMIT combo2->activated(1);
        QCOMPARE(combo1->currentIndex(), 0); // picking in one resets the others
        child<QPushButton>(f, "BitBtn2")->click();
        QCOMPARE(combo2->currentIndex(), 0);

        auto* list = child<QListWidget>(f, "ListBox2");
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text(), QStringLiteral("-Резистор"));
        QCOMPARE(list->currentRow(), 0);
        const Board& board = f->editor().board();
        QCOMPARE(board.count(), 1);
        QCOMPARE(board.cell(39, 10, 4), 0);
        QTRY_COMPARE(panelText(f, 1), QStringLiteral("X= -35"));
        QCOMPARE(panelText(f, 2), QStringLiteral("Y= 71"));
        QCOMPARE(panelText(f, 3), QStringLiteral("Z= 2"));

        child<QToolButton>(f, "btnRight")->click(); // step 2 by default
        QCOMPARE(board.detal(0)->X, 37);
        child<QToolButton>(f, "btnVpered")->click(); // forward decreases Z: 2 - 2 = 0 refused
        QCOMPARE(board.detal(0)->Z, 2);
        child<QToolButton>(f, "btnNazad")->click();
        QCOMPARE(board.detal(0)->Z, 4);
        QTRY_COMPARE(panelText(f, 2), QStringLiteral("Y= 69"));
        child<QToolButton>(f, "SpeedButton3")->click();
        QCOMPARE(board.detal(0)->Rot, 1);

        f->findChild<QAction*>(QStringLiteral("N23"))->trigger(); // sensor from the menu
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->currentRow(), 1);
        // Highlight the resistor and delete it: the sensor remains, renumbered from 0.
        list->setCurrentRow(0);
        child<QPushButton>(f, "BitBtn7")->click();
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text(), QStringLiteral("-Датчик"));
        QCOMPARE(board.count(), 1);
        QCOMPARE(board.detal(0)->Kind, 1);
        QCOMPARE(board.cell(39, 10, 4), 0);
        QVERIFY(f->timer1()->isActive());
        QVERIFY(QFile::exists(m_dir.filePath(QStringLiteral("Data/Clear.ini"))));

        child<QPushButton>(f, "BitBtn6")->click();
        QCOMPARE(list->count(), 0);
        QCOMPARE(board.count(), 0);
        QCOMPARE(board.cell(39, 10, 4), -1);
        QVERIFY(panelText(f, 1).isEmpty());
    }

    // What the list shows highlighted is what select, delete and the coordinates act on.
    void listHighlightIsTheEntryActedOn() {
        EditorWindows w(m_dir.path());
        TForm1* f = w.form1.get();
        for (const char* kind : {"N23", "N29"})
            f->findChild<QAction*>(QLatin1String(kind))->trigger();
        auto* list = child<QListWidget>(f, "ListBox2");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          list->visualItemRect(list->item(1)).center());
        QCOMPARE(list->selectedItems(), QList{list->item(1)});
        QCOMPARE(f->editor().highlighted(), 1);
        QTest::keyClick(list, Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(list->selectedItems(), QList{list->item(f->editor().highlighted())});
    }

    void selectMessages() {
        EditorWindows w(m_dir.path());
        TForm1* f = w.form1.get();
        auto empty = answerNextModal(press(QMessageBox::Ok));
        child<QPushButton>(f, "BitBtn5")->click();
        QCOMPARE(empty->text, QStringLiteral("На плате нет размещенных деталей! Список пуст!"));

        f->findChild<QAction*>(QStringLiteral("N29"))->trigger();
        child<QListWidget>(f, "ListBox2")->setCurrentRow(-1);
        auto noHighlight = answerNextModal(press(QMessageBox::Ok));
        child<QPushButton>(f, "BitBtn5")->click();
        QCOMPARE(noHighlight->text, QStringLiteral("List index out of bounds (-1)"));
    }

    void toolbarItemsFollowTicks() {
        EditorWindows w(m_dir.path());
        TForm1* f = w.form1.get();
        auto* item = f->findChild<QAction*>(QStringLiteral("N39"));
        auto* button = child<QToolButton>(f, "ToolButton10");
        QVERIFY(button->isVisible());
        item->trigger();
        QVERIFY(!item->isChecked());
        QTRY_VERIFY_WITH_TIMEOUT(!button->isVisible(), 300);
        item->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(button->isVisible(), 300);

        // A hidden button's command still works from its menu item.
        f->findChild<QAction*>(QStringLiteral("N48"))->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!child<QToolButton>(f, "ToolButton14")->isVisible(), 300);
        f->findChild<QAction*>(QStringLiteral("N42"))->trigger(); // "&Вид спереди"
        QCOMPARE(f->viewMode(), ViewMode::Front);
        // Any other change of a button's visibility is undone at the next tick.
        f->findChild<QAction*>(QStringLiteral("actToolButton3"))->setVisible(false);
        QTRY_VERIFY_WITH_TIMEOUT(child<QToolButton>(f, "ToolButton3")->isVisible(), 300);

        // The ticks are not stored: a new window shows every button.
        EditorWindows again(m_dir.path());
        QTest::qWait(150);
        QVERIFY(child<QToolButton>(again.form1.get(), "ToolButton14")->isVisible());
    }

    // With every item of "&Панель инструментов" unchecked only the 8-pixel separators remain,
    // and neither toolbar changes its height, so the view panes stay where they were.
    void toolbarsKeepTheirShapeWithEveryButtonHidden() {
        EditorWindows w(m_dir.path());
        TForm1* f = w.form1.get();
        auto* bar1 = child<QToolBar>(f, "ToolBar1");
        auto* bar2 = child<QToolBar>(f, "ToolBar2");
        const QRect panel6 = f->panel6()->geometry();
        for (QAction* item : f->findChild<QMenu*>(QStringLiteral("N14"))->actions())
            if (item->isChecked())
                item->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!child<QToolButton>(f, "ToolButton20")->isVisible(), 300);
        QTest::qWait(50);
        QCOMPARE(bar1->height(), 41);
        QCOMPARE(bar2->height(), 29);
        QCOMPARE(f->panel6()->geometry(), panel6);
        const QStringList separators{"ToolButton2",  "btn1",         "ToolButton9", "ToolButton13",
                                     "ToolButton15", "ToolButton17", "ToolButton19"};
        for (QToolBar* bar : {bar1, bar2})
            for (QAction* a : bar->actions()) {
                QWidget* item = bar->widgetForAction(a);
                QCOMPARE(item->isVisible(), separators.contains(item->objectName()));
                if (item->isVisible())
                    QCOMPARE(item->width(), 8);
            }
    }

    void wheelZoomsWhereverThePointerIs() {
        EditorWindows w(m_dir.path());
        TForm1* f = w.form1.get();
        auto* track = child<QSlider>(f, "TrackBar1");
        auto* list = child<QListWidget>(f, "ListBox2");
        auto wheel = [list](int delta) {
            QWheelEvent e(QPointF(5, 5), list->mapToGlobal(QPointF(5, 5)), QPoint(),
                          QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(list->viewport(), &e);
        };
        wheel(60);
        QCOMPARE(track->value(), 25); // half a notch: nothing yet
        wheel(60);
        QCOMPARE(track->value(), 24); // a full notch away from the user zooms in
        wheel(-240);
        QCOMPARE(track->value(), 26);
    }

    // Panes are drawn again only when something they show has changed, each kind of change
    // reaching exactly the panes that show it; the tick is driven by hand here.
    void panesRedrawOnlyWhatChanged() {
        EditorWindows w(m_dir.path());
        TForm1* f = w.form1.get();
        TForm2* form2 = w.form2.get();
        f->timer1()->stop();
        const Pane panes[4] = {Pane::Front, Pane::Side, Pane::Top, Pane::ThreeD};
        int before[4];
        auto snapshot = [&] {
            for (int i = 0; i < 4; ++i)
                before[i] = f->pane(panes[i])->paintCount();
        };
        // Which panes drew since the snapshot: "FST3" letters, '-' for a pane that did not.
        auto drawn = [&] {
            QTest::qWait(60);
            QString s;
            for (int i = 0; i < 4; ++i)
                s += f->pane(panes[i])->paintCount() > before[i] ? QChar(u"FST3"[i]) : u'-';
            return s;
        };
        auto tick = [&] {
            snapshot();
            f->RenderFrame();
            return drawn();
        };
        auto check = [&](const char* name) { return child<QAbstractButton>(form2, name); };
        tick();
        tick();
        QCOMPARE(tick(), QStringLiteral("----"));

        f->editor().AddComponent(11, QStringLiteral("-Резистор"));
        QCOMPARE(tick(), QStringLiteral("FST3"));
        QCOMPARE(tick(), QStringLiteral("----"));
        check("CheckBox1")->click(); // stage
        QCOMPARE(tick(), QStringLiteral("FST3"));
        form2->setPanelColor(2, ColorValue::fromRgb(10, 20, 30)); // board colour
        QCOMPARE(tick(), QStringLiteral("FST3"));
        form2->setPanelColor(6, ColorValue::fromRgb(40, 40, 40)); // background
        QCOMPARE(tick(), QStringLiteral("FST3"));
        check("RadioButton2")->click(); // rotation step
        QCOMPARE(tick(), QStringLiteral("FST3"));
        check("CheckBox9")->click(); // XY plane: the top and 3D panes show it
        QCOMPARE(tick(), QStringLiteral("--T3"));
        form2->setPanelColor(7, ColorValue::fromRgb(200, 0, 0)); // grid colour
        QCOMPARE(tick(), QStringLiteral("--T3"));
        check("CheckBox2")->click(); // presentation: the 3D pane turns at every tick
        QCOMPARE(tick(), QStringLiteral("---3"));
        QCOMPARE(tick(), QStringLiteral("---3"));
        check("CheckBox2")->click();
        tick();
        QCOMPARE(tick(), QStringLiteral("----"));

        QWidget* pane3d = f->pane(Pane::ThreeD);
        QTest::mousePress(pane3d, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
        QMouseEvent move(QEvent::MouseMove, QPointF(30, 24), pane3d->mapToGlobal(QPointF(30, 24)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pane3d, &move);
        QTest::mouseRelease(pane3d, Qt::LeftButton, Qt::NoModifier, QPoint(30, 24));
        QCOMPARE(tick(), QStringLiteral("---3"));
        f->btnZoomInClick();
        QCOMPARE(tick(), QStringLiteral("---3"));

        snapshot();
        f->resize(f->width() + 40, f->height() + 30);
        QTRY_COMPARE(drawn(), QStringLiteral("FST3"));
        QCOMPARE(tick(), QStringLiteral("----"));

        // Hidden panes wait; shown again, they catch up at once, without a tick.
        f->ToolButton20Click();
        f->editor().AddComponent(12, QStringLiteral("-Конденсатор"));
        QCOMPARE(tick(), QStringLiteral("---3"));
        snapshot();
        f->ToolButton12Click();
        QTRY_COMPARE(drawn(), QStringLiteral("FST3"));
    }

    void dragTurnsThe3dCamera() {
        EditorWindows w(m_dir.path());
        TForm1* f = w.form1.get();
        QWidget* pane = f->pane(Pane::ThreeD);
        const double yaw = f->camera().CameraYaw;
        QTest::mousePress(pane, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
        QMouseEvent move(QEvent::MouseMove, QPointF(30, 24), pane->mapToGlobal(QPointF(30, 24)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pane, &move);
        QTest::mouseRelease(pane, Qt::LeftButton, Qt::NoModifier, QPoint(30, 24));
        QCOMPARE(f->camera().CameraYaw, yaw + 10);
        QCOMPARE(f->camera().CameraPitch, 2.0);

        QTest::mousePress(pane, Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
        QCOMPARE(f->cursor().shape(), Qt::SizeAllCursor);
        QTest::mouseRelease(pane, Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
        QCOMPARE(f->cursor().shape(), Qt::SizeHorCursor);
        // The window's own surface only: the controls keep the default arrow.
        QCOMPARE(child<QListWidget>(f, "ListBox2")->viewport()->cursor().shape(), Qt::ArrowCursor);
    }

    // Clicks and drags in the top pane: a click picks the component drawn there, a drag moves
    // it cell by cell until a neighbour stops it, Escape puts it back, and one drag is one step.
    void pickAndDragInTheTopPane() {
        EditorWindows w(m_dir.path());
        TForm1* f = w.form1.get();
        QWidget* top = f->pane(Pane::Top);
        const PaneView view{Pane::Top, f->camera(), f->zoom(), top->size()};
        // Where the centre of the drawn cell (x, 10, 4) of a sensor at origin x - 4 shows.
        auto at = [&](double cellX) {
            const QVector3D p =
                componentsToClip(view).map(QVector3D(float(cellX), 10, 4) * kCellSpacing);
            return QPoint(qRound((p.x() + 1) / 2 * top->width()),
                          qRound((1 - p.y()) / 2 * top->height()));
        };
        auto drag = [&](QPoint from, QPoint to, bool escape) {
            QTest::mousePress(top, Qt::LeftButton, Qt::NoModifier, from);
            QMouseEvent move(QEvent::MouseMove, QPointF(to), top->mapToGlobal(QPointF(to)),
                             Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(top, &move);
            if (escape)
                QTest::keyClick(top, Qt::Key_Escape);
            QTest::mouseRelease(top, Qt::LeftButton, Qt::NoModifier, to);
        };
        auto* sensor = f->findChild<QAction*>(QStringLiteral("N23"));
        sensor->trigger();
        for (int i = 0; i < 3; ++i)
            child<QToolButton>(f, "btnLeft")->click(); // the first one to x 29
        sensor->trigger();                             // the second one at x 35
        const Board& board = f->editor().board();
        QCOMPARE(f->editor().SelDetal(), board.detal(1));

        QTest::mouseClick(top, Qt::LeftButton, Qt::NoModifier, at(33));
        QCOMPARE(f->editor().SelDetal(), board.detal(0));
        QCOMPARE(child<QListWidget>(f, "ListBox2")->currentRow(), 0);
        QTest::mouseClick(top, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2)); // nothing there
        QCOMPARE(f->editor().SelDetal(), board.detal(0));

        drag(at(33), at(28), false); // five cells to the left
        QCOMPARE(board.detal(0)->X, 24);
        drag(at(28), at(41), false); // thirteen to the right: the other one stops it after ten
        QCOMPARE(board.detal(0)->X, 34);
        QVERIFY(!child<QLabel>(f, "DragMessage")->text().isEmpty());
        drag(at(38), at(30), true);
        QCOMPARE(board.detal(0)->X, 34);
        QVERIFY(child<QLabel>(f, "DragMessage")->text().isEmpty());
        QCOMPARE(child<QAction>(f, "UndoItem")->text(), QStringLiteral("&Отменить: перемещение"));
        f->history().undo(f->editor());
        QCOMPARE(board.detal(0)->X, 24);
        f->history().undo(f->editor());
        QCOMPARE(board.detal(0)->X, 29);
    }

    // The Edit menu follows the history; the keys reach the commands through the real window,
    // the arrows move the component only from a focused view pane.
    void undoRedoThroughMenuAndKeys() {
        EditorWindows w(m_dir.path());
        TForm1* f = w.form1.get();
        // Shortcuts need the window active; another test's window on the same display may take
        // that from it at any time, so it is made active again before each key.
        auto key = [f](QWidget* to, Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
            QApplication::setActiveWindow(f);
            QTest::keyClick(to, k, mods);
        };
        QCOMPARE(f->menuBar()->actions().at(1)->text(), QStringLiteral("Правка"));
        auto* undo = child<QAction>(f, "UndoItem");
        auto* redo = child<QAction>(f, "RedoItem");
        auto items = [&] {
            return QStringList{undo->isEnabled() ? undo->text() : QString(),
                               redo->isEnabled() ? redo->text() : QString()};
        };
        QCOMPARE(items(), (QStringList{QString(), QString()}));
        QCOMPARE(child<QAction>(f, "N2")->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
        QCOMPARE(child<QAction>(f, "N1231")->shortcut(), QKeySequence(Qt::Key_Delete));

        f->findChild<QAction*>(QStringLiteral("N23"))->trigger();
        const tDetal* d = f->editor().board().detal(0);
        QWidget* top = f->pane(Pane::Top);
        QApplication::setActiveWindow(f);
        QTest::mouseClick(top, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
        QCOMPARE(QApplication::focusWidget(), top);
        key(top, Qt::Key_Right);
        key(top, Qt::Key_BracketLeft);
        QCOMPARE(d->X, 37);
        QCOMPARE(d->Rot, 1);
        QCOMPARE(items(), (QStringList{QStringLiteral("&Отменить: поворот"), QString()}));

        key(top, Qt::Key_Z, Qt::ControlModifier);
        key(top, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(d->X, 35);
        QCOMPARE(d->Rot, 0);
        QCOMPARE(items(), (QStringList{QStringLiteral("&Отменить: добавление"),
                                       QStringLiteral("&Повторить: перемещение")}));
        key(top, Qt::Key_Y, Qt::ControlModifier);
        key(top, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(d->X, 37);
        QCOMPARE(d->Rot, 1);

        // A clear taken back gives the list and its highlight back.
        f->findChild<QAction*>(QStringLiteral("N29"))->trigger();
        auto* list = child<QListWidget>(f, "ListBox2");
        list->setFocus();
        key(list, Qt::Key_Up);
        QCOMPARE(list->currentRow(), 0);
        QCOMPARE(d->X, 37);
        child<QPushButton>(f, "BitBtn6")->click();
        QCOMPARE(list->count(), 0);
        undo->trigger();
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->currentRow(), 0);
        QTRY_COMPARE(panelText(f, 1), QStringLiteral("X= -33"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
