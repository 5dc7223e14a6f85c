#pragma once

#include "render/panewidget.h"
#include "render/viewlayout.h"

#include <QFrame>

#include <array>

class QGroupBox;

namespace kelmira {

// The view area, Panel6: the four panes, each filling its captioned group box, laid out for
// the view mode. It knows nothing of what the panes draw.
class ViewPanel : public QFrame {
    Q_OBJECT

public:
    explicit ViewPanel(QWidget* parent = nullptr);

    PaneWidget* pane(Pane p) const { return m_panes[index(p)]; }
    QGroupBox* paneBox(Pane p) const { return m_boxes[index(p)]; }
    ViewMode viewMode() const { return m_mode; }
    // Shows the mode's group boxes at their places for the panel's current size.
    void setViewMode(ViewMode mode);

Q_SIGNALS:
    // The panel has a new size; the window lays the panes out again for it.
    void resized();

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    static std::size_t index(Pane p) { return static_cast<std::size_t>(p) - 1; }

    ViewMode m_mode = ViewMode::Standard;
    std::array<QGroupBox*, 4> m_boxes{}; // pane order: front, side, top, 3D
    std::array<PaneWidget*, 4> m_panes{};
};

} // namespace kelmira
