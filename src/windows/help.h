#pragma once

#include <QString>

namespace kelmira {

// The help page, relative to the working directory as the program has always looked for it.
QString helpPagePath();

// Opens the help page in the desktop's viewer. Nothing is reported when the page or a viewer
// is missing; the return value only says whether the page was handed to the desktop.
bool openHelp();

} // namespace kelmira
