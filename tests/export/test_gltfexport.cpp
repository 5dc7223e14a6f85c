#include "board/board.h"
#include "board/catalog.h"
#include "board/editor.h"
#include "export/gltfexport.h"
#include "io/projectfile.h"
#include "render/renderer.h"
#include "render/scenegeometry.h"

#include <QFile>
#include <QMatrix4x4>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace kelmira;

namespace {

constexpr int32_t kMicrochip = 2, kMotor = 8, kResistor = 11, kCapacitor = 12;
const QVector3D kMotorBrown(0.5f, 0.3f, 0.1f);

// One triangle or line in metres, in its colour as the screen shows it.
struct Element {
    int mode = 0;
    std::vector<QVector3D> points;
    QVector3D colour;
};

tinygltf::Model readBack(const QString& path, QString* error) {
    QFile f(path);
    const QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    tinygltf::Model model;
    tinygltf::TinyGLTF loader;
    std::string err, warn;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    const bool ok =
        path.endsWith(QLatin1String(".glb"))
            ? loader.LoadBinaryFromMemory(&model, &err, &warn, data, unsigned(bytes.size()))
            : loader.LoadASCIIFromString(&model, &err, &warn, bytes.constData(),
                                         unsigned(bytes.size()), "");
    *error = ok && warn.empty() ? QString() : QString::fromStdString(ok ? warn : err);
    return model;
}

float srgbFromLinear(double c) {
    return float(c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1 / 2.4) - 0.055);
}

// The node's triangles and lines, placed by its translation and rotation.
std::vector<Element> elementsOf(const tinygltf::Model& m, const tinygltf::Node& node) {
    QMatrix4x4 at;
    if (node.translation.size() == 3)
        at.translate(node.translation[0], node.translation[1], node.translation[2]);
    if (node.rotation.size() == 4)
        at.rotate(
            QQuaternion(node.rotation[3], node.rotation[0], node.rotation[1], node.rotation[2]));
    auto data = [&m](int accessor) {
        const tinygltf::Accessor& a = m.accessors[std::size_t(accessor)];
        const tinygltf::BufferView& v = m.bufferViews[std::size_t(a.bufferView)];
        return m.buffers[std::size_t(v.buffer)].data.data() + v.byteOffset + a.byteOffset;
    };
    std::vector<Element> out;
    for (const tinygltf::Primitive& p : m.meshes[std::size_t(node.mesh)].primitives) {
        const auto& c = m.materials[std::size_t(p.material)].pbrMetallicRoughness.baseColorFactor;
        const QVector3D colour(srgbFromLinear(c[0]), srgbFromLinear(c[1]), srgbFromLinear(c[2]));
        const auto* xyz = reinterpret_cast<const float*>(data(p.attributes.at("POSITION")));
        const tinygltf::Accessor& idx = m.accessors[std::size_t(p.indices)];
        const bool shorts = idx.componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT;
        const std::size_t per = p.mode == TINYGLTF_MODE_TRIANGLES ? 3 : 2;
        for (std::size_t i = 0; i + per <= idx.count; i += per) {
            Element e{p.mode, {}, colour};
            for (std::size_t k = i; k < i + per; ++k) {
                const std::size_t n = shorts
                                          ? reinterpret_cast<const uint16_t*>(data(p.indices))[k]
                                          : reinterpret_cast<const uint32_t*>(data(p.indices))[k];
                e.points.push_back(at.map(QVector3D(xyz[3 * n], xyz[3 * n + 1], xyz[3 * n + 2])));
            }
            out.push_back(std::move(e));
        }
    }
    return out;
}

QStringList nodeNames(const tinygltf::Model& m) {
    QStringList names;
    for (int n : m.scenes.at(0).nodes)
        names << QString::fromStdString(m.nodes[std::size_t(n)].name);
    return names;
}

// The scene as the panes draw it, in metres.
std::vector<Element> drawnElements(Board& board, const SceneSettings& s) {
    MeshCanvas c;
    drawScene(c, s, c.newQuadric(), board);
    const Mesh mesh = c.take();
    std::vector<Element> out;
    for (const MeshBatch& b : mesh.batches) {
        const bool tri = b.type == MeshBatch::Type::Triangles;
        for (int32_t i = b.first; i < b.first + b.count;) {
            const MeshVertex& first = mesh.vertices[std::size_t(i)];
            Element e{tri ? TINYGLTF_MODE_TRIANGLES : TINYGLTF_MODE_LINE,
                      {},
                      QVector3D(first.r, first.g, first.b)};
            for (int k = 0; k < (tri ? 3 : 2); ++k, ++i) {
                const MeshVertex& v = mesh.vertices[std::size_t(i)];
                e.points.push_back(QVector3D(v.x, v.y, v.z) * float(kMetresPerSceneUnit));
            }
            out.push_back(std::move(e));
        }
    }
    return out;
}

