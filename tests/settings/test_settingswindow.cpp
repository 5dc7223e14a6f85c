#include "aboutwindow.h"
#include "help.h"
#include "settingswindow.h"
#include "wrappedcaption.h"

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
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <functional>

using namespace kelmira;

namespace {

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

    QVERIFY(form2.stageShown() && !form2.presentationMode());
    QVERIFY(form2.axisXShown() && form2.axisYShown() && form2.axisZShown());
    QVERIFY(!form2.planeXYShown() && !form2.planeYZShown() && !form2.planeXZShown());
    QCOMPARE(form2.frameInterval(), 50);
    QCOMPARE(form2.moveStep(), 2);
    QCOMPARE(form2.rotationStep(), 45);
    QCOMPARE(form2.panelQColor(TForm2::StagePanel), QColor(128, 128, 128));
    QCOMPARE(form2.panelQColor(TForm2::PlanePanel), QColor(255, 255, 255));

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
    QCOMPARE(QPair(period->minimum(), period->maximum()), QPair(20, 120));
    QCOMPARE(QPair(step->minimum(), step->maximum()), QPair(1, 5));
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
    QCOMPARE(form2.panelQColor(panel), chosen);
    QCOMPARE(form2.panelColor(panel), ColorValue::fromRgb(10, 200, 30));

    // Next time it opens on the confirmed colour; cancelling changes nothing.
    seen = driveColorDialog(click, QColor(99, 99, 99), false);
    QCOMPARE(seen.openedOn, chosen);
    QCOMPARE(form2.panelQColor(panel), chosen);
    QCOMPARE(form2.dialogColor(panel), chosen);

    // The other dialogs are untouched by this one.
    const int other = panel % TForm2::kPanelCount + 1;
    QVERIFY(form2.dialogColor(other) != chosen);
}

void TestSettingsWindow::radioButtonsAreOneGroupForTheUser() {
    TForm2 form2;
    form2.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form2));
    StoredSettings neither = form2.values();
    neither.radioButton1 = neither.radioButton2 = false;
    form2.applyValues(neither);
    QCOMPARE(form2.rotationStep(), 0);

    auto* r1 = form2.findChild<QRadioButton*>("RadioButton1");
    auto* r2 = form2.findChild<QRadioButton*>("RadioButton2");
    QTest::mouseClick(r2, Qt::LeftButton, {}, QPoint(8, r2->height() / 2));
    QCOMPARE(form2.rotationStep(), 90);
    QTest::mouseClick(r1, Qt::LeftButton, {}, QPoint(8, r1->height() / 2));
    QVERIFY(r1->isChecked() && !r2->isChecked());
    QCOMPARE(form2.rotationStep(), 45);
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
    QCOMPARE(form2.panelColor(TForm2::BoardPanel), ColorValue::fromRgb(9, 9, 9));
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
