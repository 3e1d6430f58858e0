// SPDX-License-Identifier: GPL-3.0-or-later
// What a file system keeps of a destroyed file besides its blocks: its name
// in the free space of its directory, copies of metadata in the journal or
// log, small files stored inside the metadata. Each function here reaches
// one of those places on a mounted volume, as far as the file system and
// the user's rights allow.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <map>

namespace tw {

// The file systems these places differ on, from fstatfs.
enum class FsFamily { Other, Ext4, Xfs, Btrfs };
FsFamily FamilyOf(int fd);

// ext4: checkpoints the journal and has the kernel overwrite all of it with
// zeroes, so that no copy of a directory block (the names) or of data in
// the journal outlives the command. Needs CAP_SYS_ADMIN and Linux 5.13.
// 0, or errno (EPERM without the right, ENOTTY or EOPNOTSUPP where the
// kernel or file system cannot).
int ZeroJournal(int fd);

// A removed entry's name stays in the free space of its directory: on XFS
// the freed entry keeps its bytes until a new entry takes its place; ext4
// wipes a removed entry, but an indexed directory that splits a full block
// leaves copies of the moved entries in the old block's free end. Fills
// the free space of the directory `dirfd` (any descriptor of it, O_PATH
// too) with entries of random names, each a link to one nameless file
// (XFS: largest first, until no entry fits without a new block; ext4:
// short ones until an indexed directory has doubled), then removes them
// again. Every byte an old name held is then overwritten. Does nothing on
// other file systems. 0 or errno.
int ScrubDirectoryFreeSpace(int dirfd);

// XFS: the log is a ring that holds copies of changed metadata, names
// included, until new records overwrite them. Writes metadata of its own
// (nameless files with an attribute large enough to fill a block of the
// log) until the head of the log has gone once round the whole ring, so
// that every record written before holds something new. Any user with a
// writable directory on the volume may do this. `stop` (may be empty) is
// asked between rounds. 0 when the log went round; else errno (ECANCELED
// when stopped).
int WrapXfsLog(int dirfd, const std::function<bool()>& stop = {});

// XFS: the free space no write reaches while the volume is mounted: what
// the allocation groups still hold free after a fill (the space XFS keeps
// back for its own metadata). 0 where it cannot be told.
uint64_t XfsFreeBytes(int fd);

// btrfs: small files live inside metadata blocks, and the old copies of
// metadata blocks stay in the metadata block groups after the files are
// gone. Relocating the metadata block groups (a metadata balance) frees
// those groups, so that a fill that follows overwrites them. Needs
// CAP_SYS_ADMIN. 0 or errno.
int RelocateBtrfsMetadata(int fd);

// The ext4 volumes a command removed files from, for one zeroing of each
// journal at the end of the command (zeroing costs about as much for one
// file as for thousands). Only noted where the journal may be zeroed
// (root on ext4).
class JournalScrubs {
public:
    JournalScrubs() = default;
    ~JournalScrubs();
    JournalScrubs(const JournalScrubs&) = delete;
    JournalScrubs& operator=(const JournalScrubs&) = delete;

    // Notes the volume of the directory `dirfd`, which just lost a file,
    // while a JournalScrubAtEnd of a command is in force.
    void Note(int dirfd);
    // Zeroes the journal of every noted volume, once.
    void ZeroAll();
    size_t Pending() const { return m_volumes.size(); }

private:
    friend class JournalScrubAtEnd;
    int m_scopes = 0;                // JournalScrubAtEnd in force
    std::map<dev_t, int> m_volumes;  // volume -> descriptor of a directory on it
};

// Runs JournalScrubs::ZeroAll when the scope ends, however it ends.
class JournalScrubAtEnd {
public:
    explicit JournalScrubAtEnd(JournalScrubs& scrubs) : m_scrubs(scrubs) { ++m_scrubs.m_scopes; }
    ~JournalScrubAtEnd()
    {
        if (--m_scrubs.m_scopes == 0)
            m_scrubs.ZeroAll();
    }
    JournalScrubAtEnd(const JournalScrubAtEnd&) = delete;
    JournalScrubAtEnd& operator=(const JournalScrubAtEnd&) = delete;

private:
    JournalScrubs& m_scrubs;
};

} // namespace tw
