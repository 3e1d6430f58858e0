// SPDX-License-Identifier: GPL-3.0-or-later
// Files given to the window from outside the file dialog: dropped on it,
// or handed over by `tarnowick --delete`. They wait until no command runs
// and no dialog is open, then take the walk of Secure Delete File.
#include "app/CMainFrame.h"

#include "inbound/CDropTarget.h"
#include "core/CommandIds.h"
#include "wipe/DeleteFileCommand.h"

#include <QApplication>
#include <QTimer>

namespace tw {

void CMainFrame::InstallDropTarget()
{
    // Drops anywhere on the window (view, toolbar, status bar) come here:
    // no child takes drops of its own.
    setAcceptDrops(true);
    installEventFilter(new CDropTarget(this));
    m_pGivenRetry = new QTimer(this);
    m_pGivenRetry->setSingleShot(true);
    m_pGivenRetry->setInterval(200);
    connect(m_pGivenRetry, &QTimer::timeout, this, &CMainFrame::RunGivenFiles);
}

void CMainFrame::DeleteGivenFiles(std::vector<std::string> names, std::vector<std::string> notLocal)
{
    if (names.empty() && notLocal.empty())
        return;
    m_givenFiles.push_back({std::move(names), std::move(notLocal)});
    // Never inside the drop or the socket handler: the program that
    // dragged the files waits for the drop to end.
    QTimer::singleShot(0, this, &CMainFrame::RunGivenFiles);
}

void CMainFrame::RunGivenFiles()
{
    if (m_givenFiles.empty())
        return;
    // A command or a dialog (Preferences, a message) is in the way: the
    // names wait and are looked at again shortly.
    if (m_runner.IsBusy() || QApplication::activeModalWidget() || QApplication::activePopupWidget()) {
        m_pGivenRetry->start();
        return;
    }
    const GivenFiles given = std::move(m_givenFiles.front());
    m_givenFiles.pop_front();

    // The questions are about to come: the user should see the window.
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    // The record lists them under Secure Delete File, whose walk they take.
    m_nCommand = ID_SECURE_DELETE_FILE;
    RunOperation([&given](Operation& op) { tw::DeleteGivenFiles(op, given.names, given.notLocal); });
    m_nCommand = 0;

    if (!m_givenFiles.empty())
        QTimer::singleShot(0, this, &CMainFrame::RunGivenFiles);
}

} // namespace tw
