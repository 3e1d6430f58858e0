// SPDX-License-Identifier: GPL-3.0-or-later
// The window's side of the disk-level commands.
#include "app/CMainFrame.h"

namespace tw {

void CMainFrame::OnSecureEmptySpace()
{
}

void CMainFrame::OnOvercommitSwapfile()
{
}

} // namespace tw
