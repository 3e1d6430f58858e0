// SPDX-License-Identifier: GPL-3.0-or-later
// The directory sweep on real trees: patterns, counting against deleting,
// the continue flag, and everything a sweep must leave alone (links,
// FIFOs, sockets, other mounts).
#include "sweep/DirectorySweep.h"
#include "tests/sweep/SweepFixture.h"

#include "core/CommandIds.h"
#include "platform/StopSignal.h"
#include "wipe/FileWiper.h"

#include <csignal>
#include <dirent.h>
#include <map>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>

using namespace tw;
using namespace tw::test;

namespace {

struct PatternCase {
    const char* pattern;
    std::string name;
    bool match;
};

TEST(MatchesPatternTest, Table)
{
    const PatternCase cases[] = {
        // Star: the extension from the last "." must equal the suffix.
        {"*.tmp", "a.tmp", true},
        {"*.tmp", "a.b.tmp", true},
        {"*.tmp", "a.tmp.bak", false},
        {"*.tmp", "tmp", false},
        {"*.tmp", ".tmp", true},
        {"*.txt", "notes.txt", true},
        {"*.txt", "NOTES.TXT", false},
        {"*.TXT", "notes.txt", false},
        {"*.txt", "notes.txt.bak", false},
        {"*.", "a.", true},
        {"*.", "a", false},
        // Tilde: the first two characters are dropped, the name's own
        // beginning does not matter.
        {"~*.tmp", "report.tmp", true},
        {"~*.tmp", "~report.tmp", true},
        {"~*.tmp", "report.tmpx", false},
        {"~x.tmp", "a.tmp", true},
        {"~", "README", true},
        {"~", "a.tmp", false},
        // "*" alone: names without an extension.
        {"*", "README", true},
        {"*", "README.txt", false},
        {"*", "a.", false},
        // "*.*": every name.
        {"*.*", "README", true},
        {"*.*", "README.txt", true},
        {"*.*", ".hidden", true},
        // Nothing else is a wildcard.
        {"", "a.tmp", false},
        {"", "README", false},
        {"tmp", "a.tmp", false},
        {".tmp", "a.tmp", false},
        {"?.tmp", "a.tmp", false},
        {"*.t*p", "a.tmp", false},
        {"*.*p", "a.tmp", false},
        {"**.tmp", "a.tmp", false},
        {"*.t*p", "a.t*p", true},  // a Linux name may hold a star; bytes are compared
        // Names are bytes, not text.
        {"*.tmp", "\xff\xfe\x80.tmp", true},
        {"*.\xe9", "a.\xe9", true},
        {"*.\xe9", "a.\xc3\xa9", false},
    };
    for (const PatternCase& c : cases)
        EXPECT_EQ(MatchesPattern(c.pattern, c.name), c.match) << "pattern [" << c.pattern << "] name [" << c.name << "]";
}

class DirectorySweepTest : public SweepFixture {
protected:
    // root: a.tmp b.txt c.tmp README  sub/d.tmp sub/e.log  sub/deeper/f.tmp
    void MakeTree()
    {
        WriteFile(dir / "a.tmp", "alpha");
        WriteFile(dir / "b.txt", "bravo");
        WriteFile(dir / "c.tmp", std::string(3000, 'c'));
        WriteFile(dir / "README", "readme");
        mkdir((dir / "sub").c_str(), 0755);
        WriteFile(dir / "sub/d.tmp", "delta");
        WriteFile(dir / "sub/e.log", "echo");
        mkdir((dir / "sub/deeper").c_str(), 0755);
        WriteFile(dir / "sub/deeper/f.tmp", "");
    }
    const std::vector<std::string> all = {"a.tmp", "b.txt", "c.tmp", "README", "sub/d.tmp", "sub/e.log", "sub/deeper/f.tmp"};

    int Count(const std::string& root, bool allFiles = false)
    {
        return SweepDirectory(op, root, kSweepCounting, nullptr, allFiles);
    }

