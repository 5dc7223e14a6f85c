#include "io/autosave.h"

#include "io/filewrite.h"
#include "io/projectfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kelmira {

void AutosaveSchedule::changed(Clock::time_point now) {
    if (!m_pending)
        m_first = now;
    m_pending = true;
    m_last = now;
}

bool AutosaveSchedule::due(Clock::time_point now) const {
    return m_pending && (now - m_last >= m_quiet || now - m_first >= m_longest);
}

Autosave::Autosave(const QString& programFolder, const Board& board,
                   AutosaveSchedule::Duration quiet, AutosaveSchedule::Duration longest)
    : m_copyPath(copyPath(programFolder)),
      m_lockFile(QDir(programFolder).filePath(QStringLiteral("Data/Autosave.lock"))),
      m_board(board), m_schedule(quiet, longest), m_seenRevision(board.revision()) {
    // A lock left by a program that was killed names a process that is gone, and is taken over
    // at once; a live one is never broken however old it is.
    m_lockFile.setStaleLockTime(0);
}

Autosave::~Autosave() {
    stop();
}

QString Autosave::copyPath(const QString& programFolder) {
    return QDir(programFolder).filePath(QStringLiteral("Data/Autosave.kelmar"));
}

Autosave::Lock Autosave::lock() {
    if (m_lockFile.isLocked() || m_lockFile.tryLock(0))
        m_lock = Lock::Held;
    else if (m_lockFile.error() == QLockFile::LockFailedError)
        m_lock = Lock::OtherProgram;
    else
        m_lock = Lock::Unavailable;
    return m_lock;
}

bool Autosave::hasCopy() const {
    return QFileInfo(m_copyPath).isFile();
}

QDateTime Autosave::copyTime() const {
    return QFileInfo(m_copyPath).lastModified();
}

void Autosave::boardKept() {
    m_seenRevision = m_board.revision();
    m_schedule.taken();
}

bool Autosave::discard() {
    if (keepsOff())
        return true;
    collect(true);
    boardKept();
    return !QFile::exists(m_copyPath) || QFile::remove(m_copyPath);
}

void Autosave::stop() {
    m_stopped = true;
    collect(true);
}

Autosave::Tick Autosave::collect(bool wait) {
    Tick t;
    if (!m_writer.valid())
        return t;
    if (!wait && m_writer.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return t;
    t.finished = true;
    t.failure = m_writer.get();
    t.failedFirst = !t.failure.isEmpty() && !m_failing;
    m_failing = !t.failure.isEmpty();
    return t;
}

Autosave::Tick Autosave::poll(Clock::time_point now) {
    Tick t = collect(false);
    if (m_stopped || keepsOff())
        return t;
    const uint64_t revision = m_board.revision();
    if (revision != m_seenRevision) {
        m_seenRevision = revision;
        m_schedule.changed(now);
    }
    if (m_writer.valid() || !m_schedule.due(now))
        return t;
    m_schedule.taken();
    // A failed write is tried again with the next change, not on every tick.
    std::vector<StoredRecord> records = boardRecords(m_board);
    m_writer = std::async(std::launch::async, [records = std::move(records), path = m_copyPath] {
        const WriteOutcome w = writeFileAtomically(path, encodeRecords(records));
        return w.ok ? QString() : w.message;
    });
    t.started = true;
    return t;
}

} // namespace kelmira
