// A project file of any bytes is loaded onto a board, saved, and read back: the load must
// place exactly the records the reader finds, say clearly what was wrong, keep the board's
// invariants, and the save must give back the same board.

#include "board/board.h"
#include "board/editor.h"
#include "invariants.h"
#include "io/projectfile.h"
#include "io/valuereader.h"
#include "scratchdir.h"

#include <QFile>
#include <QHashFunctions>
#include <QIODevice>
#include <QTemporaryDir>

#include <algorithm>
#include <cstring>
#include <vector>

using namespace kelmira;

namespace {

struct Session {
    QTemporaryDir dir{fuzzScratchTemplate()};
    QString input = dir.filePath(QStringLiteral("input.kelmar"));
    QString savedName = dir.filePath(QStringLiteral("saved"));
    Editor loaded;
    Editor reloaded;
};

Session& session() {
    static Session s;
    return s;
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

std::vector<std::pair<int32_t, int32_t>> cellsOf(const Board& b) {
    std::vector<std::pair<int32_t, int32_t>> out;
    for (int32_t c : b.occupiedCells())
        out.emplace_back(c, b.gridData()[c]);
    return out;
}

LoadResult::Status expectedStatus(RecordsRead::Status s) {
    switch (s) {
    case RecordsRead::Status::Complete:
        return LoadResult::Status::Loaded;
    case RecordsRead::Status::Truncated:
        return LoadResult::Status::Incomplete;
    case RecordsRead::Status::InvalidNumber:
        return LoadResult::Status::InvalidNumber;
    case RecordsRead::Status::DeviceError:
        return LoadResult::Status::ReadFailed;
    }
    return LoadResult::Status::OpenFailed;
}

void check(bool ok, const char* where, const char* fault) {
    if (!ok)
        invariants::fail(where, fault);
}

// Hands out its bytes a few at a time (so tokens and line breaks straddle every refill), and
// fails for good once `failAt` bytes have gone out, when that is inside the data.
class PieceDevice : public QIODevice {
public:
    PieceDevice(QByteArray data, qint64 failAt) : m_data(std::move(data)), m_failAt(failAt) {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* out, qint64 max) override {
        if (m_failAt >= 0 && m_pos >= m_failAt) {
            setErrorString(QStringLiteral("Input/output error"));
            return -1;
        }
        const qint64 piece = std::min<qint64>({max, m_data.size() - m_pos, 1 + m_pos % 7});
        if (piece <= 0)
            return 0;
        std::memcpy(out, m_data.constData() + m_pos, size_t(piece));
        m_pos += piece;
        return piece;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_data;
    qint64 m_failAt;
    qint64 m_pos = 0;
};

std::vector<StoredRecord> readAllRecords(ValueReader& reader, RecordsRead* outcome) {
    std::vector<StoredRecord> out;
    *outcome = readRecords(reader, [&](const StoredRecord& rec) { out.push_back(rec); });
    return out;
}

bool isPrefix(const std::vector<StoredRecord>& part, const std::vector<StoredRecord>& whole) {
    return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Session& s = session();
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    {
        QFile f(s.input);
        check(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size(),
              "writing the input", "the fuzz input could not be written to a file");
    }

    // Some earlier board is always there to be replaced.
    s.loaded.PlaceStored(40, 40, 40, 1, 11, 0);
    const LoadResult r = loadProject(s.loaded, s.input);
    const Board& board = s.loaded.board();
    check(r.boardReplaced(), "loadProject", "an existing file was not opened");
    check(board.count() == r.placed, "loadProject", "the board does not hold the records placed");
    check(r.placed >= 0 && (r.declared <= 0 ? r.placed == 0 : r.placed <= r.declared),
          "loadProject", "more records placed than the file declares");
    if (r.ok())
        check(r.placed == std::max(r.declared, 0), "loadProject",
              "a load reported complete without all declared records");
    check(!r.message.isEmpty(), "loadProject", "no message");
    if (!r.ok())
        check(r.message.contains(QStringLiteral("input.kelmar")), "loadProject",
              "a failed load does not name the file");
    check(s.loaded.highlighted() == -1 && !s.loaded.SelDetal(), "loadProject",
          "something is highlighted or selected after a load");
    invariants::checkAll(s.loaded, "loadProject");

    // Reading the same bytes from memory must find the same records as reading the file in
    // chunks: a token split across a chunk boundary is the same token.
    std::vector<StoredRecord> fromMemory;
    ValueReader memoryReader{QByteArrayView(bytes)};
    const RecordsRead read =
        readRecords(memoryReader, [&](const StoredRecord& rec) { fromMemory.push_back(rec); });
    const std::vector<StoredRecord> records = boardRecords(board);
    check(fromMemory == records, "readRecords", "memory and file readers disagree on the records");
    check(expectedStatus(read.status) == r.status && read.declared == r.declared, "readRecords",
          "memory and file readers disagree on the outcome");

    // Delivered in small pieces the device gives the same; failing midway it gives a clear
    // device error and only records read before the failure.
    RecordsRead pieceOutcome;
    PieceDevice pieces(bytes, -1);
    ValueReader pieceReader(&pieces);
    check(readAllRecords(pieceReader, &pieceOutcome) == records &&
              pieceOutcome.status == read.status,
          "readRecords", "a device handing out small pieces reads differently");
    const qint64 failAt = bytes.isEmpty() ? 0 : qint64(qHash(bytes) % size_t(bytes.size()));
    PieceDevice failing(bytes, failAt);
    ValueReader failingReader(&failing);
    RecordsRead failOutcome;
    const std::vector<StoredRecord> beforeFailure = readAllRecords(failingReader, &failOutcome);
    check(isPrefix(beforeFailure, records), "readRecords",
          "a failing device produced records the data does not hold");
    if (failOutcome.status == RecordsRead::Status::DeviceError)
        check(failOutcome.deviceError == QStringLiteral("Input/output error"), "readRecords",
              "the device's own error text is lost");
    else
        check(failOutcome.status == read.status && beforeFailure == records, "readRecords",
              "a device failure went unnoticed");

    const SaveResult saved = saveProject(board, s.savedName);
    check(saved.ok, "saveProject", "saving into a writable folder failed");
    check(fileBytes(saved.path) == encodeRecords(records), "saveProject",
          "the file does not hold the board's records");

    const LoadResult again = loadProject(s.reloaded, saved.path);
    check(again.ok(), "reloading", "a saved project does not load completely");
    check(boardRecords(s.reloaded.board()) == records, "reloading", "the records differ");
    check(cellsOf(s.reloaded.board()) == cellsOf(board), "reloading", "the grids differ");
    check(s.reloaded.entryTexts() == s.loaded.entryTexts(), "reloading", "the lists differ");
    // Same cells as the swept board, so the list and records checks are enough here.
    invariants::checkStep(s.reloaded, "reloading");
    return 0;
}
