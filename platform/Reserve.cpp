// SPDX-License-Identifier: GPL-3.0-or-later
// Lowering and restoring ext4's reserved clusters, with a record in a
// root-only directory that outlives the process but not the boot (/run is a
// memory file system), so a fill killed with SIGKILL is mended at the next
// start of the program.
#include "platform/Reserve.h"

#include "platform/GiveBack.h"
#include "platform/Scrub.h"

#include <linux/types.h>
#include <sys/ioctl.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <set>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <vector>

namespace tw {

namespace {

constexpr char kRecordPrefix[] = "reserve-";

// XFS_IOC_SET_RESBLKS and XFS_IOC_GET_RESBLKS, as the kernel defines them.
struct XfsReserve {
    __u64 blocks;
    __u64 available;
};
constexpr unsigned long kXfsSetReserve = _IOWR('X', 114, XfsReserve);
constexpr unsigned long kXfsGetReserve = _IOR('X', 115, XfsReserve);

bool ReadSmallFile(const std::string& path, std::string& text)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char buf[64];
    const ssize_t n = read(fd, buf, sizeof buf - 1);
    close(fd);
    if (n <= 0)
        return false;
    text.assign(buf, size_t(n));
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return !text.empty();
}

bool WriteSmallFile(const std::string& path, const std::string& text)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = write(fd, text.data(), text.size()) == ssize_t(text.size());
    close(fd);
    return ok;
}

bool AllDigits(const std::string& s)
{
    if (s.empty() || s.size() > 20)
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

bool SafeName(const std::string& s)
{
    if (s.empty() || s.size() > 64 || s == "." || s == "..")
        return false;
    for (char c : s)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.'))
            return false;
    return true;
}

// The kernel's name of the block device (sda2, loop3, dm-0), which names
// the volume's directory under /sys/fs/ext4.
std::string KernelName(dev_t device)
{
    const std::string link = "/sys/dev/block/" + std::to_string(major(device)) + ":" + std::to_string(minor(device));
    char resolved[PATH_MAX];
    if (!realpath(link.c_str(), resolved))
        return {};
    const std::string path = resolved;
    return path.substr(path.rfind('/') + 1);
}

std::string ReserveFileFor(const std::string& name) { return "/sys/fs/ext4/" + name + "/reserved_clusters"; }

// The identifiers of the mounts of `device` now. A mount keeps its volume's
// superblock, and with it the lowered reserve, alive; once every mount that
// was there during the fill is gone, the volume was mounted afresh and has
// its default reserve again.
std::set<std::string> MountIdsOf(dev_t device)
{
    std::set<std::string> ids;
    std::ifstream in("/proc/self/mountinfo");
    const std::string want = std::to_string(major(device)) + ":" + std::to_string(minor(device));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string id, parent, dev;
        if (fields >> id >> parent >> dev && dev == want)
            ids.insert(id);
    }
    return ids;
}

// Where `device` is mounted (the first mount listed), "" when it is not.
std::string MountPointOf(dev_t device)
{
    std::ifstream in("/proc/self/mountinfo");
    const std::string want = std::to_string(major(device)) + ":" + std::to_string(minor(device));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string id, parent, dev, root, mountPoint;
        if (fields >> id >> parent >> dev >> root >> mountPoint && dev == want && root == "/"
            && mountPoint.find('\\') == std::string::npos)
            return mountPoint;
    }
    return {};
}

// What a record holds.
struct Record {
    bool xfs = false;  // the XFS reserve pool, else ext4's reserved clusters
    unsigned maj = 0, min = 0;
    std::string name;
    std::string value;
    std::set<std::string> mounts;
};

std::string FormatRecord(const Record& r)
{
    std::string text = std::string(r.xfs ? "kind=xfs\n" : "") + "device=" + std::to_string(r.maj) + ":" + std::to_string(r.min) + "\nname=" + r.name
        + "\nreserved_clusters=" + r.value + "\nmounts=";
    bool first = true;
    for (const std::string& id : r.mounts) {
        text += (first ? "" : " ") + id;
        first = false;
    }
    return text + "\n";
}

bool ParseRecord(const std::string& text, Record& r)
{
    std::istringstream in(text);
    std::string line;
    bool device = false;
    while (std::getline(in, line)) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "kind") {
            r.xfs = value == "xfs";
        } else if (key == "device") {
            device = std::sscanf(value.c_str(), "%u:%u", &r.maj, &r.min) == 2;
        } else if (key == "name") {
            r.name = value;
        } else if (key == "reserved_clusters") {
            r.value = value;
        } else if (key == "mounts") {
            std::istringstream ids(value);
            std::string id;
            while (ids >> id)
                if (AllDigits(id))
                    r.mounts.insert(id);
        }
    }
    return device && SafeName(r.name) && AllDigits(r.value);
}

