// SPDX-License-Identifier: GPL-3.0-or-later
// The overlay's layers, read from /proc/self/mountinfo.
#include "platform/OverlayLayers.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tw {

namespace {

// mountinfo writes blanks, tabs, newlines and backslashes of paths (and,
// in an overlay's options, commas and equals signs) as \ooo.
std::string Unescape(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size()) {
            const char a = text[i + 1], b = text[i + 2], c = text[i + 3];
            if (a >= '0' && a <= '3' && b >= '0' && b <= '7' && c >= '0' && c <= '7') {
                out += char((a - '0') * 64 + (b - '0') * 8 + (c - '0'));
                i += 3;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

struct MountLine {
    std::string root;        // the directory of the file system mounted here
    std::string mountPoint;
    std::string upperDir;    // the overlay's upper layer, empty when none is named
};

// The line of the mount with id `mountId`.
bool FindMount(uint64_t mountId, MountLine& found)
{
    std::ifstream in("/proc/self/mountinfo");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        uint64_t id = 0;
        if (!(fields >> id) || id != mountId)
            continue;
        std::string parent, devices, root, mountPoint, field;
        fields >> parent >> devices >> root >> mountPoint;
        // Optional fields end at "-"; then the type, the source and the
        // file system's own options.
        while (fields >> field && field != "-") {
        }
        std::string type, source, options;
        fields >> type >> source >> options;
        if (type != "overlay")
            return false;
        found.root = Unescape(root);
        found.mountPoint = Unescape(mountPoint);
        // Options are separated by commas; commas inside a path are escaped.
        std::istringstream list(options);
        std::string option;
        while (std::getline(list, option, ','))
            if (option.rfind("upperdir=", 0) == 0)
                found.upperDir = Unescape(option.substr(9));
        return true;
    }
    return false;
}

} // namespace

std::string OverlayUpperDirectory(int dirfd)
{
    struct statx sx {};
    if (statx(dirfd, "", AT_EMPTY_PATH, STATX_MNT_ID, &sx) != 0 || !(sx.stx_mask & STATX_MNT_ID))
        return {};
    MountLine mount;
    if (!FindMount(sx.stx_mnt_id, mount) || mount.upperDir.empty() || mount.upperDir[0] != '/')
        return {};
    char link[PATH_MAX + 1];
    const std::string fdPath = "/proc/self/fd/" + std::to_string(dirfd);
    const ssize_t n = readlink(fdPath.c_str(), link, PATH_MAX);
    if (n <= 0)
        return {};
    const std::string path(link, size_t(n));
    // The directory's place inside the mount, then inside the overlay.
    std::string inside;
    if (mount.mountPoint == "/")
        inside = path;
    else if (path == mount.mountPoint)
        inside = "/";
    else if (path.compare(0, mount.mountPoint.size() + 1, mount.mountPoint + "/") == 0)
        inside = path.substr(mount.mountPoint.size());
    else
        return {};  // "(deleted)" or a path from another namespace
    std::string upper = mount.upperDir;
    if (mount.root != "/")
        upper += mount.root;
    if (inside != "/")
        upper += inside;
    // The layer must be visible from here as the directory it names.
    struct stat st {};
    if (stat(upper.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return {};
    return upper;
}

bool OverlayHasLowerCopy(const std::string& upperDirectory, const std::string& name, uint64_t mergedInode)
{
    if (upperDirectory.empty())
        return true;
    struct stat upper {};
    if (fstatat(AT_FDCWD, (upperDirectory + "/" + name).c_str(), &upper, AT_SYMLINK_NOFOLLOW) != 0)
        return true;  // in a lower layer alone (or not to be looked at)
    return uint64_t(upper.st_ino) != mergedInode;
}

} // namespace tw
