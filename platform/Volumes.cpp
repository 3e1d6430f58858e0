// SPDX-License-Identifier: GPL-3.0-or-later
// Which mounts are drives. A drive letter leads the sweeps and the free-space
// wipe to a volume, so anything that is not a real local volume (kernel
// interfaces, memory file systems, container layers, read-only media, network
// shares) must never become one.
#include "platform/Volumes.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include <optional>

#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace tw {

namespace fs = std::filesystem;

namespace {

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

// The kernel separates the fields of a mountinfo line by one blank each and
// writes a blank inside a field as \040, so two blanks in a row enclose an
// empty field (a file system mounted with an empty source name).
std::vector<std::string_view> SplitFields(std::string_view line)
{
    std::vector<std::string_view> fields;
    size_t pos = 0;
    for (;;) {
        const size_t end = std::min(line.find(' ', pos), line.size());
        fields.push_back(line.substr(pos, end - pos));
        if (end == line.size())
            return fields;
        pos = end + 1;
    }
}

// A device number as the kernel writes it: decimal digits only, and small
// enough for its field.
bool ReadNumber(std::string_view text, unsigned& value)
{
    if (text.empty() || text.size() > 10)
        return false;
    uint64_t n = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        n = n * 10 + unsigned(c - '0');
    }
    if (n > 0xFFFFFFFFu)
        return false;
    value = unsigned(n);
    return true;
}

bool HasOption(std::string_view options, std::string_view name)
{
    size_t pos = 0;
    while (pos <= options.size()) {
        const size_t end = std::min(options.find(',', pos), options.size());
        if (options.substr(pos, end - pos) == name)
            return true;
        pos = end + 1;
    }
    return false;
}

// File systems that can sit on a /dev source yet are no drive a user could
// sweep or fill: kernel interfaces, memory-backed, layered or optical.
bool IsPseudoOrMedia(const std::string& type)
{
    static const std::set<std::string> excluded = {
        "proc", "sysfs", "tmpfs", "devtmpfs", "cgroup", "cgroup2", "overlay", "squashfs", "autofs",
        "nsfs", "bpf", "tracefs", "debugfs", "securityfs", "pstore", "configfs", "mqueue",
        "hugetlbfs", "devpts", "ramfs", "efivarfs", "binfmt_misc", "fusectl", "rpc_pipefs",
        "iso9660", "udf", "erofs", "cramfs", "aufs", "nfs", "nfs4", "cifs", "smb3", "9p", "virtiofs",
    };
    // fuseblk is ntfs-3g and friends on a real partition; every other FUSE
    // type is a program's view of something else.
    return excluded.count(type) != 0 || StartsWith(type, "fuse.") || type == "fuse";
}

// /dev/ram0 and /dev/zram0 live in memory: a RAM disk, not a drive.
bool IsRamDisk(const std::string& source)
{
    const std::string name = fs::path(source).filename().string();
    auto digitAfter = [&](std::string_view prefix) {
        return StartsWith(name, prefix) && name.size() > prefix.size() && std::isdigit(static_cast<unsigned char>(name[prefix.size()]));
    };
    return digitAfter("ram") || digitAfter("zram");
}

bool IsDriveCandidate(const MountEntry& m)
{
    if (!StartsWith(m.source, "/dev/") || IsPseudoOrMedia(m.fsType) || IsRamDisk(m.source))
        return false;
    // A wipe must be able to write; a volume mounted read-only is media or
    // protected on purpose.
    return !HasOption(m.mountOptions, "ro") && !HasOption(m.superOptions, "ro");
}

bool ReadsOne(const fs::path& file)
{
    std::ifstream in(file);
    char c = 0;
    return in.get(c) && c == '1';
}

std::string ReadWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

std::string DecodeMountField(std::string_view field)
{
    const auto octal = [](char c) { return c >= '0' && c <= '7'; };
    std::string out;
    out.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && field.size() - i >= 4 && octal(field[i + 1]) && octal(field[i + 2]) && octal(field[i + 3])) {
            out.push_back(char(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0')));
            i += 3;
            continue;
        }
        out.push_back(field[i]);
    }
    return out;
}

