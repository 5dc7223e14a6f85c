#include "models/meshcanvas.h"

#include <cmath>
#include <numbers>

namespace kelmira {

namespace {

constexpr double kPi = std::numbers::pi;

using Vec = std::array<float, 3>;

// The angle tables a quadric is built from, rounded to float as GLU keeps them; entry
// `slices` repeats entry 0 so that a closed ring ends exactly where it began.
struct RingTable {
    std::vector<float> sin, cos;
    explicit RingTable(int slices, bool diskAngles) : sin(std::size_t(slices) + 1), cos(sin) {
        for (int i = 0; i < slices; ++i) {
            const float angle =
                diskAngles ? static_cast<float>(0.0f + ((kPi * 360.0) / 180.0) * i / slices)
                           : static_cast<float>(2 * kPi * i / slices);
            sin[std::size_t(i)] = static_cast<float>(std::sin(angle));
            cos[std::size_t(i)] = static_cast<float>(std::cos(angle));
        }
        sin[std::size_t(slices)] = sin[0];
        cos[std::size_t(slices)] = cos[0];
    }
};

// GLU's limit on slices (its angle tables hold 240 entries).
int clampSlices(int slices) {
    return slices >= 240 ? 239 : slices;
}

} // namespace

int32_t Mesh::triangleCount() const {
    int32_t n = 0;
    for (const MeshBatch& b : batches)
        if (b.type == MeshBatch::Type::Triangles)
            n += b.count / 3;
    return n;
}

int32_t Mesh::lineCount() const {
    int32_t n = 0;
    for (const MeshBatch& b : batches)
        if (b.type == MeshBatch::Type::Lines)
            n += b.count / 2;
    return n;
}

// Products are summed in the order fixed-function GL sums them, in float.
void Matrix4f::translate(float x, float y, float z) {
    for (int r = 0; r < 4; ++r)
        m[std::size_t(12 + r)] = m[std::size_t(r)] * x + m[std::size_t(4 + r)] * y +
                                 m[std::size_t(8 + r)] * z + m[std::size_t(12 + r)];
}

void Matrix4f::scale(float x, float y, float z) {
    for (int r = 0; r < 4; ++r) {
        m[std::size_t(r)] *= x;
        m[std::size_t(4 + r)] *= y;
        m[std::size_t(8 + r)] *= z;
    }
}

void Matrix4f::rotate(float degrees, float x, float y, float z) {
    const float s = std::sin(static_cast<float>(degrees * kPi / 180.0));
    const float c = std::cos(static_cast<float>(degrees * kPi / 180.0));
    float r[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    auto at = [&r](int row, int col) -> float& { return r[col * 4 + row]; };
    // A turn about one axis is built exactly, with ones and zeros where they belong, as GL
    // builds it; only an oblique axis takes the general formula.
    if (x == 0 && y == 0 && z != 0) {
        at(0, 0) = at(1, 1) = c;
        at(0, 1) = z < 0 ? s : -s;
        at(1, 0) = z < 0 ? -s : s;
    } else if (x == 0 && z == 0 && y != 0) {
        at(0, 0) = at(2, 2) = c;
        at(0, 2) = y < 0 ? -s : s;
        at(2, 0) = y < 0 ? s : -s;
    } else if (y == 0 && z == 0 && x != 0) {
        at(1, 1) = at(2, 2) = c;
        at(1, 2) = x < 0 ? s : -s;
        at(2, 1) = x < 0 ? -s : s;
    } else {
        const float len = std::sqrt(x * x + y * y + z * z);
        if (len == 0)
            return;
        x /= len;
        y /= len;
        z /= len;
        const float t = 1 - c;
        at(0, 0) = t * x * x + c;
        at(0, 1) = t * x * y - s * z;
        at(0, 2) = t * x * z + s * y;
        at(1, 0) = t * x * y + s * z;
        at(1, 1) = t * y * y + c;
        at(1, 2) = t * y * z - s * x;
        at(2, 0) = t * x * z - s * y;
        at(2, 1) = t * y * z + s * x;
        at(2, 2) = t * z * z + c;
    }
    std::array<float, 16> out{};
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row)
            out[std::size_t(col * 4 + row)] = m[std::size_t(row)] * r[col * 4] +
                                              m[std::size_t(4 + row)] * r[col * 4 + 1] +
                                              m[std::size_t(8 + row)] * r[col * 4 + 2] +
                                              m[std::size_t(12 + row)] * r[col * 4 + 3];
    m = out;
}

void Matrix4f::map(float x, float y, float z, float out[3]) const {
    for (int r = 0; r < 3; ++r)
        out[r] = m[std::size_t(r)] * x + m[std::size_t(4 + r)] * y + m[std::size_t(8 + r)] * z +
                 m[std::size_t(12 + r)];
}

bool MeshCanvas::Key::operator<(const Key& o) const {
    if (type != o.type)
        return type == MeshBatch::Type::Triangles;
    return width > o.width; // lines: widest first, "the context's width" (0) last
}

MeshCanvas::MeshCanvas(float lineWidth) : m_width(lineWidth) {}

Mesh MeshCanvas::take() {
    Mesh mesh;
    std::size_t total = 0;
    for (const auto& [key, vertices] : m_buckets)
        total += vertices.size();
    mesh.vertices.reserve(total);
    for (const auto& [key, vertices] : m_buckets) {
        if (vertices.empty())
            continue;
        mesh.batches.push_back({key.type, key.type == MeshBatch::Type::Lines ? key.width : 0,
                                static_cast<int32_t>(mesh.vertices.size()),
                                static_cast<int32_t>(vertices.size())});
        mesh.vertices.insert(mesh.vertices.end(), vertices.begin(), vertices.end());
    }
    m_buckets.clear();
    return mesh;
}

void MeshCanvas::append(const Mesh& part, const Matrix4f& m) {
    for (const MeshBatch& b : part.batches) {
        std::vector<MeshVertex>& out =
            m_buckets[Key{b.type, b.type == MeshBatch::Type::Lines ? b.lineWidth : 0}];
        for (int32_t i = b.first; i < b.first + b.count; ++i) {
            MeshVertex v = part.vertices[std::size_t(i)];
            float p[3];
            m.map(v.x, v.y, v.z, p);
            v.x = p[0];
            v.y = p[1];
            v.z = p[2];
            out.push_back(v);
        }
    }
}

std::vector<MeshVertex>& MeshCanvas::bucket(MeshBatch::Type type) {
    return m_buckets[Key{type, type == MeshBatch::Type::Lines ? m_width : 0}];
}

void MeshCanvas::emit(std::vector<MeshVertex>& out, float x, float y, float z) const {
    float p[3];
    m_matrix.map(x, y, z, p);
    out.push_back({p[0], p[1], p[2], m_r, m_g, m_b});
}

void MeshCanvas::triangle(const float a[3], const float b[3], const float c[3]) {
    std::vector<MeshVertex>& out = bucket(MeshBatch::Type::Triangles);
    emit(out, a[0], a[1], a[2]);
    emit(out, b[0], b[1], b[2]);
    emit(out, c[0], c[1], c[2]);
}

void MeshCanvas::line(const float a[3], const float b[3]) {
    std::vector<MeshVertex>& out = bucket(MeshBatch::Type::Lines);
    emit(out, a[0], a[1], a[2]);
    emit(out, b[0], b[1], b[2]);
}

void MeshCanvas::color(float r, float g, float b) {
    m_r = r;
    m_g = g;
    m_b = b;
}

void MeshCanvas::lineWidth(float w) {
    m_width = w;
}

void MeshCanvas::pushMatrix() {
    m_stack.push_back(m_matrix);
}

void MeshCanvas::popMatrix() {
    if (!m_stack.empty()) {
        m_matrix = m_stack.back();
        m_stack.pop_back();
    }
}

void MeshCanvas::translate(float x, float y, float z) {
    m_matrix.translate(x, y, z);
}

void MeshCanvas::rotate(float degrees, float x, float y, float z) {
    m_matrix.rotate(degrees, x, y, z);
}

void MeshCanvas::scale(float x, float y, float z) {
    m_matrix.scale(x, y, z);
}

void MeshCanvas::begin(Primitive p) {
    m_primitive = p;
    m_inside = true;
    m_pending.clear();
}

void MeshCanvas::vertex(float x, float y, float z) {
    if (!m_inside)
        return; // outside begin/end GL ignores a vertex too
    m_pending.push_back({x, y, z});
    if (m_primitive == Primitive::Lines && m_pending.size() == 2) {
        line(m_pending[0].data(), m_pending[1].data());
        m_pending.clear();
    } else if (m_primitive == Primitive::Quads && m_pending.size() == 4) {
        triangle(m_pending[0].data(), m_pending[1].data(), m_pending[2].data());
        triangle(m_pending[0].data(), m_pending[2].data(), m_pending[3].data());
        m_pending.clear();
    }
}

void MeshCanvas::end() {
    // An incomplete quad or line at the end is dropped, as GL drops it.
    m_inside = false;
    m_pending.clear();
}

QuadricId MeshCanvas::newQuadric() {
    const QuadricId q = m_nextQuadric++;
    m_quadricStyles[q] = QuadricFill;
    return q;
}

void MeshCanvas::deleteQuadric(QuadricId q) {
    m_quadricStyles.erase(q);
}

void MeshCanvas::quadricDrawStyle(QuadricId q, int style) {
    if (auto it = m_quadricStyles.find(q); it != m_quadricStyles.end())
        it->second = style;
}

// Orientation and normals only matter with lighting, which is off.
void MeshCanvas::quadricOrientation(QuadricId, int) {}
void MeshCanvas::quadricNormals(QuadricId, int) {}

bool MeshCanvas::wireframe(QuadricId q) const {
    const auto it = m_quadricStyles.find(q);
    return it != m_quadricStyles.end() && it->second == QuadricLine;
}

void MeshCanvas::cylinder(QuadricId q, double base, double top, double height, int slices,
                          int stacks) {
    slices = clampSlices(slices);
    if (!m_quadricStyles.count(q) || slices < 2 || stacks < 1 || base < 0 || top < 0 || height < 0)
        return;
    const auto deltaRadius = static_cast<float>(base - top);
    if (std::sqrt(deltaRadius * deltaRadius + height * height) == 0)
        return;
    const RingTable ring(slices, false);
    auto radiusAt = [&](int j, int of) {
        return static_cast<float>(base - deltaRadius * (static_cast<float>(j) / of));
    };
    auto zAt = [&](int j, int of) { return static_cast<float>(j * height / of); };
    auto at = [&](float radius, int i, float z) {
        return Vec{radius * ring.sin[std::size_t(i)], radius * ring.cos[std::size_t(i)], z};
    };

    if (!wireframe(q)) {
        const float rLow = radiusAt(0, 1), rHigh = radiusAt(1, 1);
        const float zLow = zAt(0, 1), zHigh = zAt(1, 1);
        for (int i = 0; i < slices; ++i) {
            const Vec a = at(rLow, i, zLow), b = at(rHigh, i, zHigh);
            const Vec c = at(rLow, i + 1, zLow), d = at(rHigh, i + 1, zHigh);
            triangle(a.data(), b.data(), d.data());
            triangle(a.data(), d.data(), c.data());
        }
        return;
    }
    // Wireframe: a ring at every stack, then a line along the length at every slice.
    auto ringAt = [&](int j) {
        const float r = radiusAt(j, stacks), z = zAt(j, stacks);
        for (int i = 0; i < slices; ++i)
            line(at(r, i, z).data(), at(r, i + 1, z).data());
    };
    for (int j = 1; j < stacks; ++j)
        ringAt(j);
    ringAt(0);
    ringAt(stacks);
    for (int i = 0; i < slices; ++i)
        for (int j = 0; j < stacks; ++j)
            line(at(radiusAt(j, stacks), i, zAt(j, stacks)).data(),
                 at(radiusAt(j + 1, stacks), i, zAt(j + 1, stacks)).data());
}

void MeshCanvas::disk(QuadricId q, double inner, double outer, int slices, int loops) {
    slices = clampSlices(slices);
    if (!m_quadricStyles.count(q) || slices < 2 || loops < 1 || outer <= 0 || inner < 0 ||
        inner > outer)
        return;
    const auto deltaRadius = static_cast<float>(outer - inner);
    const RingTable ring(slices, true);
    auto radiusAt = [&](int j, int of) {
        return static_cast<float>(outer - deltaRadius * (static_cast<float>(j) / of));
    };
    auto at = [&](float radius, int i) {
        return Vec{radius * ring.sin[std::size_t(i)], radius * ring.cos[std::size_t(i)], 0};
    };

    if (!wireframe(q)) {
        const float rOuter = radiusAt(0, 1);
        if (inner == 0) {
            const Vec centre{0, 0, 0};
            for (int i = 0; i < slices; ++i)
                triangle(centre.data(), at(rOuter, i).data(), at(rOuter, i + 1).data());
            return;
        }
        const float rInner = radiusAt(1, 1);
        for (int i = 0; i < slices; ++i) {
            const Vec a = at(rOuter, i), b = at(rInner, i);
            const Vec c = at(rOuter, i + 1), d = at(rInner, i + 1);
            triangle(a.data(), b.data(), d.data());
            triangle(a.data(), d.data(), c.data());
        }
        return;
    }
    for (int j = 0; j <= loops; ++j) {
        const float r = radiusAt(j, loops);
        for (int i = 0; i < slices; ++i)
            line(at(r, i).data(), at(r, i + 1).data());
        if (inner == outer)
            return;
    }
    for (int i = 0; i < slices; ++i)
        for (int j = 0; j < loops; ++j)
            line(at(radiusAt(j, loops), i).data(), at(radiusAt(j + 1, loops), i).data());
}

void MeshCanvas::sphere(QuadricId q, double radius, int slices, int stacks) {
    slices = clampSlices(slices);
    stacks = clampSlices(stacks);
    if (!m_quadricStyles.count(q) || slices < 2 || stacks < 1 || radius < 0)
        return;
    const RingTable ring(slices, false);
    std::vector<float> ringRadius(std::size_t(stacks) + 1), ringZ(ringRadius);
    for (int j = 0; j <= stacks; ++j) {
        const auto angle = static_cast<float>(kPi * j / stacks);
        ringRadius[std::size_t(j)] = static_cast<float>(radius * std::sin(angle));
        ringZ[std::size_t(j)] = static_cast<float>(radius * std::cos(angle));
    }
    // The poles come to a point.
    ringRadius[0] = 0;
    ringRadius[std::size_t(stacks)] = 0;
    auto at = [&](int j, int i) {
        const float r = ringRadius[std::size_t(j)];
        return Vec{r * ring.sin[std::size_t(i)], r * ring.cos[std::size_t(i)],
                   ringZ[std::size_t(j)]};
    };

    if (!wireframe(q)) {
        // Fans at the poles, bands of quads between.
        const Vec north{0, 0, static_cast<float>(radius)};
        const Vec south{0, 0, static_cast<float>(-radius)};
        for (int i = 0; i < slices; ++i) {
            triangle(north.data(), at(1, i).data(), at(1, i + 1).data());
            triangle(south.data(), at(stacks - 1, i).data(), at(stacks - 1, i + 1).data());
        }
        for (int j = 1; j < stacks - 1; ++j)
            for (int i = 0; i < slices; ++i) {
                const Vec a = at(j + 1, i), b = at(j, i);
                const Vec c = at(j + 1, i + 1), d = at(j, i + 1);
                triangle(a.data(), b.data(), d.data());
                triangle(a.data(), d.data(), c.data());
            }
        return;
    }
    for (int j = 1; j < stacks; ++j)
        for (int i = 0; i < slices; ++i)
            line(at(j, i).data(), at(j, i + 1).data());
    for (int i = 0; i < slices; ++i)
        for (int j = 0; j < stacks; ++j)
            line(at(j, i).data(), at(j + 1, i).data());
}

} // namespace kelmira
