#include "render/scenegeometry.h"

#include "board/board.h"
#include "models/models.h"

#include <atomic>

namespace kelmira {

namespace {

std::atomic<uint64_t> g_versions{0};

bool fixedSceneDiffers(const SceneSettings& a, const SceneSettings& b) {
    return a.stage != b.stage || a.axisX != b.axisX || a.axisY != b.axisY || a.axisZ != b.axisZ ||
           a.stageColor != b.stageColor || a.boardColor != b.boardColor ||
           a.axisXColor != b.axisXColor || a.axisYColor != b.axisYColor ||
           a.axisZColor != b.axisZColor;
}

Mesh gridMesh(Plane plane, const SceneSettings& s) {
    if (!planeShown(plane, s))
        return {};
    // Width 0: the grids take whatever width the pane's previous frame left.
    MeshCanvas c(0);
    c.color(s.planeColor.r, s.planeColor.g, s.planeColor.b);
    drawPlaneGrid(c, plane);
    return c.take();
}

} // namespace

SceneGeometry::Part SceneGeometry::gridPart(Plane plane) {
    switch (plane) {
    case Plane::XZ:
        return Part::GridXZ;
    case Plane::XY:
        return Part::GridXY;
    case Plane::YZ:
        break;
    }
    return Part::GridYZ;
}

const Mesh& SceneGeometry::modelMesh(int32_t kind) {
    // Models take no arguments and keep no state, so one tessellation serves every cell.
    static const std::array<Mesh, 35> kModels = [] {
        std::array<Mesh, 35> models;
        for (int32_t k = 0; k < 35; ++k) {
            if (!modelForKind(k))
                continue;
            MeshCanvas c(1); // a model starts at line width 1
            drawModel(c, k);
            models[std::size_t(k)] = c.take();
        }
        return models;
    }();
    static const Mesh kNone;
    return kind >= 0 && kind < 35 ? kModels[std::size_t(kind)] : kNone;
}

Mesh SceneGeometry::fixedSceneMesh(const SceneSettings& s) {
    MeshCanvas c;
    const QuadricId q = c.newQuadric();
    drawFixedScene(c, s, q);
    c.deleteQuadric(q);
    return c.take();
}

void SceneGeometry::rebuild(Part p, Mesh mesh) {
    m_parts[index(p)].mesh = std::move(mesh);
    m_parts[index(p)].version = ++g_versions;
}

bool SceneGeometry::update(Board& board, const SceneSettings& s) {
    bool changed = false;
    if (!m_built || fixedSceneDiffers(m_settings, s)) {
        rebuild(Part::Fixed, fixedSceneMesh(s));
        changed = true;
    }
    // A grid that stays switched off keeps its (empty) part, so the panes that would show it
    // are not drawn again for its colour.
    const bool gridColour = m_settings.planeColor != s.planeColor;
    for (Plane plane : {Plane::XZ, Plane::XY, Plane::YZ})
        if (!m_built || planeShown(plane, m_settings) != planeShown(plane, s) ||
            (gridColour && planeShown(plane, s))) {
            rebuild(gridPart(plane), gridMesh(plane, s));
            changed = true;
        }
    if (!m_built || board.revision() != m_boardRevision ||
        m_settings.rotationStep != s.rotationStep) {
        MeshCanvas c(1);
        m_pass = forEachDrawnCell(board, s.rotationStep, [&c](const DrawnCell& cell) {
            const Mesh& model = modelMesh(cell.kind);
            if (model.empty())
                return;
            Matrix4f at;
            at.translate(kCellSpacing * static_cast<float>(cell.x),
                         kCellSpacing * static_cast<float>(cell.y),
                         kCellSpacing * static_cast<float>(cell.z));
            if (cell.angle)
                at.rotate(static_cast<float>(*cell.angle), 0, 1, 0);
            c.append(model, at);
        });
        rebuild(Part::Components, c.take());
        m_boardRevision = board.revision();
        changed = true;
    }
    m_settings = s;
    m_built = true;
    return changed;
}

Mesh SceneGeometry::markMesh(const Box& b) {
    // A little outside the box, so that the mark does not run along the component's own edges.
    constexpr float kPad = 0.04f;
    const float x[2] = {b.x0 - kPad, b.x1 + kPad}, y[2] = {b.y0 - kPad, b.y1 + kPad},
                z[2] = {b.z0 - kPad, b.z1 + kPad};
    MeshCanvas c(1);
    auto edges = [&] {
        c.begin(Canvas::Primitive::Lines);
        for (int i = 0; i < 2; ++i)
            for (int j = 0; j < 2; ++j) {
                c.vertex(x[0], y[i], z[j]);
                c.vertex(x[1], y[i], z[j]);
                c.vertex(x[i], y[0], z[j]);
                c.vertex(x[i], y[1], z[j]);
                c.vertex(x[i], y[j], z[0]);
                c.vertex(x[i], y[j], z[1]);
            }
        c.end();
    };
    c.lineWidth(4);
    c.color(0.08f, 0.08f, 0.08f);
    edges();
    c.lineWidth(2);
    c.color(1, 0.85f, 0);
    edges();
    return c.take();
}

void SceneGeometry::setMark(const std::optional<Box>& box) {
    const auto same = [](const Box& a, const Box& b) {
        return a.x0 == b.x0 && a.x1 == b.x1 && a.y0 == b.y0 && a.y1 == b.y1 && a.z0 == b.z0 &&
               a.z1 == b.z1;
    };
    if (box.has_value() == m_mark.has_value() && (!box || same(*box, *m_mark)))
        return;
    m_mark = box;
    rebuild(Part::Mark, box ? markMesh(*box) : Mesh{});
}

uint64_t SceneGeometry::paneVersion(Pane pane) const {
    // Versions only grow, so the sum changes whenever one of them does.
    uint64_t v = version(Part::Fixed) + version(Part::Components) + version(Part::Mark);
    const PanePlanes planes = planesOfPane(pane);
    for (int n = 0; n < planes.count; ++n)
        v += version(gridPart(planes.planes[n]));
    return v;
}

} // namespace kelmira
