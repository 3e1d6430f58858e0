// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FsKind.h"

#include "app/Translations.h"

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

bool IsCopyOnWriteFs(int fd, std::string* name)
{
    struct statfs st;
    if (fstatfs(fd, &st) != 0)
        return false;
    for (const CowFs& fs : kCopyOnWrite)
        if ((unsigned long)(unsigned int)st.f_type == fs.magic) {
            if (name)
                *name = fs.name;
            return true;
        }
    return false;
}

std::string CopyOnWriteWarning(const std::string& path, const std::string& fsName)
{
    return FillText(QCoreApplication::translate(
                        "tw::FsKind", "%1 is on a %2 file system, which writes changes to new places on the device. "
                                      "Overwriting in place cannot reach the old copies of the data there; "
                                      "only full-disk encryption or erasing the whole device can."),
                    {path, fsName});
}

} // namespace tw
