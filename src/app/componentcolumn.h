#pragma once

#include "board/editor.h"

#include <QFrame>

#include <array>
#include <cstdint>

class QComboBox;
class QListWidget;
class QScrollArea;
class QSlider;

namespace kelmira {

// The right-hand column, Panel3: the catalog's four drop-down lists with their buttons, the 3D
// zoom and the move and turn buttons, and the placed-components list with its buttons. It
// reports what the user asks for and shows what it is given; the window decides what happens.
class ComponentColumn : public QFrame {
    Q_OBJECT

public:
    explicit ComponentColumn(QWidget* parent = nullptr);

    QSlider* trackBar1() const { return m_trackBar1; }
    QListWidget* listBox2() const { return m_listBox2; }
    QScrollArea* scrollBox1() const { return m_scrollBox1; }
    // The placed-components list as the editor holds it; no highlight for -1.
    void showEntries(const QStringList& texts, int highlighted);
    // Only the highlight moves; the entries stay as they are.
    void showHighlight(int highlighted);

Q_SIGNALS:
    // A category's button with a kind chosen in its list (BitBtn1 to BitBtn4).
    void componentChosen(int32_t kind, const QString& entryText);
    void zoomInClicked();
    void zoomOutClicked();
    void moveClicked(kelmira::MoveDir dir);
    void turnClicked(int32_t delta);
    void highlightChanged(int row);
    void selectClicked();
    void deleteClicked();
    void clearClicked();

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    void buildCatalog(QWidget* content);
    void buildControls(QWidget* content);
    void buildPlacedList(QWidget* content);
    // ComboBox1Change .. ComboBox4Change: a choice in one list resets the other three.
    void comboChange(int category);
    // BitBtn1Click .. BitBtn4Click.
    void bitBtnSelectClick(int category);

    QScrollArea* m_scrollBox1 = nullptr;
    std::array<QComboBox*, 4> m_combos{};
    QSlider* m_trackBar1 = nullptr;
    QListWidget* m_listBox2 = nullptr;
};

} // namespace kelmira
