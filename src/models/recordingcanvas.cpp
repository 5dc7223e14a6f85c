#include "models/recordingcanvas.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kelmira {

Matrix4d Matrix4d::fromFloats(const float* columnMajor16) {
    Matrix4d r;
    for (std::size_t i = 0; i < 16; ++i)
        r.m[i] = columnMajor16[i];
    return r;
}

Matrix4d Matrix4d::operator*(const Matrix4d& o) const {
    Matrix4d r;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col) {
            double s = 0;
            for (int k = 0; k < 4; ++k)
                s += at(row, k) * o.at(k, col);
            r.at(row, col) = s;
        }
    return r;
}

void Matrix4d::mapPoint(double x, double y, double z, double out[3]) const {
    double w = at(3, 0) * x + at(3, 1) * y + at(3, 2) * z + at(3, 3);
    if (w == 0)
        w = 1;
    for (int i = 0; i < 3; ++i)
        out[i] = (at(i, 0) * x + at(i, 1) * y + at(i, 2) * z + at(i, 3)) / w;
}

void Matrix4d::mapVector(double x, double y, double z, double out[3]) const {
    for (int i = 0; i < 3; ++i)
        out[i] = at(i, 0) * x + at(i, 1) * y + at(i, 2) * z;
}

double Matrix4d::distance(const Matrix4d& o) const {
    double d = 0;
    for (std::size_t i = 0; i < 16; ++i)
        d = std::max(d, std::abs(m[i] - o.m[i]));
    return d;
}

void Bounds::add(const double p[3]) {
    for (int i = 0; i < 3; ++i) {
        min[i] = std::min(min[i], p[i]);
        max[i] = std::max(max[i], p[i]);
    }
}

void Bounds::add(const Bounds& b) {
    if (b.isEmpty())
        return;
    add(b.min);
    add(b.max);
}

namespace {

// Exact bounds of the circle of radius r around local point (0, 0, z) in the local x-y
// plane: along each axis the circle reaches r * |(u_i, v_i)| from its centre.
Bounds circleBounds(const Matrix4d& m, double z, double r) {
    double centre[3], u[3], v[3];
    m.mapPoint(0, 0, z, centre);
    m.mapVector(1, 0, 0, u);
    m.mapVector(0, 1, 0, v);
    Bounds b;
    double lo[3], hi[3];
    for (int i = 0; i < 3; ++i) {
        const double e = std::abs(r) * std::hypot(u[i], v[i]);
        lo[i] = centre[i] - e;
        hi[i] = centre[i] + e;
    }
    b.add(lo);
    b.add(hi);
    return b;
}

Bounds sphereBounds(const Matrix4d& m, double r) {
    double centre[3];
    m.mapPoint(0, 0, 0, centre);
    Bounds b;
    double lo[3], hi[3];
    for (int i = 0; i < 3; ++i) {
        const double e = std::abs(r) * std::sqrt(m.at(i, 0) * m.at(i, 0) + m.at(i, 1) * m.at(i, 1) +
                                                 m.at(i, 2) * m.at(i, 2));
        lo[i] = centre[i] - e;
        hi[i] = centre[i] + e;
    }
    b.add(lo);
    b.add(hi);
    return b;
}

QString quadricText(QuadricId q) {
    return QString::number(qulonglong(q));
}

} // namespace

RecordingCanvas::RecordingCanvas() = default;

RecordingCanvas::RecordingCanvas(const Matrix4d& start) : m_startMatrix(start), m_matrix(start) {}

void RecordingCanvas::record(const char* op, std::initializer_list<double> args) {
    RecordedCall call;
    call.op = op;
    std::size_t i = 0;
    for (double a : args)
        if (i < call.args.size())
            call.args[i++] = a;
    call.matrix = m_matrix;
    m_calls.push_back(std::move(call));
}

void RecordingCanvas::notePrimitive() {
    if (m_primitives == 0)
        m_colorBeforeFirst = m_colorSet;
    ++m_primitives;
}

void RecordingCanvas::color(float r, float g, float b) {
    m_color = {r, g, b};
    m_colorSet = true;
    record("color", {r, g, b});
}

void RecordingCanvas::lineWidth(float w) {
    if (m_inBegin)
        m_errors << QStringLiteral("lineWidth inside begin/end");
    else if (!(w > 0))
        m_errors << QStringLiteral("line width %1 is not positive").arg(double(w));
    else
        m_lineWidth = w;
    record("lineWidth", {w});
}

void RecordingCanvas::pushMatrix() {
    if (m_inBegin)
        m_errors << QStringLiteral("pushMatrix inside begin/end");
    // GL promises a model-view stack of 32 entries, the current matrix included.
    if (m_stack.size() >= 31)
        m_errors << QStringLiteral("matrix stack overflow");
    m_stack.push_back(m_matrix);
    record("pushMatrix", {});
}

