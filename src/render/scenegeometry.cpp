#include "render/scenegeometry.h"

#include "board/board.h"
#include "models/models.h"
#include "render/renderfaults.h"
#include "render/renderstats.h"

#include <QElapsedTimer>

#include <atomic>
#include <new>

namespace kelmira {

namespace {

std::atomic<uint64_t> g_versions{0};
std::atomic<bool> g_wholeRebuilds{false};

// Past this many boxes one pane's worth of damage is cheaper drawn whole.
constexpr std::size_t kMaxDamage = 256;

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

SceneGeometry::SceneGeometry() : m_id(++g_versions) {}

void SceneGeometry::setWholeRebuilds(bool whole) {
    g_wholeRebuilds = whole;
}

void SceneGeometry::rebuild(Part p, Mesh mesh) {
    m_parts[index(p)].mesh = std::move(mesh);
    m_parts[index(p)].version = ++g_versions;
}

uint64_t SceneGeometry::version(Part p) const {
    return p == Part::Components ? m_components.version() : m_parts[index(p)].version;
}

void SceneGeometry::damageEverything() {
    m_damage.clear();
    m_damageFloor = m_damageVersion = ++g_versions;
}

void SceneGeometry::addDamage(const GridBox& box) {
    m_damageVersion = ++g_versions;
    if (m_damage.size() >= kMaxDamage) {
        damageEverything();
        return;
    }
    m_damage.emplace_back(m_damageVersion, box);
}

bool SceneGeometry::damageSince(uint64_t v, std::vector<GridBox>& out) const {
    if (v < m_damageFloor)
        return false;
    for (const auto& [at, box] : m_damage)
        if (at > v)
            out.push_back(box);
    return true;
}

void SceneGeometry::updateComponents(Board& board, int rotationStep) {
    if (g_wholeRebuilds)
        m_components = KeptComponents();
    std::vector<GridBox> damage;
    try {
        m_components.update(board, rotationStep, damage, &m_pass);
    } catch (const std::bad_alloc&) {
        // What changed before the allocation failed is drawn; the rest keeps its old picture
        // until an update gets through.
        damageEverything();
        m_boardRevision = ~uint64_t(0); // no board has it: the next update tries again
        reportRenderFault(RenderFault::OutOfMemory);
        return;
    }
    if (g_wholeRebuilds || damage.size() > kMaxDamage)
        damageEverything();
    else
        for (const GridBox& b : damage)
            addDamage(b);
    m_boardRevision = board.revision();
}

bool SceneGeometry::update(Board& board, const SceneSettings& s) {
    QElapsedTimer clock;
    clock.start();
    bool changed = false;
    try {
        if (!m_built || fixedSceneDiffers(m_settings, s)) {
            rebuild(Part::Fixed, fixedSceneMesh(s));
            changed = true;
        }
        // A grid that stays switched off keeps its (empty) part, so the panes that would show
        // it are not drawn again for its colour.
        const bool gridColour = m_settings.planeColor != s.planeColor;
        for (Plane plane : {Plane::XZ, Plane::XY, Plane::YZ})
            if (!m_built || planeShown(plane, m_settings) != planeShown(plane, s) ||
                (gridColour && planeShown(plane, s))) {
                rebuild(gridPart(plane), gridMesh(plane, s));
                changed = true;
            }
    } catch (const std::bad_alloc&) {
        reportRenderFault(RenderFault::OutOfMemory);
        renderStats().updateSeconds += double(clock.nsecsElapsed()) / 1e9;
        return changed;
    }
    if (!m_built || board.revision() != m_boardRevision ||
        m_settings.rotationStep != s.rotationStep) {
        const uint64_t before = m_components.version();
        updateComponents(board, s.rotationStep);
        changed = changed || m_components.version() != before;
        // A new step may turn every component: the panes draw it whole, as after a load.
        if (m_built && m_settings.rotationStep != s.rotationStep) {
            damageEverything();
            changed = true;
        }
    }
    m_settings = s;
    m_built = true;
    renderStats().updateSeconds += double(clock.nsecsElapsed()) / 1e9;
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

namespace {

// What the mark may cover: its box, its padding and, past that, room for its 4-pixel lines
// at any zoom the panes use.
GridBox markDamage(const Box& b) {
    constexpr float kGrow = 0.3f;
    return GridBox{{b.x0 - kGrow, b.y0 - kGrow, b.z0 - kGrow},
                   {b.x1 + kGrow, b.y1 + kGrow, b.z1 + kGrow}};
}

} // namespace

void SceneGeometry::setMark(const std::optional<Box>& box) {
    const auto same = [](const Box& a, const Box& b) {
        return a.x0 == b.x0 && a.x1 == b.x1 && a.y0 == b.y0 && a.y1 == b.y1 && a.z0 == b.z0 &&
               a.z1 == b.z1;
    };
    if (box.has_value() == m_mark.has_value() && (!box || same(*box, *m_mark)))
        return;
    for (const auto& b : {m_mark, box})
        if (b)
            addDamage(markDamage(*b));
    m_mark = box;
    rebuild(Part::Mark, box ? markMesh(*box) : Mesh{});
}

Mesh SceneGeometry::componentMesh() const {
    Mesh mesh;
    for (int s = 0; s < KeptComponents::streamCount(); ++s) {
        const auto first = static_cast<int32_t>(mesh.vertices.size());
        for (int c = 0; c < KeptComponents::kChunkCount; ++c) {
            const std::vector<MeshVertex> v = m_components.streamVertices(c, s);
            mesh.vertices.insert(mesh.vertices.end(), v.begin(), v.end());
        }
        const auto count = static_cast<int32_t>(mesh.vertices.size()) - first;
        const StreamKey key = KeptComponents::streamKey(s);
        if (count > 0)
            mesh.batches.push_back({key.type, key.lineWidth, first, count});
    }
    return mesh;
}

uint64_t SceneGeometry::paneVersion(Pane pane) const {
    // Versions only grow, so the sum changes whenever one of them does.
    uint64_t v = version(Part::Fixed) + m_damageFloor;
    const PanePlanes planes = planesOfPane(pane);
    for (int n = 0; n < planes.count; ++n)
        v += version(gridPart(planes.planes[n]));
    return v;
}

} // namespace kelmira
