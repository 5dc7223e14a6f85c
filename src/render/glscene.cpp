#include "render/glscene.h"

#include "models/glcanvas.h"
#include "render/glpane.h"
#include "render/renderer.h"
#include "render/renderfaults.h"
#include "render/renderstats.h"

#include <QElapsedTimer>

#ifdef _WIN32
#include <windows.h>
#endif
#include <GL/gl.h>

#include <cstdint>
#include <cstdio>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>

namespace kelmira {

namespace {

constexpr GLenum kArrayBuffer = 0x8892; // GL_ARRAY_BUFFER
constexpr GLenum kStaticDraw = 0x88E4;  // GL_STATIC_DRAW

std::atomic<int> g_failUploads{0};
std::atomic<bool> g_culling{true};

// A software rasteriser bins a frame's primitives into memory of the context's own and
// rasterises them on threads of its own; a flush hands it what was binned so far. Flushed but
// not waited for, the batches pile up while the rasteriser lags behind, each keeping tens of
// megabytes per context until the program ends. So every kFlushVertices a fence is set and the
// one before it waited for: at most two batches are in flight, one rasterised while the next
// is binned. The picture is the same.
constexpr int64_t kFlushVertices = 40000;
constexpr GLenum kSyncGpuCommandsComplete = 0x9117; // GL_SYNC_GPU_COMMANDS_COMPLETE
constexpr GLbitfield kSyncFlushCommandsBit = 0x1;   // GL_SYNC_FLUSH_COMMANDS_BIT
constexpr uint64_t kFenceTimeoutNs = 10'000'000'000;
constexpr GLenum kSamplesPassed = 0x8914; // GL_SAMPLES_PASSED
constexpr GLenum kQueryResult = 0x8866;   // GL_QUERY_RESULT
// How much larger than a chunk's box the box of its occlusion query is: 0.05 grid units,
// about half a cell, far more than the depth buffer's rounding between the box and what it
// holds wherever the camera stands.
constexpr float kQueryMargin = 0.05f;
// How far in pixels the widest line of a component may put a fragment beyond the line itself:
// half its width, and the rasteriser's rounding.
constexpr float kLineReachPx = 3.0f;

// Room for what a chunk holds now and a little more, so that a few adds do not each
// reallocate the buffer. Little: the room is written and kept like the vertices, and a
// reallocation costs no more than rewriting one chunk.
int32_t grown(int32_t needed) {
    return needed + needed / 16 + 256;
}

// Whether the grid-space box, through m, can reach a pixel of the rectangle (in a viewport of
// vp pixels). It cannot when all its corners lie outside one side of the view volume cut down
// to the rectangle: tested in clip coordinates, which holds for corners behind the eye too.
// The box's corners through m: its centre plus or minus its half extents along each axis.
std::array<QVector4D, 8> corners(const QMatrix4x4& m, const GridBox& b) {
    const QVector4D centre = m.map(QVector4D((b.min[0] + b.max[0]) / 2, (b.min[1] + b.max[1]) / 2,
                                             (b.min[2] + b.max[2]) / 2, 1));
    QVector4D half[3];
    for (int a = 0; a < 3; ++a)
        half[a] = m.column(a) * ((b.max[a] - b.min[a]) / 2);
    std::array<QVector4D, 8> out;
    for (int n = 0; n < 8; ++n)
        out[std::size_t(n)] = centre + (n & 1 ? half[0] : -half[0]) + (n & 2 ? half[1] : -half[1]) +
                              (n & 4 ? half[2] : -half[2]);
    return out;
}

bool mayReach(const QMatrix4x4& m, const GridBox& b, QSize vp, const QRect& clip) {
    // The rectangle in normalised device coordinates, with two pixels of slack for wide lines
    // and rasterisation at the edges.
    const float left = 2.0f * float(clip.left() - 2) / float(vp.width()) - 1;
    const float right = 2.0f * float(clip.right() + 3) / float(vp.width()) - 1;
    const float bottom = 2.0f * float(clip.top() - 2) / float(vp.height()) - 1;
    const float top = 2.0f * float(clip.bottom() + 3) / float(vp.height()) - 1;
    int outside[6] = {0, 0, 0, 0, 0, 0};
    for (const QVector4D& p : corners(m, b)) {
        outside[0] += p.x() < left * p.w();
        outside[1] += p.x() > right * p.w();
        outside[2] += p.y() < bottom * p.w();
        outside[3] += p.y() > top * p.w();
        outside[4] += p.z() < -p.w(); // in front of the near plane
        outside[5] += p.z() > p.w();  // beyond the far plane
    }
    return std::none_of(std::begin(outside), std::end(outside), [](int k) { return k == 8; });
}

// Whether the current context's GL is at least major.minor.
bool glVersionAtLeast(int wantMajor, int wantMinor) {
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int major = 0, minor = 0;
    return version && std::sscanf(version, "%d.%d", &major, &minor) == 2 &&
           (major > wantMajor || (major == wantMajor && minor >= wantMinor));
}

// Whether the current context has sync objects: GL 3.2 or later, or GL_ARB_sync.
bool hasSyncObjects() {
    if (glVersionAtLeast(3, 2))
        return true;
    const auto* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    return extensions && std::strstr(extensions, "GL_ARB_sync") != nullptr;
}

// Whether the box, through mvp, lies wholly between the near and the far plane: only then
// does an occlusion query on it see all of it.
bool withinDepthRange(const QMatrix4x4& mvp, const GridBox& b) {
    const auto all = corners(mvp, b);
    return std::all_of(all.begin(), all.end(), [](const QVector4D& p) {
        return p.w() > 0 && p.z() > -p.w() && p.z() < p.w();
    });
}

} // namespace

GlSceneBuffers::GlSceneBuffers() : m_chunks(KeptComponents::kChunkCount) {}

GlSceneBuffers::~GlSceneBuffers() = default;

void GlSceneBuffers::failUploadsForTesting(int n) {
    g_failUploads = n;
}

void GlSceneBuffers::setCulling(bool on) {
    g_culling = on;
}

void GlSceneBuffers::initialize(const Resolver& resolve) {
    m_genBuffers = reinterpret_cast<GenFn>(resolve("glGenBuffers"));
    m_deleteBuffers = reinterpret_cast<DeleteFn>(resolve("glDeleteBuffers"));
    m_bindBuffer = reinterpret_cast<BindFn>(resolve("glBindBuffer"));
    m_bufferData = reinterpret_cast<DataFn>(resolve("glBufferData"));
    m_bufferSubData = reinterpret_cast<SubDataFn>(resolve("glBufferSubData"));
    // A resolver may hand out an entry point the context cannot serve; sync objects are
    // taken only from a context that has them.
    m_fenceSync = nullptr;
    if (hasSyncObjects()) {
        m_fenceSync = reinterpret_cast<FenceSyncFn>(resolve("glFenceSync"));
        m_clientWaitSync = reinterpret_cast<ClientWaitSyncFn>(resolve("glClientWaitSync"));
        m_deleteSync = reinterpret_cast<DeleteSyncFn>(resolve("glDeleteSync"));
        if (!m_clientWaitSync || !m_deleteSync)
            m_fenceSync = nullptr;
    }
    m_genQueries = nullptr;
    if (glVersionAtLeast(1, 5)) {
        m_genQueries = reinterpret_cast<GenQueriesFn>(resolve("glGenQueries"));
        m_deleteQueries = reinterpret_cast<DeleteFn>(resolve("glDeleteQueries"));
        m_beginQuery = reinterpret_cast<BeginQueryFn>(resolve("glBeginQuery"));
        m_endQuery = reinterpret_cast<EndQueryFn>(resolve("glEndQuery"));
        m_queryResult = reinterpret_cast<QueryResultFn>(resolve("glGetQueryObjectuiv"));
        if (!m_deleteQueries || !m_beginQuery || !m_endQuery || !m_queryResult)
            m_genQueries = nullptr;
    }
    m_client = false;
    reset();
    if (!m_genBuffers || !m_deleteBuffers || !m_bindBuffer || !m_bufferData || !m_bufferSubData) {
        m_genBuffers = nullptr;
        m_client = true;
        return;
    }
    m_genBuffers(SceneGeometry::kPartCount, m_buffers.data());
}

void GlSceneBuffers::reset() {
    m_uploaded.fill(0);
    for (ChunkBuffers& c : m_chunks)
        for (Stream& s : c.streams) {
            s.capacity = 0;
            s.written = 0;
            std::vector<MeshVertex>().swap(s.client);
        }
    m_geometry = 0;
}

void GlSceneBuffers::release() {
    if (m_genBuffers) {
        if (m_buffers[0])
            m_deleteBuffers(SceneGeometry::kPartCount, m_buffers.data());
        for (ChunkBuffers& c : m_chunks)
            for (Stream& s : c.streams)
                if (s.buffer)
                    m_deleteBuffers(1, &s.buffer);
    }
    for (ChunkBuffers& c : m_chunks)
        for (Stream& s : c.streams)
            s.buffer = 0;
    m_buffers.fill(0);
    reset();
    m_genBuffers = nullptr;
}

bool GlSceneBuffers::uploadFailed() {
    bool failed = false;
    // Every error the uploads raised is collected, so none is left for the next caller.
    for (int i = 0; i < 16; ++i) {
        const GLenum e = glGetError();
        if (e == GL_NO_ERROR)
            break;
        failed = true;
    }
    return failed;
}

void GlSceneBuffers::toClientMemory() {
    reportRenderFault(RenderFault::UploadFailed);
    release();
    m_client = true;
}

bool GlSceneBuffers::syncParts(const SceneGeometry& g) {
    if (m_client)
        return true; // drawn straight from the geometry's own arrays
    bool ok = true;
    for (int n = 0; n < SceneGeometry::kPartCount; ++n) {
        const auto part = static_cast<SceneGeometry::Part>(n);
        if (part == SceneGeometry::Part::Components ||
            m_uploaded[std::size_t(n)] == g.version(part))
            continue;
        const Mesh& mesh = g.mesh(part);
        m_bindBuffer(kArrayBuffer, m_buffers[std::size_t(n)]);
        m_bufferData(kArrayBuffer,
                     static_cast<std::ptrdiff_t>(mesh.vertices.size() * sizeof(MeshVertex)),
                     mesh.vertices.data(), kStaticDraw);
        if (g_failUploads > 0 && g_failUploads-- > 0)
            ok = false;
        m_uploaded[std::size_t(n)] = g.version(part);
    }
    return ok;
}

bool GlSceneBuffers::writeStream(const KeptComponents& kept, int c, int s, uint64_t since) {
    const KeptComponents::Chunk& chunk = kept.chunk(c);
    Stream& st = m_chunks[std::size_t(c)].streams[std::size_t(s)];
    const int32_t needed = chunk.count[std::size_t(s)];
    bool ok = true;
    if (needed > st.capacity) {
        const int32_t capacity = grown(needed);
        if (m_client) {
            st.client.resize(std::size_t(capacity));
        } else {
            // A new buffer is filled as it is made: made empty and written after, the driver
            // would clear it first, which costs as much as the writing.
            if (!st.buffer)
                m_genBuffers(1, &st.buffer);
            m_scratch.resize(std::size_t(capacity));
            kept.writeVertices(c, s, 0, int(chunk.entries.size()), m_scratch.data());
            m_bindBuffer(kArrayBuffer, st.buffer);
            m_bufferData(kArrayBuffer, static_cast<std::ptrdiff_t>(capacity * sizeof(MeshVertex)),
                         m_scratch.data(), kStaticDraw);
            if (g_failUploads > 0 && g_failUploads-- > 0)
                ok = false;
            st.capacity = capacity;
            renderStats().verticesUploaded += needed;
            return ok;
        }
        st.capacity = capacity;
        since = 0; // a new array: every component goes in
    } else if (!m_client) {
        m_bindBuffer(kArrayBuffer, st.buffer);
    }
    const auto& entries = chunk.entries;
    const int n = int(entries.size());
    for (int i = 0; i < n;) {
        if (entries[std::size_t(i)].version <= since) {
            ++i;
            continue;
        }
        int j = i;
        int32_t count = 0;
        while (j < n && entries[std::size_t(j)].version > since)
            count += KeptComponents::modelCounts(entries[std::size_t(j++)].kind)[std::size_t(s)];
        if (count > 0) {
            const int32_t first = entries[std::size_t(i)].first[std::size_t(s)];
            MeshVertex* out;
            if (m_client) {
                out = st.client.data() + first;
            } else {
                m_scratch.resize(std::size_t(count));
                out = m_scratch.data();
            }
            kept.writeVertices(c, s, i, j, out);
            if (!m_client) {
                m_bufferSubData(
                    kArrayBuffer, static_cast<std::ptrdiff_t>(first * sizeof(MeshVertex)),
                    static_cast<std::ptrdiff_t>(count * sizeof(MeshVertex)), m_scratch.data());
                if (g_failUploads > 0 && g_failUploads-- > 0)
                    ok = false;
            }
            renderStats().verticesUploaded += count;
        }
        i = j;
    }
    return ok;
}

bool GlSceneBuffers::sync(const SceneGeometry& g) {
    if (g.id() != m_geometry) {
        reset();
        m_geometry = g.id();
    }
    bool partsDone = true;
    for (int n = 0; n < SceneGeometry::kPartCount && !m_client; ++n) {
        const auto part = static_cast<SceneGeometry::Part>(n);
        partsDone = partsDone && (part == SceneGeometry::Part::Components ||
                                  m_uploaded[std::size_t(n)] == g.version(part));
    }
    if (partsDone)
        return true;
    QElapsedTimer clock;
    clock.start();
    uploadFailed(); // errors of others are not ours to report
    bool ok = syncParts(g);
    if (uploadFailed() || !ok) {
        toClientMemory();
        m_geometry = g.id();
        ok = true; // the parts are drawn from the geometry's own arrays
    }
    renderStats().uploadSeconds += double(clock.nsecsElapsed()) / 1e9;
    return ok;
}

bool GlSceneBuffers::ensureWritten(const SceneGeometry& g, int c, int s) {
    const KeptComponents& kept = g.components();
    const uint64_t version = kept.chunk(c).version;
    Stream& st = m_chunks[std::size_t(c)].streams[std::size_t(s)];
    if (st.written == version)
        return true;
    QElapsedTimer clock;
    clock.start();
    bool ok = false;
    try {
        if (!m_client)
            uploadFailed(); // errors of others are not ours to report
        const uint64_t since = st.written;
        st.written = 0; // until the stream holds the chunk as it is now
        ok = writeStream(kept, c, s, since);
        if (!m_client && (uploadFailed() || !ok)) {
            // From here on everything comes from client memory, this stream first; the parts
            // are drawn from the geometry's own arrays.
            toClientMemory();
            m_geometry = g.id();
            ok = writeStream(kept, c, s, 0);
        }
        if (ok)
            st.written = version;
    } catch (const std::bad_alloc&) {
        // Out of memory for the array itself: the stream holds nothing drawable and is
        // written again when next drawn.
        reportRenderFault(RenderFault::OutOfMemory);
        ok = false;
    }
    renderStats().uploadSeconds += double(clock.nsecsElapsed()) / 1e9;
    return ok;
}

void GlSceneBuffers::bind(unsigned buffer, const MeshVertex* client) {
    // With a buffer bound, GL takes the "pointer" as an offset into it. Formed from an integer:
    // adding to a null pointer is undefined in C++.
    std::uintptr_t base = 0;
    if (m_client)
        base = reinterpret_cast<std::uintptr_t>(client);
    else
        m_bindBuffer(kArrayBuffer, buffer);
    glVertexPointer(3, GL_FLOAT, sizeof(MeshVertex),
                    reinterpret_cast<const void*>(base + offsetof(MeshVertex, x)));
    glColorPointer(3, GL_FLOAT, sizeof(MeshVertex),
                   reinterpret_cast<const void*>(base + offsetof(MeshVertex, r)));
}

void GlSceneBuffers::drawPart(const SceneGeometry& g, SceneGeometry::Part part) {
    const Mesh& mesh = g.mesh(part);
    if (mesh.empty())
        return;
    bind(m_buffers[static_cast<std::size_t>(part)], mesh.vertices.data());
    for (const MeshBatch& b : mesh.batches) {
        if (b.type == MeshBatch::Type::Lines && b.lineWidth > 0)
            glLineWidth(b.lineWidth);
        glDrawArrays(b.type == MeshBatch::Type::Lines ? GL_LINES : GL_TRIANGLES, b.first, b.count);
    }
}

void GlSceneBuffers::paceFlush(void*& fence) {
    if (!m_fenceSync) {
        glFinish();
        return;
    }
    if (fence) {
        m_clientWaitSync(fence, kSyncFlushCommandsBit, kFenceTimeoutNs);
        m_deleteSync(fence);
    }
    fence = m_fenceSync(kSyncGpuCommandsComplete, 0);
    glFlush();
}

// The box around the components of the runs from `first` on that belong to its chunk.
GridBox GlSceneBuffers::runsBox(const KeptComponents& kept, const std::vector<Run>& runs,
                                std::size_t first) {
    GridBox box{{1e30f, 1e30f, 1e30f}, {-1e30f, -1e30f, -1e30f}};
    const int16_t c = runs[first].chunk;
    const auto& entries = kept.chunk(c).entries;
    for (std::size_t k = first; k < runs.size() && runs[k].chunk == c; ++k)
        for (int32_t i = runs[k].from; i < runs[k].to; ++i) {
            const GridBox b = KeptComponents::entryBox(entries[std::size_t(i)]);
            for (int a = 0; a < 3; ++a) {
                box.min[a] = std::min(box.min[a], b.min[a]);
                box.max[a] = std::max(box.max[a], b.max[a]);
            }
        }
    return box;
}

bool GlSceneBuffers::boxMayShow(const GridBox& box, const QMatrix4x4& mvp, QSize viewportPx,
                                unsigned query) {
    // A wide line reaches past the picture of its box, by kLineReachPx at most. Grown by m,
    // the box holds a ball of radius m around every point p of what it held, and a ray that
    // passes within m of p enters the ball no deeper than p lies: so wherever such a line puts
    // a fragment, the grown box has a surface no deeper than the fragment. At clip w, m covers
    // m * W * |row 0| / (2 w) pixels across and likewise up; w is largest at a corner.
    float wMax = 0;
    for (const QVector4D& p : corners(mvp, box))
        wMax = std::max(wMax, p.w());
    const float across = float(viewportPx.width()) * mvp.row(0).toVector3D().length();
    const float up = float(viewportPx.height()) * mvp.row(1).toVector3D().length();
    const float perPixel = 2 * wMax / std::max(1e-6f, std::min(across, up));
    GridBox b = box;
    for (int a = 0; a < 3; ++a) {
        b.min[a] -= kQueryMargin + kLineReachPx * perPixel;
        b.max[a] += kQueryMargin + kLineReachPx * perPixel;
    }
    if (!withinDepthRange(mvp, b))
        return true;
    // Drawn with nothing written; a fragment level with what is there counts as passing.
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glDepthMask(GL_FALSE);
    glDepthFunc(GL_LEQUAL);
    m_beginQuery(kSamplesPassed, query);
    glBegin(GL_QUADS);
    static const int kFaces[6][4] = {{0, 1, 3, 2}, {4, 5, 7, 6}, {0, 2, 6, 4},
                                     {1, 3, 7, 5}, {0, 1, 5, 4}, {2, 3, 7, 6}};
    for (const auto& face : kFaces)
        for (int n : face)
            glVertex3f(n & 1 ? b.max[0] : b.min[0], n & 2 ? b.max[1] : b.min[1],
                       n & 4 ? b.max[2] : b.min[2]);
    glEnd();
    m_endQuery(kSamplesPassed);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    unsigned samples = 1;
    m_queryResult(query, kQueryResult, &samples);
    return samples > 0;
}

void GlSceneBuffers::drawComponents(const SceneGeometry& g, const std::vector<Run>& runs,
                                    const QMatrix4x4* mvp, QSize viewportPx) {
    const KeptComponents& kept = g.components();
    // A chunk whose box no longer passes the depth test anywhere cannot put a triangle or a
    // line on the picture: the depth there only comes nearer as the frame goes on. The runs
    // come nearest first, so what hides a chunk is mostly drawn before it. Its triangles and
    // lines are left out, and its streams need not even be written.
    unsigned query = 0;
    if (mvp && m_genQueries)
        m_genQueries(1, &query);
    std::vector<char> hidden(KeptComponents::kChunkCount, 0);
    // Stream by stream over the runs: all triangles first, then the lines from the widest,
    // as one mesh of the whole board would be drawn.
    int64_t sinceFlush = 0;
    void* fence = nullptr;
    for (int s = 0; s < KeptComponents::streamCount(); ++s) {
        const StreamKey key = KeptComponents::streamKey(s);
        const bool lines = key.type == MeshBatch::Type::Lines;
        const GLenum mode = lines ? GL_LINES : GL_TRIANGLES;
        if (lines && key.lineWidth > 0)
            glLineWidth(key.lineWidth);
        int bound = -1, tested = -1;
        for (std::size_t k = 0; k < runs.size(); ++k) {
            const Run& r = runs[k];
            const KeptComponents::Chunk& chunk = kept.chunk(r.chunk);
            if (!lines && query && tested != r.chunk) {
                tested = r.chunk;
                hidden[std::size_t(r.chunk)] =
                    !boxMayShow(runsBox(kept, runs, k), *mvp, viewportPx, query);
                renderStats().chunksHidden += hidden[std::size_t(r.chunk)];
                bound = -1; // the query's box went through immediate mode
            }
            if (hidden[std::size_t(r.chunk)])
                continue;
            const auto& entries = chunk.entries;
            const int32_t first = entries[std::size_t(r.from)].first[std::size_t(s)];
            const int32_t end = r.to < int32_t(entries.size())
                                    ? entries[std::size_t(r.to)].first[std::size_t(s)]
                                    : chunk.count[std::size_t(s)];
            if (end <= first)
                continue;
            const Stream& st = m_chunks[std::size_t(r.chunk)].streams[std::size_t(s)];
            if (st.written != chunk.version) {
                if (!ensureWritten(g, r.chunk, s))
                    continue;
                bound = -1; // writing bound the stream's buffer
            }
            if (bound != r.chunk) {
                bind(st.buffer, st.client.data());
                bound = r.chunk;
            }
            glDrawArrays(mode, first, end - first);
            sinceFlush += end - first;
            if (sinceFlush > kFlushVertices) {
                paceFlush(fence);
                sinceFlush = 0;
            }
        }
    }
    if (fence)
        m_deleteSync(fence);
    if (query)
        m_deleteQueries(1, &query);
}

std::vector<GlSceneBuffers::Run> GlSceneBuffers::visibleRuns(const QMatrix4x4& mvp,
                                                             const QVector3D& eye,
                                                             const SceneGeometry& g, bool cull,
                                                             const QRect& clip, QSize viewportPx) {
    const KeptComponents& kept = g.components();
    // The chunks nearest the eye first, so that what stands in front is drawn before what it
    // hides; equally near ones in their own order. The same camera gives the same order
    // whatever is drawn, so a partial frame draws as a whole one would.
    std::array<int, KeptComponents::kChunkCount> order{};
    std::array<float, KeptComponents::kChunkCount> distance{};
    for (int c = 0; c < KeptComponents::kChunkCount; ++c) {
        order[std::size_t(c)] = c;
        const GridBox b = KeptComponents::chunkBox(c);
        const QVector3D centre((b.min[0] + b.max[0]) / 2, (b.min[1] + b.max[1]) / 2,
                               (b.min[2] + b.max[2]) / 2);
        distance[std::size_t(c)] = (centre - eye).lengthSquared();
    }
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return distance[std::size_t(a)] < distance[std::size_t(b)];
    });
    std::vector<Run> runs;
    for (int c : order) {
        const auto& entries = kept.chunk(c).entries;
        if (entries.empty())
            continue;
        const int n = int(entries.size());
        if (!cull) {
            runs.push_back({int16_t(c), 0, n});
            continue;
        }
        if (!mayReach(mvp, KeptComponents::chunkBox(c), viewportPx, clip)) {
            ++renderStats().chunksSkipped;
            continue;
        }
        ++renderStats().chunksDrawn;
        // Within a chunk that may reach the rectangle, only its components that may: runs of
        // neighbours in the chunk's order, each one draw call per stream.
        for (int i = 0; i < n;) {
            while (i < n && !mayReach(mvp, KeptComponents::entryBox(entries[std::size_t(i)]),
                                      viewportPx, clip))
                ++i;
            const int from = i;
            while (i < n && mayReach(mvp, KeptComponents::entryBox(entries[std::size_t(i)]),
                                     viewportPx, clip))
                ++i;
            if (i > from)
                runs.push_back({int16_t(c), from, i});
        }
    }
    return runs;
}

