#include "settings/colorvalue.h"
#include "settings/ini.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace kelmira;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

class TestIni : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readInteger_data();
    void readInteger();
    void readBool_data();
    void readBool();
    void write_data();
    void write();
    void valueCannotBreakTheLine();
    void saveAndLoadKeepBytes();
    void failedSaveKeepsOldFile_data();
    void failedSaveKeepsOldFile();
    void oversizedFileIsNeitherReadNorReplaced();
    void colorValues_data();
    void colorValues();
};

void TestIni::readInteger_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("expected");

    const QString s = QStringLiteral("Form2");
    const QString k = QStringLiteral("Panel1");
    auto value = [](const char* v) { return QByteArray("[Form2]\nPanel1=") + v + "\n"; };
    // Default is 7 throughout.
    QTest::newRow("decimal") << value("255") << s << k << 255;
    QTest::newRow("negative") << value("-2147483633") << s << k << -2147483633;
    QTest::newRow("plus sign") << value("+12") << s << k << 12;
    QTest::newRow("blanks around") << value(" \t 42 \t") << s << k << 42;
    QTest::newRow("blanks around =") << QByteArray("[Form2]\n  Panel1  =  9\n") << s << k << 9;
    QTest::newRow("quoted") << value("\"5\"") << s << k << 5;
    QTest::newRow("hex $") << value("$FF") << s << k << 255;
    QTest::newRow("hex 0x") << value("0x00ff00") << s << k << 65280;
    QTest::newRow("hex 0X") << value("0X10") << s << k << 16;
    QTest::newRow("hex negative") << value("-$10") << s << k << -16;
    QTest::newRow("hex bit pattern") << value("$FFFFFFFF") << s << k << -1;
    QTest::newRow("hex system colour") << value("$8000000F") << s << k << -2147483633;
    QTest::newRow("hex 33 bits") << value("$100000000") << s << k << 7;
    QTest::newRow("int max") << value("2147483647") << s << k << 2147483647;
    QTest::newRow("int max + 1") << value("2147483648") << s << k << 7;
    QTest::newRow("int min") << value("-2147483648") << s << k << int(-2147483648LL);
    QTest::newRow("int min - 1") << value("-2147483649") << s << k << 7;
    QTest::newRow("huge digits") << value("99999999999999999999999999") << s << k << 7;
    QTest::newRow("trailing text") << value("12abc") << s << k << 7;
    QTest::newRow("inner blank") << value("1 2") << s << k << 7;
    QTest::newRow("fraction") << value("1.5") << s << k << 7;
    QTest::newRow("empty") << value("") << s << k << 7;
    QTest::newRow("sign only") << value("-") << s << k << 7;
    QTest::newRow("prefix only") << value("$") << s << k << 7;
    QTest::newRow("text") << value("green") << s << k << 7;
    QTest::newRow("key missing") << QByteArray("[Form2]\nPanel2=1\n") << s << k << 7;
    QTest::newRow("section missing") << QByteArray("[Form1]\nPanel1=1\n") << s << k << 7;
    QTest::newRow("empty file") << QByteArray() << s << k << 7;
    QTest::newRow("names ignore case") << QByteArray("[FORM2]\npanel1=3\n") << s << k << 3;
    QTest::newRow("key in another section")
        << QByteArray("[Form1]\nPanel1=1\n[Form2]\nPanel1=2\n") << s << k << 2;
    QTest::newRow("key before any section") << QByteArray("Panel1=1\n[Form2]\n") << s << k << 7;
    QTest::newRow("commented key") << QByteArray("[Form2]\n;Panel1=1\n") << s << k << 7;
    QTest::newRow("duplicate key: first wins")
        << QByteArray("[Form2]\nPanel1=1\nPanel1=2\n") << s << k << 1;
    QTest::newRow("duplicate section: first key in file order")
        << QByteArray("[Form2]\nA=0\n[X]\n[form2]\nPanel1=4\n[Form2]\nPanel1=5\n") << s << k << 4;
    QTest::newRow("CR LF") << QByteArray("[Form2]\r\nPanel1=11\r\n") << s << k << 11;
    QTest::newRow("CR only") << QByteArray("[Form2]\rPanel1=12\rX=1") << s << k << 12;
    QTest::newRow("NUL bytes before")
        << QByteArray("[Form2]\n\0\0junk\nPanel1=13\n", 25) << s << k << 13;
    QTest::newRow("NUL inside value") << QByteArray("[Form2]\nPanel1=1\0002\n", 19) << s << k << 7;
    QTest::newRow("header without ]") << QByteArray("[Form2\nPanel1=1\n") << s << k << 7;
    QTest::newRow("garbage") << QByteArray("\xff\xfe=[=]\n==\n[\n]\n[Form2]]\nPanel1=6") << s << k
                             << 6;
}

void TestIni::readInteger() {
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(int, expected);
    IniFile ini;
    ini.setContent(file);
    QCOMPARE(ini.readInteger(section, key, 7), expected);
    // Reading never changes the bytes.
    QCOMPARE(ini.content(), file);
}

