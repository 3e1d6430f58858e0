// SPDX-License-Identifier: GPL-3.0-or-later
// The application object: names the settings store, reads the command line,
// creates the main window, and takes the names that a later
// `tarnowick --delete` of the same user hands over.
#pragma once

#include "inbound/CommandLine.h"

#include <QApplication>

#include <memory>

namespace tw {

class CInstanceServer;
class CMainFrame;

class CTarnowickApp : public QApplication {
    Q_OBJECT
public:
    CTarnowickApp(int& argc, char** argv);
    ~CTarnowickApp() override;

    // Start-up with the command line as read by ReadRemainingArguments.
    // Returns 0 to run the event loop, else the exit status.
    int InitInstance(const CommandLine& line);
    void OnAppAbout();
    CMainFrame* MainFrame() const { return m_pMainFrame.get(); }
    // Listens for hand-offs once the window is up; null where it cannot.
    CInstanceServer* InstanceServer() const { return m_pServer.get(); }

private:
    void StartInstanceServer();

    std::unique_ptr<CMainFrame> m_pMainFrame;
    std::unique_ptr<CInstanceServer> m_pServer;
};

// Why `path` cannot be opened as a document, for the message that says so.
QString DocumentRefusal(int err, int kind);

} // namespace tw
