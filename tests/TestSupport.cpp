// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/TestSupport.h"

#include "core/CommandIds.h"
#include "core/Operation.h"
#include "platform/Filler.h"

#include "prefs/Settings.h"

#include <cstdio>
#include <filesystem>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <fstream>
#include <grp.h>
#include <pwd.h>
#include <ftw.h>
#include <sstream>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tw::test {

namespace {
std::string TmpRoot()
{
    const char* t = std::getenv("TMPDIR");
    return t && *t ? t : "/tmp";
}
} // namespace

TempDir::TempDir(const std::string& under)
{
    std::string tmpl = (under.empty() ? TmpRoot() : under) + "/tarnowick-test-XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data()))
        throw std::runtime_error("mkdtemp failed: " + tmpl);
    m_path = buf.data();
}

TempDir::~TempDir() { RemoveTree(m_path); }

void RemoveTree(const std::string& path)
{
    // Make everything writable first, so that a test that took permissions
    // away still cleans up.
    nftw(path.c_str(), [](const char* p, const struct stat* sb, int type, FTW*) {
        if (type == FTW_D || type == FTW_DNR)
            chmod(p, (sb->st_mode & 07777) | S_IRWXU);
        return 0;
    }, 64, FTW_PHYS);
    nftw(path.c_str(), [](const char* p, const struct stat*, int, FTW*) {
        remove(p);
        return 0;
    }, 64, FTW_DEPTH | FTW_PHYS);
}

void WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), std::streamsize(content.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool Exists(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

std::string Pattern(size_t length)
{
    std::string s(length, '\0');
    for (size_t i = 0; i < length; ++i)
        s[i] = kWipePattern[i % kWipePatternSize];
    return s;
}

void ClearSettings()
{
    // The store is one file; without it every value reads as absent. Its
    // directory stays, so that a test can write a file of its own there.
    const std::string file = CSettings::FilePath();
    std::remove(file.c_str());
    std::filesystem::create_directories(file.substr(0, file.rfind('/')));
}

void ScriptedHost::Record(const ItemResult& item)
{
    records.push_back(item);
    log.push_back("record " + item.path
                  + (item.destroyed ? " destroyed" : item.removed ? " removed" : " left " + std::to_string(item.cause)));
}

int ScriptedHost::Confirm(const std::string& path)
{
    questions.push_back({"confirm", path, ""});
    log.push_back("confirm " + path);
    if (confirmAnswers.empty()) {
        ADD_FAILURE() << "unscripted confirm for " << path;
        return IDCANCEL;
    }
    const int a = confirmAnswers.front();
    confirmAnswers.pop_front();
    return a;
}

int ScriptedHost::FileError(const std::string& file, const std::string& message)
{
    questions.push_back({"file", file, message});
    log.push_back("file " + file + "|" + message);
    if (fileErrorAnswers.empty()) {
        ADD_FAILURE() << "unscripted file error: [" << file << "] " << message;
        return IDCANCEL;
    }
    const int a = fileErrorAnswers.front();
    fileErrorAnswers.pop_front();
    return a;
}

int ScriptedHost::DiskError(const std::string& text)
{
    questions.push_back({"disk", text, ""});
    if (diskErrorAnswers.empty()) {
        ADD_FAILURE() << "unscripted disk error: " << text;
        return IDCANCEL;
    }
    const int a = diskErrorAnswers.front();
    diskErrorAnswers.pop_front();
    return a;
}

void ScriptedHost::Message(const std::string& text)
{
    questions.push_back({"message", text, ""});
}

void ScriptedHost::Warning(const std::string& text)
{
    questions.push_back({"warning", text, ""});
}

std::vector<std::string> ScriptedHost::Messages() const
{
    std::vector<std::string> out;
    for (const Question& q : questions)
        if (q.kind == "message")
            out.push_back(q.first);
    return out;
}

namespace {
class LogProgress : public IProgress {
public:
    LogProgress(ScriptedHost::ProgressLog& log, std::vector<std::string>& order) : m_log(log), m_order(order)
    {
        m_log.events.push_back("create");
    }
    ~LogProgress() override { m_log.events.push_back("destroy"); }
    void ShowScanning() override { m_log.events.push_back("scanning"); }
    void ShowDeleting() override { m_log.events.push_back("deleting"); }
    void SetRange(long long n) override { m_log.events.push_back("range " + std::to_string(n)); }
    void Step(int k) override
    {
        m_log.steps += k;
        for (int i = 0; i < k; ++i)
            m_order.push_back("step");
    }

private:
    ScriptedHost::ProgressLog& m_log;
    std::vector<std::string>& m_order;
};

class CountedWindow : public IScopedWindow {
public:
    CountedWindow(int& alive, std::vector<FillStatus>& fills) : m_alive(alive), m_fills(fills) { ++m_alive; }
    ~CountedWindow() override { --m_alive; }
    void Update(const FillStatus& status) override { m_fills.push_back(status); }

private:
    int& m_alive;
    std::vector<FillStatus>& m_fills;
};
} // namespace

std::unique_ptr<IProgress> ScriptedHost::CreateProgress() { return std::make_unique<LogProgress>(progress, log); }

std::unique_ptr<IScopedWindow> ScriptedHost::ShowWorking()
{
    ++workingShown;
    return std::make_unique<CountedWindow>(workingAlive, fills);
}

std::vector<DriveInfo> FakeDriveTable::ListDrives()
{
    std::vector<DriveInfo> out;
    for (const auto& [letter, root] : roots)
        out.push_back({letter, root, false});
    return out;
}

int FakeDriveTable::ChangeDrive(int n)
{
    if (n < 1 || n > 26 || !roots.count(char('A' + n - 1)))
        return -1;
    current = n;
    return 0;
}

std::string FakeDriveTable::CurrentRoot()
{
    auto it = roots.find(char('A' + current - 1));
    return it == roots.end() ? std::string() : it->second;
}

int RunCommand(const std::string& command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

ItemResult MakeItem(ItemKind kind, const std::string& path, uint64_t size, bool destroyed, int cause,
                    const std::string& message)
{
    ItemResult item;
    item.kind = kind;
    item.path = path;
    item.size = size;
    item.destroyed = destroyed;
    item.cause = cause;
    item.message = message;
    return item;
}

std::pair<std::string, int> Capture(const std::string& command)
{
    std::string out;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return {out, -1};
    std::array<char, 4096> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), pipe)) > 0)
        out.append(buf.data(), n);
    const int status = pclose(pipe);
    return {out, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

TmpfsMount::TmpfsMount(const std::string& size)
{
    if (geteuid() != 0) {
        m_reason = "mounting a tmpfs needs root";
        return;
    }
    char tmpl[] = "/tmp/tarnowick-tmpfs-XXXXXX";
    if (!mkdtemp(tmpl)) {
        m_reason = "mkdtemp failed";
        return;
    }
    const std::string options = "size=" + size + ",mode=0755";
    if (mount("tarnowick-test", tmpl, "tmpfs", 0, options.c_str()) != 0) {
        m_reason = std::string("mount tmpfs failed: ") + std::strerror(errno);
        rmdir(tmpl);
        return;
    }
    m_mountPoint = tmpl;
}

TmpfsMount::~TmpfsMount()
{
    if (m_mountPoint.empty())
        return;
    umount2(m_mountPoint.c_str(), MNT_DETACH);
    rmdir(m_mountPoint.c_str());
}

namespace {
void SetImmutable(const std::string& path, bool on)
{
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    int flags = 0;
    if (ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ioctl(fd, FS_IOC_SETFLAGS, &flags);
    }
    close(fd);
}
} // namespace

FrozenDirectory::FrozenDirectory(const std::string& path) : m_path(path)
{
    chmod(path.c_str(), 0555);
    if (geteuid() == 0)
        SetImmutable(path, true);
}

FrozenDirectory::~FrozenDirectory()
{
    if (geteuid() == 0)
        SetImmutable(m_path, false);
    chmod(m_path.c_str(), 0755);
}

LoopExt4Mount::LoopExt4Mount(int megabytes, const std::string& fsType, const std::string& mkfsOptions)
{
    if (geteuid() != 0) {
        m_reason = "a loop mount needs root";
        return;
    }
    if (RunCommand("command -v mkfs." + fsType + " >/dev/null 2>&1 && command -v losetup >/dev/null 2>&1") != 0) {
        m_reason = "mkfs." + fsType + " or losetup is missing";
        return;
    }
    if (RunCommand("grep -qw " + fsType + " /proc/filesystems || modprobe -q " + fsType + " 2>/dev/null") != 0) {
        m_reason = "this kernel has no " + fsType + " file system";
        return;
    }
    char tmpl[] = "/tmp/tarnowick-loop-XXXXXX";
    if (!mkdtemp(tmpl)) {
        m_reason = "mkdtemp failed";
        return;
    }
    m_dir = tmpl;
    m_image = m_dir + "/disk.img";
    m_mountPoint = m_dir + "/mnt";
    mkdir(m_mountPoint.c_str(), 0755);
    const std::string options = fsType == "ext4" ? "-q -F -E lazy_itable_init=0,lazy_journal_init=0"
        : fsType == "vfat"                        ? ""
                                                  : "-q -f";
    const std::string make = "truncate -s " + std::to_string(megabytes) + "M " + m_image
        + " && mkfs." + fsType + " " + options + " " + mkfsOptions + " " + m_image + " >/dev/null 2>&1";
    if (RunCommand(make) != 0) {
        m_reason = "mkfs." + fsType + " failed";
        return;
    }
    if (RunCommand("mount -o loop " + m_image + " " + m_mountPoint + " 2>/dev/null") != 0) {
        m_reason = "loop devices are not available here (mount -o loop failed)";
        return;
    }
    m_mounted = true;
}

bool LoopExt4Mount::Unmount()
{
    if (!m_mounted)
        return false;
    m_mounted = RunCommand("umount " + m_mountPoint) != 0;
    return !m_mounted;
}

LoopExt4Mount::~LoopExt4Mount()
{
    if (m_mounted)
        RunCommand("umount -l " + m_mountPoint + " 2>/dev/null");
    if (!m_dir.empty())
        RemoveTree(m_dir);
}

unsigned long long FreeBlocks(const std::string& path)
{
    struct statvfs s {};
    EXPECT_EQ(statvfs(path.c_str(), &s), 0) << path;
    return s.f_bfree;
}

std::vector<std::string> FillersIn(const std::string& directory)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(directory.c_str())) {
        while (const dirent* e = readdir(dir))
            if (std::string(e->d_name).rfind(kFillerPrefix, 0) == 0)
                names.emplace_back(e->d_name);
        closedir(dir);
    }
    return names;
}

