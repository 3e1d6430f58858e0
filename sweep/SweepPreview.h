// SPDX-License-Identifier: GPL-3.0-or-later
// The preview of the sweeps: for each location command and the sweep by
// preferences, the files its deleting pass would destroy as the settings
// stand now. It runs the sweeps' own counting pass, so the same links,
// mounts and special files are passed by, and it writes nothing.
#pragma once

#include "core/Operation.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace tw {

// The commands the preview covers, in menu order.
enum class PreviewTarget { Cache, Temp, Other, Preferences };

// What one command would destroy, grouped by directory.
struct PreviewResult {
    struct File {
        std::string name;
        uint64_t size = 0;
    };
    struct Directory {
        std::string path;
        uint64_t files = 0;
        uint64_t bytes = 0;
        std::vector<File> listed;  // in the order the sweep reaches them
    };

    PreviewTarget target = PreviewTarget::Cache;
    std::vector<std::string> notes;  // what the command would say instead: "Temporary Path Not Entered"
    std::vector<Directory> directories;  // in the order of their first file
    uint64_t files = 0;
    uint64_t bytes = 0;
    uint64_t unlisted = 0;  // files counted but not listed (past the limit)
    uint64_t unlistedBytes = 0;
    bool complete = false;  // false: the walk was stopped before its end

    // Adds a file the sweep would destroy, by its full path.
    void Add(const std::string& path, uint64_t size, size_t listLimit);

private:
    std::unordered_map<std::string, size_t> m_index;
};

// Told on the worker thread what the walk finds. Neither call may block.
class IPreviewObserver {
public:
    virtual ~IPreviewObserver() = default;
    // After every file found: the running totals of the whole preview.
    virtual void Found(uint64_t files, uint64_t bytes) = 0;
    // A command's walk ended (ran to its end or was stopped).
    virtual void Finished(std::unique_ptr<PreviewResult> result) = 0;
};

class CSweepPreview {
public:
    // Past this many files in one command only the counts grow.
    static constexpr size_t kListLimit = 100000;

    explicit CSweepPreview(IDriveTable& drives, size_t listLimit = kListLimit);
    ~CSweepPreview();

    // Walks for all four commands in turn. Worker thread.
    void Run(IPreviewObserver& observer);
    // Ends the walk before its next entry. Any thread.
    void Stop();
    bool Stopped() const { return m_op.m_bContinue == 0; }

private:
    class Host;
    std::unique_ptr<Host> m_host;
    WipeBuffer m_buffer{};
    Operation m_op;
    size_t m_nListLimit;
};

} // namespace tw
