#include "settings/settingsfile.h"

#include <QDir>
#include <QFile>
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
    void rotationStepFollowsTheRadioButtons();
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
    const StoredSettings values = loadSettings(ini, StoredSettings{}); // no file: nothing changes
    QCOMPARE(saveSettings(ini, values), QString());
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

void TestSettingsFile::rotationStepFollowsTheRadioButtons() {
    StoredSettings s;
    QCOMPARE(s.rotationStep(), 45);
    s.radioButton1 = false;
    QCOMPARE(s.rotationStep(), 0);
    s.radioButton2 = true;
    QCOMPARE(s.rotationStep(), 90);
}

void TestSettingsFile::saveKeepsOtherContent() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Settings.ini"));
    const QByteArray before = "; kept\r\n[Extra]\r\nName=value\r\n[form2]\r\nTrackBar1=500\r\n";
    QVERIFY(writeAll(path, before));

    IniFile ini(path);
    const StoredSettings values = loadSettings(ini, StoredSettings{});
    QCOMPARE(values.trackBar1, 120);
    // Someone edits the file while the program runs: the save starts from the file as it is.
    QVERIFY(writeAll(path, before + "[Late]\r\nX=1\r\n"));
    QCOMPARE(saveSettings(ini, values), QString());

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

    StoredSettings values;
    values.trackBar1 = 100;
    IniFile ini(path);
    const QString message = saveSettings(ini, values);
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
