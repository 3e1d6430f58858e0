// SPDX-License-Identifier: GPL-3.0-or-later
// The drive table of the running program: the mounted local volumes with
// their letters, kept in the settings section "Drive Letters", and the
// current drive. A letter is never silently moved to another volume: the
// sweeps and the free-space wipe destroy data wherever it points.
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

    // How a mount point is written as a value of "Drive Letters": as it is
    // when it is UTF-8, with \ooo for backslashes and for bytes that are not
    // UTF-8, so that every mount point keeps a value of its own.
    static std::string StoredName(const std::string& mountPoint);

private:
    std::vector<DriveInfo> ListDrivesLocked();
    void SettleCurrentLocked();

    std::string m_mountinfo;
    std::string m_sysRoot;
    bool m_bSettled = false;      // the current drive has been taken from the current directory
    int m_nCurrent = 3;           // C
    std::string m_strCurrentRoot = "/";
    // The sweep asks from its worker thread while the window may list drives.
    std::mutex m_mutex;
};

} // namespace tw
