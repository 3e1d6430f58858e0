// SPDX-License-Identifier: GPL-3.0-or-later
// A free-space wipe ended from outside, on real loop-mounted ext4 volumes:
// a child process runs the fill and is stopped half-way by SIGTERM or
// killed with SIGKILL. Either way the volume ends with no filler, its free
// space and its reserve as before: at once, or after the next start. Also
// an ordinary user's fill, which is told of the space it could not reach.
#include "disk/FreeSpaceWiper.h"
#include "platform/Filler.h"
#include "platform/Reserve.h"
#include "platform/StopSignal.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tw;
using namespace tw::test;

namespace {

std::string ReserveOf(const std::string& mountPoint)
{
    struct stat st {};
    if (stat(mountPoint.c_str(), &st) != 0)
        return {};
    const std::string path = ReserveFileOf(st.st_dev);
    std::string value = path.empty() ? std::string() : ReadFile(path);
    while (!value.empty() && value.back() == '\n')
        value.pop_back();
    return value;
}

void SyncVolume(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    syncfs(fd);
    close(fd);
}

std::vector<std::string> RecordsIn(const std::string& directory)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(directory.c_str())) {
        while (const dirent* e = readdir(dir))
            if (e->d_name[0] != '.')
                names.emplace_back(e->d_name);
        closedir(dir);
    }
    return names;
}

// Exit codes of the filling child.
enum ChildExit { kStoppedCleanly = 0, kThrew = 3, kAsked = 4, kWrongRecord = 5 };

// A child process that wipes drive E (`root`) and, once `pauseAt` bytes
// are written, tells the parent through a pipe and waits for a stop, by
// waiting on the stop descriptor: SIGTERM ends the wait, SIGKILL the child.
struct FillingChild {
    pid_t pid = -1;
    int ready = -1;

    FillingChild(const std::string& root, bool named, unsigned long long pauseAt)
    {
        int p[2];
        if (pipe(p) != 0)
            return;
        pid = fork();
        if (pid == 0) {
            close(p[0]);
            InstallStopSignals();
            SetNamedFillersOnly(named);
            unsigned long long written = 0;
            bool told = false;
            SetFillerWriteHook([&](int fd, const char* data, size_t size) -> ssize_t {
                if (!told && written >= pauseAt) {
                    told = true;
                    const char byte = 1;
                    [[maybe_unused]] const ssize_t w = write(p[1], &byte, 1);
                    pollfd pfd{StopSignalFd(), POLLIN, 0};
                    while (!StopRequested())
                        poll(&pfd, 1, -1);
                }
                const ssize_t n = write(fd, data, size);
                if (n > 0)
                    written += (unsigned long long)n;
                return n;
            });
            WipeBuffer buffer{};
            FillWipeBuffer(buffer);
            ScriptedHost host;
            FakeDriveTable drives;
            drives.roots['E'] = root;
            Operation op(buffer, host, drives);
            int code = kStoppedCleanly;
            try {
                SecureEmptySpace(op, "E!");
            } catch (...) {
                code = kThrew;
            }
            if (code == kStoppedCleanly && !host.questions.empty())
                code = kAsked;
            if (code == kStoppedCleanly
                && (host.records.size() != 1 || host.records[0].destroyed || host.records[0].size < pauseAt))
                code = kWrongRecord;
            _exit(code);
        }
        close(p[1]);
        ready = p[0];
    }
    ~FillingChild()
    {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (ready >= 0)
            close(ready);
    }
    // Waits until the child is half-way through its fill.
    bool WaitUntilFilling()
    {
        char byte = 0;
        return pid > 0 && read(ready, &byte, 1) == 1;
    }
    int Stop(int signal)
    {
        kill(pid, signal);
        int status = 0;
        waitpid(pid, &status, 0);
        pid = -1;
        return status;
    }
};

class FillEnding : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        if (!disk.Available())
            GTEST_SKIP() << disk.SkipReason();
        drives.roots['E'] = disk.Path();
        freeBefore = FreeBlocks(disk.Path());
        reserveBefore = ReserveOf(disk.Path());
    }
    // Everything as it was before the fill.
    void ExpectAsBefore(const char* when)
    {
        EXPECT_TRUE(FillersIn(disk.Path()).empty()) << when;
        EXPECT_EQ(FreeBlocks(disk.Path()), freeBefore) << when;
        EXPECT_EQ(ReserveOf(disk.Path()), reserveBefore) << when;
    }

    LoopExt4Mount disk{64};
    FakeDriveTable drives;
    unsigned long long freeBefore = 0;
    std::string reserveBefore;
    bool named() const { return GetParam(); }
};