std::vector<MountEntry> ParseMountInfo(std::string_view text)
{
    std::vector<MountEntry> mounts;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t end = std::min(text.find('\n', pos), text.size());
        const std::vector<std::string_view> f = SplitFields(text.substr(pos, end - pos));
        pos = end + 1;
        // id parent maj:min root mount-point options [tags...] - type source super-options
        // Six fields by position, tags up to the lone "-", then exactly three.
        if (f.size() < 10)
            continue;
        const auto dash = std::find(f.begin() + 6, f.end(), std::string_view("-"));
        if (dash == f.end() || f.end() - dash != 4)
            continue;
        MountEntry m;
        const std::string_view dev = f[2];
        const size_t colon = dev.find(':');
        if (colon == std::string_view::npos || !ReadNumber(dev.substr(0, colon), m.major)
            || !ReadNumber(dev.substr(colon + 1), m.minor))
            continue;
        m.root = DecodeMountField(f[3]);
        m.mountPoint = DecodeMountField(f[4]);
        m.mountOptions = std::string(f[5]);
        m.fsType = DecodeMountField(dash[1]);
        m.source = DecodeMountField(dash[2]);
        m.superOptions = std::string(dash[3]);
        // A mount point is an absolute path, and no path holds a NUL: a
        // line that says otherwise is not the kernel's.
        if (m.mountPoint.empty() || m.mountPoint.front() != '/' || m.mountPoint.find('\0') != std::string::npos
            || m.root.find('\0') != std::string::npos || m.source.find('\0') != std::string::npos
            || m.fsType.empty())
            continue;
        mounts.push_back(std::move(m));
    }
    return mounts;
}

std::vector<Volume> SelectLocalVolumes(const std::vector<MountEntry>& mounts, const std::string& sysRoot)
{
    // A later mount on the same directory hides the earlier one.
    std::map<std::string, size_t> topmost;
    for (size_t i = 0; i < mounts.size(); ++i)
        topmost[mounts[i].mountPoint] = i;

    // One volume, many mounts (bind mounts, btrfs subvolumes): group them by
    // device number so that a sweep never visits the same files twice.
    std::map<std::pair<unsigned, unsigned>, std::vector<size_t>> byDevice;
    for (size_t i = 0; i < mounts.size(); ++i)
        if (topmost[mounts[i].mountPoint] == i && IsDriveCandidate(mounts[i]))
            byDevice[{mounts[i].major, mounts[i].minor}].push_back(i);

    std::vector<size_t> picked;
    for (const auto& [device, indices] : byDevice) {
        // "/" is always C, so it represents its volume. Otherwise the whole
        // volume mounted (root "/") at the shortest path. A btrfs volume may
        // only have subvolumes mounted; the shortest mount point stands for
        // it. Anything else is a piece of a volume (a file or directory bound
        // into a container) and is no drive.
        auto better = [&](size_t a, size_t b) {
            const MountEntry& x = mounts[a];
            const MountEntry& y = mounts[b];
            if ((x.mountPoint == "/") != (y.mountPoint == "/"))
                return x.mountPoint == "/";
            if ((x.root == "/") != (y.root == "/"))
                return x.root == "/";
            if (x.mountPoint.size() != y.mountPoint.size())
                return x.mountPoint.size() < y.mountPoint.size();
            return a < b;
        };
        const size_t best = *std::min_element(indices.begin(), indices.end(), better);
        if (mounts[best].root == "/" || mounts[best].fsType == "btrfs")
            picked.push_back(best);
    }
    std::sort(picked.begin(), picked.end());

    std::vector<Volume> volumes;
    for (size_t i : picked) {
        const MountEntry& m = mounts[i];
        volumes.push_back(Volume{m.mountPoint, m.source, m.fsType, m.major, m.minor,
                                 IsRemovableDevice(sysRoot, m.major, m.minor, m.source)});
    }
    return volumes;
}

