#include "settings/ini.h"

#include "core/digits.h"
#include "core/savefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <limits>

namespace kelmira {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// The name inside "[...]", or nothing when the line is not a section header.
std::optional<QByteArray> sectionName(const QByteArray& text) {
    const QByteArray t = text.trimmed();
    if (!t.startsWith('['))
        return std::nullopt;
    const qsizetype close = t.indexOf(']');
    if (close < 0)
        return std::nullopt;
    return t.mid(1, close - 1).trimmed();
}

bool isComment(const QByteArray& text) {
    const QByteArray t = text.trimmed();
    return t.startsWith(';') || t.startsWith('#');
}

// Key name and the offset where its value text begins, for a "key=value" line.
std::optional<std::pair<QByteArray, qsizetype>> keyOf(const QByteArray& text) {
    if (isComment(text) || sectionName(text))
        return std::nullopt;
    const qsizetype eq = text.indexOf('=');
    if (eq < 0)
        return std::nullopt;
    const QByteArray key = text.left(eq).trimmed();
    if (key.isEmpty())
        return std::nullopt;
    qsizetype start = eq + 1;
    while (start < text.size() && isBlank(text.at(start)))
        ++start;
    return std::make_pair(key, start);
}

QByteArray unquoted(QByteArray value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

bool hasOwnerWrite(const QFileInfo& info) {
    return info.isWritable() && (info.permissions() & QFileDevice::WriteOwner);
}

} // namespace

std::optional<qint32> parseIniInteger(QByteArray text) {
    text = text.trimmed();
    bool negative = false;
    if (!text.isEmpty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove(0, 1);
    }
    int base = 10;
    if (text.startsWith('$')) {
        base = 16;
        text.remove(0, 1);
    } else if (text.startsWith("0x") || text.startsWith("0X")) {
        base = 16;
        text.remove(0, 2);
    }
    if (text.isEmpty())
        return std::nullopt;

    // Hex is a bit pattern up to 0xFFFFFFFF; decimal must fit the signed range. Both bounds
    // are checked digit by digit, so a long run of digits cannot overflow the accumulator.
    const qint64 limit = base == 16 ? (negative ? 0x80000000LL : 0xFFFFFFFFLL)
                                    : (negative ? 0x80000000LL : 0x7FFFFFFFLL);
    qint64 magnitude = 0;
    for (char c : text) {
        const int digit = digitValue(c, base);
        if (digit < 0)
            return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > limit)
            return std::nullopt;
    }
    if (negative)
        magnitude = -magnitude;
    return static_cast<qint32>(static_cast<quint32>(magnitude & 0xFFFFFFFFLL));
}

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

void IniFile::setPath(const QString& path) {
    m_path = path;
}

bool IniFile::load() {
    m_lines.clear();
    m_readable = true;
    m_error.clear();
    QFile file(m_path);
    if (!file.exists())
        return true;
    if (QFileInfo(file).size() > kMaxFileSize) {
        m_readable = false;
        m_error = QStringLiteral("%1 is too large to be a settings file").arg(m_path);
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        m_readable = false;
        m_error = file.errorString();
        return false;
    }
    // A growing file may pass the size check and still be read in full here; take no more
    // than the limit.
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    if (bytes.size() > kMaxFileSize) {
        m_readable = false;
        m_error = QStringLiteral("%1 is too large to be a settings file").arg(m_path);
        return false;
    }
    setContent(bytes);
    return true;
}

QByteArray IniFile::content() const {
    QByteArray out;
    for (const Line& line : m_lines)
        out += line.text + line.eol;
    return out;
}

void IniFile::setContent(const QByteArray& bytes) {
    // The three endings are shared, not copied per line.
    static const QByteArray crlf("\r\n"), lf("\n"), cr("\r");
    m_lines.clear();
    m_lines.reserve(bytes.count('\n') + bytes.count('\r') + 1);
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes.at(i);
        if (c != '\n' && c != '\r')
            continue;
        const bool pair = c == '\r' && i + 1 < n && bytes.at(i + 1) == '\n';
        m_lines.push_back(makeLine(bytes.mid(start, i - start), pair ? crlf : c == '\n' ? lf : cr));
        i += pair ? 1 : 0;
        start = i + 1;
    }
    if (start < n)
        m_lines.push_back(makeLine(bytes.mid(start), {}));
}

IniFile::Line IniFile::makeLine(QByteArray text, QByteArray eol) {
    Line line;
    line.text = std::move(text);
    line.eol = std::move(eol);
    if (const auto name = sectionName(line.text)) {
        line.kind = Kind::Section;
        line.name = QString::fromUtf8(*name);
    } else if (const auto key = keyOf(line.text)) {
        line.kind = Kind::Key;
        line.name = QString::fromUtf8(key->first);
        line.valueStart = key->second;
    }
    return line;
}

