#include "board/editor.h"

#include <QTest>

#include <limits>

using namespace kelmira;

Q_DECLARE_METATYPE(kelmira::MoveDir)

namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

QList<int> toList(const std::vector<int32_t>& v) {
    return QList<int>(v.begin(), v.end());
}

// The delete command as the main window runs it on top of the editor, without the scratch file
// that only carries the records.
void deleteHighlighted(Editor& e) {
    std::vector<StoredRecord> kept;
    for (int32_t i : e.recordsKeptByDelete())
        kept.push_back(storedRecord(*e.board().detal(i)));
    e.rebuild(kept);
}

} // namespace

class TestEditor : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void addSensorOnEmptyBoard();
    void addUsesSelectedFigure();
    void move_data();
    void move();
    void moveOntoAnotherRefused();
    void turn();
    void nothingSelected();
    void selectResults();
    void highlightWithoutSelect();
    void setHighlightedOutOfRange();
    void unknownKindsKeepEntriesOnTheirRecords_data();
    void unknownKindsKeepEntriesOnTheirRecords();
    void recordsKeptByDelete_data();
    void recordsKeptByDelete();
    void deleteMiddleOfThree();
    void clearAll();
    void selectionDroppedWhenBoardClearedDirectly();
    void coordinateTextsShown_data();
    void coordinateTextsShown();
};

void TestEditor::addSensorOnEmptyBoard() {
    Editor e;
    tDetal& d = e.AddComponent(1, QStringLiteral("-Датчик"));
    QCOMPARE(e.board().count(), 1);
    QCOMPARE(d.Index, 0);
    QCOMPARE(d.X, 35);
    QCOMPARE(d.Y, 5);
    QCOMPARE(d.Z, 2);
    QCOMPARE(d.Figure, 1);
    QCOMPARE(d.Rot, 0);
    QCOMPARE(d.Kind, 1);
    QCOMPARE(e.entryTexts(), QStringList{QStringLiteral("-Датчик")});
    QCOMPARE(e.highlighted(), 0);
    QCOMPARE(e.SelDetal(), &d);
    QCOMPARE(e.highlightedRecord(), &d);
    const CoordTexts t = coordinateTexts(*e.highlightedRecord());
    QCOMPARE(t.x, QStringLiteral("X= -35"));
    QCOMPARE(t.y, QStringLiteral("Y= 71"));
    QCOMPARE(t.z, QStringLiteral("Z= 2"));
}

void TestEditor::addUsesSelectedFigure() {
    Editor e;
    e.setFigureSelection(1);
    e.AddComponent(11, QStringLiteral("-Резистор"));
    QCOMPARE(e.board().detal(0)->Figure, 2);
    QCOMPARE(e.board().cell(38, 7, 4), 0);
}

