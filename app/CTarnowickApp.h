// SPDX-License-Identifier: GPL-3.0-or-later
// The application object: names the settings store, reads the command line,
// creates the main window.
#pragma once

#include <QApplication>

#include <memory>

namespace tw {

class CMainFrame;

class CTarnowickApp : public QApplication {
    Q_OBJECT
public:
    CTarnowickApp(int& argc, char** argv);
    ~CTarnowickApp() override;

    // Start-up with the command-line arguments after the program name.
    // Returns 0 to run the event loop, else the exit status.
    int InitInstance(const QStringList& args);
    void OnAppAbout();
    CMainFrame* MainFrame() const { return m_pMainFrame.get(); }

private:
    std::unique_ptr<CMainFrame> m_pMainFrame;
};

} // namespace tw
