// Kinds 11 to 15; every one of them draws quadric shapes.
#include "models/models.h"
#include "models/shapes.h"

namespace kelmira {

using namespace shapes;

void DrawResistor(Canvas& c) {
    constexpr Rgb endPink{0.8f, 0.4f, 0.7f};
    const QuadricId q = makeQuadric(c);
    paint(c, {0.8f, 0.7f, 0.7f});
    lyingCylinder(c, q, {0, 0.6f, -1}, 0.2, 0.2, 2);
    paint(c, endPink);
    uprightDisk(c, q, {0, 0.6f, -1}, 0, 0.2);
    uprightDisk(c, q, {0, 0.6f, 1}, 0, 0.2);
    // The bands stand 0.002 proud of the body so that they win the depth test on it.
    paint(c, {1, 0, 0});
    lyingCylinder(c, q, {0, 0.6f, 0}, 0.202, 0.202, 0.14);
    paint(c, {0, 0, 1});
    lyingCylinder(c, q, {0, 0.6f, 0.4f}, 0.202, 0.202, 0.14);
    c.lineWidth(2);
    paint(c, kLeadGrey);
    segments(c, {{{0, 0.6f, -1.6f}, {0, 0.6f, 1.6f}},
                 {{0, 0.6f, -1.6f}, {0, -0.2f, -1.6f}},
                 {{0, 0.6f, 1.6f}, {0, -0.2f, 1.6f}}});
    c.lineWidth(1);
    releaseQuadric(c, q);
}

void DrawCapacitor(Canvas& c) {
    const QuadricId q = makeQuadric(c);
    paint(c, kGrey6);
    uprightCylinder(c, q, {0, 4.6f, 0}, 1, 1, 4);
    horizontalDisk(c, q, {0, 4.6f, 0}, 0, 1);
    paint(c, kDarkGrey);
    horizontalDisk(c, q, {0, 4.6f, 0}, 1.01, 1.06);
    horizontalDisk(c, q, {0, 0.6f, 0}, 1.01, 1.08);
    c.lineWidth(2);
    paint(c, kLeadGrey);
    uprightLeads(c, 0.6f, -0.2f, {{0, -0.4f}, {0, 0.4f}});
    c.lineWidth(1);
    releaseQuadric(c, q);
}

void DrawVaristor(Canvas& c) {
    const QuadricId q = makeQuadric(c);
    paint(c, {0.1f, 0.4f, 0.7f});
    uprightDisk(c, q, {0, 2.6f, 0}, 0, 1);
    paint(c, {0.5f, 0.5f, 0.5f});
    uprightDisk(c, q, {0, 2.6f, 0}, 1, 1.08);
    c.lineWidth(2);
    paint(c, kLeadGrey);
    segments(c, {{{-0.4f, 2.2f, 0}, {-0.5f, -0.4f, 0}}, {{0.4f, 2.2f, 0}, {0.5f, -0.4f, 0}}});
    c.lineWidth(1);
    releaseQuadric(c, q);
}

void DrawPotentiometer(Canvas& c) {
    constexpr Rgb rimGrey{0.5f, 0.5f, 0.5f};
    const QuadricId q = makeQuadric(c);
    paint(c, kGrey6);
    uprightCylinder(c, q, {0, 1.6f, 0}, 2, 2, 1);
    horizontalDisk(c, q, {0, 1.6f, 0}, 0, 2);
    paint(c, kDarkGrey);
    horizontalDisk(c, q, {0, 1.6f, 0}, 2, 2.08);
    paint(c, kGrey6);
    horizontalDisk(c, q, {0, 0.6f, 0}, 0, 2);
    paint(c, kDarkGrey);
    horizontalDisk(c, q, {0, 0.6f, 0}, 2, 2.08);
    // The nut widens downward: its base radius sits at the anchor on top.
    uprightCylinder(c, q, {0, 4, 0}, 0.6, 1, 2, 6, 6);
    horizontalDisk(c, q, {0, 4, 0}, 0, 0.6, 6, 6);
    paint(c, rimGrey);
    horizontalDisk(c, q, {0, 4, 0}, 0.6, 0.67, 6, 6);
    horizontalDisk(c, q, {0, 2.1f, 0}, 1, 1.07, 6, 6);
    paint(c, {0.5f, 0.2f, 0.5f});
    uprightCylinder(c, q, {0, 3.8f, 0}, 0.4, 0.4, 3);
    paint(c, kDarkGrey);
    horizontalDisk(c, q, {0, 2, 0}, 0, 1.2);
    c.lineWidth(2);
    paint(c, kLeadGrey);
    uprightLeads(c, 1, 0,
                 {{0, -0.4f}, {0, 0.4f}, {-0.4f, 0}, {0.4f, 0}, {-0.2f, -0.2f}, {0.2f, 0.2f}});
    c.lineWidth(1);
    releaseQuadric(c, q);
}

void DrawSpeaker(Canvas& c) {
    const QuadricId q = makeQuadric(c);
    paint(c, {0.2f, 0.2f, 0.5f});
    uprightCylinder(c, q, {0, 1.6f, 0}, 1.4, 1.4, 1);
    paint(c, kGrey4);
    horizontalDisk(c, q, {0, 1.6f, 0}, 0, 1.4);
    paint(c, kBlack);
    for (PlanPoint hole : std::initializer_list<PlanPoint>{{0, 0},
                                                           {0.4f, 0},
                                                           {-0.4f, 0},
                                                           {-0.2f, -0.4f},
                                                           {0.2f, -0.4f},
                                                           {-0.2f, 0.4f},
                                                           {0.2f, 0.4f}})
        horizontalDisk(c, q, {hole.x, 1.602f, hole.z}, 0, 0.1);
    c.lineWidth(2);
    paint(c, kLeadGrey);
    uprightLeads(c, 0.6f, -0.2f, {{0, -0.8f}, {0, 0.8f}, {-0.8f, 0}, {0.8f, 0}});
    c.lineWidth(1);
    releaseQuadric(c, q);
}

} // namespace kelmira
