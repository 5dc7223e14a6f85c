// Picking against an independent truth: the pane drawn by GL with each component in a flat
// colour of its own, read back pixel by pixel. And the selection mark: with it, only the pixels
// around the marked component change.
#include "board/board.h"
#include "board/catalog.h"
#include "render/glpane.h"
#include "render/offscreen.h"
#include "render/picking.h"
#include "render/renderer.h"
#include "render/scenegeometry.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QTest>

#include <GL/gl.h>

#include <algorithm>
#include <random>
#include <vector>

using namespace kelmira;

namespace {

constexpr QSize kSize(240, 180);

// A flat colour for record n, and back; 0 is the background and the fixed scene.
Rgb idColour(int32_t n) {
    const int v = n + 1;
    return {float(v & 0xff) / 255.f, float((v >> 8) & 0xff) / 255.f, 0};
}
int32_t idOf(QRgb c) {
    return (qRed(c) | qGreen(c) << 8) - 1;
}

void drawFlat(const Mesh& mesh, const Rgb& colour) {
    glColor3f(colour.r, colour.g, colour.b);
    for (const MeshBatch& b : mesh.batches) {
        if (b.type == MeshBatch::Type::Lines && b.lineWidth > 0)
            glLineWidth(b.lineWidth);
        glBegin(b.type == MeshBatch::Type::Lines ? GL_LINES : GL_TRIANGLES);
        for (int32_t i = b.first; i < b.first + b.count; ++i) {
            const MeshVertex& v = mesh.vertices[std::size_t(i)];
            glVertex3f(v.x, v.y, v.z);
        }
        glEnd();
    }
}

// The pane as the kept scene draws it, each component in its record's colour; in the reverse
// order too, which tells where coplanar faces of two components tie in depth.
QImage idPicture(QOpenGLContext& gl, QOffscreenSurface& surface, Board& board, const PaneView& view,
                 bool reversed) {
    gl.makeCurrent(&surface);
    QOpenGLFramebufferObject fbo(view.sizePx, QOpenGLFramebufferObject::Depth);
    fbo.bind();
    glLineWidth(0.5f);
    beginPane(view.sizePx.width(), view.sizePx.height(), Rgb{});
    glLoadMatrixf(paneModelView(view.pane, view.camera, view.zoom).constData());
    drawFlat(SceneGeometry::fixedSceneMesh(SceneSettings{}), Rgb{});
    glTranslatef(kGridCorner[0], kGridCorner[1], kGridCorner[2]);
    std::vector<DrawnCell> cells;
    forEachDrawnCell(board, 45, [&](const DrawnCell& cell) { cells.push_back(cell); });
    if (reversed)
        std::reverse(cells.begin(), cells.end());
    for (const DrawnCell& cell : cells) {
        MeshCanvas c(1);
        Matrix4f at;
        at.translate(kCellSpacing * float(cell.x), kCellSpacing * float(cell.y),
                     kCellSpacing * float(cell.z));
        if (cell.angle)
            at.rotate(float(*cell.angle), 0, 1, 0);
        c.append(SceneGeometry::modelMesh(cell.kind), at);
        drawFlat(c.take(), idColour(board.cell(cell.x, cell.y, cell.z)));
    }
    QImage image = fbo.toImage().convertToFormat(QImage::Format_RGB32);
    fbo.release();
    gl.doneCurrent();
    return image;
}

// Pixels whose neighbours all show the same thing: away from edges, where a pixel centre on a
// silhouette may fall either way.
bool interior(const QImage& img, int x, int y) {
    if (x < 1 || y < 1 || x + 1 >= img.width() || y + 1 >= img.height())
        return false;
    const QRgb c = img.pixel(x, y);
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (img.pixel(x + dx, y + dy) != c)
                return false;
    return true;
}

void randomBoard(Board& board, std::mt19937& rng) {
    std::uniform_int_distribution<int> xz(30, 110), y(3, 25), kind(0, int(catalog().size()) - 1),
        rot(-4, 4);
    for (int i = 0; i < 40; ++i)
        board.PlaceComponent(xz(rng), y(rng), xz(rng), 1, catalog()[std::size_t(kind(rng))].code,
                             rot(rng));
}

} // namespace

