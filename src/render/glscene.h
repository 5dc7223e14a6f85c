#pragma once

#include "render/scenegeometry.h"

#include <QMatrix4x4>
#include <QRect>
#include <QVector3D>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace kelmira {

// The kept scene in one GL share group: a buffer object per part of the fixed scene, and per
// chunk and stream of the placed components, each written again only where its part or its
// components changed (glBufferSubData over the changed components' ranges; a chunk that
// outgrew its buffer gets a larger one). All contexts of a share group draw from one of these.
// Without buffer objects (a GL older than 1.5), or after an upload failed, the same arrays are
// drawn from client memory.
class GlSceneBuffers {
public:
    using Resolver = std::function<void*(const char*)>;

    GlSceneBuffers();
    ~GlSceneBuffers();
    GlSceneBuffers(const GlSceneBuffers&) = delete;
    GlSceneBuffers& operator=(const GlSceneBuffers&) = delete;

    // With a context of the share group current: looks up the buffer-object entry points.
    void initialize(const Resolver& resolve);
    // With a context of the share group current: deletes the buffers. Also right before the
    // last context of the group goes.
    void release();

    // Writes what changed in the fixed scene of g since the last call into the buffers. False
    // when nothing can be drawn from them (out of memory even for client arrays): leave the
    // pane as it was. A chunk's stream is written when a pane first draws it after it changed,
    // so a chunk no pane shows, or whose components every pane finds hidden, costs no writing
    // and no buffer memory until one does.
    bool sync(const SceneGeometry& g);

    // Everything of one pane after beginPane: its camera, the scale of 0.1, the grids it shows
    // (at the line width the context has), the fixed scene and the placed components, leaving
    // the line width at 0.5 for the next frame's grids. The components whose geometry falls
    // wholly outside the clip rectangle (GL window coordinates, y up, in a viewport of
    // viewportPx; the whole viewport when null) are not drawn: they cannot reach a pixel of
    // the scissor box or the pane. The chunks are drawn nearest first, and the components
    // that the depth drawn before them hides are left out (not without a viewport size). The
    // scissor box, when there is one, must be the clip rectangle. Syncs first.
    void drawPane(Pane pane, const SceneGeometry& g, const CameraState& cam, int zoom,
                  const QRect& clip = {}, QSize viewportPx = {});

    bool usesBufferObjects() const { return m_genBuffers != nullptr && !m_client; }

    // Off: every component is drawn, wherever it is and whatever hides it, in the same order;
    // the reference that tests and benchmarks hold the culling against. On by default.
    static void setCulling(bool on);

    // Makes the next n buffer uploads report GL_OUT_OF_MEMORY, for tests (0: none).
    static void failUploadsForTesting(int n);

private:
    using GenFn = void (*)(int, unsigned*);
    using DeleteFn = void (*)(int, const unsigned*);
    using BindFn = void (*)(unsigned, unsigned);
    using DataFn = void (*)(unsigned, std::ptrdiff_t, const void*, unsigned);
    using SubDataFn = void (*)(unsigned, std::ptrdiff_t, std::ptrdiff_t, const void*);
    using FenceSyncFn = void* (*)(unsigned, unsigned);
    using ClientWaitSyncFn = unsigned (*)(void*, unsigned, uint64_t);
    using DeleteSyncFn = void (*)(void*);

    struct Stream {
        unsigned buffer = 0;
        int32_t capacity = 0;           // vertices the buffer (or the client array) holds
        std::vector<MeshVertex> client; // client memory only
        uint64_t written = 0;           // the chunk's version the stream holds
    };
    struct ChunkBuffers {
        std::array<Stream, KeptComponents::kMaxStreams> streams;
    };

    void reset();
    bool syncParts(const SceneGeometry& g);
    bool writeStream(const KeptComponents& kept, int c, int s, uint64_t since);
    // Brings stream s of chunk c up to date right before it is drawn; false when it cannot be
    // drawn (out of memory). Upload failures move everything to client memory.
    bool ensureWritten(const SceneGeometry& g, int c, int s);
    bool uploadFailed();
    void toClientMemory();
    void drawPart(const SceneGeometry& g, SceneGeometry::Part part);
    // Entries [from, to) of a chunk, drawn with one call per stream.
    struct Run {
        int16_t chunk;
        int32_t from, to;
    };
    // The runs of the components that may reach the clip rectangle (all of them without
    // cull), nearest chunks first.
    std::vector<Run> visibleRuns(const QMatrix4x4& mvp, const QVector3D& eye,
                                 const SceneGeometry& g, bool cull, const QRect& clip,
                                 QSize viewportPx);
    // mvp: grid space to clip coordinates, for the occlusion tests (of what is drawn within
    // clip, in a viewport of viewportPx); null: none.
    void drawComponents(const SceneGeometry& g, const std::vector<Run>& runs, const QMatrix4x4* mvp,
                        const QRect& clip, QSize viewportPx);
    static GridBox runsBox(const KeptComponents& kept, const std::vector<Run>& runs,
                           std::size_t first);
    // Flushes what was drawn so far, after waiting for the flush before it to be rasterised;
    // fence carries that flush's fence from one call to the next.
    void paceFlush(void*& fence);
    void bind(unsigned buffer, const MeshVertex* client);

    GenFn m_genBuffers = nullptr;
    DeleteFn m_deleteBuffers = nullptr;
    BindFn m_bindBuffer = nullptr;
    DataFn m_bufferData = nullptr;
    SubDataFn m_bufferSubData = nullptr;
    FenceSyncFn m_fenceSync = nullptr; // null without sync objects: glFinish paces the flushes
    ClientWaitSyncFn m_clientWaitSync = nullptr;
    DeleteSyncFn m_deleteSync = nullptr;
    bool m_client = false;
    std::array<unsigned, SceneGeometry::kPartCount> m_buffers{};
    std::array<uint64_t, SceneGeometry::kPartCount> m_uploaded{};
    std::vector<ChunkBuffers> m_chunks;
    uint64_t m_geometry = 0; // SceneGeometry::id of what the buffers hold
    std::vector<MeshVertex> m_scratch;
};

} // namespace kelmira
