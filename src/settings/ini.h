#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace kelmira {

// Parses the integer text of an INI value: optional sign, then decimal digits, or hex digits
// after "$" or "0x". Hex text is a 32-bit pattern ("$FFFFFFFF" is -1); anything that does
// not fit in 32 bits, or is not a number at all, gives nothing.
std::optional<qint32> parseIniInteger(QByteArray text);

// A small INI file that keeps every byte it does not have to change.
//
// Reads and writes work on a copy in memory: load() reads the file once, the write functions
// change the copy, and save() replaces the whole file atomically. So a batch of writes either
// reaches the disk complete or not at all, and the file is never left half-written.
//
// Section and key names match without regard to case. When a section or key occurs more
// than once, the first one (in file order) is read and written. A key that exists is
// overwritten in place; a missing key goes after the last key line of its section, a missing
// section at the end of the file. Lines keep their own endings; new lines take the ending of
// the file's first line, or the platform's (LF here, CR LF on Windows) for a new file.
class IniFile {
public:
    // Larger files are refused rather than read: a settings file is a few hundred bytes, and
    // something this size is not ours to rewrite.
    static constexpr qint64 kMaxFileSize = 1024 * 1024;

    explicit IniFile(QString path = {});

    QString path() const { return m_path; }
    void setPath(const QString& path);

    // Reads the file. A missing file is an empty, loadable file. Returns false when the file
    // exists but cannot be read or is too large; the copy is then empty and save() refuses,
    // so a file we could not read is never replaced by our partial view of it.
    bool load();

    // The copy in memory, as it would be saved.
    QByteArray content() const;
    void setContent(const QByteArray& bytes);

    std::optional<QByteArray> readValue(const QString& section, const QString& key) const;
    qint32 readInteger(const QString& section, const QString& key, qint32 defaultValue) const;
    bool readBool(const QString& section, const QString& key, bool defaultValue) const;

    // Line breaks in a value become blanks. Section and key names are the caller's plain
    // identifiers.
    void writeValue(const QString& section, const QString& key, QByteArray value);
    void writeInteger(const QString& section, const QString& key, qint32 value);
    void writeBool(const QString& section, const QString& key, bool value);

    // Writes the copy to path() atomically. On failure the old file is untouched, false is
    // returned and errorString() says why. A file or folder without its owner's write
    // permission is treated as read-only even for a user (root) who could write it anyway.
    bool save();
    QString errorString() const { return m_error; }

private:
    // Each line is classified once, when it is read or changed, so that a lookup is a scan
    // of names and not a re-parse of every line.
    enum class Kind { Other, Section, Key };
    struct Line {
        QByteArray text;
        QByteArray eol;
        Kind kind = Kind::Other;
        QString name;             // section or key name
        qsizetype valueStart = 0; // for a key: where its value text begins
    };
    static Line makeLine(QByteArray text, QByteArray eol);
    struct Position {
        int line = -1;
        qsizetype valueStart = 0;
    };

    Position findKey(const QString& section, const QString& key) const;
    int findSection(const QString& section) const;
    int insertionLine(int headerLine) const;
    QByteArray newLineEnding() const;
    void insertLine(int at, const QByteArray& text);

    QString m_path;
    std::vector<Line> m_lines;
    bool m_readable = true;
    QString m_error;
};

} // namespace kelmira
