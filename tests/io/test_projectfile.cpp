#include "io/filewrite.h"
#include "io/projectfile.h"
#include "io_test_util.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

using namespace kelmira;
using namespace kelmira::testutil;

Q_DECLARE_METATYPE(std::vector<kelmira::StoredRecord>)
Q_DECLARE_METATYPE(kelmira::LoadResult::Status)

namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

const StoredRecord kResistor{35, 5, 2, 1, 11, 0};
const StoredRecord kDiode{60, 20, 30, 2, 4, -3};

QByteArray recordLines(const StoredRecord& r) {
    return encodeRecords({r}).mid(3); // without the count line "1\r\n"
}

// A board with a highlighted, selected component, so that a load visibly replaces it.
void fillBusyBoard(Editor& e) {
    place(e, {{10, 10, 10, 1, 1, 0}, {20, 20, 20, 2, 2, 1}});
    e.AddComponent(12, QStringLiteral("-Конденсатор"));
}

} // namespace

class TestProjectFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void savedBytes_data();
    void savedBytes();
    void roundTripKeepsRecordsCellsAndEntries();
    void nameAlwaysGetsExtension_data();
    void nameAlwaysGetsExtension();
    void load_data();
    void load();
    void laterRecordWinsSharedCell();
    void unopenableFileLeavesBoard_data();
    void unopenableFileLeavesBoard();
    void failedSaveKeepsOldFile_data();
    void failedSaveKeepsOldFile();
    void failureMidwayKeepsOldFile();
    void fullDeviceIsReported();
};

void TestProjectFile::savedBytes_data() {
    QTest::addColumn<std::vector<StoredRecord>>("records");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("empty board") << std::vector<StoredRecord>{} << QByteArray("0\r\n");
    QTest::newRow("one resistor") << std::vector<StoredRecord>{kResistor}
                                  << QByteArray("1\r\n35\r\n5\r\n2\r\n1\r\n11\r\n0\r\n");
    QTest::newRow("figure before kind, order kept")
        << std::vector<StoredRecord>{kDiode, kResistor}
        << QByteArray("2\r\n60\r\n20\r\n30\r\n2\r\n4\r\n-3\r\n"
                      "35\r\n5\r\n2\r\n1\r\n11\r\n0\r\n");
    QTest::newRow("32-bit extremes") << std::vector<StoredRecord>{{kMin, kMax, 0, -1, 0, kMin}}
                                     << QByteArray("1\r\n-2147483648\r\n2147483647\r\n0\r\n-1\r\n"
                                                   "0\r\n-2147483648\r\n");
}

void TestProjectFile::savedBytes() {
    QFETCH(std::vector<StoredRecord>, records);
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    Editor e;
    place(e, records);
    const SaveResult r = saveProject(e.board(), dir.filePath(QStringLiteral("plan")));
    QVERIFY2(r.ok, qPrintable(r.message));
    QCOMPARE(r.message, QStringLiteral("Данные успешно сохранены!"));
    QCOMPARE(readAll(dir.filePath(QStringLiteral("plan.kelmar"))), bytes);
}

void TestProjectFile::roundTripKeepsRecordsCellsAndEntries() {
    Editor saved;
    saved.AddComponent(11, QStringLiteral("-Резистор"));
    QVERIFY(saved.Move(MoveDir::Right, 4));
    QVERIFY(saved.Turn(-1));
    place(saved, {
                     kDiode,
                     {100, 100, 100, 4, 34, kMin},
                     {50, 50, 50, 1, 99, 7}, // unknown kind: a record without an entry
                     {70, 3, 140, 3, 24, kMax},
                     {149, 149, 149, 1, 1, 0}, // footprint beyond the grid
                 });
    QTemporaryDir dir;
    const SaveResult s = saveProject(saved.board(), dir.filePath(QStringLiteral("plan")));
    QVERIFY2(s.ok, qPrintable(s.message));

    Editor loaded;
    fillBusyBoard(loaded);
    const LoadResult l = loadProject(loaded, s.path);
    QVERIFY2(l.ok(), qPrintable(l.message));
    QCOMPARE(l.message, QStringLiteral("Данные успешно загружены!"));
    QCOMPARE(l.placed, 6);

    EditorState expected = stateOf(saved);
    expected.highlighted = -1;
    expected.selected = -1;
    QCOMPARE(expected.entries.size(), 5);
    QVERIFY(stateOf(loaded) == expected);
    QCOMPARE(loaded.entryTexts(), saved.entryTexts());
    QCOMPARE(loaded.SelDetal(), nullptr);
}