std::string ReadAll(int fd)
{
    std::string text;
    char buf[512];
    off_t offset = 0;
    for (;;) {
        const ssize_t n = pread(fd, buf, sizeof buf, offset);
        if (n <= 0 || text.size() > 4096)
            break;
        text.append(buf, size_t(n));
        offset += n;
    }
    return text;
}

// Restores the reserve a record describes, when it still applies: the same
// device under the same kernel name, at least one mount of the fill still
// there, and the reserve still 0. Returns true when the value was written.
bool ApplyRecord(const Record& r)
{
    const dev_t device = makedev(r.maj, r.min);
    if (KernelName(device) != r.name)
        return false;
    bool sameMount = false;
    for (const std::string& id : MountIdsOf(device))
        sameMount = sameMount || r.mounts.count(id) > 0;
    if (!sameMount)
        return false;
    if (r.xfs) {
        const std::string mountPoint = MountPointOf(device);
        const int fd = mountPoint.empty() ? -1 : open(mountPoint.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return false;
        struct stat st;
        unsigned long long blocks = 0;
        const bool apply = fstat(fd, &st) == 0 && st.st_dev == device && XfsReserveOf(fd, &blocks) && blocks == 0;
        const bool done = apply && RestoreXfsReserveNow(fd, std::strtoull(r.value.c_str(), nullptr, 10)) == 0;
        close(fd);
        return done;
    }
    std::string current;
    const std::string path = ReserveFileFor(r.name);
    if (!ReadSmallFile(path, current) || current != "0")
        return false;
    return WriteSmallFile(path, r.value);
}

// Opens the record directory, creating it; -1 when it cannot be trusted.
int OpenRecordDirectory()
{
    const std::string dir = ReserveRecordDirectory();
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
        return -1;
    const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st;
    if (fstat(fd, &st) != 0 || st.st_uid != geteuid() || (st.st_mode & 022) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Opens and locks a record for exclusive use. The lock is taken without
// waiting: a record locked by another process belongs to a fill that runs.
// After the lock, the name must still lead to the locked file; a record
// removed meanwhile by its owner is opened anew. -1 when it is held.
int LockRecord(int dirfd, const std::string& name, bool create)
{
    for (int attempt = 0; attempt < 8; ++attempt) {
        const int flags = O_RDWR | O_NOFOLLOW | O_CLOEXEC | (create ? O_CREAT : 0);
        const int fd = openat(dirfd, name.c_str(), flags, 0600);
        if (fd < 0)
            return -1;
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            close(fd);
            return -1;
        }
        struct stat opened, named;
        if (fstat(fd, &opened) == 0 && fstatat(dirfd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0
            && opened.st_ino == named.st_ino && opened.st_dev == named.st_dev && S_ISREG(opened.st_mode)
            && opened.st_uid == geteuid())
            return fd;
        close(fd);
        if (!create)
            return -1;
    }
    return -1;
}

std::string RecordName(dev_t device)
{
    return kRecordPrefix + std::to_string(major(device)) + "-" + std::to_string(minor(device));
}

} // namespace

std::string ReparseReserveRecord(const std::string& text)
{
    Record r;
    return ParseRecord(text, r) ? FormatRecord(r) : std::string();
}

std::string ReserveRecordDirectory()
{
    if (const char* dir = std::getenv("TARNOWICK_RUN_DIR"); dir && *dir)
        return dir;
    return "/run/tarnowick";
}

std::string ReserveFileOf(dev_t device)
{
    const std::string name = KernelName(device);
    if (!SafeName(name))
        return {};
    const std::string path = ReserveFileFor(name);
    return access(path.c_str(), F_OK) == 0 ? path : std::string();
}

ReserveLift::ReserveLift(dev_t device, int fd)
{
    const std::string name = KernelName(device);
    if (!SafeName(name))
        return;
    const std::string path = ReserveFileFor(name);
    std::string current;
    unsigned long long pool = 0;
    const bool xfs = fd >= 0 && FamilyOf(fd) == FsFamily::Xfs;
    if (xfs) {
        // Only root may ask for the pool, let alone change it.
        if (!XfsReserveOf(fd, &pool))
            return;
        current = std::to_string(pool);
    } else if (!ReadSmallFile(path, current) || !AllDigits(current)) {
        return;
    }
    // Only who may change the reserve goes on, and only such a user may
    // write the record directory under /run.
    if (!xfs && access(path.c_str(), W_OK) != 0)
        return;
    const int dirfd = OpenRecordDirectory();
    if (dirfd < 0)
        return;
    const std::string recordName = RecordName(device);
    const int recordFd = LockRecord(dirfd, recordName, true);
    if (recordFd < 0) {
        close(dirfd);
        return;
    }
    const std::string recordPath = ReserveRecordDirectory() + "/" + recordName;

    // A record left by a fill that died holds the true original value: the
    // 0 there now is that fill's doing.
    Record left;
    std::string original = current;
    if (ParseRecord(ReadAll(recordFd), left) && left.xfs == xfs && left.name == name && current == "0") {
        bool sameMount = false;
        for (const std::string& id : MountIdsOf(device))
            sameMount = sameMount || left.mounts.count(id) > 0;
        if (sameMount)
            original = left.value;
    }

    Record record;
    record.xfs = xfs;
    record.maj = major(device);
    record.min = minor(device);
    record.name = name;
    record.value = original;
    record.mounts = MountIdsOf(device);
    const std::string text = FormatRecord(record);
    const bool recorded = original != "0" && ftruncate(recordFd, 0) == 0
        && pwrite(recordFd, text.data(), text.size(), 0) == ssize_t(text.size()) && fsync(recordFd) == 0;
    const int xfsFd = recorded && xfs ? fcntl(fd, F_DUPFD_CLOEXEC, 0) : -1;
    const bool lowered = recorded && (xfs ? xfsFd >= 0 && RestoreXfsReserveNow(xfsFd, 0) == 0 : WriteSmallFile(path, "0"));
    if (!lowered) {
        // Nothing to lift, or it could not be written down first: the
        // reserve stays as it is.
        if (xfsFd >= 0)
            close(xfsFd);
        unlinkat(dirfd, recordName.c_str(), 0);
        close(recordFd);
        close(dirfd);
        return;
    }
    close(dirfd);
    m_strPath = path;
    m_strSaved = original;
    m_strRecord = recordPath;
    m_recordFd = recordFd;
    m_xfsFd = xfsFd;
    m_slot = xfs ? HoldXfsReserve(xfsFd, std::strtoull(original.c_str(), nullptr, 10))
                 : HoldReserve(path.c_str(), original.c_str());
}

ReserveLift::~ReserveLift() { Restore(); }

void ReserveLift::Restore()
{
    if (m_recordFd < 0)
        return;
    if (m_xfsFd >= 0) {
        RestoreXfsReserveNow(m_xfsFd, std::strtoull(m_strSaved.c_str(), nullptr, 10));
        close(m_xfsFd);
        m_xfsFd = -1;
    } else {
        WriteSmallFile(m_strPath, m_strSaved);
    }
    ReleaseReserve(m_slot);
    m_slot = -1;
    // Removed while still locked, so that no other process takes the
    // record over between the removal and the unlock.
    unlink(m_strRecord.c_str());
    close(m_recordFd);
    m_recordFd = -1;
}

int RestoreXfsReserveNow(int fd, unsigned long long blocks)
{
    XfsReserve reserve {};
    reserve.blocks = blocks;
    return ioctl(fd, kXfsSetReserve, &reserve) == 0 ? 0 : errno;
}

bool XfsReserveOf(int fd, unsigned long long* blocks)
{
    if (FamilyOf(fd) != FsFamily::Xfs)
        return false;
    XfsReserve reserve {};
    if (ioctl(fd, kXfsGetReserve, &reserve) != 0)
        return false;
    *blocks = reserve.blocks;
    return true;
}

int RestoreLiftedReserves()
{
    const std::string dir = ReserveRecordDirectory();
    const int dirfd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dirfd < 0)
        return 0;
    struct stat st;
    if (fstat(dirfd, &st) != 0 || st.st_uid != geteuid() || (st.st_mode & 022) != 0) {
        close(dirfd);
        return 0;
    }
    std::vector<std::string> names;
    if (DIR* list = opendir(dir.c_str())) {
        while (const dirent* e = readdir(list))
            if (std::strncmp(e->d_name, kRecordPrefix, std::strlen(kRecordPrefix)) == 0)
                names.emplace_back(e->d_name);
        closedir(list);
    }
    int restored = 0;
    for (const std::string& name : names) {
        const int fd = LockRecord(dirfd, name, false);
        if (fd < 0)
            continue;  // a fill that runs now holds it
        Record r;
        if (ParseRecord(ReadAll(fd), r) && ApplyRecord(r))
            ++restored;
        unlinkat(dirfd, name.c_str(), 0);
        close(fd);
    }
    close(dirfd);
    return restored;
}

} // namespace tw
