#include "io/valuereader.h"

#include "core/digits.h"

#include <QStringDecoder>

#include <QIODevice>

#include <algorithm>
#include <cstring>

namespace kelmira {

namespace {

constexpr qsizetype kChunk = 64 * 1024;
constexpr qsizetype kShownToken = 24;

bool isBlank(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}

// Decimal with an optional sign, or hexadecimal after "$" or "0x", fed one byte at a time.
// The magnitude is capped just above the 32-bit range so that no token can overflow it.
class TokenParser {
public:
    void feed(char c) {
        if (m_bad)
            return;
        const int64_t pos = m_fed++;
        if (pos == 0 && (c == '+' || c == '-')) {
            m_negative = c == '-';
            m_signLength = 1;
            return;
        }
        if (pos == m_signLength && c == '$') {
            m_base = 16;
            return;
        }
        if (m_base == 10 && m_digits == 1 && m_magnitude == 0 && pos == m_signLength + 1 &&
            (c == 'x' || c == 'X')) {
            m_base = 16;
            m_digits = 0;
            return;
        }
        const int d = digitValue(c, m_base);
        if (d < 0) {
            m_bad = true;
            return;
        }
        ++m_digits;
        if (m_magnitude <= kCap)
            m_magnitude = m_magnitude * static_cast<uint64_t>(m_base) + static_cast<uint64_t>(d);
    }

    bool finish(int32_t* value) const {
        if (m_bad || m_digits == 0)
            return false;
        const uint64_t limit = m_negative ? kCap : kCap - 1;
        if (m_magnitude > limit)
            return false;
        const int64_t v =
            m_negative ? -static_cast<int64_t>(m_magnitude) : static_cast<int64_t>(m_magnitude);
        *value = static_cast<int32_t>(v);
        return true;
    }

private:
    static constexpr uint64_t kCap = uint64_t{1} << 31;

    // 64-bit counters: a token may be as long as the file.
    int64_t m_fed = 0;
    int64_t m_signLength = 0;
    int m_base = 10;
    int64_t m_digits = 0;
    bool m_negative = false;
    bool m_bad = false;
    uint64_t m_magnitude = 0;
};

} // namespace

ValueReader::ValueReader(QByteArrayView bytes)
    : m_pos(bytes.data()), m_end(bytes.data() + bytes.size()) {}

ValueReader::ValueReader(QIODevice* device) : m_device(device) {}

bool ValueReader::fill() {
    if (m_pos != m_end)
        return true;
    if (!m_device || m_failed)
        return false;
    m_buffer.resize(kChunk);
    const qint64 n = m_device->read(m_buffer.data(), kChunk);
    if (n < 0) {
        m_failed = true;
        m_deviceError = m_device->errorString();
        return false;
    }
    m_pos = m_buffer.constData();
    m_end = m_pos + n;
    return n > 0;
}

void ValueReader::skipRestOfLine() {
    while (fill()) {
        const auto* lf =
            static_cast<const char*>(std::memchr(m_pos, '\n', static_cast<size_t>(m_end - m_pos)));
        if (lf) {
            m_pos = lf + 1;
            ++m_line;
            return;
        }
        m_pos = m_end;
    }
}

ValueReader::Result ValueReader::read() {
    m_token.clear();
    for (;;) {
        if (!fill())
            return {m_failed ? Status::DeviceError : Status::EndOfFile, 0};
        while (m_pos < m_end && isBlank(*m_pos)) {
            if (*m_pos == '\n')
                ++m_line;
            ++m_pos;
        }
        if (m_pos < m_end)
            break;
    }

    m_tokenLine = m_line;
    TokenParser parser;
    bool endedAtEof = false;
    for (;;) {
        if (!fill()) {
            if (m_failed)
                return {Status::DeviceError, 0};
            endedAtEof = true;
            break;
        }
        const char* start = m_pos;
        while (m_pos < m_end && !isBlank(*m_pos))
            parser.feed(*m_pos++);
        const qsizetype room = kShownToken + 1 - m_token.size();
        if (room > 0)
            m_token.append(start, std::min<qsizetype>(room, m_pos - start));
        if (m_pos < m_end)
            break;
    }

    // The token ended on this line: whatever follows it up to the line break is not data.
    if (!endedAtEof) {
        if (*m_pos == '\n') {
            ++m_pos;
            ++m_line;
        } else {
            skipRestOfLine();
        }
    }

    Result r;
    if (parser.finish(&r.value)) {
        r.status = Status::Value;
    } else {
        r.status = Status::Invalid;
        r.value = 0;
    }
    return r;
}

QString ValueReader::lastTokenForDisplay() const {
    const bool cut = m_token.size() > kShownToken;
    // Decoded with a leading byte order mark kept: plain fromUtf8 would drop it silently.
    QStringDecoder decode(QStringDecoder::Utf8, QStringConverter::Flag::ConvertInitialBom);
    const QString text = decode(cut ? m_token.left(kShownToken) : m_token);
    // Characters that print as nothing (a byte order mark, a zero-width or no-break space, a
    // control character) are named, or the message would quote a token that looks valid.
    QString shown;
    for (const QChar c : text) {
        if (c.isPrint() && !c.isSpace() && c != QChar::ReplacementCharacter)
            shown += c;
        else
            shown += QStringLiteral("<U+%1>").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
    }
    return cut ? shown + QStringLiteral("…") : shown;
}

} // namespace kelmira