    TempDir dir;
};

TEST_F(DirectorySweepTest, CountingChangesNothingAndDeletingWipesExactlyTheMatches)
{
    MakeTree();
    CSettings::Write(Setting::Subdirectories, "TRUE");
    CSettings::Write(Setting::FileTypes, "*.tmp!*.log!");

    EXPECT_EQ(Count(dir.Path()), 5);
    for (const std::string& f : all)
        EXPECT_TRUE(Exists(dir / f)) << f;
    EXPECT_EQ(ReadFile(dir / "c.tmp"), std::string(3000, 'c'));
    EXPECT_TRUE(host.questions.empty());

    auto box = host.CreateProgress();
    EXPECT_EQ(SweepDirectory(op, dir.Path(), kSweepDeleting, box.get(), false), 0);
    EXPECT_EQ(op.m_bContinue, 1);
    EXPECT_EQ(host.progress.steps, 5);
    for (const char* gone : {"a.tmp", "c.tmp", "sub/d.tmp", "sub/e.log", "sub/deeper/f.tmp"})
        EXPECT_FALSE(Exists(dir / gone)) << gone;
    EXPECT_EQ(ReadFile(dir / "b.txt"), "bravo");
    EXPECT_EQ(ReadFile(dir / "README"), "readme");
    EXPECT_TRUE(Exists(dir / "sub/deeper"));  // directories are never wiped
    EXPECT_TRUE(host.questions.empty());
}

TEST_F(DirectorySweepTest, AStopFromOutsideEndsTheSweepBetweenFilesLikeACancel)
{
    MakeTree();
    CSettings::Write(Setting::Subdirectories, "TRUE");
    InstallStopSignals();
    // A SIGTERM raised while the sweep is running: the handler only sets the
    // flag, the sweep looks at it before every entry. The files already
    // overwritten are finished; nothing after them is touched.
    int wiped = 0;
    SetAfterOverwriteHook([&wiped](const std::string&) {
        if (++wiped == 2)
            raise(SIGTERM);
    });
    SweepDirectory(op, dir.Path(), kSweepDeleting, nullptr, true);
    SetAfterOverwriteHook(nullptr);
    EXPECT_TRUE(StopRequested());
    EXPECT_EQ(StopSignalNumber(), SIGTERM);
    EXPECT_EQ(op.m_bContinue, 0);
    size_t left = 0;
    for (const std::string& f : all)
        left += Exists(dir / f);
    EXPECT_EQ(left, all.size() - 2) << "exactly the two files begun before the stop are gone";
    char byte = 0;
    EXPECT_EQ(read(StopSignalFd(), &byte, 1), 1) << "the event loop's descriptor became readable";
    ClearStopRequest();
    EXPECT_FALSE(StopRequested());
}

TEST_F(DirectorySweepTest, TheCountingPassListsExactlyWhatTheDeletingPassTakes)
{
    MakeTree();
    CSettings::Write(Setting::Subdirectories, "TRUE");
    CSettings::Write(Setting::FileTypes, "*.tmp!~*.tmp!");
    std::map<std::string, uint64_t> listed;
    op.onMatch = [&listed](const std::string& path, uint64_t size) { listed[path] += size + 1; };
    EXPECT_EQ(Count(dir.Path()), 4);
    const std::map<std::string, uint64_t> expected = {
        {dir / "a.tmp", 6}, {dir / "c.tmp", 3001}, {dir / "sub/d.tmp", 6}, {dir / "sub/deeper/f.tmp", 1}};
    EXPECT_EQ(listed, expected) << "each match once, with its size";
    for (const std::string& f : all)
        EXPECT_TRUE(Exists(dir / f)) << f;

    op.onMatch = nullptr;
    SweepDirectory(op, dir.Path(), kSweepDeleting, nullptr, false);
    for (const auto& [path, size] : expected)
        EXPECT_FALSE(Exists(path)) << path;
    EXPECT_EQ(host.records.size(), expected.size());
}

TEST_F(DirectorySweepTest, FileTypesAndAllFiles)
{
    MakeTree();
    CSettings::Write(Setting::Subdirectories, "TRUE");

    // An empty list matches nothing, though the tree is still walked.
    EXPECT_EQ(Count(dir.Path()), 0);
    // allFiles ignores the list; every file counts once.
    CSettings::Write(Setting::FileTypes, "*.tmp!");
    EXPECT_EQ(Count(dir.Path(), true), 7);
    // Text after the last "!" is no pattern; an empty pattern is skipped.
    CSettings::Write(Setting::FileTypes, "!*.txt!*.tmp");
    EXPECT_EQ(Count(dir.Path()), 1);
    CSettings::Write(Setting::FileTypes, "*!");
    EXPECT_EQ(Count(dir.Path()), 1);  // README
}

TEST_F(DirectorySweepTest, AFileMatchingTwoPatternsCountsOnceAndIsWipedOnce)
{
    MakeTree();
    CSettings::Write(Setting::Subdirectories, "TRUE");
    CSettings::Write(Setting::FileTypes, "*.tmp!~*.tmp!*.*!");

    EXPECT_EQ(Count(dir.Path()), 7);
    auto box = host.CreateProgress();
    SweepDirectory(op, dir.Path(), kSweepDeleting, box.get(), false);
    // A second wipe of the same file would ask about a missing file, which
    // the scripted host reports as a failure.
    EXPECT_TRUE(host.questions.empty());
    EXPECT_EQ(host.progress.steps, 7);
    for (const std::string& f : all)
        EXPECT_FALSE(Exists(dir / f)) << f;
}

TEST_F(DirectorySweepTest, SubdirectoriesOnlyWhenExactlyTRUE)
{
    MakeTree();
    CSettings::Write(Setting::FileTypes, "*.tmp!");
    EXPECT_EQ(Count(dir.Path()), 2);  // missing
    for (const char* text : {"FALSE", "true", "TRUE ", "1"}) {
        CSettings::Write(Setting::Subdirectories, text);
        EXPECT_EQ(Count(dir.Path()), 2) << text;
    }
    CSettings::Write(Setting::Subdirectories, "TRUE");
    EXPECT_EQ(Count(dir.Path()), 4);
}

TEST_F(DirectorySweepTest, RootsMissingEmptyOrWithTrailingSlash)
{
    MakeTree();
    CSettings::Write(Setting::FileTypes, "*.tmp!");
    EXPECT_EQ(Count(dir / "missing"), 0);
    EXPECT_EQ(Count(dir / "b.txt"), 0);  // not a directory
    EXPECT_EQ(Count(dir.Path() + "/"), 2);
    EXPECT_EQ(Count(dir.Path() + "///"), 2);
    // "" is the root of the current drive.
    drives.roots['C'] = dir / "sub";
    drives.roots['D'] = dir.Path();
    drives.current = 3;
    EXPECT_EQ(Count(""), 1);
    drives.current = 4;
    EXPECT_EQ(Count(""), 2);
    EXPECT_TRUE(host.questions.empty());
}

// The third file in listing order cannot be opened; "Cancel Operation" on
// it ends the sweep at once, and a later sweep of the same command looks at
// nothing.
TEST_F(DirectorySweepTest, CancelOnTheThirdFileStopsEverything)
{
    for (const char* name : {"1.tmp", "2.tmp", "3.tmp", "4.tmp", "5.tmp", "6.tmp"})
        WriteFile(dir / name, name);
    mkdir((dir / "sub").c_str(), 0755);
    WriteFile(dir / "sub/7.tmp", "7");
    CSettings::Write(Setting::Subdirectories, "TRUE");
    CSettings::Write(Setting::FileTypes, "*.tmp!");

    std::vector<std::string> order;
    for (const std::string& name : ListingOrder(dir.Path()))
        if (name != "sub")
            order.push_back(name);
    ASSERT_EQ(order.size(), 6u);
    InodeFlag locked(dir / order[2], FS_IMMUTABLE_FL);
    if (!locked.IsSet())
        GTEST_SKIP() << "this file system cannot mark a file immutable";

    host.fileErrorAnswers = {IDC_CANCEL_OPERATION};
    // The trailing "/" does not show in the path the user is asked about.
    SweepDirectory(op, dir.Path() + "/", kSweepDeleting, nullptr, false);
    EXPECT_EQ(op.m_bContinue, 0);
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(host.questions[0].first, dir / order[2]);
    EXPECT_FALSE(Exists(dir / order[0]));
    EXPECT_FALSE(Exists(dir / order[1]));
    for (size_t i = 2; i < order.size(); ++i)
        EXPECT_EQ(ReadFile(dir / order[i]), order[i]);
    EXPECT_EQ(ReadFile(dir / "sub/7.tmp"), "7");

    TempDir other;
    WriteFile(other / "x.tmp", "x");
    EXPECT_EQ(SweepDirectory(op, other.Path(), kSweepCounting, nullptr, false), 0);
    SweepDirectory(op, other.Path(), kSweepDeleting, nullptr, true);
    EXPECT_EQ(ReadFile(other / "x.tmp"), "x");
    EXPECT_EQ(host.questions.size(), 1u);
}

TEST_F(DirectorySweepTest, IgnoreFileGoesOnWithTheNextFile)
{
    for (const char* name : {"1.tmp", "2.tmp", "3.tmp"})
        WriteFile(dir / name, name);
    CSettings::Write(Setting::FileTypes, "*.tmp!");
    const std::vector<std::string> order = ListingOrder(dir.Path());
    InodeFlag locked(dir / order[0], FS_IMMUTABLE_FL);
    if (!locked.IsSet())
        GTEST_SKIP() << "this file system cannot mark a file immutable";

    host.fileErrorAnswers = {IDC_IGNORE};
    SweepDirectory(op, dir.Path(), kSweepDeleting, nullptr, false);
    EXPECT_EQ(op.m_bContinue, 1);
    EXPECT_TRUE(Exists(dir / order[0]));
    EXPECT_FALSE(Exists(dir / order[1]));
    EXPECT_FALSE(Exists(dir / order[2]));
}

// Links lead outside the tree; neither the directory nor the file they name
// may be touched, and the links themselves are no regular files.
TEST_F(DirectorySweepTest, LinksAreNeverFollowed)
{
    TempDir outside;
    WriteFile(outside / "victim.tmp", "keep me");
    mkdir((outside / "inner").c_str(), 0755);
    WriteFile(outside / "inner/deep.tmp", "keep me too");
    WriteFile(dir / "real.tmp", "real");
    ASSERT_EQ(symlink(outside.Path().c_str(), (dir / "linkdir").c_str()), 0);
    ASSERT_EQ(symlink((outside / "victim.tmp").c_str(), (dir / "link.tmp").c_str()), 0);
    ASSERT_EQ(symlink("nowhere.tmp", (dir / "dangling.tmp").c_str()), 0);
    CSettings::Write(Setting::Subdirectories, "TRUE");
    CSettings::Write(Setting::FileTypes, "*.tmp!");
    const TreeSnapshot outsideBefore = SnapshotTree(outside.Path());
    const TreeSnapshot before = SnapshotTree(dir.Path());

    EXPECT_EQ(Count(dir.Path(), true), 1);
    SweepDirectory(op, dir.Path(), kSweepDeleting, nullptr, true);
    EXPECT_TRUE(host.questions.empty());
    EXPECT_EQ(SnapshotTree(outside.Path()), outsideBefore);
    EXPECT_EQ(SnapshotTree(dir.Path()), Without(before, {"real.tmp"}));
    EXPECT_FALSE(Exists(dir / "real.tmp"));
    EXPECT_EQ(ReadFile(outside / "victim.tmp"), "keep me");
    EXPECT_EQ(ReadFile(outside / "inner/deep.tmp"), "keep me too");
    EXPECT_TRUE(Exists(dir / "linkdir"));
    EXPECT_TRUE(Exists(dir / "link.tmp"));
}

// A directory that is swapped for a link after it was listed, while the
// sweep is busy wiping a file elsewhere, is not followed.
TEST_F(DirectorySweepTest, DirectorySwappedForALinkDuringTheSweepIsNotFollowed)
{
    TempDir outside;
    WriteFile(outside / "victim.tmp", "keep me");
    for (const char* sub : {"one", "two"}) {
        mkdir((dir / sub).c_str(), 0755);
        WriteFile(dir / sub + "/f.tmp", "f");
    }
    CSettings::Write(Setting::Subdirectories, "TRUE");
    CSettings::Write(Setting::FileTypes, "*.tmp!");
    const std::vector<std::string> order = ListingOrder(dir.Path());
    ASSERT_EQ(order.size(), 2u);
    const std::string later = dir / order[1];
    const TreeSnapshot outsideBefore = SnapshotTree(outside.Path());

    struct ClearHook {
        ~ClearHook() { SetAfterOverwriteHook(nullptr); }
    } clearHook;
    bool swapped = false;
    SetAfterOverwriteHook([&](const std::string&) {
        if (swapped)
            return;
        swapped = rename(later.c_str(), (later + ".old").c_str()) == 0
            && symlink(outside.Path().c_str(), later.c_str()) == 0;
    });
    SweepDirectory(op, dir.Path(), kSweepDeleting, nullptr, false);
    ASSERT_TRUE(swapped);
    EXPECT_FALSE(Exists(dir / order[0] + "/f.tmp"));
    EXPECT_EQ(ReadFile(outside / "victim.tmp"), "keep me");
    EXPECT_EQ(SnapshotTree(outside.Path()), outsideBefore);
    EXPECT_TRUE(host.questions.empty());
}

// A FIFO would block the open for ever; a socket or device cannot be
// overwritten. None of them is a candidate.
TEST_F(DirectorySweepTest, FifosSocketsAndDevicesAreSkipped)
{
    WriteFile(dir / "real.tmp", "real");
    ASSERT_EQ(mkfifo((dir / "pipe.tmp").c_str(), 0644), 0);
    const int s = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string sock = dir / "sock.tmp";
    ASSERT_LT(sock.size(), sizeof(addr.sun_path));
    std::strcpy(addr.sun_path, sock.c_str());
    ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
    const bool haveDevice = mknod((dir / "null.tmp").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    CSettings::Write(Setting::FileTypes, "*.tmp!");
    const TreeSnapshot before = SnapshotTree(dir.Path());

    EXPECT_EQ(Count(dir.Path()), 1);
    SweepDirectory(op, dir.Path(), kSweepDeleting, nullptr, false);
    close(s);
    EXPECT_TRUE(host.questions.empty());
    EXPECT_EQ(SnapshotTree(dir.Path()), Without(before, {"real.tmp"}));
    EXPECT_FALSE(Exists(dir / "real.tmp"));
    EXPECT_TRUE(Exists(dir / "pipe.tmp"));
    EXPECT_TRUE(Exists(dir / "sock.tmp"));
    if (haveDevice) {
        EXPECT_TRUE(Exists(dir / "null.tmp"));
    }
}

// Where the directory entries give no type (ext4 made without its
// filetype feature), the walk looks each entry up itself: files are still
// told from links, folders, FIFOs and sockets, a dry run's sizes are right,
// and the sweep takes exactly the matching files.
TEST_F(DirectorySweepTest, AVolumeWhoseEntriesGiveNoTypeIsSweptAlike)
{
    LoopExt4Mount volume(16, "ext4", "-O ^filetype");
    if (!volume.Available())
        GTEST_SKIP() << volume.SkipReason();
    const std::string root = volume.Path() + "/tree";
    ASSERT_EQ(mkdir(root.c_str(), 0755), 0);
    ASSERT_EQ(mkdir((root + "/sub").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((root + "/folder.tmp").c_str(), 0755), 0);
    WriteFile(root + "/a.tmp", "12345");
    WriteFile(root + "/sub/b.tmp", std::string(5000, 'b'));
    WriteFile(root + "/keep.dat", "keep");
    ASSERT_EQ(symlink((root + "/keep.dat").c_str(), (root + "/link.tmp").c_str()), 0);
    ASSERT_EQ(mkfifo((root + "/pipe.tmp").c_str(), 0644), 0);
    {
        // The entries really carry no type here, or the test proves nothing.
        DIR* listing = opendir(root.c_str());
        ASSERT_NE(listing, nullptr);
        bool untyped = true;
        while (const dirent* d = readdir(listing))
            untyped = untyped && d->d_type == DT_UNKNOWN;
        closedir(listing);
        ASSERT_TRUE(untyped) << "mkfs.ext4 -O ^filetype still gave entry types";
    }
    CSettings::Write(Setting::Subdirectories, "TRUE");
    CSettings::Write(Setting::FileTypes, "*.tmp!");
    const TreeSnapshot before = SnapshotTree(root);

    std::map<std::string, uint64_t> listed;
    op.onMatch = [&listed](const std::string& path, uint64_t size) { listed[path] = size; };
    EXPECT_EQ(Count(root), 2);
    op.onMatch = nullptr;
    EXPECT_EQ(listed, (std::map<std::string, uint64_t>{{root + "/a.tmp", 5}, {root + "/sub/b.tmp", 5000}}));

    SweepDirectory(op, root, kSweepDeleting, nullptr, false);
    EXPECT_TRUE(host.questions.empty());
    EXPECT_EQ(SnapshotTree(root), Without(before, {"a.tmp", "sub/b.tmp"}));
}

// A mount point below the root belongs to another drive: neither a tmpfs
// nor a bind mount of the same file system is entered.
TEST_F(DirectorySweepTest, MountsBelowTheRootAreNotEntered)
{
    WriteFile(dir / "real.tmp", "real");
    mkdir((dir / "tmpfs").c_str(), 0755);
    mkdir((dir / "bound").c_str(), 0755);
    MountAt tmpfs = MountAt::Tmpfs(dir / "tmpfs");
    if (!tmpfs.Available())
        GTEST_SKIP() << tmpfs.SkipReason();
    TempDir elsewhere;
    WriteFile(elsewhere / "bound.tmp", "bound");
    MountAt bind = MountAt::Bind(elsewhere.Path(), dir / "bound");
    if (!bind.Available())
        GTEST_SKIP() << bind.SkipReason();
    WriteFile(dir / "tmpfs/mounted.tmp", "mounted");
    ASSERT_TRUE(Exists(dir / "bound/bound.tmp"));
    CSettings::Write(Setting::Subdirectories, "TRUE");
    CSettings::Write(Setting::FileTypes, "*.tmp!");
    const TreeSnapshot before = SnapshotTree(dir.Path());
    const TreeSnapshot elsewhereBefore = SnapshotTree(elsewhere.Path());

    EXPECT_EQ(Count(dir.Path()), 1);
    SweepDirectory(op, dir.Path(), kSweepDeleting, nullptr, false);
    EXPECT_EQ(SnapshotTree(dir.Path()), Without(before, {"real.tmp"}));
    EXPECT_EQ(SnapshotTree(elsewhere.Path()), elsewhereBefore);
    EXPECT_FALSE(Exists(dir / "real.tmp"));
    EXPECT_EQ(ReadFile(dir / "tmpfs/mounted.tmp"), "mounted");
    EXPECT_EQ(ReadFile(elsewhere / "bound.tmp"), "bound");
}

TEST_F(DirectorySweepTest, NamesThatAreNotUtf8AreWipedLikeAnyOther)
{
    const std::string odd = "\xff\xfe caf\xe9 \x80.tmp";
    WriteFile(dir / odd, "latin-1 name");
    WriteFile(dir / "keep.txt", "keep");
    WriteFile(dir / "\xff\xfe keep.txt", "keep too");
    CSettings::Write(Setting::FileTypes, "*.tmp!");
    const TreeSnapshot before = SnapshotTree(dir.Path());
    EXPECT_EQ(Count(dir.Path()), 1);
    auto box = host.CreateProgress();
    SweepDirectory(op, dir.Path(), kSweepDeleting, box.get(), false);
    EXPECT_EQ(SnapshotTree(dir.Path()), Without(before, {odd}));
    EXPECT_FALSE(Exists(dir / odd));
    EXPECT_EQ(host.progress.steps, 1);
    EXPECT_TRUE(Exists(dir / "keep.txt"));
}

// Removing files from a large directory while it is being listed must not
// make the listing skip or repeat entries.
TEST_F(DirectorySweepTest, LargeDirectoryIsListedCompletelyWhileFilesGo)
{
    // Several reads of the directory's entries, with removals in between.
    const int files = 3000;
    for (int i = 0; i < files; ++i)
        WriteFile(dir / ("f" + std::to_string(i) + (i % 5 ? ".keep" : ".tmp")), "x");
    CSettings::Write(Setting::FileTypes, "*.tmp!");
    EXPECT_EQ(Count(dir.Path()), files / 5);
    auto box = host.CreateProgress();
    SweepDirectory(op, dir.Path(), kSweepDeleting, box.get(), false);
    EXPECT_EQ(host.progress.steps, files / 5);
    EXPECT_EQ(int(ListingOrder(dir.Path()).size()), files - files / 5);
    EXPECT_EQ(Count(dir.Path()), 0);
    EXPECT_TRUE(host.questions.empty());
}

// Creates `levels` nested directories, each holding one f.tmp, entirely by
// descriptor: the full path is far longer than PATH_MAX.
void MakeDeepTree(const std::string& root, int levels)
{
    int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    for (int i = 0; i < levels; ++i) {
        const int f = openat(fd, "f.tmp", O_WRONLY | O_CREAT | O_EXCL, 0644);
        ASSERT_GE(f, 0);
        ASSERT_EQ(write(f, "deep", 4), 4);
        close(f);
        ASSERT_EQ(mkdirat(fd, "level-directory", 0755), 0);
        const int next = openat(fd, "level-directory", O_RDONLY | O_DIRECTORY);
        ASSERT_GE(next, 0);
        close(fd);
        fd = next;
    }
    close(fd);
}

// nftw cannot remove a tree deeper than PATH_MAX; this goes by descriptor.
void RemoveDeepTree(int parent, const char* name)
{
    const int fd = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (fd < 0) {
        unlinkat(parent, name, 0);
        return;
    }
    std::vector<std::pair<std::string, bool>> entries;
    if (DIR* d = fdopendir(dup(fd))) {
        while (const dirent* e = readdir(d))
            if (std::strcmp(e->d_name, ".") && std::strcmp(e->d_name, ".."))
                entries.emplace_back(e->d_name, e->d_type == DT_DIR);
        closedir(d);
    }
    for (const auto& [child, isDir] : entries) {
        if (isDir)
            RemoveDeepTree(fd, child.c_str());
        else
            unlinkat(fd, child.c_str(), 0);
    }
    close(fd);
    unlinkat(parent, name, AT_REMOVEDIR);
}

TEST_F(DirectorySweepTest, TreeDeeperThanPathMaxIsCountedAndWiped)
{
    const int levels = 2000;
    mkdir((dir / "deep").c_str(), 0755);
    MakeDeepTree(dir / "deep", levels);
    CSettings::Write(Setting::Subdirectories, "TRUE");
    CSettings::Write(Setting::FileTypes, "*.tmp!");

    const int before = OpenDescriptors();
    EXPECT_EQ(Count(dir / "deep"), levels);
    auto box = host.CreateProgress();
    SweepDirectory(op, dir / "deep", kSweepDeleting, box.get(), false);
    EXPECT_EQ(host.progress.steps, levels);
    EXPECT_TRUE(host.questions.empty());
    EXPECT_EQ(Count(dir / "deep"), 0);
    EXPECT_EQ(OpenDescriptors(), before);  // every level closed its directory

    const int top = open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY);
    RemoveDeepTree(top, "deep");
    close(top);
}

} // namespace
