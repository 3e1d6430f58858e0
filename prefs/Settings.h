// SPDX-License-Identifier: GPL-3.0-or-later
// The settings store: named text values in the section "Settings" of
// ~/.config/Halmere/Tarnowick.conf (INI, see IniText.h). Every reader
// reads at the moment of use; nothing is cached. Each read takes time and
// memory linear in the file's size, which is bounded.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace tw {

enum class Setting {
    InternetCachePath,
    TemporaryPath,
    OtherPath,
    Subdirectories,
    All,
    FileTypes,
    AllInternetCache,
    AllTemporary,
    AllOther,
    Drives,
    Drives2,
    Counter,
    InitialDirectory,
};

enum class SettingKind { Path, Boolean, List };

struct SettingInfo {
    Setting setting;
    const char* name;  // the value's name in the store
    SettingKind kind;
};

// The one table of value names and kinds. An absent value reads as "".
const std::vector<SettingInfo>& SettingTable();
const char* SettingName(Setting s);

class CSettings {
public:
    // Text of a value, "" when absent. Values are byte strings, read and
    // written exactly: a path need not be UTF-8.
    static std::string Read(Setting s);
    // True when the store holds `text` afterwards. A value holding a NUL is
    // refused, nothing is written while the file cannot be read, and the
    // file is never made larger than kMaxFileBytes.
    static bool Write(Setting s, const std::string& text);

    // Booleans: written as exactly "TRUE" or "FALSE", true only for "TRUE".
    static bool ReadBool(Setting s) { return IsTrue(Read(s)); }
    static void WriteBool(Setting s, bool on) { Write(s, on ? "TRUE" : "FALSE"); }
    static bool IsTrue(const std::string& text) { return text == "TRUE"; }

    // Lists: every item is followed by "!"; text after the last "!" is dropped.
    static std::vector<std::string> DecodeList(const std::string& text);
    static std::string EncodeList(const std::vector<std::string>& items);
    // Cuts the first item off `list` (the text before the first "!") and
    // returns true, or returns false when `list` holds no further "!".
    static bool NextListItem(std::string& list, std::string& item);

    // Section "Drive Letters": letter -> mount point that the letter names.
    static std::map<char, std::string> ReadDriveLetters();
    static bool WriteDriveLetter(char letter, const std::string& mountPoint);

    // Only a regular file of at most this size is read as settings.
    static constexpr size_t kMaxFileBytes = size_t(1) << 20;
    // Why the settings file cannot be read, as a sentence for the user; ""
    // when it can or does not exist yet. While it cannot (a FIFO, a device
    // or a folder in its place, larger than kMaxFileBytes, unreadable),
    // every value reads as its default and nothing is written to it.
    static std::string ReadProblem();

    // Full path of the settings file (for messages and the README).
    static std::string FilePath();
};

} // namespace tw
