// SPDX-License-Identifier: GPL-3.0-or-later
// Files whose contents an overwrite in place cannot reach everywhere: on
// btrfs (every file; snapshots and reflink copies share blocks) they are
// removed and said to be, never called destroyed; on XFS a file whose
// blocks a reflink copy shares is refused like a file with a second name;
// on an overlay, a file of the lower layer is removed (its original stays
// below) while a file made in the upper layer is destroyed as usual.
#include "core/CommandIds.h"
#include "record/SessionRecord.h"
#include "platform/FileError.h"
#include "sweep/DirectorySweep.h"
#include "tests/TestSupport.h"
#include "tests/sweep/SweepFixture.h"
#include "wipe/FileWiper.h"

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tw;
using namespace tw::test;

namespace {

int Warnings(const ScriptedHost& host, std::string* text = nullptr)
{
    int n = 0;
    for (const auto& q : host.questions)
        if (q.kind == "warning") {
            ++n;
            if (text)
                *text = q.first;
        }
    return n;
}

RecordCounts Counts(const ScriptedHost& host)
{
    RecordCounts counts;
    for (const ItemResult& item : host.records)
        counts.Add(item);
    return counts;
}

using OldCopiesTest = SweepFixture;

// btrfs: every file is removed, with the drive whose Secure Empty Space
// reaches the old copies; a reflink copy of a file is no reason to refuse
// it there (snapshots share blocks with everything) and stays intact.
TEST_F(OldCopiesTest, OnBtrfsFilesAreRemovedNotDestroyedAndTheRecordSaysWhereTheOldCopiesAre)
{
    LoopExt4Mount btrfs(128, "btrfs");
    if (!btrfs.Available())
        GTEST_SKIP() << btrfs.SkipReason();
    drives.roots['C'] = "/";
    drives.roots['X'] = btrfs.Path();
    const std::string a = btrfs.Path() + "/a.tmp", b = btrfs.Path() + "/b.tmp";
    WriteFile(a, std::string(100000, 'a'));
    ASSERT_EQ(RunCommand("cp --reflink=always " + a + " " + btrfs.Path() + "/copy"), 0);
    WriteFile(b, "bbb");

    CSettings::Write(Setting::FileTypes, "*.tmp!");
    SweepDirectory(op, btrfs.Path(), kSweepDeleting, nullptr, false);
    std::string warning;
    ASSERT_EQ(Warnings(host, &warning), 1);
    EXPECT_NE(warning.find("Secure Empty Space"), std::string::npos) << warning;
    ASSERT_EQ(host.records.size(), 2u);
    for (const ItemResult& item : host.records) {
        EXPECT_FALSE(item.destroyed) << item.path;
        EXPECT_TRUE(item.removed) << item.path;
        EXPECT_EQ(item.drive, 'X');
        EXPECT_EQ(item.message, "Old copies remain until the free space of X: is wiped");
        EXPECT_STREQ(ResultName(item), "removed");
    }
    EXPECT_FALSE(Exists(a));
    EXPECT_FALSE(Exists(b));
    EXPECT_EQ(ReadFile(btrfs.Path() + "/copy"), std::string(100000, 'a'));
    EXPECT_EQ(SummaryText(Counts(host), true),
              "2 files removed, 97.7 KiB; old copies remain until the free space of X: is wiped");
}

// XFS with reflink: a file whose blocks its copy shares is refused with
// cause 11, both left byte for byte; once the copy is gone it is destroyed.
TEST_F(OldCopiesTest, OnXfsAFileWhoseBlocksAReflinkCopySharesIsRefused)
{
    LoopExt4Mount xfs(320, "xfs");
    if (!xfs.Available())
        GTEST_SKIP() << xfs.SkipReason();
    const std::string file = xfs.Path() + "/report.tmp", copy = xfs.Path() + "/copy.txt";
    const std::string contents = std::string(200000, 'r') + "end";
    WriteFile(file, contents);
    ASSERT_EQ(RunCommand("sync && cp --reflink=always " + file + " " + copy), 0)
        << "this XFS was made without reflink";

    host.fileErrorAnswers = {IDC_IGNORE, IDC_IGNORE};
    EXPECT_EQ(WipeFile(op, file, nullptr), 1);
    CSettings::Write(Setting::FileTypes, "*.tmp!");
    SweepDirectory(op, xfs.Path(), kSweepDeleting, nullptr, false);
    const std::vector<std::string> refused = {"record " + file + " left 11",
                                              "file " + file + "|Could not access this file for deletion [ 11 ]"};
    std::vector<std::string> twice = refused;
    twice.insert(twice.end(), refused.begin(), refused.end());
    EXPECT_EQ(host.log, twice);
    EXPECT_EQ(ReadFile(file), contents);
    EXPECT_EQ(ReadFile(copy), contents);
    EXPECT_EQ(Warnings(host), 0);

    // XFS gives a removed file's blocks back in the background; freezing
    // the volume waits for that.
    ASSERT_EQ(unlink(copy.c_str()), 0);
    ASSERT_EQ(RunCommand("fsfreeze -f " + xfs.Path() + " && fsfreeze -u " + xfs.Path()), 0);
    host.log.clear();
    EXPECT_EQ(WipeFile(op, file, nullptr), 1);
    EXPECT_EQ(host.log, std::vector<std::string>{"record " + file + " destroyed"});
}

// An overlay of two layers, mounted for one test and unmounted however it
// ends. `samefs`: both layers on one tmpfs; else each on its own.
class Overlay {
public:
    explicit Overlay(bool samefs) : m_lowerFs("16M"), m_upperFs("16M")
    {
        if (!m_lowerFs.Available() || !m_upperFs.Available()) {
            m_reason = m_lowerFs.Available() ? m_upperFs.SkipReason() : m_lowerFs.SkipReason();
            return;
        }
        const std::string upperBase = samefs ? m_lowerFs.Path() : m_upperFs.Path();
        lower = m_lowerFs.Path() + "/lower";
        upper = upperBase + "/upper";
        merged = m_lowerFs.Path() + "/merged";
        const std::string work = upperBase + "/work";
        for (const std::string& d : {lower, upper, work, merged})
            mkdir(d.c_str(), 0755);
        WriteFile(lower + "/low.tmp", "ORIGINAL IN THE LOWER LAYER");
        WriteFile(lower + "/edited.tmp", "EDITED ORIGINAL");
        const std::string options = "lowerdir=" + lower + ",upperdir=" + upper + ",workdir=" + work;
        if (mount("overlay", merged.c_str(), "overlay", 0, options.c_str()) != 0) {
            m_reason = std::string("mount -t overlay failed: ") + std::strerror(errno);
            return;
        }
        m_mounted = true;
    }
    ~Overlay()
    {
        if (m_mounted)
            umount2(merged.c_str(), MNT_DETACH);
    }
    bool Available() const { return m_mounted; }
    const std::string& SkipReason() const { return m_reason; }

