#pragma once

#include <cstdint>

namespace kelmira {

// Quadric settings, numerically equal to GLU's constants.
enum QuadricSetting : int {
    QuadricFill = 100012,   // GLU_FILL
    QuadricLine = 100011,   // GLU_LINE
    QuadricInside = 100021, // GLU_INSIDE
    QuadricOutside = 100020,
    QuadricSmooth = 100000, // GLU_SMOOTH
};

// A flat colour as GL takes it, components 0..1.
struct Rgb {
    float r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

// An axis-aligned box by its two corners; x0 <= x1, y0 <= y1, z0 <= z1.
struct Box {
    float x0, x1, y0, y1, z0, z1;
};

// Opaque quadric handle; 0 means "could not be created".
using QuadricId = std::uintptr_t;

// The fixed-function drawing surface the scene and the models draw through.
// GlCanvas sends it to the current GL context; RecordingCanvas (tests) records it.
class Canvas {
public:
    virtual ~Canvas() = default;

    virtual void color(float r, float g, float b) = 0;
    virtual void lineWidth(float w) = 0;

    virtual void pushMatrix() = 0;
    virtual void popMatrix() = 0;
    virtual void translate(float x, float y, float z) = 0;
    virtual void rotate(float degrees, float x, float y, float z) = 0;
    virtual void scale(float x, float y, float z) = 0;

    // Immediate mode: begin(GL_LINES / GL_QUADS) ... vertex ... end.
    enum class Primitive { Lines, Quads };
    virtual void begin(Primitive p) = 0;
    virtual void vertex(float x, float y, float z) = 0;
    virtual void end() = 0;

    virtual QuadricId newQuadric() = 0;
    virtual void deleteQuadric(QuadricId q) = 0;
    virtual void quadricDrawStyle(QuadricId q, int style) = 0;
    virtual void quadricOrientation(QuadricId q, int orientation) = 0;
    virtual void quadricNormals(QuadricId q, int normals) = 0;
    virtual void cylinder(QuadricId q, double base, double top, double height, int slices,
                          int stacks) = 0;
    virtual void disk(QuadricId q, double inner, double outer, int slices, int loops) = 0;
    virtual void sphere(QuadricId q, double radius, int slices, int stacks) = 0;
};

inline void paint(Canvas& c, const Rgb& colour) {
    c.color(colour.r, colour.g, colour.b);
}

} // namespace kelmira