void TestIni::readBool_data() {
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("defaultValue");
    QTest::addColumn<bool>("expected");
    QTest::newRow("1") << QByteArray("1") << false << true;
    QTest::newRow("0") << QByteArray("0") << true << false;
    QTest::newRow("any non-zero") << QByteArray("-5") << false << true;
    QTest::newRow("hex zero") << QByteArray("$0") << true << false;
    QTest::newRow("text keeps default true") << QByteArray("yes") << true << true;
    QTest::newRow("text keeps default false") << QByteArray("true") << false << false;
}

void TestIni::readBool() {
    QFETCH(QByteArray, value);
    QFETCH(bool, defaultValue);
    QFETCH(bool, expected);
    IniFile ini;
    ini.setContent("[Form2]\nCheckBox1=" + value + "\n");
    QCOMPARE(ini.readBool(QStringLiteral("Form2"), QStringLiteral("CheckBox1"), defaultValue),
             expected);
}

void TestIni::write_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("new file") << QByteArray() << QStringLiteral("Form1")
                              << QStringLiteral("Form1Color") << -2147483633
                              << QByteArray("[Form1]\nForm1Color=-2147483633\n");
    QTest::newRow("in place, names ignore case")
        << QByteArray("[FORM2]\r\ncheckbox1 = 0\r\n") << QStringLiteral("Form2")
        << QStringLiteral("CheckBox1") << 1 << QByteArray("[FORM2]\r\ncheckbox1 = 1\r\n");
    QTest::newRow("other content byte for byte")
        << QByteArray("; made by hand\n\n[A]\nx = $10 \n\n[Form2]\nTrackBar1=50\n; tail\n\n"
                      "[B]\ny=garbage\xff\n#z=1")
        << QStringLiteral("Form2") << QStringLiteral("TrackBar1") << 80
        << QByteArray("; made by hand\n\n[A]\nx = $10 \n\n[Form2]\nTrackBar1=80\n; tail\n\n"
                      "[B]\ny=garbage\xff\n#z=1");
    QTest::newRow("new key after the section's last key")
        << QByteArray("[A]\nx=1\n\n; note\n[B]\nz=2\n") << QStringLiteral("a")
        << QStringLiteral("y") << 2 << QByteArray("[A]\nx=1\ny=2\n\n; note\n[B]\nz=2\n");
    QTest::newRow("new key in a section without keys")
        << QByteArray("[A]\n\n[B]\n") << QStringLiteral("A") << QStringLiteral("k") << 1
        << QByteArray("[A]\nk=1\n\n[B]\n");
    QTest::newRow("new key, header is the unterminated last line")
        << QByteArray("[A]") << QStringLiteral("A") << QStringLiteral("k") << 1
        << QByteArray("[A]\nk=1\n");
    QTest::newRow("new section after an unterminated last line")
        << QByteArray("[A]\nx=1") << QStringLiteral("B") << QStringLiteral("k") << 1
        << QByteArray("[A]\nx=1\n[B]\nk=1\n");
    QTest::newRow("CR LF file keeps CR LF")
        << QByteArray("[A]\r\nx=1\r\n") << QStringLiteral("B") << QStringLiteral("k") << 1
        << QByteArray("[A]\r\nx=1\r\n[B]\r\nk=1\r\n");
    QTest::newRow("CR only file keeps CR")
        << QByteArray("[A]\rx=1\r") << QStringLiteral("A") << QStringLiteral("y") << 4
        << QByteArray("[A]\rx=1\ry=4\r");
    QTest::newRow("duplicate key: first is written")
        << QByteArray("[A]\nk=1\nk=2\n") << QStringLiteral("A") << QStringLiteral("k") << 9
        << QByteArray("[A]\nk=9\nk=2\n");
    QTest::newRow("duplicate section: new key goes to the first")
        << QByteArray("[A]\nx=1\n[B]\n[a]\nz=1\n") << QStringLiteral("A") << QStringLiteral("y")
        << 3 << QByteArray("[A]\nx=1\ny=3\n[B]\n[a]\nz=1\n");
    QTest::newRow("duplicate section: existing key written where it is read")
        << QByteArray("[A]\nx=1\n[a]\nk=1\n") << QStringLiteral("A") << QStringLiteral("k") << 0
        << QByteArray("[A]\nx=1\n[a]\nk=0\n");
    QTest::newRow("NUL bytes elsewhere survive")
        << QByteArray("[A]\nbin=\0\x01\n[B]\nk=1\n", 19) << QStringLiteral("B")
        << QStringLiteral("k") << 2 << QByteArray("[A]\nbin=\0\x01\n[B]\nk=2\n", 19);
    QTest::newRow("key before any section is not the section's")
        << QByteArray("k=1\n[A]\n") << QStringLiteral("A") << QStringLiteral("k") << 2
        << QByteArray("k=1\n[A]\nk=2\n");
}

void TestIni::write() {
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(int, value);
    QFETCH(QByteArray, after);
    IniFile ini;
    ini.setContent(before);
    ini.writeInteger(section, key, value);
    QCOMPARE(ini.content(), after);
    QCOMPARE(ini.readInteger(section, key, value + 1), value);
}

