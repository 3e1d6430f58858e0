// SPDX-License-Identifier: GPL-3.0-or-later
// The traps a real system sets for a sweep and for Secure Delete File, one
// case per kind, on real mounts and as an ordinary user: a file mounted
// over a matching name, another user's files, a sticky directory, a
// directory the user may not write, a sparse file on a small volume, a
// hard link, a directory of mode 0333 and a tree deeper than the
// descriptor limit. After every destroying run, everything outside the
// selection is exactly as it was.
#include "sweep/DirectorySweep.h"
#include "tests/sweep/SweepFixture.h"

#include "core/CommandIds.h"
#include "wipe/FileWiper.h"

#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

using namespace tw;
using namespace tw::test;

namespace {

// One line per question the operation asked: kind, first field, second.
std::string Transcript(const ScriptedHost& host)
{
    std::ostringstream out;
    for (const auto& q : host.questions)
        out << q.kind << "|" << q.first << "|" << q.second << "\n";
    return out.str();
}

std::string OpenFailure(const std::string& path, int cause)
{
    return "file|" + path + "|Could not access this file for deletion [ " + std::to_string(cause) + " ]\n";
}

// Sweeps `root` for *.tmp as the user nobody, answering "Ignore File" to
// every error, and returns the questions asked.
std::string SweepAsNobody(const std::string& root, std::string* reason)
{
    CSettings::Write(Setting::FileTypes, "*.tmp!");
    CSettings::Write(Setting::Subdirectories, "TRUE");
    return RunAsNobody([root] {
        ScriptedHost host;
        FakeDriveTable drives;
        WipeBuffer buffer;
        FillWipeBuffer(buffer);
        Operation op(buffer, host, drives);
        host.fileErrorAnswers.assign(16, IDC_IGNORE);
        SweepDirectory(op, root, kSweepDeleting, nullptr, false);
        return Transcript(host);
    }, reason);
}

void Chown(const std::string& path, uid_t uid, gid_t gid) { ASSERT_EQ(lchown(path.c_str(), uid, gid), 0) << path; }
void Chmod(const std::string& path, mode_t mode) { ASSERT_EQ(chmod(path.c_str(), mode), 0) << path; }

class SweepTrapsTest : public SweepFixture {
protected:
    void SetUp() override
    {
        SweepFixture::SetUp();
        CSettings::Write(Setting::Subdirectories, "TRUE");
        CSettings::Write(Setting::FileTypes, "*.tmp!");
        // The tree and the outside are reachable by an ordinary user.
        Chmod(area.Path(), 0755);
        ASSERT_EQ(mkdir(root.c_str(), 0755), 0);
        ASSERT_EQ(mkdir(outside.c_str(), 0755), 0);
    }

    int Count() { return SweepDirectory(op, root, kSweepCounting, nullptr, false); }
    void Delete() { SweepDirectory(op, root, kSweepDeleting, nullptr, false); }

