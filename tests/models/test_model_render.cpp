// Draws every model for real, through GL into an offscreen framebuffer, and checks what a
// viewer would see; also leaves a contact sheet of all models beside the test binary.
#include "models/glcanvas.h"
#include "models/models.h"

#include <QGuiApplication>
#include <QImage>
#include <QMatrix4x4>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QPainter>
#include <QTest>

#include <GL/gl.h>

#include <memory>

using namespace kelmira;
using Rgb3 = std::array<float, 3>;

namespace {

constexpr int kTile = 256;
const QVector3D kEye{4, 5, 8.5f};
const QVector3D kTarget{0, 2.1f, 0};

QMatrix4x4 projection() {
    QMatrix4x4 m;
    m.perspective(40, 1, 1, 100);
    return m;
}

QMatrix4x4 view() {
    QMatrix4x4 m;
    m.lookAt(kEye, kTarget, {0, 1, 0});
    return m;
}

QPoint project(const QVector3D& p) {
    const QVector3D ndc = (projection() * view()).map(p);
    return {int((ndc.x() + 1) / 2 * kTile), int((1 - ndc.y()) / 2 * kTile)};
}

bool near(int a, float b) {
    return std::abs(a - b * 255) <= 3;
}

bool colourAround(const QImage& img, QPoint at, Rgb3 want) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const QColor c = img.pixelColor(at + QPoint(dx, dy));
            if (near(c.red(), want[0]) && near(c.green(), want[1]) && near(c.blue(), want[2]))
                return true;
        }
    return false;
}

} // namespace

class TestModelRender : public QObject {
    Q_OBJECT

    std::unique_ptr<QOpenGLContext> m_context;
    std::unique_ptr<QOffscreenSurface> m_surface;
    std::unique_ptr<QOpenGLFramebufferObject> m_fbo;
    QImage m_sheet;
    int m_tiles = 0;

    QImage render(int kind, QString* glProblem);

private Q_SLOTS:
    void initTestCase();
    void showsItsBodyColour_data();
    void showsItsBodyColour();
    void cleanupTestCase();
};

void TestModelRender::initTestCase() {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setDepthBufferSize(24);
    m_context = std::make_unique<QOpenGLContext>();
    m_context->setFormat(format);
    if (!m_context->create())
        QSKIP("no GL context on this display");
    m_surface = std::make_unique<QOffscreenSurface>();
    m_surface->setFormat(m_context->format());
    m_surface->create();
    QVERIFY(m_context->makeCurrent(m_surface.get()));
    m_fbo = std::make_unique<QOpenGLFramebufferObject>(
        kTile, kTile, QOpenGLFramebufferObject::CombinedDepthStencil);
    QVERIFY(m_fbo->isValid());
    m_sheet = QImage(kTile * 6, kTile * 4, QImage::Format_RGB32);
    m_sheet.fill(Qt::darkGray);
}

QImage TestModelRender::render(int kind, QString* glProblem) {
    m_fbo->bind();
    glViewport(0, 0, kTile, kTile);
    glClearColor(1, 0, 1, 1); // magenta: no model uses it, so black parts stand out
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(projection().constData());
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(view().constData());
    glLineWidth(1);
    while (glGetError() != GL_NO_ERROR) {
    }
    GlCanvas canvas;
    drawModel(canvas, kind);
    glFinish();

    // What the contract promises, as GL itself sees it.
    GLint depth = 0;
    GLfloat width = 0, after[16];
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    glGetFloatv(GL_LINE_WIDTH, &width);
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    const QMatrix4x4 before = view();
    float drift = 0;
    for (int i = 0; i < 16; ++i)
        drift = std::max(drift, std::abs(after[i] - before.constData()[i]));
    if (const GLenum err = glGetError(); err != GL_NO_ERROR)
        *glProblem = QString("GL error 0x%1").arg(err, 0, 16);
    else if (depth != 1 || width != 1 || drift > 1e-5f)
        *glProblem = QString("stack %1, width %2, drift %3").arg(depth).arg(width).arg(drift);
    const QImage img = m_fbo->toImage().convertToFormat(QImage::Format_RGB32);
    m_fbo->release();
    return img;
}

