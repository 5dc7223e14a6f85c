#pragma once

#include <QString>

#include <cstdint>
#include <vector>

namespace kelmira {

struct KindInfo {
    int32_t code;         // 1..9, 11..15, 21..24, 31..34
    int category;         // 0 active, 1 passive, 2 instruments, 3 other (= combo box number - 1)
    QString name;         // "Резистор"
    QString entry;        // "-Резистор"
    const char* menuItem; // object name of the "Компоненты" menu item, "N29"
};

// All 22 kinds in code order.
const std::vector<KindInfo>& catalog();
// The kind with this code, or nullptr for a code outside the catalog.
const KindInfo* findKind(int32_t code);
// Category bases: 0, 10, 20, 30.
int32_t categoryBase(int category);
// Entries of combo box `category` (0..3): "Не выбрано" then the names in code order.
QStringList comboEntries(int category);
// Category captions "Активные компоненты :" .. "Прочее :" and menu captions "&Активные компоненты"
// ..
QString categoryGroupCaption(int category);
QString categoryMenuCaption(int category);

} // namespace kelmira
