// Every write the program makes, made to fail: into a read-only folder, a missing folder, a
// "folder" that is a file, a disk that fills up midway and a device that takes no byte. Each
// must end in a message that names the file, leave the old file as it was and nothing beside
// it, leave the board alone, and let the same write succeed once the fault is gone.

#include "board/editor.h"
#include "faultenv.h"
#include "io/deletecommand.h"
#include "io/filewrite.h"
#include "io/imageexport.h"
#include "io/projectfile.h"
#include "settings/settingsfile.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace kelmira;
using namespace kelmira::faulttest;

namespace {

enum class Writer { Project, Settings, Scratch, Screenshot, ImageBmp, ImageJpg };
enum class Fault { ReadOnlyFolder, MissingFolder, ParentIsFile, FailsMidway, FullDevice };

struct Outcome {
    bool ok = false;
    QString message;
};

QString fileNameOf(Writer w) {
    switch (w) {
    case Writer::Project:
        return QStringLiteral("plan.kelmar");
    case Writer::Settings:
        return QStringLiteral("Settings.ini");
    case Writer::Scratch:
        return QStringLiteral("Clear.ini");
    case Writer::Screenshot:
        return QStringLiteral("Screenshot07.12.2026_2.15.00.bmp");
    case Writer::ImageBmp:
        return QStringLiteral("view.bmp");
    case Writer::ImageJpg:
        return QStringLiteral("view.jpg");
    }
    return {};
}

// Noise, so that even the JPEG is far larger than the size limit.
QImage viewPicture() {
    QImage image(160, 120, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, random.generate() | 0xFF000000u);
    return image;
}

// Everything of the editor a user could see change.
struct EditorState {
    std::vector<StoredRecord> records;
    QStringList entries;
    int highlighted = -1;
    const tDetal* selected = nullptr;
    std::vector<std::pair<int32_t, int32_t>> cells;
    bool operator==(const EditorState&) const = default;
};

EditorState stateOf(const Editor& e) {
    EditorState s{boardRecords(e.board()), e.entryTexts(), e.highlighted(), e.SelDetal(), {}};
    for (int32_t c : e.board().occupiedCells())
        s.cells.emplace_back(c, e.board().gridData()[c]);
    return s;
}

Outcome write(Writer w, const QString& folder, Editor& e, const StoredSettings& settings) {
    const QString path = QDir(folder).filePath(fileNameOf(w));
    switch (w) {
    case Writer::Project: {
        const SaveResult r = saveProject(e.board(), QDir(folder).filePath(QStringLiteral("plan")));
        return {r.ok, r.message};
    }
    case Writer::Settings: {
        IniFile ini(path);
        const QString message = saveSettings(ini, settings);
        return {message.isEmpty(), message};
    }
    case Writer::Scratch: {
        const DeleteResult r = deleteHighlighted(e, path);
        return {r.ok(), r.message};
    }
    case Writer::Screenshot: {
        const ImageResult r = saveScreenshot(viewPicture(), path);
        return {r.ok, r.message};
    }
    case Writer::ImageBmp:
    case Writer::ImageJpg: {
        const QString name = QDir(folder).filePath(QStringLiteral("view"));
        const int type = int(w == Writer::ImageBmp ? ImageFileType::Bmp : ImageFileType::Jpg);
        const ImageResult r = saveImage(viewPicture(), name, type);
        return {r.ok, r.message};
    }
    }
    return {};
}

QStringList listing(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

const auto kOpen = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                   QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther |
                   QFileDevice::ExeOther;
const auto kLocked = kOpen & ~QFileDevice::Permissions(QFileDevice::WriteOwner);

} // namespace

Q_DECLARE_METATYPE(Writer)
Q_DECLARE_METATYPE(Fault)

class TestWriteFaults : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void failedWriteLosesNothing_data();
    void failedWriteLosesNothing();
};

void TestWriteFaults::failedWriteLosesNothing_data() {
    QTest::addColumn<Writer>("writer");
    QTest::addColumn<Fault>("fault");
    const std::pair<Writer, const char*> writers[] = {
        {Writer::Project, "project save"},   {Writer::Settings, "settings save"},
        {Writer::Scratch, "delete scratch"}, {Writer::Screenshot, "screenshot"},
        {Writer::ImageBmp, "image as BMP"},  {Writer::ImageJpg, "image as JPEG"}};
    const std::pair<Fault, const char*> faults[] = {{Fault::ReadOnlyFolder, "read-only folder"},
                                                    {Fault::MissingFolder, "missing folder"},
                                                    {Fault::ParentIsFile, "folder is a file"},
                                                    {Fault::FailsMidway, "disk full midway"},
                                                    {Fault::FullDevice, "full device"}};
    for (const auto& [w, wname] : writers)
        for (const auto& [f, fname] : faults)
            QTest::addRow("%s, %s", wname, fname) << w << f;
}

