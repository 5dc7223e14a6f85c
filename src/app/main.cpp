#include "app/program.h"
#include "app/russian.h"
#include "render/glpane.h"

#include <QApplication>
#include <QDirIterator>
#include <QIcon>
#include <QSurfaceFormat>

#include <cstdio>
#include <cstring>

namespace {

// The PNG sizes rendered from resources/kelmira.svg when the program is built.
QIcon programIcon() {
    QIcon icon;
    QDirIterator it(QStringLiteral(":/kelmira/icon"), {QStringLiteral("*.png")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        icon.addFile(it.next());
    return icon;
}

} // namespace

int main(int argc, char** argv) {
    // Before the application object, which needs a display: the usage prints without one.
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i)
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            std::fputs(kelmira::usageText().toLocal8Bit().constData(), stdout);
            return 0;
        }

    // The window that holds the panes composes them with a context of the panes' own kind.
    QSurfaceFormat::setDefaultFormat(kelmira::paneSurfaceFormat());
    // One share group for the four panes: they keep one copy of the scene's buffers.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelmira"));
    // The application icon is the icon of every window that sets none of its own (the main,
    // settings and about windows) and of their task bar entries; the desktop file name lets the
    // desktop match the windows to the installed menu entry.
    QApplication::setWindowIcon(programIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("kelmira"));
    kelmira::installRussian(app);

    const kelmira::CommandLine line = kelmira::parseCommandLine(app.arguments().mid(1));
    if (line.action != kelmira::CommandLine::Action::Run) {
        const bool help = line.action == kelmira::CommandLine::Action::Help;
        const QString text = help ? kelmira::usageText()
                                  : line.error + QStringLiteral("\n\n") + kelmira::usageText();
        std::fputs(text.toLocal8Bit().constData(), help ? stdout : stderr);
        return help ? 0 : 2;
    }
    return kelmira::runProgram(app, QCoreApplication::applicationDirPath(), line.project);
}
