#pragma once

#include <QDir>
#include <QFileInfo>
#include <QString>

namespace kelmira {

// Where the fuzz targets keep their files: in memory where the system offers it, since every
// save syncs its file to disk and would otherwise cost more than the rest of a run.
inline QString fuzzScratchTemplate() {
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    const QString base = shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath();
    return QDir(base).filePath(QStringLiteral("kelmira-fuzz-XXXXXX"));
}

} // namespace kelmira
