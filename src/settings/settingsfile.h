#pragma once

#include "settings/colorvalue.h"
#include "settings/ini.h"

#include <QString>

#include <array>

namespace kelmira {

// Every value the settings file holds, with the design values of a fresh run.
struct StoredSettings {
    qint32 form1Color = ColorValue::buttonFace().raw();
    qint32 scrollBox1Color = ColorValue::buttonFace().raw();
    // CheckBox1, CheckBox2, CheckBox5, CheckBox7, CheckBox6, CheckBox9, CheckBox8, CheckBox4:
    // the order of the file.
    bool checkBox1 = true;  // stage
    bool checkBox2 = false; // presentation mode
    bool checkBox5 = true;  // OX axis
    bool checkBox7 = true;  // OY axis
    bool checkBox6 = true;  // OZ axis
    bool checkBox9 = false; // XY plane
    bool checkBox8 = false; // YZ plane
    bool checkBox4 = false; // XZ plane
    // Panel1..Panel7: stage, board, OX, OY, OZ, background, planes.
    std::array<qint32, 7> panels{
        ColorValue::fromRgb(128, 128, 128).raw(), ColorValue::fromRgb(0, 128, 0).raw(),
        ColorValue::fromRgb(255, 0, 0).raw(),     ColorValue::fromRgb(0, 0, 255).raw(),
        ColorValue::fromRgb(0, 255, 0).raw(),     ColorValue::fromRgb(0, 0, 0).raw(),
        ColorValue::fromRgb(255, 255, 255).raw()};
    int trackBar1 = 50; // frame period, ms, 20..120
    int trackBar2 = 2;  // move step, cells, 1..5
    bool radioButton1 = true;
    bool radioButton2 = false;

    // Degrees that one rotation step stands for: 45, 90, or 0 when neither radio button is
    // checked (a settings file can leave both unchecked).
    int rotationStep() const { return radioButton1 ? 45 : radioButton2 ? 90 : 0; }

    bool operator==(const StoredSettings&) const = default;
};

constexpr int kFrameIntervalMin = 20;
constexpr int kFrameIntervalMax = 120;
constexpr int kMoveStepMin = 1;
constexpr int kMoveStepMax = 5;

// Reads the keys in the file's order, each with the value so far as its default, and settles
// each value as its control would: track bars clamp to their range, and a radio button read
// as checked unchecks the other (both 1 leaves RadioButton2 alone, both 0 leaves neither).
StoredSettings readStoredSettings(const IniFile& ini, StoredSettings current = {});
// Writes the 21 keys in order into the copy of the file; does not save.
void writeStoredSettings(IniFile& ini, const StoredSettings& values);

// <program folder>/Data/Settings.ini, whatever the working directory.
QString settingsFilePath();
// "Unable to write to <path>", the message shown when the settings cannot be saved.
QString unableToWriteMessage(const QString& path);

// Reads the settings file over `current`: a missing or unreadable file, or a missing or bad
// key, keeps the current value.
StoredSettings loadSettings(IniFile& ini, const StoredSettings& current);

// Writes the values into the file, keeping all else in it. Returns an empty string on
// success, else unableToWriteMessage(); the file is then as it was.
QString saveSettings(IniFile& ini, const StoredSettings& values);

} // namespace kelmira
