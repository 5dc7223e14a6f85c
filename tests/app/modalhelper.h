#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
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

// Types a name into a non-native file dialog and accepts it (nullptr name: cancel).
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
        d->selectFile(name);
        // The dialog's own accept path: as if the user pressed its Save / Open button.
        QMetaObject::invokeMethod(d, "accept", Qt::DirectConnection);
    };
}
