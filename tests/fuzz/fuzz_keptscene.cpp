// Drives the kept scene with random boards and random edit sequences (places with any values,
// moves, turns, erasures, clears, switches of the rotation step). After every step the kept
// geometry must hold, component by component, what the call-by-call drawing of that
// component records (replayed through the same tessellation), each component once and in its
// own range; and an update with nothing changed must change nothing.

#include "board/board.h"
#include "fuzzinput.h"
#include "invariants.h"
#include "models/meshcanvas.h"
#include "models/models.h"
#include "models/recordingcanvas.h"
#include "render/keptcomponents.h"
#include "render/scenegeometry.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <map>
#include <string>

using namespace kelmira;

namespace {

constexpr int kMaxRecords = 60;
constexpr int kMaxSteps = 120;
constexpr int kSteps[] = {45, 90, 0};

// A coordinate moved by a small step, kept inside 32 bits as the move command keeps it.
int32_t stepped(int32_t at, int32_t by) {
    return int32_t(std::clamp<int64_t>(int64_t(at) + by % 7, INT32_MIN, INT32_MAX));
}

// The recorded calls of one component, made again on a canvas that keeps triangles and lines.
Mesh replay(const RecordingCanvas& rec) {
    MeshCanvas m(1);
    std::map<double, QuadricId> quadrics;
    for (const RecordedCall& c : rec.calls()) {
        const auto& a = c.args;
        const auto f = [&](int i) { return static_cast<float>(a[std::size_t(i)]); };
        const auto q = [&] { return quadrics[a[0]]; };
        if (c.op == "color")
            m.color(f(0), f(1), f(2));
        else if (c.op == "lineWidth")
            m.lineWidth(f(0));
        else if (c.op == "pushMatrix")
            m.pushMatrix();
        else if (c.op == "popMatrix")
            m.popMatrix();
        else if (c.op == "translate")
            m.translate(f(0), f(1), f(2));
        else if (c.op == "rotate")
            m.rotate(f(0), f(1), f(2), f(3));
        else if (c.op == "scale")
            m.scale(f(0), f(1), f(2));
        else if (c.op == "begin")
            m.begin(a[0] == 1.0 ? Canvas::Primitive::Lines : Canvas::Primitive::Quads);
        else if (c.op == "vertex")
            m.vertex(f(0), f(1), f(2));
        else if (c.op == "end")
            m.end();
        else if (c.op == "newQuadric")
            quadrics[a[0]] = m.newQuadric();
        else if (c.op == "deleteQuadric")
            m.deleteQuadric(q());
        else if (c.op == "quadricDrawStyle")
            m.quadricDrawStyle(q(), int(a[1]));
        else if (c.op == "cylinder")
            m.cylinder(q(), a[1], a[2], a[3], int(a[4]), int(a[5]));
        else if (c.op == "disk")
            m.disk(q(), a[1], a[2], int(a[3]), int(a[4]));
        else if (c.op == "sphere")
            m.sphere(q(), a[1], int(a[2]), int(a[3]));
    }
    return m.take();
}

std::string componentFault(const KeptComponents& kept, const DrawnCell& cell) {
    const int32_t no = cellNumber(cell.x, cell.y, cell.z);
    const int c = KeptComponents::chunkOf(no);
    const auto& entries = kept.chunk(c).entries;
    int i = 0;
    while (i < int(entries.size()) && entries[std::size_t(i)].cell != no)
        ++i;
    if (i == int(entries.size()))
        return "a drawn component is not kept";
    const KeptComponents::Entry& e = entries[std::size_t(i)];
    if (e.kind != cell.kind || e.angle != (cell.angle ? *cell.angle : -1))
        return "a kept component has another kind or turn than the drawing";

    RecordingCanvas rec;
    rec.pushMatrix();
    rec.translate(kCellSpacing * float(cell.x), kCellSpacing * float(cell.y),
                  kCellSpacing * float(cell.z));
    if (cell.angle)
        rec.rotate(float(*cell.angle), 0, 1, 0);
    drawModel(rec, cell.kind);
    rec.popMatrix();
    const Mesh want = replay(rec);

    for (int s = 0; s < KeptComponents::streamCount(); ++s) {
        const StreamKey key = KeptComponents::streamKey(s);
        const MeshBatch* batch = nullptr;
        for (const MeshBatch& b : want.batches)
            if (b.type == key.type &&
                (b.type == MeshBatch::Type::Triangles || b.lineWidth == key.lineWidth))
                batch = &b;
        const int32_t n = KeptComponents::modelCounts(e.kind)[std::size_t(s)];
        if ((batch ? batch->count : 0) != n)
            return "a kept component has another number of vertices than its drawing";
        std::vector<MeshVertex> got(static_cast<std::size_t>(n));
        kept.writeVertices(c, s, i, i + 1, got.data());
        for (int32_t v = 0; v < n; ++v) {
            const MeshVertex& a = got[std::size_t(v)];
            const MeshVertex& b = want.vertices[std::size_t(batch->first + v)];
            if (std::abs(a.x - b.x) > 2e-4f || std::abs(a.y - b.y) > 2e-4f ||
                std::abs(a.z - b.z) > 2e-4f || a.r != b.r || a.g != b.g || a.b != b.b)
                return "a kept vertex is not where or in the colour the drawing puts it";
        }
    }
    return {};
}

void check(Board& board, SceneGeometry& scene, const SceneSettings& s, const char* where) {
    scene.update(board, s);
    if (const std::string f = invariants::recordsFault(board); !f.empty())
        invariants::fail(where, f);
    const KeptComponents& kept = scene.components();
    int drawn = 0;
    forEachDrawnCell(board, s.rotationStep, [&](const DrawnCell& cell) {
        if (SceneGeometry::modelMesh(cell.kind).empty())
            return;
        ++drawn;
        if (const std::string f = componentFault(kept, cell); !f.empty())
            invariants::fail(where, f);
    });
    // Nothing beyond the drawn components, each range right after the one before.
    int held = 0;
    for (int c = 0; c < KeptComponents::kChunkCount; ++c) {
        std::array<int32_t, KeptComponents::kMaxStreams> at{};
        for (const KeptComponents::Entry& e : kept.chunk(c).entries) {
            if (e.first != at)
                invariants::fail(where, "kept ranges overlap or leave a gap");
            for (int st = 0; st < KeptComponents::streamCount(); ++st)
                at[std::size_t(st)] += KeptComponents::modelCounts(e.kind)[std::size_t(st)];
            ++held;
        }
        if (at != kept.chunk(c).count)
            invariants::fail(where, "a chunk's counts do not add up");
    }
    if (held != drawn)
        invariants::fail(where, "the kept scene holds another number of components than drawn");

    const uint64_t version = kept.version(), damage = scene.damageVersion();
    if (scene.update(board, s) || kept.version() != version || scene.damageVersion() != damage)
        invariants::fail(where, "an update with nothing changed changed the kept scene");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    Board board;
    SceneGeometry scene;
    SceneSettings settings;
    const int initial = in.byte() % 40;
    for (int i = 0; i < initial; ++i)
        board.PlaceComponent(2 + in.byte() % 147, 2 + in.byte() % 147, 1 + in.byte() % 148, 1,
                             int32_t(in.byte() % 36), int32_t(in.byte() % 8) - 3);
    check(board, scene, settings, "initial board");
    for (int step = 0; step < kMaxSteps && !in.empty(); ++step) {
        const uint8_t op = in.byte() % 7;
        tDetal* d = board.count() > 0 ? board.detal(in.byte() % board.count()) : nullptr;
        switch (op) {
        case 0:
            if (board.count() < kMaxRecords)
                board.PlaceComponent(in.value(), in.value(), in.value(), in.byte() % 6, in.value(),
                                     in.value());
            break;
        case 1:
        case 2:
            if (d)
                board.TryMoveComponent(*d, stepped(d->X, in.value()), stepped(d->Y, in.value()),
                                       stepped(d->Z, in.value()));
            break;
        case 3:
            if (d)
                board.TryRotateComponent(*d, in.byte() % 2 ? 1 : -1);
            break;
        case 4:
            if (d)
                board.EraseComponent(d->Index);
            break;
        case 5:
            if (in.byte() % 8 == 0)
                board.ClearBoard();
            break;
        default:
            settings.rotationStep = kSteps[in.byte() % 3];
            break;
        }
        check(board, scene, settings, "after an edit");
    }
    return 0;
}
