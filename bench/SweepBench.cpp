// SPDX-License-Identifier: GPL-3.0-or-later
// Sweep benchmark. A tree of 20,000 files of 1-8 KiB (a third *.tmp) on a
// freshly made ext4 volume, cold (unmounted, mounted again, caches
// dropped), swept for *.tmp by three contenders in turn, each run on its
// own fresh volume:
//   - the program's directory sweep, in process;
//   - the floor: sweep_floor.c, a bare C loop doing the least any sweep
//     must (open, overwrite, one syncfs, truncate, rename, unlink), none of
//     the program's checks;
//   - find -name '*.tmp' -exec shred -n0 -z -u {} + ;
//   - the limit: dd writing the same number of bytes, then one flush;
//   - for reference, removal alone: find -name '*.tmp' -delete (nothing
//     overwritten), the least any way of destroying these files must do;
// each followed by sync -f of the volume, so that none leaves work behind.
// The rounds alternate the order (P F S L R, R L S F P, ...) and the ratios are
// taken within each round. Then the counting pass against an in-process
// walk that does what find does (warm caches, alternating).
//
//   sweep_bench [DIR=/var/tmp] [ROUNDS=5]     (root: mkfs, loop mount, drop_caches)
//   sweep_bench DIR 0    the program's cold sweep alone, then its warm
//                        count, for a profiler (perf record -g ...)
//   sweep_bench DIR ROUNDS floor
//                        the sweep against its floor alone, in pairs of
//                        alternating order, each on a fresh, cold volume
//   sweep_bench DIR ROUNDS bound
//                        the cost of bounding a batch in time: the sweep
//                        with its batches bounded to a second (as the
//                        program runs), to a tenth of a second, and not in
//                        time at all, in turn, order alternating
#include "wipe/FileWiper.h"
#include "bench/BenchHost.h"
#include "core/Operation.h"
#include "prefs/Settings.h"
#include "sweep/DirectorySweep.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace tw;
using tw::bench::BenchHost;
using tw::bench::OneDrive;

