// SPDX-License-Identifier: GPL-3.0-or-later
// The file wiper against real files, real mounts and a real ext4 device.
#include "core/CommandIds.h"
#include "platform/FileError.h"
#include "tests/TestSupport.h"
#include "wipe/FileWiper.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tw;
using tw::test::Exists;
using tw::test::Pattern;
using tw::test::ReadFile;
using tw::test::WriteFile;

namespace {

class CountingProgress : public IProgress {
public:
    void ShowScanning() override {}
    void ShowDeleting() override {}
    void SetRange(long long) override {}
    void Step(int k) override { steps += k; }
    int steps = 0;
};

std::string Noise(size_t length, unsigned seed)
{
    std::mt19937 gen(seed);
    std::string s(length, '\0');
    for (char& c : s)
        c = char('a' + gen() % 26);
    return s;
}

bool LeasesEnabled()
{
    std::ifstream in("/proc/sys/fs/leases-enable");
    int on = 1;
    in >> on;
    return on != 0;
}

// Lowers this process's file-size limit while it lives: a write past the
// limit fails with EFBIG, as a write to a full device fails with ENOSPC.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        const struct rlimit low = {bytes, m_saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &low);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_saved); }

private:
    struct rlimit m_saved {};
};

size_t EntriesIn(const std::string& dir)
{
    size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir))
        ++n;
    return n;
}

class FileWiperTest : public ::testing::Test {
protected:
    FileWiperTest() { FillWipeBuffer(buffer); }
    void TearDown() override { SetBeforeTruncateHook(nullptr); }

    int Wipe(const std::string& path) { return WipeFile(op, path, &progress); }

    // Records what the file holds just before it is cut to zero length.
    void CaptureBeforeTruncate()
    {
        SetBeforeTruncateHook([this](int fd) {
            struct stat st {};
            ASSERT_EQ(fstat(fd, &st), 0);
            std::string content(size_t(st.st_size), '\0');
            ASSERT_EQ(pread(fd, content.data(), content.size(), 0), ssize_t(content.size()));
            captured.push_back(content);
        });
    }

    void ExpectOpenFailure(const std::string& path, int cause)
    {
        ASSERT_EQ(host.questions.size(), 1u) << path;
        EXPECT_EQ(host.questions[0].kind, "file");
        EXPECT_EQ(host.questions[0].first, path);
        EXPECT_EQ(host.questions[0].second, "Could not access this file for deletion [ " + std::to_string(cause) + " ]");
        EXPECT_EQ(progress.steps, 0);
    }

    // The file holds the pattern over its whole length just before it is
    // cut. Its last page may have been written whole (the file then reaches
    // to that page's end until it is cut to zero), with the pattern going
    // on and nothing else.
    static void ExpectPatternOver(const std::string& content, size_t length)
    {
        const size_t pageEnd = (length + 4095) / 4096 * 4096;
        EXPECT_TRUE(content.size() == length || content.size() == pageEnd)
            << "length " << length << ", the file held " << content.size() << " bytes";
        EXPECT_TRUE(content == Pattern(content.size())) << "length " << length;
    }

    WipeBuffer buffer{};
    test::ScriptedHost host;
    test::FakeDriveTable drives;
    Operation op{buffer, host, drives};
    CountingProgress progress;
    test::TempDir dir;
    std::vector<std::string> captured;
};

TEST_F(FileWiperTest, TwentyByteFileHoldsThePatternJustBeforeTruncation)
{
    const std::string path = dir / "twenty.txt";
    WriteFile(path, "01234567890123456789");
    CaptureBeforeTruncate();
    EXPECT_EQ(Wipe(path), 1);
    ASSERT_EQ(captured.size(), 1u);
    ExpectPatternOver(captured[0], 20);
    EXPECT_EQ(captured[0].substr(0, 20), "Tarnowick SecureTarn");
    EXPECT_FALSE(Exists(path));
    EXPECT_EQ(progress.steps, 1);
    EXPECT_TRUE(host.questions.empty());
}

