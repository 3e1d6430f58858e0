// SPDX-License-Identifier: GPL-3.0-or-later
// The window's side of the disk-level commands: the drives are chosen on the
// GUI thread, the wiping and the memory pushing run on the worker thread.
#include "app/CMainFrame.h"
#include "core/CommandIds.h"
#include "app/ModalSeam.h"
#include "disk/FreeSpaceWiper.h"
#include "disk/SwapOvercommit.h"
#include "platform/Memory.h"
#include "prefs/CSelectDrives.h"

namespace tw {

void CMainFrame::OnSecureEmptySpace()
{
    std::string drives;
    {
        CSelectDrives dialog(*m_drives, this);
        if (RunModal(dialog) != IDOK)
            return;
        // Drive letters are plain ASCII.
        drives = dialog.m_strDrives.toLatin1().toStdString();
    }
    RunOperation([&drives](Operation& op) { SecureEmptySpace(op, drives); });
}

void CMainFrame::OnOvercommitSwapfile()
{
    RunOperation([](Operation& op) {
        SystemAllocator allocator;
        OvercommitSwapfile(op, allocator);
    });
}

} // namespace tw
