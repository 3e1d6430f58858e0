// SPDX-License-Identifier: GPL-3.0-or-later
// Listing by descriptor: a suspended directory goes on with exactly the
// entries it had not given yet, and is resumed only when it is proven to
// be the same directory it was.
#include "platform/DirWalk.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

using namespace tw;
using tw::test::TempDir;
using tw::test::WriteFile;

namespace {

std::vector<std::string> Rest(CDirStream& dir)
{
    std::vector<std::string> names;
    DirEntry entry;
    while (dir.Next(entry))
        names.push_back(entry.name);
    return names;
}

TEST(DirWalkTest, SuspendedListingGoesOnWithTheEntriesNotYetGiven)
{
    TempDir tree;
    for (int i = 0; i < 50; ++i)
        WriteFile(tree / ("f" + std::to_string(i)), "x");
    ASSERT_EQ(mkdir((tree / "child").c_str(), 0755), 0);
    auto root = CDirStream::OpenRoot(tree.Path());
    ASSERT_TRUE(root);

    std::vector<std::string> seen;
    DirEntry entry;
    for (int i = 0; i < 20 && root->Next(entry); ++i)
        seen.push_back(entry.name);
    auto child = root->OpenChild("child");
    ASSERT_TRUE(child);
    root->Suspend();
    EXPECT_TRUE(root->Suspended());
    EXPECT_LT(root->Fd(), 0);
    // Removing an entry already given does not disturb the rest.
    unlink((tree / seen[0]).c_str());
    ASSERT_TRUE(root->ResumeFromChild(child->Fd()));
    EXPECT_GE(root->Fd(), 0);
    for (const std::string& name : Rest(*root))
        seen.push_back(name);
    EXPECT_EQ(seen.size(), 51u);
    EXPECT_EQ(std::set<std::string>(seen.begin(), seen.end()).size(), 51u) << "no entry twice";
}

TEST(DirWalkTest, ADirectoryIsResumedOnlyWhereItStillIs)
{
    TempDir tree;
    TempDir elsewhere;
    ASSERT_EQ(mkdir((tree / "a").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((tree / "a/b").c_str(), 0755), 0);
    WriteFile(tree / "a/later", "x");
    auto root = CDirStream::OpenRoot(tree.Path());
    ASSERT_TRUE(root);
    auto a = root->OpenChild("a");
    ASSERT_TRUE(a);
    auto b = a->OpenChild("b");
    ASSERT_TRUE(b);
    a->Suspend();

    // b has been moved out of a: its ".." is another directory now.
    ASSERT_EQ(rename((tree / "a/b").c_str(), (elsewhere / "b").c_str()), 0);
    EXPECT_FALSE(a->ResumeFromChild(b->Fd()));
    EXPECT_TRUE(a->Suspended());
    // a itself has been replaced by another directory of the same name.
    ASSERT_EQ(rename((tree / "a").c_str(), (tree / "a.old").c_str()), 0);
    ASSERT_EQ(mkdir((tree / "a").c_str(), 0755), 0);
    WriteFile(tree / "a/planted", "x");
    EXPECT_FALSE(a->ResumeFromParent(root->Fd(), "a"));
    // ... or by a link to the original.
    tw::test::RemoveTree(tree / "a");
    ASSERT_EQ(symlink("a.old", (tree / "a").c_str()), 0);
    EXPECT_FALSE(a->ResumeFromParent(root->Fd(), "a"));
    // Found again under its own name, it is the same directory.
    ASSERT_EQ(unlink((tree / "a").c_str()), 0);
    ASSERT_EQ(rename((tree / "a.old").c_str(), (tree / "a").c_str()), 0);
    ASSERT_TRUE(a->ResumeFromParent(root->Fd(), "a"));
    std::vector<std::string> rest = Rest(*a);
    std::sort(rest.begin(), rest.end());
    EXPECT_EQ(rest, (std::vector<std::string>{"b", "later"}));
}

TEST(DirWalkTest, MountPointsBelowADirectoryAreListedRelativeToIt)
{
    TempDir tree;
    TempDir source;
    ASSERT_EQ(mkdir((tree / "sub dir").c_str(), 0755), 0);
    WriteFile(tree / "plain", "x");
    WriteFile(tree / "sub dir/covered", "x");
    WriteFile(source / "file", "y");
    auto dir = CDirStream::OpenRoot(tree.Path());
    ASSERT_TRUE(dir);
    EXPECT_TRUE(MountPointsBelow(dir->Fd()).empty());
    if (geteuid() != 0)
        GTEST_SKIP() << "mounting needs root";
    // A blank in the path: the kernel's list writes it as \040.
    ASSERT_EQ(tw::test::RunCommand("mount --bind '" + source / "file" + "' '" + tree / "sub dir/covered" + "'"), 0);
    const auto below = MountPointsBelow(dir->Fd());
    tw::test::RunCommand("umount '" + tree / "sub dir/covered" + "'");
    EXPECT_EQ(below, (std::unordered_set<std::string>{"sub dir/covered"}));
}

} // namespace
