// SPDX-License-Identifier: GPL-3.0-or-later
// The free-space wipe on real volumes: small tmpfs mounts for the fill, the
// clean-up and the failures, and a loop-mounted ext4 image to show that a
// file removed with a plain unlink cannot be read from the device afterwards.
#include "core/CommandIds.h"
#include "disk/FreeSpaceWiper.h"
#include "platform/FileError.h"
#include "platform/Filler.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <climits>
#include <condition_variable>
#include <mutex>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

using namespace tw;
using namespace tw::test;

namespace {

constexpr char X = 'X';
constexpr int kDriveX = X - 64;

// Writes until the volume takes no more.
void FillUp(const std::string& path)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    const std::string block(65536, 'z');
    size_t length = block.size();
    while (length > 0) {
        if (write(fd, block.data(), length) <= 0)
            length /= 2;
    }
    close(fd);
}

// Removes every seam when a test ends, however it ends.
struct Seams {
    ~Seams()
    {
        SetFreeSpaceFilledHook(nullptr);
        SetFillerNameSource(nullptr);
        SetFillerWriteHook(nullptr);
        SetFillerFlushHook(nullptr);
        SetNamedFillersOnly(false);
        SetFillUpdateInterval(std::chrono::milliseconds(500));
        SetDiscardAfterWipe(true);
    }
};

// A name of the exact form the wiper gives its named fillers.
std::string FillerName(const char* sixteenHexDigits) { return std::string(kFillerPrefix) + sixteenHexDigits; }

struct EnvVar {
    EnvVar(const char* name, const std::string& value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        setenv(name, value.c_str(), 1);
    }
    ~EnvVar()
    {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }
    const char* m_name;
    std::optional<std::string> m_old;
};

class RecordingDriveTable : public FakeDriveTable {
public:
    std::vector<int> changes;
    int ChangeDrive(int n) override
    {
        changes.push_back(n);
        return FakeDriveTable::ChangeDrive(n);
    }
};

class FreeSpaceWipe : public ::testing::Test {
protected:
    void SetUp() override
    {
        FillWipeBuffer(buffer);
        if (!mount.Available())
            GTEST_SKIP() << mount.SkipReason();
        drives.roots[X] = mount.Path();
        drives.roots['C'] = home.Path();
        drives.current = 3;
    }

    TmpfsMount mount{"4M"};
    TempDir home;
    WipeBuffer buffer{};
    ScriptedHost host;
    RecordingDriveTable drives;
    Operation op{buffer, host, drives};
    Seams seams;
};

TEST_F(FreeSpaceWipe, FillsEveryFreeByteWithThePatternThenGivesTheSpaceBack)
{
    // Two pages taken, so the free space is not a whole number of writes.
    WriteFile(mount.Path() + "/keep", std::string(5000, 'k'));
    const unsigned long long freeBefore = FreeBlocks(mount.Path());

    int filledCalls = 0;
    SetFreeSpaceFilledHook([&](const std::string& directory, const std::vector<std::string>& fillers) {
        ++filledCalls;
        EXPECT_EQ(directory, mount.Path());
        EXPECT_EQ(FreeBlocks(mount.Path()), 0u) << "free space left unfilled";
        ASSERT_EQ(fillers.size(), 1u);
        const std::string content = ReadFile(fillers[0]);
        EXPECT_EQ(content.size(), freeBefore * 4096);
        EXPECT_TRUE(content == Pattern(content.size())) << "the filler does not hold the pattern";
        struct stat st {};
        ASSERT_EQ(stat(fillers[0].c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0600u);
        // tmpfs has O_TMPFILE: the filler has no name that could outlive
        // the program.
        EXPECT_TRUE(FillersIn(directory).empty());
    });

    EXPECT_EQ(WipeFreeSpace(op, kDriveX, X), 1);
    EXPECT_EQ(filledCalls, 1);
    EXPECT_TRUE(host.questions.empty());
    EXPECT_TRUE(FillersIn(mount.Path()).empty());
    EXPECT_EQ(FreeBlocks(mount.Path()), freeBefore);
    EXPECT_EQ(ReadFile(mount.Path() + "/keep"), std::string(5000, 'k'));
    EXPECT_EQ(drives.current, kDriveX);
}

TEST_F(FreeSpaceWipe, ADriveThatIsAlreadyFullEndsQuietly)
{
    FillUp(mount.Path() + "/full");
    ASSERT_EQ(FreeBlocks(mount.Path()), 0u);
    const std::string before = ReadFile(mount.Path() + "/full");

    EXPECT_EQ(WipeFreeSpace(op, kDriveX, X), 1);
    EXPECT_TRUE(host.questions.empty());
    EXPECT_TRUE(FillersIn(mount.Path()).empty());
    EXPECT_TRUE(ReadFile(mount.Path() + "/full") == before);
}

TEST_F(FreeSpaceWipe, AFullFileSizeGoesOnInFurtherFillers)
{
    // A file size limit stands in for FAT's 4 GiB: the file system refuses
    // to let one filler grow beyond it. The limit's signal keeps its default
    // action, which would end this test program.
    const rlim_t limit = (1 << 20) + 12288;
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    struct rlimit small = old;
    small.rlim_cur = limit;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);

    size_t fillerCount = 0;
    SetFreeSpaceFilledHook([&](const std::string& directory, const std::vector<std::string>& fillers) {
        fillerCount = fillers.size();
        EXPECT_EQ(FreeBlocks(directory), 0u);
        for (const std::string& name : fillers) {
            const std::string content = ReadFile(name);
            EXPECT_LE(content.size(), limit);
            EXPECT_TRUE(content == Pattern(content.size())) << name;
        }
    });
    const int result = WipeFreeSpace(op, kDriveX, X);
    setrlimit(RLIMIT_FSIZE, &old);

    EXPECT_EQ(result, 1);
    EXPECT_GE(fillerCount, 3u);  // 4 MiB in fillers of at most 1 MiB + 12 KiB
    EXPECT_TRUE(host.questions.empty());
    EXPECT_TRUE(FillersIn(mount.Path()).empty());
}

