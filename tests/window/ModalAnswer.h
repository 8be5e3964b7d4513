// Answers the next modal window as a person would: waits until it is up, then acts on it.
#pragma once
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <memory>

// Runs `act` on the next modal widget once it is shown (polled from the event loop).
inline void AnswerNextModal(std::function<void(QWidget*)> act) {
    auto pending = std::make_shared<std::function<void(QWidget*)>>(std::move(act));
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [pending, poll] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            (*pending)(modal);
            *poll = nullptr; // breaks the cycle
            return;
        }
        QTimer::singleShot(5, *poll);
    };
    QTimer::singleShot(0, *poll);
}

// Presses the button whose object name is `name` in the next modal window, and
// hands its message label's text to `seen` when given.
inline void PressInNextModal(const QString& name, QString* seen = nullptr, QString* title = nullptr) {
    AnswerNextModal([name, seen, title](QWidget* modal) {
        if (seen) {
            seen->clear();
            for (auto* label : modal->findChildren<QLabel*>())
                if (!label->text().isEmpty()) *seen += (seen->isEmpty() ? "" : "\n") + label->text();
        }
        if (title) *title = modal->windowTitle();
        if (auto* button = modal->findChild<QPushButton*>(name)) button->click();
        else if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
    });
}

// Chooses `path` in the next file dialog (an empty path cancels it).
inline void ChooseInNextFileDialog(const QString& path) {
    AnswerNextModal([path](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (!dialog) return;
        if (path.isEmpty()) {
            dialog->reject();
            return;
        }
        // Typed into the name box, as a person does (selectFile leaves a focused box alone).
        if (auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit")) edit->setText(path);
        else dialog->selectFile(path);
        static_cast<QDialog*>(dialog)->accept(); // runs the file dialog's own accept
    });
}
