// Kinds 1 to 9. Each model follows its parts list row by row; positions are in model
// coordinates with every translation applied.
#include "models/models.h"
#include "models/shapes.h"

namespace kelmira {

using namespace shapes;

namespace {

constexpr Box kSquareBody{-1, 1, 0.4f, 1, -1, 1};

// The sensor and the display share their body, outline and sixteen legs.
void squareBodyWithLegs(Canvas& c, Rgb body) {
    paint(c, body);
    solidBox(c, kSquareBody);
    c.lineWidth(2);
    paint(c, kDarkGrey);
    boxOutline(c, kSquareBody);
    paint(c, kLeadGrey);
    staplesAlongX(c, {0.6f, 0.2f, -0.6f, -0.2f});
    staplesAlongZ(c, {0.6f, 0.2f, -0.2f, -0.6f});
}

} // namespace

void DrawSensor(Canvas& c) {
    const QuadricId q = makeQuadric(c);
    squareBodyWithLegs(c, kBlack);
    paint(c, kLeadGrey);
    horizontalDisk(c, q, {0, 1.01f, 0}, 0, 0.2);
    c.lineWidth(1);
    releaseQuadric(c, q);
}

void DrawChip(Canvas& c) {
    constexpr Box body{-1, 1, 0.4f, 1, -2, 2};
    paint(c, kBlack);
    solidBox(c, body);
    c.lineWidth(2);
    paint(c, kDarkGrey);
    boxOutline(c, body);
    paint(c, kLeadGrey);
    staplesAlongX(c, {1.4f, 1, 0.6f, 0.2f, -1.4f, -1, -0.6f, -0.2f});
    c.lineWidth(1);
}

void DrawRectifier(Canvas& c) {
    constexpr Box base{-1, 1, 1, 1.6f, -0.6f, 0.6f};
    constexpr Box upper{-1.2f, 1.2f, 1.6f, 5, -1, 1};
    paint(c, kBlack);
    solidBox(c, base);
    paint(c, kGrey4);
    solidBox(c, upper);
    paint(c, kLeadGrey);
    for (float z : {0.3f, -0.3f}) {
        plateZ(c, z, -0.8f, -0.4f, 0, 1.4f);
        plateZ(c, z, 0.4f, 0.8f, 0, 1.4f);
    }
    c.lineWidth(2);
    paint(c, kGrey4);
    boxOutline(c, base);
    paint(c, kBlack);
    boxOutline(c, upper);
    c.lineWidth(1);
}

void DrawDiode(Canvas& c) {
    const QuadricId q = makeQuadric(c);
    paint(c, kBlack);
    lyingCylinder(c, q, {0, 0.8f, -0.6f}, 0.3, 0.3, 1.2, 6, 6);
    uprightDisk(c, q, {0, 0.8f, -0.6f}, 0, 0.3, 6, 6);
    uprightDisk(c, q, {0, 0.8f, 0.6f}, 0, 0.3, 6, 6);
    c.lineWidth(2);
    paint(c, kLeadGrey);
    segments(c, {{{0, 0.8f, -1.6f}, {0, 0.8f, 1.6f}},
                 {{0, 0.8f, -1.6f}, {0, -0.2f, -1.6f}},
                 {{0, 0.8f, 1.6f}, {0, -0.2f, 1.6f}}});
    c.lineWidth(1);
    releaseQuadric(c, q);
}

void DrawThyristor(Canvas& c) {
    const QuadricId q = makeQuadric(c);
    paint(c, kBlack);
    solidBox(c, {-1, 1, 1.6f, 3.6f, 0.6f, 1.4f});
    uprightCylinder(c, q, {0, 3.6f, 0.5f}, 0.9, 0.9, 2);
    horizontalDisk(c, q, {0, 3.6f, 0.5f}, 0, 0.9);
    c.lineWidth(2);
    paint(c, kLeadGrey);
    segments(c, {{{0, 2.6f, 0.6f}, {0, -0.4f, 0.6f}},
                 {{-0.4f, 2.6f, 0.6f}, {-0.4f, -0.4f, 0.6f}},
                 {{0.4f, 2.6f, 0.6f}, {0.4f, -0.4f, 0.6f}}});
    paint(c, kDarkGrey);
    segments(c, {{{1, 3.6f, 1.4f}, {-1, 3.6f, 1.4f}},
                 {{1, 1.6f, 1.4f}, {-1, 1.6f, 1.4f}},
                 {{1, 3.6f, 1.4f}, {1, 1.6f, 1.4f}},
                 {{-1, 3.6f, 1.4f}, {-1, 1.6f, 1.4f}}});
    c.lineWidth(1);
    releaseQuadric(c, q);
}

void DrawLed(Canvas& c) {
    constexpr Rgb red{1, 0.1f, 0.1f};
    const QuadricId q = makeQuadric(c);
    paint(c, red);
    uprightCylinder(c, q, {0, 2.6f, 0.5f}, 0.5, 0.5, 0.8);
    sphere(c, q, {0, 2.6f, 0.5f}, 0.5);
    c.lineWidth(2);
    paint(c, kDarkGrey);
    horizontalDisk(c, q, {0, 1.79f, 0.5f}, 0.5, 0.6);
    paint(c, kLeadGrey);
    segments(c, {{{0, 2.1f, 0.4f}, {0, -0.4f, 0.4f}},
                 {{-0.2f, 2.1f, 0.6f}, {-0.2f, -0.4f, 0.64f}},
                 {{0.2f, 2.1f, 0.64f}, {0.2f, -0.4f, 0.6f}}});
    c.lineWidth(1);
    releaseQuadric(c, q);
}

void DrawTransistor(Canvas& c) {
    constexpr Box body{-1, 1, 0.6f, 2.6f, 0.4f, 1};
    paint(c, kBlack);
    solidBox(c, body);
    paint(c, kLeadGrey);
    solidBox(c, {-1, 1, 2.6f, 3.5f, 0.4f, 0.6f});
    c.lineWidth(2);
    paint(c, kLeadGrey);
    segments(c, {{{0, 1.6f, 0.6f}, {0, -0.2f, 0.6f}},
                 {{-0.4f, 1.6f, 0.6f}, {-0.4f, -0.2f, 0.6f}},
                 {{0.4f, 1.6f, 0.6f}, {0.4f, -0.2f, 0.6f}}});
    paint(c, kDarkGrey);
    boxOutline(c, body);
    c.lineWidth(1);
}

void DrawMotor(Canvas& c) {
    constexpr Rgb brown{0.5f, 0.3f, 0.1f};
    constexpr Rgb pulleyBlue{0.4f, 0.4f, 0.8f};
    const QuadricId q = makeQuadric(c);
    paint(c, brown);
    uprightCylinder(c, q, {0, 2.6f, 0}, 2, 2, 2);
    horizontalDisk(c, q, {0, 2.6f, 0}, 0, 2);
    paint(c, kDarkGrey);
    horizontalDisk(c, q, {0, 2.6f, 0}, 2, 2.07);
    horizontalDisk(c, q, {0, 0.8f, 0}, 2, 2.07);
    paint(c, kBlack);
    uprightCylinder(c, q, {0, 3.6f, 0}, 0.2, 0.2, 2);
    horizontalDisk(c, q, {0, 3.6f, 0}, 0, 0.2, 6, 6);
    paint(c, pulleyBlue);
    uprightCylinder(c, q, {0, 3.6f, 0}, 0.8, 0.8, 0.6, 8, 8);
    horizontalDisk(c, q, {0, 3.4f, 0}, 0, 0.8, 8, 8);
    paint(c, kDarkGrey);
    horizontalDisk(c, q, {0, 3.4f, 0}, 0.8, 0.87, 8, 8);
    horizontalDisk(c, q, {0, 3, 0}, 0.8, 0.87, 8, 8);
    c.lineWidth(2);
    paint(c, kLeadGrey);
    uprightLeads(c, 0.6f, -0.2f, {{0, -0.8f}, {0, 0.8f}});
    c.lineWidth(1);
    releaseQuadric(c, q);
}

void DrawDisplay(Canvas& c) {
    squareBodyWithLegs(c, kGrey4);
    paint(c, {0.1f, 0.1f, 0.7f});
    sevenSegmentPair(c, 1.01f, 0, 0, {0, 0.8f});
    c.lineWidth(1);
}

} // namespace kelmira
