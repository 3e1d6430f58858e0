// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileStamp.h"

#include <sys/stat.h>
#include <time.h>

namespace tw {

namespace {
// File times come from a clock that advances in ticks of up to a few
// milliseconds (whole seconds on some file systems); within that margin of
// now an equal stamp proves nothing.
constexpr int64_t kRecentNs = 2'000'000'000;

int64_t Nanoseconds(const struct timespec& t) { return int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec; }
} // namespace

FileStamp StampOf(const std::string& path)
{
    FileStamp stamp;
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        return stamp;
    stamp.exists = true;
    stamp.dev = st.st_dev;
    stamp.ino = st.st_ino;
    stamp.size = uint64_t(st.st_size);
    stamp.mtimeNs = Nanoseconds(st.st_mtim);
    stamp.ctimeNs = Nanoseconds(st.st_ctim);
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    // Every write moves the modification time to the clock's current tick,
    // so a write after the stamp shows unless it fell in the same tick.
    stamp.recent = Nanoseconds(now) - stamp.mtimeNs < kRecentNs;
    return stamp;
}

} // namespace tw
