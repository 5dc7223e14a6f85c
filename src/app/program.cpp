#include "app/program.h"

#include "app/mainwindow.h"
#include "app/projectkeeper.h"
#include "windows/aboutwindow.h"
#include "windows/settingswindow.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

namespace kelmira {

CommandLine parseCommandLine(const QStringList& arguments) {
    CommandLine c;
    bool options = true;
    QStringList files;
    for (const QString& a : arguments) {
        if (options && a == QLatin1String("--")) {
            options = false;
        } else if (options && (a == QLatin1String("-h") || a == QLatin1String("--help"))) {
            c.action = CommandLine::Action::Help;
            return c;
        } else if (options && a.size() > 1 && a.startsWith(QLatin1Char('-'))) {
            c.action = CommandLine::Action::Error;
            c.error = QStringLiteral("kelmira: неизвестный параметр «%1»").arg(a);
            return c;
        } else {
            files.append(a);
        }
    }
    if (files.size() > 1) {
        c.action = CommandLine::Action::Error;
        c.error = QStringLiteral("kelmira: можно указать только один файл проекта");
    } else if (files.size() == 1 && !files.first().isEmpty()) {
        c.project = QFileInfo(files.first()).absoluteFilePath();
    }
    return c;
}

QString usageText() {
    return QStringLiteral(
        "Использование: kelmira [ПРОЕКТ.kelmar]\n"
        "\n"
        "Запускает редактор печатных плат Kelmira. Если указан файл проекта, он загружается\n"
        "сразу после запуска.\n"
        "\n"
        "  -h, --help   показать эту справку и выйти\n");
}

int runProgram(QApplication& app, const QString& programFolder, const QString& project) {
    // Creation order: the main window, then the settings window, then the about window.
    TForm1 form1;
    form1.setProgramFolder(programFolder);
    form1.setSettingsPath(QDir(programFolder).filePath(QStringLiteral("Data/Settings.ini")));
    TForm2 form2;
    TForm3 form3;
    form1.attachWindows(&form2, &form3);

    QObject::connect(&form1, &TForm1::formClosed, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    form1.show();
    // After the first show, which applied the stored settings, inside the message loop.
    StartUp start;
    start.project = project;
    QTimer::singleShot(0, &form1, [&form1, start] { form1.startUp(start); });
    return app.exec();
}

} // namespace kelmira
