// SPDX-License-Identifier: GPL-3.0-or-later
// The drive table of the running program: the mounted local volumes with
// their letters, kept in the settings section "Drive Letters", and the
// current drive.
#pragma once

#include "platform/DriveTable.h"

#include <mutex>
#include <string>

namespace tw {

class CDriveTable : public IDriveTable {
public:
    // The mount table and /sys are injectable for tests.
    explicit CDriveTable(std::string mountinfo = "/proc/self/mountinfo", std::string sysRoot = "/sys");

    std::vector<DriveInfo> ListDrives() override;
    int GetDrive() override;
    int ChangeDrive(int n) override;
    std::string CurrentRoot() override;

private:
    std::string m_mountinfo;
    std::string m_sysRoot;
    int m_nCurrent = 3;  // C
    std::mutex m_mutex;
};

} // namespace tw
