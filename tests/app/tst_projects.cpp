// Keeping the user's work: the autosave and its recovery through the program itself (killed
// with SIGKILL), a second copy of the program in the same folder, a failing write, the recent
// projects and the project named on the command line.
#include "../faults/faultenv.h"
#include "app/mainwindow.h"
#include "app/program.h"
#include "app/projectkeeper.h"
#include "editorwindows.h"
#include "io/projectfile.h"
#include "modalhelper.h"
#include "render/glpane.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProcess>
#include <QSurfaceFormat>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstring>

using namespace kelmira;
using namespace std::chrono_literals;

namespace {

const char kRunProgram[] = "--run-program";

// The program as main() runs it, with its files in `folder`; once up, it is edited as a user
// would: three components placed, two of them moved or turned. Prints "edited" when done.
int runEditedProgram(int argc, char** argv) {
    QSurfaceFormat::setDefaultFormat(paneSurfaceFormat());
    QApplication app(argc, argv);
    QTimer::singleShot(300, [] {
        TForm1* f = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (!f)
                f = qobject_cast<TForm1*>(w);
        auto click = [f](const char* name, int times) {
            for (int i = 0; i < times; ++i)
                f->findChild<QAbstractButton*>(QLatin1String(name))->click();
        };
        f->findChild<QAction*>(QStringLiteral("N29"))->trigger(); // resistor
        click("btnRight", 4);
        f->findChild<QAction*>(QStringLiteral("N63"))->trigger(); // display
        click("btnVpered", 4);
        f->findChild<QAction*>(QStringLiteral("N29"))->trigger();
        click("SpeedButton3", 3);
        std::puts("edited");
        std::fflush(stdout);
    });
    return runProgram(app, QString::fromLocal8Bit(argv[2]), QString());
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray boardBytes(TForm1* f) {
    return encodeRecords(boardRecords(f->editor().board()));
}

// A copy of the program edited as above, started in `folder`.
struct EditedProgram {
    QProcess process;
    explicit EditedProgram(const QString& folder) {
        process.setProgram(QCoreApplication::applicationFilePath());
        process.setArguments({QLatin1String(kRunProgram), folder});
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start();
    }
    bool edited() {
        QByteArray out;
        for (int i = 0; i < 300 && !out.contains("edited"); ++i) {
            process.waitForReadyRead(100);
            out += process.readAllStandardOutput();
        }
        return out.contains("edited");
    }
    ~EditedProgram() {
        process.kill();
        process.waitForFinished();
    }
};

QString copyOf(const QString& folder) {
    return folder + QStringLiteral("/Data/Autosave.kelmar");
}

StartUp quickStart(const QString& project = QString()) {
    StartUp s;
    s.project = project;
    s.autosaveDelay = 100ms;
    return s;
}

} // namespace

class TestProjects : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void killedProgramsBoardComesBack();
    void secondCopyKeepsOffTheFirstsCopy();
    void failingWriteLeavesTheWorkAlone();
    void recentProjects();
    void commandLine_data();
    void commandLine();
    void projectOnTheCommandLine_data();
    void projectOnTheCommandLine();
};

void TestProjects::killedProgramsBoardComesBack() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Data")));
    QByteArray copy;
    {
        EditedProgram program(dir.path());
        QVERIFY(program.edited());
        QTRY_VERIFY_WITH_TIMEOUT(readAll(copyOf(dir.path())).startsWith("3\r\n"), 10000);
        copy = readAll(copyOf(dir.path()));
        QVERIFY(program.process.state() == QProcess::Running);
        program.process.kill(); // SIGKILL: nothing of the program's own runs any more
        QVERIFY(program.process.waitForFinished());
    }
    QCOMPARE(readAll(copyOf(dir.path())), copy);

    {
        EditorWindows w(dir.path());
        std::shared_ptr<ModalSeen> loaded;
        auto question = answerNextModal([&loaded](QWidget* box) {
            press(QMessageBox::Yes)(box);
            loaded = answerNextModal(press(QMessageBox::Ok), box);
        });
        w.form1->startUp(quickStart());
        QCOMPARE(question->objectName, QStringLiteral("RecoveryQuestion"));
        QVERIFY2(question->text.startsWith(QStringLiteral("Обнаружена несохранённая плата от ")),
                 qPrintable(question->text));
        QVERIFY(loaded && loaded->seen);
        QCOMPARE(boardBytes(w.form1.get()), copy);
        QCOMPARE(w.form1->findChild<QListWidget*>(QStringLiteral("ListBox2"))->count(), 3);
        // Restored, the board is still unsaved work until a save or a close that gives it up.
        QTest::qWait(300);
        QVERIFY(QFile::exists(copyOf(dir.path())));
        auto saveQuestion = answerNextModal(press(QMessageBox::No));
        QVERIFY(w.form1->close());
        QVERIFY(saveQuestion->seen);
        QVERIFY(!QFile::exists(copyOf(dir.path())));
    }
    {
        EditorWindows w(dir.path());
        auto any = answerNextModal(press(QMessageBox::No));
        w.form1->startUp(quickStart());
        QVERIFY2(!any->seen, qPrintable(any->text));
        QCOMPARE(w.form1->editor().board().count(), 0);
        QVERIFY(w.form1->close());
        QCOMPARE(any->objectName, QStringLiteral("SaveQuestion"));
    }
}

