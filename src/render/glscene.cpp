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

#include <cmath>
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
// How much nearer than a box's nearest corner a depth read back must be for the box to count
// as hidden: far more than the depth buffer's rounding, and than the rasteriser's error in
// the depth of a triangle seen almost edge on.
constexpr float kDepthSlack = 5e-4f;
// How far past its ends, along it, the rasteriser may put fragments of a line, in pixels:
// half a pixel at the end, and half the widest line where a corner of it sticks out.
constexpr float kLineOvershootPx = 2.0f;
// Triangle vertices drawn before the depth is first read back; it is read again each time
// twice as many have been drawn.
constexpr int64_t kFirstLook = 20000;

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

// The depth drawn so far within a rectangle of the viewport, coarsely: for every tile of
// kTilePx pixels square the deepest value in it. Whatever lies deeper than all the tiles it
// could reach cannot pass the depth test there.
class DepthTiles {
public:
    bool valid() const { return m_valid; }

    // Reads the depth within rect (GL window coordinates) of the framebuffer bound for
    // reading; after a failure, valid() stays false.
    void read(const QRect& rect) {
        m_valid = false;
        if (m_failed || rect.isEmpty())
            return;
        GLint packBuffer = 0, alignment = 4, rowLength = 0;
        glGetIntegerv(kPixelPackBufferBinding, &packBuffer);
        if (packBuffer != 0) { // the pixels would go to a buffer object, not to us
            m_failed = true;
            return;
        }
        glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
        glGetIntegerv(GL_PACK_ROW_LENGTH, &rowLength);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glPixelStorei(GL_PACK_ROW_LENGTH, 0);
        m_pixels.resize(std::size_t(rect.width()) * std::size_t(rect.height()));
        glReadPixels(rect.x(), rect.y(), rect.width(), rect.height(), GL_DEPTH_COMPONENT, GL_FLOAT,
                     m_pixels.data());
        glPixelStorei(GL_PACK_ALIGNMENT, alignment);
        glPixelStorei(GL_PACK_ROW_LENGTH, rowLength);
        if (glGetError() != GL_NO_ERROR) {
            m_failed = true;
            return;
        }
        m_rect = rect;
        m_cols = (rect.width() + kTilePx - 1) / kTilePx;
        const int rows = (rect.height() + kTilePx - 1) / kTilePx;
        m_deepest.assign(std::size_t(m_cols) * std::size_t(rows), 0.0f);
        for (int y = 0; y < rect.height(); ++y) {
            const float* row = m_pixels.data() + std::size_t(y) * std::size_t(rect.width());
            float* tiles = m_deepest.data() + std::size_t(y / kTilePx) * std::size_t(m_cols);
            for (int x = 0; x < rect.width(); ++x)
                tiles[x / kTilePx] = std::max(tiles[x / kTilePx], row[x]);
        }
        m_valid = true;
    }

    // Whether the triangles the grid-space box holds, through mvp in a viewport of vp pixels,
    // lie deeper than the depth read wherever in the rectangle they could put a fragment. A
    // box reaching in front of the near plane is never hidden.
    bool hides(const QMatrix4x4& mvp, const GridBox& box, QSize vp) const {
        WindowSpan span;
        for (const QVector4D& p : corners(mvp, box))
            if (p.z() < -p.w() || !span.add(p, vp))
                return false;
        return deeperThanAll(span, 0, span.nearest - kDepthSlack);
    }

    // Whether the lines given as pairs of grid-space vertices, through mvp in a viewport of
    // vp pixels, lie deeper than the depth read wherever they could put a fragment. The
    // rasteriser carries a line's depth on along the line past its ends, up to
    // kLineOvershootPx: a line seen almost end on reaches far nearer than its ends.
    bool hidesLines(const QMatrix4x4& mvp, const MeshVertex* v, int count, QSize vp) const {
        WindowSpan span;
        double lowest = 1e30;
        for (int j = 0; j + 1 < count; j += 2) {
            WindowSpan line;
            for (const MeshVertex& a : {v[j], v[j + 1]}) {
                const QVector4D p = mvp.map(QVector4D(a.x, a.y, a.z, 1));
                if (p.z() < -p.w() || !line.add(p, vp))
                    return false;
            }
            const double length = std::hypot(line.x1 - line.x0, line.y1 - line.y0);
            const double overshoot =
                (line.deepest - line.nearest) * kLineOvershootPx / std::max(length, 1e-6);
            lowest = std::min(lowest, line.nearest - overshoot);
            span.join(line);
        }
        // Half the widest line and its overshoot past the ends.
        return deeperThanAll(span, kLineOvershootPx + 1, lowest - kDepthSlack);
    }

private:
    // Whether every tile reaching the pixels whose centres lie within reach of the span, a
    // pixel more for rounding, is deeper than limit; true when those pixels miss the
    // rectangle, the only part of the picture being drawn.
    bool deeperThanAll(const WindowSpan& span, double reach, double limit) const {
        const int left = std::max(m_rect.left(), int(std::floor(span.x0 - reach)) - 1);
        const int right = std::min(m_rect.right(), int(std::ceil(span.x1 + reach)) + 1);
        const int bottom = std::max(m_rect.top(), int(std::floor(span.y0 - reach)) - 1);
        const int top = std::min(m_rect.bottom(), int(std::ceil(span.y1 + reach)) + 1);
        if (left > right || bottom > top)
            return true;
        for (int ty = (bottom - m_rect.top()) / kTilePx; ty <= (top - m_rect.top()) / kTilePx; ++ty)
            for (int tx = (left - m_rect.left()) / kTilePx; tx <= (right - m_rect.left()) / kTilePx;
                 ++tx)
                if (m_deepest[std::size_t(ty) * std::size_t(m_cols) + std::size_t(tx)] >= limit)
                    return false;
        return true;
    }