void TestProjectFile::nameAlwaysGetsExtension_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::newRow("plain name") << "plan"
                                << "plan.kelmar";
    QTest::newRow("already has it") << "plan.kelmar"
                                    << "plan.kelmar.kelmar";
    QTest::newRow("other extension") << "plan.txt"
                                     << "plan.txt.kelmar";
}

void TestProjectFile::nameAlwaysGetsExtension() {
    QFETCH(QString, typed);
    QFETCH(QString, written);
    QTemporaryDir dir;
    const QString chosen = dir.filePath(typed);
    QVERIFY(writeAll(chosen, "untouched"));
    Editor e;
    place(e, {kResistor});
    const SaveResult r = saveProject(e.board(), chosen);
    QVERIFY2(r.ok, qPrintable(r.message));
    QCOMPARE(r.path, dir.filePath(written));
    QCOMPARE(readAll(dir.filePath(written)), encodeRecords({kResistor}));
    QCOMPARE(readAll(chosen), QByteArray("untouched"));
}

void TestProjectFile::load_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<LoadResult::Status>("status");
    QTest::addColumn<int>("declared");
    QTest::addColumn<std::vector<StoredRecord>>("placed");
    QTest::addColumn<int>("entries");
    QTest::addColumn<QStringList>("messageHas");

    using S = LoadResult::Status;
    const QByteArray two = recordLines(kResistor) + recordLines(kDiode);
    const std::vector<StoredRecord> both{kResistor, kDiode};
    const QStringList loaded{QStringLiteral("Данные успешно загружены!")};

    QTest::newRow("count 0") << QByteArray("0\r\n") << S::Loaded << 0 << std::vector<StoredRecord>{}
                             << 0 << loaded;
    QTest::newRow("empty file") << QByteArray() << S::Loaded << 0 << std::vector<StoredRecord>{}
                                << 0 << loaded;
    QTest::newRow("negative count")
        << "-2\r\n" + two << S::Loaded << -2 << std::vector<StoredRecord>{} << 0 << loaded;
    QTest::newRow("records beyond the count are ignored")
        << "1\r\n" + two << S::Loaded << 1 << std::vector<StoredRecord>{kResistor} << 1 << loaded;
    QTest::newRow("blank lines, comments, lone LF")
        << QByteArray("2 components\n\r\n35 x\r\n5\n2\r\n\t1\r\n11 resistor\r\n0\r\n"
                      "60\r\n20\r\n30\r\n2\r\n4\r\n-3")
        << S::Loaded << 2 << both << 2 << loaded;
    QTest::newRow("unknown kind gets no entry")
        << QByteArray("1\r\n40\r\n40\r\n40\r\n1\r\n77\r\n0\r\n") << S::Loaded << 1
        << std::vector<StoredRecord>{{40, 40, 40, 1, 77, 0}} << 0 << loaded;
    QTest::newRow("records the editor cannot produce")
        << encodeRecords({{kMax, kMin, 0, 0, 1, 0}, {0, 0, 0, 9, 2, 0}, {148, 148, 148, 1, 3, 0}})
        << S::Loaded << 3
        << std::vector<StoredRecord>{{kMax, kMin, 0, 0, 1, 0},
                                     {0, 0, 0, 9, 2, 0},
                                     {148, 148, 148, 1, 3, 0}}
        << 3 << loaded;
    QTest::newRow("ends inside a record")
        << "3\r\n" + recordLines(kResistor) + "60\r\n20\r\n30\r\n"
        << S::Incomplete << 3 << std::vector<StoredRecord>{kResistor} << 1
        << QStringList{QStringLiteral("заявлено записей — 3"), QStringLiteral("найдено — 1")};
    QTest::newRow("huge count, two records")
        << "2147483647\r\n" + two << S::Incomplete << kMax << both << 2
        << QStringList{QStringLiteral("2147483647"), QStringLiteral("найдено — 2")};
    QTest::newRow("CR-only line breaks")
        << QByteArray("1\r35\r5\r2\r1\r11\r0\r") << S::Incomplete << 1
        << std::vector<StoredRecord>{} << 0 << QStringList{QStringLiteral("найдено — 0")};
    QTest::newRow("bad token in the second record")
        << "3\r\n" + recordLines(kResistor) + "60\r\n20\r\nthirty\r\n2\r\n4\r\n0\r\n" +
               recordLines(kDiode)
        << S::InvalidNumber << 3 << std::vector<StoredRecord>{kResistor} << 1
        << QStringList{QStringLiteral("Invalid numeric input"), QStringLiteral("строка 10"),
                       QStringLiteral("thirty")};
    QTest::newRow("bad count") << QByteArray("two\r\n") + two << S::InvalidNumber << 0
                               << std::vector<StoredRecord>{} << 0
                               << QStringList{QStringLiteral("Invalid numeric input")};
    QTest::newRow("byte-order mark")
        << QByteArray("\xEF\xBB\xBF") + "1\r\n" + recordLines(kDiode) << S::InvalidNumber << 0
        << std::vector<StoredRecord>{} << 0 << QStringList{QStringLiteral("Invalid numeric input")};
    QTest::newRow("binary garbage")
        << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << S::InvalidNumber << 0
        << std::vector<StoredRecord>{} << 0 << QStringList{QStringLiteral("Invalid numeric input")};
}

