#pragma once

#include "models/meshcanvas.h"
#include "render/renderer.h"

#include <array>
#include <cstdint>
#include <vector>

namespace kelmira {

class Board;

// One kind of batch a component's vertices go to: triangles, or lines of one width.
struct StreamKey {
    MeshBatch::Type type = MeshBatch::Type::Triangles;
    float lineWidth = 0;
};

// A box in grid space: scene units with the grid's corner (kGridCorner) at the origin, the
// space the placed components are drawn in.
struct GridBox {
    float min[3]{0, 0, 0};
    float max[3]{0, 0, 0};
};

// The placed components as the panes keep them: the grid cut into cubic chunks of
// kChunkCells cells, each chunk holding its drawn cells in storage order and, for every
// stream, the vertices of those cells one component after the other. Only this index is kept
// on the CPU; the vertices themselves are made again from the kinds' models whenever a buffer
// needs them (writeVertices), so a board costs one copy of its geometry, the GPU's.
//
// update() compares the board's drawn cells with the index and changes only the chunks that
// differ; inside a chunk, only the components whose vertices or place in the stream changed
// get a new version, so a buffer rewrites just their ranges. The order within a chunk is
// always storage order, so an index built by any sequence of edits equals the one built
// from scratch for the same board, vertex for vertex.
class KeptComponents {
public:
    static constexpr int kChunkCells = 25;
    static constexpr int kChunksPerAxis = 6; // 150 / 25
    static constexpr int kChunkCount = kChunksPerAxis * kChunksPerAxis * kChunksPerAxis;
    static constexpr int kMaxStreams = 6;

    struct Entry {
        int32_t cell = 0; // cell number in storage order
        int32_t kind = 0;
        int32_t angle = -1; // the turn about y in degrees; -1: drawn unturned
        // When this component's vertices were last written where they now are in the streams.
        uint64_t version = 0;
        std::array<int32_t, kMaxStreams> first{}; // its first vertex in each stream
    };
    struct Chunk {
        std::vector<Entry> entries;               // storage order of their cells
        std::array<int32_t, kMaxStreams> count{}; // vertices in each stream
        uint64_t version = 0;                     // last change of anything in the chunk
    };

    // The streams every model's batches fall into, in drawing order (as MeshCanvas orders
    // batches: triangles, then lines from the widest to the thinnest).
    static int streamCount();
    static StreamKey streamKey(int stream);
    // Vertices the model of `kind` gives each stream (all zero for a kind without a model).
    static const std::array<int32_t, kMaxStreams>& modelCounts(int32_t kind);

    // Brings the index up to date with the board's drawn cells, folding Rot as a drawn frame
    // does. For every component that appeared, vanished, moved or turned, the boxes of its
    // old and new geometry are appended to `damage`. Returns whether any chunk changed. On
    // std::bad_alloc the chunks not yet brought up to date keep what they showed and the
    // exception goes on to the caller.
    bool update(Board& board, int rotationStep, std::vector<GridBox>& damage,
                ComponentPassStats* stats = nullptr);

    const Chunk& chunk(int c) const { return m_chunks[std::size_t(c)]; }
    // Changes whenever any chunk does.
    uint64_t version() const { return m_version; }
    int32_t componentCount() const;
    // Vertices kept in a stream over all chunks.
    int64_t vertexCount(int stream) const;

    // The vertices of entries [from, to) of chunk c in stream s, written to out (room for
    // their modelCounts). The same values every time for the same entries.
    void writeVertices(int c, int s, int from, int to, MeshVertex* out) const;
    // All of a chunk's stream at once: writeVertices over all its entries.
    std::vector<MeshVertex> streamVertices(int c, int s) const;

    // Grid-space box around everything the component of an entry draws.
    static GridBox entryBox(const Entry& e);
    // Grid-space box around everything any component of chunk c can draw.
    static GridBox chunkBox(int c);
    static int chunkOf(int32_t cell);

    // Fails the n-th chunk rebuilt from now on with std::bad_alloc (0: none), for tests of
    // what an out-of-memory leaves behind.
    static void failChunkRebuildForTesting(int n);

private:
    std::array<Chunk, kChunkCount> m_chunks{};
    uint64_t m_version = 0;
};

} // namespace kelmira