    static constexpr int kTilePx = 8;
    static constexpr GLenum kPixelPackBufferBinding = 0x88ED; // GL_PIXEL_PACK_BUFFER_BINDING
    bool m_valid = false;
    bool m_failed = false;
    QRect m_rect;
    int m_cols = 0;
    std::vector<float> m_pixels;
    std::vector<float> m_deepest;
};

// How far the depth read hides entry i of chunk c: 0 not at all, 1 its triangles, 2 its
// lines as well (chunkHidden: the box of its chunk's components in sight is hidden).
char hiddenLevel(const DepthTiles& depth, const QMatrix4x4& mvp, QSize vp,
                 const KeptComponents& kept, int c, int i, bool chunkHidden,
                 std::vector<MeshVertex>& scratch) {
    const KeptComponents::Entry& e = kept.chunk(c).entries[std::size_t(i)];
    if (!chunkHidden && !depth.hides(mvp, KeptComponents::entryBox(e), vp))
        return 0;
    for (int s = 0; s < KeptComponents::streamCount(); ++s) {
        const int32_t n = KeptComponents::modelCounts(e.kind)[std::size_t(s)];
        if (KeptComponents::streamKey(s).type != MeshBatch::Type::Lines || n == 0)
            continue;
        scratch.resize(std::size_t(n));
        kept.writeVertices(c, s, i, i + 1, scratch.data());
        if (!depth.hidesLines(mvp, scratch.data(), n, vp))
            return 1;
    }
    return 2;
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

void GlSceneBuffers::drawComponents(const SceneGeometry& g, const std::vector<Run>& runs,
                                    const QMatrix4x4* mvp, const QRect& clip, QSize viewportPx) {
    const KeptComponents& kept = g.components();
    // A component whose box lies wholly deeper than what is drawn already wherever it could
    // reach cannot put a triangle on the picture: the depth there only comes nearer as the
    // frame goes on. So now and then, each time twice as much has been drawn, the depth drawn
    // so far is read back, and the triangles of the components drawn after that which it
    // hides are left out, and their lines when even those cannot show (hiddenLevel). The runs
    // come nearest chunks first, so what hides a component is mostly drawn before it. A chunk
    // whose components all hide has its streams not even written.
    std::vector<int32_t> at(runs.size() + 1, 0); // where each run's entries start in `hidden`
    for (std::size_t k = 0; k < runs.size(); ++k)
        at[k + 1] = at[k] + runs[k].to - runs[k].from;
    // Per entry: 1 when its triangles are hidden, 2 when its lines are as well.
    std::vector<char> hidden(std::size_t(at.back()), 0);
    std::vector<MeshVertex> lineVertices;
    DepthTiles depth;
    int64_t drawnTriangles = 0, nextLook = mvp ? kFirstLook : INT64_MAX;
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
        bool chunkHidden = false;
        for (std::size_t k = 0; k < runs.size(); ++k) {
            const Run& r = runs[k];
            const KeptComponents::Chunk& chunk = kept.chunk(r.chunk);
            const auto& entries = chunk.entries;
            // hiddenAt(i): whether entry i of the run is left out from this stream.
            const auto hiddenAt = [&](int32_t i) {
                return hidden[std::size_t(at[k] + i - r.from)] > (lines ? 1 : 0);
            };
            if (!lines && mvp) {
                if (drawnTriangles >= nextLook) {
                    depth.read(clip);
                    nextLook = 2 * drawnTriangles;
                }
                if (depth.valid()) {
                    if (tested != r.chunk) {
                        tested = r.chunk;
                        chunkHidden = depth.hides(*mvp, runsBox(kept, runs, k), viewportPx);
                    }
                    for (int32_t i = r.from; i < r.to; ++i) {
                        char& flag = hidden[std::size_t(at[k] + i - r.from)];
                        flag = hiddenLevel(depth, *mvp, viewportPx, kept, r.chunk, i, chunkHidden,
                                           lineVertices);
                        renderStats().componentsHidden += flag > 0;
                    }
                }
            }
            // The stretches of the run that show, one call each.
            for (int32_t i = r.from; i < r.to;) {
                while (i < r.to && hiddenAt(i))
                    ++i;
                const int32_t from = i;
                while (i < r.to && !hiddenAt(i))
                    ++i;
                if (i == from)
                    break;
                const int32_t first = entries[std::size_t(from)].first[std::size_t(s)];
                const int32_t end = i < int32_t(entries.size())
                                        ? entries[std::size_t(i)].first[std::size_t(s)]
                                        : chunk.count[std::size_t(s)];
                if (end <= first)
                    continue;
                const Stream& st = m_chunks[std::size_t(r.chunk)].streams[std::size_t(s)];
                if (st.written != chunk.version) {
                    if (!ensureWritten(g, r.chunk, s))
                        break;
                    bound = -1; // writing bound the stream's buffer
                }
                if (bound != r.chunk) {
                    bind(st.buffer, st.client.data());
                    bound = r.chunk;
                }
                glDrawArrays(mode, first, end - first);
                if (!lines)
                    drawnTriangles += end - first;
                sinceFlush += end - first;
                if (sinceFlush > kFlushVertices) {
                    paceFlush(fence);
                    sinceFlush = 0;
                }
            }
        }
    }
    if (fence)
        m_deleteSync(fence);
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
    drawComponents(g, runs, cull ? &mvp : nullptr,
                   clip.isValid() ? clip : QRect(QPoint(), viewportPx), viewportPx);
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
