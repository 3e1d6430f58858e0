// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CStopWatcher.h"

#include "app/CMainFrame.h"
#include "platform/StopSignal.h"

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>

namespace tw {

CStopWatcher::CStopWatcher(CMainFrame* frame, std::function<void()> quit)
    : QObject(frame), m_pFrame(frame), m_quit(std::move(quit))
{
    InstallStopSignals();
    m_pNotifier = new QSocketNotifier(StopSignalFd(), QSocketNotifier::Read, this);
    connect(m_pNotifier, &QSocketNotifier::activated, this, &CStopWatcher::OnStop);
    connect(&frame->Runner(), &CCommandRunner::finished, this, [this] {
        if (m_bStopping)
            QuitWhenIdle();
    });
    // A stop asked for before the window existed is not lost.
    if (StopRequested())
        QMetaObject::invokeMethod(this, &CStopWatcher::OnStop, Qt::QueuedConnection);
}

void CStopWatcher::OnStop()
{
    if (!StopRequested())
        return;  // woken by a request that was withdrawn
    // Once is enough: the descriptor stays readable, and the flag stays set.
    m_pNotifier->setEnabled(false);
    m_bStopping = true;
    // A question on screen waits for nobody now. Each dialog answers as its
    // close box does (Cancel), and the command that asked ends; the worker
    // sees the stop flag and asks nothing more.
    for (int i = 0; i < 32; ++i) {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            break;
        dialog->reject();
    }
    // Later, from the event loop: a modal loop just ended returns first.
    QMetaObject::invokeMethod(this, &CStopWatcher::QuitWhenIdle, Qt::QueuedConnection);
}

void CStopWatcher::QuitWhenIdle()
{
    if (m_bQuit || m_pFrame->Runner().IsBusy())
        return;  // the command's end calls again
    m_bQuit = true;
    if (m_quit)
        m_quit();
}

} // namespace tw