TEST_P(FillEnding, SigtermStopsTheFillAndGivesEverythingBackAtOnce)
{
    FillingChild child(disk.Path(), named(), 8 << 20);
    ASSERT_TRUE(child.WaitUntilFilling());
    if (!reserveBefore.empty() && reserveBefore != "0") {
        EXPECT_EQ(ReserveOf(disk.Path()), "0") << "a root fill on ext4 lowers the reserve";
    }
    EXPECT_EQ(FillersIn(disk.Path()).size(), named() ? 1u : 0u);
    EXPECT_LT(FreeBlocks(disk.Path()), freeBefore);

    const int status = child.Stop(SIGTERM);
    ASSERT_TRUE(WIFEXITED(status)) << "the child died of signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), kStoppedCleanly);
    ExpectAsBefore("after SIGTERM");
    EXPECT_TRUE(RecordsIn(ReserveRecordDirectory()).empty());
}

TEST_P(FillEnding, SigkillLeavesNothingAfterTheNextStart)
{
    FillingChild child(disk.Path(), named(), 8 << 20);
    ASSERT_TRUE(child.WaitUntilFilling());
    const int status = child.Stop(SIGKILL);
    ASSERT_TRUE(WIFSIGNALED(status));

    if (!named()) {
        // An unnamed filler dies with the process: the space is back at once
        // (counted as free once the journal has committed the release).
        EXPECT_TRUE(FillersIn(disk.Path()).empty());
        SyncVolume(disk.Path());
        EXPECT_EQ(FreeBlocks(disk.Path()), freeBefore);
    } else {
        EXPECT_EQ(FillersIn(disk.Path()).size(), 1u);
    }
    const bool lifted = !reserveBefore.empty() && reserveBefore != "0";
    if (lifted) {
        EXPECT_EQ(ReserveOf(disk.Path()), "0");
        EXPECT_EQ(RecordsIn(ReserveRecordDirectory()).size(), 1u) << "no record of the original reserve";
    }

    // The next start of the program.
    GiveBackLeftovers(drives);
    ExpectAsBefore("after the next start");
    EXPECT_TRUE(RecordsIn(ReserveRecordDirectory()).empty());
}

INSTANTIATE_TEST_SUITE_P(UnnamedAndNamedFillers, FillEnding, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Named" : "Unnamed"; });

// A start while another instance's fill runs must leave its lowered
// reserve, its record and its fillers alone; they come back when it ends.
TEST(FillEndingRecord, AStartDuringAnotherInstancesFillLeavesItAlone)
{
    LoopExt4Mount disk(64);
    if (!disk.Available())
        GTEST_SKIP() << disk.SkipReason();
    const std::string reserveBefore = ReserveOf(disk.Path());
    if (reserveBefore.empty() || reserveBefore == "0")
        GTEST_SKIP() << "this volume keeps no reserve";
    FakeDriveTable drives;
    drives.roots['E'] = disk.Path();

    FillingChild child(disk.Path(), true, 4 << 20);
    ASSERT_TRUE(child.WaitUntilFilling());
    GiveBackLeftovers(drives);
    EXPECT_EQ(ReserveOf(disk.Path()), "0");
    EXPECT_EQ(FillersIn(disk.Path()).size(), 1u);
    EXPECT_EQ(RecordsIn(ReserveRecordDirectory()).size(), 1u);

    const int status = child.Stop(SIGTERM);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), kStoppedCleanly);
    EXPECT_EQ(ReserveOf(disk.Path()), reserveBefore);
    EXPECT_TRUE(FillersIn(disk.Path()).empty());
}

