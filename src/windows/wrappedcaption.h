#pragma once

#include <QCheckBox>
#include <QGroupBox>

namespace kelmira {

// Captions of the settings window that are longer than the room the window's fixed layout
// gives them. The text stays exactly the caption (the settings file and the tests know the
// controls by it); only the drawing breaks it into lines at the blanks.

// A check box whose caption wraps onto further lines beside the box.
class WrappingCheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void paintEvent(QPaintEvent* event) override;
    // Every line of the caption takes a click, not just the first.
    bool hitButton(const QPoint& pos) const override;
};

// A group box whose title wraps: the lines before the last stand above it, and the frame moves
// down by as many lines.
class WrappingGroupBox : public QGroupBox {
public:
    using QGroupBox::QGroupBox;

    // The title as it is drawn, one entry per line.
    QStringList titleLines() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int titleRoom() const;
};

// Greedy word wrap of `text` into lines no wider than `width` (a word longer than that stands
// on a line of its own).
QStringList wrapWords(const QString& text, const QFontMetrics& metrics, int width);

} // namespace kelmira
