#pragma once

#include "io/filewrite.h"
#include "render/scene.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <tiny_gltf.h>

namespace kelmira {

class Board;

// A scene unit is one centimetre (the board is 20 units, so 20 cm, across); glTF counts in
// metres.
constexpr double kMetresPerSceneUnit = 0.01;

// Node names of the parts that are not components.
QString gltfBoardName();
QString gltfStageName();

// .glb: one binary file; .gltf: JSON with its buffer embedded as a data URI, so that it too
// stays one file.
enum class GltfContainer { Binary, Json };
std::optional<GltfContainer> gltfContainerForPath(const QString& path);

// The scene the panes show, as glTF: a node for the board, one for the stage when it is shown
// and one per drawn component ("Резистор 3": the kind's name and its number among the
// components of that kind in the placed-components list), each placed and turned as drawn.
// Faces are TRIANGLES and the models' lines LINES, one primitive per colour, with one unlit
// material per colour as the screen shows it (8 bits a channel), named "#RRGGBB": equal names
// are equal materials. Axes and plane grids are not part of the board and are left out.
// Every kind's model is written once and shared by its nodes. Positions are in metres, y up.
// Non-const board: drawing folds the records' Rot in place, and so does this.
tinygltf::Model gltfModelOf(Board& board, const SceneSettings& settings);

// The file's bytes; empty when tinygltf could not serialise the model.
QByteArray gltfBytes(const tinygltf::Model& model, GltfContainer container);

// Writes the board's model to path (the container by its suffix). An existing file is replaced
// only by a complete one; on failure the message is in Russian.
WriteOutcome exportGltf(Board& board, const SceneSettings& settings, const QString& path);

} // namespace kelmira