namespace {

std::string Digest(const std::string& bytes)
{
    // FNV-1a, 64 bits: enough to tell changed contents from unchanged ones.
    uint64_t h = 14695981039346656037ull;
    for (const char c : bytes) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    return std::to_string(bytes.size()) + ":" + std::to_string(h);
}

TreeSnapshot* g_snapshot = nullptr;
size_t g_rootLength = 0;

int SnapshotEntry(const char* path, const struct stat* st, int type, FTW*)
{
    std::string what = std::to_string(st->st_mode) + " " + std::to_string(st->st_uid) + " ";
    if (type == FTW_SL || type == FTW_SLN) {
        std::string target(4096, '\0');
        const ssize_t n = readlink(path, target.data(), target.size());
        what += "link " + target.substr(0, n > 0 ? size_t(n) : 0);
    } else if (S_ISREG(st->st_mode)) {
        what += "file " + Digest(ReadFile(path));
    } else if (S_ISDIR(st->st_mode)) {
        what += "dir";
    } else {
        what += "special " + std::to_string(st->st_rdev);
    }
    const std::string relative = std::string(path).substr(std::min(g_rootLength, std::strlen(path)));
    (*g_snapshot)[relative.empty() ? "." : relative.substr(relative[0] == '/')] = what;
    return 0;
}

} // namespace

TreeSnapshot SnapshotTree(const std::string& root)
{
    TreeSnapshot snapshot;
    g_snapshot = &snapshot;
    g_rootLength = root.size();
    nftw(root.c_str(), SnapshotEntry, 64, FTW_PHYS);
    g_snapshot = nullptr;
    return snapshot;
}

TreeSnapshot Without(TreeSnapshot before, const std::vector<std::string>& gone)
{
    for (const std::string& path : gone)
        if (before.erase(path) == 0)
            ADD_FAILURE() << path << " was not in the tree to begin with";
    return before;
}

uid_t NobodyUid()
{
    const passwd* pw = getpwnam("nobody");
    return pw ? pw->pw_uid : uid_t(65534);
}

gid_t NobodyGid()
{
    const passwd* pw = getpwnam("nobody");
    return pw ? pw->pw_gid : gid_t(65534);
}

std::string RunInChild(const std::function<std::string()>& body)
{
    int fds[2];
    if (pipe(fds) != 0) {
        ADD_FAILURE() << "pipe failed";
        return {};
    }
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        // Whatever happens, the child never returns into the test program.
        std::string out;
        try {
            out = body();
        } catch (const std::exception& e) {
            out = std::string("exception: ") + e.what();
        } catch (...) {
            out = "exception";
        }
        for (size_t done = 0; done < out.size();) {
            const ssize_t n = write(fds[1], out.data() + done, out.size() - done);
            if (n <= 0)
                break;
            done += size_t(n);
        }
        _exit(0);
    }
    close(fds[1]);
    std::string out;
    char buf[4096];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0 || (n < 0 && errno == EINTR))
        if (n > 0)
            out.append(buf, size_t(n));
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status))
        ADD_FAILURE() << "the child process ended abnormally";
    return out;
}

std::string RunAsNobody(const std::function<std::string()>& body, std::string* reason)
{
    if (geteuid() != 0) {
        *reason = "switching to the user nobody needs root";
        return {};
    }
    if (!getpwnam("nobody")) {
        *reason = "there is no user nobody";
        return {};
    }
    // The child reads the settings as nobody.
    if (const char* config = std::getenv("XDG_CONFIG_HOME"))
        RunCommand(std::string("chmod -R go+rX '") + config + "'");
    return RunInChild([&body] {
        if (setgroups(0, nullptr) != 0 || setgid(NobodyGid()) != 0 || setuid(NobodyUid()) != 0)
            return std::string("cannot become nobody");
        return body();
    });
}

bool FileContains(const std::string& path, const std::string& needle)
{
    std::ifstream in(path, std::ios::binary);
    const size_t chunk = 1 << 20;
    std::string carry, buf(chunk, '\0');
    while (in) {
        in.read(buf.data(), std::streamsize(chunk));
        const std::string window = carry + buf.substr(0, size_t(in.gcount()));
        if (window.find(needle) != std::string::npos)
            return true;
        carry = window.size() >= needle.size() ? window.substr(window.size() - needle.size() + 1) : window;
    }
    return false;
}

} // namespace tw::test
