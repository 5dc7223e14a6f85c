// The main window's commands: each binds its controls to one editing, file or image operation.
#include "app/mainwindow.h"

#include "app/componentcolumn.h"
#include "app/imagepreview.h"
#include "app/projectkeeper.h"
#include "io/deletecommand.h"
#include "io/imageexport.h"
#include "io/projectfile.h"
#include "settings/colorvalue.h"
#include "windows/aboutwindow.h"
#include "windows/help.h"
#include "windows/settingswindow.h"

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace kelmira {

namespace {

const QString kProjectFilter = QStringLiteral("Файлы программы (*.kelmar)");

// The save-picture dialog's file types, in the order their position selects the extension.
QStringList imageDialogFilters() {
    return {QStringLiteral("JPEG Image File (*.jpg)"), QStringLiteral("JPEG Image File (*.jpeg)"),
            QStringLiteral("Bitmaps (*.bmp)")};
}

QFileDialog* makeFileDialog(QWidget* owner, const char* name, QFileDialog::AcceptMode mode,
                            const QStringList& filters) {
    auto* d = new QFileDialog(owner);
    d->setObjectName(QLatin1String(name));
    d->setOption(QFileDialog::DontUseNativeDialog);
    d->setOption(QFileDialog::DontConfirmOverwrite);
    d->setAcceptMode(mode);
    d->setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::AnyFile : QFileDialog::AnyFile);
    d->setNameFilters(filters);
    d->setWindowModality(Qt::ApplicationModal);
    return d;
}

// The name the user typed or chose, as the dialog holds it (no extension added).
QString chosenName(QFileDialog* d) {
    const QStringList files = d->selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

} // namespace

void TForm1::refreshList() {
    m_column->showEntries(editor().entryTexts(), editor().highlighted());
}

void TForm1::AddComponent(int32_t kind, const QString& entryText) {
    editor().setFigureSelection(m_listBox1->currentRow());
    history().add(editor(), kind, entryText);
    refreshList();
}

void TForm1::N11Click() {
    for (int c = 1; c <= 4; ++c)
        if (auto* b = findChild<QPushButton*>(QStringLiteral("BitBtn%1").arg(c)))
            b->click();
}

void TForm1::BitBtn5Click() {
    switch (editor().Select()) {
    case Editor::SelectResult::EmptyBoard:
        showInfo(QStringLiteral("На плате нет размещенных деталей! Список пуст!"));
        break;
    case Editor::SelectResult::NoHighlight:
        showError(QStringLiteral("List index out of bounds (%1)")
                      .arg(m_column->listBox2()->currentRow()));
        break;
    case Editor::SelectResult::Selected:
        break;
    }
}

void TForm1::moveClick(MoveDir dir) {
    const int step = m_form2 ? m_form2->moveStep() : 2;
    history().move(editor(), dir, step);
}

void TForm1::turnClick(int32_t delta) {
    history().turn(editor(), delta);
}

void TForm1::BitBtn6Click() {
    history().wholeBoard(editor(), StepKind::Clear, [this] { editor().ClearAll(); });
    refreshList();
}

void TForm1::N1231Click() {
    m_timer1->stop();
    DeleteResult r;
    history().wholeBoard(editor(), StepKind::Delete,
                         [&] { r = deleteHighlighted(editor(), m_scratchPath); });
    refreshList();
    m_timer1->start();
    if (!r.message.isEmpty())
        showError(r.message);
}

void TForm1::ToolButton3Click() {
    if (!m_openDialog1)
        m_openDialog1 =
            makeFileDialog(this, "OpenDialog1", QFileDialog::AcceptOpen, {kProjectFilter});
    if (m_openDialog1->exec() != QDialog::Accepted)
        return;
    const QString name = chosenName(m_openDialog1);
    m_openDialog1->selectFile(name);
    openProject(name, true);
}

LoadResult TForm1::openProject(const QString& path, bool announceSuccess) {
    LoadResult r;
    history().wholeBoard(editor(), StepKind::Load, [&] { r = loadProject(editor(), path); });
    refreshList();
    // Before any box: the autosave's ticks go on inside it.
    if (m_keeper)
        m_keeper->projectLoaded(path, r);
    if (r.ok()) {
        if (announceSuccess)
            showInfo(r.message);
    } else if (r.status == LoadResult::Status::Incomplete) {
        showWarning(r.message);
    } else {
        showError(r.message);
    }
    return r;
}

void TForm1::ToolButton4Click() {
    saveProjectThroughDialog();
}

bool TForm1::saveProjectThroughDialog() {
    if (!m_saveDialog1)
        m_saveDialog1 =
            makeFileDialog(this, "SaveDialog1", QFileDialog::AcceptSave, {kProjectFilter});
    if (m_saveDialog1->exec() != QDialog::Accepted)
        return true; // nothing to write; the close question still lets the window close
    const QString name = chosenName(m_saveDialog1);
    // The dialog keeps the name as typed, so confirming it again writes the same file.
    m_saveDialog1->selectFile(name);
    const SaveResult r = saveProject(editor().board(), name);
    if (!r.ok) {
        showError(r.message);
        return false; // from the close question: the window stays open
    }
    if (m_keeper)
        m_keeper->projectSaved(r.path);
    showInfo(r.message);
    return true;
}

void TForm1::N4Click() {
    const QRect frame = frameGeometry();
    QImage shot;
    if (QScreen* s = screen())
        shot = s->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height()).toImage();
    if (shot.isNull())
        shot = grab().toImage();
    const QString path =
        screenshotPath(m_programFolder, QLocale::system(), QDateTime::currentDateTime());
    const ImageResult r = saveScreenshot(shot, path);
    if (!r.ok) {
        showError(r.message);
        return;
    }
    showInfo(screenshotSavedMessage());
}

