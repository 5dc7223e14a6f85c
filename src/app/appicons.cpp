#include "app/appicons.h"

#include "board/catalog.h"
#include "render/offscreen.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

#include <functional>

namespace kelmira::icons {

namespace {

const QColor kInk(40, 40, 40);
const QColor kBoard(0, 128, 0);
const QColor kAccent(30, 90, 200);

QIcon drawn(const std::function<void(QPainter&)>& paint) {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    paint(p);
    p.end();
    return QIcon(pm);
}

void boardShape(QPainter& p, QRectF r) {
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(kBoard);
    p.drawRoundedRect(r, 2, 2);
    p.setPen(QPen(QColor(220, 200, 80), 1.5));
    p.drawLine(QPointF(r.left() + 4, r.center().y()), QPointF(r.right() - 4, r.center().y()));
    p.drawLine(QPointF(r.center().x(), r.top() + 4), QPointF(r.center().x(), r.bottom() - 4));
}

// An arrow from the centre towards `angle` degrees (0 right, 90 up).
void arrow(QPainter& p, qreal angle, QColor c = kAccent) {
    p.save();
    p.translate(16, 16);
    p.rotate(-angle);
    QPolygonF head;
    head << QPointF(13, 0) << QPointF(3, -9) << QPointF(3, -4) << QPointF(-12, -4)
         << QPointF(-12, 4) << QPointF(3, 4) << QPointF(3, 9);
    p.setPen(QPen(kInk, 1));
    p.setBrush(c);
    p.drawPolygon(head);
    p.restore();
}

void turnArrow(QPainter& p, bool counterClockwise) {
    p.setPen(QPen(kAccent, 3.5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(6, 6, 20, 20), counterClockwise ? 200 * 16 : -20 * 16,
              counterClockwise ? -250 * 16 : 250 * 16);
    p.setPen(QPen(kInk, 1));
    p.setBrush(kAccent);
    QPolygonF head;
    if (counterClockwise)
        head << QPointF(2, 14) << QPointF(12, 14) << QPointF(7, 22);
    else
        head << QPointF(30, 14) << QPointF(20, 14) << QPointF(25, 22);
    p.drawPolygon(head);
}

void letter(QPainter& p, const QString& text, QColor bg, QColor fg = Qt::white) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(bg);
    p.drawRoundedRect(QRectF(3, 3, 26, 26), 5, 5);
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(text.size() > 1 ? 12 : 17);
    p.setFont(f);
    p.setPen(fg);
    p.drawText(QRectF(3, 3, 26, 26), Qt::AlignCenter, text);
}

void paneGrid(QPainter& p, int highlighted) {
    p.setPen(QPen(kInk, 1));
    for (int i = 0; i < 4; ++i) {
        QRectF r(3 + (i % 2) * 13, 3 + (i / 2) * 13, 12, 12);
        p.setBrush(highlighted < 0 || highlighted == i ? kAccent : QColor(200, 200, 200));
        p.drawRect(r);
    }
}

QHash<int32_t, QIcon>& componentPictures() {
    static QHash<int32_t, QIcon> pictures;
    return pictures;
}

} // namespace

QIcon newBoard() {
    return drawn([](QPainter& p) {
        boardShape(p, QRectF(3, 8, 22, 18));
        p.setPen(QPen(QColor(255, 210, 0), 2.5));
        p.drawLine(QPointF(25, 2), QPointF(25, 12));
        p.drawLine(QPointF(20, 7), QPointF(30, 7));
    });
}
QIcon open() {
    return drawn([](QPainter& p) {
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(240, 200, 90));
        p.drawRect(QRectF(3, 9, 24, 18));
        p.setBrush(QColor(250, 225, 130));
        QPolygonF flap;
        flap << QPointF(3, 27) << QPointF(9, 14) << QPointF(31, 14) << QPointF(27, 27);
        p.drawPolygon(flap);
    });
}
QIcon save() {
    return drawn([](QPainter& p) {
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(50, 80, 160));
        p.drawRect(QRectF(4, 4, 24, 24));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(9, 4, 14, 9));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(8, 18, 16, 10));
    });
}
QIcon saveImage() {
    return drawn([](QPainter& p) {
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(135, 190, 235));
        p.drawRect(QRectF(3, 5, 26, 22));
        p.setBrush(QColor(40, 140, 40));
        QPolygonF hill;
        hill << QPointF(3, 27) << QPointF(12, 14) << QPointF(19, 22) << QPointF(23, 17)
             << QPointF(29, 27);
        p.drawPolygon(hill);
        p.setBrush(QColor(255, 220, 0));
        p.drawEllipse(QPointF(22, 10), 3, 3);
    });
}
QIcon screenshot() {
    return drawn([](QPainter& p) {
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(70, 70, 70));
        p.drawRoundedRect(QRectF(3, 9, 26, 18), 3, 3);
        p.drawRect(QRectF(11, 5, 10, 5));
        p.setBrush(QColor(150, 200, 250));
        p.drawEllipse(QPointF(16, 18), 6, 6);
    });
}
QIcon clear() {
    return drawn([](QPainter& p) {
        boardShape(p, QRectF(3, 6, 22, 20));
        p.setPen(QPen(QColor(210, 30, 30), 3.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(17, 16), QPointF(29, 28));
        p.drawLine(QPointF(29, 16), QPointF(17, 28));
    });
}
QIcon settings() {
    return drawn([](QPainter& p) {
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(150, 150, 160));
        p.translate(16, 16);
        for (int i = 0; i < 8; ++i) {
            p.drawRect(QRectF(-2.5, -14, 5, 8));
            p.rotate(45);
        }
        p.drawEllipse(QPointF(0, 0), 9, 9);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(0, 0), 4, 4);
    });
}
QIcon help() {
    return drawn([](QPainter& p) { letter(p, QStringLiteral("?"), kAccent); });
}
QIcon about() {
    return drawn([](QPainter& p) { letter(p, QStringLiteral("i"), QColor(0, 130, 130)); });
}
QIcon exit() {
    return drawn([](QPainter& p) {
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(160, 110, 60));
        p.drawRect(QRectF(5, 3, 14, 26));
        arrow(p, 0, QColor(210, 40, 40));
    });
}
// A hooked arrow: back to the left for undo, forward to the right for redo.
static QIcon hookArrow(bool back) {
    return drawn([back](QPainter& p) {
        if (!back) {
            p.translate(32, 0);
            p.scale(-1, 1);
        }
        QPainterPath path;
        path.moveTo(9, 12);
        path.lineTo(20, 12);
        path.cubicTo(29, 12, 29, 26, 20, 26);
        path.lineTo(12, 26);
        p.setPen(QPen(kAccent, 3.5, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
        p.setPen(QPen(kInk, 1));
        p.setBrush(kAccent);
        p.drawPolygon(QPolygonF() << QPointF(3, 12) << QPointF(11, 5) << QPointF(11, 19));
    });
}
QIcon undo() {
    return hookArrow(true);
}
QIcon redo() {
    return hookArrow(false);
}
QIcon build() {
    return drawn([](QPainter& p) { letter(p, QStringLiteral("+"), kBoard); });
}
QIcon remove() {
    return drawn([](QPainter& p) {
        p.setPen(QPen(QColor(200, 30, 30), 5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(7, 7), QPointF(25, 25));
        p.drawLine(QPointF(25, 7), QPointF(7, 25));
    });
}
QIcon pick() {
    return drawn([](QPainter& p) {
        p.setPen(QPen(kBoard, 4.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF() << QPointF(6, 17) << QPointF(13, 24) << QPointF(26, 8));
    });
}
QIcon windowColor() {
    return drawn([](QPainter& p) {
        const QColor c[4] = {QColor(220, 50, 50), QColor(50, 170, 50), QColor(50, 90, 220),
                             QColor(240, 200, 40)};
        p.setPen(QPen(kInk, 1));
        for (int i = 0; i < 4; ++i) {
            p.setBrush(c[i]);
            p.drawRect(QRectF(3 + (i % 2) * 13, 3 + (i / 2) * 13, 12, 12));
        }
    });
}
QIcon viewStandard() {
    return drawn([](QPainter& p) { paneGrid(p, -1); });
}
QIcon viewFront() {
    return drawn([](QPainter& p) { paneGrid(p, 0); });
}
QIcon viewTop() {
    return drawn([](QPainter& p) { paneGrid(p, 1); });
}
QIcon viewSide() {
    return drawn([](QPainter& p) { paneGrid(p, 2); });
}
QIcon view3d() {
    return drawn([](QPainter& p) { paneGrid(p, 3); });
}
QIcon zoomIn() {
    return drawn([](QPainter& p) { letter(p, QStringLiteral("+"), kAccent); });
}
QIcon zoomOut() {
    return drawn([](QPainter& p) { letter(p, QStringLiteral("−"), kAccent); });
}
QIcon raise() {
    return drawn([](QPainter& p) { arrow(p, 90, QColor(230, 140, 0)); });
}
QIcon lower() {
    return drawn([](QPainter& p) { arrow(p, 270, QColor(230, 140, 0)); });
}
QIcon left() {
    return drawn([](QPainter& p) { arrow(p, 180); });
}
QIcon right() {
    return drawn([](QPainter& p) { arrow(p, 0); });
}
QIcon forward() {
    return drawn([](QPainter& p) { arrow(p, 90); });
}
QIcon back() {
    return drawn([](QPainter& p) { arrow(p, 270); });
}
QIcon turnLeft() {
    return drawn([](QPainter& p) { turnArrow(p, true); });
}
QIcon turnRight() {
    return drawn([](QPainter& p) { turnArrow(p, false); });
}

QIcon component(int32_t kind) {
    if (auto it = componentPictures().constFind(kind); it != componentPictures().constEnd())
        return *it;
    const KindInfo* k = findKind(kind);
    static const QColor categoryColors[4] = {QColor(60, 60, 60), QColor(120, 120, 140),
                                             QColor(40, 90, 160), QColor(150, 100, 40)};
    const QString initial = k ? k->name.left(1) : QStringLiteral("?");
    const QColor bg = k ? categoryColors[k->category] : QColor(128, 128, 128);
    return drawn([&](QPainter& p) { letter(p, initial, bg); });
}

void setComponentPicture(int32_t kind, const QImage& picture) {
    if (!picture.isNull())
        componentPictures().insert(kind, QIcon(QPixmap::fromImage(picture)));
}

void renderComponentPictures() {
    static bool done = false;
    if (done)
        return;
    done = true;
    OffscreenRenderer renderer(OffscreenRenderer::Choice::QtOnly);
    if (!renderer.isValid())
        return;
    for (const KindInfo& k : catalog())
        setComponentPicture(k.code, renderer.renderModelIcon(k.code, QSize(32, 32)));
}

} // namespace kelmira::icons
