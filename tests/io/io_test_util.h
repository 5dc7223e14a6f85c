#pragma once

#include "board/editor.h"
#include "io/projectfile.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <utility>
#include <vector>

namespace kelmira::testutil {

inline QByteArray readAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return f.readAll();
}

inline bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline void place(Editor& e, const std::vector<StoredRecord>& records) {
    for (const StoredRecord& r : records)
        e.PlaceStored(r.X, r.Y, r.Z, r.Figure, r.Kind, r.Rot);
}

// Everything a user or a later command can observe of the editor, to compare two editors or
// one editor before and after a command.
struct EditorState {
    std::vector<StoredRecord> records;
    std::vector<int32_t> indexes;
    QStringList entries;
    std::vector<int32_t> entryRecords;
    int highlighted = -1;
    int32_t selected = -1;                          // Index of SelDetal, -1 for none
    std::vector<std::pair<int32_t, int32_t>> cells; // occupied cell -> index

    bool operator==(const EditorState&) const = default;
};

inline EditorState stateOf(const Editor& e) {
    EditorState s;
    s.records = boardRecords(e.board());
    for (const auto& d : e.board().DetalList())
        s.indexes.push_back(d->Index);
    s.entries = e.entryTexts();
    for (const ListEntry& entry : e.entries())
        s.entryRecords.push_back(entry.record);
    s.highlighted = e.highlighted();
    s.selected = e.SelDetal() ? e.SelDetal()->Index : -1;
    for (int32_t c : e.board().occupiedCells())
        s.cells.emplace_back(c, e.board().gridData()[c]);
    return s;
}

} // namespace kelmira::testutil
