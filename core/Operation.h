// SPDX-License-Identifier: GPL-3.0-or-later
// What every operation shares with the main window: the overwrite buffer,
// the continue flag of the sweeps, the host that asks the user, and the
// drive table. One Operation lives for one command.
#pragma once

#include "core/OperationHost.h"
#include "platform/DriveTable.h"
#include "platform/FsKind.h"
#include "platform/Scrub.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace tw {

// The 16 bytes that every overwrite writes, repeated.
inline constexpr char kWipePattern[] = "Tarnowick Secure";
inline constexpr size_t kWipePatternSize = 16;
inline constexpr size_t kWipeBufferSize = 1024;

// 64 copies of the pattern: byte i is byte i mod 16 of "Tarnowick Secure".
using WipeBuffer = std::array<char, kWipeBufferSize>;

inline void FillWipeBuffer(WipeBuffer& buffer)
{
    for (size_t i = 0; i < buffer.size(); i += kWipePatternSize)
        for (size_t j = 0; j < kWipePatternSize; ++j)
            buffer[i + j] = kWipePattern[j];
}

// `copies` copies of the buffer end to end: a larger write block with the
// pattern still in step with the file offset.
inline std::string RepeatBuffer(const WipeBuffer& buffer, size_t copies)
{
    std::string block;
    block.reserve(copies * buffer.size());
    for (size_t i = 0; i < copies; ++i)
        block.append(buffer.data(), buffer.size());
    return block;
}

// How the sweep commands run their passes.
enum class SweepPasses {
    FromSettings,  // "Counter" decides: one deleting pass, or a counting pass first
    Counted,       // always a counting pass first, so that progress has a total
    CountOnly,     // the counting pass alone: nothing is destroyed (a dry run)
};

struct Operation {
    Operation(const WipeBuffer& buffer, IOperationHost& h, IDriveTable& d)
        : m_wipeBuffer(buffer), host(h), drives(d) {}

    const WipeBuffer& m_wipeBuffer;
    IOperationHost& host;
    IDriveTable& drives;
    // Nonzero: go on. Zero: the user chose "Cancel Operation"; every sweep
    // of the running command stops at once. Atomic because a window may end
    // a walk from the GUI thread (closing the preview) while the worker
    // reads it before every entry.
    std::atomic<int> m_bContinue{1};

    // Called in a sweep's counting pass for every file it would destroy,
    // with the file's full path and size: the preview and a dry run list
    // exactly what the deleting pass would take. Empty: nothing is listed.
    std::function<void(const std::string& path, uint64_t size)> onMatch;

    // The window leaves this to "Counter"; a front end without the progress
    // box chooses for itself.
    SweepPasses passes = SweepPasses::FromSettings;

    // Set by a command that ended at its first message, before it touched
    // anything (a location not set or that cannot be swept, no swap): the
    // record lists it as not run.
    bool m_bEndedBeforeStart = false;

    // Once per command, before the first target on a copy-on-write file
    // system is touched: overwriting in place cannot reach the old copies
    // such a file system keeps, and the user must know that.
    void WarnIfCopyOnWrite(int fd, const std::string& path)
    {
        std::string fsName;
        if (m_bCopyOnWriteWarned || !IsCopyOnWriteFs(fd, &fsName))
            return;
        m_bCopyOnWriteWarned = true;
        host.Warning(CopyOnWriteWarning(path, fsName));
    }
    bool m_bCopyOnWriteWarned = false;

    // Once per command, before the first file whose original an overlay's
    // lower layer keeps is touched.
    void WarnOverlay(const std::string& path)
    {
        if (m_bOverlayWarned)
            return;
        m_bOverlayWarned = true;
        host.Warning(OverlayWarning(path));
    }
    bool m_bOverlayWarned = false;

    // The drive letter of each volume (st_dev) a removed file lay on, found
    // once per command (0: the volume is no drive).
    std::map<uint64_t, char> m_driveOfVolume;

    // Read every overwritten file back from the device before it is cut
    // (tarnowick-cli --verify).
    bool m_bVerify = false;

    // The volumes this command removed files from, whose journals are
    // zeroed once when the command ends (root on ext4).
    JournalScrubs m_journals;
};

} // namespace tw