void TestIni::valueCannotBreakTheLine() {
    IniFile ini;
    ini.setContent("[A]\nk=1\n");
    ini.writeValue(QStringLiteral("A"), QStringLiteral("k"), "2\n[B]\r\nx=3");
    ini.writeValue(QStringLiteral("A"), QStringLiteral("n"), "\n");
    QCOMPARE(ini.content(), QByteArray("[A]\nk=2 [B]  x=3\nn= \n"));
    QCOMPARE(ini.readInteger(QStringLiteral("B"), QStringLiteral("x"), -1), -1);
}

void TestIni::saveAndLoadKeepBytes() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Settings.ini"));
    const QByteArray original("; comment\r\n[Form2]\r\nCheckBox1=0\rOdd=\0x\n[Z]", 42);
    QVERIFY(writeAll(path, original));

    IniFile ini(path);
    QVERIFY(ini.load());
    QCOMPARE(ini.content(), original);
    ini.writeBool(QStringLiteral("Form2"), QStringLiteral("CheckBox1"), true);
    QVERIFY2(ini.save(), qPrintable(ini.errorString()));

    QByteArray expected = original;
    expected.replace("CheckBox1=0", "CheckBox1=1");
    QCOMPARE(readAll(path), expected);
    // Nothing is left beside the file.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Settings.ini")});
}

void TestIni::failedSaveKeepsOldFile_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("missing folder") << "missing";
    QTest::newRow("read-only file") << "file";
    QTest::newRow("read-only folder") << "folder";
    QTest::newRow("path is a folder") << "isdir";
}

void TestIni::failedSaveKeepsOldFile() {
    QFETCH(QString, how);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("Data"));
    const QString path = folder + QStringLiteral("/Settings.ini");
    const QByteArray old("[Form2]\nTrackBar1=60\n");
    if (how != QLatin1String("missing")) {
        QVERIFY(QDir().mkpath(folder));
        if (how == QLatin1String("isdir"))
            QVERIFY(QDir().mkpath(path));
        else
            QVERIFY(writeAll(path, old));
    }
    if (how == QLatin1String("file"))
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
    if (how == QLatin1String("folder"))
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));

    IniFile ini(path);
    ini.load();
    ini.writeInteger(QStringLiteral("Form2"), QStringLiteral("TrackBar1"), 90);
    QVERIFY(!ini.save());
    QVERIFY(!ini.errorString().isEmpty());

    if (how == QLatin1String("missing")) {
        QVERIFY(!QFileInfo::exists(folder));
    } else if (how != QLatin1String("isdir")) {
        QCOMPARE(readAll(path), old);
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestIni::oversizedFileIsNeitherReadNorReplaced() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Settings.ini"));
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.write("[Form2]\nTrackBar1=80\n") > 0);
        QVERIFY(f.resize(IniFile::kMaxFileSize + 1));
    }
    IniFile ini(path);
    QVERIFY(!ini.load());
    QCOMPARE(ini.readInteger(QStringLiteral("Form2"), QStringLiteral("TrackBar1"), 50), 50);
    ini.writeInteger(QStringLiteral("Form2"), QStringLiteral("TrackBar1"), 70);
    QVERIFY(!ini.save());
    QCOMPARE(QFileInfo(path).size(), IniFile::kMaxFileSize + 1);
}

void TestIni::colorValues_data() {
    QTest::addColumn<int>("raw");
    QTest::addColumn<QColor>("shown");
    QTest::addColumn<bool>("system");

    // Red is the low byte.
    QTest::newRow("red") << 255 << QColor(255, 0, 0) << false;
    QTest::newRow("blue") << 16711680 << QColor(0, 0, 255) << false;
    QTest::newRow("grey") << 8421504 << QColor(128, 128, 128) << false;
    QTest::newRow("top byte ignored") << 0x01123456 << QColor(0x56, 0x34, 0x12) << false;
    // The test palette gives each role a colour of its own.
    QTest::newRow("button face") << -2147483633 << QColor(1, 2, 3) << true;
    QTest::newRow("window text") << int(0x80000008u) << QColor(4, 5, 6) << true;
    QTest::newRow("unknown index shows as button face")
        << int(0x800000FFu) << QColor(1, 2, 3) << true;
}

void TestIni::colorValues() {
    QFETCH(int, raw);
    QFETCH(QColor, shown);
    QFETCH(bool, system);
    QPalette palette;
    palette.setColor(QPalette::Active, QPalette::Button, QColor(1, 2, 3));
    palette.setColor(QPalette::Active, QPalette::Text, QColor(4, 5, 6));

    const ColorValue c(raw);
    QCOMPARE(c.isSystem(), system);
    QCOMPARE(c.toQColor(palette), shown);
    QCOMPARE(c.raw(), raw);
    if (!system) {
        // An RGB value goes through QColor and back unchanged but for the unused top byte.
        QCOMPARE(ColorValue::fromQColor(c.toQColor(palette)).raw(), raw & 0x00FFFFFF);
    }
}

QTEST_MAIN(TestIni)
#include "test_ini.moc"
