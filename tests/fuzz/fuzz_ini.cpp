// An INI file of any bytes: every key in it and every settings key is read, written and read
// again. Writes must read back as written, a second identical batch must change nothing, the
// bytes we did not write must stay as they were, and a save must load back byte for byte.

#include "invariants.h"
#include "scratchdir.h"
#include "settings/ini.h"
#include "settings/settingsfile.h"

#include <QFile>
#include <QHash>
#include <QTemporaryDir>

#include <vector>

using namespace kelmira;

namespace {

struct Session {
    QTemporaryDir dir{fuzzScratchTemplate()};
    QString path = dir.filePath(QStringLiteral("Settings.ini"));
};

Session& session() {
    static Session s;
    return s;
}

void check(bool ok, const char* where, const char* fault) {
    if (!ok)
        invariants::fail(where, fault);
}

// Deterministic values to write, drawn from the input so that a crash reproduces.
class Values {
public:
    explicit Values(QByteArrayView bytes) {
        for (char c : bytes)
            m_state = (m_state ^ uint8_t(c)) * 0x100000001b3ULL;
    }
    uint32_t next() {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return uint32_t(m_state >> 32);
    }
    int32_t any() { return static_cast<int32_t>(next()); }
    int32_t between(int32_t lo, int32_t hi) { return lo + int32_t(next() % uint32_t(hi - lo + 1)); }

private:
    uint64_t m_state = 0xcbf29ce484222325ULL;
};

struct Key {
    QString section;
    QString key;
};

bool usableName(const QByteArray& name) {
    return !name.isEmpty() && !name.startsWith(';') && !name.startsWith('#') &&
           !name.startsWith('[') && !name.contains(']') && !name.contains('=');
}

// The section and key names of the file, found the plain way: "[name]" opens a section, a
// line with "=" names a key. Names the writer could not write back as the same name (a
// comment mark, brackets) are left out.
std::vector<Key> keysOf(const QByteArray& bytes) {
    std::vector<Key> keys;
    QByteArray section;
    const QList<QByteArray> lines = QByteArray(bytes).replace('\r', '\n').split('\n');
    for (const QByteArray& raw : lines) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('[') && line.contains(']')) {
            section = line.mid(1, line.indexOf(']') - 1).trimmed();
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0)
            continue;
        const QByteArray key = line.left(eq).trimmed();
        if (usableName(key) && (section.isEmpty() || usableName(section)))
            keys.push_back({QString::fromUtf8(section), QString::fromUtf8(key)});
    }
    return keys;
}

bool isSettingsKey(const Key& k) {
    static const QByteArrayList form1{"form1color", "scrollbox1color"};
    const QByteArray key = k.key.toLower().toUtf8();
    if (k.section.compare(QStringLiteral("Form1"), Qt::CaseInsensitive) == 0)
        return form1.contains(key);
    return k.section.compare(QStringLiteral("Form2"), Qt::CaseInsensitive) == 0;
}

StoredSettings someSettings(Values& v) {
    StoredSettings s;
    s.form1Color = v.any();
    s.scrollBox1Color = v.any();
    for (bool* b : {&s.checkBox1, &s.checkBox2, &s.checkBox5, &s.checkBox7, &s.checkBox6,
                    &s.checkBox9, &s.checkBox8, &s.checkBox4})
        *b = v.next() & 1;
    for (qint32& p : s.panels)
        p = v.any();
    s.trackBar1 = v.between(kFrameIntervalMin, kFrameIntervalMax);
    s.trackBar2 = v.between(kMoveStepMin, kMoveStepMax);
    s.radioButton1 = v.next() & 1;
    s.radioButton2 = !s.radioButton1;
    return s;
}

void writeAll(IniFile& ini, const std::vector<Key>& keys, const std::vector<int32_t>& values,
              const StoredSettings& settings) {
    for (size_t i = 0; i < keys.size(); ++i)
        ini.writeInteger(keys[i].section, keys[i].key, values[i]);
    writeStoredSettings(ini, settings);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Session& s = session();
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    Values v(bytes);

    IniFile ini(s.path);
    ini.setContent(bytes);
    check(ini.content() == bytes, "setContent", "the copy in memory differs from the bytes");

    // Reading anything is harmless: every key found, then the settings as the program reads them.
    const std::vector<Key> keys = keysOf(bytes);
    for (const Key& k : keys) {
        ini.readValue(k.section, k.key);
        ini.readInteger(k.section, k.key, 0);
    }
    const StoredSettings first = readStoredSettings(ini);
    check(first.trackBar1 >= kFrameIntervalMin && first.trackBar1 <= kFrameIntervalMax &&
              first.trackBar2 >= kMoveStepMin && first.trackBar2 <= kMoveStepMax,
          "readStoredSettings", "a track bar value outside its range");
    check(ini.content() == bytes, "reading", "reading changed the copy");

    std::vector<int32_t> values;
    for (size_t i = 0; i < keys.size(); ++i)
        values.push_back(v.any());
    const StoredSettings written = someSettings(v);
    writeAll(ini, keys, values, written);
    const QByteArray afterWrite = ini.content();

    // The last value written under a name (names match without regard to case) is what reads.
    QHash<QString, int32_t> expected;
    for (size_t i = 0; i < keys.size(); ++i)
        if (!isSettingsKey(keys[i]))
            expected[keys[i].section.toLower() + QChar(0) + keys[i].key.toLower()] = values[i];
    for (size_t i = 0; i < keys.size(); ++i) {
        const auto it =
            expected.constFind(keys[i].section.toLower() + QChar(0) + keys[i].key.toLower());
        if (it == expected.cend())
            continue;
        const int32_t other = *it == 0 ? 1 : 0;
        check(ini.readInteger(keys[i].section, keys[i].key, other) == *it, "writeInteger",
              "a key of the file does not read back as written");
    }
    StoredSettings defaults = someSettings(v);
    check(readStoredSettings(ini, defaults) == written, "writeStoredSettings",
          "the settings do not read back as written");

    writeAll(ini, keys, values, written);
    check(ini.content() == afterWrite, "writing again", "the same writes changed the file again");

    check(ini.save(), "save", "saving into a writable folder failed");
    IniFile loaded(s.path);
    check(loaded.load(), "load", "the saved file could not be loaded");
    check(loaded.content() == afterWrite, "load", "the saved file differs from the copy");

    for (int32_t n : {values.empty() ? v.any() : values.front(), v.any()}) {
        check(parseIniInteger(QByteArray::number(n)) == n, "parseIniInteger",
              "a decimal value does not parse back");
        check(parseIniInteger("$" + QByteArray::number(uint32_t(n), 16)) == n &&
                  parseIniInteger("0x" + QByteArray::number(uint32_t(n), 16).toUpper()) == n,
              "parseIniInteger", "a hex pattern does not parse back");
    }
    return 0;
}