namespace {

// The name of a file system a drive can hold, from its statfs magic.
std::string FsTypeName(unsigned long magic)
{
    switch (magic) {
    case 0xEF53: return "ext4";  // ext2, ext3 and ext4 share it
    case 0x58465342: return "xfs";
    case 0x9123683E: return "btrfs";
    case 0xF2F52010: return "f2fs";
    case 0x4D44: return "vfat";
    case 0x2011BAB0: return "exfat";
    case 0x65735546: return "fuseblk";
    default: return {};
    }
}

// In a chroot the process's "/" is a directory of a volume mounted above
// it, so the mount table has no line for "/" (or cannot be read at all,
// /proc not being mounted). "/" is still C: the volume that holds it, when
// that is a block device's file system mounted read-write.
std::optional<Volume> RootOutsideMountTable(const std::string& sysRoot)
{
    struct stat st {};
    struct statvfs vfs {};
    struct statfs fsInfo {};
    if (stat("/", &st) != 0 || statvfs("/", &vfs) != 0 || statfs("/", &fsInfo) != 0)
        return std::nullopt;
    // Device major 0 is an anonymous device: a memory or layered file system.
    if (major(st.st_dev) == 0 || (vfs.f_flag & ST_RDONLY))
        return std::nullopt;
    return Volume{"/", "", FsTypeName(static_cast<unsigned long>(fsInfo.f_type)), major(st.st_dev), minor(st.st_dev),
                  IsRemovableDevice(sysRoot, major(st.st_dev), minor(st.st_dev), "")};
}

} // namespace

std::vector<Volume> ListLocalVolumes(const std::string& mountinfoPath, const std::string& sysRoot)
{
    const std::vector<MountEntry> mounts = ParseMountInfo(ReadWhole(mountinfoPath));
    std::vector<Volume> volumes = SelectLocalVolumes(mounts, sysRoot);
    const bool rootListed = std::any_of(mounts.begin(), mounts.end(), [](const MountEntry& m) { return m.mountPoint == "/"; });
    if (mountinfoPath == kOwnMountTable && !rootListed)
        if (std::optional<Volume> root = RootOutsideMountTable(sysRoot))
            volumes.insert(volumes.begin(), std::move(*root));
    return volumes;
}

bool IsRemovableDevice(const std::string& sysRoot, unsigned major, unsigned minor, const std::string& source)
{
    std::error_code ec;
    const fs::path sys = fs::canonical(sysRoot, ec);
    if (ec)
        return false;
    fs::path device = fs::canonical(sys / "dev/block" / (std::to_string(major) + ":" + std::to_string(minor)), ec);
    if (ec && StartsWith(source, "/dev/"))
        device = fs::canonical(sys / "class/block" / fs::path(source).filename(), ec);
    if (ec)
        return false;
    // A partition's own directory has no "removable"; its disk, one up, does.
    if (ReadsOne(device / "removable") || ReadsOne(device.parent_path() / "removable"))
        return true;
    // USB disks and SD cards often report removable=0; the bus they sit on
    // says what the user will pull out.
    for (const fs::path& part : device.lexically_relative(sys)) {
        const std::string name = part.string();
        if (StartsWith(name, "usb") || StartsWith(name, "mmc"))
            return true;
    }
    return false;
}

std::string CurrentDirectory()
{
    std::string buffer(4096, '\0');
    for (;;) {
        if (getcwd(buffer.data(), buffer.size()))
            return std::string(buffer.c_str());
        if (errno != ERANGE)
            return {};
        buffer.resize(buffer.size() * 2);
    }
}

int GetVolumeSpace(const std::string& path, VolumeSpace* space)
{
    struct statvfs s {};
    if (statvfs(path.c_str(), &s) != 0)
        return errno;
    space->size = uint64_t(s.f_blocks) * s.f_frsize;
    space->free = uint64_t(s.f_bfree) * s.f_frsize;
    space->available = uint64_t(s.f_bavail) * s.f_frsize;
    return 0;
}

} // namespace tw
