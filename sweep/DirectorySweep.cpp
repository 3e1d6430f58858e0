// SPDX-License-Identifier: GPL-3.0-or-later
// The directory sweep, depth first. The walk keeps its own stack of open
// directories instead of recursing, so a tree thousands of levels deep
// costs one small heap record per level rather than a deep call stack.
#include "sweep/DirectorySweep.h"

#include "platform/DirWalk.h"
#include "platform/StopSignal.h"
#include "prefs/Settings.h"
#include "wipe/FileWiper.h"

#include <cstring>
#include <memory>
#include <vector>

namespace tw {

namespace {

// A pattern reduced to what the test needs: the extension it asks for, or
// every name, or none.
struct CompiledPattern {
    enum Kind { Suffix, Every, None } kind = None;
    std::string suffix;
};

CompiledPattern Compile(std::string_view pattern)
{
    // "*.*" also begins with a star, but it stands for every file.
    if (pattern == "*.*")
        return {CompiledPattern::Every, {}};
    if (!pattern.empty() && pattern[0] == '*')
        return {CompiledPattern::Suffix, std::string(pattern.substr(1))};
    if (!pattern.empty() && pattern[0] == '~')
        return {CompiledPattern::Suffix, std::string(pattern.size() >= 2 ? pattern.substr(2) : std::string_view())};
    return {CompiledPattern::None, {}};
}

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

// One directory being listed. Both settings are read as the level is
// entered, so a change made by hand during a long sweep takes effect at the
// next directory.
struct Level {
    std::unique_ptr<CDirStream> dir;
    size_t pathLength = 0;  // this directory's full path is path[0, pathLength)
    bool recurse = false;
    std::vector<CompiledPattern> patterns;
};

Level EnterLevel(std::unique_ptr<CDirStream> dir, size_t pathLength, bool allFiles)
{
    Level level;
    level.dir = std::move(dir);
    level.pathLength = pathLength;
    level.recurse = CSettings::ReadBool(Setting::Subdirectories);
    const std::string list = allFiles ? std::string(kAllFilesList) : CSettings::Read(Setting::FileTypes);
    for (const std::string& item : CSettings::DecodeList(list))
        level.patterns.push_back(Compile(item));
    return level;
}

std::string NormaliseRoot(std::string root)
{
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    return root;
}

} // namespace

bool MatchesPattern(std::string_view pattern, std::string_view name)
{
    return Matches(Compile(pattern), Extension(name));
}

int SweepDirectory(Operation& op, const std::string& root, int mode, IProgress* progress, bool allFiles)
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
    int count = 0;
    std::vector<Level> stack;
    stack.push_back(EnterLevel(std::move(rootDir), path.size(), allFiles));

    DirEntry entry;
    while (!stack.empty() && op.m_bContinue) {
        // A stop asked for from outside ends the sweep as "Cancel
        // Operation" would, between two files.
        if (StopRequested()) {
            op.m_bContinue = 0;
            break;
        }
        Level& level = stack.back();
        if (!level.dir->Next(entry)) {
            stack.pop_back();
            continue;
        }
        path.resize(level.pathLength);
        if (path.back() != '/')
            path += '/';
        path += entry.name;

        if (entry.kind == EntryKind::Directory) {
            if (!level.recurse)
                continue;
            std::unique_ptr<CDirStream> child = level.dir->OpenChild(entry.name);
            if (child)
                stack.push_back(EnterLevel(std::move(child), path.size(), allFiles));
            continue;
        }
        // Links, FIFOs, sockets and device nodes are never candidates: only
        // a regular file is opened and overwritten.
        if (entry.kind != EntryKind::RegularFile)
            continue;

        const std::string_view extension = Extension(entry.name);
        bool match = false;
        for (const CompiledPattern& p : level.patterns)
            if (Matches(p, extension)) {
                match = true;
                break;
            }
        if (!match)
            continue;
        // A file that matches several patterns counts once and is wiped once:
        // a second wipe would only report the file it just destroyed as
        // missing.
        if (counting) {
            ++count;
            if (op.onMatch) {
                op.onMatch(path, level.dir->SizeOf(entry.name));
            }
        } else
            op.m_bContinue = WipeFileAt(op, level.dir->Fd(), std::string(entry.name), path, progress);
    }
    return counting ? count : 0;
}

} // namespace tw
