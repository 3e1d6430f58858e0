// SPDX-License-Identifier: GPL-3.0-or-later
// The one table from errno to the cause codes the user sees.
#include "platform/FileError.h"

#include <gtest/gtest.h>

#include <cerrno>

using namespace tw;

TEST(FileError, EveryErrnoMapsToItsCause)
{
    const std::vector<std::pair<int, int>> table = {
        {0, 0},
        {ENOENT, 2},
        {ENOTDIR, 3}, {ENAMETOOLONG, 3}, {ELOOP, 3}, {ENXIO, 3}, {ENODEV, 3},
        {EMFILE, 4}, {ENFILE, 4},
        {EACCES, 5}, {EPERM, 5}, {EROFS, 5}, {EISDIR, 5},
        {EBADF, 6}, {ESTALE, 6},
        {ESPIPE, 9}, {EOVERFLOW, 9},
        {EIO, 10},
        {ETXTBSY, 11}, {EBUSY, 11}, {EAGAIN, 11},
        {EDEADLK, 12}, {ENOLCK, 12},
        {ENOSPC, 13}, {EDQUOT, 13}, {EFBIG, 13},
        {EINVAL, 1}, {ENOMEM, 1},
    };
    for (const auto& [err, cause] : table)
        EXPECT_EQ(CauseFromErrno(err), cause) << "errno " << err;
}

TEST(FileError, ExceptionNamesTheOperationTheFileAndTheCauseOnly)
{
    const FileException e = MakeFileException("truncating", "/tmp/a b.txt", ENOSPC);
    EXPECT_EQ(e.m_cause, 13);
    EXPECT_EQ(e.m_lOsError, ENOSPC);
    EXPECT_EQ(e.m_strFileName, "/tmp/a b.txt");
    const std::string what = e.what();
    EXPECT_NE(what.find("truncating /tmp/a b.txt"), std::string::npos) << what;
    EXPECT_NE(what.find("[ 13 ]"), std::string::npos) << what;
    // The system's own error number is never shown.
    EXPECT_EQ(what.find(std::to_string(ENOSPC)), std::string::npos) << what;
}
