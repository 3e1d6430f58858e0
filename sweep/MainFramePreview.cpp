// SPDX-License-Identifier: GPL-3.0-or-later
// View > "Preview Sweeps...": the window's side of the preview. The window
// is modal, so no command can change the current drive or the settings
// while its walk runs.
#include "app/CMainFrame.h"

#include "app/ModalSeam.h"
#include "sweep/CPreviewWindow.h"

namespace tw {

void CMainFrame::OnPreviewSweeps()
{
    CPreviewWindow window(*m_drives, this);
    RunModal(window);
}

} // namespace tw
