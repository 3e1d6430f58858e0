// SPDX-License-Identifier: GPL-3.0-or-later
// What a forensic tool finds afterwards. On a loop image of each file system
// (made with mkfs's defaults, mounted without discard), marked files with
// distinctive names are destroyed the three ways a user does it: a sweep,
// Secure Delete File, and a plain rm followed by Secure Empty Space. Then
// the image is unmounted and read from end to end, as a raw scan would:
// no 512-byte sector may hold the marked contents and no destroyed name
// may occur anywhere, while the files that were kept are byte for byte as
// they were.
#include "core/CommandIds.h"
#include "core/Operation.h"
#include "disk/FreeSpaceWiper.h"
#include "platform/Filler.h"
#include "platform/Reserve.h"
#include "platform/Scrub.h"
#include "prefs/Settings.h"
#include "sweep/LocationSweeps.h"
#include "tests/TestSupport.h"
#include "wipe/DeleteFileCommand.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <set>

using namespace tw;
using namespace tw::test;

namespace {

constexpr char kMarker[] = "QZV-FORENSIC-MARK";

// A name no file system writes by itself: the test finds it only where the
// file's name was kept.
std::string MarkedName(const std::string& group, int i)
{
    char name[64];
    std::snprintf(name, sizeof name, "Hollyhock%s%03dVarnish.tmp", group.c_str(), i);
    return name;
}

// Sizes from a few hundred bytes (stored inside metadata on btrfs) to
// several blocks.
size_t SizeOf(int i)
{
    static const size_t sizes[] = {300, 1500, 3000, 9000, 40000};
    return sizes[i % 5];
}

std::string MarkedContents(int i)
{
    std::string text;
    const std::string line = std::string(kMarker) + std::to_string(i) + "\n";
    while (text.size() < SizeOf(i))
        text += line;
    return text.substr(0, SizeOf(i));
}

struct ScanResult {
    size_t markedSectors = 0;
    std::set<std::string> names;  // the destroyed names found
};

// Reads the whole image: sectors holding the marker, and which of the
// names occur (in any sector, also across a sector's end).
ScanResult Scan(const std::string& image, const std::vector<std::string>& names)
{
    ScanResult result;
    std::ifstream in(image, std::ios::binary);
    std::string carry;
    std::vector<char> chunk(1 << 20);
    while (in) {
        in.read(chunk.data(), std::streamsize(chunk.size()));
        const size_t got = size_t(in.gcount());
        if (got == 0)
            break;
        for (size_t at = 0; at < got; at += 512) {
            const std::string_view sector(chunk.data() + at, std::min<size_t>(512, got - at));
            if (sector.find(kMarker) != std::string_view::npos)
                ++result.markedSectors;
        }
        const std::string window = carry + std::string(chunk.data(), got);
        if (window.find("Hollyhock") != std::string::npos)
            for (const std::string& name : names)
                if (window.find(name.substr(0, name.size() - 4)) != std::string::npos)
                    result.names.insert(name);
        carry = window.substr(window.size() > 64 ? window.size() - 64 : 0);
    }
    return result;
}

// Whether the kernel can zero an ext4 journal (Linux 5.13 and later): asked
// with the dry-run flag, which changes nothing.
bool KernelZeroesJournals(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    uint32_t flags = 0x2 | 0x4;  // zero out, dry run
    const bool ok = ioctl(fd, _IOW('f', 43, uint32_t), &flags) == 0;
    close(fd);
    return ok;
}

class ForensicScan : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override { ClearSettings(); }
    void TearDown() override { SetDiscardAfterWipe(true); }
};

