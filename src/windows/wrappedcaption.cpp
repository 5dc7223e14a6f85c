#include "windows/wrappedcaption.h"

#include <QStyleOption>
#include <QStylePainter>

namespace kelmira {

QStringList wrapWords(const QString& text, const QFontMetrics& metrics, int width) {
    QStringList lines;
    QString line;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (line.isEmpty() || metrics.horizontalAdvance(longer) <= width) {
            line = longer;
        } else {
            lines << line;
            line = word;
        }
    }
    if (!line.isEmpty() || lines.isEmpty())
        lines << line;
    return lines;
}

void WrappingCheckBox::paintEvent(QPaintEvent*) {
    QStylePainter p(this);
    QStyleOptionButton opt;
    initStyleOption(&opt);
    const QString caption = opt.text;
    opt.text.clear();
    p.drawControl(QStyle::CE_CheckBox, opt);
    const QRect room = style()->subElementRect(QStyle::SE_CheckBoxContents, &opt, this);
    p.drawItemText(room, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap | Qt::TextShowMnemonic,
                   opt.palette, isEnabled(), caption, QPalette::WindowText);
}

bool WrappingCheckBox::hitButton(const QPoint& pos) const {
    return rect().contains(pos);
}

int WrappingGroupBox::titleRoom() const {
    QStyleOptionGroupBox opt;
    initStyleOption(&opt);
    const QRect label =
        style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, this);
    // As much room on the right of the title as the style leaves on its left.
    return width() - 2 * label.left();
}

QStringList WrappingGroupBox::titleLines() const {
    return wrapWords(title(), fontMetrics(), titleRoom());
}

void WrappingGroupBox::paintEvent(QPaintEvent*) {
    QStylePainter p(this);
    QStyleOptionGroupBox opt;
    initStyleOption(&opt);
    const QStringList lines = titleLines();
    const int above = int(lines.size()) - 1;
    const int lineHeight = fontMetrics().lineSpacing();

    // The style draws the frame and the last line as a one-line title, moved down by the lines
    // before it...
    opt.text = lines.last();
    const QRect label =
        style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, this);
    const int shift = above * lineHeight;
    opt.rect.setHeight(opt.rect.height() - shift);
    p.translate(0, shift);
    p.drawComplexControl(QStyle::CC_GroupBox, opt);
    p.translate(0, -shift);
    // ...which stand above it.
    for (int i = 0; i < above; ++i) {
        const QRect line(label.left(), label.top() + i * lineHeight, titleRoom(), label.height());
        p.drawItemText(line, Qt::AlignLeft | Qt::AlignVCenter, opt.palette, isEnabled(), lines[i],
                       QPalette::WindowText);
    }
}

} // namespace kelmira
