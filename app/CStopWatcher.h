// SPDX-License-Identifier: GPL-3.0-or-later
// Ending the program from outside: SIGTERM (log-out, shutdown, kill),
// SIGINT and SIGHUP reach the window through the stop flag's descriptor.
// The running command is ended the way "Cancel Operation" ends it (a fill
// flushes and gives its space back), every open question is answered
// Cancel, and only then does the program quit.
#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace tw {

class CMainFrame;

class CStopWatcher : public QObject {
    Q_OBJECT
public:
    // `quit` is called once, when the stop was asked for and no command
    // runs any more (the application's quit() in the program).
    CStopWatcher(CMainFrame* frame, std::function<void()> quit);

    // What the notifier does; public so that a stop can be delivered where
    // no event loop watches the descriptor.
    void OnStop();

private:
    void QuitWhenIdle();

    CMainFrame* m_pFrame;
    std::function<void()> m_quit;
    QSocketNotifier* m_pNotifier = nullptr;
    bool m_bStopping = false;
    bool m_bQuit = false;
};

} // namespace tw