void GlSceneBuffers::drawPane(Pane pane, const SceneGeometry& g, const CameraState& cam, int zoom,
                              const QRect& clip, QSize viewportPx) {
    sync(g);
    QElapsedTimer clock;
    clock.start();
    const double uploadBefore = renderStats().uploadSeconds;
    // Grid space, where the kept components are, to the pane's clip coordinates; and the eye
    // in grid space.
    QMatrix4x4 modelView = paneModelView(pane, cam, zoom);
    modelView.translate(kGridCorner[0], kGridCorner[1], kGridCorner[2]);
    const QMatrix4x4 mvp =
        paneProjection(std::max(1, viewportPx.width()), std::max(1, viewportPx.height())) *
        modelView;
    const QVector3D eye = modelView.inverted().map(QVector3D(0, 0, 0));
    const bool cull = g_culling && !viewportPx.isEmpty();
    const std::vector<Run> runs = visibleRuns(
        mvp, eye, g, cull, clip.isValid() ? clip : QRect(QPoint(), viewportPx), viewportPx);
    GlCanvas canvas;
    applyPaneCamera(canvas, pane, cam, zoom);
    glScalef(0.1f, 0.1f, 0.1f);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    // Every primitive has one colour. Flat shading takes it as it is, where interpolating
    // between equal colours can land a hair off and round to the neighbouring 8-bit step.
    glShadeModel(GL_FLAT);
    const PanePlanes planes = planesOfPane(pane);
    for (int i = 0; i < planes.count; ++i)
        drawPart(g, SceneGeometry::gridPart(planes.planes[i]));
    drawPart(g, SceneGeometry::Part::Fixed);
    glTranslatef(kGridCorner[0], kGridCorner[1], kGridCorner[2]);
    drawComponents(g, runs, cull ? &mvp : nullptr, viewportPx);
    // The mark shows through whatever stands in front of the selected component.
    if (!g.mesh(SceneGeometry::Part::Mark).empty()) {
        glDisable(GL_DEPTH_TEST);
        drawPart(g, SceneGeometry::Part::Mark);
        glEnable(GL_DEPTH_TEST);
    }
    glLineWidth(0.5f);
    glShadeModel(GL_SMOOTH);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    if (!m_client && m_bindBuffer)
        m_bindBuffer(kArrayBuffer, 0);
    if (renderStats().finishDraws)
        glFinish();
    // The streams written on the way count as writing, not drawing.
    renderStats().drawSeconds +=
        double(clock.nsecsElapsed()) / 1e9 - (renderStats().uploadSeconds - uploadBefore);
}

} // namespace kelmira
