// SPDX-License-Identifier: GPL-3.0-or-later
#include "sweep/SweepSettings.h"

#include "prefs/Settings.h"

namespace tw {

CompiledPattern CompilePattern(std::string_view pattern)
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

PatternList CompileList(const std::string& list)
{
    auto patterns = std::make_shared<std::vector<CompiledPattern>>();
    for (const std::string& item : CSettings::DecodeList(list))
        patterns->push_back(CompilePattern(item));
    return patterns;
}

CStoredSweepSettings::CStoredSweepSettings(std::string file)
    : m_file(file.empty() ? CSettings::FilePath() : std::move(file)), m_patterns(CompileList({}))
{
}

void CStoredSweepSettings::Refresh()
{
    const FileStamp now = StampOf(m_file);
    // A stamp taken just after a change may stay the same through a second
    // change; such values are read again until the file has been quiet.
    if (m_bRead && now.SameAs(m_stamp) && !m_stamp.recent)
        return;
    m_stamp = now;
    m_bRead = true;
    ++m_reads;
    m_bSubdirectories = CSettings::ReadBool(Setting::Subdirectories);
    std::string fileTypes = CSettings::Read(Setting::FileTypes);
    if (fileTypes != m_fileTypes || !m_patterns) {
        m_patterns = CompileList(fileTypes);
        m_fileTypes = std::move(fileTypes);
    }
}

} // namespace tw
