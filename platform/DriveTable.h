// SPDX-License-Identifier: GPL-3.0-or-later
// Drive letters on a system without them. A drive is a mounted local
// volume; "/" is C, every other volume keeps the letter it was first given.
// The current drive replaces the C runtime's _getdrive/_chdrive.
#pragma once

#include <string>
#include <vector>

namespace tw {

struct DriveInfo {
    char letter = 0;        // 'A'..'Z'
    std::string root;       // the mount point, the drive's root directory
    bool removable = false; // DRIVE_REMOVABLE, else DRIVE_FIXED
};

class IDriveTable {
public:
    virtual ~IDriveTable() = default;
    // The drives mounted now, ascending by letter. New volumes get their
    // letter here.
    virtual std::vector<DriveInfo> ListDrives() = 0;
    // _getdrive: the current drive's number, 1 = A ... 26 = Z.
    virtual int GetDrive() = 0;
    // _chdrive: 0 when drive n (1 = A) is mounted now and became current,
    // nonzero otherwise (the current drive is then unchanged).
    virtual int ChangeDrive(int n) = 0;
    // The root directory (mount point) of the current drive.
    virtual std::string CurrentRoot() = 0;
};

// Puts the current drive back however the scope ends, a cancel or a file
// error included, so that a later command's "" root means what it meant
// before.
class CurrentDriveKeeper {
public:
    explicit CurrentDriveKeeper(IDriveTable& drives) : m_drives(drives), m_nDrive(drives.GetDrive()) {}
    ~CurrentDriveKeeper()
    {
        try {
            m_drives.ChangeDrive(m_nDrive);
        } catch (...) {
            // Nothing more can be done for the drive while unwinding.
        }
    }
    CurrentDriveKeeper(const CurrentDriveKeeper&) = delete;
    CurrentDriveKeeper& operator=(const CurrentDriveKeeper&) = delete;

private:
    IDriveTable& m_drives;
    int m_nDrive;
};

} // namespace tw
