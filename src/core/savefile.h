#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

namespace kelmira {

// Where replacing a file stopped, with the system's own text for why.
struct SaveFailure {
    enum Stage { None, Open, Write, Commit };
    Stage stage = None;
    QString reason;

    bool failed() const { return stage != None; }
};

// Writes all bytes to an open device. A short write leaves the device without an error of its
// own (the bytes that did fit count as written), so the reason then comes from errno.
bool writeAllBytes(QFileDevice& device, const QByteArray& bytes, QString* reason);

// Replaces the file at `path` through a temporary file beside it, so that a failure at any
// point leaves the old file exactly as it was. Callers check the folder and the kind of file
// first and word the failure for the user.
SaveFailure replaceFile(const QString& path, const QByteArray& bytes);

} // namespace kelmira