void TestEditor::move_data() {
    QTest::addColumn<MoveDir>("dir");
    QTest::addColumn<int>("step");
    QTest::addColumn<QList<int>>("from");
    QTest::addColumn<QList<int>>("to"); // equal to from when refused
    QTest::newRow("left 5 from x 7 reaches 2")
        << MoveDir::Left << 5 << QList{7, 5, 2} << QList{2, 5, 2};
    QTest::newRow("left 5 from x 6 refused")
        << MoveDir::Left << 5 << QList{6, 5, 2} << QList{6, 5, 2};
    QTest::newRow("lower 2 from y 4 reaches 2")
        << MoveDir::Down << 2 << QList{35, 4, 2} << QList{35, 2, 2};
    QTest::newRow("lower 2 from y 3 refused")
        << MoveDir::Down << 2 << QList{35, 3, 2} << QList{35, 3, 2};
    QTest::newRow("forward decreases z")
        << MoveDir::Forward << 3 << QList{35, 5, 10} << QList{35, 5, 7};
    QTest::newRow("forward to z 1") << MoveDir::Forward << 1 << QList{35, 5, 2} << QList{35, 5, 1};
    QTest::newRow("forward past z 1 refused")
        << MoveDir::Forward << 2 << QList{35, 5, 2} << QList{35, 5, 2};
    QTest::newRow("back increases z") << MoveDir::Back << 4 << QList{35, 5, 2} << QList{35, 5, 6};
    QTest::newRow("right increases x") << MoveDir::Right << 2 << QList{35, 5, 2} << QList{37, 5, 2};
    QTest::newRow("right until the cell reaches 150")
        << MoveDir::Right << 1 << QList{145, 5, 2} << QList{146, 5, 2};
    QTest::newRow("right with the cell beyond 150 refused")
        << MoveDir::Right << 1 << QList{146, 5, 2} << QList{146, 5, 2};
    QTest::newRow("raise increases y") << MoveDir::Up << 5 << QList{35, 5, 2} << QList{35, 10, 2};
    QTest::newRow("raise with the cell beyond 150 refused")
        << MoveDir::Up << 5 << QList{35, 141, 2} << QList{35, 141, 2};
    QTest::newRow("back past 148 refused")
        << MoveDir::Back << 1 << QList{35, 5, 148} << QList{35, 5, 148};
    // Stored values at the 32-bit limits: the step must not wrap them onto the board.
    QTest::newRow("left from x min")
        << MoveDir::Left << 5 << QList{kMin, 5, 2} << QList{kMin, 5, 2};
    QTest::newRow("right from x max")
        << MoveDir::Right << 5 << QList{kMax, 5, 2} << QList{kMax, 5, 2};
    QTest::newRow("down from y min")
        << MoveDir::Down << 1 << QList{35, kMin, 2} << QList{35, kMin, 2};
    QTest::newRow("back from z max")
        << MoveDir::Back << 3 << QList{35, 5, kMax} << QList{35, 5, kMax};
    // In 32 bits, kMin + 1 - kMax wraps to exactly 2, a legal origin.
    QTest::newRow("huge step would wrap onto the board")
        << MoveDir::Left << kMax << QList{kMin + 1, 5, 2} << QList{kMin + 1, 5, 2};
    QTest::newRow("back onto the board from far away")
        << MoveDir::Back << 100 << QList{35, 5, -90} << QList{35, 5, 10};
}

void TestEditor::move() {
    QFETCH(MoveDir, dir);
    QFETCH(int, step);
    QFETCH(QList<int>, from);
    QFETCH(QList<int>, to);
    Editor e;
    e.PlaceStored(from[0], from[1], from[2], 1, 1, 0);
    e.SelectFirst();
    tDetal* d = e.SelDetal();
    QVERIFY(d);
    const int displayedY = coordinateTexts(*d).y.mid(3).toInt();
    QCOMPARE(e.Move(dir, step), from != to);
    QCOMPARE((QList<int>{d->X, d->Y, d->Z}), to);
    if (from != to)
        QCOMPARE(e.board().cell(to[0] + 4, to[1] + 5, to[2] + 2), 0);
    if (dir == MoveDir::Forward && from != to)
        QCOMPARE(coordinateTexts(*d).y.mid(3).toInt(), displayedY + step);
}

void TestEditor::moveOntoAnotherRefused() {
    Editor e;
    e.PlaceStored(40, 5, 2, 1, 1, 0);
    tDetal& second = e.AddComponent(2, QStringLiteral("-Микросхема"));
    QVERIFY(!e.Move(MoveDir::Right, 5));
    QCOMPARE(second.X, 35);
    QCOMPARE(e.board().cell(39, 10, 4), 1);
    QCOMPARE(e.board().cell(44, 10, 4), 0);
    QVERIFY(e.Move(MoveDir::Right, 4));
    QCOMPARE(e.board().cell(43, 10, 4), 1);
}

void TestEditor::turn() {
    Editor e;
    tDetal& d = e.AddComponent(7, QStringLiteral("-Транзистор"));
    for (int i = 0; i < 8; ++i)
        QVERIFY(e.Turn(+1));
    QCOMPARE(d.Rot, 8);
    QVERIFY(e.Turn(-1));
    QCOMPARE(d.Rot, 7);
    QCOMPARE(e.board().cell(39, 10, 4), 0);
    // A second add at the start origin takes the cell; the first may not turn then.
    e.AddComponent(7, QStringLiteral("-Транзистор"));
    e.setHighlighted(0);
    QCOMPARE(e.Select(), Editor::SelectResult::Selected);
    QVERIFY(!e.Turn(+1));
    QCOMPARE(d.Rot, 7);
}

void TestEditor::nothingSelected() {
    Editor e;
    QVERIFY(!e.Move(MoveDir::Left, 1));
    QVERIFY(!e.Turn(1));
    e.PlaceStored(35, 5, 2, 1, 1, 0);
    QCOMPARE(e.SelDetal(), nullptr);
    QVERIFY(!e.Move(MoveDir::Right, 1));
    QCOMPARE(e.board().detal(0)->X, 35);
}

