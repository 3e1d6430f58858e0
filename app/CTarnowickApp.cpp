// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CTarnowickApp.h"
#include "app/ThemeIcons.h"

#include "app/CAboutDlg.h"
#include "app/CGuiHost.h"
#include "inbound/CInstanceServer.h"
#include "app/CMainFrame.h"
#include "app/CStopWatcher.h"
#include "app/ModalSeam.h"
#include "core/Translations.h"
#include "platform/FileKind.h"
#include "inbound/HandOff.h"
#include "disk/FreeSpaceWiper.h"
#include "platform/GiveBack.h"
#include "platform/StopSignal.h"
#include "prefs/Settings.h"

#include <QMessageBox>
#include <QSocketNotifier>

#include <cstdio>
#include <cstring>

#ifndef TARNOWICK_VERSION
#define TARNOWICK_VERSION "1.0"
#endif

namespace tw {

CTarnowickApp::CTarnowickApp(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setOrganizationName(QStringLiteral("Halmere"));
    setApplicationName(QStringLiteral("Tarnowick"));
    // No display name: Qt would append " — Tarnowick" to the caption the
    // desktop shows for every window, and each caption is exactly its own.
    setApplicationVersion(QStringLiteral(TARNOWICK_VERSION));
    setWindowIcon(ApplicationIcon());
    setDesktopFileName(QStringLiteral("com.halmere.tarnowick"));
    // Every window from here on speaks the user's language where the
    // program has it, English otherwise.
    InstallTranslations(*this);
    // From here on, SIGTERM, SIGINT and SIGHUP end a running command cleanly
    // instead of the program, and a crash or exit() from a library (the
    // display connection broke) still gives a fill's space back.
    InstallStopSignals();
    InstallLastResort();
}

CTarnowickApp::~CTarnowickApp() = default;

QString DocumentRefusal(int err, int kind)
{
    switch (FileKind(kind)) {
    case FileKind::Fifo:
        return CTarnowickApp::tr("It is a named pipe (FIFO), not a file. Tarnowick opens only regular files.");
    case FileKind::Directory:
        return CTarnowickApp::tr("It is a folder, not a file. Tarnowick opens only regular files.");
    case FileKind::Device:
        return CTarnowickApp::tr("It is a device, not a file. Tarnowick opens only regular files.");
    case FileKind::Socket:
        return CTarnowickApp::tr("It is a socket, not a file. Tarnowick opens only regular files.");
    case FileKind::Link:
    case FileKind::Other:
        return CTarnowickApp::tr("It is not a regular file. Tarnowick opens only regular files.");
    case FileKind::Missing:
    case FileKind::Regular:
        break;
    }
    return QString::fromLocal8Bit(std::strerror(err));
}

int CTarnowickApp::InitInstance(const CommandLine& line)
{
    if (line.kind == CommandLine::Usage) {
        std::fprintf(stderr, "tarnowick: %s\n%s", line.error.c_str(), UsageText().c_str());
        return 2;
    }
    // One file name: opened for reading and nothing more, since the
    // program keeps no document data. Opening never waits: a pipe named
    // here would otherwise hold the program before any window.
    if (line.kind == CommandLine::Document) {
        const std::string& name = line.names.front();
        FileKind kind = FileKind::Missing;
        if (const int err = CheckDocumentFile(name, &kind)) {
            QMessageBox box(QMessageBox::Warning, QStringLiteral("Tarnowick"),
                            tr("Cannot open %1.\n%2").arg(ShowText(name), DocumentRefusal(err, int(kind))),
                            QMessageBox::Ok);
            // SIGTERM, SIGINT and SIGHUP answer this question too, as they
            // answer every other one: the box goes, and the program ends by
            // the signal.
            QSocketNotifier stop(StopSignalFd(), QSocketNotifier::Read);
            connect(&stop, &QSocketNotifier::activated, &box, [&box] {
                if (StopRequested())
                    box.reject();
            });
            if (!StopRequested())
                RunModal(box);
            return 1;
        }
    }

    m_pMainFrame = std::make_unique<CMainFrame>();
    connect(m_pMainFrame.get(), &CMainFrame::aboutRequested, this, &CTarnowickApp::OnAppAbout);
    new CStopWatcher(m_pMainFrame.get(), [] { QCoreApplication::quit(); });
    // What a run that was killed left behind comes back before anything
    // else happens: named fillers on every drive, a lowered ext4 reserve.
    GiveBackLeftovers(m_pMainFrame->Drives());
    m_pMainFrame->show();
    if (const std::string problem = CSettings::ReadProblem(); !problem.empty()) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Tarnowick"), QString::fromStdString(problem),
                        QMessageBox::Ok, m_pMainFrame.get());
        RunModal(box);
    }
    StartInstanceServer();
    if (line.kind == CommandLine::Delete)
        m_pMainFrame->DeleteGivenFiles(line.names);
    return 0;
}

void CTarnowickApp::StartInstanceServer()
{
    if (!m_pServer || !m_pServer->IsListening()) {
        std::string why;
        const std::string path = HandOffSocketPath(&why);
        m_pServer = std::make_unique<CInstanceServer>();
        // Another instance already listening is no fault: this window then
        // works on its own, as every start opens a window.
        if (path.empty() || (!m_pServer->Listen(path, &why) && !why.empty()))
            std::fprintf(stderr, "tarnowick: %s\n",
                         FillText(tr("later `tarnowick --delete` calls cannot reach this window: %1"), {why}).c_str());
    }
    // The names go to whichever window is the main one now.
    disconnect(m_pServer.get(), &CInstanceServer::namesReceived, nullptr, nullptr);
    connect(m_pServer.get(), &CInstanceServer::namesReceived, m_pMainFrame.get(),
            [frame = m_pMainFrame.get()](const std::vector<std::string>& names) { frame->DeleteGivenFiles(names); });
}

void CTarnowickApp::OnAppAbout()
{
    CAboutDlg about(m_pMainFrame.get());
    RunModal(about);
}

} // namespace tw