TEST_F(FileWiperTest, EveryLengthIsOverwrittenExactlyAndTheFileIsGone)
{
    // Around the 1024-byte buffer and around the larger write chunk.
    const std::vector<size_t> lengths = {0, 1, 1024, 1025, 3000, (1u << 20) - 1, (1u << 20) + 17, 3u * (1u << 20) + 5};
    CaptureBeforeTruncate();
    for (size_t i = 0; i < lengths.size(); ++i) {
        const std::string path = dir / ("file" + std::to_string(i));
        WriteFile(path, Noise(lengths[i], unsigned(i)));
        EXPECT_EQ(Wipe(path), 1) << lengths[i];
        ASSERT_EQ(captured.size(), i + 1);
        ExpectPatternOver(captured[i], lengths[i]);
        EXPECT_FALSE(Exists(path)) << lengths[i];
    }
    EXPECT_EQ(progress.steps, int(lengths.size()));
    // Nothing is left behind under a random name either.
    EXPECT_EQ(EntriesIn(dir.Path()), 0u);
    EXPECT_TRUE(host.questions.empty());
}

TEST_F(FileWiperTest, WipeFileAtOpensRelativeToTheDirectoryAndShowsTheGivenPath)
{
    WriteFile(dir / "inside", "secret");
    const int dirfd = open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(dirfd, 0);
    EXPECT_EQ(WipeFileAt(op, dirfd, "inside", "/shown/inside", &progress), 1);
    EXPECT_FALSE(Exists(dir / "inside"));
    EXPECT_EQ(progress.steps, 1);
    progress.steps = 0;

    host.fileErrorAnswers = {IDC_IGNORE};
    EXPECT_EQ(WipeFileAt(op, dirfd, "absent", "/shown/absent", nullptr), 1);
    close(dirfd);
    ExpectOpenFailure("/shown/absent", 2);
}

TEST_F(FileWiperTest, NamesAreBytesOfAnyLength)
{
    // Not UTF-8, and the longest name a directory entry can hold.
    for (const std::string& name : {std::string("caf\xe9 \xff.txt"), std::string(255, 'n')}) {
        const std::string path = dir / name;
        WriteFile(path, "secret");
        EXPECT_EQ(Wipe(path), 1);
        EXPECT_FALSE(Exists(path));
    }
    EXPECT_EQ(EntriesIn(dir.Path()), 0u);
    EXPECT_TRUE(host.questions.empty());
}

TEST_F(FileWiperTest, AnotherProgramOpeningTheFileMeanwhileIsHeldOff)
{
    if (!LeasesEnabled())
        GTEST_SKIP() << "file leases are turned off (/proc/sys/fs/leases-enable is 0)";
    const std::string path = dir / "busy.txt";
    WriteFile(path, "contents");
    int openErrno = 0;
    SetBeforeTruncateHook([&](int) {
        // A blocking open would wait until the wiper is done; a non-blocking
        // one is refused at once. The kernel tells the wiper about the
        // attempt with a signal, which must not end the program.
        const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        openErrno = fd < 0 ? errno : 0;
        if (fd >= 0)
            close(fd);
    });
    EXPECT_EQ(Wipe(path), 1);
    EXPECT_EQ(openErrno, EWOULDBLOCK);
    EXPECT_FALSE(Exists(path));
}