void TestEditor::selectResults() {
    Editor e;
    QCOMPARE(e.Select(), Editor::SelectResult::EmptyBoard);
    // As after loading a project: components, entries, no highlight.
    e.PlaceStored(35, 5, 2, 1, 1, 0);
    QCOMPARE(e.highlighted(), -1);
    QCOMPARE(e.Select(), Editor::SelectResult::NoHighlight);
    QCOMPARE(e.SelDetal(), nullptr);
    // Only unknown kinds: records but no entries at all.
    e.ClearAll();
    e.PlaceStored(35, 5, 2, 1, 0, 0);
    QVERIFY(e.entries().empty());
    QCOMPARE(e.Select(), Editor::SelectResult::NoHighlight);
}

void TestEditor::highlightWithoutSelect() {
    Editor e;
    tDetal& first = e.AddComponent(1, QStringLiteral("-Датчик"));
    e.Move(MoveDir::Right, 10);
    tDetal& second = e.AddComponent(4, QStringLiteral("-Диод"));
    e.setHighlighted(0);
    QCOMPARE(e.highlightedRecord(), &first);
    QCOMPARE(coordinateTexts(*e.highlightedRecord()).x, QStringLiteral("X= -25"));
    QVERIFY(e.Move(MoveDir::Up, 2));
    QCOMPARE(second.Y, 7);
    QCOMPARE(first.Y, 5);
    QCOMPARE(e.Select(), Editor::SelectResult::Selected);
    QCOMPARE(e.SelDetal(), &first);
}

void TestEditor::setHighlightedOutOfRange() {
    Editor e;
    e.AddComponent(1, QStringLiteral("-Датчик"));
    for (int p : {1, 7, -2, std::numeric_limits<int>::min()}) {
        e.setHighlighted(0);
        e.setHighlighted(p);
        QCOMPARE(e.highlighted(), -1);
        QCOMPARE(e.highlightedRecord(), nullptr);
    }
}

void TestEditor::unknownKindsKeepEntriesOnTheirRecords_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("record");
    QTest::addColumn<QList<int>>("kept");
    // Records of kinds 1, 99, 11, 0, 21: the entries name records 0, 2 and 4.
    QTest::newRow("first entry") << 0 << 0 << QList{1, 2, 3, 4};
    QTest::newRow("entry after an unknown kind") << 1 << 2 << QList{0, 1, 3, 4};
    QTest::newRow("last entry") << 2 << 4 << QList{0, 1, 2, 3};
}

void TestEditor::unknownKindsKeepEntriesOnTheirRecords() {
    QFETCH(int, position);
    QFETCH(int, record);
    QFETCH(QList<int>, kept);
    Editor e;
    int z = 2;
    for (int kind : {1, 99, 11, 0, 21})
        e.PlaceStored(35, 5, z += 6, 1, kind, 0);
    QCOMPARE(e.entryTexts(), QStringList({"-Датчик", "-Резистор", "-Амперметр"}));
    e.setHighlighted(position);
    QCOMPARE(e.highlightedRecord(), e.board().detal(record));
    QCOMPARE(toList(e.recordsKeptByDelete()), kept);
    QCOMPARE(e.Select(), Editor::SelectResult::Selected);
    QCOMPARE(e.SelDetal(), e.board().detal(record));
    QVERIFY(e.Move(MoveDir::Left, 1));
    QCOMPARE(e.board().detal(record)->X, 34);
}

void TestEditor::recordsKeptByDelete_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("highlight");
    QTest::addColumn<QList<int>>("kept");
    QTest::newRow("empty board") << 0 << -1 << QList<int>{};
    QTest::newRow("single, highlighted") << 1 << 0 << QList<int>{};
    QTest::newRow("single, nothing highlighted") << 1 << -1 << QList{0};
    QTest::newRow("middle of three") << 3 << 1 << QList{0, 2};
    QTest::newRow("three, nothing highlighted") << 3 << -1 << QList{0, 1, 2};
    QTest::newRow("last of two") << 2 << 1 << QList{0};
}