    std::string lower, upper, merged;

private:
    TmpfsMount m_lowerFs, m_upperFs;
    std::string m_reason;
    bool m_mounted = false;
};

TEST_F(OldCopiesTest, OnAnOverlayALowerFileIsRemovedAndAnUpperFileDestroyed)
{
    for (const bool samefs : {true, false}) {
        SCOPED_TRACE(samefs ? "both layers on one file system" : "layers on two file systems");
        Overlay overlay(samefs);
        if (!overlay.Available())
            GTEST_SKIP() << overlay.SkipReason();
        const std::string low = overlay.merged + "/low.tmp", edited = overlay.merged + "/edited.tmp",
                          made = overlay.merged + "/made.tmp";
        // One file made through the overlay (upper only), one of the lower
        // layer changed through it before (copied up already).
        WriteFile(made, "MADE IN THE UPPER LAYER");
        ASSERT_EQ(RunCommand("printf ' and changed' >> " + edited), 0);
        const TreeSnapshot lowerBefore = SnapshotTree(overlay.lower);

        ScriptedHost fresh;
        Operation o(buffer, fresh, drives);
        for (const std::string& path : {low, edited, made})
            EXPECT_EQ(WipeFile(o, path, nullptr), 1) << path;
        ASSERT_EQ(fresh.records.size(), 3u);
        const std::string note = "The original remains in the overlay's lower layer";
        EXPECT_TRUE(fresh.records[0].removed);
        EXPECT_EQ(fresh.records[0].message, note);
        EXPECT_TRUE(fresh.records[1].removed);
        EXPECT_EQ(fresh.records[1].message, note);
        EXPECT_TRUE(fresh.records[2].destroyed);
        EXPECT_EQ(fresh.records[2].message, "");
        std::string warning;
        EXPECT_EQ(Warnings(fresh, &warning), 1);
        EXPECT_EQ(warning.rfind(low + " is on an overlay file system", 0), 0u) << warning;
        for (const std::string& path : {low, edited, made})
            EXPECT_FALSE(Exists(path)) << path;
        // The lower layer is never touched.
        EXPECT_EQ(SnapshotTree(overlay.lower), lowerBefore);
        EXPECT_EQ(ReadFile(overlay.lower + "/low.tmp"), "ORIGINAL IN THE LOWER LAYER");
    }
}

} // namespace
