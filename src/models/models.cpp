#include "models/models.h"

namespace kelmira {

namespace {

struct KindModel {
    int32_t kind;
    ModelFn draw;
};

constexpr KindModel kModels[] = {
    {1, DrawSensor},         {2, DrawChip},        {3, DrawRectifier},    {4, DrawDiode},
    {5, DrawThyristor},      {6, DrawLed},         {7, DrawTransistor},   {8, DrawMotor},
    {9, DrawDisplay},        {11, DrawResistor},   {12, DrawCapacitor},   {13, DrawVaristor},
    {14, DrawPotentiometer}, {15, DrawSpeaker},    {21, DrawAmmeter},     {22, DrawVoltmeter},
    {23, DrawOhmmeter},      {24, DrawMultimeter}, {31, DrawPowerSupply}, {32, DrawSwitch},
    {33, DrawWire1},         {34, DrawWire2},
};

} // namespace

ModelFn modelForKind(int32_t kind) {
    for (const KindModel& m : kModels)
        if (m.kind == kind)
            return m.draw;
    return nullptr;
}

void drawModel(Canvas& c, int32_t kind) {
    if (ModelFn fn = modelForKind(kind))
        fn(c);
}

} // namespace kelmira
