// SPDX-License-Identifier: GPL-3.0-or-later
// What the benchmarks share: a host that answers every question by
// cancelling (a benchmark that has to ask has failed) and a drive table
// with one drive X at a given root.
#pragma once

#include "core/CommandIds.h"
#include "core/OperationHost.h"
#include "platform/DriveTable.h"

#include <cstdio>
#include <string>
#include <vector>

namespace tw::bench {

class BenchHost : public IOperationHost {
public:
    bool failed = false;
    int Confirm(const std::string&) override { return IDC_YES; }
    int FileError(const std::string& file, const std::string& message) override
    {
        std::fprintf(stderr, "file error: %s %s\n", file.c_str(), message.c_str());
        failed = true;
        return IDC_CANCEL_OPERATION;
    }
    int DiskError(const std::string& text) override
    {
        std::fprintf(stderr, "disk error: %s\n", text.c_str());
        failed = true;
        return IDC_CANCEL_OPERATION;
    }
    void Message(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
    void Warning(const std::string& text) override { std::fprintf(stderr, "warning: %s\n", text.c_str()); }
    std::unique_ptr<IProgress> CreateProgress() override { return nullptr; }
    std::unique_ptr<IScopedWindow> ShowWorking() override { return nullptr; }
};

// Drive X at `root`; with an empty root, no drive at all.
class OneDrive : public IDriveTable {
public:
    explicit OneDrive(std::string root = {}) : m_root(std::move(root)) {}
    std::vector<DriveInfo> ListDrives() override
    {
        if (m_root.empty())
            return {};
        return {{'X', m_root, false}};
    }
    int GetDrive() override { return m_current; }
    int ChangeDrive(int n) override
    {
        if (m_root.empty() || n != 'X' - 64)
            return -1;
        m_current = n;
        return 0;
    }
    std::string CurrentRoot() override { return m_root; }

private:
    std::string m_root;
    int m_current = 3;
};

} // namespace tw::bench
