// SPDX-License-Identifier: GPL-3.0-or-later
// One file opened for destruction: what a file that is kept looks like
// after its overwrite, and what the opening refuses when a name a sweep
// listed as a file holds something else by the time it is opened.
#include "platform/FileError.h"
#include "platform/WipeTarget.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

using namespace tw;
using tw::test::Exists;
using tw::test::Pattern;
using tw::test::ReadFile;
using tw::test::WriteFile;

namespace {

// The pattern as the wiper hands it over: a whole number of pages.
std::string Chunk() { return Pattern(1 << 16); }

int OpenDirectory(const std::string& path) { return open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC); }

off_t SizeOf(const std::string& path)
{
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 ? st.st_size : -1;
}

class WipeTargetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dirfd = OpenDirectory(dir.Path());
        ASSERT_GE(dirfd, 0);
    }
    void TearDown() override { close(dirfd); }

    test::TempDir dir;
    int dirfd = -1;
};

// The last page is written whole, past the end of the file, so that the
// kernel never reads it first. A file that is cut to zero and removed needs
// nothing more; one that is kept gets its own length back.
TEST_F(WipeTargetTest, AKeptFileHasItsLengthAgainAndTheCutOneNone)
{
    const std::string chunk = Chunk();
    for (const size_t length : {size_t(1), size_t(20), size_t(4095), size_t(4096), size_t(4097), size_t(70000)}) {
        const std::string kept = dir / ("kept" + std::to_string(length));
        const std::string cut = dir / ("cut" + std::to_string(length));
        WriteFile(kept, std::string(length, 'o'));
        WriteFile(cut, std::string(length, 'o'));

        WipeTarget file;
        ASSERT_EQ(file.Open(dirfd, "kept" + std::to_string(length)), causeNone);
        ASSERT_EQ(file.Overwrite(chunk.data(), chunk.size(), length), 0);
        ASSERT_EQ(file.Flush(), 0);
        EXPECT_EQ(file.Close(), 0);
        EXPECT_EQ(SizeOf(kept), off_t(length));
        EXPECT_TRUE(ReadFile(kept) == Pattern(length)) << length;

        // Given up without a Close, as when an exception leaves the wiper.
        {
            WipeTarget dropped;
            ASSERT_EQ(dropped.Open(dirfd, "kept" + std::to_string(length)), causeNone);
            ASSERT_EQ(dropped.Overwrite(chunk.data(), chunk.size(), length), 0);
        }
        EXPECT_EQ(SizeOf(kept), off_t(length));

        WipeTarget gone;
        ASSERT_EQ(gone.Open(dirfd, "cut" + std::to_string(length)), causeNone);
        ASSERT_EQ(gone.Overwrite(chunk.data(), chunk.size(), length), 0);
        ASSERT_EQ(gone.Flush(), 0);
        ASSERT_EQ(gone.Truncate(), 0);
        EXPECT_EQ(gone.Close(), 0);
        EXPECT_EQ(SizeOf(cut), 0);
    }
}

// A sweep takes the look before opening from its listing. Whatever the
// name holds once it is opened is refused just as when it is looked at
// first, and left as it was; nothing blocks.
TEST_F(WipeTargetTest, ANameThatHoldsSomethingElseIsRefusedWithOrWithoutTheListing)
{
    WriteFile(dir / "target", "not chosen");
    ASSERT_EQ(symlink((dir / "target").c_str(), (dir / "link").c_str()), 0);
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0644), 0);
    ASSERT_EQ(mkdir((dir / "folder").c_str(), 0755), 0);
    const int sock = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(sock, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const std::string socketPath = dir / "socket";
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, socketPath.c_str());
    ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const bool device = mknod((dir / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    WriteFile(dir / "twice", "two names");
    ASSERT_EQ(link((dir / "twice").c_str(), (dir / "second").c_str()), 0);

    struct Case {
        const char* name;
        int cause;
    };
    std::vector<Case> cases = {{"link", CauseFromErrno(ELOOP)}, {"fifo", causeAccessDenied},
                               {"folder", CauseFromErrno(EISDIR)}, {"socket", causeAccessDenied},
                               {"twice", causeSharingViolation}, {"absent", causeFileNotFound}};
    if (device)
        cases.push_back({"null", causeAccessDenied});
    for (const auto listing : {WipeTarget::Listing::Unknown, WipeTarget::Listing::RegularFile}) {
        for (const Case& c : cases) {
            WipeTarget file;
            EXPECT_EQ(file.Open(dirfd, c.name, nullptr, listing), c.cause)
                << c.name << (listing == WipeTarget::Listing::Unknown ? " (looked at first)" : " (listed)");
            EXPECT_LT(file.Fd(), 0) << c.name;
            EXPECT_FALSE(file.RefusedAsMountPoint()) << c.name;
        }
    }
    close(sock);
    EXPECT_EQ(ReadFile(dir / "target"), "not chosen");
    EXPECT_EQ(ReadFile(dir / "twice"), "two names");
    EXPECT_TRUE(Exists(dir / "fifo"));
    if (!device)
        GTEST_SKIP() << "no device node could be made here (needs CAP_MKNOD): checked without it";
}

// A file of another mount placed over the name is refused as a mount point,
// which a sweep passes by, whether the name was listed or looked at.
TEST_F(WipeTargetTest, AFileMountedOverTheNameIsAMountPoint)
{
    WriteFile(dir / "under", "under the mount");
    WriteFile(dir / "over", "mounted over it");
    if (mount((dir / "over").c_str(), (dir / "under").c_str(), nullptr, MS_BIND, nullptr) != 0)
        GTEST_SKIP() << "cannot bind-mount here (" << std::strerror(errno) << "): needs root";
    for (const auto listing : {WipeTarget::Listing::Unknown, WipeTarget::Listing::RegularFile}) {
        WipeTarget file;
        EXPECT_EQ(file.Open(dirfd, "under", nullptr, listing), causeAccessDenied);
        EXPECT_TRUE(file.RefusedAsMountPoint());
    }
    umount2((dir / "under").c_str(), MNT_DETACH);
    EXPECT_EQ(ReadFile(dir / "under"), "under the mount");
    EXPECT_EQ(ReadFile(dir / "over"), "mounted over it");
}

} // namespace
