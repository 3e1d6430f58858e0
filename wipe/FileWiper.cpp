// SPDX-License-Identifier: GPL-3.0-or-later
// The file wiper: the one place where a file is destroyed, alone or in a
// batch that shares one flush.
#include "wipe/FileWiper.h"

#include "core/CommandIds.h"
#include "platform/DirWalk.h"
#include "platform/FileError.h"
#include "platform/FsKind.h"
#include "platform/ReadBack.h"
#include "platform/Scrub.h"
#include "platform/WipeTarget.h"
#include "core/Translations.h"

#include <QCoreApplication>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <optional>
#include <pthread.h>

#include <fcntl.h>
#include <sys/stat.h>

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

// The size of a file that is left untouched, as the record shows it: what
// the name holds now, a regular file's length (0 for anything else).
uint64_t SizeOfLeft(int dirfd, const std::string& name)
{
    struct stat st {};
    if (dirfd < 0 || fstatat(dirfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
        return 0;
    return uint64_t(st.st_size);
}

int AskOpenFailure(Operation& op, const std::string& path, int cause, uint64_t size = 0)
{
    const std::string message =
        Words(QT_TRANSLATE_NOOP("tw::FileWiper", "Could not access this file for deletion")).toStdString()
        + InBrackets(cause);
    RecordLeft(op, path, size, cause, message);
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

// The pattern repeated to the largest write, made once per pattern and
// thread: a sweep of small files would otherwise copy it again for each.
const std::string& ChunkOf(const WipeBuffer& buffer)
{
    static_assert(kMaxChunk % 4096 == 0 && kMaxChunk % kWipeBufferSize == 0);
    thread_local WipeBuffer pattern {};
    thread_local std::string chunk;
    if (chunk.empty() || pattern != buffer) {
        pattern = buffer;
        chunk = RepeatBuffer(buffer, kMaxChunk / buffer.size());
    }
    return chunk;
}

// Overwrites the data of the whole file in place; nothing is flushed yet.
// The chunk is a whole number of pages, so that every write covers whole
// pages and the kernel never has to read a page before writing it.
int Overwrite(WipeTarget& file, const WipeBuffer& buffer)
{
    const std::string& chunk = ChunkOf(buffer);
    return file.Overwrite(chunk.data(), chunk.size(), file.Length());
}

// The drive whose free-space wipe reaches the old copies of a file on the
// volume `device`: found once per command.
char DriveOfVolume(Operation& op, uint64_t device)
{
    if (const auto known = op.m_driveOfVolume.find(device); known != op.m_driveOfVolume.end())
        return known->second;
    char letter = 0;
    for (const DriveInfo& drive : op.drives.ListDrives())
        if (VolumeOfPath(drive.root) == device) {
            letter = drive.letter;
            break;
        }
    op.m_driveOfVolume[device] = letter;
    return letter;
}

// What became of one file once its overwrite had reached the device, for
// telling the user afterwards, in order, on the thread that walks.
struct Settlement {
    uint64_t size = 0;
    int flushError = 0;              // the overwrite did not reach the device
    const char* failedStep = nullptr;  // "verifying", "truncating", "removing"
    int err = 0;
    NameOutcome name = NameOutcome::Removed;
    bool verified = false;  // read back from the device (--verify): it holds the pattern
    bool nameRemoved = false;  // this wiper removed the name: its directory is scrubbed
};

// Cuts and removes a file whose overwrite has reached the device; tells
// nobody. The flush comes first: without it the kernel may drop the
// overwritten pages at the truncation before they ever reach the disk,
// leaving the old contents on the device. The file stays open until its
// name is gone, so that the name can be checked against it.
void Settle(WipeTarget& file, int dirfd, const std::string& name, const Operation& op, Settlement& s)
{
    s.size = file.Length();
    // The overwrite is on the device now: the moment to read it back.
    if (TruncateHook())
        TruncateHook()(file.Fd());
    if (op.m_bVerify) {
        if (const int err = ReadBackMatches(file.Fd(), op.m_wipeBuffer.data(), op.m_wipeBuffer.size(), s.size,
                                           &s.verified)) {
            // The device does not hold the pattern: the file stays as it is.
            s.failedStep = "verifying";
            s.err = err;
            file.Close();
            return;
        }
    }
    if (const int err = file.Truncate()) {
        s.failedStep = "truncating";
        s.err = err;
    } else if (const int removeErr = file.RemoveName(dirfd, name, s.name)) {
        s.failedStep = "removing";
        s.err = removeErr;
    } else {
        s.nameRemoved = s.name == NameOutcome::Removed;
    }
    // The overwrite was flushed and the name is gone: what close could
    // still report changes nothing that anyone can act on.
    file.Close();
}

// After a name is removed: its bytes stay in the directory's free space
// until they are overwritten, and the journal keeps a copy until it is
// zeroed when the command ends. On the thread that walks, never while a
// helper thread settles files, so the walk never meets the scrub's entries.
void ScrubName(Operation& op, int dirfd)
{
    op.m_journals.Note(dirfd);
    ScrubDirectoryFreeSpace(dirfd);
}

std::string ReplacedText(int cause)
{
    return Words(QT_TRANSLATE_NOOP("tw::FileWiper",
                                   "Another program replaced or moved this file while it was being destroyed; "
                                   "what its name holds now was not touched"))
               .toStdString()
        + InBrackets(cause);
}

// The note on a file that is gone, but not destroyed, or gone by another
// program's hand.
std::string GoneNote(const WipeTarget& file, const Settlement& s, char drive)
{
    std::string note;
    if (s.name == NameOutcome::Vanished)
        note = Words(QT_TRANSLATE_NOOP("tw::FileWiper", "Removed by another program after it was overwritten"))
                   .toStdString();
    std::string copies;
    if (file.Copies() == OldCopies::CopyOnWrite)
        copies = drive ? FillText(Words(QT_TRANSLATE_NOOP("tw::FileWiper",
                                                          "Old copies remain until the free space of %1: is wiped")),
                                  {std::string(1, drive)})
                       : Words(QT_TRANSLATE_NOOP("tw::FileWiper", "Old copies remain on its volume")).toStdString();
    else if (file.Copies() == OldCopies::OverlayLower)
        copies = Words(QT_TRANSLATE_NOOP("tw::FileWiper", "The original remains in the overlay's lower layer"))
                     .toStdString();
    if (!note.empty() && !copies.empty())
        return note + "; " + copies;
    return note.empty() ? copies : note;
}

// Tells the user what became of a settled file: recorded and stepped, or
// asked about. Returns 0 when the user chose "Cancel Operation". A failure
// to cut or remove the file is recorded and kept in `failure` (the first
// one) for the caller to throw once every other file is told.
int Report(Operation& op, const WipeTarget& file, const std::string& path, const Settlement& s, IProgress* progress,
           std::optional<FileException>& failure)
{
    if (s.flushError)
        return AskWriteFailure(op, path, s.size, CauseFromErrno(s.flushError));
    if (s.failedStep) {
        FileException e = Failure(op, s.failedStep, path, s.size, s.err);
        if (!failure)
            failure = std::move(e);
        return 1;
    }
    if (s.name == NameOutcome::Replaced) {
        // The file this name holds now was never chosen; the chosen one was
        // overwritten, but whatever holds its contents now was not removed.
        const std::string message = ReplacedText(causeSharingViolation);
        RecordLeft(op, path, s.size, causeSharingViolation, message);
        return AnswerToResult(op.host.FileError(path, message));
    }
    ItemResult item;
    item.path = path;
    item.size = s.size;
    item.destroyed = file.Copies() == OldCopies::None;
    item.removed = !item.destroyed;
    item.drive = file.Copies() == OldCopies::CopyOnWrite ? DriveOfVolume(op, file.Volume()) : 0;
    item.message = GoneNote(file, s, item.drive);
    item.verified = s.verified;
    op.host.Record(item);
    if (progress)
        progress->Step(1);
    return 1;
}

std::chrono::milliseconds& TimeBound()
{
    static std::chrono::milliseconds bound = CWipeBatch::kMaxWait;
    return bound;
}

} // namespace

void SetBeforeTruncateHook(BeforeTruncateHook hook) { TruncateHook() = std::move(hook); }
void SetAfterOverwriteHook(AfterOverwriteHook hook) { OverwriteHook() = std::move(hook); }
void SetBatchTimeBound(std::chrono::milliseconds bound) { TimeBound() = bound; }

int WipeFileAt(Operation& op, int dirfd, const std::string& name, const std::string& path, IProgress* progress)
{
    op.WarnIfCopyOnWrite(dirfd, path);
    WipeTarget file;
    if (const int cause = file.Open(dirfd, name))
        return AskOpenFailure(op, path, cause, SizeOfLeft(dirfd, name));
    if (file.Copies() == OldCopies::OverlayLower)
        op.WarnOverlay(path);

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
    Settlement settled;
    Settle(file, dirfd, name, op, settled);
    if (settled.nameRemoved)
        ScrubName(op, dirfd);
    std::optional<FileException> failure;
    const int result = Report(op, file, path, settled, progress, failure);
    if (failure)
        throw *failure;
    return result;
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
    Settlement settled;
};

namespace {

// Flushes the volume once, then cuts and removes every file of `files`
// in order; tells nobody. A failed flush falls back to one flush per file,
// so that the failing file is known.
template <class Files>
void SettleAll(Files& files, const Operation& op)
{
    if (files.empty())
        return;
    // One flush for the whole volume: on ext4 every fdatasync commits the
    // journal, which the removals of the files before keep busy, so one
    // flush for many files costs about what one file's flush costs.
    const int err = files.size() == 1 ? files.front()->file.Flush() : SyncVolume(files.front()->file.Fd());
    for (size_t i = 0; i < files.size(); ++i) {
        auto& f = *files[i];
        // The volume's flush reports a failure without naming the file
        // (and may report another program's file): each file's own flush
        // tells which of ours did not reach the device.
        f.settled.flushError = !err ? 0 : files.size() == 1 ? err : f.file.Flush();
        if (f.settled.flushError) {
            // Kept like a file whose write failed; the others go on either
            // way, since their overwrite has already reached the device.
            f.settled.size = f.file.Length();
            f.file.Close();
            continue;
        }
        Settle(f.file, f.dir->Fd(), f.name, op, f.settled);
        // The directory's descriptor is given back as soon as its last
        // file is done, unless the old name is still to be scrubbed.
        if (!f.settled.nameRemoved)
            f.dir.reset();
    }
}

// Scrubs, once per directory, the directories that settled files were
// removed from, then gives their descriptors back.
template <class Files>
void ScrubNames(Operation& op, Files& files)
{
    for (size_t i = 0; i < files.size(); ++i) {
        auto& f = *files[i];
        if (f.dir && (i == 0 || files[i - 1]->dir != f.dir))
            ScrubName(op, f.dir->Fd());
    }
    for (auto& f : files)
        f->dir.reset();
}

} // namespace

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
    {
        std::lock_guard lock(m_mutex);
        m_bStop = true;
    }
    m_wake.notify_all();
    if (m_watcher.joinable())
        m_watcher.join();
}

void CWipeBatch::Watch()
{
    // Signals are for the walk's thread, whose system calls they are meant
    // to interrupt.
    sigset_t all;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, nullptr);
    std::unique_lock lock(m_mutex);
    while (!m_bStop) {
        if (m_files.empty()) {
            m_wake.wait(lock);
            continue;
        }
        if (std::chrono::steady_clock::now() < m_deadline) {
            m_wake.wait_until(lock, m_deadline);
            continue;
        }
        Files files = std::move(m_files);
        m_files.clear();
        m_bytes = 0;
        m_descriptors = 0;
        m_lastDir = nullptr;
        m_bSettling = true;
        lock.unlock();
        SettleAll(files, m_op);
        lock.lock();
        for (auto& f : files)
            m_settled.push_back(std::move(f));
        m_bSettling = false;
        m_wake.notify_all();
    }
}