TEST_F(FreeSpaceWipe, AReadOnlyVolumeIsReportedWithItsLetter)
{
    ASSERT_EQ(::mount(nullptr, mount.Path().c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0) << strerror(errno);
    host.diskErrorAnswers = {IDC_IGNORE, IDC_CANCEL_OPERATION, IDCANCEL};
    EXPECT_EQ(WipeFreeSpace(op, kDriveX, X), 1);
    EXPECT_EQ(WipeFreeSpace(op, kDriveX, X), 0);
    EXPECT_EQ(WipeFreeSpace(op, kDriveX, X), 0);
    ASSERT_EQ(host.questions.size(), 3u);
    // The question says which drive and why, in words.
    for (const auto& q : host.questions) {
        EXPECT_EQ(q.kind, "disk");
        EXPECT_EQ(q.first, "X: " + mount.Path()
                               + ": the drive is mounted read-only, so nothing can be written to it (Read-only file system).");
    }
}

// Sets the immutable flag of a directory: not even root may create an entry.
bool SetImmutable(const std::string& directory, bool on)
{
    const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    ok = ok && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    close(fd);
    return ok;
}

TEST_F(FreeSpaceWipe, ARootThatTakesNoFilesFallsBackToTheHomeDirectoryOnTheSameVolume)
{
    const std::string sameVolumeHome = mount.Path() + "/home";
    ASSERT_EQ(mkdir(sameVolumeHome.c_str(), 0700), 0);
    const unsigned long long freeBefore = FreeBlocks(mount.Path());
    if (!SetImmutable(mount.Path(), true))
        GTEST_SKIP() << "this kernel's tmpfs has no immutable flag";
    struct Unlock {
        std::string path;
        ~Unlock() { SetImmutable(path, false); }
    } unlock{mount.Path()};

    EnvVar homeVar("HOME", sameVolumeHome);
    std::string usedDirectory;
    SetFreeSpaceFilledHook([&](const std::string& directory, const std::vector<std::string>&) {
        usedDirectory = directory;
        EXPECT_EQ(FreeBlocks(mount.Path()), 0u);
    });
    EXPECT_EQ(WipeFreeSpace(op, kDriveX, X), 1);
    EXPECT_EQ(usedDirectory, sameVolumeHome);
    EXPECT_TRUE(host.questions.empty());
    EXPECT_TRUE(FillersIn(sameVolumeHome).empty());
    EXPECT_EQ(FreeBlocks(mount.Path()), freeBefore);
}

TEST_F(FreeSpaceWipe, AHomeOnAnotherVolumeIsNoPlaceForTheFiller)
{
    if (!SetImmutable(mount.Path(), true))
        GTEST_SKIP() << "this kernel's tmpfs has no immutable flag";
    struct Unlock {
        std::string path;
        ~Unlock() { SetImmutable(path, false); }
    } unlock{mount.Path()};
    TempDir elsewhere;  // on the volume of /tmp, not on X
    EnvVar homeVar("HOME", elsewhere.Path());
    EnvVar tmpVar("TMPDIR", elsewhere.Path());
    host.diskErrorAnswers = {IDC_IGNORE};

    EXPECT_EQ(WipeFreeSpace(op, kDriveX, X), 1);
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(host.questions[0].first.rfind("X: " + mount.Path() + ": its root folder is not writable for you", 0), 0u)
        << host.questions[0].first;
    EXPECT_TRUE(FillersIn(elsewhere.Path()).empty());
}

TEST_F(FreeSpaceWipe, APlantedLinkAtAFillerNameIsNeverFollowed)
{
    TempDir outside;
    const std::string precious = outside / "precious";
    WriteFile(precious, "precious contents");
    const std::string absent = outside / "absent";
    const std::string linkToFile = std::string(kFillerPrefix) + "planted1";
    const std::string linkToNothing = std::string(kFillerPrefix) + "planted2";
    ASSERT_EQ(symlink(precious.c_str(), (mount.Path() + "/" + linkToFile).c_str()), 0);
    ASSERT_EQ(symlink(absent.c_str(), (mount.Path() + "/" + linkToNothing).c_str()), 0);

    // The first names the wiper draws are exactly the planted ones; the
    // volume acts as one without unnamed files, so that names are drawn.
    SetNamedFillersOnly(true);
    std::deque<std::string> names = {linkToFile, linkToNothing};
    SetFillerNameSource([&] {
        if (names.empty())
            return std::string();
        std::string n = names.front();
        names.pop_front();
        return n;
    });
    std::vector<std::string> used;
    SetFreeSpaceFilledHook([&](const std::string&, const std::vector<std::string>& fillers) { used = fillers; });

    EXPECT_EQ(WipeFreeSpace(op, kDriveX, X), 1);
    EXPECT_TRUE(names.empty()) << "the planted names were never tried";
    ASSERT_EQ(used.size(), 1u);
    EXPECT_EQ(used[0].rfind(mount.Path() + "/" + kFillerPrefix, 0), 0u) << used[0];
    EXPECT_NE(used[0], mount.Path() + "/" + linkToFile);
    EXPECT_NE(used[0], mount.Path() + "/" + linkToNothing);
    EXPECT_EQ(ReadFile(precious), "precious contents");
    EXPECT_FALSE(Exists(absent));
    struct stat st {};
    ASSERT_EQ(lstat((mount.Path() + "/" + linkToFile).c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link is someone else's and stays";
    EXPECT_TRUE(host.questions.empty());
}

TEST_F(FreeSpaceWipe, AFillerLeftByACrashIsRemovedFirst)
{
    const std::string stale = mount.Path() + "/" + FillerName("0123456789abcdef");
    WriteFile(stale, Pattern(2 << 20));
    const std::string foreign = mount.Path() + "/" + FillerName("fedcba9876543210");
    WriteFile(foreign, "not ours");
    ASSERT_EQ(chown(foreign.c_str(), 65534, 65534), 0);
    const unsigned long long freeWithStale = FreeBlocks(mount.Path());

    unsigned long long filledBytes = 0;
    SetFreeSpaceFilledHook([&](const std::string&, const std::vector<std::string>& fillers) {
        for (const std::string& name : fillers)
            filledBytes += ReadFile(name).size();
    });
    EXPECT_EQ(WipeFreeSpace(op, kDriveX, X), 1);
    EXPECT_FALSE(Exists(stale));
    EXPECT_EQ(ReadFile(foreign), "not ours");
    // The space the stale filler held was wiped too.
    EXPECT_GE(filledBytes, (freeWithStale + 512) * 4096);
    EXPECT_EQ(FillersIn(mount.Path()), std::vector<std::string>{FillerName("fedcba9876543210")});
}

TEST_F(FreeSpaceWipe, AnyOtherWriteFailureRemovesTheFillersBeforeAsking)
{
    const unsigned long long freeBefore = FreeBlocks(mount.Path());
    int writes = 0;
    SetFillerWriteHook([&](int fd, const char* data, size_t size) -> ssize_t {
        if (++writes > 2) {
            errno = EIO;
            return -1;
        }
        return write(fd, data, size);
    });

    // The host looks at the volume at the moment the user is asked.
    struct CheckingHost : ScriptedHost {
        std::string root;
        unsigned long long freeBefore = 0;
        int DiskError(const std::string& text) override
        {
            EXPECT_TRUE(FillersIn(root).empty());
            EXPECT_EQ(FreeBlocks(root), freeBefore);
            return ScriptedHost::DiskError(text);
        }
    } checking;
    checking.root = mount.Path();
    checking.freeBefore = freeBefore;
    checking.diskErrorAnswers = {IDC_IGNORE, IDC_CANCEL_OPERATION};
    Operation failing(buffer, checking, drives);

    EXPECT_EQ(WipeFreeSpace(failing, kDriveX, X), 1);
    writes = 0;
    EXPECT_EQ(WipeFreeSpace(failing, kDriveX, X), 0);
    ASSERT_EQ(checking.questions.size(), 2u);
    EXPECT_EQ(checking.questions[0].first, "Error Securing Disk [ 10 ]");
    EXPECT_TRUE(FillersIn(mount.Path()).empty());
}

// The command: the list of drives, the answers, the current drive.
TEST_F(FreeSpaceWipe, AMissingLetterIsReportedAndIgnoreGoesOn)
{
    const std::string stale = mount.Path() + "/" + FillerName("00000000000000aa");
    WriteFile(stale, "x");
    host.diskErrorAnswers = {IDC_IGNORE};

    SecureEmptySpace(op, "Q!X!");
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(host.questions[0].first, "Q: no drive with this letter is mounted now, so its free space was not overwritten.");
    EXPECT_FALSE(Exists(stale)) << "drive X was not wiped after Ignore";
    EXPECT_EQ(drives.current, 3);
    EXPECT_EQ(host.workingShown, 1);
    EXPECT_EQ(host.workingAlive, 0);
}

TEST_F(FreeSpaceWipe, EachDriveIsRecordedWithWhatWasWrittenIntoIt)
{
    uint64_t onDisk = 0;
    // The hook gives each filler as a path it can be read by, named or not.
    SetFreeSpaceFilledHook([&](const std::string&, const std::vector<std::string>& fillers) {
        for (const std::string& path : fillers) {
            struct stat st {};
            if (stat(path.c_str(), &st) == 0)
                onDisk += uint64_t(st.st_size);
        }
    });
    host.diskErrorAnswers = {IDC_IGNORE};
    SecureEmptySpace(op, "Q!X!");
    ASSERT_EQ(host.records.size(), 2u);
    const ItemResult& missing = host.records[0];
    EXPECT_EQ(missing.kind, ItemKind::Drive);
    EXPECT_EQ(missing.path, "Q:");
    EXPECT_FALSE(missing.destroyed);
    EXPECT_EQ(missing.message, "Q: no drive with this letter is mounted now, so its free space was not overwritten.");
    const ItemResult& wiped = host.records[1];
    EXPECT_EQ(wiped.kind, ItemKind::Drive);
    EXPECT_EQ(wiped.path, "X: " + mount.Path());
    EXPECT_TRUE(wiped.destroyed);
    EXPECT_GT(onDisk, 0u);
    EXPECT_EQ(wiped.size, onDisk);
}

TEST_F(FreeSpaceWipe, CancelOrEscapeSkipsTheRemainingDrives)
{
    const std::string stale = mount.Path() + "/" + FillerName("00000000000000aa");
    for (int answer : {IDC_CANCEL_OPERATION, IDCANCEL}) {
        WriteFile(stale, "x");
        host.questions.clear();
        host.diskErrorAnswers = {answer};
        drives.changes.clear();

        SecureEmptySpace(op, "Q!X!");
        EXPECT_EQ(host.questions.size(), 1u);
        EXPECT_TRUE(Exists(stale)) << "drive X was wiped after answer " << answer;
        EXPECT_EQ(drives.changes, (std::vector<int>{'Q' - 64, 3}));
        EXPECT_EQ(drives.current, 3);
    }
}

// Each drive's outcome reaches the record: the bytes of pattern written for
// a drive that was wiped, and what the user was told for one that was not.
TEST_F(FreeSpaceWipe, EveryDriveIsRecordedWithWhatBecameOfIt)
{
    const unsigned long long freeBefore = FreeBlocks(mount.Path());
    host.diskErrorAnswers = {IDC_IGNORE};
    SecureEmptySpace(op, "Q!X!");
    ASSERT_EQ(host.records.size(), 2u);
    EXPECT_EQ(host.records[0].kind, ItemKind::Drive);
    EXPECT_EQ(host.records[0].path, "Q:");
    EXPECT_FALSE(host.records[0].destroyed);
    EXPECT_EQ(host.records[0].message, "Q: no drive with this letter is mounted now, so its free space was not overwritten.");
    EXPECT_EQ(host.records[1].kind, ItemKind::Drive);
    EXPECT_EQ(host.records[1].path, "X: " + mount.Path());
    EXPECT_TRUE(host.records[1].destroyed);
    EXPECT_EQ(host.records[1].size, freeBefore * 4096);

    host.records.clear();
    SetFillerWriteHook([](int, const char*, size_t) -> ssize_t {
        errno = EIO;
        return -1;
    });
    host.diskErrorAnswers = {IDC_CANCEL_OPERATION};
    SecureEmptySpace(op, "X!");
    ASSERT_EQ(host.records.size(), 1u);
    EXPECT_FALSE(host.records[0].destroyed);
    EXPECT_EQ(host.records[0].cause, 10);
    EXPECT_EQ(host.records[0].message, "Error Securing Disk [ 10 ]");
}

TEST_F(FreeSpaceWipe, EmptyEntriesAreSkippedAndAnUnterminatedTailIsDropped)
{
    TmpfsMount other("1M");
    ASSERT_TRUE(other.Available()) << other.SkipReason();
    drives.roots['Y'] = other.Path();
    const std::string staleY = other.Path() + "/" + FillerName("00000000000000bb");
    WriteFile(staleY, "y");

    SecureEmptySpace(op, "!!X!!Y");
    EXPECT_EQ(drives.changes, (std::vector<int>{kDriveX, 3}));
    EXPECT_TRUE(Exists(staleY));
    EXPECT_TRUE(host.questions.empty());

    drives.changes.clear();
    SecureEmptySpace(op, "");
    EXPECT_EQ(drives.changes, (std::vector<int>{3}));
    EXPECT_EQ(host.workingShown, 2);
    EXPECT_EQ(host.workingAlive, 0);
}

TEST_F(FreeSpaceWipe, AnExceptionStillRemovesTheFillersAndRestoresTheDrive)
{
    SetFillerWriteHook([](int fd, const char* data, size_t size) -> ssize_t {
        if (lseek(fd, 0, SEEK_CUR) >= (1 << 20))
            throw std::runtime_error("injected");
        return write(fd, data, size);
    });
    EXPECT_THROW(SecureEmptySpace(op, "X!"), std::runtime_error);
    EXPECT_TRUE(FillersIn(mount.Path()).empty());
    EXPECT_EQ(drives.current, 3);
    EXPECT_EQ(host.workingAlive, 0);
}

TEST_F(FreeSpaceWipe, AFailingFlushIsAFileExceptionAfterTheFillersAreGone)
{
    // A filler whose descriptor is swapped for a pipe behind the wiper's
    // back cannot be flushed; the wiper must still remove it, then say so.
    SetNamedFillersOnly(true);
    int fillerFd = -1;
    SetFillerWriteHook([&](int fd, const char* data, size_t size) -> ssize_t {
        fillerFd = fd;
        return write(fd, data, size);
    });
    SetFreeSpaceFilledHook([&](const std::string&, const std::vector<std::string>&) {
        int p[2];
        ASSERT_EQ(pipe(p), 0);
        ASSERT_GE(dup2(p[0], fillerFd), 0);
        close(p[0]);
        close(p[1]);
    });
    try {
        WipeFreeSpace(op, kDriveX, X);
        ADD_FAILURE() << "no exception";
    } catch (const FileException& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Error flushing " + mount.Path() + "/" + kFillerPrefix, 0), 0u) << e.what();
    }
    EXPECT_TRUE(FillersIn(mount.Path()).empty());
}

// The figures the Working window is given: from 0 up to the free space
// found at the start, never going back, then the flush and the give-back.
TEST_F(FreeSpaceWipe, ProgressFiguresGrowAndReachTheTotal)
{
    SetFillUpdateInterval(std::chrono::milliseconds(0));
    const unsigned long long freeBefore = FreeBlocks(mount.Path());
    SecureEmptySpace(op, "X!");
    ASSERT_GE(host.fills.size(), 5u);
    const FillStatus& first = host.fills.front();
    EXPECT_EQ(first.phase, FillStatus::Filling);
    EXPECT_EQ(first.letter, X);
    EXPECT_EQ(first.mountPoint, mount.Path());
    EXPECT_EQ(first.written, 0u);
    EXPECT_EQ(first.total, freeBefore * 4096);

    size_t i = 0;
    uint64_t last = 0;
    int grew = 0;
    for (; i < host.fills.size() && host.fills[i].phase == FillStatus::Filling; ++i) {
        EXPECT_EQ(host.fills[i].total, first.total);
        EXPECT_GE(host.fills[i].written, last);
        grew += host.fills[i].written > last;
        last = host.fills[i].written;
    }
    EXPECT_GE(grew, 3) << "the figures did not grow along the fill";
    EXPECT_EQ(last, first.total) << "the fill did not reach the free space found at the start";
    ASSERT_EQ(host.fills.size(), i + 2);
    EXPECT_EQ(host.fills[i].phase, FillStatus::Flushing);
    EXPECT_EQ(host.fills[i + 1].phase, FillStatus::GivingBack);

    ASSERT_EQ(host.records.size(), 1u);
    EXPECT_EQ(host.records[0].kind, ItemKind::Drive);
    EXPECT_EQ(host.records[0].path, "X: " + mount.Path());
    EXPECT_EQ(host.records[0].size, first.total);
    EXPECT_TRUE(host.records[0].destroyed);
}

// The flush fails (the device), and a named filler then cannot be removed:
// the user hears of the flush first, then of the filler left behind.
TEST_F(FreeSpaceWipe, AFailedFlushIsReportedFirstThenWhatCouldNotBeRemoved)
{
    SetNamedFillersOnly(true);
    SetFillerFlushHook([](int) { return EIO; });
    bool locked = false;
    SetFreeSpaceFilledHook([&](const std::string&, const std::vector<std::string>&) {
        locked = SetImmutable(mount.Path(), true);
    });
    struct Unlock {
        std::string path;
        ~Unlock() { SetImmutable(path, false); }
    } unlock{mount.Path()};

    std::string what;
    try {
        WipeFreeSpace(op, kDriveX, X);
        ADD_FAILURE() << "no exception";
    } catch (const FileException& e) {
        what = e.what();
        EXPECT_EQ(e.m_cause, causeHardIO);
    }
    SetImmutable(mount.Path(), false);
    const std::vector<std::string> left = FillersIn(mount.Path());
    if (!locked)
        GTEST_SKIP() << "this kernel's tmpfs has no immutable flag";
    ASSERT_EQ(left.size(), 1u);
    const std::string filler = mount.Path() + "/" + left[0];
    EXPECT_EQ(what, "Error flushing " + filler + ": " + strerror(EIO) + " [ 10 ]\nError removing " + filler + ": "
                        + strerror(EPERM) + " [ 5 ]");
    // Cut to nothing all the same: the space is back even with the name.
    EXPECT_EQ(ReadFile(filler).size(), 0u);
    ASSERT_EQ(host.records.size(), 1u);
    EXPECT_FALSE(host.records[0].destroyed);
    EXPECT_EQ(host.records[0].cause, causeHardIO);
    EXPECT_EQ(host.records[0].message, what);
    EXPECT_TRUE(host.questions.empty());
}

TEST_F(FreeSpaceWipe, AFailedWriteIsAskedAboutBeforeAFillerLeftBehindEndsTheCommand)
{
    SetNamedFillersOnly(true);
    int writes = 0;
    bool locked = false;
    SetFillerWriteHook([&](int fd, const char* data, size_t size) -> ssize_t {
        if (++writes > 2) {
            locked = SetImmutable(mount.Path(), true);
            errno = EIO;
            return -1;
        }
        return write(fd, data, size);
    });
    struct Unlock {
        std::string path;
        ~Unlock() { SetImmutable(path, false); }
    } unlock{mount.Path()};
    host.diskErrorAnswers = {IDC_IGNORE};

    bool thrown = false;
    try {
        WipeFreeSpace(op, kDriveX, X);
    } catch (const FileException& e) {
        thrown = true;
        EXPECT_EQ(std::string(e.what()).rfind("Error removing " + mount.Path() + "/" + kFillerPrefix, 0), 0u) << e.what();
    }
    SetImmutable(mount.Path(), false);
    if (!locked)
        GTEST_SKIP() << "this kernel's tmpfs has no immutable flag";
    EXPECT_TRUE(thrown);
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(host.questions[0].first, "Error Securing Disk [ 10 ]");
    for (const std::string& name : FillersIn(mount.Path()))
        unlink((mount.Path() + "/" + name).c_str());
}

// Two fills of one volume at the same time, each in its own thread as two
// instances would run: neither takes the other's filler for a stale one,
// both end at the full volume without an error, and the space comes back.
void TwoFillsAtOnce(const std::string& root, bool named)
{
    SetNamedFillersOnly(named);
    const unsigned long long freeBefore = FreeBlocks(root);
    WipeBuffer buffer{};
    FillWipeBuffer(buffer);

    std::mutex mutex;
    std::condition_variable changed;
    int started = 0;            // fills that have written once
    size_t fillersSeen = 0;     // named fillers present when both had started
    thread_local bool wrote = false;
    SetFillerWriteHook([&](int fd, const char* data, size_t size) -> ssize_t {
        if (!wrote) {
            wrote = true;
            std::unique_lock lock(mutex);
            ++started;
            changed.notify_all();
            // The first fill waits here until the second has placed its
            // filler (and so has looked for stale ones) and written too.
            changed.wait_for(lock, std::chrono::seconds(60), [&] { return started >= 2; });
            if (fillersSeen == 0)
                fillersSeen = FillersIn(root).size();
        }
        return write(fd, data, size);
    });
    auto fill = [&](int* result, ScriptedHost* host) {
        wrote = false;
        FakeDriveTable drives;
        drives.roots[X] = root;
        Operation op(buffer, *host, drives);
        *result = WipeFreeSpace(op, kDriveX, X);
    };
    ScriptedHost hostA, hostB;
    int resultA = -1, resultB = -1;
    std::thread a(fill, &resultA, &hostA);
    {
        std::unique_lock lock(mutex);
        changed.wait_for(lock, std::chrono::seconds(60), [&] { return started >= 1; });
    }
    std::thread b(fill, &resultB, &hostB);
    a.join();
    b.join();

    EXPECT_EQ(resultA, 1);
    EXPECT_EQ(resultB, 1);
    EXPECT_TRUE(hostA.questions.empty());
    EXPECT_TRUE(hostB.questions.empty());
    ASSERT_EQ(hostA.records.size(), 1u);
    ASSERT_EQ(hostB.records.size(), 1u);
    EXPECT_TRUE(hostA.records[0].destroyed);
    EXPECT_TRUE(hostB.records[0].destroyed);
    if (named) {
        EXPECT_EQ(fillersSeen, 2u) << "one fill removed the other's filler";
    }
    EXPECT_TRUE(FillersIn(root).empty());
    EXPECT_EQ(FreeBlocks(root), freeBefore);
}

TEST_F(FreeSpaceWipe, TwoFillsOfOneVolumeAtOnceBothEndWithoutError)
{
    TwoFillsAtOnce(mount.Path(), false);
}

TEST_F(FreeSpaceWipe, TwoFillsWithNamedFillersLeaveEachOthersFillersAlone)
{
    TwoFillsAtOnce(mount.Path(), true);
}

// A FAT volume has no unnamed files: the fillers get names, hold a lock,
// and are gone afterwards.
TEST(FreeSpaceWipeVfat, NamedFillersAreUsedWhereTheFileSystemHasNoUnnamedFiles)
{
    LoopExt4Mount disk(64, "vfat");
    if (!disk.Available())
        GTEST_SKIP() << disk.SkipReason();
    Seams seams;
    const unsigned long long freeBefore = FreeBlocks(disk.Path());
    std::vector<std::string> seen;
    SetFreeSpaceFilledHook([&](const std::string&, const std::vector<std::string>& fillers) {
        seen = FillersIn(disk.Path());
        EXPECT_EQ(seen.size(), fillers.size());
        for (const std::string& path : fillers) {
            // Held by the running fill: nobody else may take it for stale.
            const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
            ASSERT_GE(fd, 0) << path;
            EXPECT_NE(flock(fd, LOCK_EX | LOCK_NB), 0) << path << " is not locked";
            close(fd);
        }
        EXPECT_EQ(RemoveStaleFillersIn(disk.Path()), 0);
    });
    WipeBuffer buffer{};
    FillWipeBuffer(buffer);
    ScriptedHost host;
    FakeDriveTable drives;
    drives.roots['F'] = disk.Path();
    Operation op(buffer, host, drives);
    EXPECT_EQ(WipeFreeSpace(op, 'F' - 64, 'F'), 1);
    EXPECT_FALSE(seen.empty());
    for (const std::string& name : seen)
        EXPECT_TRUE(IsFillerName(name.c_str())) << name;
    EXPECT_TRUE(FillersIn(disk.Path()).empty());
    EXPECT_EQ(FreeBlocks(disk.Path()), freeBefore);
    EXPECT_TRUE(host.questions.empty());
}

// The clusters an ext4 volume keeps back, as its sysfs entry says.
std::string ReserveOf(const std::string& mountPoint)
{
    struct stat st {};
    if (stat(mountPoint.c_str(), &st) != 0)
        return {};
    char resolved[PATH_MAX];
    const std::string link = "/sys/dev/block/" + std::to_string(major(st.st_dev)) + ":" + std::to_string(minor(st.st_dev));
    if (!realpath(link.c_str(), resolved))
        return {};
    const std::string name = std::string(resolved).substr(std::string(resolved).rfind('/') + 1);
    std::string value = ReadFile("/sys/fs/ext4/" + name + "/reserved_clusters");
    while (!value.empty() && value.back() == '\n')
        value.pop_back();
    return value;
}

TEST(FreeSpaceWipeExt4, AFileRemovedWithUnlinkCannotBeFoundOnTheDeviceAfterTheWipe)
{
    LoopExt4Mount disk(32);
    if (!disk.Available())
        GTEST_SKIP() << disk.SkipReason();
    const std::string marker = "TARNOWICK-UNIQUE-MARKER-7f3a9c01e5d2";
    std::string content;
    while (content.size() < (256 << 10))
        content += marker + "\n";
    const std::string secret = disk.Path() + "/secret.txt";
    WriteFile(secret, content);
    ASSERT_EQ(RunCommand("sync"), 0);
    ASSERT_EQ(unlink(secret.c_str()), 0);
    ASSERT_EQ(RunCommand("sync"), 0);
    ASSERT_TRUE(FileContains(disk.Image(), marker)) << "the removed file's blocks should still hold the marker";

    WipeBuffer buffer{};
    FillWipeBuffer(buffer);
    ScriptedHost host;
    FakeDriveTable drives;
    drives.roots['E'] = disk.Path();
    Operation op(buffer, host, drives);
    const std::string reserve = ReserveOf(disk.Path());
    Seams seams;
    // The discard would punch the overwritten blocks out of the image; here
    // the overwrite itself must be seen on the device.
    SetDiscardAfterWipe(false);
    unsigned long long freeWhenFull = ~0ULL;
    SetFreeSpaceFilledHook([&](const std::string& directory, const std::vector<std::string>&) {
        freeWhenFull = FreeBlocks(directory);
        if (!reserve.empty()) {
            EXPECT_EQ(ReserveOf(disk.Path()), "0");
        }
    });
    EXPECT_EQ(WipeFreeSpace(op, 'E' - 64, 'E'), 1);
    EXPECT_EQ(freeWhenFull, 0u) << "free blocks the fill did not reach";
    EXPECT_EQ(ReserveOf(disk.Path()), reserve);
    EXPECT_TRUE(host.questions.empty());
    EXPECT_TRUE(FillersIn(disk.Path()).empty());

    ASSERT_TRUE(disk.Unmount());
    EXPECT_FALSE(FileContains(disk.Image(), marker));
    EXPECT_TRUE(FileContains(disk.Image(), Pattern(4096)));
}

// After the wipe the free space is discarded, as fstrim does: a loop device
// passes that on by punching holes into its image, so the image shrinks to
// about what the file system uses.
TEST(FreeSpaceWipeExt4, TheFreeSpaceIsDiscardedAfterTheWipe)
{
    LoopExt4Mount disk(64);
    if (!disk.Available())
        GTEST_SKIP() << disk.SkipReason();
    Seams seams;
    auto allocated = [&] {
        struct stat st {};
        EXPECT_EQ(stat(disk.Image().c_str(), &st), 0);
        return (unsigned long long)st.st_blocks * 512;
    };
    unsigned long long whenFull = 0;
    SetFreeSpaceFilledHook([&](const std::string& directory, const std::vector<std::string>&) {
        const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        syncfs(fd);
        close(fd);
        whenFull = allocated();
    });
    WipeBuffer buffer{};
    FillWipeBuffer(buffer);
    ScriptedHost host;
    FakeDriveTable drives;
    drives.roots['E'] = disk.Path();
    Operation op(buffer, host, drives);
    EXPECT_EQ(WipeFreeSpace(op, 'E' - 64, 'E'), 1);
    EXPECT_GT(whenFull, 48ull << 20) << "the image did not take the fill";
    const unsigned long long after = allocated();
    if (after >= whenFull)
        GTEST_SKIP() << "this loop device does not pass discards on";
    EXPECT_LT(after, whenFull / 2);
}

} // namespace