class TestPicking : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pickIsWhatThePaneShows_data() {
        QTest::addColumn<int>("pane");
        QTest::addColumn<double>("yaw");
        QTest::addColumn<double>("pitch");
        QTest::newRow("front") << int(Pane::Front) << 0.0 << 0.0;
        QTest::newRow("side") << int(Pane::Side) << 0.0 << 0.0;
        QTest::newRow("top") << int(Pane::Top) << 0.0 << 0.0;
        QTest::newRow("3d") << int(Pane::ThreeD) << -30.0 << 0.0;
        QTest::newRow("3d turned") << int(Pane::ThreeD) << 70.0 << 25.0;
    }

    void pickIsWhatThePaneShows() {
        QFETCH(int, pane);
        QFETCH(double, yaw);
        QFETCH(double, pitch);
        QOffscreenSurface surface;
        surface.setFormat(paneSurfaceFormat());
        surface.create();
        QOpenGLContext gl;
        gl.setFormat(paneSurfaceFormat());
        QVERIFY(gl.create());

        std::mt19937 rng(uint32_t(pane * 7 + int(yaw)));
        int components = 0, background = 0;
        for (int board = 0; board < 3; ++board) {
            Board b;
            randomBoard(b, rng);
            PaneView view{Pane(pane), CameraState{}, kZoomStart, kSize};
            view.camera.CameraYaw = yaw;
            view.camera.CameraPitch = pitch;
            ComponentPicker picker;
            picker.update(b, 45);
            const QImage truth = idPicture(gl, surface, b, view, false);
            const QImage reversed = idPicture(gl, surface, b, view, true);
            const Mesh fixed = SceneGeometry::fixedSceneMesh(SceneSettings{});
            for (int y = 1; y < kSize.height() - 1; y += 3)
                for (int x = 1; x < kSize.width() - 1; x += 3) {
                    if (!interior(truth, x, y) || truth.pixel(x, y) != reversed.pixel(x, y))
                        continue;
                    const int32_t want = idOf(truth.pixel(x, y));
                    const int32_t got = picker.pick(view, QPointF(x, y), fixed);
                    if (got != want)
                        QFAIL(qPrintable(QStringLiteral("pixel %1,%2: picked %3, drawn %4")
                                             .arg(x)
                                             .arg(y)
                                             .arg(got)
                                             .arg(want)));
                    ++(want >= 0 ? components : background);
                }
        }
        // Enough of both to mean something.
        QVERIFY2(components > 100, qPrintable(QString::number(components)));
        QVERIFY2(background > 100, qPrintable(QString::number(background)));
    }

    // The mark changes only pixels near the marked component, and some of them; a record that
    // draws nothing is not marked at all.
    void markChangesOnlyAroundTheMarkedComponent() {
        OffscreenRenderer renderer;
        QVERIFY2(renderer.isValid(), qPrintable(renderer.errorString()));
        std::mt19937 rng(5);
        Board b;
        randomBoard(b, rng);
        b.PlaceComponent(60, 10, 60, 1, 99, 0); // a kind without a model
        ComponentPicker picker;
        picker.update(b, 45);
        const SceneSettings s;
        const CameraState cam;
        for (Pane pane : {Pane::Top, Pane::ThreeD}) {
            const QImage plain = renderer.renderPane(pane, kSize, {b, s, cam, kZoomStart});
            const QImage none =
                renderer.renderPane(pane, kSize, {b, s, cam, kZoomStart, b.count() - 1});
            QCOMPARE(none, plain);
            for (int32_t marked : {0, 17, 33}) {
                const QImage withMark =
                    renderer.renderPane(pane, kSize, {b, s, cam, kZoomStart, marked});
                const QMatrix4x4 m = componentsToClip({pane, cam, kZoomStart, kSize});
                const Box box = *picker.bounds(marked);
                QPolygonF corners;
                for (float x : {box.x0, box.x1})
                    for (float y : {box.y0, box.y1})
                        for (float z : {box.z0, box.z1}) {
                            const QVector3D p = m.map(QVector3D(x, y, z));
                            corners << QPointF((p.x() + 1) / 2 * kSize.width(),
                                               (1 - p.y()) / 2 * kSize.height());
                        }
                const QRectF near = corners.boundingRect().adjusted(-6, -6, 6, 6);
                int changed = 0;
                for (int y = 0; y < kSize.height(); ++y)
                    for (int x = 0; x < kSize.width(); ++x)
                        if (withMark.pixel(x, y) != plain.pixel(x, y)) {
                            ++changed;

                            QVERIFY2(near.contains(x, y),
                                     qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
                        }
                QVERIFY(changed > 20);
            }
        }
    }
};

QTEST_MAIN(TestPicking)
#include "test_picking.moc"
