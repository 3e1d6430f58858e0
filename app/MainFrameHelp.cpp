// SPDX-License-Identifier: GPL-3.0-or-later
// The help commands: Help > "Index", the context-help button and F1.
#include "app/CMainFrame.h"

#include <QWhatsThis>

namespace tw {

void CMainFrame::InstallHelp()
{
}

void CMainFrame::OnHelpFinder()
{
}

void CMainFrame::OnContextHelp()
{
    QWhatsThis::enterWhatsThisMode();
}

void CMainFrame::OnHelp()
{
}

} // namespace tw
