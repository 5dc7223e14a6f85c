#pragma once

#include "models/canvas.h"

#include <cstdint>

namespace kelmira {

// 0x00BBGGRR -> GL components (red in the low byte).
Rgb rgbFromColorValue(int32_t c);

// Everything of the settings window that shapes a frame; filled from Form2's controls at
// every frame by the main window, or from a settings file by the headless renderer.
struct SceneSettings {
    bool stage = true;                                     // CheckBox1
    bool presentation = false;                             // CheckBox2
    bool axisX = true;                                     // CheckBox5 "OX"
    bool axisY = true;                                     // CheckBox7 "OY" (scene z)
    bool axisZ = true;                                     // CheckBox6 "OZ" (scene y)
    bool planeXY = false;                                  // CheckBox9
    bool planeYZ = false;                                  // CheckBox8
    bool planeXZ = false;                                  // CheckBox4
    Rgb stageColor{128 / 255.f, 128 / 255.f, 128 / 255.f}; // Panel1
    Rgb boardColor{0, 128 / 255.f, 0};                     // Panel2
    Rgb axisXColor{1, 0, 0};                               // Panel3
    Rgb axisYColor{0, 0, 1};                               // Panel4
    Rgb axisZColor{0, 1, 0};                               // Panel5
    Rgb background{0, 0, 0};                               // Panel6
    Rgb planeColor{1, 1, 1};                               // Panel7
    int rotationStep = 45; // 45 (RadioButton1), 90 (RadioButton2) or 0 (neither checked)
};

// The four panes in the order they are created, drawn and released.
enum class Pane { Front = 1, Side = 2, Top = 3, ThreeD = 4 };

} // namespace kelmira