void TestWriteFaults::failedWriteLosesNothing() {
    QFETCH(Writer, writer);
    QFETCH(Fault, fault);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // "nobody" must reach the folders inside to be refused only the write.
    QVERIFY(QFile::setPermissions(dir.path(), kOpen));

    const QString name = fileNameOf(writer);
    const QByteArray old =
        writer == Writer::Settings
            ? QByteArray("; kept by hand\n[Form2]\nTrackBar1=60\n[Mine]\nKey=1\n")
            : QByteArray("old content\n");
    QString folder;
    switch (fault) {
    case Fault::ReadOnlyFolder:
    case Fault::FailsMidway:
        folder = dir.filePath(QStringLiteral("Data"));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(writeContent(QDir(folder).filePath(name), old));
        break;
    case Fault::MissingFolder:
        folder = dir.filePath(QStringLiteral("missing"));
        break;
    case Fault::ParentIsFile:
        folder = dir.filePath(QStringLiteral("plain"));
        QVERIFY(writeContent(folder, "a file"));
        break;
    case Fault::FullDevice:
        folder = dir.filePath(QStringLiteral("dev"));
        QVERIFY(QDir().mkpath(folder));
        if (!makeFullDevice(QDir(folder).filePath(name)))
            QSKIP("device nodes cannot be made here");
        break;
    }
    const QString target = QDir(folder).filePath(name);
    if (fault == Fault::ReadOnlyFolder) {
        QVERIFY(QFile::setPermissions(folder, kLocked));
        AsNobody nobody;
        QFile probe(QDir(folder).filePath(QStringLiteral("probe")));
        if (probe.open(QIODevice::WriteOnly)) {
            probe.remove();
            QFile::setPermissions(folder, kOpen);
            QSKIP("folder permissions do not bind this process");
        }
    }

    // Enough components that a project or scratch file is far beyond the size limit.
    Editor e;
    for (int i = 0; i < 300; ++i)
        e.PlaceStored(10 + i % 100, 10 + i / 100, 20, 1 + i % 4, 11 + i % 5, i);
    e.setHighlighted(1);
    QCOMPARE(e.Select(), Editor::SelectResult::Selected);
    StoredSettings settings;
    settings.form1Color = 0x123456;
    settings.scrollBox1Color = 0x654321;
    settings.trackBar1 = 100;
    const EditorState before = stateOf(e);
    const QStringList around = listing(folder);

    Outcome out;
    if (fault == Fault::ReadOnlyFolder) {
        AsNobody nobody;
        out = write(writer, folder, e, settings);
    } else if (fault == Fault::FailsMidway) {
        FileSizeLimit limit(128);
        QVERIFY(limit.active());
        out = write(writer, folder, e, settings);
    } else {
        out = write(writer, folder, e, settings);
    }
    QFile::setPermissions(folder, kOpen);

    // What was there before comes first: losing it is worse than a wrong answer.
    switch (fault) {
    case Fault::ReadOnlyFolder:
    case Fault::FailsMidway:
        QCOMPARE(contentOf(target), old);
        QCOMPARE(listing(folder), around);
        break;
    case Fault::MissingFolder:
        QVERIFY(!QFileInfo::exists(folder));
        break;
    case Fault::ParentIsFile:
        QCOMPARE(contentOf(folder), QByteArray("a file"));
        break;
    case Fault::FullDevice:
        QVERIFY2(isCharacterDevice(target), "the device was replaced by a file");
        QCOMPARE(listing(folder), around);
        break;
    }
    QVERIFY2(!out.ok, "the failed write was reported as a success");
    if (writer == Writer::Settings) {
        QCOMPARE(out.message, unableToWriteMessage(QFileInfo(target).absoluteFilePath()));
    } else {
        QVERIFY2(out.message.contains(displayPath(target)), qPrintable(out.message));
        QVERIFY2(out.message.contains(QStringLiteral("Не удалось")), qPrintable(out.message));
    }
    if (writer == Writer::Scratch)
        QVERIFY2(out.message.contains(QStringLiteral("не удалена")), qPrintable(out.message));

    QVERIFY(stateOf(e) == before);

    // The program goes on: the same write succeeds once there is somewhere to put it.
    const QString good = dir.filePath(QStringLiteral("good"));
    QVERIFY(QDir().mkpath(good));
    const Outcome again = write(writer, good, e, settings);
    QVERIFY2(again.ok, qPrintable(again.message));
    QVERIFY(QFileInfo(QDir(good).filePath(name)).size() > 0);
    if (writer == Writer::Scratch)
        QCOMPARE(e.board().count(), int32_t(before.records.size()) - 1);
}

QTEST_MAIN(TestWriteFaults)
#include "test_writefaults.moc"
