// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CTarnowickApp.h"
#include "app/ThemeIcons.h"

#include "app/CAboutDlg.h"
#include "app/CMainFrame.h"
#include "app/ModalSeam.h"

#include <QFile>
#include <QMessageBox>

#include <cstdio>

namespace tw {

CTarnowickApp::CTarnowickApp(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setOrganizationName(QStringLiteral("Halmere"));
    setApplicationName(QStringLiteral("Tarnowick"));
    setApplicationDisplayName(QStringLiteral("Tarnowick"));
    setApplicationVersion(QStringLiteral("1.0"));
    setWindowIcon(ApplicationIcon());
    setDesktopFileName(QStringLiteral("com.halmere.tarnowick"));
}

CTarnowickApp::~CTarnowickApp() = default;

int CTarnowickApp::InitInstance(const QStringList& args)
{
    // No arguments, or one file name that is opened for reading and nothing
    // more: the program keeps no document data.
    if (args.size() > 1 || (args.size() == 1 && args[0].startsWith(QLatin1Char('-')) && args[0] != QLatin1String("-"))) {
        std::fprintf(stderr, "usage: tarnowick [FILE]\n");
        return 2;
    }
    if (args.size() == 1) {
        QFile document(args[0]);
        if (!document.open(QIODevice::ReadOnly)) {
            QMessageBox box(QMessageBox::Warning, QStringLiteral("Tarnowick"),
                            QStringLiteral("Cannot open %1.\n%2").arg(args[0], document.errorString()),
                            QMessageBox::Ok);
            RunModal(box);
            return 1;
        }
    }

    m_pMainFrame = std::make_unique<CMainFrame>();
    connect(m_pMainFrame.get(), &CMainFrame::aboutRequested, this, &CTarnowickApp::OnAppAbout);
    m_pMainFrame->show();
    return 0;
}

void CTarnowickApp::OnAppAbout()
{
    CAboutDlg about(m_pMainFrame.get());
    RunModal(about);
}

} // namespace tw