// Each refused file is left exactly as it was and reported with its cause.
TEST_F(FileWiperTest, FilesThatMayNotBeDestroyedAreLeftAlone)
{
    host.fileErrorAnswers = {IDC_IGNORE};
    const std::string missing = dir / "missing.txt";
    EXPECT_EQ(Wipe(missing), 1);
    ExpectOpenFailure(missing, 2);
    EXPECT_FALSE(Exists(missing));
    host.questions.clear();

    host.fileErrorAnswers = {IDC_IGNORE};
    EXPECT_EQ(Wipe(dir / "no-such-dir/x"), 1);
    ExpectOpenFailure(dir / "no-such-dir/x", 2);
    host.questions.clear();

    // Overwriting a file with a second name would destroy it under a name
    // nobody chose to delete.
    WriteFile(dir / "linked", "both names");
    ASSERT_EQ(link((dir / "linked").c_str(), (dir / "other-name").c_str()), 0);
    host.fileErrorAnswers = {IDC_IGNORE};
    EXPECT_EQ(Wipe(dir / "linked"), 1);
    ExpectOpenFailure(dir / "linked", 11);
    EXPECT_EQ(ReadFile(dir / "linked"), "both names");
    EXPECT_EQ(ReadFile(dir / "other-name"), "both names");
    host.questions.clear();

    // A link is never followed: neither the link nor its target changes.
    WriteFile(dir / "target", "target stays");
    ASSERT_EQ(symlink((dir / "target").c_str(), (dir / "link").c_str()), 0);
    host.fileErrorAnswers = {IDC_IGNORE};
    EXPECT_EQ(Wipe(dir / "link"), 1);
    ExpectOpenFailure(dir / "link", 3);
    EXPECT_EQ(ReadFile(dir / "target"), "target stays");
    struct stat st {};
    ASSERT_EQ(lstat((dir / "link").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    host.questions.clear();

    ASSERT_EQ(mkdir((dir / "folder").c_str(), 0755), 0);
    WriteFile(dir / "folder/kept", "kept");
    host.fileErrorAnswers = {IDC_IGNORE};
    EXPECT_EQ(Wipe(dir / "folder"), 1);
    ExpectOpenFailure(dir / "folder", 5);
    EXPECT_EQ(ReadFile(dir / "folder/kept"), "kept");
    host.questions.clear();

    // No reader or writer ever opens the FIFO: a blocking open would hang here.
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0644), 0);
    host.fileErrorAnswers = {IDC_IGNORE};
    EXPECT_EQ(Wipe(dir / "fifo"), 1);
    ExpectOpenFailure(dir / "fifo", 5);
    EXPECT_TRUE(Exists(dir / "fifo"));
}

TEST_F(FileWiperTest, FileHeldOpenByAnotherDescriptorIsInUse)
{
    if (!LeasesEnabled())
        GTEST_SKIP() << "file leases are turned off (/proc/sys/fs/leases-enable is 0)";
    const std::string path = dir / "held.txt";
    WriteFile(path, "someone reads me");
    const int other = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(other, 0);
    host.fileErrorAnswers = {IDC_IGNORE};
    EXPECT_EQ(Wipe(path), 1);
    close(other);
    ExpectOpenFailure(path, 11);
    EXPECT_EQ(ReadFile(path), "someone reads me");

    // Once the other descriptor is gone the file can be destroyed.
    host.questions.clear();
    EXPECT_EQ(Wipe(path), 1);
    EXPECT_FALSE(Exists(path));
}

