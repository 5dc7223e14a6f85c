#pragma once

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <memory>

// Drives the next modal dialog the code under test opens: polls until one is active, then
// hands it to `act`. The record says what the dialog showed.
struct ModalSeen {
    bool seen = false;
    QString text;
    QString title;
    QString objectName;
    int icon = -1;
    int defaultButton = -1;
};

inline std::shared_ptr<ModalSeen> answerNextModal(std::function<void(QWidget*)> act,
                                                  QWidget* ignore = nullptr) {
    auto seen = std::make_shared<ModalSeen>();
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, seen, act, ignore] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || w == ignore)
            return;
        timer->stop();
        timer->deleteLater();
        seen->seen = true;
        seen->title = w->windowTitle();
        seen->objectName = w->objectName();
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            seen->text = box->text();
            seen->icon = box->icon();
            seen->defaultButton =
                box->defaultButton() ? box->standardButton(box->defaultButton()) : -1;
        }
        act(w);
    });
    timer->start();
    return seen;
}

// Presses a standard button of a message box.
inline std::function<void(QWidget*)> press(QMessageBox::StandardButton which) {
    return [which](QWidget* w) {
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            if (QAbstractButton* b = box->button(which))
                b->click();
            else
                box->reject();
        } else if (auto* d = qobject_cast<QDialog*>(w)) {
            d->reject();
        }
    };
}

// Types a name into a non-native file dialog, as a user would, and accepts it (accept false:
// cancel). The name goes into the dialog's name field in the name's own folder. A row left
// selected in the file list would win over the typed name (the dialog would open that folder
// and stay up), so the list's selection is cleared first. A dialog still up after the accept
// is rejected, so that a test fails on it rather than waiting forever.
inline std::function<void(QWidget*)> fileDialogAnswer(const QString& name, bool accept = true) {
    return [name, accept](QWidget* w) {
        auto* d = qobject_cast<QFileDialog*>(w);
        if (!d) {
            if (auto* dlg = qobject_cast<QDialog*>(w))
                dlg->reject();
            return;
        }
        if (!accept) {
            d->reject();
            return;
        }
        const QFileInfo info(name);
        d->setDirectory(info.absolutePath());
        auto* field = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        for (auto* view : d->findChildren<QAbstractItemView*>())
            view->clearSelection();
        if (field)
            field->setText(info.fileName());
        else
            d->selectFile(name);
        for (auto* view : d->findChildren<QAbstractItemView*>())
            view->clearSelection();
        // The dialog's own accept path: as if the user pressed its Save / Open button.
        QMetaObject::invokeMethod(d, "accept", Qt::DirectConnection);
        if (d->isVisible())
            d->reject();
    };
}
