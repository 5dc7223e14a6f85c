#include "settings/settingsfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace kelmira {

namespace {

const QString kForm1 = QStringLiteral("Form1");
const QString kForm2 = QStringLiteral("Form2");

struct BoolKey {
    const char* name;
    bool StoredSettings::*field;
};

constexpr std::array<BoolKey, 8> kCheckBoxes{{
    {"CheckBox1", &StoredSettings::checkBox1},
    {"CheckBox2", &StoredSettings::checkBox2},
    {"CheckBox5", &StoredSettings::checkBox5},
    {"CheckBox7", &StoredSettings::checkBox7},
    {"CheckBox6", &StoredSettings::checkBox6},
    {"CheckBox9", &StoredSettings::checkBox9},
    {"CheckBox8", &StoredSettings::checkBox8},
    {"CheckBox4", &StoredSettings::checkBox4},
}};

QString panelKey(int i) {
    return QStringLiteral("Panel%1").arg(i + 1);
}

} // namespace

StoredSettings readStoredSettings(const IniFile& ini, StoredSettings s) {
    s.form1Color = ini.readInteger(kForm1, QStringLiteral("Form1Color"), s.form1Color);
    s.scrollBox1Color =
        ini.readInteger(kForm1, QStringLiteral("ScrollBox1Color"), s.scrollBox1Color);
    for (const BoolKey& key : kCheckBoxes)
        s.*key.field = ini.readBool(kForm2, QString::fromLatin1(key.name), s.*key.field);
    for (int i = 0; i < int(s.panels.size()); ++i)
        s.panels[i] = ini.readInteger(kForm2, panelKey(i), s.panels[i]);
    s.trackBar1 =
        std::clamp<qint32>(ini.readInteger(kForm2, QStringLiteral("TrackBar1"), s.trackBar1),
                           kFrameIntervalMin, kFrameIntervalMax);
    s.trackBar2 =
        std::clamp<qint32>(ini.readInteger(kForm2, QStringLiteral("TrackBar2"), s.trackBar2),
                           kMoveStepMin, kMoveStepMax);
    // Each radio button is set before the next is read, so the second one's default is the
    // state the first one left it in.
    s.radioButton1 = ini.readBool(kForm2, QStringLiteral("RadioButton1"), s.radioButton1);
    if (s.radioButton1)
        s.radioButton2 = false;
    s.radioButton2 = ini.readBool(kForm2, QStringLiteral("RadioButton2"), s.radioButton2);
    if (s.radioButton2)
        s.radioButton1 = false;
    return s;
}

void writeStoredSettings(IniFile& ini, const StoredSettings& s) {
    ini.writeInteger(kForm1, QStringLiteral("Form1Color"), s.form1Color);
    ini.writeInteger(kForm1, QStringLiteral("ScrollBox1Color"), s.scrollBox1Color);
    for (const BoolKey& key : kCheckBoxes)
        ini.writeBool(kForm2, QString::fromLatin1(key.name), s.*key.field);
    for (int i = 0; i < int(s.panels.size()); ++i)
        ini.writeInteger(kForm2, panelKey(i), s.panels[i]);
    ini.writeInteger(kForm2, QStringLiteral("TrackBar1"), s.trackBar1);
    ini.writeInteger(kForm2, QStringLiteral("TrackBar2"), s.trackBar2);
    ini.writeBool(kForm2, QStringLiteral("RadioButton1"), s.radioButton1);
    ini.writeBool(kForm2, QStringLiteral("RadioButton2"), s.radioButton2);
}

QString settingsFilePath() {
    return QDir(QCoreApplication::applicationDirPath())
        .absoluteFilePath(QStringLiteral("Data/Settings.ini"));
}

QString unableToWriteMessage(const QString& path) {
    return QStringLiteral("Unable to write to %1").arg(QDir::toNativeSeparators(path));
}

StoredSettings loadSettings(IniFile& ini, const StoredSettings& current) {
    ini.load();
    return readStoredSettings(ini, current);
}

QString saveSettings(IniFile& ini, const StoredSettings& values) {
    // Start from the file as it is now, so that whatever else it holds is kept.
    const QString path = QFileInfo(ini.path()).absoluteFilePath();
    if (!ini.load())
        return unableToWriteMessage(path);
    writeStoredSettings(ini, values);
    if (!ini.save())
        return unableToWriteMessage(path);
    return {};
}

} // namespace kelmira