// A material holds its colour as the screen shows it, 8 bits a channel: at most half a step
// from the drawn one (and a little float noise from the sRGB round trip).
constexpr float kColourTolerance = 0.5f / 255 + 1e-5f;

bool near(const QVector3D& a, const QVector3D& b, float tolerance) {
    return std::abs(a.x() - b.x()) <= tolerance && std::abs(a.y() - b.y()) <= tolerance &&
           std::abs(a.z() - b.z()) <= tolerance;
}

bool sameElement(const Element& a, const Element& b) {
    if (a.mode != b.mode || a.points.size() != b.points.size() ||
        !near(a.colour, b.colour, kColourTolerance))
        return false;
    for (std::size_t i = 0; i < a.points.size(); ++i)
        if (!near(a.points[i], b.points[i], 1e-6f))
            return false;
    return true;
}

// How many exported elements have no drawn counterpart left (each drawn one matches once).
int unmatched(const std::vector<Element>& exported, const std::vector<Element>& drawn) {
    std::vector<bool> used(drawn.size(), false);
    int missing = 0;
    for (const Element& e : exported) {
        std::size_t i = 0;
        while (i < drawn.size() && (used[i] || !sameElement(e, drawn[i])))
            ++i;
        i < drawn.size() ? void(used[i] = true) : void(++missing);
    }
    return missing;
}

// Lowest and highest x, y, z.
std::pair<QVector3D, QVector3D> extent(const std::vector<Element>& elements) {
    QVector3D lo(1e9f, 1e9f, 1e9f), hi = -lo;
    for (const Element& e : elements)
        for (const QVector3D& p : e.points)
            for (int k = 0; k < 3; ++k) {
                lo[k] = std::min(lo[k], p[k]);
                hi[k] = std::max(hi[k], p[k]);
            }
    return {lo, hi};
}

bool hasColour(const std::vector<Element>& elements, int mode, const QVector3D& c) {
    return std::any_of(elements.begin(), elements.end(), [&](const Element& e) {
        return e.mode == mode && near(e.colour, c, kColourTolerance);
    });
}

QString kindName(int32_t kind) {
    return findKind(kind)->name;
}

} // namespace

class TestGltfExport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void modelIsTheKeptScene_data();
    void modelIsTheKeptScene();
    void nodesFollowTheBoardAndStage_data();
    void nodesFollowTheBoardAndStage();
    void equalNamesAreEqualMaterials_data();
    void equalNamesAreEqualMaterials();
    void independentReaderKeepsEveryVertex_data() { modelIsTheKeptScene_data(); }
    void independentReaderKeepsEveryVertex();
    void toolWritesModelsAndLeavesNothingOnFailure();

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

void TestGltfExport::modelIsTheKeptScene_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("binary") << "scene.glb";
    QTest::newRow("json") << "scene.gltf";
}

