#include "render/keptcomponents.h"

#include "board/board.h"
#include "render/scenegeometry.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <new>

namespace kelmira {

namespace {

std::atomic<uint64_t> g_versions{0};
std::atomic<int> g_failChunk{0};

constexpr int kKinds = 35;

struct Streams {
    std::vector<StreamKey> keys;
    // Per kind and stream: where the model's batch of that stream starts, and its length.
    std::array<std::array<int32_t, KeptComponents::kMaxStreams>, kKinds> first{};
    std::array<std::array<int32_t, KeptComponents::kMaxStreams>, kKinds> count{};
    // Per kind: reach in x and z from the cell (any turn), and y below and above it.
    std::array<float, kKinds> radius{}, yLow{}, yHigh{};
    // Per kind: the model's extent in x and z, unturned.
    std::array<float, kKinds> xLow{}, xHigh{}, zLow{}, zHigh{};
    float maxRadius = 0, minY = 0, maxY = 0;
};

// A hair beyond a reach, so that rounding never puts a pixel outside a box.
float below(float v) {
    return v - std::abs(v) * 1e-3f - 1e-3f;
}
float above(float v) {
    return v + std::abs(v) * 1e-3f + 1e-3f;
}

bool sameKey(const StreamKey& a, const MeshBatch& b) {
    return a.type == b.type && (a.type == MeshBatch::Type::Triangles || a.lineWidth == b.lineWidth);
}

const Streams& streams() {
    static const Streams kStreams = [] {
        Streams s;
        for (int32_t k = 0; k < kKinds; ++k)
            for (const MeshBatch& b : SceneGeometry::modelMesh(k).batches)
                if (std::none_of(s.keys.begin(), s.keys.end(),
                                 [&](const StreamKey& key) { return sameKey(key, b); }))
                    s.keys.push_back({b.type, b.type == MeshBatch::Type::Lines ? b.lineWidth : 0});
        std::sort(s.keys.begin(), s.keys.end(), [](const StreamKey& a, const StreamKey& b) {
            if (a.type != b.type)
                return a.type == MeshBatch::Type::Triangles;
            return a.lineWidth > b.lineWidth;
        });
        // More kinds of batch than slots would be a model change this index was not made for;
        // the extra ones would silently vanish, so refuse loudly instead.
        if (s.keys.size() > std::size_t(KeptComponents::kMaxStreams))
            std::abort();
        for (int32_t k = 0; k < kKinds; ++k) {
            const Mesh& m = SceneGeometry::modelMesh(k);
            for (const MeshBatch& b : m.batches)
                for (std::size_t i = 0; i < s.keys.size(); ++i)
                    if (sameKey(s.keys[i], b)) {
                        s.first[std::size_t(k)][i] = b.first;
                        s.count[std::size_t(k)][i] = b.count;
                    }
            float r = 0, lo = 0, hi = 0, x0 = 0, x1 = 0, z0 = 0, z1 = 0;
            for (const MeshVertex& v : m.vertices) {
                r = std::max(r, std::sqrt(v.x * v.x + v.z * v.z));
                lo = std::min(lo, v.y);
                hi = std::max(hi, v.y);
                x0 = std::min(x0, v.x);
                x1 = std::max(x1, v.x);
                z0 = std::min(z0, v.z);
                z1 = std::max(z1, v.z);
            }
            // A hair more than the exact reach, so rounding never puts a pixel outside.
            s.radius[std::size_t(k)] = r * 1.001f + 1e-3f;
            s.yLow[std::size_t(k)] = below(lo);
            s.yHigh[std::size_t(k)] = above(hi);
            s.xLow[std::size_t(k)] = below(x0);
            s.xHigh[std::size_t(k)] = above(x1);
            s.zLow[std::size_t(k)] = below(z0);
            s.zHigh[std::size_t(k)] = above(z1);
            s.maxRadius = std::max(s.maxRadius, s.radius[std::size_t(k)]);
            s.minY = std::min(s.minY, s.yLow[std::size_t(k)]);
            s.maxY = std::max(s.maxY, s.yHigh[std::size_t(k)]);
        }
        return s;
    }();
    return kStreams;
}

bool knownKind(int32_t kind) {
    return kind >= 0 && kind < kKinds;
}

struct Drawn {
    int32_t cell, kind, angle;
    bool sameAs(const KeptComponents::Entry& e) const {
        return cell == e.cell && kind == e.kind && angle == e.angle;
    }
};

int32_t cellCoord(int32_t cell, int axis) {
    switch (axis) {
    case 0:
        return cell / (kGridSize * kGridSize) + 1;
    case 1:
        return cell / kGridSize % kGridSize + 1;
    default:
        return cell % kGridSize + 1;
    }
}

} // namespace

int KeptComponents::streamCount() {
    return int(streams().keys.size());
}

StreamKey KeptComponents::streamKey(int stream) {
    return streams().keys[std::size_t(stream)];
}

const std::array<int32_t, KeptComponents::kMaxStreams>& KeptComponents::modelCounts(int32_t kind) {
    static const std::array<int32_t, kMaxStreams> kNone{};
    return knownKind(kind) ? streams().count[std::size_t(kind)] : kNone;
}

int KeptComponents::chunkOf(int32_t cell) {
    const int cx = (cellCoord(cell, 0) - 1) / kChunkCells;
    const int cy = (cellCoord(cell, 1) - 1) / kChunkCells;
    const int cz = (cellCoord(cell, 2) - 1) / kChunkCells;
    return (cx * kChunksPerAxis + cy) * kChunksPerAxis + cz;
}

GridBox KeptComponents::entryBox(const Entry& e) {
    const Streams& s = streams();
    const auto k = std::size_t(knownKind(e.kind) ? e.kind : 0);
    // The model's rectangle in x and z, turned as the component is: the box around its
    // corners turned either way, so the sense of the turn cannot matter. Never wider than
    // the circle any turn stays in.
    float x0 = s.xLow[k], x1 = s.xHigh[k], z0 = s.zLow[k], z1 = s.zHigh[k];
    if (e.angle > 0) {
        const double a = double(e.angle) * 3.14159265358979323846 / 180;
        const double c = std::cos(a), sn = std::abs(std::sin(a));
        float lo[2] = {1e30f, 1e30f}, hi[2] = {-1e30f, -1e30f};
        for (const float x : {x0, x1})
            for (const float z : {z0, z1})
                for (const double sgn : {sn, -sn}) {
                    const float tx = float(x * c + z * sgn), tz = float(z * c - x * sgn);
                    lo[0] = std::min(lo[0], tx);
                    hi[0] = std::max(hi[0], tx);
                    lo[1] = std::min(lo[1], tz);
                    hi[1] = std::max(hi[1], tz);
                }
        const float r = s.radius[k];
        x0 = std::max(-r, below(lo[0]));
        x1 = std::min(r, above(hi[0]));
        z0 = std::max(-r, below(lo[1]));
        z1 = std::min(r, above(hi[1]));
    }
    GridBox b;
    const float low[3] = {x0, s.yLow[k], z0}, high[3] = {x1, s.yHigh[k], z1};
    for (int a = 0; a < 3; ++a) {
        const float at = kCellSpacing * static_cast<float>(cellCoord(e.cell, a));
        b.min[a] = at + low[a];
        b.max[a] = at + high[a];
    }
    return b;
}

GridBox KeptComponents::chunkBox(int c) {
    const Streams& s = streams();
    const int at[3] = {c / (kChunksPerAxis * kChunksPerAxis), c / kChunksPerAxis % kChunksPerAxis,
                       c % kChunksPerAxis};
    GridBox b;
    for (int a = 0; a < 3; ++a) {
        const float lo = kCellSpacing * static_cast<float>(at[a] * kChunkCells + 1);
        const float hi =
            kCellSpacing * static_cast<float>(std::min(kGridSize, (at[a] + 1) * kChunkCells));
        b.min[a] = lo + (a == 1 ? s.minY : -s.maxRadius);
        b.max[a] = hi + (a == 1 ? s.maxY : s.maxRadius);
    }
    return b;
}

void KeptComponents::failChunkRebuildForTesting(int n) {
    g_failChunk = n;
}

int32_t KeptComponents::componentCount() const {
    int32_t n = 0;
    for (const Chunk& c : m_chunks)
        n += int32_t(c.entries.size());
    return n;
}

int64_t KeptComponents::vertexCount(int stream) const {
    int64_t n = 0;
    for (const Chunk& c : m_chunks)
        n += c.count[std::size_t(stream)];
    return n;
}

bool KeptComponents::update(Board& board, int rotationStep, std::vector<GridBox>& damage,
                            ComponentPassStats* stats) {
    std::array<std::vector<Drawn>, kChunkCount> drawn;
    const ComponentPassStats pass =
        forEachDrawnCell(board, rotationStep, [&](const DrawnCell& cell) {
            if (SceneGeometry::modelMesh(cell.kind).empty())
                return;
            const int32_t no = cellNumber(cell.x, cell.y, cell.z);
            drawn[std::size_t(chunkOf(no))].push_back(
                {no, cell.kind, cell.angle ? *cell.angle : -1});
        });
    if (stats)
        *stats = pass;

    const int nStreams = streamCount();
    bool changed = false;
    for (int c = 0; c < kChunkCount; ++c) {
        Chunk& chunk = m_chunks[std::size_t(c)];
        const std::vector<Drawn>& want = drawn[std::size_t(c)];
        const std::size_t m = chunk.entries.size(), n = want.size();
        std::size_t head = 0;
        while (head < m && head < n && want[head].sameAs(chunk.entries[head]))
            ++head;
        if (head == m && head == n)
            continue;
        std::size_t tail = 0;
        while (tail < m - head && tail < n - head &&
               want[n - 1 - tail].sameAs(chunk.entries[m - 1 - tail]))
            ++tail;
        if (g_failChunk > 0 && --g_failChunk == 0)
            throw std::bad_alloc();

        // The new entries are made aside and swapped in, so an allocation that fails leaves
        // the chunk as it was.
        const uint64_t version = ++g_versions;
        std::vector<Entry> next;
        next.reserve(n);
        next.insert(next.end(), chunk.entries.begin(), chunk.entries.begin() + long(head));
        for (std::size_t i = head; i < n - tail; ++i)
            next.push_back({want[i].cell, want[i].kind, want[i].angle, version, {}});
        next.insert(next.end(), chunk.entries.end() - long(tail), chunk.entries.end());
        std::array<int32_t, kMaxStreams> at{};
        if (head > 0) {
            const Entry& last = next[head - 1];
            for (int s = 0; s < nStreams; ++s)
                at[std::size_t(s)] =
                    last.first[std::size_t(s)] + modelCounts(last.kind)[std::size_t(s)];
        }
        for (std::size_t i = head; i < n; ++i) {
            Entry& e = next[i];
            if (e.first != at)
                e.version = version; // moved along its streams: written again
            e.first = at;
            for (int s = 0; s < nStreams; ++s)
                at[std::size_t(s)] += modelCounts(e.kind)[std::size_t(s)];
        }

        // Damage: what left the middle and what came into it, except components that stayed
        // where they were (both lists are in storage order, so one merge finds them).
        std::size_t i = head, j = head;
        const std::size_t iEnd = m - tail, jEnd = n - tail;
        while (i < iEnd || j < jEnd) {
            if (j >= jEnd || (i < iEnd && chunk.entries[i].cell < want[j].cell)) {
                damage.push_back(entryBox(chunk.entries[i++]));
            } else if (i >= iEnd || want[j].cell < chunk.entries[i].cell) {
                damage.push_back(entryBox(next[j++]));
            } else {
                if (!want[j].sameAs(chunk.entries[i])) {
                    damage.push_back(entryBox(chunk.entries[i]));
                    damage.push_back(entryBox(next[j]));
                }
                ++i;
                ++j;
            }
        }
        chunk.entries.swap(next);
        chunk.count = at;
        chunk.version = version;
        m_version = version;
        changed = true;
    }
    return changed;
}

void KeptComponents::writeVertices(int c, int s, int from, int to, MeshVertex* out) const {
    const Streams& st = streams();
    const Chunk& chunk = m_chunks[std::size_t(c)];
    for (int i = from; i < to; ++i) {
        const Entry& e = chunk.entries[std::size_t(i)];
        const int32_t first = st.first[std::size_t(e.kind)][std::size_t(s)];
        const int32_t count = st.count[std::size_t(e.kind)][std::size_t(s)];
        if (count == 0)
            continue;
        // The same matrix, built the same way, as the component pass of a drawn frame.
        Matrix4f at;
        at.translate(kCellSpacing * static_cast<float>(cellCoord(e.cell, 0)),
                     kCellSpacing * static_cast<float>(cellCoord(e.cell, 1)),
                     kCellSpacing * static_cast<float>(cellCoord(e.cell, 2)));
        if (e.angle >= 0)
            at.rotate(static_cast<float>(e.angle), 0, 1, 0);
        const std::vector<MeshVertex>& model = SceneGeometry::modelMesh(e.kind).vertices;
        for (int32_t v = first; v < first + count; ++v) {
            MeshVertex p = model[std::size_t(v)];
            float q[3];
            at.map(p.x, p.y, p.z, q);
            p.x = q[0];
            p.y = q[1];
            p.z = q[2];
            *out++ = p;
        }
    }
}

std::vector<MeshVertex> KeptComponents::streamVertices(int c, int s) const {
    const Chunk& chunk = m_chunks[std::size_t(c)];
    std::vector<MeshVertex> out(std::size_t(chunk.count[std::size_t(s)]));
    writeVertices(c, s, 0, int(chunk.entries.size()), out.data());
    return out;
}

} // namespace kelmira
