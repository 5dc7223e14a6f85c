#pragma once

#include "models/canvas.h"

#include <initializer_list>

// The shapes the component models are built from, on top of Canvas. Every position is in
// model coordinates; shapes that need a translation or turn restore the matrix themselves.
namespace kelmira::shapes {

// The colours that recur across models.
inline constexpr Rgb kBlack{0.1f, 0.1f, 0.1f};
inline constexpr Rgb kDarkGrey{0.2f, 0.2f, 0.2f};
inline constexpr Rgb kGrey3{0.3f, 0.3f, 0.3f};
inline constexpr Rgb kGrey4{0.4f, 0.4f, 0.4f};
inline constexpr Rgb kGrey6{0.6f, 0.6f, 0.6f};
inline constexpr Rgb kLeadGrey{0.7f, 0.7f, 0.7f};
inline constexpr Rgb kFaceWhite{0.9f, 0.9f, 0.9f};
inline constexpr Rgb kWhite{1, 1, 1};

struct Point {
    float x, y, z;
};

struct Segment {
    Point from, to;
};

// A segment on a horizontal marking plane, as (x, z) pairs.
struct FlatSegment {
    float x0, z0, x1, z1;
};

// An (x, z) position in plan.
struct PlanPoint {
    float x, z;
};

void solidBox(Canvas& c, const Box& b);
void boxOutline(Canvas& c, const Box& b);
// One quad in the plane y = y.
void plateY(Canvas& c, float y, float x0, float x1, float z0, float z1);
// One quad in the plane z = z.
void plateZ(Canvas& c, float z, float x0, float x1, float y0, float y1);
void segments(Canvas& c, std::initializer_list<Segment> list);
void flatSegments(Canvas& c, float y, std::initializer_list<FlatSegment> list);
// Upright leads from yTop down to yBottom at each plan position.
void uprightLeads(Canvas& c, float yTop, float yBottom, std::initializer_list<PlanPoint> at);
// Leads that cross the body at height 0.6 from -1.4 to 1.4 and drop to -0.2 at both ends,
// one per offset on the other axis.
void staplesAlongX(Canvas& c, std::initializer_list<float> zOffsets);
void staplesAlongZ(Canvas& c, std::initializer_list<float> xOffsets);
// Two digits "8" on the plane y = h, the glyph's origin moved by (dx, dz), with a decimal
// point at each glyph x of `pointXs`.
void sevenSegmentPair(Canvas& c, float h, float dx, float dz, std::initializer_list<float> pointXs);

// The one quadric object of a model call, set to fill, inside and smooth. Returns 0 when
// none could be made; every quadric shape below then draws nothing.
QuadricId makeQuadric(Canvas& c);
void releaseQuadric(Canvas& c, QuadricId q);

inline constexpr int kSlices = 16;

// Tube whose top centre is `top`, reaching `height` down; baseRadius lies at `top`.
void uprightCylinder(Canvas& c, QuadricId q, Point top, double baseRadius, double topRadius,
                     double height, int slices = kSlices, int stacks = 0);
// Flat disk or ring in the plane y = centre.y.
void horizontalDisk(Canvas& c, QuadricId q, Point centre, double inner, double outer,
                    int slices = kSlices, int loops = 0);
// Tube along +z from its -z end centre `start`.
void lyingCylinder(Canvas& c, QuadricId q, Point start, double baseRadius, double topRadius,
                   double length, int slices = kSlices, int stacks = 0);
// Disk or ring standing in the plane z = centre.z.
void uprightDisk(Canvas& c, QuadricId q, Point centre, double inner, double outer,
                 int slices = kSlices, int loops = 0);
void sphere(Canvas& c, QuadricId q, Point centre, double radius, int slices = kSlices,
            int stacks = 0);

} // namespace kelmira::shapes
