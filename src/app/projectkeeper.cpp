#include "app/projectkeeper.h"

#include "io/filewrite.h"
#include "io/projectfile.h"
#include "settings/recentprojects.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>

namespace kelmira {

QMenu* insertRecentProjectsMenu(QMenu* fileMenu) {
    auto* menu = new QMenu(QStringLiteral("&Недавние проекты"), fileMenu);
    menu->setObjectName(QStringLiteral("RecentProjects"));
    const QList<QAction*> items = fileMenu->actions();
    QAction* before = nullptr;
    for (qsizetype i = 0; i + 1 < items.size(); ++i)
        if (items[i]->objectName() == QLatin1String("N7"))
            before = items[i + 1];
    fileMenu->insertMenu(before, menu);
    return menu;
}

ProjectKeeper::ProjectKeeper(const QString& programFolder, const Board& board,
                             QStatusBar* statusBar, std::chrono::milliseconds autosaveDelay,
                             QObject* parent)
    : QObject(parent), m_preferences(programFolder),
      m_autosave(programFolder, board, autosaveDelay, autosaveDelay) {
    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("AutosaveStatus"));
    if (statusBar)
        statusBar->addPermanentWidget(m_status);
    if (m_autosave.lock() == Autosave::Lock::OtherProgram)
        tell(QStringLiteral("Автосохранение выключено: в этой папке уже работает Kelmira."));
    m_poll = new QTimer(this);
    // A few looks per delay: the copy is written close to when it is due.
    m_poll->setInterval(std::clamp(int(autosaveDelay.count() / 5), 20, 500));
    connect(m_poll, &QTimer::timeout, this, &ProjectKeeper::tick);
}

ProjectKeeper::~ProjectKeeper() {
    stop();
}

bool ProjectKeeper::offersRecovery() const {
    return !m_autosave.keepsOff() && m_autosave.hasCopy();
}

QString ProjectKeeper::recoveryQuestion() const {
    const QString when = m_autosave.copyTime().toString(QStringLiteral("dd.MM.yyyy HH:mm"));
    const QString source = m_preferences.value(prefs::autosaveSource);
    if (source.isEmpty())
        return QStringLiteral("Обнаружена несохранённая плата от %1. Восстановить её?").arg(when);
    return QStringLiteral("Обнаружена несохранённая плата от %1 (проект «%2»). "
                          "Восстановить её?")
        .arg(when, displayPath(source));
}

void ProjectKeeper::projectLoaded(const QString& path, const LoadResult& result) {
    if (QFileInfo(path) == QFileInfo(m_autosave.copyPath())) {
        // The restored board is still unsaved work: the copy stays until it is saved.
        m_source = m_preferences.value(prefs::autosaveSource);
        m_autosave.boardKept();
        return;
    }
    if (result.status != LoadResult::Status::Loaded &&
        result.status != LoadResult::Status::Incomplete)
        return; // the board no longer matches a file: the next tick takes it as a change
    m_source = QFileInfo(path).absoluteFilePath();
    rememberProject(path);
    discardCopy();
}

void ProjectKeeper::projectSaved(const QString& path) {
    m_source = QFileInfo(path).absoluteFilePath();
    rememberProject(path);
    discardCopy();
}

void ProjectKeeper::discardCopy() {
    if (m_autosave.keepsOff())
        return;
    if (!m_autosave.discard())
        tell(QStringLiteral("Не удалось удалить файл автосохранения «%1».")
                 .arg(displayPath(m_autosave.copyPath())));
    m_preferences.remove(prefs::autosaveSource);
}

void ProjectKeeper::boardKept() {
    m_autosave.boardKept();
}

void ProjectKeeper::start() {
    m_poll->start();
}

void ProjectKeeper::stop() {
    m_poll->stop();
    m_autosave.stop();
}

void ProjectKeeper::tick() {
    const Autosave::Tick t = m_autosave.poll(Autosave::Clock::now());
    if (t.started && m_preferences.value(prefs::autosaveSource) != m_source) {
        if (m_source.isEmpty())
            m_preferences.remove(prefs::autosaveSource);
        else
            m_preferences.setValue(prefs::autosaveSource, m_source);
    }
    if (!t.finished)
        return;
    // Told once in the status bar, never in a box: the user goes on working.
    if (t.failure.isEmpty())
        tell(QString());
    else if (t.failedFirst)
        tell(QStringLiteral("Автосохранение не удалось: %1").arg(t.failure));
}

void ProjectKeeper::tell(const QString& text) {
    m_status->setText(text);
    m_status->setToolTip(text);
}

QStringList ProjectKeeper::recentProjects() const {
    return withRecentProject(m_preferences.value(prefs::recentProjects), QString());
}

void ProjectKeeper::rememberProject(const QString& path) {
    m_preferences.setValue(prefs::recentProjects,
                           withRecentProject(m_preferences.value(prefs::recentProjects), path));
}

void ProjectKeeper::forgetProject(const QString& path) {
    m_preferences.setValue(prefs::recentProjects,
                           withoutRecentProject(m_preferences.value(prefs::recentProjects), path));
}

void ProjectKeeper::attachRecentMenu(QMenu* menu) {
    m_recentMenu = menu;
    if (!menu)
        return;
    connect(menu, &QMenu::aboutToShow, this, &ProjectKeeper::fillRecentMenu);
    fillRecentMenu();
}

void ProjectKeeper::fillRecentMenu() {
    // The list may have changed in another running copy of the program since.
    const QStringList list = recentProjects();
    for (QAction* a : m_recentMenu->actions())
        delete a;
    if (list.isEmpty()) {
        QAction* a = m_recentMenu->addAction(QStringLiteral("Список пуст"));
        a->setObjectName(QStringLiteral("RecentProjectsEmpty"));
        a->setEnabled(false);
        return;
    }
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QString path = list[i];
        QString shown = displayPath(path);
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* a = m_recentMenu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
        a->setObjectName(QStringLiteral("RecentProject%1").arg(i + 1));
        connect(a, &QAction::triggered, this, [this, path] { Q_EMIT recentChosen(path); });
    }
}

} // namespace kelmira
