#include "io/projectfile.h"

#include "board/board.h"
#include "board/editor.h"
#include "io/filewrite.h"

#include <QFile>

#include <charconv>

namespace kelmira {

namespace {

void appendLine(QByteArray& out, int32_t value) {
    char buf[16];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, res.ptr - buf);
    out.append("\r\n", 2);
}

QString loadFailureMessage(const QString& path, const RecordsRead& read) {
    // One arg() call each: a file name or a token may itself hold "%1".
    const QString file = displayPath(path);
    const QString complete = QString::number(read.complete);
    switch (read.status) {
    case RecordsRead::Status::Complete:
        break;
    case RecordsRead::Status::Truncated:
        return QStringLiteral("Файл «%1» неполный: заявлено записей — %2, найдено — %3. "
                              "Загружены только найденные записи.")
            .arg(file, QString::number(read.declared), complete);
    case RecordsRead::Status::InvalidNumber:
        return QStringLiteral("Ошибка чтения файла «%1», строка %2 («%3»): %4. "
                              "Загружено записей: %5.")
            .arg(file, QString::number(read.line), read.token, ValueReader::invalidInputText(),
                 complete);
    case RecordsRead::Status::DeviceError:
        return QStringLiteral("Ошибка чтения файла «%1»: %2. Загружено записей: %3.")
            .arg(file, russianFileReason(read.deviceError), complete);
    }
    return QString();
}

} // namespace

std::vector<StoredRecord> boardRecords(const Board& board) {
    std::vector<StoredRecord> out;
    out.reserve(board.DetalList().size());
    for (const auto& d : board.DetalList())
        out.push_back(storedRecord(*d));
    return out;
}

QByteArray encodeRecords(const std::vector<StoredRecord>& records) {
    QByteArray out;
    // Seven values of at most eleven characters and a line break each.
    out.reserve(static_cast<qsizetype>(records.size()) * 6 * 13 + 13);
    appendLine(out, static_cast<int32_t>(records.size()));
    for (const StoredRecord& r : records) {
        appendLine(out, r.X);
        appendLine(out, r.Y);
        appendLine(out, r.Z);
        appendLine(out, r.Figure);
        appendLine(out, r.Kind);
        appendLine(out, r.Rot);
    }
    return out;
}

RecordsRead readRecords(ValueReader& reader, const std::function<void(const StoredRecord&)>& sink) {
    RecordsRead result;
    // Returns false when the value could not be read; the status says why.
    auto next = [&](int32_t& into) {
        const ValueReader::Result v = reader.read();
        switch (v.status) {
        case ValueReader::Status::Value:
            into = v.value;
            return true;
        case ValueReader::Status::EndOfFile:
            result.status = RecordsRead::Status::Truncated;
            return false;
        case ValueReader::Status::Invalid:
            result.status = RecordsRead::Status::InvalidNumber;
            result.line = reader.line();
            result.token = reader.lastTokenForDisplay();
            return false;
        case ValueReader::Status::DeviceError:
            result.status = RecordsRead::Status::DeviceError;
            result.deviceError = reader.deviceError();
            return false;
        }
        return false;
    };

    if (!next(result.declared)) {
        // An empty file reads as a count of 0, which is a complete, empty project.
        if (result.status == RecordsRead::Status::Truncated)
            result.status = RecordsRead::Status::Complete;
        return result;
    }
    while (result.complete < result.declared) {
        StoredRecord r;
        if (!next(r.X) || !next(r.Y) || !next(r.Z) || !next(r.Figure) || !next(r.Kind) ||
            !next(r.Rot))
            return result;
        sink(r);
        ++result.complete;
    }
    return result;
}

QString projectFileName(const QString& dialogName) {
    return dialogName + QStringLiteral(".kelmar");
}

SaveResult saveProject(const Board& board, const QString& dialogName) {
    SaveResult result;
    result.path = projectFileName(dialogName);
    const WriteOutcome w = writeFileAtomically(result.path, encodeRecords(boardRecords(board)));
    result.ok = w.ok;
    result.message = w.ok ? QStringLiteral("Данные успешно сохранены!") : w.message;
    return result;
}

LoadResult loadProject(Editor& editor, const QString& path) {
    LoadResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.status = LoadResult::Status::OpenFailed;
        result.message = QStringLiteral("Не удалось открыть файл «%1»: %2.")
                             .arg(displayPath(path), russianFileReason(file.errorString()));
        return result;
    }

    editor.ClearAll();
    ValueReader reader(&file);
    const RecordsRead read = readRecords(reader, [&](const StoredRecord& r) {
        editor.PlaceStored(r.X, r.Y, r.Z, r.Figure, r.Kind, r.Rot);
    });
    editor.setHighlighted(-1);

    result.declared = read.declared;
    result.placed = read.complete;
    switch (read.status) {
    case RecordsRead::Status::Complete:
        result.status = LoadResult::Status::Loaded;
        result.message = QStringLiteral("Данные успешно загружены!");
        return result;
    case RecordsRead::Status::Truncated:
        result.status = LoadResult::Status::Incomplete;
        break;
    case RecordsRead::Status::InvalidNumber:
        result.status = LoadResult::Status::InvalidNumber;
        break;
    case RecordsRead::Status::DeviceError:
        result.status = LoadResult::Status::ReadFailed;
        break;
    }
    result.message = loadFailureMessage(path, read);
    return result;
}

} // namespace kelmira
