// SPDX-License-Identifier: GPL-3.0-or-later
// File > "Secure Delete File": the window's side of the delete-file command.
#include "app/CMainFrame.h"

namespace tw {

void CMainFrame::OnSecureDeleteFile()
{
}

} // namespace tw
