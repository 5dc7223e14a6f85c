#pragma once

#include <QString>

#include <functional>

namespace kelmira {

// Faults the drawing survives but the user must hear of: the program keeps running and the
// panes keep (or draw from memory) what they can.
enum class RenderFault {
    OutOfMemory,  // no memory for the kept scene: the panes show the board as it was
    UploadFailed, // a buffer object could not be filled: the scene is drawn from client memory
};

// The Russian text the user is shown for a fault.
QString renderFaultText(RenderFault fault);

// Reports a fault through the handler, once per kind of fault for the program's life.
void reportRenderFault(RenderFault fault);

// Where reports go: by default the standard error stream; the pane widgets put a message box
// in its place. Returns the handler it replaces.
using RenderFaultHandler = std::function<void(RenderFault, const QString&)>;
RenderFaultHandler setRenderFaultHandler(RenderFaultHandler handler);
// Forgets which faults were reported, for tests.
void resetRenderFaultReports();

} // namespace kelmira
