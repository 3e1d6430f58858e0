// SPDX-License-Identifier: GPL-3.0-or-later
// How long the file wiper takes to destroy one large file, flush included,
// next to the device's own limit for the same work: dd writing zeros over
// the file in place with fdatasync (conv=notrunc,fdatasync), then rm. dd
// reads /dev/zero, which costs nothing, so the line is the device's rate.
// The order alternates dd, program, program, dd in every group, since the
// first run after the file is written differs from the second; the ratio
// is taken within each pair.
//
//   wipe_bench [directory=/var/tmp] [megabytes=512] [groups=3]
//
// Use a directory on a real disk: on tmpfs the flush costs nothing and the
// figures say little.
#include "bench/BenchHost.h"
#include "core/CommandIds.h"
#include "core/Operation.h"
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

struct Spread {
    double median, low, high;
};

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

Spread Of(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return {Median(v), v.front(), v.back()};
}

} // namespace

int main(int argc, char** argv)
{
    const std::string dir = argc > 1 ? argv[1] : "/var/tmp";
    const long long megabytes = argc > 2 ? std::atoll(argv[2]) : 512;
    const int groups = std::max(1, argc > 3 ? std::atoi(argv[3]) : 3);
    const long long bytes = megabytes << 20;
    const std::string victim = dir + "/tarnowick-bench-victim.bin";

    std::printf("Wiping one %lld MiB file in %s (%s), %d groups of dd, program, program, dd\n", megabytes,
                dir.c_str(), FileSystemName(dir), groups);
    if (std::string(FileSystemName(dir)) == "tmpfs")
        std::printf("warning: tmpfs has no device to flush to; use a directory on a disk\n");

    std::string noise(1 << 20, '\0');
    std::mt19937 gen(12345);
    for (char& c : noise)
        c = char(gen());
    WipeBuffer buffer{};
    FillWipeBuffer(buffer);
    BenchHost host;
    OneDrive drives;
    Operation op(buffer, host, drives);
    const std::string dd = "dd if=/dev/zero of=" + victim + " bs=1M count=" + std::to_string(megabytes)
        + " conv=notrunc,fdatasync status=none && rm -f " + victim;

    std::vector<double> program, zeros, ratio;
    for (int group = 0; group < groups; ++group) {
        double t[4] = {};
        for (int k = 0; k < 4; ++k) {
            const bool isDd = k == 0 || k == 3;
            WriteWholeFile(victim, noise, bytes);
            const auto start = std::chrono::steady_clock::now();
            const bool failed = isDd ? Run(dd) != 0 : (WipeFile(op, victim, nullptr) != 1 || host.failed);
            t[k] = Seconds(start);
            if (failed) {
                std::fprintf(stderr, "%s failed\n", isDd ? "dd" : "tarnowick");
                unlink(victim.c_str());
                return 1;
            }
            (isDd ? zeros : program).push_back(t[k]);
            std::printf("group %d  %-9s %7.2f s  %7.1f MiB/s\n", group + 1, isDd ? "dd" : "tarnowick", t[k],
                        double(megabytes) / t[k]);
            std::fflush(stdout);
        }
        ratio.push_back(t[1] / t[0]);
        ratio.push_back(t[2] / t[3]);
    }
    const Spread p = Of(program), z = Of(zeros), r = Of(ratio);
    std::printf("tarnowick median %.2f s (%.2f - %.2f), dd + rm median %.2f s (%.2f - %.2f)\n", p.median, p.low,
                p.high, z.median, z.low, z.high);
    std::printf("tarnowick / dd per pair: median %.3f (%.3f - %.3f), target at most 1.100\n", r.median, r.low, r.high);
    return r.median <= 1.1 ? 0 : 2;
}
