// When the automatic copy is written, what it holds, and how a failing write is told.
#include "board/editor.h"
#include "io/autosave.h"
#include "io/projectfile.h"
#include "io_test_util.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace kelmira;
using namespace std::chrono_literals;
using Clock = Autosave::Clock;

class TestAutosave : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void schedule_data();
    void schedule();
    void copyFollowsTheBoard();
    void writeFailureIsToldOnce();
};

void TestAutosave::schedule_data() {
    // Changes at the given milliseconds; the schedule is asked at `at`. Quiet 5 s, longest 5 s
    // unless the row says otherwise.
    QTest::addColumn<QList<int>>("changes");
    QTest::addColumn<int>("quiet");
    QTest::addColumn<int>("longest");
    QTest::addColumn<int>("at");
    QTest::addColumn<bool>("due");
    QTest::newRow("nothing changed") << QList<int>{} << 5000 << 5000 << 60000 << false;
    QTest::newRow("too soon after a change") << QList<int>{0} << 5000 << 5000 << 4999 << false;
    QTest::newRow("quiet long enough") << QList<int>{0} << 5000 << 5000 << 5000 << true;
    QTest::newRow("a later change waits again")
        << QList<int>{0, 3000} << 5000 << 60000 << 7000 << false;
    QTest::newRow("changes going on are written all the same")
        << QList<int>{0, 2000, 4000, 6000} << 5000 << 5000 << 6000 << true;
    QTest::newRow("quiet after the last of several")
        << QList<int>{0, 2000, 4000} << 5000 << 60000 << 9000 << true;
}

void TestAutosave::schedule() {
    QFETCH(QList<int>, changes);
    QFETCH(int, quiet);
    QFETCH(int, longest);
    QFETCH(int, at);
    QFETCH(bool, due);
    AutosaveSchedule s{std::chrono::milliseconds(quiet), std::chrono::milliseconds(longest)};
    const Clock::time_point t0{};
    for (int ms : changes)
        s.changed(t0 + std::chrono::milliseconds(ms));
    QCOMPARE(s.due(t0 + std::chrono::milliseconds(at)), due);
}

namespace {

// Polls until the write in flight has ended; the result of the poll that saw it end.
Autosave::Tick pollUntilWritten(Autosave& a, Clock::time_point now) {
    Autosave::Tick t = a.poll(now);
    for (int i = 0; i < 500 && a.writing(); ++i) {
        QTest::qWait(10);
        const Autosave::Tick next = a.poll(now);
        if (next.finished)
            return next;
    }
    return t;
}

} // namespace

void TestAutosave::copyFollowsTheBoard() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Data")));
    Editor e;
    Autosave a(dir.path(), e.board(), 100ms, 100ms);
    QCOMPARE(a.lock(), Autosave::Lock::Held);
    const Clock::time_point t0 = Clock::now();

    a.poll(t0);
    pollUntilWritten(a, t0 + 1s);
    QVERIFY2(!a.hasCopy(), "an unchanged board is not written");

    e.AddComponent(11, QStringLiteral("-Резистор"));
    a.poll(t0 + 2s);
    QVERIFY(!a.hasCopy());
    const Autosave::Tick t = pollUntilWritten(a, t0 + 3s);
    QVERIFY(t.finished && t.failure.isEmpty());
    QCOMPARE(testutil::readAll(a.copyPath()), encodeRecords(boardRecords(e.board())));

    // Changes that go on are written at the latest `longest` after the first of them.
    e.Move(MoveDir::Right, 2);
    a.poll(t0 + 4s);
    e.Move(MoveDir::Right, 2);
    pollUntilWritten(a, t0 + 6s);
    QCOMPARE(testutil::readAll(a.copyPath()), encodeRecords(boardRecords(e.board())));

    QVERIFY(a.discard());
    QVERIFY(!a.hasCopy());
    pollUntilWritten(a, t0 + 8s);
    QVERIFY2(!a.hasCopy(), "a discarded board is not written again until it changes");

    e.AddComponent(12, QStringLiteral("-Конденсатор"));
    a.boardKept();
    pollUntilWritten(a, t0 + 10s);
    QVERIFY2(!a.hasCopy(), "a kept board (just saved or loaded) needs no copy");
}

void TestAutosave::writeFailureIsToldOnce() {
    QTemporaryDir dir;
    // No Data folder: the copy cannot be written (the folder is never created for it).
    Editor e;
    Autosave a(dir.path(), e.board(), 10ms, 10ms);
    QCOMPARE(a.lock(), Autosave::Lock::Unavailable);
    const Clock::time_point t0 = Clock::now();
    QList<bool> told;
    for (int n = 0; n < 3; ++n) {
        if (n == 2)
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Data")));
        e.AddComponent(11, QStringLiteral("-Резистор"));
        a.poll(t0 + std::chrono::seconds(2 * n));
        const Autosave::Tick t = pollUntilWritten(a, t0 + std::chrono::seconds(2 * n + 1));
        QVERIFY(t.finished);
        QCOMPARE(t.failure.isEmpty(), n == 2);
        told.append(t.failedFirst);
    }
    QCOMPARE(told, (QList<bool>{true, false, false}));
    QCOMPARE(e.board().count(), 3);
    QVERIFY(a.hasCopy());
}

QTEST_GUILESS_MAIN(TestAutosave)
#include "test_autosave.moc"
