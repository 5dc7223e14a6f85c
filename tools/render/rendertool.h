#pragma once

#include "render/scenesettings.h"
#include "renderoptions.h"

#include <QTextStream>

namespace kelmira {

// Exit statuses of kelmira-render.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1; // unreadable project or settings, unwritable image, no GL
constexpr int kExitUsage = 2;  // the command line itself is wrong

// Loads, renders and writes what the options ask for; messages go to err in Russian, the
// timing of repeated renders to out. Needs
// a QGuiApplication (any platform: the GL context falls back to surfaceless EGL). The image
// file appears only complete: an existing file is replaced only by a finished picture.
int runRender(const RenderOptions& options, QTextStream& out, QTextStream& err);

} // namespace kelmira