void TestProjects::secondCopyKeepsOffTheFirstsCopy() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Data")));
    EditedProgram first(dir.path());
    QVERIFY(first.edited());
    QTRY_VERIFY_WITH_TIMEOUT(readAll(copyOf(dir.path())).startsWith("3\r\n"), 10000);
    const QByteArray firsts = readAll(copyOf(dir.path()));

    EditorWindows w(dir.path());
    auto any = answerNextModal(press(QMessageBox::No));
    w.form1->startUp(quickStart());
    QVERIFY2(!any->seen, "the running program's copy is not offered");
    QVERIFY(!w.form1->projectKeeper()->statusPanel()->text().isEmpty());
    w.form1->findChild<QAction*>(QStringLiteral("N63"))->trigger();
    QTest::qWait(500);
    QVERIFY(w.form1->close()); // answered No: gives up this window's work, not the other's
    QCOMPARE(readAll(copyOf(dir.path())), firsts);
}

void TestProjects::failingWriteLeavesTheWorkAlone() {
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("Data"));
    EditorWindows w(dir.path());
    TForm1* f = w.form1.get();
    f->startUp(quickStart());
    QLabel* status = f->projectKeeper()->statusPanel();
    f->findChild<QAction*>(QStringLiteral("N29"))->trigger();
    QTRY_VERIFY(QFile::exists(copyOf(dir.path())));
    const QByteArray before = readAll(copyOf(dir.path()));

    // Answers the save question at the end; any box before it would be a fault.
    auto box = answerNextModal(press(QMessageBox::No));
    QVERIFY(QFile::setPermissions(data, QFile::ReadOwner | QFile::ExeOwner));
    {
        // The write runs on a thread started from here, which checks access as this one does.
        faulttest::AsNobody nobody;
        f->findChild<QAction*>(QStringLiteral("N63"))->trigger();
        QTRY_VERIFY(status->text().startsWith(QStringLiteral("Автосохранение не удалось")));
    }
    QVERIFY(QFile::setPermissions(data, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QVERIFY2(!box->seen, qPrintable(box->text));
    QCOMPARE(readAll(copyOf(dir.path())), before);
    QCOMPARE(f->editor().board().count(), 2);
    QCOMPARE(f->findChild<QListWidget*>(QStringLiteral("ListBox2"))->count(), 2);

    // The work goes on, and the next change is written again.
    f->findChild<QAction*>(QStringLiteral("N29"))->trigger();
    QTRY_COMPARE(readAll(copyOf(dir.path())), boardBytes(f));
    QTRY_VERIFY(status->text().isEmpty());
    QVERIFY(f->close());
    QCOMPARE(box->objectName, QStringLiteral("SaveQuestion"));
}

void TestProjects::recentProjects() {
    QTemporaryDir dir;
    auto project = [&dir](const char* name, int count) {
        const QString path = dir.filePath(QLatin1String(name));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        std::vector<StoredRecord> records(std::size_t(count), StoredRecord{20, 5, 2, 1, 11, 0});
        for (int i = 0; i < count; ++i)
            records[std::size_t(i)].X += 10 * i;
        file.write(encodeRecords(records));
        return path;
    };
    const QString a = project("a.kelmar", 1), b = project("b & c.kelmar", 2);
    const QString saved = dir.filePath(QStringLiteral("saved"));
    auto entries = [](TForm1* f) {
        QMenu* menu = f->findChild<QMenu*>(QStringLiteral("RecentProjects"));
        Q_EMIT menu->aboutToShow();
        QStringList out;
        for (QAction* act : menu->actions())
            out << act->text();
        return out;
    };
    {
        EditorWindows w(dir.path());
        TForm1* f = w.form1.get();
        f->startUp(quickStart());
        QCOMPARE(entries(f), QStringList{QStringLiteral("Список пуст")});
        f->openProject(a, false);
        f->openProject(b, false);
        // A change is copied; the save then takes the copy away.
        f->findChild<QAction*>(QStringLiteral("N29"))->trigger();
        QTRY_VERIFY(QFile::exists(copyOf(dir.path())));
        auto dialog = answerNextModal([saved](QWidget* d) {
            fileDialogAnswer(saved)(d);
            answerNextModal(press(QMessageBox::Ok));
        });
        f->ToolButton4Click();
        QVERIFY(dialog->seen);
        QVERIFY(!QFile::exists(copyOf(dir.path())));
        QCOMPARE(entries(f), (QStringList{"&1 " + saved + ".kelmar",
                                          "&2 " + dir.path() + "/b && c.kelmar", "&3 " + a}));
        // A file gone since: said so, dropped, and the board is left as it was.
        QVERIFY(QFile::remove(b));
        auto gone = answerNextModal(press(QMessageBox::Ok));
        f->findChild<QAction*>(QStringLiteral("RecentProject2"))->trigger();
        QVERIFY2(gone->text.contains(QStringLiteral("не найден")), qPrintable(gone->text));
        QCOMPARE(f->editor().board().count(), 3);
        QCOMPARE(entries(f), (QStringList{"&1 " + saved + ".kelmar", "&2 " + a}));
        auto loaded = answerNextModal(press(QMessageBox::Ok));
        f->findChild<QAction*>(QStringLiteral("RecentProject2"))->trigger();
        QCOMPARE(loaded->text, QStringLiteral("Данные успешно загружены!"));
        QCOMPARE(f->editor().board().count(), 1);
        answerNextModal(press(QMessageBox::No));
        QVERIFY(f->close());
    }
    EditorWindows again(dir.path());
    again.form1->startUp(quickStart());
    QCOMPARE(entries(again.form1.get()), (QStringList{"&1 " + a, "&2 " + saved + ".kelmar"}));
    answerNextModal(press(QMessageBox::No));
    QVERIFY(again.form1->close());
}

void TestProjects::commandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("project");
    const QString here = QDir::currentPath();
    const int run = int(CommandLine::Action::Run), help = int(CommandLine::Action::Help),
              error = int(CommandLine::Action::Error);
    QTest::newRow("nothing") << QStringList{} << run << QString();
    QTest::newRow("relative file made absolute")
        << QStringList{"plan.kelmar"} << run << here + "/plan.kelmar";
    QTest::newRow("--help") << QStringList{"plan.kelmar", "--help"} << help << QString();
    QTest::newRow("-h") << QStringList{"-h"} << help << QString();
    QTest::newRow("a file that looks like an option, after --")
        << QStringList{"--", "-x.kelmar"} << run << here + "/-x.kelmar";
    QTest::newRow("unknown option") << QStringList{"--bogus"} << error << QString();
    QTest::newRow("two files") << QStringList{"a.kelmar", "b.kelmar"} << error << QString();
}

