#include "app/mainwindow.h"
#include "app/russian.h"
#include "render/glpane.h"
#include "windows/aboutwindow.h"
#include "windows/settingswindow.h"

#include <QApplication>
#include <QDirIterator>
#include <QIcon>
#include <QSurfaceFormat>

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

    // Creation order: the main window, then the settings window, then the about window.
    kelmira::TForm1 form1;
    kelmira::TForm2 form2;
    kelmira::TForm3 form3;
    form1.attachWindows(&form2, &form3);

    QObject::connect(&form1, &kelmira::TForm1::formClosed, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    form1.show();
    return app.exec();
}
