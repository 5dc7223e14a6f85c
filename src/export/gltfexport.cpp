#include "export/gltfexport.h"

#include "board/board.h"
#include "board/catalog.h"
#include "models/meshcanvas.h"
#include "render/renderer.h"
#include "render/scenegeometry.h"

#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <numbers>
#include <sstream>
#include <vector>

namespace kelmira {

namespace {

using Vec3 = std::array<float, 3>;

constexpr const char* kUnlit = "KHR_materials_unlit";

QString kindName(int32_t kind) {
    const KindInfo* k = findKind(kind);
    return k ? k->name : QStringLiteral("Компонент %1").arg(kind);
}

// The panes put a colour's components on the screen unchanged, so they are sRGB values;
// glTF's base colour is linear and a viewer encodes it to sRGB again for the screen. Written
// as they are, the board's green would come out visibly paler than in the editor.
double linearFromSrgb(double c) {
    return c <= 0.04045f ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// A colour as the panes put it on the screen: 8 bits a channel. Colours that differ only
// below that step look the same in the editor, so they share one material, and its name
// "#RRGGBB" then says exactly what it holds.
using Rgb8 = std::array<uint8_t, 3>;

Rgb8 screenColour(float r, float g, float b) {
    auto byte = [](float v) { return uint8_t(std::clamp(int(std::lround(v * 255.0f)), 0, 255)); };
    return {byte(r), byte(g), byte(b)};
}

QString hexColour(const Rgb8& c) {
    return QStringLiteral("#%1%2%3")
        .arg(c[0], 2, 16, QLatin1Char('0'))
        .arg(c[1], 2, 16, QLatin1Char('0'))
        .arg(c[2], 2, 16, QLatin1Char('0'))
        .toUpper();
}

int verticesPer(MeshBatch::Type type) {
    return type == MeshBatch::Type::Triangles ? 3 : 2;
}

// The triangles and lines of `all` that `part` does not hold, counted as a multiset: the
// fixed scene drawn with and without the stage leaves exactly the stage.
Mesh withoutPart(const Mesh& all, const Mesh& part) {
    using Key = std::vector<float>;
    auto keyOf = [](const Mesh& m, const MeshBatch& b, int32_t first) {
        Key key{float(b.type == MeshBatch::Type::Lines)};
        for (int32_t i = first; i < first + verticesPer(b.type); ++i) {
            const MeshVertex& v = m.vertices[std::size_t(i)];
            key.insert(key.end(), {v.x, v.y, v.z, v.r, v.g, v.b});
        }
        return key;
    };
    std::map<Key, int> inPart;
    for (const MeshBatch& b : part.batches)
        for (int32_t i = b.first; i + verticesPer(b.type) <= b.first + b.count;
             i += verticesPer(b.type))
            ++inPart[keyOf(part, b, i)];

    Mesh rest;
    for (const MeshBatch& b : all.batches) {
        MeshBatch kept = b;
        kept.first = int32_t(rest.vertices.size());
        for (int32_t i = b.first; i + verticesPer(b.type) <= b.first + b.count;
             i += verticesPer(b.type)) {
            auto it = inPart.find(keyOf(all, b, i));
            if (it != inPart.end() && it->second > 0) {
                --it->second;
                continue;
            }
            rest.vertices.insert(rest.vertices.end(), all.vertices.begin() + i,
                                 all.vertices.begin() + i + verticesPer(b.type));
        }
        kept.count = int32_t(rest.vertices.size()) - kept.first;
        if (kept.count > 0)
            rest.batches.push_back(kept);
    }
    return rest;
}

// Gathers meshes, materials and nodes into one model with one buffer.
class ModelWriter {
public:
    ModelWriter() {
        m_model.asset.version = "2.0";
        m_model.asset.generator = "Kelmira " KELMIRA_VERSION;
        m_model.buffers.emplace_back();
        m_model.scenes.emplace_back();
        m_model.defaultScene = 0;
        m_model.extensionsUsed.push_back(kUnlit);
    }

    // A glTF mesh of `mesh` (scene units) in metres; -1 when it holds nothing.
    int addMesh(const Mesh& mesh, const QString& name) {
        // One primitive per mode and colour. Equal positions within one are written once:
        // the kept geometry repeats every shared corner, which an index buffer need not.
        struct Primitive {
            std::vector<Vec3> positions;
            std::map<Vec3, uint32_t> index;
            std::vector<uint32_t> indices;
        };
        std::map<std::pair<MeshBatch::Type, Rgb8>, Primitive> primitives;
        for (const MeshBatch& b : mesh.batches) {
            const int n = verticesPer(b.type);
            for (int32_t i = b.first; i + n <= b.first + b.count; i += n) {
                // Every part of a model has one flat colour, set before its vertices.
                const MeshVertex& first = mesh.vertices[std::size_t(i)];
                Primitive& p = primitives[{b.type, screenColour(first.r, first.g, first.b)}];
                for (int32_t k = i; k < i + n; ++k) {
                    const MeshVertex& v = mesh.vertices[std::size_t(k)];
                    const Vec3 at{metres(v.x), metres(v.y), metres(v.z)};
                    const auto [it, added] = p.index.try_emplace(at, uint32_t(p.positions.size()));
                    if (added)
                        p.positions.push_back(at);
                    p.indices.push_back(it->second);
                }
            }
        }
        if (primitives.empty())
            return -1;

        tinygltf::Mesh out;
        out.name = name.toStdString();
        for (const auto& [key, p] : primitives) {
            tinygltf::Primitive prim;
            prim.mode = key.first == MeshBatch::Type::Triangles ? TINYGLTF_MODE_TRIANGLES
                                                                : TINYGLTF_MODE_LINE;
            prim.material = material(key.second);
            prim.attributes["POSITION"] = positionAccessor(p.positions);
            prim.indices = indexAccessor(p.indices, p.positions.size());
            out.primitives.push_back(std::move(prim));
        }
        m_model.meshes.push_back(std::move(out));
        return int(m_model.meshes.size()) - 1;
    }

    void addNode(const QString& name, int mesh, const std::vector<double>& translation = {},
                 const std::vector<double>& rotation = {}) {
        if (mesh < 0)
            return;
        tinygltf::Node node;
        node.name = name.toStdString();
        node.mesh = mesh;
        node.translation = translation;
        node.rotation = rotation;
        m_model.nodes.push_back(std::move(node));
        m_model.scenes[0].nodes.push_back(int(m_model.nodes.size()) - 1);
    }

    tinygltf::Model take() { return std::move(m_model); }

private:
    static float metres(float v) { return float(double(v) * kMetresPerSceneUnit); }

    int material(const Rgb8& colour) {
        const auto it = m_materials.find(colour);
        if (it != m_materials.end())
            return it->second;
        tinygltf::Material m;
        m.name = hexColour(colour).toStdString();
        m.pbrMetallicRoughness.baseColorFactor = {linearFromSrgb(colour[0] / 255.0),
                                                  linearFromSrgb(colour[1] / 255.0),
                                                  linearFromSrgb(colour[2] / 255.0), 1.0};
        // What a reader without the unlit extension falls back to: a dull, non-metal surface.
        m.pbrMetallicRoughness.metallicFactor = 0;
        m.pbrMetallicRoughness.roughnessFactor = 0.9;
        // The panes draw without culling, so flat plates show from both sides.
        m.doubleSided = true;
        m.extensions[kUnlit] = tinygltf::Value(tinygltf::Value::Object());
        m_model.materials.push_back(std::move(m));
        const int index = int(m_model.materials.size()) - 1;
        m_materials.emplace(colour, index);
        return index;
    }

    int view(const void* data, std::size_t bytes, int target) {
        std::vector<unsigned char>& buffer = m_model.buffers[0].data;
        buffer.resize((buffer.size() + 3) / 4 * 4, 0); // every view starts 4-byte aligned
        tinygltf::BufferView v;
        v.buffer = 0;
        v.byteOffset = buffer.size();
        v.byteLength = bytes;
        v.target = target;
        const auto* p = static_cast<const unsigned char*>(data);
        buffer.insert(buffer.end(), p, p + bytes);
        m_model.bufferViews.push_back(std::move(v));
        return int(m_model.bufferViews.size()) - 1;
    }

    int accessor(tinygltf::Accessor a) {
        m_model.accessors.push_back(std::move(a));
        return int(m_model.accessors.size()) - 1;
    }

    int positionAccessor(const std::vector<Vec3>& positions) {
        tinygltf::Accessor a;
        a.bufferView =
            view(positions.data(), positions.size() * sizeof(Vec3), TINYGLTF_TARGET_ARRAY_BUFFER);
        a.componentType = TINYGLTF_COMPONENT_TYPE_FLOAT;
        a.type = TINYGLTF_TYPE_VEC3;
        a.count = positions.size();
        a.minValues.assign(3, std::numeric_limits<double>::max());
        a.maxValues.assign(3, std::numeric_limits<double>::lowest());
        for (const Vec3& p : positions)
            for (std::size_t k = 0; k < 3; ++k) {
                a.minValues[k] = std::min(a.minValues[k], double(p[k]));
                a.maxValues[k] = std::max(a.maxValues[k], double(p[k]));
            }
        return accessor(std::move(a));
    }

    int indexAccessor(const std::vector<uint32_t>& indices, std::size_t vertexCount) {
        tinygltf::Accessor a;
        a.type = TINYGLTF_TYPE_SCALAR;
        a.count = indices.size();
        if (vertexCount <= 0xFFFF) {
            const std::vector<uint16_t> shorts(indices.begin(), indices.end());
            a.bufferView = view(shorts.data(), shorts.size() * sizeof(uint16_t),
                                TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
            a.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT;
        } else {
            a.bufferView = view(indices.data(), indices.size() * sizeof(uint32_t),
                                TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
            a.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT;
        }
        return accessor(std::move(a));
    }

    tinygltf::Model m_model;
    std::map<Rgb8, int> m_materials;
};

} // namespace

QString gltfBoardName() {
    return QStringLiteral("Плата");
}

QString gltfStageName() {
    return QStringLiteral("Предметный столик");
}

std::optional<GltfContainer> gltfContainerForPath(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("glb"))
        return GltfContainer::Binary;
    if (suffix == QLatin1String("gltf"))
        return GltfContainer::Json;
    return std::nullopt;
}

tinygltf::Model gltfModelOf(Board& board, const SceneSettings& settings) {
    SceneSettings s = settings;
    s.axisX = s.axisY = s.axisZ = false;
    ModelWriter w;

    SceneSettings boardOnly = s;
    boardOnly.stage = false;
    const Mesh boardMesh = SceneGeometry::fixedSceneMesh(boardOnly);
    w.addNode(gltfBoardName(), w.addMesh(boardMesh, gltfBoardName()));
    if (s.stage)
        w.addNode(
            gltfStageName(),
            w.addMesh(withoutPart(SceneGeometry::fixedSceneMesh(s), boardMesh), gltfStageName()));

    // Numbers count the components of a kind in the order of the placed-components list, so
    // "Резистор 3" is the third resistor there.
    std::vector<int> number(std::size_t(board.count()), 0);
    std::map<int32_t, int> ofKind;
    for (const auto& d : board.DetalList())
        number[std::size_t(d->Index)] = ++ofKind[d->Kind];

    struct Placed {
        int32_t record;
        DrawnCell cell;
    };
    std::vector<Placed> placed;
    forEachDrawnCell(board, s.rotationStep, [&](const DrawnCell& cell) {
        if (!SceneGeometry::modelMesh(cell.kind).empty())
            placed.push_back({board.cell(cell.x, cell.y, cell.z), cell});
    });
    // Nodes in list order, so that a tool's outline lists them as the editor does.
    std::stable_sort(placed.begin(), placed.end(),
                     [](const Placed& a, const Placed& b) { return a.record < b.record; });

    std::map<int32_t, int> meshOfKind;
    for (const Placed& p : placed) {
        const DrawnCell& c = p.cell;
        auto it = meshOfKind.find(c.kind);
        if (it == meshOfKind.end())
            it = meshOfKind
                     .emplace(c.kind, w.addMesh(SceneGeometry::modelMesh(c.kind), kindName(c.kind)))
                     .first;
        const int grid[3] = {c.x, c.y, c.z};
        std::vector<double> translation(3);
        for (std::size_t k = 0; k < 3; ++k)
            translation[k] =
                kMetresPerSceneUnit * (kGridCorner[k] + double(kCellSpacing) * grid[k]);
        std::vector<double> rotation;
        if (c.angle && *c.angle != 0) {
            const double half = *c.angle * std::numbers::pi / 360.0;
            rotation = {0, std::sin(half), 0, std::cos(half)};
        }
        const int n = p.record >= 0 && p.record < board.count() ? number[std::size_t(p.record)] : 0;
        w.addNode(QStringLiteral("%1 %2").arg(kindName(c.kind)).arg(n), it->second, translation,
                  rotation);
    }
    return w.take();
}

QByteArray gltfBytes(const tinygltf::Model& model, GltfContainer container) {
    tinygltf::TinyGLTF gltf;
    std::ostringstream out;
    const bool binary = container == GltfContainer::Binary;
    if (!gltf.WriteGltfSceneToStream(&model, out, !binary, binary) || !out)
        return {};
    const std::string bytes = std::move(out).str();
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

WriteOutcome exportGltf(Board& board, const SceneSettings& settings, const QString& path) {
    const auto container = gltfContainerForPath(path);
    if (!container)
        return {false, QStringLiteral("Неизвестный формат модели «%1»: ожидается .glb или .gltf.")
                           .arg(displayPath(path))};
    const QByteArray bytes = gltfBytes(gltfModelOf(board, settings), *container);
    if (bytes.isEmpty())
        return {false, QStringLiteral("Не удалось записать файл «%1»: модель glTF не собрана.")
                           .arg(displayPath(path))};
    return writeFileAtomically(path, bytes);
}

} // namespace kelmira
