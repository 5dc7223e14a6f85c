#pragma once

#include <QString>

namespace kelmira {

class Editor;

struct DeleteResult {
    enum class Status {
        Done,              // the board was rebuilt from the scratch file (or emptied)
        ScratchNotWritten, // the scratch file could not be written; the board is untouched
        RebuiltFromMemory, // the scratch file did not read back as written; nothing was lost
    };
    Status status = Status::Done;
    QString message; // empty after Done, otherwise Russian text for the user

    bool ok() const { return status == Status::Done; }
};

// Removes the component named by the highlighted entry of the placed-components list by
// passing the others through the scratch file at `scratchPath`: write them, clear the board,
// and, when two or more components were on the board, place them again and select the first.
// With nothing highlighted nothing is removed but the board is still rebuilt; the only
// component is removed whatever is highlighted. The frame timer is the caller's to stop and
// restart around the call.
DeleteResult deleteHighlighted(Editor& editor, const QString& scratchPath);

} // namespace kelmira
