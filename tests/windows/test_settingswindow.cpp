#include "settings/settingsfile.h"
#include "windows/aboutwindow.h"
#include "windows/help.h"
#include "windows/settingswindow.h"
#include "windows/wrappedcaption.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <functional>

using namespace kelmira;

namespace {

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Runs `inside` on the colour dialog once it is up, then accepts or rejects it.
struct DialogSeen {
    QString name;
    QColor openedOn;
    bool allCustomWhite = false;
};

DialogSeen driveColorDialog(const std::function<void()>& open, const QColor& choose, bool accept) {
    DialogSeen seen;
    bool ran = false;
    std::function<void()> poll;
    poll = [&] {
        auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            QTimer::singleShot(10, poll);
            return;
        }
        ran = true;
        seen.name = dialog->objectName();
        seen.openedOn = dialog->currentColor();
        seen.allCustomWhite = true;
        for (int i = 0; i < QColorDialog::customCount(); ++i)
            seen.allCustomWhite = seen.allCustomWhite && QColorDialog::customColor(i) == Qt::white;
        dialog->setCurrentColor(choose);
        accept ? dialog->accept() : dialog->reject();
    };
    QTimer::singleShot(0, poll);
    open();
    if (!ran)
        seen.name = QStringLiteral("<no dialog>");
    return seen;
}

} // namespace

class TestSettingsWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void designState();
    void colorDialogsOpenOnTheirOwnLastColour_data();
    void colorDialogsOpenOnTheirOwnLastColour();
    void radioButtonsAreOneGroupForTheUser();
    void closingHidesAndKeepsValues();
    void storedPeriodReachesCaptionAndTimerBeforeShow();
    void roundTripThroughTheWindow();
    void aboutWindowIsOneWindowAndButtonHidesIt();
    void helpOpensThePageOnlyWhenPresent();
};

void TestSettingsWindow::designState() {
    TForm2 form2;
    QCOMPARE(form2.objectName(), QStringLiteral("Form2"));
    QCOMPARE(form2.windowTitle(), QStringLiteral("Настройки построения"));
    QVERIFY(form2.windowFlags().testFlag(Qt::Tool));
    QVERIFY(form2.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(!form2.isModal());
    QCOMPARE(form2.minimumSize(), QSize(321, 475));
    QCOMPARE(form2.maximumSize(), QSize(321, 475));

    QVERIFY(form2.values() == StoredSettings{});
    QCOMPARE(form2.moveStep(), 2);

    // The names the main window and the renderer look controls up by.
    const QStringList texts{"CheckBox1", "CheckBox2", "CheckBox4", "CheckBox5",    "CheckBox6",
                            "CheckBox7", "CheckBox8", "CheckBox9", "RadioButton1", "RadioButton2"};
    for (const QString& name : texts) {
        auto* button = form2.findChild<QAbstractButton*>(name);
        QVERIFY2(button, qPrintable(name));
        QVERIFY(button->toolTip().isEmpty());
        QCOMPARE(button->cursor().shape(), Qt::PointingHandCursor);
    }
    QCOMPARE(form2.findChild<QCheckBox*>("CheckBox7")->text(), QStringLiteral("OY"));
    QCOMPARE(form2.findChild<QCheckBox*>("CheckBox4")->text(), QStringLiteral("XZ"));
    for (int p = 1; p <= TForm2::kPanelCount; ++p) {
        auto* panel = form2.findChild<QWidget*>(QStringLiteral("Panel%1").arg(p));
        QVERIFY(panel);
        QCOMPARE(panel->size(), QSize(49, 25));
        QCOMPARE(panel->cursor().shape(), Qt::PointingHandCursor);
    }
    auto* period = form2.findChild<QSlider*>("TrackBar1");
    auto* step = form2.findChild<QSlider*>("TrackBar2");
    QVERIFY(period && step);
    QCOMPARE(std::pair(period->minimum(), period->maximum()), std::pair(20, 120));
    QCOMPARE(std::pair(step->minimum(), step->maximum()), std::pair(1, 5));
    QCOMPARE(form2.findChild<QGroupBox*>("GroupBox10")->title(),
             QStringLiteral("Время обновлений кадров : 50 мсек."));

    QCOMPARE(form2.findChild<QCheckBox*>("CheckBox1")->text(),
             QStringLiteral("Показывать предметный столик"));

    // At the bottom: the frame period above the move step, the rotation beside both.
    const auto box = [&form2](const char* name) {
        return form2.findChild<QGroupBox*>(QLatin1String(name))->geometry();
    };
    QCOMPARE(box("GroupBox10").left(), box("GroupBox11").left());
    QVERIFY(box("GroupBox10").bottom() < box("GroupBox11").top());
    QVERIFY(box("GroupBox12").left() > box("GroupBox10").right());
    QVERIFY(box("GroupBox12").top() <= box("GroupBox10").top());
    QVERIFY(box("GroupBox12").bottom() >= box("GroupBox11").bottom());
    // The frame period's caption is shown whole, with the longest number, inside its group.
    period->setValue(120);
    auto* periodBox = form2.findChild<WrappingGroupBox*>("GroupBox10");
    QCOMPARE(periodBox->titleLines().join(QLatin1Char(' ')), periodBox->title());
    for (const QString& line : periodBox->titleLines())
        QVERIFY2(periodBox->fontMetrics().horizontalAdvance(line) < periodBox->width(),
                 qPrintable(line));
    period->setValue(50);

    // Every control lies inside the window once it is laid out.
    form2.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form2));
    for (QWidget* w : form2.findChildren<QWidget*>()) {
        const QRect r(w->mapTo(&form2, QPoint(0, 0)), w->size());
        QVERIFY2(form2.rect().contains(r), w->metaObject()->className());
    }
}

