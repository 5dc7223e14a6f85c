// A random board (catalog kinds, codes without a model as a project file may bring them,
// records reaching out of the grid, any turn) under random scene settings is exported as .glb
// or .gltf and read back with tinygltf: the file must load without complaint, hold one node
// per drawn component of a kind with a model, exactly the kept scene's triangles and lines,
// indices inside their vertex arrays, and materials whose names are their colours.

#include "board/board.h"
#include "board/catalog.h"
#include "board/editor.h"
#include "export/gltfexport.h"
#include "fuzzinput.h"
#include "invariants.h"
#include "models/recordingcanvas.h"
#include "render/renderer.h"
#include "render/scenegeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <string>

using namespace kelmira;

namespace {

constexpr int kMaxRecords = 48;

void check(bool ok, const char* where, const std::string& fault) {
    if (!ok)
        invariants::fail(where, fault);
}

Rgb colour(FuzzInput& in) {
    // 16 bits a channel: colours that differ below the screen's 8 bits come up too.
    auto channel = [&in] { return float(in.byte() | in.byte() << 8) / 65535.0f; };
    const float r = channel(), g = channel(), b = channel();
    return {r, g, b};
}

// Mostly an origin whose figure stays inside the grid; sometimes anything at all.
int32_t coordinate(FuzzInput& in) {
    const uint8_t b = in.byte();
    return b < 224 ? 1 + int32_t(b) * 145 / 223 : in.value();
}

int32_t kind(FuzzInput& in) {
    const uint8_t b = in.byte();
    return b % 4 ? catalog()[std::size_t(b / 4) % catalog().size()].code : in.value();
}

// The drawn components by kind name, from the full grid sweep: the reference the export's
// own pass over the occupied cells is held to.
std::map<std::string, int> g_sweptKinds;

void countKind(Canvas&, int32_t k) {
    if (const KindInfo* info = findKind(k))
        ++g_sweptKinds[info->name.toStdString()];
}

std::string nodeKind(const std::string& name) {
    const auto space = name.rfind(' ');
    return space == std::string::npos ? name : name.substr(0, space);
}

std::string hexOf(const std::vector<double>& linear) {
    char out[8];
    int rgb[3];
    for (std::size_t k = 0; k < 3; ++k) {
        const double c = linear.at(k);
        const double srgb = c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
        rgb[k] = std::clamp(int(std::lround(srgb * 255)), 0, 255);
    }
    std::snprintf(out, sizeof out, "#%02X%02X%02X", rgb[0], rgb[1], rgb[2]);
    return out;
}

const unsigned char* accessorData(const tinygltf::Model& m, int accessor) {
    const tinygltf::Accessor& a = m.accessors.at(std::size_t(accessor));
    const tinygltf::BufferView& v = m.bufferViews.at(std::size_t(a.bufferView));
    return m.buffers.at(std::size_t(v.buffer)).data.data() + v.byteOffset + a.byteOffset;
}

struct Counts {
    int64_t triangles = 0;
    int64_t lines = 0;
};

// The primitives of one mesh, every index checked against its vertex array.
Counts countMesh(const tinygltf::Model& m, const tinygltf::Mesh& mesh) {
    Counts c;
    for (const tinygltf::Primitive& p : mesh.primitives) {
        check(p.mode == TINYGLTF_MODE_TRIANGLES || p.mode == TINYGLTF_MODE_LINE, "read back",
              "a primitive is neither triangles nor lines");
        check(p.material >= 0 && std::size_t(p.material) < m.materials.size(), "read back",
              "a primitive without its material");
        const tinygltf::Accessor& positions =
            m.accessors.at(std::size_t(p.attributes.at("POSITION")));
        const tinygltf::Accessor& indices = m.accessors.at(std::size_t(p.indices));
        const std::size_t per = p.mode == TINYGLTF_MODE_TRIANGLES ? 3 : 2;
        check(indices.count % per == 0, "read back", "a primitive holds a partial element");
        const unsigned char* data = accessorData(m, p.indices);
        for (std::size_t i = 0; i < indices.count; ++i) {
            uint32_t n = 0;
            if (indices.componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT)
                n = reinterpret_cast<const uint16_t*>(data)[i];
            else
                n = reinterpret_cast<const uint32_t*>(data)[i];
            check(n < positions.count, "read back", "an index past its vertex array");
        }
        (per == 3 ? c.triangles : c.lines) += int64_t(indices.count / per);
    }
    return c;
}

tinygltf::Model readBack(const QByteArray& bytes, GltfContainer container) {
    tinygltf::Model model;
    tinygltf::TinyGLTF loader;
    std::string err, warn;
    const bool ok =
        container == GltfContainer::Binary
            ? loader.LoadBinaryFromMemory(&model, &err, &warn,
                                          reinterpret_cast<const unsigned char*>(bytes.constData()),
                                          unsigned(bytes.size()))
            : loader.LoadASCIIFromString(&model, &err, &warn, bytes.constData(),
                                         unsigned(bytes.size()), "");
    check(ok && err.empty() && warn.empty(), "read back", "tinygltf: " + err + warn);
    return model;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Editor editor;
    editor.ClearAll();
    FuzzInput in(data, size);

    const uint8_t flags = in.byte();
    SceneSettings s;
    s.stage = flags & 1;
    // Axes and plane grids are never part of the model, whatever the settings say.
    s.axisX = flags & 2;
    s.axisY = s.axisZ = flags & 4;
    s.planeXY = s.planeYZ = s.planeXZ = flags & 8;
    const GltfContainer container = flags & 16 ? GltfContainer::Json : GltfContainer::Binary;
    const int32_t steps[] = {45, 90, 0};
    const int stepChoice = (flags >> 5) % 4;
    s.rotationStep = stepChoice < 3 ? steps[stepChoice] : in.value();
    s.stageColor = colour(in);
    s.boardColor = colour(in);

    const int records = in.byte() % (kMaxRecords + 1);
    for (int i = 0; i < records && !in.empty(); ++i) {
        const int32_t x = coordinate(in), y = coordinate(in), z = coordinate(in);
        const int32_t figure = in.byte() % 6;
        const int32_t k = kind(in);
        editor.PlaceStored(x, y, z, figure, k, in.value());
    }
    Board& board = editor.board();

    const QByteArray bytes = gltfBytes(gltfModelOf(board, s), container);
    check(!bytes.isEmpty(), "gltfBytes", "the model was not written");
    const tinygltf::Model m = readBack(bytes, container);

    check(m.scenes.size() == 1, "read back", "not one scene");
    std::map<std::string, int> nodeKinds;
    Counts total;
    const auto& nodes = m.scenes[0].nodes;
    const std::size_t fixedNodes = s.stage ? 2 : 1;
    check(nodes.size() >= fixedNodes, "read back", "the board or the stage has no node");
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const tinygltf::Node& node = m.nodes.at(std::size_t(nodes[i]));
        check(node.mesh >= 0 && std::size_t(node.mesh) < m.meshes.size(), "read back",
              "a node without its mesh");
        const Counts c = countMesh(m, m.meshes[std::size_t(node.mesh)]);
        total.triangles += c.triangles;
        total.lines += c.lines;
        if (i == 0)
            check(node.name == gltfBoardName().toStdString(), "read back",
                  "the board is not first");
        else if (i == 1 && s.stage)
            check(node.name == gltfStageName().toStdString(), "read back",
                  "the stage is not second");
        else
            ++nodeKinds[nodeKind(node.name)];
    }

    g_sweptKinds.clear();
    RecordingCanvas canvas;
    drawPlacedComponentsSweep(canvas, board, s.rotationStep, countKind);
    check(nodeKinds == g_sweptKinds, "gltfModelOf",
          "the component nodes are not one per drawn component of a kind with a model");

    SceneSettings shown = s;
    shown.axisX = shown.axisY = shown.axisZ = false;
    SceneGeometry kept;
    kept.update(board, shown);
    const Mesh& fixed = kept.mesh(SceneGeometry::Part::Fixed);
    const Mesh parts = kept.componentMesh();
    check(total.triangles == int64_t(fixed.triangleCount()) + parts.triangleCount(), "gltfModelOf",
          "the triangles are not the kept scene's");
    check(total.lines == int64_t(fixed.lineCount()) + parts.lineCount(), "gltfModelOf",
          "the lines are not the kept scene's");

    std::set<std::string> names;
    for (const tinygltf::Material& mat : m.materials) {
        check(names.insert(mat.name).second, "gltfModelOf", "two materials share a name");
        check(mat.name == hexOf(mat.pbrMetallicRoughness.baseColorFactor), "gltfModelOf",
              "a material's name is not its colour");
    }
    return 0;
}
