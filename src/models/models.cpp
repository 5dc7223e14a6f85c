#include "models.h"

namespace kelmira {

ModelFn modelForKind(int32_t kind) {
    switch (kind) {
    case 1: return DrawSensor;
    case 2: return DrawChip;
    case 3: return DrawRectifier;
    case 4: return DrawDiode;
    case 5: return DrawThyristor;
    case 6: return DrawLed;
    case 7: return DrawTransistor;
    case 8: return DrawMotor;
    case 9: return DrawDisplay;
    case 11: return DrawResistor;
    case 12: return DrawCapacitor;
    case 13: return DrawVaristor;
    case 14: return DrawPotentiometer;
    case 15: return DrawSpeaker;
    case 21: return DrawAmmeter;
    case 22: return DrawVoltmeter;
    case 23: return DrawOhmmeter;
    case 24: return DrawMultimeter;
    case 31: return DrawPowerSupply;
    case 32: return DrawSwitch;
    case 33: return DrawWire1;
    case 34: return DrawWire2;
    default: return nullptr;
    }
}

void drawModel(Canvas& c, int32_t kind) {
    if (ModelFn fn = modelForKind(kind))
        fn(c);
}

} // namespace kelmira
