#pragma once

class QFileDialog;

namespace kelmira {

// Adds a picture preview to a (non-native) file dialog: the picture file under the cursor is
// shown beside the file list.
void installImagePreview(QFileDialog* dialog);

} // namespace kelmira