TEST_F(FileWiperTest, FileOnReadOnlyMountIsAccessDenied)
{
    test::TmpfsMount mount("1M");
    if (!mount.Available())
        GTEST_SKIP() << mount.SkipReason();
    const std::string path = mount.Path() + "/readonly.txt";
    WriteFile(path, "cannot be written");
    ASSERT_EQ(::mount(nullptr, mount.Path().c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0) << strerror(errno);
    host.fileErrorAnswers = {IDC_IGNORE};
    EXPECT_EQ(Wipe(path), 1);
    ExpectOpenFailure(path, 5);
    EXPECT_EQ(ReadFile(path), "cannot be written");
}

// A write that cannot be completed: the file-size limit stops the overwrite
// part of the way through, as a full device would (cause 13).
TEST_F(FileWiperTest, FailedWriteIsReportedAndTheFileKeepsItsLength)
{
    const std::string path = dir / "large.bin";
    const std::string contents = Noise(4 << 20, 7);
    WriteFile(path, contents);
    {
        const FileSizeLimit limit(1 << 20);
        host.fileErrorAnswers = {IDC_IGNORE};
        EXPECT_EQ(Wipe(path), 1);
    }
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(host.questions[0].kind, "file");
    EXPECT_EQ(host.questions[0].first, "");
    EXPECT_EQ(host.questions[0].second, "Error Securing File" + path + " [ 13 ]");
    EXPECT_EQ(progress.steps, 0);

    // What was written before the failure stays overwritten; the rest keeps
    // its old bytes, and the length is unchanged.
    const std::string after = ReadFile(path);
    ASSERT_EQ(after.size(), contents.size());
    EXPECT_TRUE(after.substr(0, 1 << 20) == Pattern(1 << 20));
    EXPECT_TRUE(after.substr(1 << 20) == contents.substr(1 << 20));
}

TEST_F(FileWiperTest, OnlyIgnoreFileGoesOn)
{
    struct Case {
        int answer;
        int result;
    };
    for (const Case c : {Case{IDC_IGNORE, 1}, Case{IDC_CANCEL_OPERATION, 0}, Case{IDCANCEL, 0}}) {
        host.questions.clear();
        host.fileErrorAnswers = {c.answer};
        EXPECT_EQ(Wipe(dir / "absent"), c.result) << "open failure, answer " << c.answer;
    }

    const std::string path = dir / "big.bin";
    WriteFile(path, Noise(256 << 10, 3));
    const FileSizeLimit limit(64 << 10);
    for (const Case c : {Case{IDC_IGNORE, 1}, Case{IDC_CANCEL_OPERATION, 0}, Case{IDCANCEL, 0}}) {
        host.questions.clear();
        host.fileErrorAnswers = {c.answer};
        EXPECT_EQ(Wipe(path), c.result) << "write failure, answer " << c.answer;
        EXPECT_TRUE(Exists(path));
    }
}

// Only the ranges that hold data are written: the holes of a sparse file
// stay holes, so destroying it takes no space, not even on a volume far
// smaller than the file.
TEST_F(FileWiperTest, SparseFileIsOverwrittenOnlyWhereItHoldsData)
{
    test::TmpfsMount mount("1M");
    if (!mount.Available())
        GTEST_SKIP() << mount.SkipReason();
    const std::string path = mount.Path() + "/sparse.bin";
    const off_t length = off_t(64) << 20;
    const off_t middle = off_t(32) << 20;
    const std::string data = Noise(8192, 11);
    {
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(pwrite(fd, data.data(), data.size(), 0), ssize_t(data.size()));
        ASSERT_EQ(pwrite(fd, data.data(), data.size(), middle), ssize_t(data.size()));
        ASSERT_EQ(ftruncate(fd, length), 0);
        close(fd);
    }
    struct HoleMap {
        off_t firstHole = 0, secondData = 0, secondHole = 0;
        std::string first, second;
    } seen;
    SetBeforeTruncateHook([&](int fd) {
        seen.firstHole = lseek(fd, 0, SEEK_HOLE);
        seen.secondData = lseek(fd, seen.firstHole, SEEK_DATA);
        seen.secondHole = lseek(fd, seen.secondData, SEEK_HOLE);
        seen.first.resize(data.size());
        seen.second.resize(data.size());
        ASSERT_EQ(pread(fd, seen.first.data(), data.size(), 0), ssize_t(data.size()));
        ASSERT_EQ(pread(fd, seen.second.data(), data.size(), middle), ssize_t(data.size()));
    });
    EXPECT_EQ(Wipe(path), 1);
    EXPECT_TRUE(host.questions.empty());
    EXPECT_FALSE(Exists(path));
    // Just before the truncation: the data overwritten in step with the
    // file offset, and the holes still holes.
    EXPECT_EQ(seen.firstHole, off_t(data.size()));
    EXPECT_EQ(seen.secondData, middle);
    EXPECT_EQ(seen.secondHole, middle + off_t(data.size()));
    EXPECT_TRUE(seen.first == Pattern(data.size()));
    EXPECT_TRUE(seen.second == Pattern(size_t(middle) + data.size()).substr(size_t(middle)));
}

// Failures after the overwrite are not questions: they end the command with
// an exception that names the file and what failed.
TEST_F(FileWiperTest, FailuresAfterTheOverwriteThrowAndNameTheFile)
{
    const std::string path = dir / "truncate-fails.txt";
    WriteFile(path, "will be overwritten");
    SetBeforeTruncateHook([&path](int fd) {
        // Put a read-only descriptor in the wiper's place: truncation fails.
        // The wiper's lease goes first, or this open would wait for it.
        ASSERT_EQ(fcntl(fd, F_SETLEASE, F_UNLCK), 0);
        const int readOnly = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(readOnly, 0);
        ASSERT_EQ(dup2(readOnly, fd), fd);
        close(readOnly);
    });
    try {
        Wipe(path);
        ADD_FAILURE() << "no exception";
    } catch (const FileException& e) {
        EXPECT_NE(std::string(e.what()).find("truncating " + path), std::string::npos) << e.what();
        EXPECT_EQ(e.m_strFileName, path);
    }
    // Overwritten, neither cut nor removed. Cutting it back to its length
    // fails as the cut to zero did, so it may reach to its last page's end,
    // with the pattern.
    ExpectPatternOver(ReadFile(path), 19);
    EXPECT_EQ(progress.steps, 0);

    // A name that cannot be removed after the overwrite: its folder became
    // unchangeable meanwhile.
    const std::string folder = dir / "folder";
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    const std::string stuck = folder + "/stuck.txt";
    WriteFile(stuck, "x");
    std::unique_ptr<test::FrozenDirectory> frozen;
    SetBeforeTruncateHook([&](int) { frozen = std::make_unique<test::FrozenDirectory>(folder); });
    try {
        Wipe(stuck);
        ADD_FAILURE() << "no exception";
    } catch (const FileException& e) {
        EXPECT_NE(std::string(e.what()).find("removing " + stuck), std::string::npos) << e.what();
        EXPECT_EQ(e.m_cause, causeAccessDenied);
    }
    frozen.reset();
    EXPECT_EQ(ReadFile(stuck), "");  // overwritten and cut, but still there
    EXPECT_TRUE(host.questions.empty());

    // A name another program removed after the overwrite is no failure: the
    // file was overwritten and flushed before its name went.
    const std::string gone = dir / "vanishes.txt";
    WriteFile(gone, "x");
    SetBeforeTruncateHook([&gone](int) { unlink(gone.c_str()); });
    EXPECT_EQ(Wipe(gone), 1);
    ASSERT_FALSE(host.records.empty());
    EXPECT_EQ(host.records.back().path, gone);
    EXPECT_TRUE(host.records.back().destroyed);
    EXPECT_EQ(host.records.back().message, "Removed by another program after it was overwritten");
    EXPECT_TRUE(host.questions.empty());
}

// The promise itself: after the wipe, the old contents are not on the device.
TEST_F(FileWiperTest, ContentsAreGoneFromARealExt4Device)
{
    test::LoopExt4Mount device(32);
    if (!device.Available())
        GTEST_SKIP() << device.SkipReason();
    const std::string marker = "MARKER-" + Noise(24, unsigned(getpid()));
    std::string content;
    while (content.size() < 200000)
        content += marker + "\n";
    const std::string path = device.Path() + "/secret.txt";
    WriteFile(path, content);
    // The old contents must be on the device first, or the check proves nothing.
    ASSERT_EQ(test::RunCommand("sync -f '" + path + "'"), 0);
    ASSERT_TRUE(test::FileContains(device.Image(), marker));

    EXPECT_EQ(Wipe(path), 1);
    EXPECT_FALSE(Exists(path));
    ASSERT_TRUE(device.Unmount());
    EXPECT_FALSE(test::FileContains(device.Image(), marker));
    EXPECT_TRUE(test::FileContains(device.Image(), "Tarnowick SecureTarnowick Secure"));
}

} // namespace

namespace {

TEST_F(FileWiperTest, EveryOutcomeIsRecordedWithItsSizeAndCause)
{
    const std::string gone = dir / "gone.txt";
    WriteFile(gone, std::string(3000, 'x'));
    EXPECT_EQ(Wipe(gone), 1);
    host.fileErrorAnswers = {IDC_IGNORE};
    EXPECT_EQ(Wipe(dir / "missing.txt"), 1);

    ASSERT_EQ(host.records.size(), 2u);
    EXPECT_EQ(host.records[0].kind, ItemKind::File);
    EXPECT_EQ(host.records[0].path, gone);
    EXPECT_EQ(host.records[0].size, 3000u);
    EXPECT_TRUE(host.records[0].destroyed);
    EXPECT_EQ(host.records[0].cause, 0);
    EXPECT_EQ(host.records[1].path, dir / "missing.txt");
    EXPECT_FALSE(host.records[1].destroyed);
    EXPECT_EQ(host.records[1].cause, 2);
    EXPECT_EQ(host.records[1].message, "Could not access this file for deletion [ 2 ]");
}

} // namespace