void TestSettingsWindow::colorDialogsOpenOnTheirOwnLastColour_data() {
    QTest::addColumn<int>("panel");
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QColor>("design");
    QTest::newRow("stage") << 1 << "ColorDialog5" << QColor(128, 128, 128);
    QTest::newRow("board") << 2 << "ColorDialog4" << QColor(0, 128, 0);
    QTest::newRow("OX") << 3 << "ColorDialog1" << QColor(255, 0, 0);
    QTest::newRow("OY") << 4 << "ColorDialog2" << QColor(0, 0, 255);
    QTest::newRow("OZ") << 5 << "ColorDialog3" << QColor(0, 255, 0);
    QTest::newRow("background") << 6 << "ColorDialog6" << QColor(0, 0, 0);
    QTest::newRow("planes") << 7 << "ColorDialog7" << QColor(255, 255, 255);
}

void TestSettingsWindow::colorDialogsOpenOnTheirOwnLastColour() {
    QFETCH(int, panel);
    QFETCH(QString, dialog);
    QFETCH(QColor, design);

    TForm2 form2;
    form2.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form2));
    auto* widget = form2.findChild<QWidget*>(QStringLiteral("Panel%1").arg(panel));
    QVERIFY(widget);
    const auto click = [&] { QTest::mouseClick(widget, Qt::LeftButton); };

    // The settings file gave the panel another colour: the dialog still opens on its own.
    form2.setPanelColor(panel, ColorValue::fromRgb(1, 2, 3));
    const QColor chosen(10, 200, 30);
    DialogSeen seen = driveColorDialog(click, chosen, true);
    QCOMPARE(seen.name, dialog);
    QCOMPARE(seen.openedOn, design);
    QVERIFY(seen.allCustomWhite);
    QCOMPARE(form2.values().panels[panel - 1], ColorValue::fromRgb(10, 200, 30).raw());

    // Next time it opens on the confirmed colour; cancelling changes nothing.
    seen = driveColorDialog(click, QColor(99, 99, 99), false);
    QCOMPARE(seen.openedOn, chosen);
    QCOMPARE(form2.values().panels[panel - 1], ColorValue::fromRgb(10, 200, 30).raw());
    QCOMPARE(driveColorDialog(click, QColor(99, 99, 99), false).openedOn, chosen);

    // The other dialogs are untouched by this one.
    const int other = panel % TForm2::kPanelCount + 1;
    auto* otherWidget = form2.findChild<QWidget*>(QStringLiteral("Panel%1").arg(other));
    seen = driveColorDialog([&] { QTest::mouseClick(otherWidget, Qt::LeftButton); }, chosen, false);
    QVERIFY(seen.openedOn != chosen);
}

