#pragma once

#include "app/mainwindow.h"
#include "windows/aboutwindow.h"
#include "windows/settingswindow.h"

#include <QDir>
#include <QTest>

#include <memory>

// The program's three windows, created in the program's order, with every file the main window
// writes (settings, scratch file, screenshots) kept inside `folder`.
struct EditorWindows {
    std::unique_ptr<kelmira::TForm1> form1;
    std::unique_ptr<kelmira::TForm2> form2;
    std::unique_ptr<kelmira::TForm3> form3;

    explicit EditorWindows(const QString& folder) {
        QDir(folder).mkpath(QStringLiteral("Data"));
        form1 = std::make_unique<kelmira::TForm1>();
        form1->setSettingsPath(folder + QStringLiteral("/Data/Settings.ini"));
        form1->setScratchPath(folder + QStringLiteral("/Data/Clear.ini"));
        form1->setProgramFolder(folder);
        form2 = std::make_unique<kelmira::TForm2>();
        form3 = std::make_unique<kelmira::TForm3>();
        form1->attachWindows(form2.get(), form3.get());
        form1->show();
        if (!QTest::qWaitForWindowExposed(form1.get()))
            qWarning("main window not exposed");
    }
};
