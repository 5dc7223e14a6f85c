#pragma once

#include "board/board.h"
#include "io/valuereader.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace kelmira {

class Editor;

std::vector<StoredRecord> boardRecords(const Board& board);

// The file's bytes: the count, then six values per record, one shortest signed decimal per
// line, every line ended by CR LF. An empty list gives "0\r\n".
QByteArray encodeRecords(const std::vector<StoredRecord>& records);

// What reading the records of a file found. `complete` counts the records handed to the sink.
struct RecordsRead {
    enum class Status { Complete, Truncated, InvalidNumber, DeviceError };
    Status status = Status::Complete;
    int32_t declared = 0;
    int32_t complete = 0;
    qint64 line = 0;     // line of the bad token
    QString token;       // the bad token, for the message
    QString deviceError; // the device's text after DeviceError
};

// Reads the count and then up to that many records, handing each complete record to `sink`.
// Stops at the first bad token or at the end of the data, so a count far beyond what the
// data holds costs only the data.
RecordsRead readRecords(ValueReader& reader, const std::function<void(const StoredRecord&)>& sink);

// The dialog's name with ".kelmar" appended, always.
QString projectFileName(const QString& dialogName);

struct SaveResult {
    bool ok = false;
    QString path;
    QString message; // success text or the Russian error
};

// Writes the board to projectFileName(dialogName), replacing an existing file only when the
// whole new content has been written.
SaveResult saveProject(const Board& board, const QString& dialogName);

struct LoadResult {
    enum class Status {
        Loaded,        // all declared records placed
        Incomplete,    // the file ended early; the complete records are placed
        OpenFailed,    // the board was not touched
        InvalidNumber, // the records before the bad token are placed
        ReadFailed,    // the device failed; the records read before are placed
    };
    Status status = Status::OpenFailed;
    int32_t declared = 0;
    int32_t placed = 0;
    QString message; // success text, the short-file notice or the Russian error

    bool ok() const { return status == Status::Loaded; }
    // Whether the board was cleared and refilled (everything but OpenFailed).
    bool boardReplaced() const { return status != Status::OpenFailed; }
};

// Replaces the editor's board with the file's records. The board is cleared only once the
// file is open; afterwards nothing is highlighted and nothing is selected.
LoadResult loadProject(Editor& editor, const QString& path);

} // namespace kelmira
