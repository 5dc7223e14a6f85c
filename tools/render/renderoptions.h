#pragma once

#include "render/camera.h"
#include "render/viewlayout.h"

#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

namespace kelmira {

enum class ImageFormat { Png, Jpeg, Bmp };

// What one run of kelmira-render is asked to do.
struct RenderOptions {
    QString project;
    QString output;
    ImageFormat format = ImageFormat::Png;
    bool model = false; // -o names a .glb or .gltf: the board as a 3D model, not a picture
    ViewMode view = ViewMode::Standard; // the sheet: all four panes as Panel6 shows them
    QSize size; // already resolved: the view's default when --size was not given
    CameraState camera;
    int zoom = kZoomStart;  // TrackBar1 position
    QString settingsPath;   // empty: the design values
    bool strict = false;    // an incomplete or damaged project fails instead of a warning
    int repeat = 1;         // renders of the same picture, timed when more than one
    bool immediate = false; // draw call by call, the reference the kept scene is measured by
    int select = 0;         // the component to mark, 1 for the project's first; 0: none
    bool help = false;
};

struct ParsedOptions {
    RenderOptions options;
    QString error; // Russian, empty when the command line is usable

    bool ok() const { return error.isEmpty(); }
};

// Parses the arguments after the program name. Options take their value as the next
// argument or after "=" (--size=800x600); "-o" only as the next argument.
ParsedOptions parseRenderOptions(const QStringList& args);

// The picture sizes of the editor's window at its start size (1221 x 878): Panel6 for the
// sheet, one pane of the standard arrangement for a single view.
QSize defaultRenderSize(ViewMode view);

// Image sides the offscreen target accepts; a sheet also needs room for its four panes.
constexpr int kMaxRenderSide = 8192;
constexpr int kMinSheetSide = 100;
constexpr int kMaxRepeat = 100000;

std::optional<ImageFormat> imageFormatForPath(const QString& path);
std::optional<ViewMode> viewModeFromName(const QString& name);

QString renderHelpText();

} // namespace kelmira
