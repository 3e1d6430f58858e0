// SPDX-License-Identifier: GPL-3.0-or-later
// What the tests share: temporary directories, a clean settings store,
// scripted answers to an operation's questions, and real mounts.
#pragma once

#include "core/OperationHost.h"
#include "platform/DriveTable.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <sys/types.h>
#include <ostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tw::test {

// A fresh directory under $TMPDIR (or /tmp), removed with everything in it.
class TempDir {
public:
    explicit TempDir(const std::string& under = "");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

void RemoveTree(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);  // lstat succeeds
std::string Pattern(size_t length);     // what the wiper writes over `length` bytes

// One item's outcome, as an operation reports it to its host.
ItemResult MakeItem(ItemKind kind, const std::string& path, uint64_t size, bool destroyed, int cause = 0,
                    const std::string& message = "");

// Empties the settings store of this test program.
void ClearSettings();

// Answers an operation's questions from queues and records every question.
// An unscripted question fails the test and answers Cancel.
class ScriptedHost : public IOperationHost {
public:
    struct Question {
        std::string kind;  // "confirm", "file", "disk", "message"
        std::string first; // path, file field, disk text or message text
        std::string second; // file error message field
    };

    std::deque<int> confirmAnswers;
    std::deque<int> fileErrorAnswers;
    std::deque<int> diskErrorAnswers;
    std::vector<Question> questions;
    std::vector<ItemResult> records;  // every Record() in order
    // Questions, records and progress steps in the one order they came:
    // "confirm P", "file F|M", "record P destroyed" or "record P left N",
    // "step".
    std::vector<std::string> log;

    // Progress as the box would show it.
    struct ProgressLog {
        std::vector<std::string> events;  // "create", "scanning", "range N", "deleting", "destroy"
        long long steps = 0;
    };
    ProgressLog progress;
    int workingShown = 0;
    int workingAlive = 0;
    std::vector<FillStatus> fills;  // every Update() of the Working window

    int Confirm(const std::string& path) override;
    int FileError(const std::string& file, const std::string& message) override;
    int DiskError(const std::string& text) override;
    void Message(const std::string& text) override;
    void Warning(const std::string& text) override;  // recorded as "warning"
    std::unique_ptr<IProgress> CreateProgress() override;
    std::unique_ptr<IScopedWindow> ShowWorking() override;
    void Record(const ItemResult& item) override;

    std::vector<std::string> Messages() const;
};

// A drive table with fixed letters for tests: letter -> root directory.
class FakeDriveTable : public IDriveTable {
public:
    std::map<char, std::string> roots;
    int current = 3;
    std::vector<DriveInfo> ListDrives() override;
    int GetDrive() override { return current; }
    int ChangeDrive(int n) override;
    std::string CurrentRoot() override;
};

// Real mounts for tests that need them; each unmounts in its destructor.
// Available() is false, with the reason in SkipReason(), where the machine
// cannot mount (not root, no loop devices, no mkfs.ext4).
class TmpfsMount {
public:
    explicit TmpfsMount(const std::string& size);  // "1M", "64k"...
    ~TmpfsMount();
    bool Available() const { return !m_mountPoint.empty(); }
    const std::string& SkipReason() const { return m_reason; }
    const std::string& Path() const { return m_mountPoint; }

private:
    std::string m_mountPoint;
    std::string m_reason;
};

class LoopExt4Mount {
public:
    // `fsType` is a file system mkfs knows: ext4 (the default), btrfs...;
    // `mkfsOptions` are added to mkfs's own.
    explicit LoopExt4Mount(int megabytes, const std::string& fsType = "ext4", const std::string& mkfsOptions = "");
    ~LoopExt4Mount();
    bool Available() const { return m_mounted; }
    const std::string& SkipReason() const { return m_reason; }
    const std::string& Path() const { return m_mountPoint; }
    const std::string& Image() const { return m_image; }
    // Unmounts (flushing everything to the image); the image stays for reading.
    bool Unmount();

private:
    std::string m_dir;
    std::string m_image;
    std::string m_mountPoint;
    std::string m_reason;
    bool m_mounted = false;
};

// Free blocks of the volume of `path` (statvfs f_bfree).
unsigned long long FreeBlocks(const std::string& path);
// The names in `directory` that start like a free-space filler's.
std::vector<std::string> FillersIn(const std::string& directory);
// What a tree holds, entry by entry (relative path -> type, mode, owner,
// size and a digest of the contents or the link's target), never following
// links. Two snapshots compare equal when nothing in the tree changed.
using TreeSnapshot = std::map<std::string, std::string>;
TreeSnapshot SnapshotTree(const std::string& root);
// The snapshot `before` less the entries (relative paths) that a destroying
// run was asked to take: what the tree must hold afterwards.
TreeSnapshot Without(TreeSnapshot before, const std::vector<std::string>& gone);

// Runs `body` in a child process and returns what it returned: for what
// cannot be undone in the test process (a lowered hard limit).
std::string RunInChild(const std::function<std::string()>& body);
// Runs `body` in a child process that has given up root for the user
// `nobody` (and its group), and returns what the body returned. The
// settings store is made readable to that user first. Empty with
// `reason` set when the switch is impossible (not root, no such user).
std::string RunAsNobody(const std::function<std::string()>& body, std::string* reason);
uid_t NobodyUid();
gid_t NobodyGid();

// Makes a directory unchangeable while it lives: mode 0555 for an ordinary
// user, the immutable flag for root (who may write any directory), so that
// no name in it can be removed or renamed. Undone in the destructor.
class FrozenDirectory {
public:
    explicit FrozenDirectory(const std::string& path);
    ~FrozenDirectory();
    FrozenDirectory(const FrozenDirectory&) = delete;
    FrozenDirectory& operator=(const FrozenDirectory&) = delete;

private:
    std::string m_path;
};

// True when `needle` occurs anywhere in the file (read in chunks).
bool FileContains(const std::string& path, const std::string& needle);
int RunCommand(const std::string& command);  // system(), exit status
// Standard output and error of a shell command together, and its exit status.
std::pair<std::string, int> Capture(const std::string& command);

} // namespace tw::test

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os)
{
    *os << '{';
    for (const QString& s : l)
        *os << '"' << s.toStdString() << "\" ";
    *os << '}';
}
