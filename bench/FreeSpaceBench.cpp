// SPDX-License-Identifier: GPL-3.0-or-later
// Free-space wipe benchmark: a 1 GiB tmpfs filled to the last byte by the
// wipe (fill, flush, empty, remove) against dd copying a pattern file into
// it with bs=1M until the disk is full, then sync. The pattern file lies on
// a second tmpfs, so dd's reads cost no I/O. Needs root for the mounts.
//
//   free_space_bench [RUNS]   (default 5; the median of each is reported)
#include "bench/BenchHost.h"
#include "core/Operation.h"
#include "disk/FreeSpaceWiper.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

using namespace tw;
using tw::bench::BenchHost;
using tw::bench::OneDrive;

namespace {

std::string MountTmpfs(const char* size)
{
    char dir[] = "/tmp/tarnowick-bench-XXXXXX";
    if (!mkdtemp(dir))
        return {};
    const std::string options = std::string("size=") + size;
    if (mount("tarnowick-bench", dir, "tmpfs", 0, options.c_str()) != 0) {
        std::fprintf(stderr, "mount tmpfs: %s\n", std::strerror(errno));
        rmdir(dir);
        return {};
    }
    return dir;
}

void Unmount(const std::string& dir)
{
    umount2(dir.c_str(), MNT_DETACH);
    rmdir(dir.c_str());
}

unsigned long long FreeBytes(const std::string& path)
{
    struct statvfs s {};
    statvfs(path.c_str(), &s);
    return (unsigned long long)s.f_bfree * s.f_frsize;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    if (geteuid() != 0) {
        std::fprintf(stderr, "free_space_bench mounts tmpfs volumes and needs root\n");
        return 2;
    }
    const std::string target = MountTmpfs("1G");
    const std::string source = MountTmpfs("1100M");
    if (target.empty() || source.empty()) {
        if (!target.empty())
            Unmount(target);
        return 2;
    }

    WipeBuffer buffer{};
    FillWipeBuffer(buffer);
    // A pattern file larger than the volume, so dd stops at the full disk.
    const std::string pattern = source + "/pattern";
    {
        const int fd = open(pattern.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        std::string chunk;
        while (chunk.size() < (1u << 20))
            chunk.append(buffer.data(), buffer.size());
        for (int i = 0; i < 1040; ++i)
            if (write(fd, chunk.data(), chunk.size()) != ssize_t(chunk.size()))
                std::fprintf(stderr, "pattern file: short write\n");
        close(fd);
    }

    BenchHost host;
    OneDrive drives(target);
    const unsigned long long freeBytes = FreeBytes(target);
    std::vector<double> wipeTimes, ddTimes;
    int result = 0;
    for (int run = 0; run < runs; ++run) {
        Operation op(buffer, host, drives);
        auto start = std::chrono::steady_clock::now();
        if (WipeFreeSpace(op, 'X' - 64, 'X') != 1)
            result = 1;
        wipeTimes.push_back(Seconds(std::chrono::steady_clock::now() - start));
        if (FreeBytes(target) != freeBytes) {
            std::fprintf(stderr, "the wipe did not give all the space back\n");
            result = 1;
        }

        const std::string fill = target + "/fill";
        const std::string command = "dd if=" + pattern + " of=" + fill + " bs=1M status=none 2>/dev/null; sync -f " + target;
        start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) == -1)
            result = 1;
        ddTimes.push_back(Seconds(std::chrono::steady_clock::now() - start));
        if (FreeBytes(target) != 0)
            std::fprintf(stderr, "dd left %llu bytes free\n", FreeBytes(target));
        unlink(fill.c_str());
    }
    Unmount(target);
    Unmount(source);

    const double wipe = Median(wipeTimes), dd = Median(ddTimes);
    std::printf("free-space wipe of a 1 GiB tmpfs (%llu bytes free), median of %d runs\n", freeBytes, runs);
    std::printf("  tarnowick WipeFreeSpace (fill, flush, empty, remove): %.3f s  (%.0f MiB/s)\n", wipe,
                double(freeBytes) / (1 << 20) / wipe);
    std::printf("  dd if=pattern bs=1M until full, sync -f:              %.3f s  (%.0f MiB/s)\n", dd,
                double(freeBytes) / (1 << 20) / dd);
    std::printf("  ratio wipe / dd: %.2fx (target: at most 1.10x)\n", wipe / dd);
    return result;
}
