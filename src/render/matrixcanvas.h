#pragma once

#include "models/canvas.h"

#include <QMatrix4x4>

#include <vector>

namespace kelmira {

// A canvas that draws nothing and only follows the model-view matrix the way fixed-function
// GL does (each operation multiplies on the right). It lets code outside a GL context ask
// where a pane's camera puts a scene point; tests derive from it to record what is drawn.
class MatrixCanvas : public Canvas {
public:
    const QMatrix4x4& matrix() const { return m_matrix; }
    int stackDepth() const { return static_cast<int>(m_stack.size()); }

    void color(float, float, float) override {}
    void lineWidth(float) override {}
    void pushMatrix() override { m_stack.push_back(m_matrix); }
    void popMatrix() override {
        if (!m_stack.empty()) {
            m_matrix = m_stack.back();
            m_stack.pop_back();
        }
    }
    void translate(float x, float y, float z) override { m_matrix.translate(x, y, z); }
    void rotate(float degrees, float x, float y, float z) override {
        m_matrix.rotate(degrees, x, y, z);
    }
    void scale(float x, float y, float z) override { m_matrix.scale(x, y, z); }
    void begin(Primitive) override {}
    void vertex(float, float, float) override {}
    void end() override {}
    QuadricId newQuadric() override { return 1; }
    void deleteQuadric(QuadricId) override {}
    void quadricDrawStyle(QuadricId, int) override {}
    void quadricOrientation(QuadricId, int) override {}
    void quadricNormals(QuadricId, int) override {}
    void cylinder(QuadricId, double, double, double, int, int) override {}
    void disk(QuadricId, double, double, int, int) override {}
    void sphere(QuadricId, double, int, int) override {}

private:
    QMatrix4x4 m_matrix;
    std::vector<QMatrix4x4> m_stack;
};

} // namespace kelmira
