#include "models/shapes.h"

namespace kelmira::shapes {

namespace {

using P = Canvas::Primitive;

void line(Canvas& c, float x0, float y0, float z0, float x1, float y1, float z1) {
    c.vertex(x0, y0, z0);
    c.vertex(x1, y1, z1);
}

// A count of 0 stands for "same as slices", as the model tables read.
int orSlices(int n, int slices) {
    return n > 0 ? n : slices;
}

} // namespace

void solidBox(Canvas& c, const Box& b) {
    const Point corner[8] = {{b.x0, b.y0, b.z0}, {b.x1, b.y0, b.z0}, {b.x1, b.y0, b.z1},
                             {b.x0, b.y0, b.z1}, {b.x0, b.y1, b.z0}, {b.x1, b.y1, b.z0},
                             {b.x1, b.y1, b.z1}, {b.x0, b.y1, b.z1}};
    // bottom, top, back (-z), front (+z), left (-x), right (+x)
    static constexpr int faces[6][4] = {{0, 1, 2, 3}, {4, 7, 6, 5}, {0, 4, 5, 1},
                                        {3, 2, 6, 7}, {0, 3, 7, 4}, {1, 5, 6, 2}};
    c.begin(P::Quads);
    for (const auto& face : faces)
        for (int i : face)
            c.vertex(corner[i].x, corner[i].y, corner[i].z);
    c.end();
}

void boxOutline(Canvas& c, const Box& b) {
    c.begin(P::Lines);
    for (float y : {b.y1, b.y0}) {
        line(c, b.x0, y, b.z0, b.x1, y, b.z0);
        line(c, b.x1, y, b.z0, b.x1, y, b.z1);
        line(c, b.x1, y, b.z1, b.x0, y, b.z1);
        line(c, b.x0, y, b.z1, b.x0, y, b.z0);
    }
    line(c, b.x0, b.y0, b.z0, b.x0, b.y1, b.z0);
    line(c, b.x1, b.y0, b.z0, b.x1, b.y1, b.z0);
    line(c, b.x1, b.y0, b.z1, b.x1, b.y1, b.z1);
    line(c, b.x0, b.y0, b.z1, b.x0, b.y1, b.z1);
    c.end();
}

void plateY(Canvas& c, float y, float x0, float x1, float z0, float z1) {
    c.begin(P::Quads);
    c.vertex(x0, y, z0);
    c.vertex(x0, y, z1);
    c.vertex(x1, y, z1);
    c.vertex(x1, y, z0);
    c.end();
}

void plateZ(Canvas& c, float z, float x0, float x1, float y0, float y1) {
    c.begin(P::Quads);
    c.vertex(x0, y0, z);
    c.vertex(x1, y0, z);
    c.vertex(x1, y1, z);
    c.vertex(x0, y1, z);
    c.end();
}

void segments(Canvas& c, std::initializer_list<Segment> list) {
    c.begin(P::Lines);
    for (const Segment& s : list)
        line(c, s.from.x, s.from.y, s.from.z, s.to.x, s.to.y, s.to.z);
    c.end();
}

void flatSegments(Canvas& c, float y, std::initializer_list<FlatSegment> list) {
    c.begin(P::Lines);
    for (const FlatSegment& s : list)
        line(c, s.x0, y, s.z0, s.x1, y, s.z1);
    c.end();
}

void uprightLeads(Canvas& c, float yTop, float yBottom, std::initializer_list<PlanPoint> at) {
    c.begin(P::Lines);
    for (const PlanPoint& p : at)
        line(c, p.x, yTop, p.z, p.x, yBottom, p.z);
    c.end();
}

void staplesAlongX(Canvas& c, std::initializer_list<float> zOffsets) {
    c.begin(P::Lines);
    for (float z : zOffsets) {
        line(c, -1.4f, 0.6f, z, 1.4f, 0.6f, z);
        line(c, 1.4f, 0.6f, z, 1.4f, -0.2f, z);
        line(c, -1.4f, 0.6f, z, -1.4f, -0.2f, z);
    }
    c.end();
}

void staplesAlongZ(Canvas& c, std::initializer_list<float> xOffsets) {
    c.begin(P::Lines);
    for (float x : xOffsets) {
        line(c, x, 0.6f, -1.4f, x, 0.6f, 1.4f);
        line(c, x, 0.6f, 1.4f, x, -0.2f, 1.4f);
        line(c, x, 0.6f, -1.4f, x, -0.2f, -1.4f);
    }
    c.end();
}

void sevenSegmentPair(Canvas& c, float h, float dx, float dz,
                      std::initializer_list<float> pointXs) {
    c.begin(P::Lines);
    for (float sign : {1.0f, -1.0f}) {
        const float inner = sign * 0.2f + dx, outer = sign * 0.6f + dx;
        for (float z : {0.0f, 0.4f, -0.4f})
            line(c, inner, h, z + dz, outer, h, z + dz);
        for (float x : {outer, inner})
            line(c, x, h, -0.38f + dz, x, h, 0.38f + dz);
    }
    for (float x : pointXs)
        line(c, x + dx, h, 0.5f + dz, x + dx, h, 0.59f + dz);
    c.end();
}

QuadricId makeQuadric(Canvas& c) {
    const QuadricId q = c.newQuadric();
    if (q) {
        c.quadricDrawStyle(q, QuadricFill);
        c.quadricOrientation(q, QuadricInside);
        c.quadricNormals(q, QuadricSmooth);
    }
    return q;
}

void releaseQuadric(Canvas& c, QuadricId q) {
    if (q)
        c.deleteQuadric(q);
}

void uprightCylinder(Canvas& c, QuadricId q, Point top, double baseRadius, double topRadius,
                     double height, int slices, int stacks) {
    if (!q)
        return;
    c.pushMatrix();
    c.translate(top.x, top.y, top.z);
    c.rotate(90, 1, 0, 0);
    c.cylinder(q, baseRadius, topRadius, height, slices, orSlices(stacks, slices));
    c.popMatrix();
}

void horizontalDisk(Canvas& c, QuadricId q, Point centre, double inner, double outer, int slices,
                    int loops) {
    if (!q)
        return;
    c.pushMatrix();
    c.translate(centre.x, centre.y, centre.z);
    c.rotate(90, 1, 0, 0);
    c.disk(q, inner, outer, slices, orSlices(loops, slices));
    c.popMatrix();
}

void lyingCylinder(Canvas& c, QuadricId q, Point start, double baseRadius, double topRadius,
                   double length, int slices, int stacks) {
    if (!q)
        return;
    c.pushMatrix();
    c.translate(start.x, start.y, start.z);
    c.cylinder(q, baseRadius, topRadius, length, slices, orSlices(stacks, slices));
    c.popMatrix();
}

void uprightDisk(Canvas& c, QuadricId q, Point centre, double inner, double outer, int slices,
                 int loops) {
    if (!q)
        return;
    c.pushMatrix();
    c.translate(centre.x, centre.y, centre.z);
    c.disk(q, inner, outer, slices, orSlices(loops, slices));
    c.popMatrix();
}

void sphere(Canvas& c, QuadricId q, Point centre, double radius, int slices, int stacks) {
    if (!q)
        return;
    c.pushMatrix();
    c.translate(centre.x, centre.y, centre.z);
    c.sphere(q, radius, slices, orSlices(stacks, slices));
    c.popMatrix();
}

} // namespace kelmira::shapes
