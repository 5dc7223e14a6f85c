#include "settingsfile.h"
#include "settingswindow.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

using namespace kelmira;

Q_DECLARE_METATYPE(kelmira::StoredSettings)

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

const QByteArray kFreshFile = "[Form1]\n"
                              "Form1Color=-2147483633\n"
                              "ScrollBox1Color=-2147483633\n"
                              "[Form2]\n"
                              "CheckBox1=1\n"
                              "CheckBox2=0\n"
                              "CheckBox5=1\n"
                              "CheckBox7=1\n"
                              "CheckBox6=1\n"
                              "CheckBox9=0\n"
                              "CheckBox8=0\n"
                              "CheckBox4=0\n"
                              "Panel1=8421504\n"
                              "Panel2=32768\n"
                              "Panel3=255\n"
                              "Panel4=16711680\n"
                              "Panel5=65280\n"
                              "Panel6=0\n"
                              "Panel7=16777215\n"
                              "TrackBar1=50\n"
                              "TrackBar2=2\n"
                              "RadioButton1=1\n"
                              "RadioButton2=0\n";

} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void freshRunWritesDesignValues();
    void readSettles_data();
    void readSettles();
    void storedPeriodReachesCaptionAndTimerBeforeShow();
    void roundTripThroughTheWindow();
    void saveKeepsOtherContent();
    void unwritableFileIsReported_data();
    void unwritableFileIsReported();
    void pathFollowsTheProgramNotTheWorkingDirectory();
};

void TestSettingsFile::freshRunWritesDesignValues() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Settings.ini"));
    IniFile ini(path);
    TForm2 form2;
    qint32 form1 = ColorValue::buttonFace().raw();
    qint32 scrollBox = form1;
    loadSettings(ini, form2, form1, scrollBox); // no file: nothing changes
    QCOMPARE(saveSettings(ini, form2, form1, scrollBox), QString());
    QCOMPARE(readAll(path), kFreshFile);
}

void TestSettingsFile::readSettles_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<StoredSettings>("current");
    QTest::addColumn<StoredSettings>("expected");

    const StoredSettings design;
    StoredSettings s;

    QTest::newRow("no file keeps everything") << QByteArray() << design << design;
    QTest::newRow("garbage keeps everything") << QByteArray("\0\xff[[\n=\n", 7) << design << design;

    s = design;
    s.trackBar1 = 120;
    QTest::newRow("period above range") << QByteArray("[Form2]\nTrackBar1=500\n") << design << s;
    s.trackBar1 = 20;
    QTest::newRow("period below range") << QByteArray("[Form2]\nTrackBar1=10\n") << design << s;
    s = design;
    s.trackBar2 = 5;
    QTest::newRow("step above range") << QByteArray("[Form2]\nTrackBar2=9\n") << design << s;
    s.trackBar2 = 1;
    QTest::newRow("step below range")
        << QByteArray("[Form2]\nTrackBar2=-2147483648\n") << design << s;

    s = design;
    s.radioButton1 = false;
    s.radioButton2 = true;
    QTest::newRow("both radio buttons 1: the second wins")
        << QByteArray("[Form2]\nRadioButton1=1\nRadioButton2=1\n") << design << s;
    s.radioButton2 = false;
    QTest::newRow("both radio buttons 0: neither")
        << QByteArray("[Form2]\nRadioButton1=0\nRadioButton2=0\n") << design << s;
    QTest::newRow("first unchecked, second missing: neither")
        << QByteArray("[Form2]\nRadioButton1=0\n") << design << s;
    StoredSettings ninety = design;
    ninety.radioButton1 = false;
    ninety.radioButton2 = true;
    QTest::newRow("first checked unchecks the current second, second missing")
        << QByteArray("[Form2]\nRadioButton1=1\n") << ninety << design;

    s = design;
    s.panels[1] = 0x123456;
    QTest::newRow("a colour that is not a number keeps the current colour")
        << QByteArray("[Form2]\nPanel1=grey\nPanel2=$123456\n") << design << s;
    s = design;
    s.form1Color = 255;
    s.checkBox2 = true;
    s.checkBox1 = false;
    QTest::newRow("names ignore case")
        << QByteArray("[form1]\nFORM1COLOR=255\n[FORM2]\ncheckbox2=7\nCheckBox1=0\n") << design
        << s;
    StoredSettings other = design;
    other.checkBox9 = true;
    other.panels[6] = 42;
    other.trackBar1 = 33;
    QTest::newRow("missing keys keep the current values, not the design ones")
        << QByteArray("[Form2]\nCheckBox1=1\n") << other << other;
}

void TestSettingsFile::readSettles() {
    QFETCH(QByteArray, file);
    QFETCH(StoredSettings, current);
    QFETCH(StoredSettings, expected);
    IniFile ini;
    ini.setContent(file);
    const StoredSettings got = readStoredSettings(ini, current);
    QCOMPARE(got.trackBar1, expected.trackBar1);
    QCOMPARE(got.trackBar2, expected.trackBar2);
    QCOMPARE(got.radioButton1, expected.radioButton1);
    QCOMPARE(got.radioButton2, expected.radioButton2);
    QVERIFY(got == expected);
}

