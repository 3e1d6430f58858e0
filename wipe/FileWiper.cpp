// SPDX-License-Identifier: GPL-3.0-or-later
// The file wiper: the one place where a file is destroyed, alone or in a
// batch that shares one flush.
#include "wipe/FileWiper.h"

#include "app/CommandIds.h"
#include "platform/DirWalk.h"
#include "platform/FileError.h"
#include "platform/FsKind.h"
#include "platform/ReadBack.h"
#include "platform/WipeTarget.h"

#include <QCoreApplication>

#include <algorithm>
#include <cerrno>
#include <optional>

namespace tw {

namespace {

// Large writes cost far fewer system calls than 1024-byte ones; the chunk
// stays a whole number of overwrite buffers so every byte keeps its place
// in the pattern.
constexpr size_t kMaxChunk = size_t(1) << 20;

BeforeTruncateHook& TruncateHook()
{
    static BeforeTruncateHook hook;
    return hook;
}

AfterOverwriteHook& OverwriteHook()
{
    static AfterOverwriteHook hook;
    return hook;
}

std::string InBrackets(int cause) { return " [ " + std::to_string(cause) + " ]"; }

// The wiper's messages, in the user's language.
QString Words(const char* text) { return QCoreApplication::translate("tw::FileWiper", text); }

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
    const std::string message =
        Words(QT_TRANSLATE_NOOP("tw::FileWiper", "Could not access this file for deletion")).toStdString()
        + InBrackets(cause);
    RecordLeft(op, path, 0, cause, message);
    return AnswerToResult(op.host.FileError(path, message));
}

std::string WriteFailureText(const std::string& path, int cause)
{
    // The path goes in as its bytes.
    return Words(QT_TRANSLATE_NOOP("tw::FileWiper", "Error Securing File")).toStdString() + path + InBrackets(cause);
}

int AskWriteFailure(Operation& op, const std::string& path, uint64_t size, int cause)
{
    const std::string message = WriteFailureText(path, cause);
    RecordLeft(op, path, size, cause, message);
    return AnswerToResult(op.host.FileError("", message));
}

// A failure after the overwrite leaves the command; the record says first
// what became of the file.
FileException Failure(Operation& op, const std::string& operation, const std::string& path, uint64_t size, int err)
{
    FileException e = MakeFileException(operation, path, err);
    RecordLeft(op, path, size, e.m_cause, e.what());
    return e;
}

// Overwrites the data of the whole file in place; nothing is flushed yet.
// The chunk is a whole number of pages, so that every write covers whole
// pages and the kernel never has to read a page before writing it.
int Overwrite(WipeTarget& file, const WipeBuffer& buffer)
{
    const uint64_t length = file.Length();
    constexpr size_t kPerPage = 4096 / kWipeBufferSize;
    size_t copies = size_t(std::min<uint64_t>((length + buffer.size() - 1) / buffer.size(), kMaxChunk / buffer.size()));
    copies = std::max(kPerPage, (copies + kPerPage - 1) / kPerPage * kPerPage);
    const std::string chunk = RepeatBuffer(buffer, copies);
    return file.Overwrite(chunk.data(), chunk.size(), length);
}

// Cuts, closes and removes a file whose overwrite has reached the device,
// then records it and steps the progress. The flush comes first: without
// it the kernel may drop the overwritten pages at the truncation before
// they ever reach the disk, leaving the old contents on the device.
std::optional<FileException> Complete(Operation& op, WipeTarget& file, int dirfd, const std::string& name,
                                      const std::string& path, IProgress* progress)
{
    const uint64_t size = file.Length();
    if (TruncateHook())
        TruncateHook()(file.Fd());
    bool verified = false;  // read-back (--verify): the device holds the pattern
    if (op.m_bVerify)
        if (const int err = ReadBackMatches(file.Fd(), op.m_wipeBuffer.data(), op.m_wipeBuffer.size(), size, &verified))
            return Failure(op, "verifying", path, size, err);
    if (const int err = file.Truncate())
        return Failure(op, "truncating", path, size, err);
    if (const int err = file.Close())
        return Failure(op, "closing", path, size, err);
    if (const int err = RemoveUnderRandomName(dirfd, name))
        return Failure(op, "removing", path, size, err);
    op.m_journals.Note(dirfd);  // name scrubbing: the journal is zeroed when the command ends

    ItemResult item;
    item.path = path;
    item.size = size;
    item.destroyed = true;
    item.verified = verified;
    op.host.Record(item);
    if (progress)
        progress->Step(1);
    return std::nullopt;
}

} // namespace

