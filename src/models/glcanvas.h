#pragma once

#include "models/canvas.h"

namespace kelmira {

// Sends every call to the GL context current on the calling thread: immediate mode,
// the fixed-function matrix stack and GLU quadrics. Holds no state of its own, so one
// instance may serve every pane.
class GlCanvas : public Canvas {
public:
    void color(float r, float g, float b) override;
    void lineWidth(float w) override;
    void pushMatrix() override;
    void popMatrix() override;
    void translate(float x, float y, float z) override;
    void rotate(float degrees, float x, float y, float z) override;
    void scale(float x, float y, float z) override;
    void begin(Primitive p) override;
    void vertex(float x, float y, float z) override;
    void end() override;
    QuadricId newQuadric() override;
    void deleteQuadric(QuadricId q) override;
    void quadricDrawStyle(QuadricId q, int style) override;
    void quadricOrientation(QuadricId q, int orientation) override;
    void quadricNormals(QuadricId q, int normals) override;
    void cylinder(QuadricId q, double base, double top, double height, int slices,
                  int stacks) override;
    void disk(QuadricId q, double inner, double outer, int slices, int loops) override;
    void sphere(QuadricId q, double radius, int slices, int stacks) override;
};

} // namespace kelmira