void TestGltfExport::modelIsTheKeptScene() {
    QFETCH(QString, file);
    Board board;
    // Several kinds at turns that tell +45 from -45 degrees, and two codes without a model.
    const int placed[][5] = {{20, 8, 20, kResistor, 0},   {40, 8, 20, kMotor, 0},
                             {60, 8, 40, kResistor, 1},   {30, 8, 90, 99, 0},
                             {80, 8, 70, kMicrochip, -2}, {100, 8, 110, kResistor, 3},
                             {120, 8, 30, 10, 0},         {110, 20, 60, kCapacitor, 2}};
    for (const auto& p : placed)
        board.PlaceComponent(p[0], p[1], p[2], 1, p[3], p[4]);
    SceneSettings s;
    s.boardColor = {0.2f, 0.4f, 0.8f};
    s.stageColor = {0.6f, 0.3f, 0.1f};
    const WriteOutcome written = exportGltf(board, s, path(file));
    QVERIFY2(written.ok, qPrintable(written.message));
    QString error;
    const tinygltf::Model m = readBack(path(file), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));

    const QString res = kindName(kResistor);
    QCOMPARE(nodeNames(m),
             (QStringList{gltfBoardName(), gltfStageName(), res + " 1", kindName(kMotor) + " 1",
                          res + " 2", kindName(kMicrochip) + " 1", res + " 3",
                          kindName(kCapacitor) + " 1"}));
    QCOMPARE(m.meshes.size(), std::size_t(2 + 4)); // each kind's model once
    for (const tinygltf::Material& mat : m.materials)
        QVERIFY(mat.extensions.count("KHR_materials_unlit"));

    std::vector<std::vector<Element>> ofNode;
    std::vector<Element> exported;
    for (const tinygltf::Node& n : m.nodes) {
        ofNode.push_back(elementsOf(m, n));
        exported.insert(exported.end(), ofNode.back().begin(), ofNode.back().end());
    }
    s.axisX = s.axisY = s.axisZ = false;
    SceneGeometry kept;
    kept.update(board, s);
    const Mesh& fixed = kept.mesh(SceneGeometry::Part::Fixed);
    const Mesh parts = kept.componentMesh();
    const auto lines = std::count_if(exported.begin(), exported.end(),
                                     [](const Element& e) { return e.mode == TINYGLTF_MODE_LINE; });
    QCOMPARE(int(exported.size() - lines), fixed.triangleCount() + parts.triangleCount());
    QCOMPARE(int(lines), fixed.lineCount() + parts.lineCount());

    // Every triangle and line where the panes draw it, in its colour: this also holds every
    // turn and the scale of one centimetre per scene unit.
    const std::vector<Element> drawn = drawnElements(board, s);
    QCOMPARE(unmatched(exported, drawn), 0);
    const auto got = extent(exported), want = extent(drawn);
    QVERIFY(near(got.first, want.first, 1e-6f) && near(got.second, want.second, 1e-6f));
    QCOMPARE(got.second.x() - got.first.x(), 0.24f); // the stage; the board is 20 cm

    QVERIFY(hasColour(ofNode[0], TINYGLTF_MODE_TRIANGLES, {0.2f, 0.4f, 0.8f}));
    QVERIFY(!hasColour(ofNode[0], TINYGLTF_MODE_TRIANGLES, {0.6f, 0.3f, 0.1f}));
    QVERIFY(hasColour(ofNode[1], TINYGLTF_MODE_TRIANGLES, {0.6f, 0.3f, 0.1f}));
    QVERIFY(hasColour(ofNode[1], TINYGLTF_MODE_LINE, {0.8f, 0.8f, 0.8f}));
    QVERIFY(hasColour(ofNode[3], TINYGLTF_MODE_TRIANGLES, kMotorBrown));
}

void TestGltfExport::nodesFollowTheBoardAndStage_data() {
    QTest::addColumn<bool>("stage");
    QTest::addColumn<QList<int>>("kinds"); // placed in a row, in this order
    QTest::addColumn<QStringList>("names");
    const QString board = gltfBoardName(), stage = gltfStageName();
    QTest::newRow("empty board") << true << QList<int>{} << QStringList{board, stage};
    QTest::newRow("empty board, stage off") << false << QList<int>{} << QStringList{board};
    QTest::newRow("stage off") << false << QList<int>{kCapacitor}
                               << QStringList{board, kindName(kCapacitor) + " 1"};
    // A kind without a model gets no node, and takes no number from its neighbours.
    QTest::newRow("unknown kinds")
        << true << QList<int>{0, kMotor, 35, -1, kMotor}
        << QStringList{board, stage, kindName(kMotor) + " 1", kindName(kMotor) + " 2"};
}

void TestGltfExport::nodesFollowTheBoardAndStage() {
    QFETCH(bool, stage);
    QFETCH(QList<int>, kinds);
    QFETCH(QStringList, names);
    Board board;
    for (int i = 0; i < kinds.size(); ++i)
        board.PlaceComponent(10 + 10 * i, 8, 50, 1, kinds[i], 0);
    SceneSettings s;
    s.stage = stage;
    QVERIFY(exportGltf(board, s, path("nodes.glb")).ok);
    QString error;
    QCOMPARE(nodeNames(readBack(path("nodes.glb"), &error)), names);
}

void TestGltfExport::equalNamesAreEqualMaterials_data() {
    QTest::addColumn<QVector3D>("stage");
    QTest::addColumn<QVector3D>("board");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("boardShares");     // the board's faces use the stage's material
    QTest::addColumn<bool>("componentShares"); // so do some faces of the component
    const QVector3D grey(128 / 255.f, 128 / 255.f, 128 / 255.f), green(0, 128 / 255.f, 0);
    const QVector3D blue(0.2f, 0.4f, 0.8f);
    // The varistor's rim is 0.5 grey, the stage 128/255: one colour on the screen.
    QTest::newRow("stage grey and varistor rim") << grey << green << 13 << false << true;
    QTest::newRow("a hair apart") << blue << blue + QVector3D(0.3f, -0.3f, 0.3f) / 255 << 0 << true
                                  << false;
    QTest::newRow("a step apart") << blue << blue + QVector3D(0, 0, 1) / 255 << 0 << false << false;
}