void SetBeforeTruncateHook(BeforeTruncateHook hook) { TruncateHook() = std::move(hook); }
void SetAfterOverwriteHook(AfterOverwriteHook hook) { OverwriteHook() = std::move(hook); }

int WipeFileAt(Operation& op, int dirfd, const std::string& name, const std::string& path, IProgress* progress)
{
    op.WarnIfCopyOnWrite(dirfd, path);
    WipeTarget file;
    if (const int cause = file.Open(dirfd, name))
        return AskOpenFailure(op, path, cause);

    int err = Overwrite(file, op.m_wipeBuffer);
    if (!err && OverwriteHook())
        OverwriteHook()(path);
    if (!err)
        err = file.Flush();
    if (err) {
        // The file keeps its length; it is closed before the user is asked,
        // so no other program waits on it while the dialog is open.
        file.Close();
        return AskWriteFailure(op, path, file.Length(), CauseFromErrno(err));
    }
    if (auto failure = Complete(op, file, dirfd, name, path, progress))
        throw *failure;
    ScrubDirectoryFreeSpace(dirfd);  // name scrubbing: the old name in the directory's free space
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

std::shared_ptr<CBatchDirectory> CBatchDirectory::Duplicate(int dirfd)
{
    const int fd = DuplicateDirectory(dirfd);
    return std::shared_ptr<CBatchDirectory>(new CBatchDirectory(fd, fd < 0 ? errno : 0));
}

std::shared_ptr<CBatchDirectory> CBatchDirectory::Holding(const std::string& path, std::string& name)
{
    DirectoryHandle directory(path);
    name = directory.Name();
    const int fd = directory.Error() ? -1 : DuplicateDirectory(directory.Fd());
    const int error = directory.Error() ? directory.Error() : (fd < 0 ? errno : 0);
    return std::shared_ptr<CBatchDirectory>(new CBatchDirectory(fd, error));
}

CBatchDirectory::~CBatchDirectory() { CloseDescriptor(m_fd); }

struct CWipeBatch::Pending {
    WipeTarget file;
    BatchDirectory dir;
    std::string name;
    std::string path;
};

size_t CWipeBatch::AffordableDescriptors()
{
    // Half of what is free after a margin for the window, the settings
    // store and the file being opened.
    const int free = FreeDescriptors();
    const int usable = free - std::min(64, free / 4);
    return size_t(std::clamp(usable / 2, 2, int(kMaxDescriptors)));
}

CWipeBatch::CWipeBatch(Operation& op, IProgress* progress, size_t maxDescriptors, uint64_t maxBytes)
    : m_op(op), m_progress(progress), m_maxDescriptors(std::max<size_t>(2, maxDescriptors)), m_maxBytes(maxBytes)
{
}

CWipeBatch::~CWipeBatch()
{
    // Only when an exception leaves the walk with files waiting: they are
    // overwritten already and must not stay behind under their names.
    try {
        Finish();
    } catch (...) {
    }
}

int CWipeBatch::Add(const BatchDirectory& dir, const std::string& name, const std::string& path)
{
    // Every question about this file comes after the files before it are
    // finished; a "Cancel Operation" about one of those ends the walk here.
    if (dir->Error())
        return Finish() ? AskOpenFailure(m_op, path, CauseFromErrno(dir->Error())) : 0;
    // The warning is a question too: the files before it are finished
    // first. All files of a directory lie on its file system, so one look
    // per directory is enough.
    if (!m_op.m_bCopyOnWriteWarned && !dir->m_bFileSystemChecked) {
        dir->m_bFileSystemChecked = true;
        if (IsCopyOnWriteFs(dir->Fd(), nullptr)) {
            if (!Finish())
                return 0;
            m_op.WarnIfCopyOnWrite(dir->Fd(), path);
        }
    }

    auto pending = std::make_unique<Pending>();
    int cause = pending->file.Open(dir->Fd(), name, &dir->m_facts);
    if (cause == causeTooManyOpenFiles && !m_files.empty()) {
        // The batch itself holds the descriptors: finish it and try again.
        if (!Finish())
            return 0;
        cause = pending->file.Open(dir->Fd(), name, &dir->m_facts);
    }
    if (cause && m_passMountPoints && pending->file.RefusedAsMountPoint())
        return 1;
    if (cause)
        return Finish() ? AskOpenFailure(m_op, path, cause) : 0;
    // A batch never spans two volumes: one flush must cover all of it.
    if (!m_files.empty() && pending->file.Volume() != m_files.front()->file.Volume())
        if (!Finish())
            return 0;

    if (const int err = Overwrite(pending->file, m_op.m_wipeBuffer)) {
        // The file keeps its length; it is closed before anyone is asked.
        pending->file.Close();
        const uint64_t size = pending->file.Length();
        const int failedCause = CauseFromErrno(err);
        int finished = 0;
        try {
            finished = Finish();
        } catch (const FileException&) {
            RecordLeft(m_op, path, size, failedCause, WriteFailureText(path, failedCause));
            throw;
        }
        if (!finished) {
            // The walk ends at a file before this one; this one stays as the
            // failed write left it, and the record says so.
            RecordLeft(m_op, path, size, failedCause, WriteFailureText(path, failedCause));
            return 0;
        }
        return AskWriteFailure(m_op, path, size, failedCause);
    }
    if (OverwriteHook())
        OverwriteHook()(path);
    m_bytes += pending->file.BytesWritten();
    // One descriptor for the file, one for each directory it brings in
    // (counted again when the walk comes back to a directory: never less).
    m_descriptors += 1 + (dir.get() != m_lastDir);
    m_lastDir = dir.get();
    pending->dir = dir;
    pending->name = name;
    pending->path = path;
    m_files.push_back(std::move(pending));
    if (m_descriptors + 2 > m_maxDescriptors || m_bytes >= m_maxBytes)
        return Finish();
    return 1;
}

int CWipeBatch::Finish()
{
    if (m_files.empty())
        return 1;
    std::vector<std::unique_ptr<Pending>> files = std::move(m_files);
    m_files.clear();
    m_bytes = 0;
    m_descriptors = 0;
    m_lastDir = nullptr;

    // One flush for the whole volume: on ext4 every fdatasync commits the
    // journal, which the removals of the files before keep busy, so one
    // flush for many files costs about what one file's flush costs.
    std::vector<int> flushError(files.size(), 0);
    const int err = files.size() == 1 ? files.front()->file.Flush() : SyncVolume(files.front()->file.Fd());
    if (err) {
        // The volume's flush reports a failure without naming the file
        // (and may report another program's file): each file's own flush
        // tells which of ours did not reach the device.
        if (files.size() == 1)
            flushError[0] = err;
        else
            for (size_t i = 0; i < files.size(); ++i)
                flushError[i] = files[i]->file.Flush();
    }

    int result = 1;
    std::optional<FileException> failure;
    for (size_t i = 0; i < files.size(); ++i) {
        Pending& f = *files[i];
        if (flushError[i]) {
            // Kept like a file whose write failed; the others go on either
            // way, since their overwrite has already reached the device.
            f.file.Close();
            if (!AskWriteFailure(m_op, f.path, f.file.Length(), CauseFromErrno(flushError[i])))
                result = 0;
            continue;
        }
        auto failed = Complete(m_op, f.file, f.dir->Fd(), f.name, f.path, m_progress);
        if (failed && !failure)
            failure = std::move(failed);
    }
    // Name scrubbing: the old names in the free space of each directory
    // the batch removed files from, once per directory.
    for (size_t i = 0; i < files.size(); ++i)
        if (!flushError[i] && (i == 0 || files[i - 1]->dir != files[i]->dir))
            ScrubDirectoryFreeSpace(files[i]->dir->Fd());
    if (failure)
        throw *failure;
    return result;
}

} // namespace tw
