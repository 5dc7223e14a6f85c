// A file that does not load must say why in words the user can act on: the bad token the
// message quotes has to look bad. Characters that print as nothing would make it quote a
// valid-looking number (or nothing at all) as "Invalid numeric input".

#include "board/editor.h"
#include "faultenv.h"
#include "io/projectfile.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace kelmira;
using namespace kelmira::faulttest;

class TestLoadMessages : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void quotedTokenLooksWrong_data();
    void quotedTokenLooksWrong();
};

void TestLoadMessages::quotedTokenLooksWrong_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("byte order mark before the count") << QByteArray("\xEF\xBB\xBF"
                                                                    "1\r\n");
    QTest::newRow("delete character alone") << QByteArray("1\r\n\x7F\r\n");
    QTest::newRow("no-break space before a value") << QByteArray("1\r\n\xC2\xA0"
                                                                 "35\r\n");
    QTest::newRow("zero-width space inside a value") << QByteArray("1\r\n3\xE2\x80\x8B"
                                                                   "5\r\n");
    QTest::newRow("letters") << QByteArray("1\r\n35abc\r\n");
}

void TestLoadMessages::quotedTokenLooksWrong() {
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("plan.kelmar"));
    QVERIFY(writeContent(path, bytes));
    Editor e;
    const LoadResult r = loadProject(e, path);
    // Reading past such a character as a blank would be sound as well.
    if (r.status == LoadResult::Status::Loaded || r.status == LoadResult::Status::Incomplete)
        return;
    QCOMPARE(r.status, LoadResult::Status::InvalidNumber);
    const QRegularExpression quoted(QStringLiteral("«([^«»]*)»\\)"));
    const QRegularExpressionMatch m = quoted.match(r.message);
    QVERIFY2(m.hasMatch(), qPrintable(r.message));
    QString shown = m.captured(1);
    shown.remove(QRegularExpression(QStringLiteral("[\\s\\x{A0}\\x{200B}\\x{FEFF}\\x{7F}]")));
    QVERIFY2(!shown.isEmpty(), qPrintable(r.message));
    bool isNumber = false;
    shown.toInt(&isNumber);
    QVERIFY2(!isNumber, qPrintable(r.message));
}

QTEST_GUILESS_MAIN(TestLoadMessages)
#include "test_loadmessages.moc"