void TestModelRender::showsItsBodyColour_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QVector3D>("probe"); // a point on the body's visible surface
    QTest::addColumn<Rgb3>("colour");

    const Rgb3 black{0.1f, 0.1f, 0.1f};
    QTest::newRow("1 sensor") << 1 << QVector3D(0, 1, 0.6f) << black;
    QTest::newRow("2 chip") << 2 << QVector3D(0, 1, 0.6f) << black;
    QTest::newRow("3 rectifier") << 3 << QVector3D(0, 3.3f, 1) << Rgb3{0.4f, 0.4f, 0.4f};
    QTest::newRow("4 diode") << 4 << QVector3D(0.1f, 1.04f, 0) << black;
    QTest::newRow("5 thyristor") << 5 << QVector3D(0.3f, 3.6f, 0.3f) << black;
    QTest::newRow("6 led") << 6 << QVector3D(0, 3.1f, 0.5f) << Rgb3{1, 0.1f, 0.1f};
    QTest::newRow("7 transistor") << 7 << QVector3D(0, 1.6f, 1) << black;
    QTest::newRow("8 motor") << 8 << QVector3D(1.2f, 2.6f, 0.6f) << Rgb3{0.5f, 0.3f, 0.1f};
    QTest::newRow("9 display") << 9 << QVector3D(0, 1, 0.8f) << Rgb3{0.4f, 0.4f, 0.4f};
    QTest::newRow("11 resistor") << 11 << QVector3D(0, 0.8f, -0.5f) << Rgb3{0.8f, 0.7f, 0.7f};
    QTest::newRow("12 capacitor") << 12 << QVector3D(0, 2.6f, 1) << Rgb3{0.6f, 0.6f, 0.6f};
    QTest::newRow("13 varistor") << 13 << QVector3D(0, 3, 0) << Rgb3{0.1f, 0.4f, 0.7f};
    QTest::newRow("14 potentiometer") << 14 << QVector3D(0, 1.1f, 2) << Rgb3{0.6f, 0.6f, 0.6f};
    QTest::newRow("15 speaker") << 15 << QVector3D(0, 1.1f, 1.4f) << Rgb3{0.2f, 0.2f, 0.5f};
    QTest::newRow("21 ammeter") << 21 << QVector3D(0, 1.2f, 2.4f) << black;
    QTest::newRow("22 voltmeter") << 22 << QVector3D(0, 1.2f, 2.4f) << Rgb3{0.2f, 0.2f, 0.2f};
    QTest::newRow("23 ohmmeter") << 23 << QVector3D(0, 1.2f, 2.4f) << Rgb3{0.3f, 0.3f, 0.3f};
    QTest::newRow("24 multimeter") << 24 << QVector3D(0, 1.2f, 3) << black;
    QTest::newRow("31 power supply") << 31 << QVector3D(0, 0.9f, 2) << Rgb3{0.2f, 0.2f, 0.2f};
    QTest::newRow("32 switch") << 32 << QVector3D(0, 1.2f, 1.6f) << black;
    QTest::newRow("33 wire 1") << 33 << QVector3D(1, 1, 0) << Rgb3{1, 1, 1};
    QTest::newRow("34 wire 2") << 34 << QVector3D(0, 2, 0) << Rgb3{1, 1, 1};
}

void TestModelRender::showsItsBodyColour() {
    QFETCH(int, kind);
    QFETCH(QVector3D, probe);
    QFETCH(Rgb3, colour);
    QString glProblem;
    const QImage img = render(kind, &glProblem);
    QVERIFY2(glProblem.isEmpty(), qPrintable(glProblem));

    const QPoint at = project(probe);
    {
        QPainter p(&m_sheet);
        const QPoint corner(kTile * (m_tiles % 6), kTile * (m_tiles / 6));
        p.drawImage(corner, img);
        p.setPen(Qt::cyan);
        p.drawEllipse(corner + at, 4, 4);
        p.setPen(Qt::white);
        p.drawText(corner + QPoint(6, 16), QString::fromLatin1(QTest::currentDataTag()));
        ++m_tiles;
    }
    QVERIFY2(
        colourAround(img, at, colour),
        qPrintable(
            QString("pixel %1,%2 is %3").arg(at.x()).arg(at.y()).arg(img.pixelColor(at).name())));
}

void TestModelRender::cleanupTestCase() {
    if (m_sheet.isNull())
        return;
    const QString path = QStringLiteral(KELMIRA_ARTEFACT_DIR "/models.png");
    QVERIFY(m_sheet.save(path));
    qInfo("contact sheet: %s", qPrintable(path));
}

QTEST_MAIN(TestModelRender)
#include "test_model_render.moc"