void TestSettingsWindow::radioButtonsAreOneGroupForTheUser() {
    TForm2 form2;
    form2.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form2));
    StoredSettings neither = form2.values();
    neither.radioButton1 = neither.radioButton2 = false;
    form2.applyValues(neither);
    QCOMPARE(form2.values().rotationStep(), 0);

    auto* r1 = form2.findChild<QRadioButton*>("RadioButton1");
    auto* r2 = form2.findChild<QRadioButton*>("RadioButton2");
    QTest::mouseClick(r2, Qt::LeftButton, {}, QPoint(8, r2->height() / 2));
    QCOMPARE(form2.values().rotationStep(), 90);
    QTest::mouseClick(r1, Qt::LeftButton, {}, QPoint(8, r1->height() / 2));
    QVERIFY(r1->isChecked() && !r2->isChecked());
    QCOMPARE(form2.values().rotationStep(), 45);
}

void TestSettingsWindow::closingHidesAndKeepsValues() {
    TForm2 form2;
    form2.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form2));
    form2.findChild<QSlider*>("TrackBar2")->setValue(5);
    form2.setPanelColor(TForm2::BoardPanel, ColorValue::fromRgb(9, 9, 9));
    QVERIFY(form2.close());
    QVERIFY(!form2.isVisible());
    form2.show();
    QCOMPARE(form2.moveStep(), 5);
    QCOMPARE(form2.values().panels[TForm2::BoardPanel - 1], ColorValue::fromRgb(9, 9, 9).raw());
}

void TestSettingsWindow::storedPeriodReachesCaptionAndTimerBeforeShow() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Settings.ini"));
    QVERIFY(writeAll(path, "[Form2]\nTrackBar1=80\n"));
    IniFile ini(path);
    TForm2 form2;
    QSignalSpy spy(&form2, &TForm2::frameIntervalChanged);
    form2.applyValues(loadSettings(ini, form2.values()));

    QVERIFY(!form2.isVisible());
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), 80);
    QCOMPARE(form2.values().trackBar1, 80);
    auto* box = form2.findChild<QGroupBox*>(QStringLiteral("GroupBox10"));
    QVERIFY(box);
    QCOMPARE(box->title(), QStringLiteral("Время обновлений кадров : 80 мсек."));
}