TEST_P(ForensicScan, NoDestroyedContentsOrNameIsLeftOnTheDevice)
{
    const std::string fsType = GetParam();
    LoopExt4Mount disk(300, fsType);
    if (!disk.Available())
        GTEST_SKIP() << disk.SkipReason();
    if (fsType == "ext4" && !KernelZeroesJournals(disk.Path()))
        GTEST_SKIP() << "this kernel cannot zero an ext4 journal (EXT4_IOC_CHECKPOINT needs Linux 5.13)";

    // Three groups of marked files, each destroyed another way, and files
    // that stay beside them.
    const std::string swept = disk.Path() + "/cache", picked = disk.Path() + "/picked",
                      removed = disk.Path() + "/removed";
    for (const std::string& dir : {swept, picked, removed})
        ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
    std::vector<std::string> names, pickedPaths;
    std::map<std::string, std::string> kept;
    int n = 0;
    for (int i = 0; i < 100; ++i, ++n) {
        names.push_back(MarkedName("Sweep", i));
        WriteFile(swept + "/" + names.back(), MarkedContents(n));
    }
    for (int i = 0; i < 10; ++i, ++n) {
        names.push_back(MarkedName("Pick", i));
        pickedPaths.push_back(picked + "/" + names.back());
        WriteFile(pickedPaths.back(), MarkedContents(n));
    }
    for (int i = 0; i < 30; ++i, ++n) {
        names.push_back(MarkedName("Rm", i));
        WriteFile(removed + "/" + names.back(), MarkedContents(n));
    }
    // Enough files stay in the swept folder that it keeps its directory
    // blocks: the names must be gone from them, not with them.
    for (const std::string& dir : {swept, picked}) {
        for (int i = 0; i < (dir == swept ? 25 : 5); ++i) {
            const std::string path = dir + "/kept" + std::to_string(i) + ".dat";
            std::string contents;
            while (contents.size() < 3000 + size_t(i % 5) * 4000)
                contents += "kept file " + std::to_string(i) + " stays as it is\n";
            WriteFile(path, contents);
            kept[path] = contents;
        }
    }
    ASSERT_EQ(RunCommand("sync"), 0);
    ASSERT_GT(Scan(disk.Image(), names).names.size(), 0u) << "the names should be on the device before";

    WipeBuffer buffer{};
    FillWipeBuffer(buffer);
    ScriptedHost host;
    FakeDriveTable drives;
    drives.roots['E'] = disk.Path();
    // A disk without TRIM: the discard after the fill would punch the
    // image's blocks out and hide whether they were overwritten.
    SetDiscardAfterWipe(false);

    {  // a sweep, as File > Secure Delete Other
        Operation op(buffer, host, drives);
        CSettings::Write(Setting::OtherPath, swept);
        CSettings::Write(Setting::FileTypes, "*.tmp!");
        SecureDeleteOther(op);
    }
    {  // Secure Delete File, Yes To All
        Operation op(buffer, host, drives);
        host.confirmAnswers.push_back(IDC_YES_TO_ALL);
        DeleteSelectedFiles(op, pickedPaths, false);
    }
    // rm, then Secure Empty Space
    ASSERT_EQ(RunCommand("rm -r " + removed), 0);
    {
        Operation op(buffer, host, drives);
        SecureEmptySpace(op, "E!");
    }
    for (const ItemResult& item : host.records)
        EXPECT_EQ(item.cause, 0) << item.path << ": " << item.message;
    for (const auto& [path, contents] : kept)
        EXPECT_EQ(ReadFile(path), contents) << path;

    ASSERT_TRUE(disk.Unmount());
    const ScanResult after = Scan(disk.Image(), names);
    EXPECT_EQ(after.markedSectors, 0u) << "sectors that still hold destroyed contents";
    std::string found;
    for (const std::string& name : after.names)
        found += " " + name;
    EXPECT_EQ(after.names.size(), 0u) << "destroyed names still on the device:" << found;
}

