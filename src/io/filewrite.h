#pragma once

#include <QByteArray>
#include <QString>

namespace kelmira {

// Outcome of writing a file: on failure a Russian message that names the file and the reason.
struct WriteOutcome {
    bool ok = true;
    QString message;
};

// Replaces the file at `path` with `bytes` so that a failure at any point (a missing or
// unwritable folder, a full disk) leaves an existing file exactly as it was. The folder is
// never created. A character device (such as a null or full device) is written in place,
// since it cannot be replaced.
WriteOutcome writeFileAtomically(const QString& path, const QByteArray& bytes);

// The path as the user knows it, with the platform's separators.
QString displayPath(const QString& path);

// A Russian reason for a file layer error text (strerror-style), or the text itself when it
// is not one we know.
QString russianFileReason(const QString& systemText);

} // namespace kelmira
