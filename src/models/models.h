#pragma once

#include "models/canvas.h"

#include <cstdint>

namespace kelmira {

using ModelFn = void (*)(Canvas&);

// The model of a kind code, or nullptr for a code outside the catalog (draws nothing).
ModelFn modelForKind(int32_t kind);
// Draws the model of `kind` around the current origin; codes without a model draw nothing.
void drawModel(Canvas& c, int32_t kind);

// One model per kind. Each draws the same shape every call, in its own model space (+y up,
// resting on the board top at y = 0.4), and returns with the matrix as it found it, line
// width 1 and no quadric object left behind; the current colour is the last it used.
void DrawSensor(Canvas& c);        // 1
void DrawChip(Canvas& c);          // 2
void DrawRectifier(Canvas& c);     // 3
void DrawDiode(Canvas& c);         // 4
void DrawThyristor(Canvas& c);     // 5
void DrawLed(Canvas& c);           // 6
void DrawTransistor(Canvas& c);    // 7
void DrawMotor(Canvas& c);         // 8
void DrawDisplay(Canvas& c);       // 9
void DrawResistor(Canvas& c);      // 11
void DrawCapacitor(Canvas& c);     // 12
void DrawVaristor(Canvas& c);      // 13
void DrawPotentiometer(Canvas& c); // 14
void DrawSpeaker(Canvas& c);       // 15
void DrawAmmeter(Canvas& c);       // 21
void DrawVoltmeter(Canvas& c);     // 22
void DrawOhmmeter(Canvas& c);      // 23
void DrawMultimeter(Canvas& c);    // 24
void DrawPowerSupply(Canvas& c);   // 31
void DrawSwitch(Canvas& c);        // 32
void DrawWire1(Canvas& c);         // 33
void DrawWire2(Canvas& c);         // 34

} // namespace kelmira