// A record whose volume was mounted afresh since (its reserve is the
// default again) or that names another device is removed unused.
TEST(FillEndingRecord, ARecordOfAVolumeNoLongerMountedIsNotApplied)
{
    LoopExt4Mount disk(32);
    if (!disk.Available())
        GTEST_SKIP() << disk.SkipReason();
    struct stat st {};
    ASSERT_EQ(stat(disk.Path().c_str(), &st), 0);
    const std::string path = ReserveFileOf(st.st_dev);
    if (path.empty())
        GTEST_SKIP() << "no reserve file for this volume";
    std::string name = path.substr(std::string("/sys/fs/ext4/").size());
    name = name.substr(0, name.find('/'));
    const std::string before = ReserveOf(disk.Path());
    WriteFile(path, "0");
    const std::string dir = ReserveRecordDirectory();
    mkdir(dir.c_str(), 0700);
    const std::string record = dir + "/reserve-" + std::to_string(major(st.st_dev)) + "-" + std::to_string(minor(st.st_dev));
    WriteFile(record, "device=" + std::to_string(major(st.st_dev)) + ":" + std::to_string(minor(st.st_dev)) + "\nname="
                          + name + "\nreserved_clusters=77\nmounts=999999\n");
    EXPECT_EQ(RestoreLiftedReserves(), 0);
    EXPECT_EQ(ReserveOf(disk.Path()), "0");
    EXPECT_FALSE(Exists(record));
    WriteFile(path, before.empty() ? "0" : before);
}

// An ordinary user's fill reaches everything but the blocks ext4 keeps for
// root, and the command says so once at its end.
TEST(FillEndingUser, AnOrdinaryUsersFillIsToldOfTheSpaceKeptForTheAdministrator)
{
    LoopExt4Mount disk(64);
    if (!disk.Available())
        GTEST_SKIP() << disk.SkipReason();
    // The root of the volume is root's; the user's home on it is the place
    // the filler goes. The user must be able to reach the mount point.
    const std::string above = disk.Path().substr(0, disk.Path().rfind('/'));
    ASSERT_EQ(chmod(above.c_str(), 0755), 0);
    const std::string home = disk.Path() + "/home";
    ASSERT_EQ(mkdir(home.c_str(), 0700), 0);
    ASSERT_EQ(chown(home.c_str(), 65534, 65534), 0);
    const unsigned long long freeBefore = FreeBlocks(disk.Path());
    struct statvfs s {};
    ASSERT_EQ(statvfs(disk.Path().c_str(), &s), 0);
    if (s.f_bfree == s.f_bavail)
        GTEST_SKIP() << "this volume keeps nothing for root";

    // Whether this kernel can zero an ext4 journal (Linux 5.13): asked as
    // root with the dry-run flag, which changes nothing.
    bool journalZeroable = false;
    if (const int fd = open(disk.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); fd >= 0) {
        uint32_t flags = 0x2 | 0x4;
        journalZeroable = ioctl(fd, _IOW('f', 43, uint32_t), &flags) == 0;
        close(fd);
    }

    int p[2];
    ASSERT_EQ(pipe(p), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        close(p[0]);
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(10);
        setenv("HOME", home.c_str(), 1);
        setenv("TMPDIR", home.c_str(), 1);
        WipeBuffer buffer{};
        FillWipeBuffer(buffer);
        ScriptedHost host;
        FakeDriveTable drives;
        drives.roots['E'] = disk.Path();
        Operation op(buffer, host, drives);
        try {
            SecureEmptySpace(op, "E!");
        } catch (...) {
            _exit(11);
        }
        std::string said;
        for (const auto& q : host.questions)
            said += q.kind + "|" + q.first + "\n";
        [[maybe_unused]] const ssize_t w = write(p[1], said.data(), said.size());
        _exit(host.records.size() == 1 && host.records[0].destroyed ? 0 : 12);
    }
    close(p[1]);
    std::string said;
    char buf[4096];
    for (ssize_t n; (n = read(p[0], buf, sizeof buf)) > 0;)
        said.append(buf, size_t(n));
    close(p[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    const std::string expected = "warning|" + UnreachedSpaceWarning({{"E: " + disk.Path(), 0}}).substr(0, 40);
    EXPECT_EQ(said.rfind(expected, 0), 0u) << said;
    EXPECT_NE(said.find("E: " + disk.Path() + " \u2014 "), std::string::npos) << said;
    EXPECT_NE(said.find("administrator (root)"), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '|'), 1) << "said more than once: " << said;
    // The journal, which only root can have zeroed, is named in the same box.
    if (journalZeroable) {
        EXPECT_NE(said.find("journal of these drives was not overwritten"), std::string::npos) << said;
        EXPECT_NE(said.find("to overwrite the journal too"), std::string::npos) << said;
    }
    EXPECT_TRUE(FillersIn(home).empty());
    EXPECT_EQ(FreeBlocks(disk.Path()), freeBefore);
}

} // namespace
