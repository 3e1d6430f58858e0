// SPDX-License-Identifier: GPL-3.0-or-later
// The window's side of the location sweeps and of "Show Progress Bar".
#include "app/CMainFrame.h"

#include "core/CommandIds.h"
#include "prefs/Settings.h"
#include "sweep/LocationSweeps.h"

#include <QAction>

namespace tw {

void CMainFrame::OnSecureDeleteCache()
{
    RunOperation([](Operation& op) { SecureDeleteCache(op); });
}

void CMainFrame::OnSecureDeleteTemp()
{
    RunOperation([](Operation& op) { SecureDeleteTemp(op); });
}

void CMainFrame::OnSecureDeleteOther()
{
    RunOperation([](Operation& op) { SecureDeleteOther(op); });
}

void CMainFrame::OnSecureDeleteByPreferences()
{
    RunOperation([](Operation& op) { SecureDeleteByPreferences(op); });
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