namespace {

constexpr int kTopDirs = 20;
constexpr int kSubDirs = 10;
constexpr int kFilesPerDir = 100;  // 20 x 10 x 100 = 20,000 files
constexpr int kFiles = kTopDirs * kSubDirs * kFilesPerDir;

double Seconds(const std::chrono::steady_clock::time_point& since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

struct Spread {
    double median, low, high;
};

Spread Of(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    const double median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    return {median, v.front(), v.back()};
}

int Shell(const std::string& command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void Must(bool ok, const std::string& what)
{
    if (!ok) {
        std::fprintf(stderr, "sweep_bench: %s failed\n", what.c_str());
        std::exit(1);
    }
}

struct Tree {
    int matching = 0;
    long long matchingBytes = 0;
};

// The same tree every time: sizes and names come from a fixed seed.
Tree MakeTree(const std::string& root)
{
    std::mt19937 random(20000);
    std::uniform_int_distribution<int> size(1024, 8192);
    const std::string data(8192, 'd');
    Tree tree;
    Must(mkdir(root.c_str(), 0755) == 0, "mkdir " + root);
    for (int t = 0; t < kTopDirs; ++t) {
        const std::string top = root + "/dir" + std::to_string(t);
        mkdir(top.c_str(), 0755);
        for (int s = 0; s < kSubDirs; ++s) {
            const std::string sub = top + "/sub" + std::to_string(s);
            mkdir(sub.c_str(), 0755);
            for (int f = 0; f < kFilesPerDir; ++f) {
                const bool tmp = f % 3 == 0;
                const int bytes = size(random);
                const std::string name = sub + "/file" + std::to_string(f) + (tmp ? ".tmp" : ".dat");
                const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
                Must(fd >= 0 && write(fd, data.data(), size_t(bytes)) == bytes, "writing " + name);
                close(fd);
                if (tmp) {
                    ++tree.matching;
                    tree.matchingBytes += bytes;
                }
            }
        }
    }
    return tree;
}

// A fresh ext4 volume on a loop device, holding the tree, then made cold.
class Volume {
public:
    explicit Volume(std::string dir) : m_image(dir + "/disk.img"), m_mount(dir + "/mnt")
    {
        mkdir(m_mount.c_str(), 0755);
    }
    ~Volume() { Unmount(); }
    const std::string& Root() const { return m_mount; }
    std::string TreeRoot() const { return m_mount + "/tree"; }

    Tree Fresh()
    {
        Unmount();
        unlink(m_image.c_str());
        // Inode tables and journal made at once, so no background thread
        // initialises them while a contender is timed.
        Must(Shell("truncate -s 1G " + m_image + " && mkfs.ext4 -q -F -E lazy_itable_init=0,lazy_journal_init=0 "
                   + m_image + " >/dev/null") == 0, "mkfs.ext4");
        Mount();
        const Tree tree = MakeTree(TreeRoot());
        Unmount();
        Mount();
        sync();
        Must(Shell("echo 3 > /proc/sys/vm/drop_caches") == 0, "dropping the caches");
        return tree;
    }

    void Unmount()
    {
        if (m_mounted)
            Must(Shell("umount " + m_mount) == 0, "umount");
        m_mounted = false;
    }

private:
    void Mount()
    {
        Must(Shell("mount -o loop " + m_image + " " + m_mount) == 0, "mount -o loop");
        m_mounted = true;
    }
    std::string m_image, m_mount;
    bool m_mounted = false;
};

// What find -type f -name '*.tmp' does, in process: every directory read
// once, the type taken from the directory entry, the name compared.
int FindLikeCount(int dirfd)
{
    DIR* dir = fdopendir(dirfd);
    if (!dir)
        return 0;
    int n = 0;
    while (const dirent* e = readdir(dir)) {
        if (e->d_name[0] == '.' && (e->d_name[1] == '\0' || (e->d_name[1] == '.' && e->d_name[2] == '\0')))
            continue;
        if (e->d_type == DT_DIR) {
            const int child = openat(dirfd, e->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child >= 0)
                n += FindLikeCount(child);
        } else if (e->d_type == DT_REG) {
            const size_t len = std::strlen(e->d_name);
            n += len >= 4 && std::strcmp(e->d_name + len - 4, ".tmp") == 0;
        }
    }
    closedir(dir);
    return n;
}

enum Contender { kProgram, kFloor, kShred, kLimit, kRemoval, kContenders };
const char* const kNames[kContenders] = {"tarnowick sweep", "floor (bare C loop)", "find + shred",
                                         "limit (dd + sync -f)", "find -delete (removal alone)"};

// The bare C program doing the least the sweep must do (sweep_floor.c):
// open, overwrite, one syncfs, truncate, rename and unlink, no checks.
void RunFloor(const std::string& root)
{
    Must(Shell(std::string(TARNOWICK_SWEEP_FLOOR) + " " + root + " >/dev/null && sync -f " + root) == 0, "sweep_floor");
}

// The program's sweep, in process, followed by the same flush as the others.
void RunProgram(Operation& op, const std::string& root)
{
    op.m_bContinue = 1;
    SweepDirectory(op, root, kSweepDeleting, nullptr, false);
    const int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    Must(fd >= 0 && syncfs(fd) == 0, "syncfs");
    close(fd);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string base = argc > 1 ? argv[1] : "/var/tmp";
    const int rounds = std::max(0, argc > 2 ? std::atoi(argv[2]) : 5);
    if (geteuid() != 0) {
        std::fprintf(stderr, "sweep_bench needs root: it makes, mounts and cools ext4 volumes\n");
        return 2;
    }
    char config[] = "/tmp/tarnowick-bench-config-XXXXXX";
    Must(mkdtemp(config) != nullptr, "mkdtemp");
    setenv("XDG_CONFIG_HOME", config, 1);
    QCoreApplication app(argc, argv);
    CSettings::Write(Setting::Subdirectories, "TRUE");
    CSettings::Write(Setting::FileTypes, "*.tmp!");

    std::string work = base + "/tarnowick-sweep-bench-XXXXXX";
    Must(mkdtemp(work.data()) != nullptr, "mkdtemp " + work);
    WipeBuffer buffer;
    FillWipeBuffer(buffer);
    BenchHost host;
    OneDrive drives;
    Operation op(buffer, host, drives);
    Volume volume(work);

    if (argc > 3 && std::strcmp(argv[3], "bound") == 0) {
        // The time bound's cost: each variant on its own fresh, cold volume.
        const std::chrono::milliseconds bounds[] = {std::chrono::milliseconds(1000), std::chrono::milliseconds(100),
                                                    std::chrono::milliseconds(0)};
        const char* const names[] = {"bounded to 1 s", "bounded to 0.1 s", "not bounded in time"};
        std::vector<double> took[3], ratioSecond, ratioTenth;
        for (int round = 0; round < rounds; ++round) {
            double t[3] = {};
            for (int k = 0; k < 3; ++k) {
                const int v = round % 2 ? 2 - k : k;
                volume.Fresh();
                SetBatchTimeBound(bounds[v]);
                const auto start = std::chrono::steady_clock::now();
                op.m_bContinue = 1;
                SweepDirectory(op, volume.TreeRoot(), kSweepDeleting, nullptr, false);
                const int fd = open(volume.TreeRoot().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
                Must(fd >= 0 && syncfs(fd) == 0, "syncfs");
                close(fd);
                t[v] = Seconds(start);
                took[v].push_back(t[v]);
                std::printf("round %d  %-22s %8.3f s\n", round + 1, names[v], t[v]);
                std::fflush(stdout);
            }
            ratioSecond.push_back(t[0] / t[2]);
            ratioTenth.push_back(t[1] / t[2]);
        }
        SetBatchTimeBound(CWipeBatch::kMaxWait);
        for (int v = 0; v < 3; ++v) {
            const Spread s = Of(took[v]);
            std::printf("%-22s median %8.3f s  (%.3f - %.3f)\n", names[v], s.median, s.low, s.high);
        }
        const Spread second = Of(ratioSecond), tenth = Of(ratioTenth);
        std::printf("1 s / unbounded    median %.3fx  (%.3f - %.3f)\n", second.median, second.low, second.high);
        std::printf("0.1 s / unbounded  median %.3fx  (%.3f - %.3f)\n", tenth.median, tenth.low, tenth.high);
        volume.Unmount();
        nftw(work.c_str(), [](const char* p, const struct stat*, int, FTW*) { return remove(p); }, 16, FTW_DEPTH | FTW_PHYS);
        nftw(config, [](const char* p, const struct stat*, int, FTW*) { return remove(p); }, 16, FTW_DEPTH | FTW_PHYS);
        return 0;
    }

    if (argc > 3 && std::strcmp(argv[3], "floor") == 0) {
        // The sweep against its floor alone, in pairs of alternating order,
        // each on its own fresh, cold volume.
        std::vector<double> took[2], ratio;
        for (int round = 0; round < rounds; ++round) {
            double t[2] = {};
            for (int k = 0; k < 2; ++k) {
                const int who = (round % 2) ^ k;  // 0: the program, 1: the floor
                volume.Fresh();
                const auto start = std::chrono::steady_clock::now();
                if (who == 0)
                    RunProgram(op, volume.TreeRoot());
                else
                    RunFloor(volume.TreeRoot());
                t[who] = Seconds(start);
                took[who].push_back(t[who]);
                Must(SweepDirectory(op, volume.TreeRoot(), kSweepCounting, nullptr, false) == 0 && !host.failed,
                     std::string(kNames[who == 0 ? kProgram : kFloor]) + " left files");
                std::printf("round %d  %-22s %8.3f s\n", round + 1, kNames[who == 0 ? kProgram : kFloor], t[who]);
                std::fflush(stdout);
            }
            ratio.push_back(t[0] / t[1]);
        }
        const Spread program = Of(took[0]), bare = Of(took[1]), r = Of(ratio);
        std::printf("%-22s median %8.3f s  (%.3f - %.3f)\n", kNames[kProgram], program.median, program.low, program.high);
        std::printf("%-22s median %8.3f s  (%.3f - %.3f)\n", kNames[kFloor], bare.median, bare.low, bare.high);
        std::printf("sweep / floor  median %.3fx  (%.3f - %.3f)  target <= 1.1x\n", r.median, r.low, r.high);
        volume.Unmount();
        nftw(work.c_str(), [](const char* p, const struct stat*, int, FTW*) { return remove(p); }, 16, FTW_DEPTH | FTW_PHYS);
        nftw(config, [](const char* p, const struct stat*, int, FTW*) { return remove(p); }, 16, FTW_DEPTH | FTW_PHYS);
        return r.median <= 1.1 ? 0 : 1;
    }

    if (rounds == 0) {
        const Tree tree = volume.Fresh();
        auto start = std::chrono::steady_clock::now();
        SweepDirectory(op, volume.TreeRoot(), kSweepDeleting, nullptr, false);
        const int fd = open(volume.TreeRoot().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        Must(fd >= 0 && syncfs(fd) == 0, "syncfs");
        close(fd);
        std::printf("sweep of %d matches, cold: %.3f s\n", tree.matching, Seconds(start));
        volume.Fresh();
        SweepDirectory(op, volume.TreeRoot(), kSweepCounting, nullptr, false);
        start = std::chrono::steady_clock::now();
        int counted = 0;
        for (int i = 0; i < 20; ++i)
            counted = SweepDirectory(op, volume.TreeRoot(), kSweepCounting, nullptr, false);
        std::printf("count, warm: %.1f ms (%d found)\n", Seconds(start) / 20 * 1e3, counted);
        volume.Unmount();
        nftw(work.c_str(), [](const char* p, const struct stat*, int, FTW*) { return remove(p); }, 16, FTW_DEPTH | FTW_PHYS);
        nftw(config, [](const char* p, const struct stat*, int, FTW*) { return remove(p); }, 16, FTW_DEPTH | FTW_PHYS);
        return 0;
    }

    std::vector<double> times[kContenders];
    std::vector<double> shredRatio, limitRatio, removalRatio, floorRatio;
    Tree tree;
    for (int round = 0; round < rounds; ++round) {
        const Contender forward[] = {kProgram, kFloor, kShred, kLimit, kRemoval};
        const Contender backward[] = {kRemoval, kLimit, kShred, kFloor, kProgram};
        double t[kContenders] = {};
        for (const Contender who : round % 2 ? backward : forward) {
            tree = volume.Fresh();
            const std::string root = volume.TreeRoot();
            const auto start = std::chrono::steady_clock::now();
            switch (who) {
            case kProgram:
                RunProgram(op, root);
                break;
            case kFloor:
                RunFloor(root);
                break;
            case kShred:
                Must(Shell("find " + root + " -name '*.tmp' -exec shred -n0 -z -u {} + && sync -f " + root) == 0,
                     "find + shred");
                break;
            case kRemoval:
                Must(Shell("find " + root + " -name '*.tmp' -delete && sync -f " + root) == 0, "find -delete");
                break;
            case kLimit:
                Must(Shell("dd if=/dev/zero of=" + volume.Root() + "/limit.bin bs=1M iflag=count_bytes count="
                           + std::to_string(tree.matchingBytes) + " status=none && sync -f " + root) == 0,
                     "dd");
                break;
            default:
                break;
            }
            t[who] = Seconds(start);
            times[who].push_back(t[who]);
            if (who != kLimit) {
                const int left = SweepDirectory(op, root, kSweepCounting, nullptr, false);
                Must(left == 0 && !host.failed, std::string(kNames[who]) + " left " + std::to_string(left) + " files");
            }
            std::printf("round %d  %-30s %8.3f s\n", round + 1, kNames[who], t[who]);
            std::fflush(stdout);
        }
        shredRatio.push_back(t[kShred] / t[kProgram]);
        limitRatio.push_back(t[kProgram] / t[kLimit]);
        removalRatio.push_back(t[kProgram] / t[kRemoval]);
        floorRatio.push_back(t[kProgram] / t[kFloor]);
    }

    // Counting, warm: the same tree, once more, both walks alternating.
    tree = volume.Fresh();
    const std::string root = volume.TreeRoot();
    std::vector<double> countSweep, countFind, countRatio;
    int counted = 0, found = 0;
    for (int i = 0; i < 2 * rounds + 1; ++i) {
        double a = 0, b = 0;
        for (int k = 0; k < 2; ++k) {
            const bool sweepFirst = i % 2 == 0;
            const auto start = std::chrono::steady_clock::now();
            if ((k == 0) == sweepFirst)
                counted = SweepDirectory(op, root, kSweepCounting, nullptr, false);
            else
                found = FindLikeCount(open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            ((k == 0) == sweepFirst ? a : b) = Seconds(start);
        }
        if (i == 0)
            continue;  // the first pair warms the caches
        countSweep.push_back(a);
        countFind.push_back(b);
        countRatio.push_back(a / b);
    }
    Must(counted == tree.matching && found == tree.matching, "counting");

    std::printf("\ntree: %d files, %d matching *.tmp, %.1f MB of them; %d rounds\n", kFiles, tree.matching,
                double(tree.matchingBytes) / 1e6, rounds);
    for (int c = 0; c < kContenders; ++c) {
        const Spread s = Of(times[c]);
        std::printf("%-30s median %8.3f s  (%.3f - %.3f)\n", kNames[c], s.median, s.low, s.high);
    }
    const Spread shred = Of(shredRatio), limit = Of(limitRatio);
    std::printf("find + shred / sweep  median %7.1fx  (%.1f - %.1f)  target >= 25x\n", shred.median, shred.low, shred.high);
    std::printf("sweep / limit         median %7.2fx  (%.2f - %.2f)  target <= 5x\n", limit.median, limit.low, limit.high);
    const Spread floor = Of(floorRatio);
    std::printf("sweep / floor         median %7.3fx  (%.3f - %.3f)  target <= 1.1x\n", floor.median, floor.low,
                floor.high);
    const Spread removal = Of(removalRatio);
    std::printf("sweep / removal alone median %7.2fx  (%.2f - %.2f)\n", removal.median, removal.low, removal.high);
    const Spread cs = Of(countSweep), cf = Of(countFind), cr = Of(countRatio);
    std::printf("count: sweep median %.1f ms (%.1f - %.1f), in-process find-like walk %.1f ms (%.1f - %.1f): "
                "%.2fx (%.2f - %.2f)  target <= 1.5x\n",
                cs.median * 1e3, cs.low * 1e3, cs.high * 1e3, cf.median * 1e3, cf.low * 1e3, cf.high * 1e3,
                cr.median, cr.low, cr.high);

    volume.Unmount();
    nftw(work.c_str(), [](const char* p, const struct stat*, int, FTW*) { return remove(p); }, 16, FTW_DEPTH | FTW_PHYS);
    nftw(config, [](const char* p, const struct stat*, int, FTW*) { return remove(p); }, 16, FTW_DEPTH | FTW_PHYS);
    const bool ok = shred.median >= 25 && floor.median <= 1.1 && cr.median <= 1.5;
    std::printf("%s\n", ok ? "targets met" : "TARGETS MISSED");
    return ok ? 0 : 1;
}
