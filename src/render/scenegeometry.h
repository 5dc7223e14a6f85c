#pragma once

#include "models/meshcanvas.h"
#include "render/renderer.h"
#include "render/scene.h"

#include <array>
#include <cstdint>
#include <optional>

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
    // coordinates (the pane moves the grid's corner to kGridCorner). A grid is empty while
    // its plane is switched off.
    // Mark: the box around the selected component, in the components' space, drawn over
    // everything else; empty while nothing is marked.
    enum class Part { Fixed, GridXZ, GridXY, GridYZ, Components, Mark };
    static constexpr int kPartCount = 6;

    // Brings every part up to date. Rebuilding the components folds the Rot of each drawn
    // record into the rotation step's range, exactly as a drawn frame does; nothing is folded
    // while the board and the step stay as they are, because nothing needs it then.
    // Returns whether any part was rebuilt.
    bool update(Board& board, const SceneSettings& s);

    // The box to mark (components' space), or none. Only a different box rebuilds the mark, and
    // the components stay as they are.
    void setMark(const std::optional<Box>& box);
    // The lines of the mark around `box`: a dark wide line under a bright narrow one, so that
    // the mark stands out on any background and any component.
    static Mesh markMesh(const Box& box);

    const Mesh& mesh(Part p) const { return m_parts[index(p)].mesh; }
    // Grows at every rebuild of the part, from one counter for all geometries.
    uint64_t version(Part p) const { return m_parts[index(p)].version; }
    // Changes whenever a part the pane draws is rebuilt.
    uint64_t paneVersion(Pane pane) const;
    // What the last rebuild of the components found.
    ComponentPassStats componentPass() const { return m_pass; }

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

    std::array<Kept, kPartCount> m_parts{};
    bool m_built = false;
    SceneSettings m_settings;
    uint64_t m_boardRevision = 0;
    ComponentPassStats m_pass;
    std::optional<Box> m_mark;
};

} // namespace kelmira
