// Each kind of change, undone and redone: the board, its list and marks come back exactly, and
// so do the project file's bytes. Refused commands keep no step.
#include "board/history.h"
#include "io/deletecommand.h"
#include "io/projectfile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace kelmira;

namespace {

QByteArray projectBytes(const Editor& e) {
    return encodeRecords(boardRecords(e.board()));
}

void addPair(EditHistory& h, Editor& e) {
    h.add(e, 11, QStringLiteral("-Резистор"));
    h.move(e, MoveDir::Right, 5);
    h.add(e, 1, QStringLiteral("-Датчик"));
}

struct Case {
    const char* name;
    void (*setup)(EditHistory&, Editor&, const QString& dir);
    bool (*act)(EditHistory&, Editor&, const QString& dir);
    std::optional<StepKind> step; // none: refused, nothing kept
};

const Case kCases[] = {
    {"add on an empty board", [](EditHistory&, Editor&, const QString&) {},
     [](EditHistory& h, Editor& e, const QString&) {
         h.add(e, 11, QStringLiteral("-Резистор"));
         return true;
     },
     StepKind::Add},
    // The new component takes the start cell; undone, the cell is the first one's again.
    {"add over the start cell",
     [](EditHistory& h, Editor& e, const QString&) { h.add(e, 1, QStringLiteral("-Датчик")); },
     [](EditHistory& h, Editor& e, const QString&) {
         h.add(e, 11, QStringLiteral("-Резистор"));
         return true;
     },
     StepKind::Add},
    {"move", [](EditHistory& h, Editor& e, const QString&) { addPair(h, e); },
     [](EditHistory& h, Editor& e, const QString&) { return h.move(e, MoveDir::Back, 3); },
     StepKind::Move},
    // Undo puts it back where no move could take it.
    {"move from a loaded origin outside the move range",
     [](EditHistory&, Editor& e, const QString&) {
         e.PlaceStored(1, 5, 5, 1, 5, 0);
         e.SelectFirst();
     },
     [](EditHistory& h, Editor& e, const QString&) { return h.move(e, MoveDir::Right, 4); },
     StepKind::Move},
    // The sensor lost its cell to the resistor that was added over it and moved away.
    {"move of a component without a cell",
     [](EditHistory& h, Editor& e, const QString&) {
         h.add(e, 1, QStringLiteral("-Датчик"));
         h.add(e, 11, QStringLiteral("-Резистор"));
         h.move(e, MoveDir::Up, 4);
         e.setHighlighted(0);
         e.Select();
     },
     [](EditHistory& h, Editor& e, const QString&) { return h.move(e, MoveDir::Right, 2); },
     StepKind::Move},
    {"turn", [](EditHistory& h, Editor& e, const QString&) { addPair(h, e); },
     [](EditHistory& h, Editor& e, const QString&) { return h.turn(e, -1); }, StepKind::Turn},
    {"delete the highlighted one",
     [](EditHistory& h, Editor& e, const QString&) {
         addPair(h, e);
         h.move(e, MoveDir::Up, 3);
         h.add(e, 6, QStringLiteral("-Светодиод"));
         e.setHighlighted(1);
     },
     [](EditHistory& h, Editor& e, const QString& dir) {
         return h.wholeBoard(e, StepKind::Delete,
                             [&] { deleteHighlighted(e, dir + QStringLiteral("/Clear.ini")); });
     },
     StepKind::Delete},
    {"clear", [](EditHistory& h, Editor& e, const QString&) { addPair(h, e); },
     [](EditHistory& h, Editor& e, const QString&) {
         return h.wholeBoard(e, StepKind::Clear, [&] { e.ClearAll(); });
     },
     StepKind::Clear},
    {"load", [](EditHistory& h, Editor& e, const QString&) { addPair(h, e); },
     [](EditHistory& h, Editor& e, const QString& dir) {
         QFile f(dir + QStringLiteral("/p.kelmar"));
         f.open(QIODevice::WriteOnly);
         f.write("2\r\n9\r\n9\r\n9\r\n1\r\n22\r\n3\r\n40\r\n9\r\n9\r\n1\r\n99\r\n0\r\n");
         f.close();
         return h.wholeBoard(e, StepKind::Load, [&] { loadProject(e, f.fileName()); });
     },
     StepKind::Load},
    {"move into a neighbour", [](EditHistory& h, Editor& e, const QString&) { addPair(h, e); },
     [](EditHistory& h, Editor& e, const QString&) { return h.move(e, MoveDir::Right, 5); },
     std::nullopt},
    {"move off the grid",
     [](EditHistory& h, Editor& e, const QString&) { h.add(e, 1, QStringLiteral("-Датчик")); },
     [](EditHistory& h, Editor& e, const QString&) { return h.move(e, MoveDir::Left, 40); },
     std::nullopt},
    {"turn with nothing selected", [](EditHistory&, Editor&, const QString&) {},
     [](EditHistory& h, Editor& e, const QString&) { return h.turn(e, 1); }, std::nullopt},
    {"clear an empty board", [](EditHistory&, Editor&, const QString&) {},
     [](EditHistory& h, Editor& e, const QString&) {
         return h.wholeBoard(e, StepKind::Clear, [&] { e.ClearAll(); });
     },
     std::nullopt},
    {"load a missing file", [](EditHistory& h, Editor& e, const QString&) { addPair(h, e); },
     [](EditHistory& h, Editor& e, const QString& dir) {
         return h.wholeBoard(e, StepKind::Load,
                             [&] { loadProject(e, dir + QStringLiteral("/none.kelmar")); });
     },
     std::nullopt},
    {"delete without a scratch folder",
     [](EditHistory& h, Editor& e, const QString&) { addPair(h, e); },
     [](EditHistory& h, Editor& e, const QString& dir) {
         return h.wholeBoard(e, StepKind::Delete, [&] {
             deleteHighlighted(e, dir + QStringLiteral("/missing/Clear.ini"));
         });
     },
     std::nullopt},
};

} // namespace

