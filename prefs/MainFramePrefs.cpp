// SPDX-License-Identifier: GPL-3.0-or-later
// Edit > "Preferences".
#include "app/CMainFrame.h"

namespace tw {

void CMainFrame::OnPreferences()
{
}

} // namespace tw
