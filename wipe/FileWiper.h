// SPDX-License-Identifier: GPL-3.0-or-later
// The file wiper: destroys files. It overwrites every byte of data in place
// with the pattern, flushes it to the device, cuts the file to zero length,
// renames it to a random name and removes it.
//
// One file at a time (WipeFile) it flushes each file on its own. A sweep or
// a "Yes To All" walk feeds a batch instead (CWipeBatch): each file is
// opened, checked and overwritten as it comes and kept open; when the batch
// is full, has waited a second, or the walk ends, the volume is flushed once
// and the files are cut and removed in order. The user sees the same
// questions, progress steps and outcomes in the same order either way.
//
// A file stays open until its name is gone, and its name is removed only
// while it still names that file: a file another program saved over the
// name meanwhile is left alone, and the file is reported as left; a name
// another program removed after the overwrite is no error.
#pragma once

#include "core/Operation.h"
#include "platform/WipeTarget.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <string>
#include <vector>

namespace tw {

// Destroys the file at `path`. Returns 1 to go on with the next file (the
// file was destroyed, or the user chose "Ignore File"), 0 to cancel the
// whole operation. Steps `progress` (may be null) once for a destroyed file.
// Failures after the overwrite (truncation, close, removal) throw
// FileException.
int WipeFile(Operation& op, const std::string& path, IProgress* progress);

// The same for a file named `name` inside the open directory `dirfd`; the
// file is opened relative to that directory and never through a link.
// `path` is the full path shown to the user.
int WipeFileAt(Operation& op, int dirfd, const std::string& name, const std::string& path, IProgress* progress);

// A directory descriptor of its own, shared by the files of a batch that
// lie in it, so that they can be removed after the walk has left it.
class CBatchDirectory {
public:
    // A second descriptor for the open directory `dirfd`.
    static std::shared_ptr<CBatchDirectory> Duplicate(int dirfd);
    // The directory that holds `path` (which need not be listable).
    static std::shared_ptr<CBatchDirectory> Holding(const std::string& path, std::string& name);
    ~CBatchDirectory();
    CBatchDirectory(const CBatchDirectory&) = delete;
    CBatchDirectory& operator=(const CBatchDirectory&) = delete;
    int Fd() const { return m_fd; }
    int Error() const { return m_error; }
    // Whether the file system of this directory has been looked at for the
    // copy-on-write warning: once per directory is enough.
    bool m_bFileSystemChecked = false;
    // What the wiper learnt of the directory with its first file, for the
    // others of the same batch.
    DirectoryFacts m_facts;

private:
    CBatchDirectory(int fd, int error) : m_fd(fd), m_error(error) {}
    int m_fd;
    int m_error;
};
using BatchDirectory = std::shared_ptr<CBatchDirectory>;

// Files overwritten and waiting for one flush of their volume. A file waits
// at most about a second: a helper thread flushes, cuts and removes the
// files that have waited that long even while the walk is busy elsewhere
// (a slow folder, a large file), so that a process killed mid-sweep leaves
// at most a second's worth of files overwritten under their names. What
// became of them is told to the user by the walk's own thread, in order,
// at its next step.
class CWipeBatch {
public:
    // Each flush of a volume costs about as much for one file as for
    // thousands (a journal commit and a device flush); the bounds keep the
    // descriptors held and the data waiting in memory modest.
    static constexpr size_t kMaxDescriptors = 16384;
    static constexpr uint64_t kMaxBytes = uint64_t(256) << 20;
    static constexpr std::chrono::milliseconds kMaxWait{1000};

    // The descriptors a batch may hold out of those this process may still
    // open, leaving the rest for everything else (at least 2).
    static size_t AffordableDescriptors();

    // `maxDescriptors` bounds the descriptors the batch holds (one per
    // file, one per directory of its files), `maxBytes` the data waiting
    // in memory for the flush.
    CWipeBatch(Operation& op, IProgress* progress, size_t maxDescriptors = kMaxDescriptors,
               uint64_t maxBytes = kMaxBytes);
    // Finishes what is still waiting, should an exception leave the walk.
    ~CWipeBatch();
    CWipeBatch(const CWipeBatch&) = delete;
    CWipeBatch& operator=(const CWipeBatch&) = delete;

    // Opens, checks and overwrites `name` in `dir` and keeps it open until
    // the batch is finished. Every question about it comes only after the
    // files before it are finished, as without a batch. Returns 1 to go on,
    // 0 when the user chose "Cancel Operation" (about this file, or about a
    // file of the batch whose flush failed). A failure after the overwrite
    // of a file of the batch throws FileException once every other file of
    // the batch is finished.
    // `listing`: what the caller's listing said the name holds (a sweep's
    // listing has looked at it already).
    int Add(const BatchDirectory& dir, const std::string& name, const std::string& path,
            WipeTarget::Listing listing = WipeTarget::Listing::Unknown);

    // Flushes the volume once, then cuts, renames and removes every waiting
    // file in order, stepping the progress once for each. A failed flush
    // falls back to one flush per file, so that the failing file is named;
    // the others are finished normally. Returns 0 when the user chose
    // "Cancel Operation" about a file whose flush failed, else 1.
    int Finish();

    // Files overwritten whose outcome has not been told yet.
    size_t Waiting();

    // A sweep passes a mount point (a file of another volume mounted over a
    // name) by in silence, as it passes a mounted directory: Add then
    // returns 1 without a question. Otherwise it is refused with cause 5.
    // It passes a name that is gone before its file could be opened (another
    // program removed it after the listing, or its whole folder) by as well.
    void PassMountPointsBy(bool pass) { m_passMountPoints = pass; }

private:
    struct Pending;
    using Files = std::vector<std::unique_ptr<Pending>>;
    // The helper thread: settles the waiting files once they have waited
    // their time.
    void Watch();
    // Tells the user what became of the files the helper thread settled.
    int ReportSettled();

    Operation& m_op;
    IProgress* m_progress;
    size_t m_maxDescriptors;
    uint64_t m_maxBytes;
    bool m_passMountPoints = false;

    // Shared with the helper thread.
    std::mutex m_mutex;
    std::condition_variable m_wake;
    Files m_files;    // overwritten, waiting for the flush
    Files m_settled;  // settled by the helper thread, not yet told
    bool m_bSettling = false;
    bool m_bStop = false;
    std::chrono::steady_clock::time_point m_deadline;
    size_t m_descriptors = 0;
    const CBatchDirectory* m_lastDir = nullptr;
    uint64_t m_bytes = 0;
    std::thread m_watcher;
};

// How long a file may wait in a batch; zero: no bound in time (for
// comparing the cost in the benchmark). Tests and benchmarks set it.
void SetBatchTimeBound(std::chrono::milliseconds bound);

// Called with the open file's descriptor after the overwrite has been
// flushed and before the truncation: the one moment at which the written
// contents can be read back. Tests set it; the program leaves it empty.
// In a batch it may be called on the helper thread.
using BeforeTruncateHook = std::function<void(int fd)>;
void SetBeforeTruncateHook(BeforeTruncateHook hook);

// Called with the full path of each file once it has been overwritten and
// before it is flushed: in a batch, while the walk is still going. Tests
// set it; the program leaves it empty.
using AfterOverwriteHook = std::function<void(const std::string& path)>;
void SetAfterOverwriteHook(AfterOverwriteHook hook);

} // namespace tw