void TestProjectFile::load() {
    QFETCH(QByteArray, bytes);
    QFETCH(LoadResult::Status, status);
    QFETCH(int, declared);
    QFETCH(std::vector<StoredRecord>, placed);
    QFETCH(int, entries);
    QFETCH(QStringList, messageHas);

    QTemporaryDir dir;
    // Placeholders in the name must reach the message as typed.
    const QString path = dir.filePath(QStringLiteral("in %1 %3.kelmar"));
    QVERIFY(writeAll(path, bytes));
    Editor e;
    fillBusyBoard(e);

    const LoadResult r = loadProject(e, path);
    QCOMPARE(r.status, status);
    QCOMPARE(r.declared, declared);
    QCOMPARE(r.placed, int(placed.size()));
    QVERIFY(boardRecords(e.board()) == placed);
    for (int32_t i = 0; i < e.board().count(); ++i)
        QCOMPARE(e.board().detal(i)->Index, i);
    QCOMPARE(int(e.entries().size()), entries);
    QCOMPARE(e.highlighted(), -1);
    QCOMPARE(e.SelDetal(), nullptr);
    for (const QString& part : messageHas)
        QVERIFY2(r.message.contains(part), qPrintable(r.message));
    if (status != LoadResult::Status::Loaded)
        QVERIFY2(r.message.contains(QStringLiteral("«") + path + QStringLiteral("»")),
                 qPrintable(r.message));
}

void TestProjectFile::laterRecordWinsSharedCell() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("overlap.kelmar"));
    QVERIFY(writeAll(path, encodeRecords({kResistor, {35, 5, 2, 3, 12, 0}})));
    Editor e;
    QVERIFY(loadProject(e, path).ok());
    QCOMPARE(e.board().count(), 2);
    QCOMPARE(e.entryTexts(),
             (QStringList{QStringLiteral("-Резистор"), QStringLiteral("-Конденсатор")}));
    QCOMPARE(e.board().cell(39, 10, 4), 1);
    QCOMPARE(e.board().occupiedCells().size(), size_t(1));
}

void TestProjectFile::unopenableFileLeavesBoard_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("isFolder");
    QTest::newRow("missing file") << "nothing.kelmar" << false;
    QTest::newRow("a folder") << "folder.kelmar" << true;
}

void TestProjectFile::unopenableFileLeavesBoard() {
    QFETCH(QString, name);
    QFETCH(bool, isFolder);
    QTemporaryDir dir;
    if (isFolder)
        QVERIFY(QDir(dir.path()).mkdir(name));
    Editor e;
    fillBusyBoard(e);
    const EditorState before = stateOf(e);

    const LoadResult r = loadProject(e, dir.filePath(name));
    QCOMPARE(r.status, LoadResult::Status::OpenFailed);
    QVERIFY(!r.boardReplaced());
    QVERIFY2(r.message.contains(name), qPrintable(r.message));
    QVERIFY(stateOf(e) == before);
}

