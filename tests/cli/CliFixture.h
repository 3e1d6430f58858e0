// SPDX-License-Identifier: GPL-3.0-or-later
// What the tests of tarnowick-cli share: its JSON lines read back, a
// loop-mounted volume with the letter the program gave it, files whose old
// contents are known to be on the device, and the state of a whole tree.
#pragma once

#include "record/ItemReport.h"
#include "prefs/Settings.h"
#include "tests/TestSupport.h"
#include "tests/cli/CliProcess.h"
#include "tests/sweep/SweepFixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tw::test {

// The JSON objects of a run's standard output, one per line; a line that
// is not a JSON object fails the test.
inline std::vector<QJsonObject> JsonLines(const CliResult& result)
{
    std::vector<QJsonObject> objects;
    for (const std::string& line : result.OutLines()) {
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << "not JSON: " << line;
        EXPECT_TRUE(doc.isObject()) << line;
        objects.push_back(doc.object());
    }
    return objects;
}

// The item lines (everything before the summary) and the summary, which
// must be the last line and the only one of its kind.
struct JsonRun {
    std::vector<QJsonObject> items;
    QJsonObject summary;
};
inline JsonRun SplitJson(const CliResult& result)
{
    JsonRun run;
    const std::vector<QJsonObject> objects = JsonLines(result);
    EXPECT_FALSE(objects.empty()) << "no JSON output; stderr: " << result.err;
    for (size_t i = 0; i < objects.size(); ++i) {
        const bool summary = objects[i].value(QStringLiteral("kind")).toString() == QStringLiteral("summary");
        EXPECT_EQ(summary, i + 1 == objects.size()) << "the summary must come last, once";
        if (summary)
            run.summary = objects[i];
        else
            run.items.push_back(objects[i]);
    }
    return run;
}

inline std::string Str(const QJsonObject& o, const char* key) { return o.value(QLatin1String(key)).toString().toStdString(); }
inline long long Num(const QJsonObject& o, const char* key) { return o.value(QLatin1String(key)).toInteger(-1); }
// An item's path as bytes.
inline std::string PathOf(const QJsonObject& item) { return UnescapeBytes(Str(item, "path")).value_or("<bad escape>"); }

// A loop-mounted ext4 volume and the letter tarnowick-cli gives it.
class LetteredVolume {
public:
    explicit LetteredVolume(int megabytes, const std::string& fsType = "ext4") : m_mount(megabytes, fsType)
    {
        if (!m_mount.Available())
            return;
        const CliResult drives = RunCli({{"drives", "--json"}});
        for (const QJsonObject& d : JsonLines(drives))
            if (UnescapeBytes(Str(d, "mount_point")) == m_mount.Path())
                m_letter = Str(d, "letter").at(0);
    }
    bool Available() const { return m_mount.Available(); }
    const std::string& SkipReason() const { return m_mount.SkipReason(); }
    const std::string& Path() const { return m_mount.Path(); }
    const std::string& Image() const { return m_mount.Image(); }
    char Letter() const { return m_letter; }
    std::string LetterText() const { return std::string(1, m_letter); }
    bool Unmount() { return m_mount.Unmount(); }

private:
    LoopExt4Mount m_mount;
    char m_letter = 0;
};

// A file whose contents are on the device: written, flushed, and found in
// the volume's image before the test goes on.
inline std::string SecretContents(const std::string& marker, size_t size = 20000)
{
    std::string contents;
    while (contents.size() < size)
        contents += marker + "|";
    contents.resize(size);
    return contents;
}
inline void WriteOnDevice(const std::string& path, const std::string& contents)
{
    WriteFile(path, contents);
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0) << path;
    EXPECT_EQ(fsync(fd), 0);
    close(fd);
}
// Everything the volume holds written through to its image.
inline void SyncVolume(const std::string& mountPoint)
{
    const int fd = open(mountPoint.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(syncfs(fd), 0);
    close(fd);
}

// The whole state of a tree: every entry's kind, mode, size, times and
// contents, by path.
inline std::map<std::string, std::string> TreeState(const std::string& root)
{
    std::map<std::string, std::string> state;
    std::vector<std::string> pending{root};
    while (!pending.empty()) {
        const std::string dir = pending.back();
        pending.pop_back();
        for (const std::string& name : ListingOrder(dir)) {
            const std::string path = dir + "/" + name;
            struct stat st {};
            if (lstat(path.c_str(), &st) != 0)
                continue;
            std::string entry = std::to_string(st.st_mode) + " " + std::to_string(st.st_size) + " " +
                                std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec) + " " +
                                std::to_string(st.st_ctim.tv_sec) + "." + std::to_string(st.st_ctim.tv_nsec);
            if (S_ISREG(st.st_mode))
                entry += " " + ReadFile(path);
            if (S_ISDIR(st.st_mode))
                pending.push_back(path);
            state[path] = entry;
        }
    }
    return state;
}

} // namespace tw::test
