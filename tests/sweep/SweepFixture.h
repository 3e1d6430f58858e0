// SPDX-License-Identifier: GPL-3.0-or-later
// What the sweep tests share: an operation with scripted answers and fake
// drives, inode flags that make the wiper fail on purpose, mounts placed
// inside a test tree, and the order in which a directory lists its entries.
#pragma once

#include "core/Operation.h"
#include "prefs/Settings.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <unistd.h>
#include <vector>

namespace tw::test {

class SweepFixture : public ::testing::Test {
protected:
    SweepFixture() : op(buffer, host, drives) { FillWipeBuffer(buffer); }
    void SetUp() override { ClearSettings(); }

    WipeBuffer buffer{};
    ScriptedHost host;
    FakeDriveTable drives;
    Operation op;
};

// Sets or clears an inode flag (FS_IMMUTABLE_FL, FS_APPEND_FL). As root
// these are the only ways to make opening or removing a file fail.
inline bool SetInodeFlag(const std::string& path, int flag, bool on)
{
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | flag) : (flags & ~flag);
        ok = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return ok;
}

// Clears the flag again when the test ends, however it ends, so that the
// tree can be removed.
class InodeFlag {
public:
    InodeFlag(const std::string& path, int flag) : m_path(path), m_flag(flag), m_set(SetInodeFlag(path, flag, true)) {}
    ~InodeFlag()
    {
        if (m_set)
            SetInodeFlag(m_path, m_flag, false);
    }
    bool IsSet() const { return m_set; }

private:
    std::string m_path;
    int m_flag;
    bool m_set;
};

// A tmpfs or a bind mount on a directory inside a test tree; unmounted in
// the destructor.
class MountAt {
public:
    static MountAt Tmpfs(const std::string& at) { return MountAt(at, "tarnowick-test", "tmpfs", 0, "size=64k"); }
    static MountAt Bind(const std::string& from, const std::string& at) { return MountAt(at, from, "", MS_BIND, nullptr); }
    MountAt(MountAt&& other) noexcept : m_at(std::move(other.m_at)), m_reason(std::move(other.m_reason)) { other.m_at.clear(); }
    ~MountAt()
    {
        if (!m_at.empty())
            umount2(m_at.c_str(), MNT_DETACH);
    }
    bool Available() const { return !m_at.empty(); }
    const std::string& SkipReason() const { return m_reason; }

private:
    MountAt(const std::string& at, const std::string& source, const char* type, unsigned long flags, const char* data)
    {
        if (geteuid() != 0) {
            m_reason = "mounting needs root";
            return;
        }
        if (mount(source.c_str(), at.c_str(), type, flags, data) != 0) {
            m_reason = std::string("mount failed: ") + std::strerror(errno);
            return;
        }
        m_at = at;
    }
    std::string m_at;
    std::string m_reason;
};

// The names of a directory in the order the file system lists them, which
// is the order a sweep takes them in.
inline std::vector<std::string> ListingOrder(const std::string& dir)
{
    std::vector<std::string> names;
    DIR* d = opendir(dir.c_str());
    if (!d)
        return names;
    while (const dirent* e = readdir(d))
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
            names.push_back(e->d_name);
    closedir(d);
    return names;
}

inline int OpenDescriptors()
{
    return int(ListingOrder("/proc/self/fd").size());
}

} // namespace tw::test