void TestProjects::commandLine() {
    QFETCH(QStringList, arguments);
    QFETCH(int, action);
    QFETCH(QString, project);
    const CommandLine c = parseCommandLine(arguments);
    QCOMPARE(int(c.action), action);
    QCOMPARE(c.project, project);
    QCOMPARE(c.error.isEmpty(), c.action != CommandLine::Action::Error);
}

void TestProjects::projectOnTheCommandLine_data() {
    QTest::addColumn<QByteArray>("content"); // empty: no such file
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("box");
    QTest::newRow("good")
        << QByteArray("2\r\n35\r\n5\r\n2\r\n1\r\n11\r\n0\r\n50\r\n5\r\n2\r\n1\r\n9\r\n0\r\n") << 2
        << QString();
    QTest::newRow("missing") << QByteArray() << 0 << "ErrorBox";
    QTest::newRow("damaged after a good record")
        << QByteArray("2\r\n35\r\n5\r\n2\r\n1\r\n11\r\n0\r\n50\r\nfünf\r\n") << 0 << "ErrorBox";
}

void TestProjects::projectOnTheCommandLine() {
    QFETCH(QByteArray, content);
    QFETCH(int, count);
    QFETCH(QString, box);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("проект.kelmar"));
    if (!content.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    EditorWindows w(dir.path());
    // An error box is closed; without one, this answers the save question at the end.
    auto seen = answerNextModal(press(QMessageBox::No));
    w.form1->startUp(quickStart(path));
    QCOMPARE(seen->seen ? seen->objectName : QString(), box);
    QCOMPARE(w.form1->editor().board().count(), count);
    QCOMPARE(w.form1->findChild<QListWidget*>(QStringLiteral("ListBox2"))->count(), count);
    // What start-up left is no unsaved work: nothing to autosave.
    QTest::qWait(400);
    QVERIFY(!QFile::exists(copyOf(dir.path())));
    if (!box.isEmpty())
        answerNextModal(press(QMessageBox::No));
    QVERIFY(w.form1->close());
}

int main(int argc, char** argv) {
    if (argc == 3 && !std::strcmp(argv[1], kRunProgram))
        return runEditedProgram(argc, argv);
    QSurfaceFormat::setDefaultFormat(paneSurfaceFormat());
    QApplication app(argc, argv);
    TestProjects test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_projects.moc"
