#pragma once

#include <QString>
#include <QStringList>

class QApplication;

namespace kelmira {

// What the command line asks for: `kelmira [PROJECT.kelmar]`, or `kelmira --help`.
struct CommandLine {
    enum class Action { Run, Help, Error };
    Action action = Action::Run;
    QString project; // absolute, or empty
    QString error;   // for Error, in Russian
};

// The arguments after the program's own name (Qt's own options already taken out).
CommandLine parseCommandLine(const QStringList& arguments);
QString usageText();

// Creates the three windows in the program's order with their files in `programFolder`, shows
// the main window, runs the start-up (the recovery question, the project from the command
// line) and then the message loop until the main window closes.
int runProgram(QApplication& app, const QString& programFolder, const QString& project);

} // namespace kelmira
