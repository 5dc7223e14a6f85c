#include "io/valuereader.h"

#include <QBuffer>
#include <QTest>

using namespace kelmira;

namespace {

// Hands out one byte per read, so every token, blank run and line break straddles a refill.
class TrickleDevice : public QIODevice {
public:
    TrickleDevice(QByteArray data, qint64 failAfter = -1)
        : m_data(std::move(data)), m_failAfter(failAfter) {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* out, qint64 max) override {
        if (m_failAfter >= 0 && m_pos >= m_failAfter) {
            setErrorString(QStringLiteral("simulated failure"));
            return -1;
        }
        if (m_pos >= m_data.size() || max <= 0)
            return 0;
        *out = m_data.at(m_pos++);
        return 1;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_data;
    qint64 m_pos = 0;
    qint64 m_failAfter;
};

// "5 -7 ! E": values, "!" for an invalid token, "E" for the end of the file.
QString describe(ValueReader& r) {
    QStringList out;
    for (int guard = 0; guard < 64; ++guard) {
        const ValueReader::Result v = r.read();
        switch (v.status) {
        case ValueReader::Status::Value:
            out << QString::number(v.value);
            break;
        case ValueReader::Status::Invalid:
            out << (v.value == 0 ? QStringLiteral("!") : QStringLiteral("!nonzero"));
            break;
        case ValueReader::Status::DeviceError:
            out << QStringLiteral("D");
            return out.join(QLatin1Char(' '));
        case ValueReader::Status::EndOfFile:
            if (v.value != 0)
                out << QStringLiteral("(nonzero at end)");
            // The end stays the end.
            if (r.read().status != ValueReader::Status::EndOfFile)
                out << QStringLiteral("(read past end)");
            out << QStringLiteral("E");
            return out.join(QLatin1Char(' '));
        }
    }
    return out.join(QLatin1Char(' ')) + QStringLiteral(" (no end)");
}

} // namespace

class TestValueReader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void reads_data();
    void reads();
    void badTokenIsReportedWithItsLine();
    void hugeTokensAndLinesCostOnePass();
    void deviceFailureIsNotEndOfFile();
};

void TestValueReader::reads_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("project lines") << QByteArray("1\r\n35\r\n-5\r\n") << "1 35 -5 E";
    QTest::newRow("empty") << QByteArray() << "E";
    QTest::newRow("only blanks") << QByteArray(" \t\r\n\r\n  ") << "E";
    QTest::newRow("blank lines between") << QByteArray("\r\n\r\n4\r\n\r\n\t\r\n5\r\n") << "4 5 E";
    QTest::newRow("text after the number") << QByteArray("35 mm\r\n36\r\n") << "35 36 E";
    QTest::newRow("second number on a line is dropped") << QByteArray("1 2\r\n3\r\n") << "1 3 E";
    QTest::newRow("tabs and control characters") << QByteArray("\t\x01\x1f 8\t\x02x\n9") << "8 9 E";
    QTest::newRow("plus sign") << QByteArray("+7\r\n") << "7 E";
    QTest::newRow("dollar hex") << QByteArray("$1F\r\n$ff\r\n") << "31 255 E";
    QTest::newRow("0x hex") << QByteArray("0x1f\r\n0X10\r\n-0x10\r\n") << "31 16 -16 E";
    QTest::newRow("minus zero") << QByteArray("-0\r\n") << "0 E";
    QTest::newRow("leading zeros") << QByteArray("007\r\n") << "7 E";
    QTest::newRow("32-bit limits")
        << QByteArray("2147483647\r\n-2147483648\r\n") << "2147483647 -2147483648 E";
    QTest::newRow("just above the limit") << QByteArray("2147483648\r\n5\r\n") << "! 5 E";
    QTest::newRow("just below the limit") << QByteArray("-2147483649\r\n") << "! E";
    QTest::newRow("hex above the limit")
        << QByteArray("$80000000\r\n$7FFFFFFF\r\n") << "! 2147483647 E";
    QTest::newRow("many digits") << QByteArray("99999999999999999999999\r\n") << "! E";
    QTest::newRow("lone LF") << QByteArray("1\n2\n3") << "1 2 3 E";
    QTest::newRow("no final line break") << QByteArray("1\r\n2") << "1 2 E";
    // A lone CR is no line break: the rest of the file is the rest of the first line.
    QTest::newRow("CR only") << QByteArray("1\r35\r5\r") << "1 E";
    QTest::newRow("CR inside a line") << QByteArray("1\r2\r\n3\r\n") << "1 3 E";
    QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF"
                                                   "1\r\n2\r\n")
                                     << "! 2 E";
    QTest::newRow("binary garbage")
        << QByteArray("\x80\xff\x7f\r\n\x00\x00 12\r\n", 12) << "! 12 E";
    QTest::newRow("sign alone") << QByteArray("-\r\n+\r\n") << "! ! E";
    QTest::newRow("prefix alone") << QByteArray("$\r\n0x\r\n") << "! ! E";
    QTest::newRow("decimal with letters") << QByteArray("12a\r\n1e3\r\n") << "! ! E";
    QTest::newRow("misplaced prefix") << QByteArray("00x1\r\n1x2\r\n$0x1\r\n") << "! ! ! E";
    QTest::newRow("decimal point") << QByteArray("3.5\r\n") << "! E";
}

void TestValueReader::reads() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);

    ValueReader fromBytes(bytes);
    QCOMPARE(describe(fromBytes), expected);

    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    ValueReader fromBuffer(&buffer);
    QCOMPARE(describe(fromBuffer), expected);

    TrickleDevice trickle(bytes);
    ValueReader fromTrickle(&trickle);
    QCOMPARE(describe(fromTrickle), expected);
}

void TestValueReader::badTokenIsReportedWithItsLine() {
    const QByteArray bytes("1\r\n\r\n2\r\n" + QByteArray(100, 'q') + "\r\n");
    ValueReader r(bytes);
    QCOMPARE(r.read().value, 1);
    QCOMPARE(r.read().value, 2);
    QCOMPARE(r.line(), 3);
    QCOMPARE(r.read().status, ValueReader::Status::Invalid);
    QCOMPARE(r.line(), 4);
    // A long token is cut for the message, not quoted whole.
    QVERIFY(r.lastTokenForDisplay().startsWith(QStringLiteral("qqqq")));
    QVERIFY(r.lastTokenForDisplay().size() < 40);
}

void TestValueReader::hugeTokensAndLinesCostOnePass() {
    // 16 MiB of digits in one token, then a 16 MiB tail on the next value's line: both must
    // stream through the reader without being collected.
    QByteArray bytes;
    bytes.reserve(33 * 1024 * 1024);
    bytes.append(QByteArray(16 * 1024 * 1024, '9'));
    bytes.append("\r\n42 ");
    bytes.append(QByteArray(16 * 1024 * 1024, 'z'));
    bytes.append("\r\n7");
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    ValueReader r(&buffer);
    QCOMPARE(describe(r), QStringLiteral("! 42 7 E"));
}

void TestValueReader::deviceFailureIsNotEndOfFile() {
    TrickleDevice failing("12\r\n34\r\n56", 5);
    ValueReader r(&failing);
    QCOMPARE(describe(r), QStringLiteral("12 D"));
    QCOMPARE(r.deviceError(), QStringLiteral("simulated failure"));
}

QTEST_GUILESS_MAIN(TestValueReader)
#include "test_valuereader.moc"
