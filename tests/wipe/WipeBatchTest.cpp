// SPDX-License-Identifier: GPL-3.0-or-later
// Files destroyed in batches that share one flush: the user sees the same
// questions, records and progress steps in the same order as file by file;
// a "Cancel Operation" leaves no file overwritten but present; a failing
// flush names the failing file on a real device that fails; a batch never
// spans two volumes, which the raw images prove.
#include "core/CommandIds.h"
#include "platform/FileError.h"
#include "prefs/Settings.h"
#include "tests/TestSupport.h"
#include "tests/sweep/SweepFixture.h"
#include "wipe/DeleteFileCommand.h"
#include "wipe/FileWiper.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fiemap.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tw;
using namespace tw::test;

namespace {

// The log with every occurrence of `prefix` taken out, so that two runs in
// different directories compare.
std::vector<std::string> Relative(std::vector<std::string> log, const std::string& prefix)
{
    for (std::string& line : log)
        for (size_t at; (at = line.find(prefix)) != std::string::npos;)
            line.erase(at, prefix.size());
    return log;
}

class WipeBatchTest : public ::testing::Test {
protected:
    WipeBatchTest() { FillWipeBuffer(buffer); }
    void SetUp() override { ClearSettings(); }
    void TearDown() override
    {
        SetAfterOverwriteHook(nullptr);
        SetBeforeTruncateHook(nullptr);
    }

    // Names f0 ... f(n-1) with distinct contents; those in `missing` are
    // not created, so that opening them fails (cause 2).
    std::vector<std::string> MakeFiles(const std::string& dir, int n, const std::vector<int>& missing = {})
    {
        std::vector<std::string> names;
        for (int i = 0; i < n; ++i) {
            names.push_back("f" + std::to_string(i));
            if (std::find(missing.begin(), missing.end(), i) == missing.end())
                WriteFile(dir + "/" + names.back(), std::string(size_t(100 + i * 700), char('a' + i)));
        }
        return names;
    }

