#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>

class QIODevice;

namespace kelmira {

// Reads the integers of a project or scratch file, one value per call, the way the file
// layer has always read them: blanks, control characters and line breaks before a value are
// skipped, the value is the following run of characters above the space, and the rest of its
// line is thrown away. At the end of the file a value reads as 0 and the caller is told so.
//
// Tokens are parsed as they stream past, so a token or a line of any length costs one pass
// and no memory beyond the read buffer.
class ValueReader {
public:
    enum class Status {
        Value,       // a value was read
        EndOfFile,   // nothing left; the value is 0
        Invalid,     // the token is not a 32-bit integer; the value is 0
        DeviceError, // the device refused to deliver more bytes; the value is 0
    };
    struct Result {
        Status status = Status::EndOfFile;
        int32_t value = 0;
    };

    // The bytes must outlive the reader.
    explicit ValueReader(QByteArrayView bytes);
    // Reads the device from its current position in chunks; it must stay open while in use.
    explicit ValueReader(QIODevice* device);

    Result read();

    // The file layer's own words for a token that is not an integer; users and support know
    // the error by this text, so it stays untranslated inside the Russian message.
    static QString invalidInputText() { return QStringLiteral("Invalid numeric input"); }

    // Line (from 1) on which the last token started.
    qint64 line() const { return m_tokenLine; }
    // The last token as the user should see it in a message: cut to a readable length,
    // undecodable bytes shown as replacement characters.
    QString lastTokenForDisplay() const;
    // The device's own error text after Status::DeviceError.
    QString deviceError() const { return m_deviceError; }

private:
    // Makes at least one byte available; false at the end of the data or on a device error.
    bool fill();
    void skipRestOfLine();

    QIODevice* m_device = nullptr;
    QByteArray m_buffer;
    const char* m_pos = nullptr;
    const char* m_end = nullptr;
    bool m_failed = false;
    qint64 m_line = 1;
    qint64 m_tokenLine = 0;
    QByteArray m_token;
    QString m_deviceError;
};

} // namespace kelmira
