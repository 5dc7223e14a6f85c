#include "aboutwindow.h"
#include "mainwindow.h"
#include "panewidget.h"
#include "settingswindow.h"

#include <QApplication>
#include <QSurfaceFormat>

int main(int argc, char** argv) {
    // The window that holds the panes composes them with a context of the panes' own kind.
    QSurfaceFormat::setDefaultFormat(kelmira::PaneWidget::paneFormat());

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelmira"));

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
