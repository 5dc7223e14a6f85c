#pragma once

// Ways to make a write fail on purpose, also for root (CI runs as root, and root writes into
// a folder of mode 0555 as if it were open).

#include <QByteArray>
#include <QFile>
#include <QString>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

namespace kelmira::faulttest {

// While alive, file access is checked as for the unprivileged user "nobody": changing the
// filesystem uid of root to another drops the capabilities that override file permissions
// (see capabilities(7)). Only this thread is affected. For anyone but root it does nothing,
// since the permission bits bind them already.
class AsNobody {
public:
    AsNobody() {
#ifdef Q_OS_LINUX
        m_wasRoot = ::geteuid() == 0;
        if (m_wasRoot)
            ::setfsuid(65534);
#endif
    }
    ~AsNobody() {
#ifdef Q_OS_LINUX
        if (m_wasRoot)
            ::setfsuid(0);
#endif
    }
    AsNobody(const AsNobody&) = delete;
    AsNobody& operator=(const AsNobody&) = delete;

private:
    bool m_wasRoot = false;
};

// While alive, no file of this process may grow beyond `bytes`: a write past it fails with
// "file too large", as a disk filling up midway would. The signal the kernel sends with it
// is ignored so that the write returns its error instead of ending the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes) {
#ifdef Q_OS_LINUX
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit limited = m_saved;
        limited.rlim_cur = rlim_t(bytes);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        m_active = ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
#else
        Q_UNUSED(bytes);
#endif
    }
    ~FileSizeLimit() {
#ifdef Q_OS_LINUX
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
#endif
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool active() const {
        return m_active;
    }

private:
    bool m_active = false;
#ifdef Q_OS_LINUX
    rlimit m_saved{};
    void (*m_oldHandler)(int) = SIG_DFL;
#endif
};

// Makes `path` a device that accepts opening and refuses every byte with "no space left",
// like /dev/full. False where device nodes cannot be made (not root, or a container that
// forbids it).
inline bool makeFullDevice(const QString& path) {
#ifdef Q_OS_LINUX
    return ::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0666, makedev(1, 7)) == 0;
#else
    Q_UNUSED(path);
    return false;
#endif
}

inline bool isCharacterDevice(const QString& path) {
#ifdef Q_OS_LINUX
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISCHR(st.st_mode);
#else
    Q_UNUSED(path);
    return false;
#endif
}

inline QByteArray contentOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

inline bool writeContent(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace kelmira::faulttest