void TForm1::N21Click() {
    // Captured before the dialog opens, so the dialog is never part of the picture.
    const QImage picture = m_viewPanel->grab().toImage();
    if (!m_dlg1) {
        m_dlg1 = makeFileDialog(this, "dlg1", QFileDialog::AcceptSave, imageDialogFilters());
        installImagePreview(m_dlg1);
    }
    m_dlg1->selectNameFilter(imageDialogFilters().first());
    if (m_dlg1->exec() != QDialog::Accepted)
        return;
    const int type = imageDialogFilters().indexOf(m_dlg1->selectedNameFilter()) + 1;
    const ImageResult r = saveImage(picture, chosenName(m_dlg1), type);
    if (!r.ok)
        showError(r.message);
}

void TForm1::undoClick() {
    const auto kind = history().undoKind();
    if (history().undo(editor()))
        showRestoredBoard(*kind);
}

void TForm1::redoClick() {
    const auto kind = history().redoKind();
    if (history().redo(editor()))
        showRestoredBoard(*kind);
}

void TForm1::showRestoredBoard(StepKind kind) {
    // A move or turn leaves the entries as they are: a long list is not filled again.
    if (kind == StepKind::Move || kind == StepKind::Turn)
        m_column->showHighlight(editor().highlighted());
    else
        refreshList();
    // Without a highlighted entry the panels showed nothing at that point: the board had just
    // been cleared or loaded, or was empty.
    if (editor().highlighted() < 0)
        for (int i = 1; i <= 3; ++i)
            m_statusPanels[i]->clear();
}

void TForm1::N3D2Click() {
    if (!m_form2)
        return;
    m_form2->show();
    m_form2->raise();
    m_form2->activateWindow();
}

void TForm1::N55Click() {
    if (!m_colorDialog1) {
        m_colorDialog1 = new QColorDialog(this);
        m_colorDialog1->setObjectName(QStringLiteral("ColorDialog1"));
        m_colorDialog1->setOption(QColorDialog::DontUseNativeDialog);
        m_colorDialog1Last = Qt::white;
        for (int i = 0; i < QColorDialog::customCount(); ++i)
            QColorDialog::setCustomColor(i, Qt::white);
    }
    // The dialog opens on the colour it last returned, not on the window's current colour.
    m_colorDialog1->setCurrentColor(m_colorDialog1Last);
    if (m_colorDialog1->exec() != QDialog::Accepted)
        return;
    m_colorDialog1Last = m_colorDialog1->currentColor();
    m_form1Color = ColorValue::fromQColor(m_colorDialog1Last).raw();
    m_scrollBoxColor = m_form1Color;
    applyWindowColors();
}

void TForm1::N8Click() {
    openHelp();
}

void TForm1::N9Click() {
    if (!m_form3)
        return;
    m_form3->show();
    m_form3->raise();
    m_form3->activateWindow();
}

} // namespace kelmira
