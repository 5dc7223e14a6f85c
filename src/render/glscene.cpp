#include "render/glscene.h"

#include "models/glcanvas.h"
#include "render/renderer.h"

#ifdef _WIN32
#include <windows.h>
#endif
#include <GL/gl.h>

namespace kelmira {

namespace {

constexpr GLenum kArrayBuffer = 0x8892; // GL_ARRAY_BUFFER
constexpr GLenum kStaticDraw = 0x88E4;  // GL_STATIC_DRAW

} // namespace

void GlSceneBuffers::initialize(const Resolver& resolve) {
    m_genBuffers = reinterpret_cast<GenFn>(resolve("glGenBuffers"));
    m_deleteBuffers = reinterpret_cast<DeleteFn>(resolve("glDeleteBuffers"));
    m_bindBuffer = reinterpret_cast<BindFn>(resolve("glBindBuffer"));
    m_bufferData = reinterpret_cast<DataFn>(resolve("glBufferData"));
    if (!m_genBuffers || !m_deleteBuffers || !m_bindBuffer || !m_bufferData) {
        m_genBuffers = nullptr;
        return;
    }
    m_genBuffers(SceneGeometry::kPartCount, m_buffers.data());
    m_uploaded.fill(0);
}

void GlSceneBuffers::release() {
    if (m_genBuffers && m_buffers[0])
        m_deleteBuffers(SceneGeometry::kPartCount, m_buffers.data());
    m_buffers.fill(0);
    m_uploaded.fill(0);
    m_genBuffers = nullptr;
}

void GlSceneBuffers::drawPart(const SceneGeometry& g, SceneGeometry::Part part) {
    const Mesh& mesh = g.mesh(part);
    if (mesh.empty())
        return;
    const auto n = static_cast<std::size_t>(part);
    const char* base = nullptr;
    if (m_genBuffers) {
        m_bindBuffer(kArrayBuffer, m_buffers[n]);
        if (m_uploaded[n] != g.version(part)) {
            m_bufferData(kArrayBuffer,
                         static_cast<std::ptrdiff_t>(mesh.vertices.size() * sizeof(MeshVertex)),
                         mesh.vertices.data(), kStaticDraw);
            m_uploaded[n] = g.version(part);
        }
    } else {
        base = reinterpret_cast<const char*>(mesh.vertices.data());
    }
    glVertexPointer(3, GL_FLOAT, sizeof(MeshVertex), base + offsetof(MeshVertex, x));
    glColorPointer(3, GL_FLOAT, sizeof(MeshVertex), base + offsetof(MeshVertex, r));
    for (const MeshBatch& b : mesh.batches) {
        if (b.type == MeshBatch::Type::Lines && b.lineWidth > 0)
            glLineWidth(b.lineWidth);
        glDrawArrays(b.type == MeshBatch::Type::Lines ? GL_LINES : GL_TRIANGLES, b.first, b.count);
    }
}

void GlSceneBuffers::drawPane(Pane pane, const SceneGeometry& g, const CameraState& cam, int zoom) {
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
    drawPart(g, SceneGeometry::Part::Components);
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
    if (m_genBuffers)
        m_bindBuffer(kArrayBuffer, 0);
}

} // namespace kelmira