void TestGltfExport::equalNamesAreEqualMaterials() {
    QFETCH(QVector3D, stage);
    QFETCH(QVector3D, board);
    QFETCH(int, kind);
    QFETCH(bool, boardShares);
    QFETCH(bool, componentShares);
    Board b;
    if (kind)
        b.PlaceComponent(70, 8, 70, 1, kind, 0);
    SceneSettings s;
    s.stageColor = {stage.x(), stage.y(), stage.z()};
    s.boardColor = {board.x(), board.y(), board.z()};
    QVERIFY(exportGltf(b, s, path("materials.gltf")).ok);
    QString error;
    const tinygltf::Model m = readBack(path("materials.gltf"), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));

    // Names unique and equal to their colours: the fuzz_gltfexport target's check.
    auto facesMaterials = [&m](int node) {
        QSet<int> out;
        for (const tinygltf::Primitive& p :
             m.meshes[std::size_t(m.nodes[std::size_t(node)].mesh)].primitives)
            if (p.mode == TINYGLTF_MODE_TRIANGLES)
                out.insert(p.material);
        return out;
    };
    const QSet<int> ofStage = facesMaterials(1);
    QCOMPARE(ofStage.size(), 1);
    QCOMPARE(facesMaterials(0).contains(*ofStage.begin()), boardShares);
    if (kind)
        QCOMPARE(facesMaterials(2).contains(*ofStage.begin()), componentShares);
}

void TestGltfExport::independentReaderKeepsEveryVertex() {
    QFETCH(QString, file);
    const QString gltfpack = QStandardPaths::findExecutable(QStringLiteral("gltfpack"));
    if (gltfpack.isEmpty())
        QSKIP("gltfpack is not installed (Debian package gltfpack)");
    Board board;
    for (int i = 0; i < 22; ++i)
        board.PlaceComponent(10 + 5 * i, 8, 10 + 5 * i, 1, catalog()[std::size_t(i)].code, i);
    QVERIFY(exportGltf(board, SceneSettings{}, path(file)).ok);
    QString error;
    const tinygltf::Model m = readBack(path(file), &error);
    std::size_t written = 0;
    for (const tinygltf::Mesh& mesh : m.meshes)
        for (const tinygltf::Primitive& p : mesh.primitives)
            written += m.accessors[std::size_t(p.attributes.at("POSITION"))].count;

    // Nodes and materials kept, so that it only re-packs; it reports what it read and wrote.
    QProcess p;
    p.start(gltfpack, {"-v", "-kn", "-km", "-i", path(file), "-o", path("packed.glb")});
    QVERIFY(p.waitForFinished(60000));
    const QString report = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    QVERIFY2(p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0, qPrintable(report));
    static const QRegularExpression re(
        QStringLiteral("(input|output): \\d+ mesh primitives \\(\\d+ triangles, (\\d+) vertices"));
    QStringList counts;
    for (auto it = re.globalMatch(report); it.hasNext();)
        counts << it.next().captured(2);
    QCOMPARE(counts, QStringList(2, QString::number(written)));
}

void TestGltfExport::toolWritesModelsAndLeavesNothingOnFailure() {
    Editor editor;
    editor.PlaceStored(70, 8, 70, 1, kMotor, 0);
    const SaveResult saved = saveProject(editor.board(), path("tool"));
    QVERIFY2(saved.ok, qPrintable(saved.message));
    auto writeFile = [](const QString& name, const QByteArray& bytes) {
        QFile f(name);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    };
    QVERIFY(writeFile(path("stage-off.ini"), "[Form2]\nCheckBox1=0\n"));
    QString err;
    auto run = [&err](const QStringList& args) {
        QProcess p;
        p.start(QStringLiteral(KELMIRA_RENDER_EXE), args);
        if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
            return -1;
        err = QString::fromUtf8(p.readAllStandardError());
        return p.exitCode();
    };
    QCOMPARE(run({saved.path, "-o", path("tool.gltf"), "--settings", path("stage-off.ini")}), 0);
    QCOMPARE(nodeNames(readBack(path("tool.gltf"), &err)),
             (QStringList{gltfBoardName(), kindName(kMotor) + " 1"}));

    // An unreadable project or a missing folder: a Russian message, exit 1, and an existing
    // file stays as it was; a picture option with a model is a usage error.
    QVERIFY(writeFile(path("old.glb"), "old"));
    QCOMPARE(run({path("missing.kelmar"), "-o", path("old.glb")}), 1);
    QVERIFY2(err.contains(QStringLiteral("ошибка")), qPrintable(err));
    QFile old(path("old.glb"));
    QVERIFY(old.open(QIODevice::ReadOnly) && old.readAll() == "old");
    QCOMPARE(run({saved.path, "-o", path("none/board.glb")}), 1);
    QVERIFY2(err.contains(QStringLiteral("не существует")), qPrintable(err));
    QCOMPARE(run({saved.path, "-o", path("b.glb"), "--view", "top"}), 2);
    QVERIFY(!QFile::exists(path("none/board.glb")) && !QFile::exists(path("b.glb")));
}

QTEST_GUILESS_MAIN(TestGltfExport)
#include "test_gltfexport.moc"