void TestSettingsFile::storedPeriodReachesCaptionAndTimerBeforeShow() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Settings.ini"));
    QVERIFY(writeAll(path, "[Form2]\nTrackBar1=80\n"));
    IniFile ini(path);
    TForm2 form2;
    QSignalSpy spy(&form2, &TForm2::frameIntervalChanged);
    qint32 a = 0, b = 0;
    loadSettings(ini, form2, a, b);

    QVERIFY(!form2.isVisible());
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), 80);
    QCOMPARE(form2.frameInterval(), 80);
    auto* box = form2.findChild<QGroupBox*>(QStringLiteral("GroupBox10"));
    QVERIFY(box);
    QCOMPARE(box->title(), QStringLiteral("Время обновлений кадров : 80 мсек."));
}

void TestSettingsFile::roundTripThroughTheWindow() {
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
    QCOMPARE(first.rotationStep(), 90);

    IniFile ini(path);
    QCOMPARE(saveSettings(ini, first, 0x00ABCDEF, ColorValue::system(12).raw()), QString());

    TForm2 second;
    qint32 form1 = ColorValue::buttonFace().raw();
    qint32 scrollBox = form1;
    IniFile again(path);
    loadSettings(again, second, form1, scrollBox);
    QCOMPARE(form1, 0x00ABCDEF);
    QCOMPARE(scrollBox, ColorValue::system(12).raw());

    const StoredSettings a = first.values();
    const StoredSettings b = second.values();
    QVERIFY(!a.checkBox1 && a.checkBox2 && a.checkBox4 && !a.checkBox5 && a.checkBox9);
    QVERIFY(a == b);
    QCOMPARE(second.panelColor(TForm2::BackgroundPanel), ColorValue::system(5));
    QCOMPARE(second.frameInterval(), 97);
    QCOMPARE(second.moveStep(), 4);
    QCOMPARE(second.rotationStep(), 90);

    // "Neither" survives a round trip too.
    StoredSettings neither = b;
    neither.radioButton1 = neither.radioButton2 = false;
    second.applyValues(neither);
    QCOMPARE(second.rotationStep(), 0);
    QCOMPARE(saveSettings(again, second, form1, scrollBox), QString());
    TForm2 third;
    IniFile once_more(path);
    loadSettings(once_more, third, form1, scrollBox);
    QCOMPARE(third.rotationStep(), 0);
}

void TestSettingsFile::saveKeepsOtherContent() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Settings.ini"));
    const QByteArray before = "; kept\r\n[Extra]\r\nName=value\r\n[form2]\r\nTrackBar1=500\r\n";
    QVERIFY(writeAll(path, before));

    IniFile ini(path);
    TForm2 form2;
    qint32 a = ColorValue::buttonFace().raw(), b = a;
    loadSettings(ini, form2, a, b);
    QCOMPARE(form2.frameInterval(), 120);
    // Someone edits the file while the program runs: the save starts from the file as it is.
    QVERIFY(writeAll(path, before + "[Late]\r\nX=1\r\n"));
    QCOMPARE(saveSettings(ini, form2, a, b), QString());

    const QByteArray after = readAll(path);
    QVERIFY(after.startsWith("; kept\r\n[Extra]\r\nName=value\r\n[form2]\r\nTrackBar1=120\r\n"));
    QVERIFY(after.contains("[Late]\r\nX=1\r\n[Form1]\r\nForm1Color=-2147483633\r\n"));
    QVERIFY(!after.contains("\n\n"));
    QVERIFY(!QByteArray(after).replace("\r\n", "").contains('\n'));
}

void TestSettingsFile::unwritableFileIsReported_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("no Data folder") << "missing";
    QTest::newRow("read-only file") << "file";
    QTest::newRow("read-only Data folder") << "folder";
}

void TestSettingsFile::unwritableFileIsReported() {
    QFETCH(QString, how);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("Data"));
    const QString path = folder + QStringLiteral("/Settings.ini");
    const QByteArray old = "[Form2]\nTrackBar1=60\n";
    if (how != QLatin1String("missing")) {
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(writeAll(path, old));
    }
    if (how == QLatin1String("file"))
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
    if (how == QLatin1String("folder"))
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));

    TForm2 form2;
    form2.findChild<QSlider*>(QStringLiteral("TrackBar1"))->setValue(100);
    IniFile ini(path);
    const QString message = saveSettings(ini, form2, 0, 0);
    QCOMPARE(message, QStringLiteral("Unable to write to ") + QDir::toNativeSeparators(path));
    if (how == QLatin1String("missing"))
        QVERIFY(!QFileInfo::exists(folder));
    else
        QCOMPARE(readAll(path), old);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestSettingsFile::pathFollowsTheProgramNotTheWorkingDirectory() {
    const QString before = settingsFilePath();
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString cwd = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    const QString during = settingsFilePath();
    QDir::setCurrent(cwd);
    QCOMPARE(during, before);
    QCOMPARE(QFileInfo(before).absolutePath(),
             QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Data")));
}

QTEST_MAIN(TestSettingsFile)
#include "test_settingsfile.moc"
