#include "render/scenesettings.h"

#include "settings/colorvalue.h"

namespace kelmira {

namespace {

Rgb rgbOf(qint32 raw) {
    const QColor c = ColorValue(raw).toQColor();
    return Rgb{float(c.redF()), float(c.greenF()), float(c.blueF())};
}

} // namespace

SceneSettings sceneSettingsFrom(const StoredSettings& stored) {
    SceneSettings s;
    s.stage = stored.checkBox1;
    s.presentation = stored.checkBox2;
    s.axisX = stored.checkBox5;
    s.axisY = stored.checkBox7;
    s.axisZ = stored.checkBox6;
    s.planeXY = stored.checkBox9;
    s.planeYZ = stored.checkBox8;
    s.planeXZ = stored.checkBox4;
    s.stageColor = rgbOf(stored.panels[0]);
    s.boardColor = rgbOf(stored.panels[1]);
    s.axisXColor = rgbOf(stored.panels[2]);
    s.axisYColor = rgbOf(stored.panels[3]);
    s.axisZColor = rgbOf(stored.panels[4]);
    s.background = rgbOf(stored.panels[5]);
    s.planeColor = rgbOf(stored.panels[6]);
    s.rotationStep = stored.rotationStep();
    return s;
}

} // namespace kelmira
