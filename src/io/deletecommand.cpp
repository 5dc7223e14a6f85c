#include "io/deletecommand.h"

#include "board/editor.h"
#include "io/filewrite.h"
#include "io/projectfile.h"

#include <QFile>

#include <vector>

namespace kelmira {

DeleteResult deleteHighlighted(Editor& editor, const QString& scratchPath) {
    const int32_t count = editor.board().count();
    std::vector<StoredRecord> kept;
    for (int32_t position : editor.recordsKeptByDelete()) {
        if (const tDetal* d = editor.board().detal(position))
            kept.push_back(storedRecord(*d));
    }

    const WriteOutcome written = writeFileAtomically(scratchPath, encodeRecords(kept));
    if (!written.ok) {
        return {DeleteResult::Status::ScratchNotWritten,
                written.message + QStringLiteral(" Деталь не удалена.")};
    }

    // With one component or none the rebuild places nothing again: nothing to read back.
    if (count <= 1) {
        editor.rebuild({});
        return {};
    }

    // The scratch file only carries the records: they are still held here, so should the file
    // fail to read back exactly as written, the board is rebuilt from memory and a delete
    // never loses a component.
    std::vector<StoredRecord> readBack;
    bool readOk = false;
    QString reason;
    QFile file(scratchPath);
    if (file.open(QIODevice::ReadOnly)) {
        ValueReader reader(&file);
        const RecordsRead read =
            readRecords(reader, [&](const StoredRecord& r) { readBack.push_back(r); });
        readOk = read.status == RecordsRead::Status::Complete && readBack == kept;
        if (!readOk)
            reason = QStringLiteral("содержимое изменилось");
        if (read.status == RecordsRead::Status::DeviceError)
            reason = russianFileReason(read.deviceError);
    } else {
        reason = russianFileReason(file.errorString());
    }

    editor.rebuild(kept);

    if (readOk)
        return {};
    return {DeleteResult::Status::RebuiltFromMemory,
            QStringLiteral("Не удалось прочитать временный файл «%1»: %2. Остальные детали "
                           "восстановлены из памяти программы.")
                .arg(displayPath(scratchPath), reason)};
}

} // namespace kelmira