IniFile::Position IniFile::findKey(const QString& section, const QString& key) const {
    bool inSection = false;
    for (int i = 0; i < int(m_lines.size()); ++i) {
        const Line& line = m_lines[i];
        if (line.kind == Kind::Section)
            inSection = line.name.compare(section, Qt::CaseInsensitive) == 0;
        else if (inSection && line.kind == Kind::Key &&
                 line.name.compare(key, Qt::CaseInsensitive) == 0)
            return {i, line.valueStart};
    }
    return {};
}

int IniFile::findSection(const QString& section) const {
    for (int i = 0; i < int(m_lines.size()); ++i) {
        const Line& line = m_lines[i];
        if (line.kind == Kind::Section && line.name.compare(section, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int IniFile::insertionLine(int headerLine) const {
    int after = headerLine;
    for (int i = headerLine + 1; i < int(m_lines.size()); ++i) {
        if (m_lines[i].kind == Kind::Section)
            break;
        if (m_lines[i].kind == Kind::Key)
            after = i;
    }
    return after + 1;
}

QByteArray IniFile::newLineEnding() const {
    for (const Line& line : m_lines) {
        if (!line.eol.isEmpty())
            return line.eol;
    }
#ifdef Q_OS_WIN
    return QByteArrayLiteral("\r\n");
#else
    return QByteArrayLiteral("\n");
#endif
}

void IniFile::insertLine(int at, const QByteArray& text) {
    const QByteArray eol = newLineEnding();
    // The line before must end before ours can begin: this is the one change to existing
    // bytes that an insertion may need, when the file's last line had no ending.
    if (at > 0 && m_lines[at - 1].eol.isEmpty())
        m_lines[at - 1].eol = eol;
    m_lines.insert(m_lines.begin() + at, makeLine(text, eol));
}

std::optional<QByteArray> IniFile::readValue(const QString& section, const QString& key) const {
    const Position pos = findKey(section, key);
    if (pos.line < 0)
        return std::nullopt;
    return unquoted(m_lines[pos.line].text.mid(pos.valueStart).trimmed());
}

qint32 IniFile::readInteger(const QString& section, const QString& key, qint32 defaultValue) const {
    const auto value = readValue(section, key);
    if (!value)
        return defaultValue;
    return parseIniInteger(*value).value_or(defaultValue);
}

bool IniFile::readBool(const QString& section, const QString& key, bool defaultValue) const {
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::writeValue(const QString& section, const QString& key, QByteArray value) {
    // A value is one line: a line break in it would forge keys or sections of its own.
    value.replace('\r', ' ').replace('\n', ' ');
    const Position pos = findKey(section, key);
    if (pos.line >= 0) {
        Line& line = m_lines[pos.line];
        line.text = line.text.left(pos.valueStart) + value;
        return;
    }
    const QByteArray line = key.toUtf8() + '=' + value;
    const int header = findSection(section);
    if (header >= 0) {
        insertLine(insertionLine(header), line);
        return;
    }
    const int end = int(m_lines.size());
    insertLine(end, '[' + section.toUtf8() + ']');
    insertLine(end + 1, line);
}

void IniFile::writeInteger(const QString& section, const QString& key, qint32 value) {
    writeValue(section, key, QByteArray::number(value));
}

void IniFile::writeBool(const QString& section, const QString& key, bool value) {
    writeValue(section, key, value ? QByteArrayLiteral("1") : QByteArrayLiteral("0"));
}

bool IniFile::save() {
    m_error.clear();
    if (!m_readable) {
        m_error = QStringLiteral("%1 could not be read and is left as it is").arg(m_path);
        return false;
    }
    const QFileInfo info(m_path);
    if (info.exists() && !hasOwnerWrite(info)) {
        m_error = QStringLiteral("%1 is read-only").arg(m_path);
        return false;
    }
    const QFileInfo folder(info.absolutePath());
    if (!folder.isDir()) {
        m_error = QStringLiteral("folder %1 does not exist").arg(folder.filePath());
        return false;
    }
    if (!hasOwnerWrite(folder)) {
        m_error = QStringLiteral("folder %1 is read-only").arg(folder.filePath());
        return false;
    }
    const SaveFailure failure = replaceFile(m_path, content());
    if (failure.failed()) {
        m_error = failure.reason;
        return false;
    }
    return true;
}

} // namespace kelmira
