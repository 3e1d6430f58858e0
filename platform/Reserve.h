// SPDX-License-Identifier: GPL-3.0-or-later
// The clusters an ext4 volume keeps back for itself (2 % of the volume, at
// most 4096 clusters), and the reserve pool of an XFS volume (5 %, at most
// 8192 blocks): free space that no ordinary write reaches and that may well
// hold what a removed file left. A root fill lowers the reserve to 0 while
// it runs. Before it does, the original value is written down in a
// small root-only record, locked while the fill runs; the value comes back
// when the fill ends, and from the record at the next start when the
// program died without restoring it.
#pragma once

#include <sys/types.h>

#include <string>

namespace tw {

// Where the records are kept: $TARNOWICK_RUN_DIR when set (tests), else
// /run/tarnowick. The directory is created 0700 and used only when it
// belongs to this user and nobody else may write to it.
std::string ReserveRecordDirectory();

class ReserveLift {
public:
    // Lowers the reserve of the ext4 volume on `device` to 0, after writing
    // the record; on XFS the reserve pool of the volume of `fd`. Nothing
    // happens on other file systems, without the right to change the
    // reserve, when no record can be written, or while another fill holds
    // the record of this volume.
    explicit ReserveLift(dev_t device, int fd = -1);
    ~ReserveLift();
    ReserveLift(const ReserveLift&) = delete;
    ReserveLift& operator=(const ReserveLift&) = delete;

    bool Lifted() const { return m_recordFd >= 0; }
    // Puts the original value back and removes the record (at most once).
    void Restore();

private:
    std::string m_strPath;   // /sys/fs/ext4/<name>/reserved_clusters
    std::string m_strSaved;  // the original value
    std::string m_strRecord; // the record's path
    int m_recordFd = -1;     // open and locked while lifted
    int m_slot = -1;         // in the give-back table
    int m_xfsFd = -1;        // XFS: the volume's descriptor (own copy), -1 on ext4
};

// Sets the XFS reserve pool of the volume of `fd` to `blocks`; 0 or errno.
// Only system calls: usable in a signal handler.
int RestoreXfsReserveNow(int fd, unsigned long long blocks);
// The XFS reserve pool of the volume of `fd` in blocks; false without it
// (another file system, or no right to ask).
bool XfsReserveOf(int fd, unsigned long long* blocks);

// Start-up: restores every reserve whose record a dead fill left, where the
// same volume is still mounted and its reserve is still 0, and removes the
// records. Records a running fill holds are left alone. Returns how many
// reserves were restored.
int RestoreLiftedReserves();

// A record's text as the program reads it and would write it again; ""
// when the text is no record the program would act on.
std::string ReparseReserveRecord(const std::string& text);

// The reserve file of the ext4 volume on `device`, "" when there is none.
std::string ReserveFileOf(dev_t device);

} // namespace tw
