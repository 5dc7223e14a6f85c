#pragma once

#include "io/autosave.h"
#include "settings/preferences.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <memory>

class QLabel;
class QMenu;
class QStatusBar;
class QTimer;

namespace kelmira {

struct LoadResult;

// What the program does at start besides the Parts' own start-up.
struct StartUp {
    QString project; // a project named on the command line, or empty
    // How long the board stays unchanged before the copy is written (tests wait less).
    std::chrono::milliseconds autosaveDelay{5000};
};

// "&Недавние проекты", inserted into the file menu after "&Сохранить проект как...".
QMenu* insertRecentProjectsMenu(QMenu* fileMenu);

// Keeps the user's work between runs: the automatic copy of the board (written while the
// program runs, offered back at the next start), the recent-projects list, and the project the
// board came from. The main window tells it what happened to the board; it owns no widget but
// the status bar's autosave panel and the recent-projects menu's entries.
class ProjectKeeper : public QObject {
    Q_OBJECT
public:
    ProjectKeeper(const QString& programFolder, const Board& board, QStatusBar* statusBar,
                  std::chrono::milliseconds autosaveDelay, QObject* parent);
    ~ProjectKeeper() override;

    Preferences& preferences() { return m_preferences; }
    Autosave& autosave() { return m_autosave; }
    QLabel* statusPanel() const { return m_status; }

    // A copy from an earlier run waits, and no other running copy of the program owns it.
    bool offersRecovery() const;
    QString recoveryQuestion() const;

    // The board was replaced from `path` (the copy itself when restoring).
    void projectLoaded(const QString& path, const LoadResult& result);
    void projectSaved(const QString& path);
    // The unsaved work is given up (the recovery was declined, the close was answered No).
    void discardCopy();
    // The board as it stands needs no copy.
    void boardKept();
    // Starts watching the board for changes.
    void start();
    // The window closes: the write in flight ends, nothing is written any more.
    void stop();

    void attachRecentMenu(QMenu* menu);
    QStringList recentProjects() const;
    void forgetProject(const QString& path);

Q_SIGNALS:
    void recentChosen(const QString& path);

private:
    void tick();
    void rememberProject(const QString& path);
    void fillRecentMenu();
    void tell(const QString& text);

    Preferences m_preferences;
    Autosave m_autosave;
    QTimer* m_poll = nullptr;
    QLabel* m_status = nullptr;
    QMenu* m_recentMenu = nullptr;
    QString m_source; // the project the board came from
};

} // namespace kelmira