void TestEditor::recordsKeptByDelete() {
    QFETCH(int, count);
    QFETCH(int, highlight);
    QFETCH(QList<int>, kept);
    Editor e;
    for (int i = 0; i < count; ++i)
        e.AddComponent(1, QStringLiteral("-Датчик"));
    e.setHighlighted(highlight);
    QCOMPARE(toList(e.recordsKeptByDelete()), kept);
}

void TestEditor::deleteMiddleOfThree() {
    Editor e;
    e.PlaceStored(10, 5, 2, 1, 6, 3);
    e.PlaceStored(20, 5, 2, 2, 11, 0);
    e.PlaceStored(30, 5, 2, 1, 99, -5);
    e.PlaceStored(40, 5, 2, 1, 22, 0);
    e.setHighlighted(1); // "-Резистор", record 1
    deleteHighlighted(e);
    QCOMPARE(e.board().count(), 3);
    QCOMPARE(e.entryTexts(), QStringList({"-Светодиод", "-Вольтметр"}));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(e.board().detal(i)->Index, i);
    QCOMPARE(e.board().detal(0)->Rot, 3);
    QCOMPARE(e.board().detal(1)->Kind, 99);
    QCOMPARE(e.board().cell(34, 10, 4), 1);
    QCOMPARE(e.board().cell(44, 10, 4), 2);
    QCOMPARE(e.board().cell(23, 7, 4), kEmptyCell);
    QCOMPARE(e.highlighted(), 0);
    QCOMPARE(e.SelDetal(), e.board().detal(0));
    // The entry after the unknown kind still names its own record.
    e.setHighlighted(1);
    QCOMPARE(e.highlightedRecord(), e.board().detal(2));

    // Deleting down to one, then the last one.
    deleteHighlighted(e);
    deleteHighlighted(e);
    QCOMPARE(e.board().count(), 1);
    e.setHighlighted(-1);
    deleteHighlighted(e);
    QCOMPARE(e.board().count(), 0);
    QVERIFY(e.entries().empty());
    QCOMPARE(e.SelDetal(), nullptr);
    QCOMPARE(e.highlighted(), -1);
}

void TestEditor::clearAll() {
    Editor e;
    int cleared = 0;
    e.board().setClearedHook([&] { ++cleared; });
    e.AddComponent(1, QStringLiteral("-Датчик"));
    e.AddComponent(2, QStringLiteral("-Микросхема"));
    e.ClearAll();
    QCOMPARE(cleared, 1);
    QCOMPARE(e.board().count(), 0);
    QVERIFY(e.entries().empty());
    QCOMPARE(e.highlighted(), -1);
    QCOMPARE(e.SelDetal(), nullptr);
    QCOMPARE(e.board().cell(39, 10, 4), kEmptyCell);
    e.ClearAll();
    QCOMPARE(cleared, 2);
    QCOMPARE(e.AddComponent(3, QStringLiteral("-Выпрямитель")).Index, 0);
}

void TestEditor::selectionDroppedWhenBoardClearedDirectly() {
    Editor e;
    e.AddComponent(1, QStringLiteral("-Датчик"));
    e.board().ClearBoard();
    QCOMPARE(e.SelDetal(), nullptr);
    QCOMPARE(e.highlightedRecord(), nullptr);
    QVERIFY(!e.Move(MoveDir::Left, 1));
    QVERIFY(!e.Turn(1));
    e.AddComponent(1, QStringLiteral("-Датчик"));
    QCOMPARE(e.SelDetal(), e.board().detal(0));
}

void TestEditor::coordinateTextsShown_data() {
    QTest::addColumn<QList<int>>("origin");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("start origin") << QList{35, 5, 2} << QStringList{"X= -35", "Y= 71", "Z= 2"};
    QTest::newRow("reference point") << QList{70, 3, 73} << QStringList{"X= 0", "Y= 0", "Z= 0"};
    QTest::newRow("32-bit limits")
        << QList{kMin, kMax, kMin}
        << QStringList{"X= -2147483718", "Y= 2147483721", "Z= 2147483644"};
}

void TestEditor::coordinateTextsShown() {
    QFETCH(QList<int>, origin);
    QFETCH(QStringList, texts);
    tDetal d;
    d.X = origin[0];
    d.Y = origin[1];
    d.Z = origin[2];
    const CoordTexts t = kelmira::coordinateTexts(d);
    QCOMPARE((QStringList{t.x, t.y, t.z}), texts);
}

QTEST_MAIN(TestEditor)
#include "test_editor.moc"
