// Kinds 21 to 24 (instruments) and 31 to 34 (power supply, switch, wires).
#include "models/models.h"
#include "models/shapes.h"

#include <span>

namespace kelmira {

using namespace shapes;

namespace {

// What tells the three needle meters apart; everything else is one template.
struct NeedleMeter {
    Rgb housing;
    Rgb terminal;
    PlanPoint needleTip;
    std::span<const FlatSegment> letter; // strokes at y = 3.004, tops toward -z
    Rgb outline;
};

constexpr FlatSegment kLetterA[] = {
    {0.08f, 1.22f, -0.08f, 1.22f}, {0.16f, 1.4f, 0, 1}, {-0.16f, 1.4f, 0, 1}};
constexpr FlatSegment kLetterV[] = {{0.16f, 1, 0, 1.4f}, {-0.16f, 1, 0, 1.4f}};
constexpr FlatSegment kLetterOmega[] = {{0.3f, 0.8f, -0.3f, 0.8f},
                                        {0.4f, 1.2f, 0.2f, 1.2f},
                                        {-0.2f, 1.2f, -0.4f, 1.2f},
                                        {-0.2f, 1.2f, -0.3f, 0.8f},
                                        {0.2f, 1.2f, 0.3f, 0.8f}};

void drawNeedleMeter(Canvas& c, const NeedleMeter& m) {
    constexpr Box lower{-2.4f, 2.4f, 0.4f, 2, -2.4f, 2.4f};
    constexpr Box upper{-2.4f, 2.4f, 2, 3, -1, 2.4f};
    constexpr Rgb needleRed{0.4f, 0.1f, 0.1f};
    const QuadricId q = makeQuadric(c);
    paint(c, m.housing);
    solidBox(c, lower);
    solidBox(c, upper);
    paint(c, kFaceWhite);
    plateY(c, 3.002f, -2, 2, -0.6f, 2);
    paint(c, m.terminal);
    for (float x : {1.2f, -1.2f}) {
        uprightCylinder(c, q, {x, 3, -1.6f}, 0.2, 0.2, 1);
        horizontalDisk(c, q, {x, 3, -1.6f}, 0, 0.2);
    }
    c.lineWidth(2);
    paint(c, needleRed);
    flatSegments(c, 3.006f, {{0, 1.6f, m.needleTip.x, m.needleTip.z}});
    paint(c, kBlack);
    flatSegments(c, 3.004f, {{0, 0.4f, 0, 0}, {1, 0.4f, 1.2f, 0}, {-1, 0.4f, -1.2f, 0}});
    c.begin(Canvas::Primitive::Lines);
    for (const FlatSegment& s : m.letter) {
        c.vertex(s.x0, 3.004f, s.z0);
        c.vertex(s.x1, 3.004f, s.z1);
    }
    c.end();
    paint(c, m.outline);
    boxOutline(c, lower);
    boxOutline(c, upper);
    c.lineWidth(1);
    releaseQuadric(c, q);
}

} // namespace

void DrawAmmeter(Canvas& c) {
    drawNeedleMeter(c, {kBlack, {0.5f, 0.1f, 0.5f}, {1.2f, 0}, kLetterA, kLeadGrey});
}

void DrawVoltmeter(Canvas& c) {
    drawNeedleMeter(c, {kDarkGrey, {0.5f, 0.5f, 0.1f}, {0.62f, 0}, kLetterV, kGrey6});
}

void DrawOhmmeter(Canvas& c) {
    drawNeedleMeter(c, {kGrey3, {0.1f, 0.5f, 0.5f}, {-0.8f, 0}, kLetterOmega, kBlack});
}

void DrawMultimeter(Canvas& c) {
    constexpr Box caseBox{-2, 2, 0.4f, 2, -3, 3};
    const QuadricId q = makeQuadric(c);
    paint(c, kBlack);
    solidBox(c, caseBox);
    paint(c, kFaceWhite);
    plateY(c, 2.002f, -1.6f, 1.6f, -2, -1);
    // Drawn before any width change, so at the width of entry, which is 1.
    paint(c, kGrey3);
    boxOutline(c, caseBox);
    uprightCylinder(c, q, {0, 2.4f, 1}, 1, 1, 1);
    horizontalDisk(c, q, {0, 2.4f, 1}, 0, 1);
    if (q) {
        // A diameter of the knob's top, turned 45 degrees; half of it stands above the top.
        paint(c, {0.3f, 0.1f, 0.1f});
        c.pushMatrix();
        c.translate(0, 2.4f, 1);
        c.translate(-0.7f, 0, -0.7f);
        c.rotate(45, 0, 1, 0);
        c.cylinder(q, 0.1, 0.1, 2, kSlices, kSlices);
        c.popMatrix();
    }
    paint(c, {0.5f, 0.1f, 0.5f});
    horizontalDisk(c, q, {1.4f, 2.02f, 1.8f}, 0, 0.2);
    paint(c, {0.1f, 0.1f, 0.6f});
    horizontalDisk(c, q, {1.4f, 2.02f, 2.4f}, 0, 0.2);
    c.lineWidth(2);
    paint(c, {0.7f, 0.1f, 0.1f});
    sevenSegmentPair(c, 2.01f, 0.6f, -1.54f, {0.8f});
    paint(c, kLeadGrey);
    flatSegments(c, 2.01f,
                 {{0, -0.54f, 0, -0.04f},
                  {0, 1.96f, 0, 2.46f},
                  {-0.9f, 0.96f, -1.4f, 0.96f},
                  {0.9f, 0.96f, 1.4f, 0.96f}});
    paint(c, {0, 1, 0});
    flatSegments(c, 2.502f, {{0.3f, 1.31f, 0.7f, 1.71f}});
    c.lineWidth(1);
    releaseQuadric(c, q);
}

void DrawPowerSupply(Canvas& c) {
    constexpr Box box{-2, 2, 0.4f, 1.4f, -2, 2};
    paint(c, kDarkGrey);
    solidBox(c, box);
    paint(c, kLeadGrey);
    plateY(c, 0.4f, -1.2f, -0.6f, -2.4f, -2);
    plateY(c, 0.4f, 0.6f, 1.2f, -2.4f, -2);
    plateZ(c, -2.4f, -1.2f, -0.6f, -0.8f, 0.4f);
    plateZ(c, -2.4f, 0.6f, 1.2f, -0.8f, 0.4f);
    c.lineWidth(2);
    paint(c, {0.7f, 0.27f, 0.27f});
    boxOutline(c, box);
    paint(c, {0.7f, 0.2f, 0.2f});
    flatSegments(c, 1.404f, {{-0.6f, -1.6f, -1.2f, -1.6f}, {-0.9f, -2, -0.9f, -1.2f}});
    paint(c, {0.2f, 0.2f, 0.7f});
    flatSegments(c, 1.404f, {{0.6f, -1.6f, 1.2f, -1.6f}});
    c.lineWidth(1);
}

void DrawSwitch(Canvas& c) {
    constexpr Box body{-0.6f, 0.6f, 0.4f, 2, -1.6f, 1.6f};
    paint(c, kBlack);
    solidBox(c, body);
    paint(c, kLeadGrey);
    plateY(c, 2.002f, -0.6f, 0.6f, -1.8f, 1.8f);
    paint(c, {0.7f, 0.1f, 0.1f});
    solidBox(c, {-0.4f, 0.4f, 2, 2.8f, -0.4f, 0.4f});
    c.lineWidth(2);
    paint(c, kLeadGrey);
    uprightLeads(
        c, 0.4f, 0,
        {{-0.2f, 0}, {0.2f, 0}, {-0.2f, 0.6f}, {0.2f, 0.6f}, {-0.2f, -0.6f}, {0.2f, -0.6f}});
    paint(c, {0.7f, 0.7f, 0.27f});
    boxOutline(c, body);
    c.lineWidth(1);
}

void DrawWire1(Canvas& c) {
    c.lineWidth(2);
    paint(c, kWhite);
    segments(c, {{{2, 1, 0}, {-2, 1, 0}}});
    c.lineWidth(1);
}

void DrawWire2(Canvas& c) {
    c.lineWidth(2);
    paint(c, kWhite);
    segments(c, {{{0, 3, 0}, {0, -1, 0}}});
    c.lineWidth(1);
}

} // namespace kelmira
