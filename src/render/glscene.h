#pragma once

#include "render/scenegeometry.h"

#include <array>
#include <cstdint>
#include <functional>

namespace kelmira {

// One GL context's copy of the kept scene: a buffer object per part, uploaded again only when
// the part's version has moved on, and the calls that draw a pane from them. Without buffer
// objects (a GL older than 1.5) the same arrays are drawn from client memory.
class GlSceneBuffers {
public:
    using Resolver = std::function<void*(const char*)>;

    // With the context current: looks up the buffer-object entry points.
    void initialize(const Resolver& resolve);
    // With the context current: deletes the buffers. Also right before the context goes.
    void release();

    // Everything of one pane after beginPane: its camera, the scale of 0.1, the grids it shows
    // (at the line width the context has), the fixed scene and the placed components, leaving
    // the line width at 0.5 for the next frame's grids.
    void drawPane(Pane pane, const SceneGeometry& g, const CameraState& cam, int zoom);

    bool usesBufferObjects() const { return m_genBuffers != nullptr; }

private:
    using GenFn = void (*)(int, unsigned*);
    using DeleteFn = void (*)(int, const unsigned*);
    using BindFn = void (*)(unsigned, unsigned);
    using DataFn = void (*)(unsigned, std::ptrdiff_t, const void*, unsigned);

    void drawPart(const SceneGeometry& g, SceneGeometry::Part part);

    GenFn m_genBuffers = nullptr;
    DeleteFn m_deleteBuffers = nullptr;
    BindFn m_bindBuffer = nullptr;
    DataFn m_bufferData = nullptr;
    std::array<unsigned, SceneGeometry::kPartCount> m_buffers{};
    std::array<uint64_t, SceneGeometry::kPartCount> m_uploaded{};
};

} // namespace kelmira
