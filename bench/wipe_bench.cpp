// SPDX-License-Identifier: GPL-3.0-or-later
// How long the file wiper takes to destroy one large file, flush included,
// next to dd writing the same pattern with fdatasync and to shred's single
// pass with removal, all on the same file system.
//
//   wipe_bench [directory=/var/tmp] [megabytes=1024] [runs=3]
//
// Use a directory on a real disk: on tmpfs the flush costs nothing and the
// figures say little.
#include "bench/BenchHost.h"
#include "app/CommandIds.h"
#include "app/Operation.h"
#include "wipe/FileWiper.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/statfs.h>
#include <unistd.h>
#include <vector>

using namespace tw;
using tw::bench::BenchHost;
using tw::bench::OneDrive;

namespace {

const char* FileSystemName(const std::string& dir)
{
    struct statfs fs {};
    if (statfs(dir.c_str(), &fs) != 0)
        return "unknown";
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0xEF53: return "ext4";
    case 0x58465342: return "xfs";
    case 0x9123683E: return "btrfs";
    case 0x01021994: return "tmpfs";
    case 0x794C7630: return "overlayfs";
    case 0x2FC12FC1: return "zfs";
    case 0xF2F52010: return "f2fs";
    default: return "other";
    }
}

// Writes `bytes` of `block` repeated, pushes them to the disk and drops
// them from the page cache, so every contender starts from the same state.
void WriteWholeFile(const std::string& path, const std::string& block, long long bytes)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        std::perror(path.c_str());
        std::exit(1);
    }
    for (long long done = 0; done < bytes;) {
        const size_t n = size_t(std::min<long long>(bytes - done, (long long)block.size()));
        const ssize_t w = write(fd, block.data(), n);
        if (w <= 0) {
            std::perror("write");
            std::exit(1);
        }
        done += w;
    }
    fsync(fd);
    posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    close(fd);
}

double Seconds(const std::chrono::steady_clock::time_point& start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

int Run(const std::string& command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string dir = argc > 1 ? argv[1] : "/var/tmp";
    const long long megabytes = argc > 2 ? std::atoll(argv[2]) : 1024;
    const int runs = argc > 3 ? std::atoi(argv[3]) : 3;
    const long long bytes = megabytes << 20;

    const std::string victim = dir + "/tarnowick-bench-victim.bin";
    const std::string pattern = dir + "/tarnowick-bench-pattern.bin";

    std::printf("Wiping one %lld MiB file in %s (%s), %d runs\n", megabytes, dir.c_str(), FileSystemName(dir), runs);
    if (std::string(FileSystemName(dir)) == "tmpfs")
        std::printf("warning: tmpfs has no device to flush to; use a directory on a disk\n");

    std::string noise(1 << 20, '\0');
    std::mt19937 gen(12345);
    for (char& c : noise)
        c = char(gen());
    WipeBuffer buffer{};
    FillWipeBuffer(buffer);
    std::string patternBlock;
    while (patternBlock.size() < noise.size())
        patternBlock.append(buffer.data(), buffer.size());
    // dd copies the pattern from a file of the same length; it is read into
    // the page cache before each dd run so that dd is timed writing only.
    WriteWholeFile(pattern, patternBlock, bytes);

    BenchHost host;
    OneDrive drives;
    Operation op(buffer, host, drives);

    enum { kWiper, kDd, kShred, kCount };
    const char* names[kCount] = {"tarnowick", "dd", "shred"};
    std::vector<double> times[kCount];
    const std::string dd = "dd if=" + pattern + " of=" + victim + " bs=1M conv=notrunc,fdatasync status=none && rm -f " + victim;
    const std::string shred = "shred -n0 -z -u " + victim;

    for (int run = 0; run < runs; ++run) {
        for (int k = 0; k < kCount; ++k) {
            const int which = (run + k) % kCount;  // rotate the order against drift
            WriteWholeFile(victim, noise, bytes);
            if (which == kDd)
                Run("cat " + pattern + " > /dev/null");
            const auto start = std::chrono::steady_clock::now();
            int failed = 0;
            if (which == kWiper)
                failed = WipeFile(op, victim, nullptr) != 1 || host.failed;
            else
                failed = Run(which == kDd ? dd : shred) != 0;
            const double t = Seconds(start);
            if (failed) {
                std::fprintf(stderr, "%s failed\n", names[which]);
                unlink(victim.c_str());
                unlink(pattern.c_str());
                return 1;
            }
            times[which].push_back(t);
            std::printf("run %d  %-9s %7.2f s  %7.1f MiB/s\n", run + 1, names[which], t, double(megabytes) / t);
            std::fflush(stdout);
        }
    }
    unlink(pattern.c_str());

    const double wiper = Median(times[kWiper]), ddTime = Median(times[kDd]), shredTime = Median(times[kShred]);
    std::printf("median: tarnowick %.2f s, dd %.2f s, shred %.2f s\n", wiper, ddTime, shredTime);
    std::printf("tarnowick / dd    = %.3f (target at most 1.100)\n", wiper / ddTime);
    std::printf("tarnowick / shred = %.3f (target below 1.000)\n", wiper / shredTime);
    return wiper <= 1.1 * ddTime && wiper < shredTime ? 0 : 2;
}
