#include "io/deletecommand.h"
#include "io_test_util.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace kelmira;
using namespace kelmira::testutil;

namespace {

const StoredRecord kSensor{35, 5, 2, 1, 1, 0};
const StoredRecord kLed{60, 20, 30, 2, 6, -3};
const StoredRecord kWire{100, 7, 9, 1, 34, 5};

} // namespace

class TestDeleteCommand : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void rebuildsTheOthers_data();
    void rebuildsTheOthers();
    void unwritableScratchLosesNothing_data();
    void unwritableScratchLosesNothing();
    void unreadableScratchLosesNothing();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString scratch() const { return m_dir->filePath(QStringLiteral("Data/Clear.ini")); }
};

void TestDeleteCommand::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("Data")));
}

void TestDeleteCommand::rebuildsTheOthers_data() {
    QTest::addColumn<int>("components");
    QTest::addColumn<int>("highlight");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QByteArray>("scratch");

    const QString sensor = QStringLiteral("-Датчик");
    const QString led = QStringLiteral("-Светодиод");
    const QString wire = QStringLiteral("-Провод (тип2)");
    QTest::newRow("middle of three")
        << 3 << 1 << QStringList{sensor, wire}
        << QByteArray("2\r\n35\r\n5\r\n2\r\n1\r\n1\r\n0\r\n100\r\n7\r\n9\r\n1\r\n34\r\n5\r\n");
    QTest::newRow("first of three")
        << 3 << 0 << QStringList{led, wire} << encodeRecords({kLed, kWire});
    QTest::newRow("last of three")
        << 3 << 2 << QStringList{sensor, led} << encodeRecords({kSensor, kLed});
    QTest::newRow("nothing highlighted keeps all")
        << 3 << -1 << QStringList{sensor, led, wire} << encodeRecords({kSensor, kLed, kWire});
    // The only component goes whatever is highlighted; the file still lists what was kept.
    QTest::newRow("the only component, highlighted")
        << 1 << 0 << QStringList{} << QByteArray("0\r\n");
    QTest::newRow("the only component, nothing highlighted")
        << 1 << -1 << QStringList{} << encodeRecords({kSensor});
    QTest::newRow("empty board") << 0 << -1 << QStringList{} << QByteArray("0\r\n");
}

void TestDeleteCommand::rebuildsTheOthers() {
    QFETCH(int, components);
    QFETCH(int, highlight);
    QFETCH(QStringList, entries);
    QFETCH(QByteArray, scratch);

    const std::vector<StoredRecord> all{kSensor, kLed, kWire};
    Editor e;
    place(e, std::vector<StoredRecord>(all.begin(), all.begin() + components));
    e.setHighlighted(highlight);
    QVERIFY(writeAll(this->scratch(), QByteArray(100, 'x'))); // overwritten, not appended to

    const DeleteResult r = deleteHighlighted(e, this->scratch());
    QVERIFY2(r.ok(), qPrintable(r.message));
    QCOMPARE(e.entryTexts(), entries);
    QCOMPARE(e.board().count(), int32_t(entries.size()));
    for (int32_t i = 0; i < e.board().count(); ++i) {
        QCOMPARE(e.board().detal(i)->Index, i);
        QCOMPARE(e.entries()[size_t(i)].record, i);
    }
    // The grid holds the new indexes: each component's single cell carries its position.
    const std::vector<int32_t> cells = e.board().occupiedCells();
    QCOMPARE(cells.size(), size_t(e.board().count()));
    for (int32_t c : cells) {
        const tDetal* d = e.board().detal(e.board().gridData()[c]);
        QVERIFY(d);
        const bool two = d->Figure == 2;
        QCOMPARE(c, cellNumber(d->X + (two ? 3 : 4), d->Y + (two ? 2 : 5), d->Z + 2));
    }
    if (entries.isEmpty()) {
        QCOMPARE(e.highlighted(), -1);
        QCOMPARE(e.SelDetal(), nullptr);
    } else {
        QCOMPARE(e.highlighted(), 0);
        QCOMPARE(e.SelDetal(), e.board().detal(0));
    }
    QCOMPARE(readAll(this->scratch()), scratch);
}

void TestDeleteCommand::unwritableScratchLosesNothing_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("no Data folder") << "Missing/Clear.ini";
    QTest::newRow("Data is a file") << "Data/Clear.ini/Clear.ini";
    QTest::newRow("scratch is a folder") << "Data";
}

void TestDeleteCommand::unwritableScratchLosesNothing() {
    QFETCH(QString, path);
    QVERIFY(writeAll(scratch(), "not a folder"));
    Editor e;
    place(e, {kSensor, kLed, kWire});
    e.setHighlighted(1);
    e.Select();
    const EditorState before = stateOf(e);

    const DeleteResult r = deleteHighlighted(e, m_dir->filePath(path));
    QCOMPARE(r.status, DeleteResult::Status::ScratchNotWritten);
    QVERIFY2(r.message.contains(QStringLiteral("Clear.ini")) ||
                 r.message.contains(QStringLiteral("Data")),
             qPrintable(r.message));
    QVERIFY(stateOf(e) == before);
}

void TestDeleteCommand::unreadableScratchLosesNothing() {
    if (!QFileInfo::exists(QStringLiteral("/dev/null")))
        QSKIP("no null device here");
    // Written without complaint, read back empty: the rebuild must come from memory.
    Editor e;
    place(e, {kSensor, kLed, kWire});
    e.setHighlighted(0);
    const DeleteResult r = deleteHighlighted(e, QStringLiteral("/dev/null"));
    QCOMPARE(r.status, DeleteResult::Status::RebuiltFromMemory);
    QVERIFY2(r.message.contains(QStringLiteral("/dev/null")), qPrintable(r.message));
    QVERIFY(boardRecords(e.board()) == (std::vector<StoredRecord>{kLed, kWire}));
    QCOMPARE(e.entryTexts().size(), 2);
    QCOMPARE(e.highlighted(), 0);
    QCOMPARE(e.SelDetal(), e.board().detal(0));
}

QTEST_GUILESS_MAIN(TestDeleteCommand)
#include "test_deletecommand.moc"
