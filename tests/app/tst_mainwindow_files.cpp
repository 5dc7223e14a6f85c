// The main window's file commands through their real dialogs: project load and save, the
// screenshot, the saved picture, the window colour and the about window.
#include "app/mainwindow.h"
#include "editorwindows.h"
#include "modalhelper.h"
#include "windows/aboutwindow.h"
#include "windows/settingswindow.h"

#include <QAction>
#include <QColorDialog>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace kelmira;

namespace {

quint16 bmpBitCount(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray h = f.read(30);
    if (h.size() < 30 || !h.startsWith("BM"))
        return 0;
    return quint16(uchar(h[28]) | uchar(h[29]) << 8);
}

} // namespace

class TestMainWindowFiles : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    // Closes the window answering No to the save question, which writes the settings file.
    static void closeWithoutSaving(TForm1* f) {
        auto seen = answerNextModal(press(QMessageBox::No));
        QVERIFY(f->close());
        QVERIFY(seen->seen);
    }

private Q_SLOTS:
    void projectSaveAndLoadThroughDialogs() {
        const QString folder = m_dir.filePath(QStringLiteral("project"));
        EditorWindows w(folder);
        TForm1* f = w.form1.get();
        f->findChild<QAction*>(QStringLiteral("N29"))->trigger(); // resistor
        f->findChild<QAction*>(QStringLiteral("N63"))->trigger(); // display
        const QString plan = folder + QStringLiteral("/plan");

        auto dialog = answerNextModal([plan](QWidget* d) { fileDialogAnswer(plan)(d); });
        std::shared_ptr<ModalSeen> done;
        QTimer::singleShot(0, [&done] { done = answerNextModal(press(QMessageBox::Ok)); });
        f->ToolButton4Click();
        QVERIFY(dialog->seen);
        QCOMPARE(dialog->objectName, QStringLiteral("SaveDialog1"));
        QVERIFY(done && done->seen);
        QCOMPARE(done->text, QStringLiteral("Данные успешно сохранены!"));
        QFile saved(plan + QStringLiteral(".kelmar"));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(
            saved.readAll(),
            QByteArray("2\r\n35\r\n5\r\n2\r\n1\r\n11\r\n0\r\n35\r\n5\r\n2\r\n1\r\n9\r\n0\r\n"));

        f->BitBtn6Click();
        QCOMPARE(f->editor().board().count(), 0);

        auto openDialog = answerNextModal(fileDialogAnswer(plan + QStringLiteral(".kelmar")));
        std::shared_ptr<ModalSeen> loaded;
        QTimer::singleShot(0, [&loaded] { loaded = answerNextModal(press(QMessageBox::Ok)); });
        f->ToolButton3Click();
        QCOMPARE(openDialog->objectName, QStringLiteral("OpenDialog1"));
        QVERIFY(loaded && loaded->seen);
        QCOMPARE(loaded->text, QStringLiteral("Данные успешно загружены!"));
        auto* list = f->findChild<QListWidget*>(QStringLiteral("ListBox2"));
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(1)->text(), QStringLiteral("-Дисплей"));
        QCOMPARE(f->editor().highlighted(), -1);
        QVERIFY(!f->editor().SelDetal());
        QTest::qWait(200);
        f->grab().save(QStringLiteral("editor_loaded.png")); // a look, kept beside the test
    }

    void screenshotNeedsItsFolder() {
        const QString folder = m_dir.filePath(QStringLiteral("shots"));
        EditorWindows w(folder);
        TForm1* f = w.form1.get();
        // Without Saves/Screenshots the program does not create it: an error names the file.
        auto error = answerNextModal(press(QMessageBox::Ok));
        f->N4Click();
        QVERIFY(error->seen);
        QVERIFY2(error->text.contains(QStringLiteral("Screenshot")), qPrintable(error->text));
        QVERIFY(!QDir(folder + QStringLiteral("/Saves")).exists());

        QVERIFY(QDir(folder).mkpath(QStringLiteral("Saves/Screenshots")));
        auto ok = answerNextModal(press(QMessageBox::Ok));
        f->N4Click();
        QCOMPARE(ok->text, QStringLiteral("Изображение сохранено в папку Saves\\Screenshots !"));
        const QStringList files = QDir(folder + QStringLiteral("/Saves/Screenshots"))
                                      .entryList({QStringLiteral("Screenshot*.bmp")});
        QCOMPARE(files.size(), 1);
        const QString shot = folder + QStringLiteral("/Saves/Screenshots/") + files.first();
        QCOMPARE(QImageReader(shot).size(), f->frameGeometry().size());
    }

    void savedImageTypesAndCancel_data() {
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::newRow("bmp") << 2 << "view"
                             << "view.bmp";
        QTest::newRow("bmp twice") << 2 << "view.bmp"
                                   << "view.bmp.bmp";
        QTest::newRow("jpg") << 0 << "view"
                             << "view.jpg";
        QTest::newRow("jpeg") << 1 << "view"
                              << "view.jpeg";
    }
    void savedImageTypesAndCancel() {
        QFETCH(int, filter);
        QFETCH(QString, typed);
        QFETCH(QString, written);
        const QString folder =
            m_dir.filePath(QStringLiteral("images_%1").arg(QTest::currentDataTag()));
        EditorWindows w(folder);
        TForm1* f = w.form1.get();
        QTest::qWait(150);

        // Cancel writes nothing and says nothing.
        auto cancelled = answerNextModal(fileDialogAnswer(QString(), false));
        f->N21Click();
        QCOMPARE(cancelled->objectName, QStringLiteral("dlg1"));
        QVERIFY(!QApplication::activeModalWidget());

        auto dialog = answerNextModal([&](QWidget* d) {
            auto* fd = qobject_cast<QFileDialog*>(d);
            QVERIFY(fd);
            QCOMPARE(fd->selectedNameFilter(), QStringLiteral("JPEG Image File (*.jpg)"));
            fd->selectNameFilter(fd->nameFilters().at(filter));
            fileDialogAnswer(folder + QLatin1Char('/') + typed)(d);
        });
        f->N21Click();
        QVERIFY(dialog->seen);
        const QString path = folder + QLatin1Char('/') + written;
        QVERIFY2(QFile::exists(path), qPrintable(path));
        QImageReader reader(path);
        QCOMPARE(reader.size(), f->panel6()->size());
        if (written.endsWith(QStringLiteral(".bmp")))
            QCOMPARE(bmpBitCount(path), quint16(24));
        else
            QCOMPARE(reader.format(), QByteArray("jpeg"));
    }

    void windowColourIsStoredAndCancelKeepsIt() {
        const QString folder = m_dir.filePath(QStringLiteral("colour"));
        {
            EditorWindows w(folder);
            TForm1* f = w.form1.get();
            auto cancel = answerNextModal([](QWidget* d) { qobject_cast<QDialog*>(d)->reject(); });
            const QColor before = f->palette().color(QPalette::Window);
            f->N55Click();
            QVERIFY(cancel->seen);
            QCOMPARE(f->palette().color(QPalette::Window), before);

            auto pick = answerNextModal([](QWidget* d) {
                auto* cd = qobject_cast<QColorDialog*>(d);
                QVERIFY(cd);
                QCOMPARE(cd->currentColor(), QColor(Qt::white)); // first opening: white
                cd->setCurrentColor(QColor(255, 0, 0));
                cd->accept();
            });
            f->N55Click();
            QVERIFY(pick->seen);
            QCOMPARE(f->palette().color(QPalette::Window), QColor(255, 0, 0));
            auto* scroll = f->findChild<QScrollArea*>(QStringLiteral("ScrollBox1"));
            QCOMPARE(scroll->palette().color(QPalette::Window), QColor(255, 0, 0));
            closeWithoutSaving(f);
        }
        QFile ini(folder + QStringLiteral("/Data/Settings.ini"));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QByteArray text = ini.readAll();
        QVERIFY(text.contains("Form1Color=255"));
        QVERIFY(text.contains("ScrollBox1Color=255"));

        EditorWindows again(folder);
        QCOMPARE(again.form1->palette().color(QPalette::Window), QColor(255, 0, 0));
    }

    void unwritableSettingsAreReportedAndTheProgramEnds() {
        const QString folder = m_dir.filePath(QStringLiteral("readonly"));
        QDir(folder).mkpath(QStringLiteral("Data"));
        const QString ini = folder + QStringLiteral("/Data/Settings.ini");
        const QByteArray old("[Form2]\nTrackBar2=4\n");
        {
            QFile f(ini);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(old);
        }
        QFile::setPermissions(folder + QStringLiteral("/Data"),
                              QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        QFile::setPermissions(ini, QFileDevice::ReadOwner);
        {
            EditorWindows w(folder);
            TForm1* f = w.form1.get();
            QCOMPARE(w.form2->moveStep(), 4);
            w.form2->findChild<QSlider*>(QStringLiteral("TrackBar2"))->setValue(1);
            std::shared_ptr<ModalSeen> error;
            auto question = answerNextModal([&error](QWidget* box) {
                error = answerNextModal(press(QMessageBox::Ok));
                press(QMessageBox::No)(box);
            });
            QVERIFY(f->close()); // the program still ends
            QVERIFY(question->seen);
            QVERIFY(error && error->seen);
            QCOMPARE(error->text, QStringLiteral("Unable to write to %1").arg(ini));
        }
        QFile::setPermissions(folder + QStringLiteral("/Data"), QFileDevice::ReadOwner |
                                                                    QFileDevice::WriteOwner |
                                                                    QFileDevice::ExeOwner);
        QFile::setPermissions(ini, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QFile f(ini);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), old);
    }

    void aboutWindowIsOneWindow() {
        EditorWindows w(m_dir.filePath(QStringLiteral("about")));
        TForm1* f = w.form1.get();
        f->N9Click();
        f->N9Click();
        QTRY_VERIFY(w.form3->isVisible());
        int shown = 0;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (qobject_cast<TForm3*>(top) && top->isVisible())
                ++shown;
        QCOMPARE(shown, 1);
        QCOMPARE(w.form3->windowTitle(), QStringLiteral("О программе"));
        w.form3->grab().save(QStringLiteral("about_window.png")); // a look, kept beside the test
        w.form3->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
        QVERIFY(!w.form3->isVisible());
        QVERIFY(f->isVisible());
        f->findChild<QAction*>(QStringLiteral("N23"))->trigger(); // still usable
        QCOMPARE(f->editor().board().count(), 1);
    }

    void settingsWindowFromToolbar() {
        EditorWindows w(m_dir.filePath(QStringLiteral("settings")));
        TForm1* f = w.form1.get();
        f->findChild<QWidget*>(QStringLiteral("ToolButton8"))->setFocus();
        f->N3D2Click();
        QTRY_VERIFY(w.form2->isVisible());
        QVERIFY(!w.form2->isModal());
        w.form2->grab().save(QStringLiteral("settings_window.png")); // a look, kept beside the test
        // The move step of the settings window drives the move buttons.
        f->findChild<QAction*>(QStringLiteral("N23"))->trigger();
        auto* step = w.form2->findChild<QSlider*>(QStringLiteral("TrackBar2"));
        step->setValue(5);
        f->findChild<QWidget*>(QStringLiteral("btnRight"))
            ->metaObject()
            ->invokeMethod(f->findChild<QWidget*>(QStringLiteral("btnRight")), "click");
        QCOMPARE(f->editor().board().detal(0)->X, 40);
    }
};

QTEST_MAIN(TestMainWindowFiles)
#include "tst_mainwindow_files.moc"
