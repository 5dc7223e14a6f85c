#pragma once

#include "app/editorsession.h"
#include "app/viewpanel.h"
#include "render/camera.h"
#include "render/panewidget.h"
#include "render/picking.h"
#include "render/scene.h"
#include "render/viewlayout.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <memory>

class QAction;
class QFileDialog;
class QLabel;
class QListWidget;
class QTimer;
class QToolBar;
class QColorDialog;
class QMenu;

namespace kelmira {

class ProjectKeeper;
struct LoadResult;
struct StartUp;
class TForm2;
class TForm3;

class ComponentColumn;

// The main window: wires the right-hand column, the view panel, the menus and toolbars to the
// editing session, and holds both timers. Its handlers, named after their controls, each bind a
// control to one editing, file or view operation.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // The settings and about windows are created after this one (creation order of the program);
    // they must be attached before the window is first shown.
    void attachWindows(TForm2* form2, TForm3* form3);

    Editor& editor() { return m_session.editor(); }
    EditHistory& history() { return m_session.history(); }
    CameraState& camera() { return m_session.camera(); }
    int zoom() const;
    QTimer* timer1() const { return m_timer1; }
    QTimer* timer2() const { return m_timer2; }
    QWidget* panel6() const { return m_viewPanel; }
    PaneWidget* pane(Pane p) const { return m_viewPanel->pane(p); }
    ViewMode viewMode() const { return m_viewPanel->viewMode(); }
    QString settingsPath() const { return m_settingsPath; }
    // The settings file is the program's own; tests point the window at a file of theirs.
    void setSettingsPath(const QString& path) { m_settingsPath = path; }
    // The program's folder, where screenshots go (Saves/Screenshots); tests use their own.
    QString programFolder() const { return m_programFolder; }
    void setProgramFolder(const QString& path) { m_programFolder = path; }
    // Where the delete command keeps its scratch file (relative to the working directory).
    void setScratchPath(const QString& path) { m_scratchPath = path; }
    // The settings window's values the renderer reads at every frame.
    SceneSettings sceneSettings() const;

    // One tick of Timer1: the kept scene brought up to date with the board and the settings,
    // the presentation step, a repaint of each pane whose picture changed, the coordinate
    // display.
    void RenderFrame();

    // What the program does once the window is up (mainwindow_projects.cpp): offer back an
    // autosaved board, load the project named on the command line, start the autosave.
    void startUp(const StartUp& start);
    // Every load of a project goes through here: the load, the list, the messages (the success
    // box only when announced), and the recent list and the autosave told of it.
    LoadResult openProject(const QString& path, bool announceSuccess);
    // Null until startUp.
    ProjectKeeper* projectKeeper() const { return m_keeper; }

Q_SIGNALS:
    // The window has closed: as the application's main form, the program ends with it.
    void formClosed();

public Q_SLOTS:
    void BitBtn6Click();
    void N1231Click();
    void BitBtn5Click();
    void N11Click();
    void N5Click();
    void N4Click();
    void N21Click();
    void N3D2Click();
    void N55Click();
    void N8Click();
    void N9Click();
    void ToolButton3Click();
    void ToolButton4Click();
    void ToolButton12Click();
    void ToolButton14Click();
    void ToolButton16Click();
    void ToolButton18Click();
    void ToolButton20Click();
    void btnZoomInClick();
    void btnZoomOutClick();
    void Timer2Timer();
    void undoClick();
    void redoClick();
    void openRecentProject(const QString& path);

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // construction (mainwindow_ui.cpp)
    void buildMenus();
    void buildToolBars();
    void buildStatusBar();
    void assignShortcuts();
    // The Edit menu's items name the step they would undo or redo.
    void updateEditActions();
    // The list, the highlight and the coordinate panels after the history changed the board.
    void showRestoredBoard(StepKind kind);
    // The arrow, page and bracket keys of a focused view pane; false for other keys.
    bool paneKey(int key);

    // the panes under the mouse (mainwindow_panes.cpp)
    void connectPanes();
    PaneView paneView(Pane p) const;
    QPointF devicePixel(Pane p, int x, int y) const;
    // Selects the component drawn at the pixel; false where none is.
    bool pickInPane(Pane p, int x, int y);
    void paneMousePress(Pane p, MouseButton b, int x, int y);
    void paneMouseMove(Pane p, int x, int y);
    void paneMouseRelease(Pane p, MouseButton b, int x, int y);
    void finishDrag(bool cancel);
    void applyCursor(CursorChange c);
    void connectColumn();

    // lifecycle
    void FormCreate();
    void FormShow();
    void FormResize();
    bool FormCloseQuery();
    void FormClose();
    void FormDestroy();

    // commands
    void AddComponent(int32_t kind, const QString& entryText);
    void moveClick(MoveDir dir);
    void turnClick(int32_t delta);
    void setViewMode(ViewMode mode);
    void refreshList();
    void showError(const QString& text);
    void showInfo(const QString& text);
    void showWarning(const QString& text);
    // False when the file could not be written (a cancelled dialog writes nothing: true).
    bool saveProjectThroughDialog();
    void applyWindowColors();

    EditorSession m_session;
    WheelAccumulator m_wheel;
    QString m_settingsPath;
    QString m_scratchPath = QStringLiteral("Data/Clear.ini");
    QString m_programFolder;
    int32_t m_form1Color;
    int32_t m_scrollBoxColor;
    bool m_shown = false;
    bool m_destroyed = false;

    QPointer<TForm2> m_form2;
    QPointer<TForm3> m_form3;

    QTimer* m_timer1 = nullptr;
    QTimer* m_timer2 = nullptr;

    QToolBar* m_toolBar1 = nullptr;
    QToolBar* m_toolBar2 = nullptr;
    std::array<QAction*, 5> m_viewButtons{}; // ToolButton12, 14, 16, 18, 20
    // The thirteen toolbar buttons and their check items of "&Панель инструментов".
    std::array<QAction*, 13> m_toolButtons{};
    std::array<QAction*, 13> m_toolItems{};

    ComponentColumn* m_column = nullptr;
    ViewPanel* m_viewPanel = nullptr;
    QListWidget* m_listBox1 = nullptr;
    std::array<QLabel*, 5> m_statusPanels{};
    QAction* m_undoAction = nullptr;
    QAction* m_markAction = nullptr;
    QLabel* m_dragMessage = nullptr;
    QPoint m_clickStart;
    CameraState m_clickCamera;
    QAction* m_redoAction = nullptr;

    QFileDialog* m_openDialog1 = nullptr;
    QFileDialog* m_saveDialog1 = nullptr;
    QFileDialog* m_dlg1 = nullptr;
    QColorDialog* m_colorDialog1 = nullptr;
    QColor m_colorDialog1Last;

    QMenu* m_recentMenu = nullptr;
    ProjectKeeper* m_keeper = nullptr;
};

} // namespace kelmira
