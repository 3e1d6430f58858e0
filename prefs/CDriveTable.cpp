// SPDX-License-Identifier: GPL-3.0-or-later
#include "prefs/CDriveTable.h"

namespace tw {

CDriveTable::CDriveTable(std::string mountinfo, std::string sysRoot)
    : m_mountinfo(std::move(mountinfo)), m_sysRoot(std::move(sysRoot))
{
}

std::vector<DriveInfo> CDriveTable::ListDrives()
{
    return {DriveInfo{'C', "/", false}};
}

int CDriveTable::GetDrive()
{
    std::lock_guard lock(m_mutex);
    return m_nCurrent;
}

int CDriveTable::ChangeDrive(int n)
{
    std::lock_guard lock(m_mutex);
    if (n != 3)
        return -1;
    m_nCurrent = n;
    return 0;
}

std::string CDriveTable::CurrentRoot()
{
    return "/";
}

} // namespace tw
