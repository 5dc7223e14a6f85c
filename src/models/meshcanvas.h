#pragma once

#include "models/canvas.h"

#include <array>
#include <cstdint>
#include <map>
#include <vector>

namespace kelmira {

// One vertex of kept geometry: position and colour, as the panes' vertex arrays take them.
struct MeshVertex {
    float x, y, z;
    float r, g, b;
};

// A run of vertices drawn with one call: triangles, or lines at one width. A width of 0
// draws at whatever width the pane's context has (the plane grids rely on that).
struct MeshBatch {
    enum class Type { Triangles, Lines };
    Type type = Type::Triangles;
    float lineWidth = 0;
    int32_t first = 0;
    int32_t count = 0;
};

// Flat-coloured triangles and lines, kept between frames: every batch's vertices are
// contiguous, triangles first, then lines from the widest to the thinnest.
struct Mesh {
    std::vector<MeshVertex> vertices;
    std::vector<MeshBatch> batches;

    bool empty() const { return vertices.empty(); }
    int32_t triangleCount() const;
    int32_t lineCount() const;
};

// A 4x4 float matrix in GL's column-major layout, multiplied the way fixed-function GL does:
// each operation on the right.
struct Matrix4f {
    std::array<float, 16> m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    void translate(float x, float y, float z);
    void rotate(float degrees, float x, float y, float z);
    void scale(float x, float y, float z);
    void map(float x, float y, float z, float out[3]) const;
};

// A canvas that keeps what is drawn instead of drawing it. Each vertex goes through the
// current matrix and takes the current colour; quads become two triangles, quadrics are
// tessellated as GLU does it. Lighting is off and every part has one flat colour, so a
// filled cylinder needs one stack and a filled disk one loop for the same pixels: the rings
// that more stacks or loops add change nothing that can be seen. Spheres and wireframe
// quadrics keep their counts. Batches of equal type and width are merged, so a whole board
// becomes a handful of draw calls.
class MeshCanvas : public Canvas {
public:
    // The line width on entry, as a pane's context has it; 0 = "whatever the context has".
    explicit MeshCanvas(float lineWidth = 0);

    // The geometry gathered so far; the canvas starts empty again.
    Mesh take();
    // Appends `part` moved by m (the current matrix is not used), as if its calls had been
    // made again under m.
    void append(const Mesh& part, const Matrix4f& m);

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

private:
    struct Key {
        MeshBatch::Type type;
        float width;
        bool operator<(const Key& o) const;
    };
    std::vector<MeshVertex>& bucket(MeshBatch::Type type);
    void emit(std::vector<MeshVertex>& out, float x, float y, float z) const;
    void triangle(const float a[3], const float b[3], const float c[3]);
    void line(const float a[3], const float b[3]);
    bool wireframe(QuadricId q) const;

    Matrix4f m_matrix;
    std::vector<Matrix4f> m_stack;
    float m_r = 1, m_g = 1, m_b = 1;
    float m_width;
    std::map<Key, std::vector<MeshVertex>> m_buckets;
    Primitive m_primitive = Primitive::Lines;
    bool m_inside = false;
    std::vector<std::array<float, 3>> m_pending; // vertices of the open quad or line
    std::map<QuadricId, int> m_quadricStyles;
    QuadricId m_nextQuadric = 1;
};

} // namespace kelmira
