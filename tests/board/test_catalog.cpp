#include "board/catalog.h"

#include <QStringList>
#include <QTest>

#include <set>

using namespace kelmira;

class TestCatalog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void kinds_data();
    void kinds();
    void codesOutsideCatalog_data();
    void codesOutsideCatalog();
    void kindsInCodeOrderWithUniqueMenuItems();
    void combos_data();
    void combos();
};

void TestCatalog::kinds_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("category");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("menuItem");
    const struct {
        int code;
        const char* name;
        const char* menu;
    } rows[] = {
        {1, "Датчик", "N23"},
        {2, "Микросхема", "N28"},
        {3, "Выпрямитель", "N24"},
        {4, "Диод", "N25"},
        {5, "Тиристор", "N26"},
        {6, "Светодиод", "N61"},
        {7, "Транзистор", "N27"},
        {8, "Электродвигатель", "N62"},
        {9, "Дисплей", "N63"},
        {11, "Резистор", "N29"},
        {12, "Конденсатор", "N30"},
        {13, "Варистор", "N31"},
        {14, "Потенциометр", "N32"},
        {15, "Акустика", "N64"},
        {21, "Амперметр", "N33"},
        {22, "Вольтметр", "N34"},
        {23, "Омметр", "N35"},
        {24, "Мультиметр", "N58"},
        {31, "Источник питания", "N37"},
        {32, "Переключатель", "N51"},
        {33, "Провод (тип1)", "N60"},
        {34, "Провод (тип2)", "N210"},
    };
    for (const auto& r : rows)
        QTest::addRow("%d", r.code)
            << r.code << r.code / 10 << QString::fromUtf8(r.name) << QString::fromLatin1(r.menu);
}

void TestCatalog::kinds() {
    QFETCH(int, code);
    QFETCH(int, category);
    QFETCH(QString, name);
    QFETCH(QString, menuItem);
    const KindInfo* k = findKind(code);
    QVERIFY(k);
    QCOMPARE(k->code, code);
    QCOMPARE(k->category, category);
    QCOMPARE(k->name, name);
    QCOMPARE(k->entry, QStringLiteral("-") + name);
    QCOMPARE(QString::fromLatin1(k->menuItem), menuItem);
    // The combo box position plus the category base gives the code back.
    const QStringList entries = comboEntries(category);
    QCOMPARE(entries.indexOf(name) + categoryBase(category), code);
}

void TestCatalog::codesOutsideCatalog_data() {
    QTest::addColumn<int>("code");
    for (int code : {0, 10, 16, 17, 18, 19, 20, 25, 26, 27, 28, 29, 30, 35, -1, 99})
        QTest::addRow("%d", code) << code;
    QTest::newRow("min") << int(std::numeric_limits<int32_t>::min());
    QTest::newRow("max") << int(std::numeric_limits<int32_t>::max());
}

void TestCatalog::codesOutsideCatalog() {
    QFETCH(int, code);
    QCOMPARE(findKind(code), nullptr);
}

void TestCatalog::kindsInCodeOrderWithUniqueMenuItems() {
    const auto& kinds = catalog();
    QCOMPARE(kinds.size(), size_t(22));
    std::set<QString> menuItems;
    for (size_t i = 1; i < kinds.size(); ++i)
        QVERIFY(kinds[i - 1].code < kinds[i].code);
    for (const KindInfo& k : kinds)
        menuItems.insert(QString::fromLatin1(k.menuItem));
    QCOMPARE(menuItems.size(), size_t(22));
}

void TestCatalog::combos_data() {
    QTest::addColumn<int>("category");
    QTest::addColumn<int>("entryCount");
    QTest::addColumn<QString>("last");
    QTest::addColumn<QString>("groupCaption");
    QTest::addColumn<QString>("menuCaption");
    QTest::newRow("active") << 0 << 10 << "Дисплей"
                            << "Активные компоненты :"
                            << "&Активные компоненты";
    QTest::newRow("passive") << 1 << 6 << "Акустика"
                             << "Пассивные компоненты :"
                             << "&Пассивные компоненты";
    QTest::newRow("instruments") << 2 << 5 << "Мультиметр"
                                 << "Приборы :"
                                 << "&Приборы";
    QTest::newRow("other") << 3 << 5 << "Провод (тип2)"
                           << "Прочее :"
                           << "&Прочее";
}

void TestCatalog::combos() {
    QFETCH(int, category);
    QFETCH(int, entryCount);
    QFETCH(QString, last);
    QFETCH(QString, groupCaption);
    QFETCH(QString, menuCaption);
    const QStringList entries = comboEntries(category);
    QCOMPARE(entries.size(), entryCount);
    QCOMPARE(entries.first(), QStringLiteral("Не выбрано"));
    QCOMPARE(entries.last(), last);
    // The last position maps onto the category's highest code.
    QCOMPARE(findKind(int32_t(entries.size() - 1) + categoryBase(category))->name, last);
    QCOMPARE(categoryGroupCaption(category), groupCaption);
    QCOMPARE(categoryMenuCaption(category), menuCaption);
}

QTEST_MAIN(TestCatalog)
#include "test_catalog.moc"
