// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FsKind.h"

#include "core/Translations.h"

#include <QCoreApplication>

#include <sys/vfs.h>

namespace tw {

namespace {
struct CowFs {
    unsigned long magic;
    const char* name;
};
// Magic numbers from statfs(2): file systems that never overwrite in place.
constexpr CowFs kCopyOnWrite[] = {
    {0x9123683EUL, "btrfs"},
    {0x2FC12FC1UL, "ZFS"},
    {0xF2F52010UL, "F2FS"},
    {0xCA451A4EUL, "bcachefs"},
    {0x3434UL, "NILFS"},
    {0x24051905UL, "UBIFS"},
    {0x72B6UL, "JFFS2"},
};
} // namespace

bool IsCopyOnWriteType(unsigned long type, std::string* name)
{
    for (const CowFs& fs : kCopyOnWrite)
        if ((unsigned long)(unsigned int)type == fs.magic) {
            if (name)
                *name = fs.name;
            return true;
        }
    return false;
}

bool IsCopyOnWriteFs(int fd, std::string* name)
{
    struct statfs st;
    if (fstatfs(fd, &st) != 0)
        return false;
    return IsCopyOnWriteType((unsigned long)st.f_type, name);
}

bool IsOverlayType(unsigned long type) { return (unsigned long)(unsigned int)type == 0x794C7630UL; }

bool MayShareBlocks(unsigned long type)
{
    switch ((unsigned long)(unsigned int)type) {
    case 0xEF53UL:      // ext2, ext3, ext4
    case 0x01021994UL:  // tmpfs
    case 0x858458F6UL:  // ramfs
    case 0x4D44UL:      // FAT
    case 0x2011BAB0UL:  // exFAT
        return false;
    default:
        return true;
    }
}

std::string CopyOnWriteWarning(const std::string& path, const std::string& fsName)
{
    return FillText(QCoreApplication::translate(
                        "tw::FsKind", "%1 is on a %2 file system, which writes changes to new places on the device. "
                                      "Overwriting in place cannot reach the old copies of the data there, so its "
                                      "files are reported as removed, not destroyed. Secure Empty Space on this "
                                      "drive overwrites the old copies that lie in its free space; copies that "
                                      "snapshots keep stay until the snapshots are deleted."),
                    {path, fsName});
}

std::string OverlayWarning(const std::string& path)
{
    return FillText(QCoreApplication::translate(
                        "tw::FsKind", "%1 is on an overlay file system whose lower layer holds the original of the "
                                      "file. Overwriting reaches only the copy in the upper layer, so such files are "
                                      "reported as removed, not destroyed; the originals stay in the lower layer."),
                    {path});
}

} // namespace tw
