#pragma once

#include "render/scene.h"
#include "settings/settingsfile.h"

namespace kelmira {

// The scene look the settings window shows for these values: the editor reads it from Form2
// at every tick, the headless renderer from a settings file, so both draw the same picture.
// System colours resolve through the application's palette.
SceneSettings sceneSettingsFrom(const StoredSettings& stored);

} // namespace kelmira
