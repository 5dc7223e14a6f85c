// The main window's start-up beyond the Parts' and the recent projects: the wiring of the
// project keeper, which holds the logic.
#include "app/mainwindow.h"

#include "app/projectkeeper.h"
#include "io/filewrite.h"
#include "io/projectfile.h"

#include <QFileInfo>
#include <QMessageBox>

namespace kelmira {

void TForm1::startUp(const StartUp& start) {
    if (m_keeper)
        return;
    m_keeper = new ProjectKeeper(m_programFolder, editor().board(), statusBar(),
                                 start.autosaveDelay, this);
    m_keeper->attachRecentMenu(m_recentMenu);
    connect(m_keeper, &ProjectKeeper::recentChosen, this, &TForm1::openRecentProject);

    bool restored = false;
    if (m_keeper->offersRecovery()) {
        QMessageBox box(QMessageBox::Question, QStringLiteral("Kelmira"),
                        m_keeper->recoveryQuestion(), QMessageBox::Yes | QMessageBox::No, this);
        box.setObjectName(QStringLiteral("RecoveryQuestion"));
        box.setDefaultButton(QMessageBox::Yes);
        if (box.exec() == QMessageBox::Yes)
            restored = openProject(m_keeper->autosave().copyPath(), true).boardReplaced();
        else
            m_keeper->discardCopy();
    }
    // A restored board is the newer work: the project named on the command line would replace
    // it unasked.
    if (!restored && !start.project.isEmpty()) {
        const LoadResult r = openProject(start.project, false);
        // A file that could not be read whole leaves the board as the program starts it.
        if (!r.ok() && r.status != LoadResult::Status::Incomplete && r.boardReplaced())
            BitBtn6Click();
    }
    // The history starts from the board the program starts with, restored or opened.
    history().clear();
    m_keeper->boardKept();
    m_keeper->start();
}

void TForm1::openRecentProject(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        if (m_keeper)
            m_keeper->forgetProject(path);
        showError(QStringLiteral("Файл «%1» не найден. Он удалён из списка недавних проектов.")
                      .arg(displayPath(path)));
        return;
    }
    openProject(path, true);
}

} // namespace kelmira