void TestSettingsWindow::roundTripThroughTheWindow() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Settings.ini"));

    TForm2 first;
    first.show();
    QVERIFY(QTest::qWaitForWindowExposed(&first));
    // Flip every check box by clicking it, as a user would.
    for (int n : {1, 2, 4, 5, 6, 7, 8, 9}) {
        auto* box = first.findChild<QCheckBox*>(QStringLiteral("CheckBox%1").arg(n));
        QVERIFY2(box, qPrintable(QString::number(n)));
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    }
    for (int p = 1; p <= TForm2::kPanelCount; ++p)
        first.setPanelColor(p, ColorValue::fromRgb(p * 10, p * 20, p * 30));
    // A system colour goes back to the file as the same number.
    first.setPanelColor(TForm2::BackgroundPanel, ColorValue::system(5));
    first.findChild<QSlider*>(QStringLiteral("TrackBar1"))->setValue(97);
    first.findChild<QSlider*>(QStringLiteral("TrackBar2"))->setValue(4);
    QTest::mouseClick(first.findChild<QRadioButton*>(QStringLiteral("RadioButton2")),
                      Qt::LeftButton, {}, QPoint(8, 8));
    QCOMPARE(first.values().rotationStep(), 90);

    IniFile ini(path);
    QCOMPARE(saveSettings(ini, first.values()), QString());

    TForm2 second;
    IniFile again(path);
    second.applyValues(loadSettings(again, second.values()));

    const StoredSettings a = first.values();
    const StoredSettings b = second.values();
    QVERIFY(!a.checkBox1 && a.checkBox2 && a.checkBox4 && !a.checkBox5 && a.checkBox9);
    QVERIFY(a == b);
    QCOMPARE(b.panels[TForm2::BackgroundPanel - 1], ColorValue::system(5).raw());
    QCOMPARE(b.trackBar1, 97);
    QCOMPARE(second.moveStep(), 4);
    QCOMPARE(b.rotationStep(), 90);

    // "Neither" survives a round trip too.
    StoredSettings neither = b;
    neither.radioButton1 = neither.radioButton2 = false;
    second.applyValues(neither);
    QCOMPARE(second.values().rotationStep(), 0);
    QCOMPARE(saveSettings(again, second.values()), QString());
    TForm2 third;
    IniFile once_more(path);
    third.applyValues(loadSettings(once_more, third.values()));
    QCOMPARE(third.values().rotationStep(), 0);
}

void TestSettingsWindow::aboutWindowIsOneWindowAndButtonHidesIt() {
    TForm3 form3;
    QCOMPARE(form3.windowTitle(), QStringLiteral("О программе"));
    QCOMPARE(form3.minimumSize(), QSize(421, 330));
    QCOMPARE(form3.maximumSize(), QSize(421, 330));
    QVERIFY(form3.windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    auto* image = form3.findChild<QLabel*>("Image1");
    QVERIFY(image);
    QVERIFY(image->hasScaledContents());
    QCOMPARE(image->geometry(), form3.rect());
    const QPixmap picture(TForm3::pictureResource());
    QCOMPARE(picture.size(), QSize(640, 480));
    QVERIFY(!image->pixmap().isNull());

    auto* name = form3.findChild<QLabel*>("Label1");
    QCOMPARE(name->text(), QStringLiteral("Kelmira"));
    QCOMPARE(name->pos(), QPoint(72, 8));
    QCOMPARE(name->font().pixelSize(), 19);
    auto* button = form3.findChild<QPushButton*>("Button1");
    QCOMPARE(button->text(), QStringLiteral("ОК"));
    QCOMPARE(button->geometry(), QRect(160, 240, 97, 25));

    const auto countShownAbout = [] {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            n += w->objectName() == QLatin1String("Form3") && w->isVisible();
        return n;
    };
    form3.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form3));
    form3.show();
    form3.raise();
    QCOMPARE(countShownAbout(), 1);
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(!form3.isVisible());
    QCOMPARE(countShownAbout(), 0);
    form3.show();
    QVERIFY(form3.isVisible());
}

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl& url) { urls.append(url); }
};

void TestSettingsWindow::helpOpensThePageOnlyWhenPresent() {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString cwd = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));

    const bool openedMissing = openHelp();
    QVERIFY(QDir().mkpath(QStringLiteral("help")));
    QFile page(QStringLiteral("help/index.html"));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.close();
    const bool openedPresent = openHelp();

    QDir::setCurrent(cwd);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QVERIFY(!openedMissing);
    QVERIFY(openedPresent);
    QCOMPARE(catcher.urls.size(), 1);
    QCOMPARE(QFileInfo(catcher.urls.at(0).toLocalFile()).canonicalFilePath(),
             QFileInfo(dir.filePath(QStringLiteral("help/index.html"))).canonicalFilePath());
}

QTEST_MAIN(TestSettingsWindow)
#include "test_settingswindow.moc"
