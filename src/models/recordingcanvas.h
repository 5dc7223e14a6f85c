#pragma once

#include "models/canvas.h"

#include <QStringList>

#include <array>
#include <limits>
#include <map>
#include <string>
#include <vector>

namespace kelmira {

// A 4x4 matrix in GL's column-major layout, in double so that a recorded run can be
// compared with the matrix it started from without float noise of its own.
struct Matrix4d {
    std::array<double, 16> m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    double& at(int row, int col) { return m[std::size_t(col * 4 + row)]; }
    double at(int row, int col) const { return m[std::size_t(col * 4 + row)]; }

    static Matrix4d fromFloats(const float* columnMajor16);
    Matrix4d operator*(const Matrix4d& o) const;
    void mapPoint(double x, double y, double z, double out[3]) const;
    void mapVector(double x, double y, double z, double out[3]) const;
    // Largest absolute difference of any element.
    double distance(const Matrix4d& o) const;
};

struct Vec3d {
    double x = 0, y = 0, z = 0;
};

struct Bounds {
    double min[3]{std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(),
                  std::numeric_limits<double>::infinity()};
    double max[3]{-std::numeric_limits<double>::infinity(),
                  -std::numeric_limits<double>::infinity(),
                  -std::numeric_limits<double>::infinity()};

    bool isEmpty() const { return min[0] > max[0]; }
    void add(const double p[3]);
    void add(const Bounds& b);
};

struct RecordedColor {
    float r = 1, g = 1, b = 1;
};

struct RecordedVertex {
    Vec3d local; // as passed to vertex()
    Vec3d world; // through the model-view matrix at the time of the call
    RecordedColor color;
    float lineWidth = 1;
};

// One begin()/end() pair and the vertices sent inside it.
struct RecordedBatch {
    Canvas::Primitive primitive = Canvas::Primitive::Lines;
    std::vector<RecordedVertex> vertices;
};

struct QuadricSettings {
    int drawStyle = QuadricFill;
    int orientation = QuadricOutside;
    int normals = QuadricSmooth;
};

struct RecordedQuadricShape {
    enum class Type { Cylinder, Disk, Sphere };
    Type type = Type::Cylinder;
    // Cylinder: base, top, height. Disk: inner, outer. Sphere: radius.
    double a = 0, b = 0, c = 0;
    int slices = 0;
    int stacks = 0; // stacks of a cylinder or a sphere, loops of a disk
    QuadricId quadric = 0;
    QuadricSettings settings;
    Matrix4d transform;
    RecordedColor color;
    Bounds bounds; // of the true round surface, not of its facets
};

// One call on the canvas, with the model-view matrix in force after it.
struct RecordedCall {
    std::string op; // "color", "lineWidth", "pushMatrix", "translate", "begin", "vertex", ...
    std::array<double, 6> args{};
    Matrix4d matrix;
};

// A Canvas that draws nothing and remembers everything: the calls, the matrix and its
// stack, the line width, the colour, the quadric objects and their settings, the vertices
// by primitive, the quadric shapes and the bounds of all that was drawn. It also notes
// misuse that real GL would reject or crash on (vertex outside begin/end, a stack
// underflow, a quadric used after deletion), so a test sees it instead of a blank pane.
class RecordingCanvas : public Canvas {
public:
    RecordingCanvas();
    explicit RecordingCanvas(const Matrix4d& start);

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

    // Makes newQuadric() answer 0, as gluNewQuadric does when it runs out of memory.
    void setQuadricsUnavailable(bool unavailable) { m_quadricsUnavailable = unavailable; }
    // The line width the run starts with (GL's default is 1).
    void setStartLineWidth(float w) { m_lineWidth = m_startLineWidth = w; }

    const Matrix4d& startMatrix() const { return m_startMatrix; }
    const Matrix4d& matrix() const { return m_matrix; }
    int stackDepth() const { return int(m_stack.size()); }
    float lineWidthNow() const { return m_lineWidth; }
    RecordedColor colorNow() const { return m_color; }

    const std::vector<RecordedCall>& calls() const { return m_calls; }
    const std::vector<RecordedBatch>& batches() const { return m_batches; }
    const std::vector<RecordedQuadricShape>& quadricShapes() const { return m_shapes; }
    // Every vertex sent inside begin(p)/end(), in order.
    std::vector<RecordedVertex> vertices(Primitive p) const;
    int vertexCount() const;
    int quadCount() const { return countVertices(Primitive::Quads); }
    int lineVertexCount() const { return countVertices(Primitive::Lines); }

    int quadricsCreated() const { return m_quadricsCreated; }
    int quadricsDeleted() const { return m_quadricsDeleted; }
    int quadricsAlive() const { return int(m_liveQuadrics.size()); }
    // Uses of a quadric that is 0, unknown or already deleted, and double deletions.
    int invalidQuadricUses() const { return m_invalidQuadricUses; }

    Bounds bounds() const { return m_bounds; }
    bool drewAnything() const { return m_primitives > 0; }
    bool colorSetBeforeFirstPrimitive() const { return m_colorBeforeFirst; }
    // Misuse that real GL reports as an error or that would crash GLU.
    const QStringList& errors() const { return m_errors; }

private:
    int countVertices(Primitive p) const;
    void record(const char* op, std::initializer_list<double> args);
    void notePrimitive();
    bool quadricUsable(QuadricId q, const char* op);
    void addShape(RecordedQuadricShape s);

    Matrix4d m_startMatrix;
    Matrix4d m_matrix;
    std::vector<Matrix4d> m_stack;
    float m_startLineWidth = 1;
    float m_lineWidth = 1;
    RecordedColor m_color;
    bool m_colorSet = false;
    bool m_colorBeforeFirst = false;
    int m_primitives = 0;
    bool m_inBegin = false;
    bool m_quadricsUnavailable = false;
    QuadricId m_nextQuadric = 1;
    std::map<QuadricId, QuadricSettings> m_liveQuadrics;
    int m_quadricsCreated = 0;
    int m_quadricsDeleted = 0;
    int m_invalidQuadricUses = 0;
    std::vector<RecordedCall> m_calls;
    std::vector<RecordedBatch> m_batches;
    std::vector<RecordedQuadricShape> m_shapes;
    Bounds m_bounds;
    QStringList m_errors;
};

// Limits every model keeps, so that one drawn per grid cell in four panes stays cheap.
inline constexpr int kMaxModelVertices = 120;
inline constexpr int kMaxModelQuadricShapes = 11;

// The broken promises of one model run recorded on `c` from its construction on: matrix
// or stack not restored, line width not 1, a quadric left alive or made for nothing, no
// colour before the first primitive, too many vertices or quadric shapes, quadric shapes
// drawn with other settings than fill/inside/smooth, and any GL misuse. Empty when sound.
QStringList checkModelContract(const RecordingCanvas& c);

} // namespace kelmira
