// SPDX-License-Identifier: GPL-3.0-or-later
// Sweep benchmark: a tree of 20,000 small files (1-8 KiB, a third *.tmp)
// swept by the directory sweep against find with shred, and the counting
// pass against find | wc -l. Runs on a disk file system: tmpfs would hide
// the cost of pushing the overwrite to the device.
//
//   sweep_bench [DIR]   (default /var/tmp; the tree is made and removed below it)
#include "bench/BenchHost.h"
#include "app/Operation.h"
#include "prefs/Settings.h"
#include "sweep/DirectorySweep.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <ftw.h>
#include <linux/magic.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <vector>

using namespace tw;
using tw::bench::BenchHost;
using tw::bench::OneDrive;

namespace {

constexpr int kTopDirs = 20;
constexpr int kSubDirs = 10;
constexpr int kFilesPerDir = 100;  // 20 x 10 x 100 = 20,000 files
constexpr int kRuns = 5;

double Seconds(const std::chrono::steady_clock::time_point& since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The same tree every time: sizes and names come from a fixed seed.
int MakeTree(const std::string& root)
{
    std::mt19937 random(20000);
    std::uniform_int_distribution<int> size(1024, 8192);
    const std::string data(8192, 'd');
    int matching = 0;
    mkdir(root.c_str(), 0755);
    for (int t = 0; t < kTopDirs; ++t) {
        const std::string top = root + "/dir" + std::to_string(t);
        mkdir(top.c_str(), 0755);
        for (int s = 0; s < kSubDirs; ++s) {
            const std::string sub = top + "/sub" + std::to_string(s);
            mkdir(sub.c_str(), 0755);
            for (int f = 0; f < kFilesPerDir; ++f) {
                const bool tmp = f % 3 == 0;
                matching += tmp;
                const std::string name = sub + "/file" + std::to_string(f) + (tmp ? ".tmp" : ".dat");
                const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
                if (fd < 0 || write(fd, data.data(), size_t(size(random))) < 0) {
                    std::perror(name.c_str());
                    std::exit(1);
                }
                close(fd);
            }
        }
    }
    sync();
    return matching;
}

void RemoveTree(const std::string& root)
{
    nftw(root.c_str(), [](const char* p, const struct stat*, int, FTW*) { return remove(p); }, 64, FTW_DEPTH | FTW_PHYS);
}

int Shell(const std::string& command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quote(const std::string& s)
{
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

} // namespace

int main(int argc, char** argv)
{
    char config[] = "/tmp/tarnowick-bench-config-XXXXXX";
    if (!mkdtemp(config))
        return 1;
    setenv("XDG_CONFIG_HOME", config, 1);
    QCoreApplication app(argc, argv);

    const std::string base = argc > 1 ? argv[1] : "/var/tmp";
    struct statfs fs;
    if (statfs(base.c_str(), &fs) == 0 && fs.f_type == TMPFS_MAGIC)
        std::fprintf(stderr, "warning: %s is a tmpfs; the figures will not show the device's cost\n", base.c_str());
    std::string tmpl = base + "/tarnowick-sweep-bench-XXXXXX";
    if (!mkdtemp(tmpl.data()))
        return 1;
    const std::string work = tmpl;
    const std::string root = work + "/tree";

    CSettings::Write(Setting::Subdirectories, "TRUE");
    CSettings::Write(Setting::FileTypes, "*.tmp!");
    WipeBuffer buffer;
    FillWipeBuffer(buffer);
    BenchHost host;
    OneDrive drives;
    Operation op(buffer, host, drives);

    const int matching = MakeTree(root);
    std::printf("tree: %d files, %d matching *.tmp, under %s\n",
                kTopDirs * kSubDirs * kFilesPerDir, matching, work.c_str());

    // Counting, warm cache for both: one untimed run each first.
    const std::string findCount = "find " + Quote(root) + " -type f -name '*.tmp' | wc -l >/dev/null";
    int counted = SweepDirectory(op, root, kSweepCounting, nullptr, false);
    Shell(findCount);
    std::vector<double> sweepCount, findCountTimes;
    for (int i = 0; i < kRuns; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        counted = SweepDirectory(op, root, kSweepCounting, nullptr, false);
        sweepCount.push_back(Seconds(t0));
        t0 = std::chrono::steady_clock::now();
        Shell(findCount);
        findCountTimes.push_back(Seconds(t0));
    }
    const double countSweep = Median(sweepCount), countFind = Median(findCountTimes);
    std::printf("count: sweep %.1f ms (%d found), find | wc -l %.1f ms: %.2fx of find (target <= 1.5x)\n",
                countSweep * 1e3, counted, countFind * 1e3, countSweep / countFind);

    // Deleting: the sweep on this tree, find with shred on a fresh copy.
    // Both end with sync so that neither leaves work to the write-back.
    auto t0 = std::chrono::steady_clock::now();
    SweepDirectory(op, root, kSweepDeleting, nullptr, false);
    sync();
    const double wipeSweep = Seconds(t0);
    const int leftBySweep = SweepDirectory(op, root, kSweepCounting, nullptr, false);
    RemoveTree(root);

    MakeTree(root);
    t0 = std::chrono::steady_clock::now();
    Shell("find " + Quote(root) + " -type f -name '*.tmp' -exec shred -n0 -z -u {} +");
    sync();
    const double wipeShred = Seconds(t0);
    const int leftByShred = SweepDirectory(op, root, kSweepCounting, nullptr, false);
    RemoveTree(root);

    std::printf("wipe:  sweep %.2f s (%d left, %d errors), find + shred %.2f s (%d left): %.2fx faster (target >= 2x)\n",
                wipeSweep, leftBySweep, int(host.failed), wipeShred, leftByShred, wipeShred / wipeSweep);

    RemoveTree(work);
    RemoveTree(config);
    const bool ok = countSweep <= 1.5 * countFind && wipeShred >= 2 * wipeSweep && counted == matching
        && leftBySweep == 0 && int(host.failed) == 0;
    std::printf("%s\n", ok ? "targets met" : "TARGETS MISSED");
    return ok ? 0 : 1;
}
