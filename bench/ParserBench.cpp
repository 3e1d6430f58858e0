// SPDX-License-Identifier: GPL-3.0-or-later
// Parser benchmark. Two questions:
//  1. How long does the preferences' file-type list of 100,000 entries take
//     to load and to save? (against `sort -f` of the same entries)
//  2. What does reading one setting cost on a settings file at the 1 MiB
//     bound, ordinary in shape and shaped to cost (a long section name over
//     many short lines)? Time and the memory the read takes, against
//     `grep -m1` finding the same line.
//
//   parser_bench
#include "prefs/FileTypeList.h"
#include "prefs/Settings.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

using namespace tw;

namespace {

double Seconds(const std::chrono::steady_clock::time_point& since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double TimeCommand(const std::string& command)
{
    const auto t0 = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "failed: %s\n", command.c_str());
    return Seconds(t0);
}

long PeakRssKiB()
{
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv)
{
    char config[] = "/tmp/tarnowick-bench-config-XXXXXX";
    if (!mkdtemp(config))
        return 1;
    setenv("XDG_CONFIG_HOME", config, 1);
    QCoreApplication app(argc, argv);
    const std::string work = std::string(config) + "/work";
    if (std::system(("mkdir -p '" + work + "' '" + config + "/Halmere'").c_str()) != 0)
        return 1;
    constexpr int kRounds = 5;

    // 2. (first, while the peak memory is still low) One setting read from a settings file at the bound.
    const std::string file = CSettings::FilePath();
    struct Shape {
        const char* name;
        std::string text;
    };
    std::string ordinary = "[Settings]\n";
    for (int i = 0; ordinary.size() < CSettings::kMaxFileBytes - 200; ++i)
        ordinary += "Key%20" + std::to_string(i) + "=/home/ann/some/folder/" + std::to_string(i) + "\n";
    ordinary += "Temporary%20Path=/tmp\n";
    std::string costly = "[" + std::string(CSettings::kMaxFileBytes / 2, 'S') + "]\n";
    while (costly.size() < CSettings::kMaxFileBytes - 200)
        costly += "a\n";
    costly += "[Settings]\nTemporary%20Path=/tmp\n";
    for (const Shape& shape : {Shape{"ordinary: 30,000 keys", ordinary}, Shape{"a 512 KiB section name over 260,000 lines", costly}}) {
        std::ofstream(file, std::ios::binary | std::ios::trunc) << shape.text;
        std::vector<double> read, grep;
        const long before = PeakRssKiB();
        for (int round = 0; round < kRounds * 4; ++round) {
            const auto t0 = std::chrono::steady_clock::now();
            if (CSettings::Read(Setting::TemporaryPath) != "/tmp")
                std::fprintf(stderr, "wrong value read\n");
            read.push_back(Seconds(t0));
            if (round % 4 == 0)
                grep.push_back(TimeCommand("grep -m1 '^Temporary%20Path=' '" + file + "' > /dev/null"));
        }
        std::printf("one setting from a %zu-byte file (%s): %.1f ms, peak memory +%ld KiB; grep -m1 %.1f ms\n",
                    shape.text.size(), shape.name, Median(read) * 1000, PeakRssKiB() - before, Median(grep) * 1000);
    }
    // 1. 100,000 entries, equal ones but for case among them.
    {
        std::mt19937 random(25);
        QString stored;
        std::ofstream lines(work + "/types.txt");
        for (int i = 0; i < 100000; ++i) {
            QString entry = QStringLiteral("*.");
            for (int k = 0; k < 3; ++k)
                entry += QLatin1Char(char((random() % 2 ? 'a' : 'A') + random() % 26));
            stored += entry + u'!';
            lines << entry.toStdString() << '\n';
        }
        lines.close();
        std::vector<double> load, save, sort;
        for (int round = 0; round < kRounds; ++round) {
            auto t0 = std::chrono::steady_clock::now();
            const QStringList list = LoadFileTypes(stored);
            load.push_back(Seconds(t0));
            t0 = std::chrono::steady_clock::now();
            const QString saved = SaveFileTypes(list);
            save.push_back(Seconds(t0));
            if (saved.size() != stored.size())
                std::fprintf(stderr, "the saved list lost entries\n");
            sort.push_back(TimeCommand("sort -f '" + work + "/types.txt' > /dev/null"));
        }
        std::printf("file types, 100,000 entries: load %.3f s, save %.3f s; sort -f %.3f s (medians of %d)\n",
                    Median(load), Median(save), Median(sort), kRounds);
    }

    if (std::system(("rm -rf '" + std::string(config) + "'").c_str()) != 0)
        return 1;
    return 0;
}