INSTANTIATE_TEST_SUITE_P(FileSystems, ForensicScan, ::testing::Values("ext4", "xfs", "btrfs"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

// The XFS reserve pool is lowered to nothing while a root fill runs, so
// the fill reaches it, and comes back afterwards; a pool a killed fill left
// lowered comes back from its record at the next start.
TEST(XfsReservePool, IsLoweredForTheFillAndRestoredAfterwardsAndAfterACrash)
{
    LoopExt4Mount disk(300, "xfs");
    if (!disk.Available())
        GTEST_SKIP() << disk.SkipReason();
    TempDir runDir;
    setenv("TARNOWICK_RUN_DIR", (runDir / "run").c_str(), 1);
    const int fd = open(disk.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    unsigned long long pool = 0;
    ASSERT_TRUE(XfsReserveOf(fd, &pool));
    ASSERT_GT(pool, 0u);

    WipeBuffer buffer{};
    FillWipeBuffer(buffer);
    ScriptedHost host;
    FakeDriveTable drives;
    drives.roots['E'] = disk.Path();
    Operation op(buffer, host, drives);
    SetDiscardAfterWipe(false);
    unsigned long long during = ~0ULL;
    bool recorded = false;
    SetFreeSpaceFilledHook([&](const std::string&, const std::vector<std::string>&) {
        XfsReserveOf(fd, &during);
        struct stat st;
        fstat(fd, &st);
        recorded = access((runDir.Path() + "/run/reserve-" + std::to_string(major(st.st_dev)) + "-"
                           + std::to_string(minor(st.st_dev)))
                              .c_str(),
                          F_OK)
            == 0;
    });
    EXPECT_EQ(WipeFreeSpace(op, 'E' - 64, 'E'), 1);
    SetFreeSpaceFilledHook(nullptr);
    EXPECT_EQ(during, 0u);
    EXPECT_TRUE(recorded) << "the original pool was not written down before it was lowered";
    unsigned long long after = 0;
    ASSERT_TRUE(XfsReserveOf(fd, &after));
    EXPECT_EQ(after, pool);
    // What no fill reaches is said once, with the amount.
    std::vector<std::string> warnings;
    for (const auto& q : host.questions)
        if (q.kind == "warning")
            warnings.push_back(q.first);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("E: " + disk.Path()), std::string::npos) << warnings[0];

    // A fill killed with SIGKILL: the pool stays lowered, the record stays.
    struct stat st;
    ASSERT_EQ(fstat(fd, &st), 0);
    const pid_t child = fork();
    if (child == 0) {
        ReserveLift xfs(st.st_dev, fd);
        if (xfs.Lifted())
            kill(getpid(), SIGKILL);
        _exit(3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the pool was not lowered";
    unsigned long long left = ~0ULL;
    ASSERT_TRUE(XfsReserveOf(fd, &left));
    EXPECT_EQ(left, 0u);
    EXPECT_EQ(RestoreLiftedReserves(), 1);
    ASSERT_TRUE(XfsReserveOf(fd, &after));
    EXPECT_EQ(after, pool);
    close(fd);
    unsetenv("TARNOWICK_RUN_DIR");
}

// With the pool lowered, the last data written may find no room for the
// file system's own blocks when it is flushed: the end of the filler is
// given back until the flush succeeds, and the wipe ends as a success.
TEST(XfsReservePool, AFlushThatFindsNoRoomDoesNotEndTheWipeAsAnError)
{
    LoopExt4Mount disk(300, "xfs");
    if (!disk.Available())
        GTEST_SKIP() << disk.SkipReason();
    TempDir runDir;
    setenv("TARNOWICK_RUN_DIR", (runDir / "run").c_str(), 1);
    int failures = 1;
    int flushes = 0;
    SetFillerFlushHook([&](int fd) {
        ++flushes;
        if (failures > 0) {
            --failures;
            return ENOSPC;
        }
        return fdatasync(fd) == 0 ? 0 : errno;
    });
    WipeBuffer buffer{};
    FillWipeBuffer(buffer);
    ScriptedHost host;
    FakeDriveTable drives;
    drives.roots['E'] = disk.Path();
    Operation op(buffer, host, drives);
    SetDiscardAfterWipe(false);
    const int result = WipeFreeSpace(op, 'E' - 64, 'E');
    SetFillerFlushHook(nullptr);
    unsetenv("TARNOWICK_RUN_DIR");
    EXPECT_EQ(result, 1);
    EXPECT_GE(flushes, 2) << "the flush was not tried again";
    ASSERT_EQ(host.records.size(), 1u);
    EXPECT_TRUE(host.records[0].destroyed) << host.records[0].message;
    for (const auto& q : host.questions)
        EXPECT_NE(q.kind, "disk") << q.first;
}

} // namespace