    TempDir area;
    const std::string root = area / "root";        // what is swept
    const std::string outside = area / "outside";  // what no run may touch
};

// A file of another volume mounted over a matching name is not this
// volume's file: the sweep passes it by, as it passes a mounted directory,
// and Secure Delete File refuses it.
TEST_F(SweepTrapsTest, FileAndDirectoryMountedBelowTheRootArePassedBy)
{
    WriteFile(root + "/real.tmp", "real");
    WriteFile(root + "/covered.tmp", "the name under the mount");
    WriteFile(outside + "/secret.tmp", "another volume's file");
    ASSERT_EQ(mkdir((root + "/dir").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((outside + "/tree").c_str(), 0755), 0);
    WriteFile(outside + "/tree/deep.tmp", "another volume's tree");
    MountAt file = MountAt::Bind(outside + "/secret.tmp", root + "/covered.tmp");
    if (!file.Available())
        GTEST_SKIP() << file.SkipReason();
    MountAt directory = MountAt::Bind(outside + "/tree", root + "/dir");
    if (!directory.Available())
        GTEST_SKIP() << directory.SkipReason();
    const TreeSnapshot before = SnapshotTree(area.Path());

    EXPECT_EQ(Count(), 1);
    Delete();
    EXPECT_TRUE(host.questions.empty()) << Transcript(host);
    EXPECT_EQ(SnapshotTree(area.Path()), Without(before, {"root/real.tmp"}));

    // Picked by name, the mounted file is refused and left as it is.
    host.fileErrorAnswers = {IDC_IGNORE};
    EXPECT_EQ(WipeFile(op, root + "/covered.tmp", nullptr), 1);
    EXPECT_EQ(Transcript(host), OpenFailure(root + "/covered.tmp", 5));
    EXPECT_EQ(SnapshotTree(area.Path()), Without(before, {"root/real.tmp"}));
}

// A file with a second name outside the tree keeps its contents under both.
TEST_F(SweepTrapsTest, HardLinkedFileIsLeftUnderBothNames)
{
    WriteFile(root + "/linked.tmp", "shared contents");
    ASSERT_EQ(link((root + "/linked.tmp").c_str(), (outside + "/other-name").c_str()), 0);
    WriteFile(root + "/single.tmp", "single");
    const TreeSnapshot before = SnapshotTree(area.Path());

    host.fileErrorAnswers = {IDC_IGNORE};
    Delete();
    EXPECT_EQ(Transcript(host), OpenFailure(root + "/linked.tmp", 11));
    EXPECT_EQ(op.m_bContinue, 1);
    EXPECT_EQ(SnapshotTree(area.Path()), Without(before, {"root/single.tmp"}));
}

// The overwrite writes only where the file holds data: a sparse file far
// larger than its volume is destroyed without taking a block more, and its
// data is gone from the device.
TEST_F(SweepTrapsTest, SparseFileOnASmallVolumeTakesNoNewSpace)
{
    LoopExt4Mount volume(16);
    if (!volume.Available())
        GTEST_SKIP() << volume.SkipReason();
    WriteFile(volume.Path() + "/keep.txt", "kept");
    const TreeSnapshot before = SnapshotTree(volume.Path());
    const std::string path = volume.Path() + "/sparse.tmp";
    const std::string marker = "SPARSE-DATA-MARKER-" + std::to_string(getpid());
    std::string data;
    while (data.size() < 64 * 1024)
        data += marker + "\n";
    {
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        ASSERT_GE(fd, 0);
        // Data at the start, in the middle of a 1 GiB file and at its end.
        for (const off_t at : {off_t(0), off_t(512) << 20, (off_t(1) << 30) - off_t(data.size())})
            ASSERT_EQ(pwrite(fd, data.data(), data.size(), at), ssize_t(data.size()));
        ASSERT_EQ(fsync(fd), 0);
        close(fd);
    }
    ASSERT_EQ(RunCommand("sync -f '" + volume.Path() + "'"), 0);
    ASSERT_TRUE(FileContains(volume.Image(), marker));
    struct statvfs fs {};
    ASSERT_EQ(statvfs(volume.Path().c_str(), &fs), 0);
    const uint64_t usedBefore = uint64_t(fs.f_blocks - fs.f_bfree) * fs.f_frsize;

    auto box = host.CreateProgress();
    SweepDirectory(op, volume.Path(), kSweepDeleting, box.get(), false);
    EXPECT_TRUE(host.questions.empty()) << Transcript(host);
    EXPECT_EQ(host.progress.steps, 1);
    ASSERT_EQ(statvfs(volume.Path().c_str(), &fs), 0);
    EXPECT_LE(uint64_t(fs.f_blocks - fs.f_bfree) * fs.f_frsize, usedBefore);
    EXPECT_EQ(SnapshotTree(volume.Path()), before);
    ASSERT_TRUE(volume.Unmount());
    EXPECT_FALSE(FileContains(volume.Image(), marker));
}

// As an ordinary user, another user's file cannot be leased, so nobody can
// tell whether it is open elsewhere: it is left, and the user's own file
// next to it is destroyed.
TEST_F(SweepTrapsTest, AnotherUsersFileOpenElsewhereIsLeftToAnOrdinaryUser)
{
    Chown(root, NobodyUid(), NobodyGid());
    WriteFile(root + "/theirs.tmp", "root's file, open elsewhere");
    Chmod(root + "/theirs.tmp", 0666);  // writable for anyone: only the lease can tell
    WriteFile(root + "/mine.tmp", "nobody's own file");
    Chown(root + "/mine.tmp", NobodyUid(), NobodyGid());
    const int held = open((root + "/theirs.tmp").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    const TreeSnapshot before = SnapshotTree(area.Path());

    std::string reason;
    const std::string asked = SweepAsNobody(root, &reason);
    close(held);
    if (!reason.empty())
        GTEST_SKIP() << reason;
    EXPECT_EQ(asked, OpenFailure(root + "/theirs.tmp", 5));
    EXPECT_EQ(SnapshotTree(area.Path()), Without(before, {"root/mine.tmp"}));
}

// In a sticky directory only the owner of a file (or of the directory) may
// remove it. Other users' files are refused before a byte is written, and
// the sweep goes on to the user's own file.
TEST_F(SweepTrapsTest, OtherUsersFilesInAStickyDirectoryAreLeftAndTheSweepGoesOn)
{
    Chmod(root, 01777);
    for (const char* name : {"a-root.tmp", "b-mine.tmp", "c-other.tmp"})
        WriteFile(root + "/" + name, std::string("contents of ") + name);
    Chmod(root + "/a-root.tmp", 0666);
    Chown(root + "/b-mine.tmp", NobodyUid(), NobodyGid());
    Chown(root + "/c-other.tmp", 4321, 4321);
    Chmod(root + "/c-other.tmp", 0666);
    const TreeSnapshot before = SnapshotTree(area.Path());

    std::string reason;
    const std::string asked = SweepAsNobody(root, &reason);
    if (!reason.empty())
        GTEST_SKIP() << reason;
    std::string expected;
    for (const std::string& name : ListingOrder(root))
        if (name != "b-mine.tmp")
            expected += OpenFailure(root + "/" + name, 5);
    EXPECT_EQ(asked, expected);
    EXPECT_EQ(SnapshotTree(area.Path()), Without(before, {"root/b-mine.tmp"}));
}

// A file the user owns in a directory the user may not write can be
// overwritten but not removed: it is left untouched, not destroyed and
// left behind under its name.
TEST_F(SweepTrapsTest, FileThatCouldNotBeRemovedAfterwardsIsNotOverwritten)
{
    ASSERT_EQ(mkdir((root + "/locked").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((root + "/open").c_str(), 0755), 0);
    Chown(root + "/open", NobodyUid(), NobodyGid());
    for (const char* name : {"locked/mine.tmp", "open/mine.tmp"}) {
        WriteFile(root + "/" + name, "nobody's own file");
        Chown(root + "/" + name, NobodyUid(), NobodyGid());
    }
    const TreeSnapshot before = SnapshotTree(area.Path());

    std::string reason;
    const std::string asked = SweepAsNobody(root, &reason);
    if (!reason.empty())
        GTEST_SKIP() << reason;
    EXPECT_EQ(asked, OpenFailure(root + "/locked/mine.tmp", 5));
    EXPECT_EQ(SnapshotTree(area.Path()), Without(before, {"root/open/mine.tmp"}));
}

// Destroying a file needs search and write permission on its directory,
// not the right to list it.
TEST_F(SweepTrapsTest, FileInADirectoryOfMode0333IsDestroyedByItsOwner)
{
    const std::string dir = root + "/write-only";
    ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
    WriteFile(dir + "/f.txt", "secret");
    Chown(dir + "/f.txt", NobodyUid(), NobodyGid());
    Chown(dir, NobodyUid(), NobodyGid());
    Chmod(dir, 0333);
    const TreeSnapshot before = SnapshotTree(area.Path());

    std::string reason;
    const std::string asked = RunAsNobody([dir] {
        ScriptedHost host;
        FakeDriveTable drives;
        WipeBuffer buffer;
        FillWipeBuffer(buffer);
        Operation op(buffer, host, drives);
        host.fileErrorAnswers = {IDC_IGNORE};
        const int result = WipeFile(op, dir + "/f.txt", nullptr);
        return std::to_string(result) + "\n" + Transcript(host);
    }, &reason);
    if (!reason.empty())
        GTEST_SKIP() << reason;
    EXPECT_EQ(asked, "1\n");
    EXPECT_EQ(SnapshotTree(area.Path()), Without(before, {"root/write-only/f.txt"}));
}

// Makes `levels` nested directories below `top`, each holding one f.tmp
// and one keep.txt.
void MakeDeepTree(const std::string& top, int levels)
{
    std::string dir = top;
    for (int i = 0; i < levels; ++i) {
        WriteFile(dir + "/f.tmp", "deep " + std::to_string(i));
        WriteFile(dir + "/keep.txt", "kept " + std::to_string(i));
        dir += "/d";
        ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
    }
}

// A tree deeper than the descriptors the process may hold is swept to its
// bottom: every match is reached, once, and nothing else is touched.
TEST_F(SweepTrapsTest, TreeDeeperThanTheDescriptorLimitIsSweptCompletely)
{
    const int levels = 120;
    MakeDeepTree(root, levels);
    // Siblings after the deep branch, so the walk has to climb back.
    WriteFile(root + "/z-after.tmp", "after");
    const TreeSnapshot before = SnapshotTree(area.Path());
    std::vector<std::string> gone = {"root/z-after.tmp"};
    for (std::string rel = "root"; int(gone.size()) <= levels; rel += "/d")
        gone.push_back(rel + "/f.tmp");

    // In a child: a lowered hard limit cannot be raised again.
    const std::string result = RunInChild([this, levels] {
        const int open = OpenDescriptors();
        const struct rlimit low = {rlim_t(open + 24), rlim_t(open + 24)};
        if (setrlimit(RLIMIT_NOFILE, &low) != 0)
            return std::string("setrlimit failed");
        std::ostringstream out;
        out << "count " << Count() << "\n";
        auto box = host.CreateProgress();
        SweepDirectory(op, root, kSweepDeleting, box.get(), false);
        out << "steps " << host.progress.steps << "\n" << Transcript(host);
        out << "descriptors " << OpenDescriptors() - open << "\n";
        return out.str();
    });
    const std::string n = std::to_string(levels + 1);
    EXPECT_EQ(result, "count " + n + "\nsteps " + n + "\ndescriptors 0\n");
    EXPECT_EQ(SnapshotTree(area.Path()), Without(before, gone));
}

} // namespace

// A folder the user may not list is named in the record as left, with the
// reason; what is in it is not reached, and the rest of the sweep goes on.
TEST_F(SweepTrapsTest, ASubfolderThatCannotBeListedIsNamedAsLeft)
{
    ASSERT_EQ(mkdir((root + "/closed").c_str(), 0700), 0);
    WriteFile(root + "/closed/inside.tmp", "not reachable");
    WriteFile(root + "/open.tmp", "nobody's own");
    Chown(root, NobodyUid(), NobodyGid());
    Chown(root + "/open.tmp", NobodyUid(), NobodyGid());
    std::string reason;
    const std::string records = RunAsNobody([this] {
        ScriptedHost host;
        FakeDriveTable drives;
        WipeBuffer buffer;
        FillWipeBuffer(buffer);
        Operation op(buffer, host, drives);
        SweepDirectory(op, root, kSweepDeleting, nullptr, false);
        std::ostringstream out;
        for (const ItemResult& r : host.records)
            out << int(r.kind) << "|" << r.path << "|" << r.destroyed << "|" << r.cause << "|" << r.message << "\n";
        return out.str();
    }, &reason);
    if (records.empty())
        GTEST_SKIP() << reason;
    const std::string folder = std::to_string(int(ItemKind::Folder)) + "|" + root
        + "/closed|0|5|This folder could not be listed; nothing in it was swept\n";
    EXPECT_NE(records.find(folder), std::string::npos) << records;
    EXPECT_NE(records.find("0|" + root + "/open.tmp|1|0|"), std::string::npos) << records;
    EXPECT_FALSE(Exists(root + "/open.tmp"));
    EXPECT_EQ(ReadFile(root + "/closed/inside.tmp"), "not reachable");
}
