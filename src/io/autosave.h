#pragma once

#include "board/board.h"

#include <QDateTime>
#include <QLockFile>
#include <QString>

#include <chrono>
#include <future>
#include <optional>

namespace kelmira {

struct WriteOutcome;

// When the copy of a changing board is due: once the board has stayed unchanged for `quiet`,
// and at the latest `longest` after the first change the copy does not hold yet, so a board
// that keeps changing is still written that often.
class AutosaveSchedule {
public:
    using Clock = std::chrono::steady_clock;
    using Duration = std::chrono::milliseconds;

    AutosaveSchedule(Duration quiet, Duration longest) : m_quiet(quiet), m_longest(longest) {}

    void changed(Clock::time_point now);
    bool due(Clock::time_point now) const;
    bool pending() const { return m_pending; }
    // A write has taken the board as it stood: nothing is due until the next change.
    void taken() { m_pending = false; }

private:
    Duration m_quiet;
    Duration m_longest;
    bool m_pending = false;
    Clock::time_point m_first{};
    Clock::time_point m_last{};
};

// The automatic copy of unsaved work: Data/Autosave.kelmar in the program's folder, in the
// project file's format, written atomically whenever the schedule says so. The records are
// copied on the calling thread; encoding and writing run on a worker thread of their own, so
// the caller never waits for the disk. A lock file keeps a second copy of the program started
// from the same folder away from the first one's copy.
class Autosave {
public:
    using Clock = AutosaveSchedule::Clock;

    Autosave(const QString& programFolder, const Board& board,
             AutosaveSchedule::Duration quiet = std::chrono::seconds(5),
             AutosaveSchedule::Duration longest = std::chrono::seconds(5));
    ~Autosave();
    Autosave(const Autosave&) = delete;
    Autosave& operator=(const Autosave&) = delete;

    static QString copyPath(const QString& programFolder);
    QString copyPath() const { return m_copyPath; }

    enum class Lock {
        Held,         // this program writes the copy
        OtherProgram, // another running copy of the program holds it: this one keeps off
        Unavailable,  // no lock could be made (no Data folder, no rights): writes are tried
    };
    Lock lock();
    bool keepsOff() const { return m_lock == Lock::OtherProgram; }

    bool hasCopy() const;
    QDateTime copyTime() const;

    // The board as it stands now needs no copy (it was just loaded, saved or restored).
    void boardKept();
    // Removes the copy (after a write in flight has ended) and takes the board as kept.
    // False when a copy is left that could not be removed.
    bool discard();
    // Ends the work: waits for a write in flight; nothing is written afterwards.
    void stop();

    struct Tick {
        bool started = false;     // a write began
        bool finished = false;    // a write ended
        bool failedFirst = false; // it failed, and the failure before it did not
        QString failure;          // why the write that ended failed
    };
    // Notices a change of the board, starts a due write, collects a finished one. Called on
    // the thread that owns the board, often (some times a second).
    Tick poll(Clock::time_point now);
    bool writing() const { return m_writer.valid(); }

private:
    Tick collect(bool wait);

    QString m_copyPath;
    QLockFile m_lockFile;
    Lock m_lock = Lock::Unavailable;
    const Board& m_board;
    AutosaveSchedule m_schedule;
    uint64_t m_seenRevision;
    bool m_stopped = false;
    bool m_failing = false;
    std::future<QString> m_writer; // the failure text, empty on success
};

} // namespace kelmira
