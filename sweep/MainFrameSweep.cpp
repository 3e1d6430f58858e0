// SPDX-License-Identifier: GPL-3.0-or-later
// The window's side of the location sweeps and of "Show Progress Bar".
#include "app/CMainFrame.h"

#include "app/CommandIds.h"
#include "prefs/Settings.h"

#include <QAction>

namespace tw {

void CMainFrame::OnSecureDeleteCache()
{
}

void CMainFrame::OnSecureDeleteTemp()
{
}

void CMainFrame::OnSecureDeleteOther()
{
}

void CMainFrame::OnSecureDeleteByPreferences()
{
}

// The menu's check mark decides the direction; the sweeps read "Counter".
void CMainFrame::OnShowProgressBar()
{
    QAction* item = Action(ID_VIEW_PROGRESS_BAR);
    const bool wasChecked = item->isChecked();
    item->setChecked(!wasChecked);
    CSettings::WriteBool(Setting::Counter, !wasChecked);
}

} // namespace tw