class TestHistory : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void undoRedo_data() {
        QTest::addColumn<int>("row");
        for (int i = 0; i < int(std::size(kCases)); ++i)
            QTest::newRow(kCases[i].name) << i;
    }

    void undoRedo() {
        QFETCH(int, row);
        const Case& c = kCases[row];
        QTemporaryDir dir;
        Editor e;
        EditHistory h;
        c.setup(h, e, dir.path());
        h.clear();
        const EditorSnapshot before = e.state();
        const QByteArray bytesBefore = projectBytes(e);

        const bool acted = c.act(h, e, dir.path());
        QCOMPARE(h.undoKind(), c.step);
        if (!c.step) {
            QVERIFY(!acted);
            QVERIFY(e.state() == before);
            return;
        }
        const EditorSnapshot after = e.state();
        const QByteArray bytesAfter = projectBytes(e);
        const QStringList entriesAfter = e.entryTexts();
        QVERIFY(!(after == before));

        QVERIFY(h.undo(e));
        QVERIFY(e.state() == before);
        QCOMPARE(projectBytes(e), bytesBefore);
        QCOMPARE(h.redoKind(), c.step);
        QVERIFY(!h.canUndo());

        QVERIFY(h.redo(e));
        QVERIFY(e.state() == after);
        QCOMPARE(projectBytes(e), bytesAfter);
        QCOMPARE(e.entryTexts(), entriesAfter);
        QCOMPARE(e.SelDetal() ? e.SelDetal()->Index : -1, after.marks.selected);
    }

    // A new step after an undo drops what could have been redone; beyond its byte limit the
    // history forgets its oldest steps, never the newest.
    void newStepDropsRedoAndLimitDropsOldest() {
        Editor e;
        EditHistory h;
        addPair(h, e);
        QVERIFY(h.undo(e));
        QVERIFY(h.canRedo());
        h.turn(e, 1);
        QVERIFY(!h.canRedo());
        QCOMPARE(h.count(), std::size_t(3));

        EditHistory small(1000);
        for (int i = 0; i < 40; ++i)
            small.turn(e, 1);
        QVERIFY(small.bytes() <= 1000);
        QVERIFY(small.count() > 1 && small.count() < 40);
        const int32_t rot = e.SelDetal()->Rot;
        while (small.undo(e)) {
        }
        QCOMPARE(e.SelDetal()->Rot, rot - int32_t(small.count()));
    }
};

QTEST_GUILESS_MAIN(TestHistory)
#include "test_history.moc"