void RecordingCanvas::popMatrix() {
    if (m_inBegin)
        m_errors << QStringLiteral("popMatrix inside begin/end");
    if (m_stack.empty()) {
        m_errors << QStringLiteral("popMatrix on an empty stack");
    } else {
        m_matrix = m_stack.back();
        m_stack.pop_back();
    }
    record("popMatrix", {});
}

void RecordingCanvas::translate(float x, float y, float z) {
    if (m_inBegin)
        m_errors << QStringLiteral("translate inside begin/end");
    Matrix4d t;
    t.at(0, 3) = x;
    t.at(1, 3) = y;
    t.at(2, 3) = z;
    m_matrix = m_matrix * t;
    record("translate", {x, y, z});
}

void RecordingCanvas::rotate(float degrees, float x, float y, float z) {
    if (m_inBegin)
        m_errors << QStringLiteral("rotate inside begin/end");
    const double len = std::sqrt(double(x) * x + double(y) * y + double(z) * z);
    if (len > 0) {
        const double ux = x / len, uy = y / len, uz = z / len;
        const double a = double(degrees) * std::numbers::pi / 180.0;
        const double c = std::cos(a), s = std::sin(a), t = 1 - c;
        Matrix4d r;
        r.at(0, 0) = ux * ux * t + c;
        r.at(0, 1) = ux * uy * t - uz * s;
        r.at(0, 2) = ux * uz * t + uy * s;
        r.at(1, 0) = uy * ux * t + uz * s;
        r.at(1, 1) = uy * uy * t + c;
        r.at(1, 2) = uy * uz * t - ux * s;
        r.at(2, 0) = uz * ux * t - uy * s;
        r.at(2, 1) = uz * uy * t + ux * s;
        r.at(2, 2) = uz * uz * t + c;
        m_matrix = m_matrix * r;
    }
    record("rotate", {degrees, x, y, z});
}

void RecordingCanvas::scale(float x, float y, float z) {
    if (m_inBegin)
        m_errors << QStringLiteral("scale inside begin/end");
    Matrix4d s;
    s.at(0, 0) = x;
    s.at(1, 1) = y;
    s.at(2, 2) = z;
    m_matrix = m_matrix * s;
    record("scale", {x, y, z});
}

void RecordingCanvas::begin(Primitive p) {
    if (m_inBegin)
        m_errors << QStringLiteral("begin inside begin/end");
    m_inBegin = true;
    notePrimitive();
    m_batches.push_back({p, {}});
    record("begin", {p == Primitive::Lines ? 1.0 : 7.0});
}

void RecordingCanvas::vertex(float x, float y, float z) {
    record("vertex", {x, y, z});
    if (!m_inBegin) {
        m_errors << QStringLiteral("vertex outside begin/end");
        return;
    }
    RecordedVertex v;
    v.local = {x, y, z};
    double w[3];
    m_matrix.mapPoint(x, y, z, w);
    v.world = {w[0], w[1], w[2]};
    v.color = m_color;
    v.lineWidth = m_lineWidth;
    m_batches.back().vertices.push_back(v);
    m_bounds.add(w);
}

void RecordingCanvas::end() {
    if (!m_inBegin) {
        m_errors << QStringLiteral("end without begin");
    } else {
        const RecordedBatch& b = m_batches.back();
        const std::size_t per = b.primitive == Primitive::Lines ? 2 : 4;
        if (b.vertices.size() % per != 0)
            m_errors << QStringLiteral("batch of %1 vertices leaves an incomplete %2")
                            .arg(b.vertices.size())
                            .arg(per == 2 ? QStringLiteral("line") : QStringLiteral("quad"));
    }
    m_inBegin = false;
    record("end", {});
}

QuadricId RecordingCanvas::newQuadric() {
    QuadricId id = 0;
    if (!m_quadricsUnavailable) {
        id = m_nextQuadric++;
        m_liveQuadrics[id] = QuadricSettings{};
        ++m_quadricsCreated;
    }
    record("newQuadric", {double(id)});
    return id;
}

bool RecordingCanvas::quadricUsable(QuadricId q, const char* op) {
    if (m_liveQuadrics.count(q))
        return true;
    ++m_invalidQuadricUses;
    m_errors << QStringLiteral("%1 on quadric %2 that does not exist")
                    .arg(QLatin1String(op), quadricText(q));
    return false;
}

void RecordingCanvas::deleteQuadric(QuadricId q) {
    record("deleteQuadric", {double(q)});
    if (!quadricUsable(q, "deleteQuadric"))
        return;
    m_liveQuadrics.erase(q);
    ++m_quadricsDeleted;
}

void RecordingCanvas::quadricDrawStyle(QuadricId q, int style) {
    record("quadricDrawStyle", {double(q), double(style)});
    if (quadricUsable(q, "quadricDrawStyle"))
        m_liveQuadrics[q].drawStyle = style;
}

void RecordingCanvas::quadricOrientation(QuadricId q, int orientation) {
    record("quadricOrientation", {double(q), double(orientation)});
    if (quadricUsable(q, "quadricOrientation"))
        m_liveQuadrics[q].orientation = orientation;
}

