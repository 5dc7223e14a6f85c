#include "app/viewpanel.h"

#include <QGroupBox>
#include <QVBoxLayout>

namespace kelmira {

ViewPanel::ViewPanel(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("Panel6"));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setMinimumSize(40, 40);
    static const char* const boxNames[4] = {"GroupBox8", "GroupBox10", "GroupBox9", "GroupBox11"};
    static const char* const paneNames[4] = {"Panel1", "Panel2", "Panel4", "Pnl2"};
    for (int i = 0; i < 4; ++i) {
        const auto pane = static_cast<Pane>(i + 1);
        auto* box = new QGroupBox(QString::fromUtf8(paneCaption(pane)), this);
        box->setObjectName(QLatin1String(boxNames[i]));
        auto* widget = new PaneWidget(pane, box);
        widget->setObjectName(QLatin1String(paneNames[i]));
        // The pane panel fills its group box under the caption.
        auto* fill = new QVBoxLayout(box);
        fill->setContentsMargins(kPaneMargin, kPaneMargin, kPaneMargin, kPaneMargin);
        fill->addWidget(widget);
        widget->setCursor(pane == Pane::ThreeD ? Qt::SizeAllCursor : Qt::ForbiddenCursor);
        m_boxes[std::size_t(i)] = box;
        m_panes[std::size_t(i)] = widget;
    }
}

void ViewPanel::setViewMode(ViewMode mode) {
    m_mode = mode;
    const ViewLayout layout = layoutPanes(width(), height(), mode);
    for (std::size_t i = 0; i < 4; ++i) {
        const PaneBox& b = layout.boxes[i];
        if (b.visible)
            m_boxes[i]->setGeometry(b.left, b.top, b.width, b.height);
        m_boxes[i]->setVisible(b.visible);
    }
}

void ViewPanel::resizeEvent(QResizeEvent* e) {
    QFrame::resizeEvent(e);
    Q_EMIT resized();
}

} // namespace kelmira