    WipeBuffer buffer{};
    ScriptedHost host;
    FakeDriveTable drives;
    Operation op{buffer, host, drives};
    TempDir dir;
};

// What the user sees is the same with a batch as file by file: each
// question comes after the files before it are recorded and stepped.
TEST_F(WipeBatchTest, QuestionsRecordsAndStepsComeInTheOrderOfFileByFile)
{
    const std::vector<int> missing = {3, 7};
    TempDir one, other;
    const auto names = MakeFiles(one.Path(), 10, missing);
    MakeFiles(other.Path(), 10, missing);

    auto box = host.CreateProgress();
    host.fileErrorAnswers = {IDC_IGNORE, IDC_IGNORE};
    const int dirfd = open(one.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(dirfd, 0);
    for (const std::string& name : names)
        ASSERT_EQ(WipeFileAt(op, dirfd, name, one / name, box.get()), 1);
    close(dirfd);
    const std::vector<std::string> fileByFile = Relative(host.log, one.Path());

    host.log.clear();
    host.fileErrorAnswers = {IDC_IGNORE, IDC_IGNORE};
    {
        // Batches of three files (and their directory): full batches, a
        // file error in the middle of one, and a last batch finished by the
        // end of the walk.
        CWipeBatch batch(op, box.get(), 5);
        const BatchDirectory d = CBatchDirectory::Duplicate(open(other.Path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        for (const std::string& name : names)
            ASSERT_EQ(batch.Add(d, name, other / name), 1);
        EXPECT_EQ(batch.Finish(), 1);
    }
    EXPECT_EQ(Relative(host.log, other.Path()), fileByFile);
    EXPECT_EQ(fileByFile.size(), 8u * 2 + 2 * 2);  // record + step each; record + question each
    EXPECT_EQ(ListingOrder(other.Path()).size(), 0u);
}

// "Cancel Operation" about a file: the files of the batch that were already
// overwritten are finished before the question, nothing after it is touched.
TEST_F(WipeBatchTest, CancelOperationInTheMiddleOfABatchLeavesNoOverwrittenFileBehind)
{
    const auto names = MakeFiles(dir.Path(), 8, {4});
    std::vector<std::string> overwritten;
    SetAfterOverwriteHook([&](const std::string& path) { overwritten.push_back(path); });
    host.fileErrorAnswers = {IDC_CANCEL_OPERATION};
    const BatchDirectory d = CBatchDirectory::Duplicate(open(dir.Path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    CWipeBatch batch(op, nullptr);
    int result = 1;
    size_t reached = 0;
    for (; reached < names.size() && result; ++reached)
        result = batch.Add(d, names[reached], dir / names[reached]);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(reached, 5u);
    EXPECT_EQ(batch.Waiting(), 0u);
    std::vector<std::string> expected;
    for (size_t i = 0; i < 4; ++i)
        expected.push_back("record " + dir / names[i] + " destroyed");
    expected.push_back("record " + dir / "f4 left 2");
    expected.push_back("file " + dir / "f4|Could not access this file for deletion [ 2 ]");
    EXPECT_EQ(host.log, expected);
    EXPECT_EQ(overwritten.size(), 4u);
    EXPECT_EQ(ListingOrder(dir.Path()).size(), 3u);
    for (size_t i = 5; i < names.size(); ++i)
        EXPECT_EQ(ReadFile(dir / names[i]), std::string(100 + i * 700, char('a' + i))) << names[i];
}

// Physical extents (byte offset on the device, length) of a file.
std::vector<std::pair<uint64_t, uint64_t>> PhysicalExtents(const std::string& path)
{
    std::vector<std::pair<uint64_t, uint64_t>> extents;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return extents;
    constexpr unsigned kMax = 64;
    std::vector<char> buf(sizeof(fiemap) + kMax * sizeof(fiemap_extent));
    auto* map = reinterpret_cast<fiemap*>(buf.data());
    map->fm_start = 0;
    map->fm_length = FIEMAP_MAX_OFFSET;
    map->fm_flags = FIEMAP_FLAG_SYNC;
    map->fm_extent_count = kMax;
    if (ioctl(fd, FS_IOC_FIEMAP, map) == 0)
        for (unsigned i = 0; i < map->fm_mapped_extents; ++i)
            extents.emplace_back(map->fm_extents[i].fe_physical, map->fm_extents[i].fe_length);
    close(fd);
    return extents;
}

// An ext4 volume on a loop device whose image lies on a small tmpfs. Once
// the blocks of one file are taken from the image and the tmpfs is full,
// writing that file back to the device fails: a real failing device.
class FailingVolume {
public:
    FailingVolume() : m_backing("40M")
    {
        if (!m_backing.Available()) {
            m_reason = m_backing.SkipReason();
            return;
        }
        m_image = m_backing.Path() + "/disk.img";
        m_mountPoint = m_backing.Path() + "/mnt";
        mkdir(m_mountPoint.c_str(), 0755);
        if (RunCommand("truncate -s 32M " + m_image + " && mkfs.ext4 -q -F -E lazy_itable_init=0,lazy_journal_init=0 "
                       + m_image + " >/dev/null 2>&1 && fallocate -l 32M " + m_image) != 0) {
            m_reason = "mkfs.ext4 failed";
            return;
        }
        if (RunCommand("mount -o loop " + m_image + " " + m_mountPoint + " 2>/dev/null") != 0) {
            m_reason = "loop devices are not available here (mount -o loop failed)";
            return;
        }
        m_mounted = true;
    }
    ~FailingVolume()
    {
        if (m_mounted)
            RunCommand("umount " + m_mountPoint + " 2>/dev/null || umount -l " + m_mountPoint);
    }
    bool Available() const { return m_mounted; }
    const std::string& SkipReason() const { return m_reason; }
    const std::string& Path() const { return m_mountPoint; }

    // Takes the blocks of `path` out of the image and fills the tmpfs, so
    // that they cannot be written again.
    bool BreakBlocksOf(const std::string& path)
    {
        if (RunCommand("sync") != 0)
            return false;
        const auto extents = PhysicalExtents(path);
        if (extents.empty())
            return false;
        const int image = open(m_image.c_str(), O_RDWR | O_CLOEXEC);
        if (image < 0)
            return false;
        bool ok = true;
        for (const auto& [at, length] : extents)
            ok = ok && fallocate(image, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, off_t(at), off_t(length)) == 0;
        close(image);
        // dd ends with "No space left on device": that is the point.
        RunCommand("dd if=/dev/zero of=" + m_backing.Path() + "/fill bs=4k >/dev/null 2>&1");
        return ok;
    }

private:
    TmpfsMount m_backing;
    std::string m_image;
    std::string m_mountPoint;
    std::string m_reason;
    bool m_mounted = false;
};

// The batch's one flush fails. Each file is then flushed on its own: the
// failing file is named and kept, the files before it are finished before
// the question, and the others after it are finished too, even on "Cancel
// Operation", since their overwrite has reached the device.
TEST_F(WipeBatchTest, AFlushFailureInABatchNamesTheFailingFile)
{
    for (const int answer : {IDC_IGNORE, IDC_CANCEL_OPERATION}) {
        FailingVolume volume;
        if (!volume.Available())
            GTEST_SKIP() << volume.SkipReason();
        const std::string root = volume.Path();
        for (const char* name : {"a", "b", "d", "e"})
            WriteFile(root + "/" + name, std::string(20000, *name));
        const std::string victim = root + "/c";
        const std::string old(4 << 20, 'c');
        WriteFile(victim, old);
        ASSERT_TRUE(volume.BreakBlocksOf(victim));

        ScriptedHost fresh;
        Operation o(buffer, fresh, drives);
        auto box = fresh.CreateProgress();
        fresh.fileErrorAnswers = {answer};
        const BatchDirectory d = CBatchDirectory::Duplicate(open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        CWipeBatch batch(o, box.get());
        for (const char* name : {"a", "b", "c", "d", "e"})
            ASSERT_EQ(batch.Add(d, name, root + "/" + name), 1);
        EXPECT_EQ(batch.Finish(), answer == IDC_IGNORE ? 1 : 0);

        ASSERT_EQ(fresh.questions.size(), 1u);
        EXPECT_EQ(fresh.questions[0].first, "");
        const std::string& message = fresh.questions[0].second;
        EXPECT_EQ(message.rfind("Error Securing File" + victim + " [ ", 0), 0u) << message;
        const int cause = std::atoi(message.c_str() + message.rfind("[ ") + 2);
        EXPECT_TRUE(cause == causeDiskFull || cause == causeHardIO) << message;
        const std::vector<std::string> expected = {
            "record " + root + "/a destroyed", "step", "record " + root + "/b destroyed", "step",
            "record " + victim + " left " + std::to_string(cause), "file |" + message,
            "record " + root + "/d destroyed", "step", "record " + root + "/e destroyed", "step"};
        EXPECT_EQ(fresh.log, expected);
        // Only the failing file is left, with its length.
        std::vector<std::string> left = ListingOrder(root);
        std::sort(left.begin(), left.end());
        EXPECT_EQ(left, (std::vector<std::string>{"c", "lost+found"}));
        struct stat st {};
        ASSERT_EQ(stat(victim.c_str(), &st), 0);
        EXPECT_EQ(st.st_size, off_t(old.size()));
    }
}

// Two volumes in one "Yes To All" selection: each volume's files are
// flushed by a flush of that volume. A flush of the first alone would
// leave the second's old contents on its device, which the raw image shows.
TEST_F(WipeBatchTest, ABatchNeverSpansTwoVolumes)
{
    LoopExt4Mount first(16), second(16);
    if (!first.Available())
        GTEST_SKIP() << first.SkipReason();
    if (!second.Available())
        GTEST_SKIP() << second.SkipReason();
    const std::string marker = "TWO-VOLUMES-" + std::to_string(getpid()) + "-";
    std::vector<std::string> selection;
    for (int i = 0; i < 3; ++i)
        for (const LoopExt4Mount* volume : {&first, &second}) {
            selection.push_back(volume->Path() + "/f" + std::to_string(i));
            std::string content;
            while (content.size() < 50000)
                content += marker + std::to_string(i) + "\n";
            WriteFile(selection.back(), content);
        }
    ASSERT_EQ(RunCommand("sync"), 0);
    ASSERT_TRUE(FileContains(first.Image(), marker));
    ASSERT_TRUE(FileContains(second.Image(), marker));

    host.confirmAnswers = {IDC_YES_TO_ALL};
    DeleteSelectedFiles(op, selection);
    EXPECT_EQ(host.questions.size(), 1u);
    for (const std::string& path : selection)
        EXPECT_FALSE(Exists(path)) << path;
    ASSERT_TRUE(first.Unmount());
    ASSERT_TRUE(second.Unmount());
    EXPECT_FALSE(FileContains(first.Image(), marker));
    EXPECT_FALSE(FileContains(second.Image(), marker));
}

} // namespace