void RecordingCanvas::quadricNormals(QuadricId q, int normals) {
    record("quadricNormals", {double(q), double(normals)});
    if (quadricUsable(q, "quadricNormals"))
        m_liveQuadrics[q].normals = normals;
}

void RecordingCanvas::addShape(RecordedQuadricShape s) {
    if (m_inBegin)
        m_errors << QStringLiteral("quadric shape inside begin/end");
    notePrimitive();
    if (!quadricUsable(s.quadric, "quadric shape"))
        return;
    s.settings = m_liveQuadrics[s.quadric];
    s.transform = m_matrix;
    s.color = m_color;
    m_bounds.add(s.bounds);
    m_shapes.push_back(std::move(s));
}

void RecordingCanvas::cylinder(QuadricId q, double base, double top, double height, int slices,
                               int stacks) {
    record("cylinder", {double(q), base, top, height, double(slices), double(stacks)});
    RecordedQuadricShape s;
    s.type = RecordedQuadricShape::Type::Cylinder;
    s.a = base;
    s.b = top;
    s.c = height;
    s.slices = slices;
    s.stacks = stacks;
    s.quadric = q;
    s.bounds = circleBounds(m_matrix, 0, base);
    s.bounds.add(circleBounds(m_matrix, height, top));
    addShape(std::move(s));
}

void RecordingCanvas::disk(QuadricId q, double inner, double outer, int slices, int loops) {
    record("disk", {double(q), inner, outer, double(slices), double(loops)});
    RecordedQuadricShape s;
    s.type = RecordedQuadricShape::Type::Disk;
    s.a = inner;
    s.b = outer;
    s.slices = slices;
    s.stacks = loops;
    s.quadric = q;
    s.bounds = circleBounds(m_matrix, 0, std::max(std::abs(inner), std::abs(outer)));
    addShape(std::move(s));
}

void RecordingCanvas::sphere(QuadricId q, double radius, int slices, int stacks) {
    record("sphere", {double(q), radius, double(slices), double(stacks)});
    RecordedQuadricShape s;
    s.type = RecordedQuadricShape::Type::Sphere;
    s.a = radius;
    s.slices = slices;
    s.stacks = stacks;
    s.quadric = q;
    s.bounds = sphereBounds(m_matrix, radius);
    addShape(std::move(s));
}

std::vector<RecordedVertex> RecordingCanvas::vertices(Primitive p) const {
    std::vector<RecordedVertex> out;
    for (const RecordedBatch& b : m_batches)
        if (b.primitive == p)
            out.insert(out.end(), b.vertices.begin(), b.vertices.end());
    return out;
}

int RecordingCanvas::countVertices(Primitive p) const {
    std::size_t n = 0;
    for (const RecordedBatch& b : m_batches)
        if (b.primitive == p)
            n += b.vertices.size();
    return int(n);
}

int RecordingCanvas::vertexCount() const {
    return countVertices(Primitive::Lines) + countVertices(Primitive::Quads);
}

QStringList checkModelContract(const RecordingCanvas& c) {
    QStringList v = c.errors();
    if (c.stackDepth() != 0)
        v << QStringLiteral("matrix stack left %1 deep").arg(c.stackDepth());
    if (c.matrix().distance(c.startMatrix()) > 1e-5)
        v << QStringLiteral("model-view matrix not restored");
    if (c.lineWidthNow() != 1.0f)
        v << QStringLiteral("line width left at %1, not 1").arg(double(c.lineWidthNow()));
    if (c.quadricsAlive() > 0)
        v << QStringLiteral("%1 quadric object(s) not deleted").arg(c.quadricsAlive());
    if (c.quadricsCreated() > 1)
        v << QStringLiteral("%1 quadric objects made; one serves a whole model")
                 .arg(c.quadricsCreated());
    if (c.quadricsCreated() > 0 && c.quadricShapes().empty())
        v << QStringLiteral("quadric object made but no quadric shape drawn");
    if (c.drewAnything() && !c.colorSetBeforeFirstPrimitive())
        v << QStringLiteral("no colour set before the first primitive");
    if (c.vertexCount() > kMaxModelVertices)
        v << QStringLiteral("%1 line and quad vertices, more than %2")
                 .arg(c.vertexCount())
                 .arg(kMaxModelVertices);
    if (int(c.quadricShapes().size()) > kMaxModelQuadricShapes)
        v << QStringLiteral("%1 quadric shapes, more than %2")
                 .arg(c.quadricShapes().size())
                 .arg(kMaxModelQuadricShapes);
    for (const RecordedQuadricShape& s : c.quadricShapes()) {
        if (s.settings.drawStyle != QuadricFill || s.settings.orientation != QuadricInside ||
            s.settings.normals != QuadricSmooth) {
            v << QStringLiteral("quadric shape drawn without fill/inside/smooth settings");
            break;
        }
    }
    return v;
}

} // namespace kelmira
