// SPDX-License-Identifier: GPL-3.0-or-later
// The one seam between an operation (engine code running on the worker
// thread) and the user. The window implements it with modal dialogs on the
// GUI thread; tests implement it with scripted answers.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace tw {

// Progress of a sweep. Created shown, with the focus; destroyed (and its
// window removed) when the owning pointer goes away.
class IProgress {
public:
    virtual ~IProgress() = default;
    virtual void ShowScanning() = 0;  // " Scanning for Files ..."
    virtual void ShowDeleting() = 0;  // " Deleting Files ..."
    virtual void SetRange(long long n) = 0;
    virtual void Step(int k) = 0;     // k more files wiped; must not block the worker
};

// How far the free-space wipe of one drive has come.
struct FillStatus {
    enum Phase { Filling, Flushing, GivingBack };
    Phase phase = Filling;
    char letter = 0;            // the drive's letter
    std::string mountPoint;     // its root directory (bytes)
    uint64_t written = 0;       // bytes of pattern written so far on this drive
    uint64_t total = 0;         // free space found when the drive's fill began
};

// A window that stays up while the owning pointer lives (the Working dialog).
class IScopedWindow {
public:
    virtual ~IScopedWindow() = default;
    // The free-space wipe reports its figures here, about twice a second and
    // at every change of phase. Must not block the worker.
    virtual void Update(const FillStatus& /*status*/) {}
};

// What became of one item a command was given: a file, a drive's free space,
// or the memory the swap-file overcommit held. The record of a session and
// the headless front end's output are built from these.
// A folder is an item only when it was left: a sweep could not list it, so
// nothing in it was reached.
enum class ItemKind { File, Drive, Memory, Folder };

struct ItemResult {
    ItemKind kind = ItemKind::File;
    std::string path;        // file: full path (bytes); drive: letter and mount point
    uint64_t size = 0;       // bytes overwritten, written into free space, or held; a file left: its size
    bool destroyed = false;  // true: gone (file), overwritten (free space), held (memory)
    // A file removed, its contents overwritten in place, where old copies
    // stay that the overwrite cannot reach (a copy-on-write volume, an
    // overlay's lower layer): gone from its folder, not destroyed. Never
    // together with `destroyed`.
    bool removed = false;
    char drive = 0;          // a removed file: the drive whose free-space wipe reaches the old copies, or 0
    int cause = 0;           // file error cause code when the item was left
    bool kept = false;       // left by the user's own answer (No, Cancel), not by a failure
    bool verified = false;   // read back from the device and found to hold the pattern (--verify)
    std::string message;     // what the user was told about a left item
};

// "destroyed", "removed" or "left": the result as the reports and
// tarnowick-cli --json write it.
inline const char* ResultName(const ItemResult& item)
{
    return item.destroyed ? "destroyed" : item.removed ? "removed" : "left";
}

class IOperationHost {
public:
    virtual ~IOperationHost() = default;

    // "Secure Delete Confirm": IDC_YES, IDC_YES_TO_ALL, IDC_NO or IDCANCEL.
    virtual int Confirm(const std::string& path) = 0;
    // "Secure Delete Error": IDC_IGNORE, IDC_CANCEL_OPERATION or IDCANCEL.
    virtual int FileError(const std::string& file, const std::string& message) = 0;
    // "Tarnowick Secure Delete" disk error: IDC_IGNORE, IDC_CANCEL_OPERATION or IDCANCEL.
    virtual int DiskError(const std::string& text) = 0;
    // Message box, caption "Tarnowick Parameters", OK button, warning icon.
    virtual void Message(const std::string& text) = 0;
    // A warning about what the command cannot reach: caption "Tarnowick",
    // OK button, warning icon. The command goes on.
    virtual void Warning(const std::string& text) = 0;
    // The progress box of a sweep.
    virtual std::unique_ptr<IProgress> CreateProgress() = 0;
    // The animated "Working ..." window of the disk-level commands.
    virtual std::unique_ptr<IScopedWindow> ShowWorking() = 0;
    // One item's outcome, as it happens. Called on the worker thread; must
    // not block it. Names given here are kept in memory only.
    virtual void Record(const ItemResult& /*item*/) {}
};

} // namespace tw
