#pragma once

#include <QString>
#include <QStringList>

namespace kelmira {

// How many projects "Недавние проекты" offers.
constexpr int kRecentProjectsLimit = 8;

// The list after `path` was loaded or saved: the path first (absolute and cleaned, so the same
// file never stands twice), the others in their order, at most kRecentProjectsLimit. Empty
// entries of a damaged file drop out on the way.
QStringList withRecentProject(const QStringList& list, const QString& path);

// The list without `path` (its file is gone).
QStringList withoutRecentProject(const QStringList& list, const QString& path);

} // namespace kelmira
