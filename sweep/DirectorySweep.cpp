// SPDX-License-Identifier: GPL-3.0-or-later
// The directory sweep, depth first. The walk keeps its own stack of open
// directories instead of recursing, so a tree thousands of levels deep
// costs one small heap record per level rather than a deep call stack.
#include "sweep/DirectorySweep.h"

#include "core/Translations.h"
#include "platform/DirWalk.h"
#include "platform/FileError.h"
#include "platform/StopSignal.h"
#include "sweep/SweepSettings.h"
#include "wipe/FileWiper.h"

#include <QCoreApplication>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

namespace tw {

namespace {

// The extension runs from the last "." to the end; the title is the rest.
// "name == title + suffix" is therefore "extension == suffix".
std::string_view Extension(std::string_view name)
{
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

bool Matches(const CompiledPattern& p, std::string_view extension)
{
    switch (p.kind) {
    case CompiledPattern::Every:
        return true;
    case CompiledPattern::Suffix:
        return extension == p.suffix;
    case CompiledPattern::None:
        break;
    }
    return false;
}

// One directory being listed. Both settings are taken as the level is
// entered, so a change made by hand during a long sweep takes effect at the
// next directory.
struct Level {
    std::unique_ptr<CDirStream> dir;
    size_t pathLength = 0;  // this directory's full path is path[0, pathLength)
    std::string name;       // its name in the directory above
    bool recurse = false;
    PatternList patterns;
    // This directory's own descriptor while files of it wait in the batch;
    // closed with the batch's last file of it.
    std::weak_ptr<CBatchDirectory> batchDir;
};

Level EnterLevel(std::unique_ptr<CDirStream> dir, size_t pathLength, std::string name, ISweepSettings& settings,
                 const PatternList& allFiles)
{
    settings.Refresh();
    Level level;
    level.dir = std::move(dir);
    level.pathLength = pathLength;
    level.name = std::move(name);
    level.recurse = settings.Subdirectories();
    level.patterns = allFiles ? allFiles : settings.FileTypes();
    return level;
}

std::string NormaliseRoot(std::string root)
{
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    return root;
}

std::string UnreachableText(const std::string& path, int err)
{
    // The path goes in as its bytes.
    return FillText(QCoreApplication::translate("tw::DirectorySweep",
                                                "Could not reach the directory %1; nothing in it was swept [ %2 ]"),
                    {path, std::to_string(CauseFromErrno(err))});
}

// The open levels of one walk. A tree deeper than the descriptors this
// process may hold is still walked completely: when the levels would take
// too many, the level nearest the root (the root itself stays open, as the
// anchor) is suspended, and resumed, proven to be the same directory, when
// the walk climbs back to it.
class LevelStack {
public:
    // `cap`: the most levels that may hold a descriptor at once. `batch`
    // holds the files waiting for their flush; it is finished before the
    // user is told anything, and to give its descriptors back.
    LevelStack(Operation& op, std::string& path, int cap, CWipeBatch& batch)
        : m_op(op), m_path(path), m_cap(std::max(3, cap)), m_batch(batch)
    {
    }

    bool Empty() const { return m_levels.empty(); }
    Level& Top() { return m_levels.back(); }

    void Push(Level level)
    {
        m_levels.push_back(std::move(level));
        ++m_open;
    }

    // Opens the subdirectory `name` of the top level. Null where it cannot
    // be listed, is a link or another mount (all passed by in silence), or
    // where no descriptor can be had for it, which the user is told.
    std::unique_ptr<CDirStream> OpenChild(const char* name, int* error)
    {
        while (m_open >= m_cap && SuspendOldest()) {
        }
        for (;;) {
            int err = 0;
            std::unique_ptr<CDirStream> child = Top().dir->OpenChild(name, &err);
            *error = err;
            if (child || (err != EMFILE && err != ENFILE))
                return child;
            if (SuspendOldest())
                continue;
            const bool released = m_batch.Waiting() > 0;
            FinishBatch();
            if (released && m_op.m_bContinue)
                continue;
            if (m_op.m_bContinue)
                m_op.host.Warning(UnreachableText(m_path, err));
            return nullptr;
        }
    }

    // Leaves the top level; the level above is resumed if it was suspended.
    // Where that cannot be done (a directory was replaced meanwhile), the
    // user is told which directory could not be reached, and the walk goes
    // on above it.
    void Pop()
    {
        Level child = std::move(m_levels.back());
        m_levels.pop_back();
        --m_open;
        if (m_levels.empty() || !m_levels.back().dir->Suspended())
            return;
        if (m_levels.back().dir->ResumeFromChild(child.dir->Fd()))
            ++m_open;
        else if (const size_t lost = ResumeFromAnchor(); lost < m_levels.size()) {
            FinishBatch();
            m_op.host.Warning(UnreachableText(m_path.substr(0, m_levels[lost].pathLength), ESTALE));
            while (m_levels.size() > lost) {
                m_open -= !m_levels.back().dir->Suspended();
                m_levels.pop_back();
            }
        }
        child.dir.reset();
        while (m_open > m_cap && SuspendOldest()) {
        }
    }

private:
    void FinishBatch()
    {
        if (!m_batch.Finish())
            m_op.m_bContinue = 0;
    }

    bool SuspendOldest()
    {
        // Never the root (the anchor to climb back from) nor the top (the
        // directory being listed now).
        for (size_t i = 1; i + 1 < m_levels.size(); ++i)
            if (!m_levels[i].dir->Suspended()) {
                m_levels[i].dir->Suspend();
                --m_open;
                return true;
            }
        return false;
    }

    // Reopens every suspended level below the nearest open one by its name,
    // checking at each step that it is the directory it was. Returns the
    // index of the first level that could not be reopened, or the number of
    // levels when all are open.
    size_t ResumeFromAnchor()
    {
        size_t i = m_levels.size() - 1;
        while (i > 0 && m_levels[i].dir->Suspended())
            --i;
        for (++i; i < m_levels.size(); ++i) {
            if (!m_levels[i].dir->ResumeFromParent(m_levels[i - 1].dir->Fd(), m_levels[i].name.c_str()))
                return i;
            ++m_open;
        }
        return i;
    }

    Operation& m_op;
    std::string& m_path;
    std::vector<Level> m_levels;
    int m_open = 0;
    int m_cap;
    CWipeBatch& m_batch;
};

// How the descriptors this process may still open are shared: some stay
// free for the window, the settings store and the file being opened; the
// batch takes up to half of the rest, the walk's levels the remainder.
struct DescriptorShare {
    size_t batch = 2;
    int levels = 3;
};

DescriptorShare ShareDescriptors(bool deleting)
{
    const int free = FreeDescriptors();
    DescriptorShare share;
    share.batch = deleting ? CWipeBatch::AffordableDescriptors() : 2;
    share.levels = free - std::min(64, free / 4) - (deleting ? int(share.batch) : 0);
    return share;
}

} // namespace

int SweepRootError(const std::string& root)
{
    if (root.size() >= PATH_MAX)
        return ENAMETOOLONG;
    errno = 0;
    if (CDirStream::OpenRoot(NormaliseRoot(root)))
        return 0;
    return errno ? errno : ENOENT;
}

bool MatchesPattern(std::string_view pattern, std::string_view name)
{
    return Matches(CompilePattern(pattern), Extension(name));
}

int SweepDirectory(Operation& op, const std::string& root, int mode, IProgress* progress, bool allFiles)
{
    CStoredSweepSettings settings;
    return SweepDirectory(op, root, mode, progress, allFiles, settings);
}

int SweepDirectory(Operation& op, const std::string& root, int mode, IProgress* progress, bool allFiles,
                   ISweepSettings& settings)
{
    if (!op.m_bContinue)
        return 0;
    std::string path = NormaliseRoot(root.empty() ? op.drives.CurrentRoot() : root);
    if (path.empty())
        return 0;
    std::unique_ptr<CDirStream> rootDir = CDirStream::OpenRoot(path);
    if (!rootDir)
        return 0;

    const bool counting = mode == kSweepCounting;
    const PatternList every = allFiles ? CompileList(kAllFilesList) : nullptr;
    const DescriptorShare share = ShareDescriptors(!counting);
    // The batch keeps descriptors of its own for the directories of its
    // files, so it can finish them after the walk has left those
    // directories. Declared before the levels, which refer to it.
    CWipeBatch batch(op, progress, share.batch);
    batch.PassMountPointsBy(true);
    // Files mounted over a name below the root, for the counting pass (the
    // wiper tells them apart itself in the deleting pass).
    const std::unordered_set<std::string> mounts =
        counting ? MountPointsBelow(rootDir->Fd()) : std::unordered_set<std::string>();
    const size_t rootLength = path.size() + (path.back() == '/' ? 0 : 1);
    int count = 0;
    LevelStack stack(op, path, share.levels, batch);
    stack.Push(EnterLevel(std::move(rootDir), path.size(), std::string(), settings, every));

    DirEntry entry;
    while (!stack.Empty() && op.m_bContinue) {
        // A stop asked for from outside ends the sweep as "Cancel
        // Operation" would, between two files.
        if (StopRequested()) {
            op.m_bContinue = 0;
            break;
        }
        Level& level = stack.Top();
        if (!level.dir->Next(entry)) {
            stack.Pop();
            continue;
        }
        path.resize(level.pathLength);
        if (path.back() != '/')
            path += '/';
        path += entry.name;

        if (entry.kind == EntryKind::Directory) {
            if (!level.recurse)
                continue;
            int err = 0;
            std::unique_ptr<CDirStream> child = stack.OpenChild(entry.name, &err);
            if (child)
                stack.Push(EnterLevel(std::move(child), path.size(), entry.name, settings, every));
            else if (!counting && (err == EACCES || err == EPERM)) {
                // A folder this user may not list is named as left: what is
                // in it was not reached. The files before it come first.
                if (!batch.Finish()) {
                    op.m_bContinue = 0;
                    continue;
                }
                ItemResult folder;
                folder.kind = ItemKind::Folder;
                folder.path = path;
                folder.cause = CauseFromErrno(err);
                folder.message = QCoreApplication::translate("tw::DirectorySweep",
                                                             "This folder could not be listed; nothing in it was swept")
                                     .toStdString();
                op.host.Record(folder);
            }
            continue;
        }
        // Links, FIFOs, sockets and device nodes are never candidates: only
        // a regular file is opened and overwritten.
        if (entry.kind != EntryKind::RegularFile)
            continue;

        const std::string_view extension = Extension(entry.name);
        bool match = false;
        for (const CompiledPattern& p : *level.patterns)
            if (Matches(p, extension)) {
                match = true;
                break;
            }
        if (!match)
            continue;
        // A file with another mount placed over its name belongs to another
        // volume: passed by like a mounted directory, in both passes (the
        // wiper tells it apart itself, the counting pass by the list).
        if (!mounts.empty() && mounts.count(path.substr(rootLength)))
            continue;
        // A file that matches several patterns counts once and is wiped once:
        // a second wipe would only report the file it just destroyed as
        // missing.
        if (counting) {
            ++count;
            // The one look a dry run or a preview takes per match, unless
            // the listing looked the file up already.
            if (op.onMatch)
                op.onMatch(path, entry.size >= 0 ? uint64_t(entry.size) : level.dir->SizeOf(entry.name));
            continue;
        }
        BatchDirectory dir = level.batchDir.lock();
        if (!dir) {
            dir = CBatchDirectory::Duplicate(level.dir->Fd());
            level.batchDir = dir;
        }
        op.m_bContinue = batch.Add(dir, entry.name, path, WipeTarget::Listing::RegularFile);
    }
    // The walk has ended (or was stopped): what is overwritten is finished.
    if (!batch.Finish())
        op.m_bContinue = 0;
    return counting ? count : 0;
}

} // namespace tw
