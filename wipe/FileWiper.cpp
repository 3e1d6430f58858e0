// SPDX-License-Identifier: GPL-3.0-or-later
// The file wiper: the one place where a file is destroyed.
#include "wipe/FileWiper.h"

#include "app/CommandIds.h"
#include "platform/FileError.h"
#include "platform/WipeTarget.h"

#include <algorithm>

namespace tw {

namespace {

// Large writes cost far fewer system calls than 1024-byte ones; the chunk
// stays a whole number of overwrite buffers so every byte keeps its place
// in the pattern.
constexpr size_t kMaxChunk = size_t(1) << 20;

BeforeTruncateHook& Hook()
{
    static BeforeTruncateHook hook;
    return hook;
}

std::string InBrackets(int cause) { return " [ " + std::to_string(cause) + " ]"; }

int AnswerToResult(int answer) { return answer == IDC_IGNORE ? 1 : 0; }

void RecordLeft(Operation& op, const std::string& path, uint64_t size, int cause, const std::string& message)
{
    ItemResult item;
    item.path = path;
    item.size = size;
    item.cause = cause;
    item.message = message;
    op.host.Record(item);
}

int AskOpenFailure(Operation& op, const std::string& path, int cause)
{
    const std::string message = "Could not access this file for deletion" + InBrackets(cause);
    RecordLeft(op, path, 0, cause, message);
    return AnswerToResult(op.host.FileError(path, message));
}

int AskWriteFailure(Operation& op, const std::string& path, uint64_t size, int cause)
{
    const std::string message = "Error Securing File" + path + InBrackets(cause);
    RecordLeft(op, path, size, cause, message);
    return AnswerToResult(op.host.FileError("", message));
}

// A failure after the overwrite leaves the command; the record says first
// what became of the file.
[[noreturn]] void Fail(Operation& op, const std::string& operation, const std::string& path, uint64_t size, int err)
{
    FileException e = MakeFileException(operation, path, err);
    RecordLeft(op, path, size, e.m_cause, e.what());
    throw e;
}

// Overwrites the whole file and pushes it to the device. Without the flush
// the kernel may drop the overwritten pages at the truncation before they
// ever reach the disk, leaving the old contents on the device.
int OverwriteAndFlush(WipeTarget& file, const WipeBuffer& buffer)
{
    const uint64_t length = file.Length();
    if (length <= buffer.size()) {
        if (const int err = file.Overwrite(buffer.data(), buffer.size(), length))
            return err;
        return file.Flush();
    }
    const size_t copies = size_t(std::min<uint64_t>((length + buffer.size() - 1) / buffer.size(),
                                                    kMaxChunk / buffer.size()));
    const std::string chunk = RepeatBuffer(buffer, copies);
    if (const int err = file.Overwrite(chunk.data(), chunk.size(), length))
        return err;
    return file.Flush();
}

} // namespace

void SetBeforeTruncateHook(BeforeTruncateHook hook) { Hook() = std::move(hook); }

int WipeFileAt(Operation& op, int dirfd, const std::string& name, const std::string& path, IProgress* progress)
{
    op.WarnIfCopyOnWrite(dirfd, path);
    WipeTarget file;
    if (const int cause = file.Open(dirfd, name))
        return AskOpenFailure(op, path, cause);

    if (const int err = OverwriteAndFlush(file, op.m_wipeBuffer)) {
        // The file keeps its length; it is closed before the user is asked,
        // so no other program waits on it while the dialog is open.
        file.Close();
        return AskWriteFailure(op, path, file.Length(), CauseFromErrno(err));
    }

    const uint64_t size = file.Length();
    if (Hook())
        Hook()(file.Fd());
    if (const int err = file.Truncate())
        Fail(op, "truncating", path, size, err);
    if (const int err = file.Close())
        Fail(op, "closing", path, size, err);
    if (const int err = RemoveUnderRandomName(dirfd, name))
        Fail(op, "removing", path, size, err);

    ItemResult item;
    item.path = path;
    item.size = size;
    item.destroyed = true;
    op.host.Record(item);
    if (progress)
        progress->Step(1);
    return 1;
}

int WipeFile(Operation& op, const std::string& path, IProgress* progress)
{
    // Both entries share one implementation: the file is always reached
    // relative to its directory, and never through a link.
    DirectoryHandle directory(path);
    if (directory.Error())
        return AskOpenFailure(op, path, CauseFromErrno(directory.Error()));
    return WipeFileAt(op, directory.Fd(), directory.Name(), path, progress);
}

} // namespace tw
