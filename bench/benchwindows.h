#pragma once

#include "app/mainwindow.h"
#include "windows/aboutwindow.h"
#include "windows/settingswindow.h"

#include <QDir>

#include <memory>

// The editor's three windows for a benchmark, with every file the main window writes kept in
// `folder`; not shown yet, so that a board can be filled first.
struct BenchWindows {
    kelmira::TForm2 form2;
    kelmira::TForm3 form3;
    std::unique_ptr<kelmira::TForm1> form1; // destroyed first

    explicit BenchWindows(const QString& folder) : form1(std::make_unique<kelmira::TForm1>()) {
        const QDir dir(folder);
        form1->setSettingsPath(dir.filePath(QStringLiteral("Settings.ini")));
        form1->setScratchPath(dir.filePath(QStringLiteral("Clear.ini")));
        form1->setProgramFolder(folder);
        form1->attachWindows(&form2, &form3);
    }
};
