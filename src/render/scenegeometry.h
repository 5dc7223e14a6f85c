#pragma once

#include "models/meshcanvas.h"
#include "render/keptcomponents.h"
#include "render/renderer.h"
#include "render/scene.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace kelmira {

class Board;

// The scene as the panes draw it, kept between frames as flat-coloured triangles and lines
// in scene units. Each part is rebuilt only when what it shows changes: the placed components
// when the board or the rotation step does, the board, stage and axes when their settings do,
// a plane grid when it is switched or recoloured. One geometry serves all four panes; a pane
// adds only its camera and the grids it shows.
class SceneGeometry {
public:
    // Fixed: board, stage, outlines, axes. Components: every occupied cell's model, in grid
    // coordinates (the pane moves the grid's corner to kGridCorner), kept by chunks in
    // components(). A grid is empty while its plane is switched off. Mark: the box around the
    // selected component, in the components' space, drawn over everything else; empty while
    // nothing is marked.
    enum class Part { Fixed, GridXZ, GridXY, GridYZ, Components, Mark };
    static constexpr int kPartCount = 6;

    SceneGeometry();

    // Brings every part up to date. Updating the components folds the Rot of each drawn
    // record into the rotation step's range, exactly as a drawn frame does; nothing is folded
    // while the board and the step stay as they are, because nothing needs it then.
    // Returns whether any part changed. Out of memory, the parts keep what they showed, the
    // fault is reported once and the next update tries again.
    bool update(Board& board, const SceneSettings& s);

    // The box to mark (components' space), or none. Only a different box rebuilds the mark; it
    // damages its old and new box, so the panes redraw only around them.
    void setMark(const std::optional<Box>& box);
    // The lines of the mark around `box`: a dark wide line under a bright narrow one, so that
    // the mark stands out on any background and any component.
    static Mesh markMesh(const Box& box);

    // The fixed part, the grids and the mark; the components live in components().
    const Mesh& mesh(Part p) const { return m_parts[index(p)].mesh; }
    const KeptComponents& components() const { return m_components; }
    // The placed components as one mesh, made on demand (the kept scene holds no such copy).
    Mesh componentMesh() const;
    // Grows at every change of the part, from one counter for all geometries.
    uint64_t version(Part p) const;
    // Changes whenever a part the pane draws changes in a way that needs the whole pane
    // drawn again (the fixed scene, its grids); changes of the components and added damage
    // show in damageVersion() instead.
    uint64_t paneVersion(Pane pane) const;
    // What the last pass over the components found.
    ComponentPassStats componentPass() const { return m_pass; }
    // Tells geometries apart, for buffers that follow one of them.
    uint64_t id() const { return m_id; }

    // Damage: where the picture may have changed without a whole pane's worth of change, as
    // boxes in grid space. Every component that appears, vanishes, moves or turns adds the
    // boxes of its old and new geometry; other kept parts that change in place (a marker over
    // the scene) add theirs with addDamage. A pane that last drew at damage version v draws
    // again only the screen rectangle of damageSince(v).
    void addDamage(const GridBox& box);
    uint64_t damageVersion() const { return m_damageVersion; }
    // The boxes added after version v; false when they are no longer known (too many, or a
    // change that touched everything), and the whole pane must be drawn.
    bool damageSince(uint64_t v, std::vector<GridBox>& out) const;

    // The way every edit worked before the scene was kept by chunks: each change of the board
    // rebuilds all components and damages everything. For benchmarks, which measure the two
    // side by side; process-wide.
    static void setWholeRebuilds(bool whole);

    static Part gridPart(Plane plane);
    // A kind's model in its own space, tessellated once for the program; empty for a kind
    // without a model.
    static const Mesh& modelMesh(int32_t kind);
    // Board, stage, outlines and axes as the Fixed part holds them for these settings.
    static Mesh fixedSceneMesh(const SceneSettings& s);

private:
    struct Kept {
        Mesh mesh;
        uint64_t version = 0;
    };
    static constexpr std::size_t index(Part p) { return static_cast<std::size_t>(p); }
    void rebuild(Part p, Mesh mesh);
    void updateComponents(Board& board, int rotationStep);
    void damageEverything();

    std::array<Kept, kPartCount> m_parts{};
    KeptComponents m_components;
    bool m_built = false;
    SceneSettings m_settings;
    uint64_t m_boardRevision = 0;
    ComponentPassStats m_pass;
    std::optional<Box> m_mark;
    uint64_t m_id;
    // The damage log: boxes with the version each was added at; versions up to m_damageFloor
    // are forgotten.
    std::vector<std::pair<uint64_t, GridBox>> m_damage;
    uint64_t m_damageFloor = 0;
    uint64_t m_damageVersion = 0;
};

} // namespace kelmira
