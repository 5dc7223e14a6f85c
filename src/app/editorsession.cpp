#include "app/editorsession.h"

namespace kelmira {

void EditorSession::refresh(const SceneSettings& settings) {
    m_settings = settings;
    m_scene.update(m_editor.board(), m_settings);
}

} // namespace kelmira