int CWipeBatch::ReportSettled()
{
    Files settled;
    {
        std::lock_guard lock(m_mutex);
        settled = std::move(m_settled);
        m_settled.clear();
    }
    ScrubNames(m_op, settled);
    int result = 1;
    std::optional<FileException> failure;
    for (auto& f : settled)
        if (!Report(m_op, f->file, f->path, f->settled, m_progress, failure))
            result = 0;
    if (failure)
        throw *failure;
    return result;
}

int CWipeBatch::Add(const BatchDirectory& dir, const std::string& name, const std::string& path,
                    WipeTarget::Listing listing)
{
    // What the helper thread has settled is told first, in order.
    if (!ReportSettled()) {
        // "Cancel Operation" about one of them: the rest are finished too,
        // since their overwrite is done.
        Finish();
        return 0;
    }
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
    int cause = pending->file.Open(dir->Fd(), name, &dir->m_facts, listing);
    if (cause == causeTooManyOpenFiles && Waiting() > 0) {
        // The batch itself holds the descriptors: finish it and try again.
        if (!Finish())
            return 0;
        cause = pending->file.Open(dir->Fd(), name, &dir->m_facts, listing);
    }
    if (cause && m_passMountPoints && (pending->file.RefusedAsMountPoint() || cause == causeFileNotFound))
        return 1;
    if (cause)
        return Finish() ? AskOpenFailure(m_op, path, cause, SizeOfLeft(dir->Fd(), name)) : 0;
    if (pending->file.Copies() == OldCopies::OverlayLower && !m_op.m_bOverlayWarned) {
        if (!Finish())
            return 0;
        m_op.WarnOverlay(path);
    }
    // A batch never spans two volumes: one flush must cover all of it.
    bool otherVolume;
    {
        std::lock_guard lock(m_mutex);
        otherVolume = !m_files.empty() && pending->file.Volume() != m_files.front()->file.Volume();
    }
    if (otherVolume && !Finish())
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
    pending->dir = dir;
    pending->name = name;
    pending->path = path;
    bool full, first;
    {
        std::lock_guard lock(m_mutex);
        first = m_files.empty();
        if (first)
            m_deadline = std::chrono::steady_clock::now() + TimeBound();
        m_bytes += pending->file.BytesWritten();
        // One descriptor for the file, one for each directory it brings in
        // (counted again when the walk comes back to a directory: never less).
        m_descriptors += 1 + (dir.get() != m_lastDir);
        m_lastDir = dir.get();
        m_files.push_back(std::move(pending));
        full = m_descriptors + 2 > m_maxDescriptors || m_bytes >= m_maxBytes;
        if (!full && m_files.size() == 1 && TimeBound().count() > 0 && !m_watcher.joinable())
            m_watcher = std::thread([this] { Watch(); });
    }
    if (full)
        return Finish();
    // The helper thread waits for a first file, then for its deadline,
    // which later files do not move: only the first one wakes it.
    if (first)
        m_wake.notify_all();
    return 1;
}

size_t CWipeBatch::Waiting()
{
    std::lock_guard lock(m_mutex);
    return m_files.size() + m_settled.size() + (m_bSettling ? 1 : 0);
}

int CWipeBatch::Finish()
{
    Files settled, files;
    {
        // Files the helper thread is settling now come first.
        std::unique_lock lock(m_mutex);
        m_wake.wait(lock, [this] { return !m_bSettling; });
        settled = std::move(m_settled);
        m_settled.clear();
        files = std::move(m_files);
        m_files.clear();
        m_bytes = 0;
        m_descriptors = 0;
        m_lastDir = nullptr;
    }
    SettleAll(files, m_op);
    ScrubNames(m_op, settled);
    ScrubNames(m_op, files);

    int result = 1;
    std::optional<FileException> failure;
    for (Files* group : {&settled, &files})
        for (auto& f : *group)
            if (!Report(m_op, f->file, f->path, f->settled, m_progress, failure))
                result = 0;
    if (failure)
        throw *failure;
    return result;
}

} // namespace tw
