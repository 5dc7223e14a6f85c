// The fuzz targets are only as good as their checks: a broken grid or list must be noticed.

#include "board/editor.h"
#include "invariants.h"

#include <QTest>

#include <functional>
#include <vector>

using namespace kelmira;

namespace {

constexpr int32_t kCells = kGridSize * kGridSize * kGridSize;

// Three records: two sharing a cell (the later one holds it), one with its cell beyond the grid.
void fill(Editor& e) {
    e.PlaceStored(10, 10, 10, 1, 11, 0);
    e.PlaceStored(10, 10, 10, 1, 12, 3);
    e.PlaceStored(148, 148, 148, 1, 13, 0);
    e.PlaceStored(60, 20, 30, 2, 1, 0);
}

} // namespace

class TestInvariants : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void soundBoardPasses();
    void brokenGridIsFound_data();
    void brokenGridIsFound();
    void brokenListIsFound_data();
    void brokenListIsFound();
};

void TestInvariants::soundBoardPasses() {
    Editor e;
    fill(e);
    e.setHighlighted(1);
    e.Select();
    QVERIFY(e.Move(MoveDir::Up, 2));
    QCOMPARE(QString::fromStdString(invariants::recordsFault(e.board())), QString());
    QCOMPARE(QString::fromStdString(invariants::gridFault(e.board(), e.board().gridData())),
             QString());
    QCOMPARE(QString::fromStdString(invariants::editorFault(e)), QString());
}

using GridChange = std::function<void(const Board&, std::vector<int32_t>&)>;
Q_DECLARE_METATYPE(GridChange)

void TestInvariants::brokenGridIsFound_data() {
    QTest::addColumn<GridChange>("change");
    QTest::addColumn<QString>("faultHas");
    // The cell records 0 and 1 share, which the later one holds.
    auto shared = [](const Board& b) {
        for (int32_t c : b.occupiedCells())
            if (b.gridData()[c] == 1)
                return c;
        return int32_t(0);
    };
    QTest::newRow("index beyond the records")
        << GridChange([](const Board&, std::vector<int32_t>& g) { g[12345] = 4; }) << "holds 4";
    QTest::newRow("negative value other than empty")
        << GridChange([](const Board&, std::vector<int32_t>& g) { g[0] = -2; }) << "holds -2";
    QTest::newRow("a record's index far from its footprint")
        << GridChange([](const Board&, std::vector<int32_t>& g) { g[kCells - 1] = 0; })
        << "does not cover";
    QTest::newRow("shared cell handed to the earlier record whose figure is elsewhere")
        << GridChange([=](const Board& b, std::vector<int32_t>& g) { g[shared(b)] = 3; })
        << "does not cover";
    QTest::newRow("occupied cell emptied behind the board's back")
        << GridChange([=](const Board& b, std::vector<int32_t>& g) { g[shared(b)] = kEmptyCell; })
        << "the grid holds";
}

void TestInvariants::brokenGridIsFound() {
    QFETCH(GridChange, change);
    QFETCH(QString, faultHas);
    Editor e;
    fill(e);
    std::vector<int32_t> grid(e.board().gridData(), e.board().gridData() + kCells);
    change(e.board(), grid);
    const QString fault = QString::fromStdString(invariants::gridFault(e.board(), grid.data()));
    QVERIFY2(fault.contains(faultHas), qPrintable(fault));
}

using EditorChange = std::function<void(Editor&)>;
Q_DECLARE_METATYPE(EditorChange)

void TestInvariants::brokenListIsFound_data() {
    QTest::addColumn<EditorChange>("change");
    QTest::addColumn<QString>("faultHas");
    QTest::newRow("entry for a kind outside the catalog")
        << EditorChange([](Editor& e) { e.AddComponent(99, QStringLiteral("-Нечто")); })
        << "entries for";
    QTest::newRow("entry with another kind's text")
        << EditorChange([](Editor& e) { e.AddComponent(11, QStringLiteral("-Диод")); })
        << "names record";
    QTest::newRow("record of a catalog kind without entry")
        << EditorChange([](Editor& e) { e.board().PlaceComponent(40, 40, 40, 1, 11, 0); })
        << "has no list entry";
}

void TestInvariants::brokenListIsFound() {
    QFETCH(EditorChange, change);
    QFETCH(QString, faultHas);
    Editor e;
    fill(e);
    change(e);
    const QString fault = QString::fromStdString(invariants::editorFault(e));
    QVERIFY2(fault.contains(faultHas), qPrintable(fault));
}

QTEST_GUILESS_MAIN(TestInvariants)
#include "test_invariants.moc"
