// Answers the next modal window as a person would: waits for it to appear, looks at
// it, then acts on it.
#pragma once
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

inline void WhenModalAppears(std::function<void(QWidget*)> act)
{
    auto* poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        act(modal);
    });
    poll->start();
}
