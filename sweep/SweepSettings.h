// SPDX-License-Identifier: GPL-3.0-or-later
// The two settings a sweep reads at every directory it enters
// ("Subdirectories" and "File Types"). A change made while a sweep runs
// takes effect at the next directory; the store is read again only when
// its file has changed, which one stat tells.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileStamp.h"

namespace tw {

// A file-type pattern reduced to what the test needs: the extension it asks
// for, or every name, or none.
struct CompiledPattern {
    enum Kind { Suffix, Every, None } kind = None;
    std::string suffix;
};
using PatternList = std::shared_ptr<const std::vector<CompiledPattern>>;

CompiledPattern CompilePattern(std::string_view pattern);
PatternList CompileList(const std::string& list);

class ISweepSettings {
public:
    virtual ~ISweepSettings() = default;
    // Called as every directory is entered: takes up changes made since.
    virtual void Refresh() = 0;
    virtual bool Subdirectories() const = 0;
    // The compiled "File Types" list.
    virtual const PatternList& FileTypes() const = 0;
};

// The settings as the store holds them, watched through the stamp of the
// store's file.
class CStoredSweepSettings : public ISweepSettings {
public:
    // `file` is the store's file; empty means CSettings::FilePath().
    explicit CStoredSweepSettings(std::string file = {});
    void Refresh() override;
    bool Subdirectories() const override { return m_bSubdirectories; }
    const PatternList& FileTypes() const override { return m_patterns; }
    // How often the store itself was read (for tests).
    int Reads() const { return m_reads; }

private:
    std::string m_file;
    FileStamp m_stamp;
    bool m_bRead = false;
    bool m_bSubdirectories = false;
    std::string m_fileTypes;
    PatternList m_patterns;
    int m_reads = 0;
};

} // namespace tw
