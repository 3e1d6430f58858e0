// SPDX-License-Identifier: GPL-3.0-or-later
// tarnowick-cli with a settings file that another program made: a FIFO, a
// link to /dev/zero or a file past the size bound is said and left exactly
// as it is, the defaults are used; a file shaped to cost much is read in
// bounded memory; a configured path with a NUL in it sweeps nothing.
#include "tests/cli/CliFixture.h"

#include <sys/stat.h>

using namespace tw;
using namespace tw::test;

namespace {

class CliSettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override { ClearSettings(); }
    void TearDown() override
    {
        unlink(CSettings::FilePath().c_str());
        rmdir(CSettings::FilePath().c_str());
    }
};

mode_t KindOf(const std::string& path)
{
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 ? st.st_mode & S_IFMT : 0;
}

// `drives` reads the drive letters and writes the new ones: each is refused
// here, and the program goes on with the defaults.
void ExpectSaidAndLeftAlone(const std::string& what)
{
    const std::string file = CSettings::FilePath();
    const CliResult run = RunCli({{"drives", "--json"}});
    EXPECT_EQ(run.status, 0) << what << ": " << run.err;
    EXPECT_NE(run.err.find("could not be read from " + file), std::string::npos) << what << ": " << run.err;
    EXPECT_FALSE(JsonLines(run).empty()) << what;
}

TEST_F(CliSettingsFileTest, ASettingsFileThatCannotBeReadIsSaidAndLeftAsItIs)
{
    const std::string file = CSettings::FilePath();

    // Nobody writes to this FIFO: opening it to read would wait for ever.
    ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
    ExpectSaidAndLeftAlone("FIFO");
    EXPECT_EQ(KindOf(file), mode_t(S_IFIFO));
    unlink(file.c_str());

    // A device that never ends.
    ASSERT_EQ(symlink("/dev/zero", file.c_str()), 0);
    ExpectSaidAndLeftAlone("link to /dev/zero");
    EXPECT_EQ(KindOf(file), mode_t(S_IFLNK));
    unlink(file.c_str());

    std::string large = "[Drive%20Letters]\nD=/home\n";
    large.resize(CSettings::kMaxFileBytes + 1, '\n');
    WriteFile(file, large);
    ExpectSaidAndLeftAlone("larger than the bound");
    EXPECT_TRUE(ReadFile(file) == large) << "the file was changed";
}

// A long section name over many lines once cost a copy of the name per
// line on every read: 200 KB took more than 4 GB.
TEST_F(CliSettingsFileTest, AFileShapedToCostMuchIsReadInBoundedMemory)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves terabytes of address space: no limit can leave the program room";
#endif
    std::string text = "[" + std::string(100000, 'S') + "]\n";
    for (int i = 0; i < 50000; ++i)
        text += "a\n";
    text += "[Drive%20Letters]\nQ=/\n";
    WriteFile(CSettings::FilePath(), text);
    CliLaunch limited({"drives", "--json"});
    limited.addressSpaceLimit = 1ll << 30;
    const CliResult run = RunCli(limited);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("could not be read"), std::string::npos) << run.err;
}

// Another program wrote "Temporary Path=<parent><NUL>/child": the path
// names no directory, the part before the NUL is not swept, and the user
// is told which location could not be swept and why.
TEST_F(CliSettingsFileTest, APathWithANulIsRefusedWholeNotCutAtTheNul)
{
    TmpfsMount volume("1M");
    if (!volume.Available())
        GTEST_SKIP() << volume.SkipReason();
    const std::string parent = volume.Path() + "/parent";
    ASSERT_EQ(mkdir(parent.c_str(), 0755), 0);
    ASSERT_EQ(mkdir((parent + "/child").c_str(), 0755), 0);
    WriteFile(parent + "/a.tmp", "parent's own file");
    WriteFile(parent + "/child/b.tmp", "the child's file");
    const TreeSnapshot before = SnapshotTree(volume.Path());
    const std::string settings = "[Settings]\nFile%20Types=*.tmp!\nSubdirectories=TRUE\nTemporary%20Path=";
    WriteFile(CSettings::FilePath(), settings + parent + std::string(1, '\0') + "/child\n");

    const CliResult run = RunCli({{"sweep", "temp", "--json", "--yes"}});
    // Settings that ask for what cannot be done: said, with the NUL shown.
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_NE(run.err.find("/parent\u2400/child could not be swept: it holds a NUL byte"), std::string::npos)
        << run.err;
    const JsonRun json = SplitJson(run);
    EXPECT_EQ(Num(json.summary, "destroyed"), 0) << run.out;
    EXPECT_TRUE(SnapshotTree(volume.Path()) == before) << "a file was touched";

    // Without the NUL the same settings do sweep there.
    WriteFile(CSettings::FilePath(), settings + parent + "\n");
    const CliResult control = RunCli({{"sweep", "temp", "--json", "--yes"}});
    EXPECT_EQ(control.status, 0) << control.err;
    EXPECT_FALSE(Exists(parent + "/a.tmp"));
}

} // namespace