void TestProjectFile::failedSaveKeepsOldFile_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("reasonHas");
    QTest::newRow("missing folder") << "missing"
                                    << "не существует";
    QTest::newRow("folder is a file") << "plain"
                                      << "не является папкой";
    QTest::newRow("read-only folder") << "locked"
                                      << "доступ запрещён";
}

void TestProjectFile::failedSaveKeepsOldFile() {
    QFETCH(QString, folder);
    QFETCH(QString, reasonHas);
    QTemporaryDir dir;
    const QString old = dir.filePath(QStringLiteral("locked/plan.kelmar"));
    QVERIFY(writeAll(dir.filePath(QStringLiteral("plain")), "a file"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("locked")));
    QVERIFY(writeAll(old, "old content"));
    const QString locked = dir.filePath(QStringLiteral("locked"));
    const auto openUp = QFileDevice::WriteOwner | QFileDevice::ReadOwner | QFileDevice::ExeOwner;
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    if (folder == QStringLiteral("locked")) {
        QFile probe(dir.filePath(QStringLiteral("locked/probe")));
        if (probe.open(QIODevice::WriteOnly)) {
            probe.remove();
            QFile::setPermissions(locked, openUp);
            QSKIP("folder permissions do not bind this user");
        }
    }

    Editor e;
    place(e, {kResistor, kDiode});
    const SaveResult r = saveProject(e.board(), dir.filePath(folder + QStringLiteral("/plan")));
    QFile::setPermissions(locked, openUp);

    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(QDir::toNativeSeparators(r.path)), qPrintable(r.message));
    QVERIFY2(r.message.contains(reasonHas), qPrintable(r.message));
    QCOMPARE(readAll(old), QByteArray("old content"));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("missing"))));
}

void TestProjectFile::failureMidwayKeepsOldFile() {
#ifdef Q_OS_LINUX
    QTemporaryDir dir;
    const QString old = dir.filePath(QStringLiteral("plan.kelmar"));
    QVERIFY(writeAll(old, "old content"));
    Editor e;
    for (int i = 0; i < 2000; ++i)
        e.PlaceStored(10 + i % 100, 10, 10 + i / 100, 1, 11, i);

    // A file size limit makes the disk "fill up" part way through the new content.
    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    const SaveResult r = saveProject(e.board(), dir.filePath(QStringLiteral("plan")));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(QStringLiteral("plan.kelmar")), qPrintable(r.message));
    QVERIFY2(r.message.contains(QStringLiteral("файл слишком велик")), qPrintable(r.message));
    QCOMPARE(readAll(old), QByteArray("old content"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("plan.kelmar")});
#else
    QSKIP("needs a file size limit");
#endif
}

void TestProjectFile::fullDeviceIsReported() {
    if (!QFileInfo::exists(QStringLiteral("/dev/full")))
        QSKIP("no full device here");
    const WriteOutcome direct = writeFileAtomically(QStringLiteral("/dev/full"), "1\r\n");
    QVERIFY(!direct.ok);
    QVERIFY2(direct.message.contains(QStringLiteral("/dev/full")), qPrintable(direct.message));
    QVERIFY2(direct.message.contains(QStringLiteral("недостаточно места")),
             qPrintable(direct.message));

    // Through a link the device is written, never replaced by a file.
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("plan.kelmar"));
    QVERIFY(QFile::link(QStringLiteral("/dev/full"), link));
    Editor e;
    place(e, {kResistor});
    const SaveResult r = saveProject(e.board(), dir.filePath(QStringLiteral("plan")));
    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(QStringLiteral("plan.kelmar")), qPrintable(r.message));
    QCOMPARE(QFileInfo(link).symLinkTarget(), QStringLiteral("/dev/full"));
    QVERIFY(!QFileInfo(QStringLiteral("/dev/full")).isFile());
}

QTEST_GUILESS_MAIN(TestProjectFile)
#include "test_projectfile.moc"
