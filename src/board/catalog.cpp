#include "board/catalog.h"

#include <QStringList>

#include <algorithm>

namespace kelmira {

namespace {

struct Row {
    int32_t code;
    const char* name;
    const char* menuItem;
};

// Menu item names are not in code order; the main window finds its items by these names.
constexpr Row kRows[] = {
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

constexpr int kCategoryCount = 4;

std::vector<KindInfo> buildCatalog() {
    std::vector<KindInfo> kinds;
    kinds.reserve(std::size(kRows));
    for (const Row& r : kRows) {
        const QString name = QString::fromUtf8(r.name);
        kinds.push_back({r.code, r.code / 10, name, QLatin1Char('-') + name, r.menuItem});
    }
    return kinds;
}

} // namespace

const std::vector<KindInfo>& catalog() {
    static const std::vector<KindInfo> kinds = buildCatalog();
    return kinds;
}

const KindInfo* findKind(int32_t code) {
    const auto& kinds = catalog();
    const auto it = std::find_if(kinds.begin(), kinds.end(),
                                 [code](const KindInfo& k) { return k.code == code; });
    return it == kinds.end() ? nullptr : &*it;
}

int32_t categoryBase(int category) {
    return category >= 0 && category < kCategoryCount ? category * 10 : 0;
}

QStringList comboEntries(int category) {
    QStringList entries{QStringLiteral("Не выбрано")};
    for (const KindInfo& k : catalog())
        if (k.category == category)
            entries << k.name;
    return entries;
}

QString categoryGroupCaption(int category) {
    static const char* const captions[kCategoryCount] = {
        "Активные компоненты :", "Пассивные компоненты :", "Приборы :", "Прочее :"};
    return category >= 0 && category < kCategoryCount ? QString::fromUtf8(captions[category])
                                                      : QString();
}

QString categoryMenuCaption(int category) {
    static const char* const captions[kCategoryCount] = {
        "&Активные компоненты", "&Пассивные компоненты", "&Приборы", "&Прочее"};
    return category >= 0 && category < kCategoryCount ? QString::fromUtf8(captions[category])
                                                      : QString();
}

} // namespace kelmira
