// Starts the editor's windows exactly as the program does, waits until each of the four panes
// has presented its first frame, prints the time that took and the view area's geometry, and
// quits. The settings file is read from bin/Data as the editor would, and never written.
#include "app/mainwindow.h"
#include "render/glpane.h"
#include "render/panewidget.h"
#include "windows/aboutwindow.h"
#include "windows/settingswindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSurfaceFormat>
#include <QTextStream>
#include <QTimer>

#include <array>

int main(int argc, char** argv) {
    QElapsedTimer clock;
    clock.start();

    QSurfaceFormat::setDefaultFormat(kelmira::paneSurfaceFormat());

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelmira"));
    const qint64 appReady = clock.nsecsElapsed();

    kelmira::TForm1 form1;
    kelmira::TForm2 form2;
    kelmira::TForm3 form3;
    form1.attachWindows(&form2, &form3);
    const qint64 windowsBuilt = clock.nsecsElapsed();

    std::array<bool, 4> swapped{};
    qint64 firstFrame = -1;
    QTextStream out(stdout);
    for (int i = 0; i < 4; ++i) {
        kelmira::PaneWidget* pane = form1.pane(static_cast<kelmira::Pane>(i + 1));
        QObject::connect(pane, &QOpenGLWidget::frameSwapped, &app, [&, i] {
            swapped[size_t(i)] = true;
            if (firstFrame < 0 && swapped == std::array<bool, 4>{true, true, true, true}) {
                firstFrame = clock.nsecsElapsed();
                // exit, not quit: quit closes the windows, and the main window would ask first.
                QTimer::singleShot(0, &app, [] { QCoreApplication::exit(0); });
            }
        });
    }
    // A machine that cannot draw at all must not hang the measurement.
    QTimer::singleShot(30000, &app, [&] {
        out << "no first frame within 30 s\n";
        QCoreApplication::exit(1);
    });

    form1.show();
    const int rc = app.exec();
    if (firstFrame >= 0) {
        auto ms = [](qint64 ns) { return QString::number(ns / 1e6, 'f', 1); };
        const QWidget* p6 = form1.panel6();
        const QWidget* front = form1.pane(kelmira::Pane::Front);
        out << "application object: " << ms(appReady) << " ms\n"
            << "windows built:      " << ms(windowsBuilt) << " ms\n"
            << "first frame, all four panes: " << ms(firstFrame) << " ms\n"
            << "window " << form1.width() << "x" << form1.height() << ", Panel6 " << p6->width()
            << "x" << p6->height() << ", front pane " << front->width() << "x" << front->height()
            << " at " << front->mapTo(p6, QPoint(0, 0)).x() << ","
            << front->mapTo(p6, QPoint(0, 0)).y() << " in Panel6\n";
    }
    out.flush();
    // Leave without the close question and without writing the settings file.
    return rc;
}
