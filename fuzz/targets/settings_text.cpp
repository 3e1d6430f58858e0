// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file as text, as any program may have written it: a value
// set reads back as set, no other value of any section changes, a value
// written back unchanged changes no byte, and a value with a NUL is refused.
//
// Input: file text, then (each after a 0x1E byte) section, key and value.
#include "fuzz/FuzzCheck.h"
#include "prefs/IniText.h"

#include <map>
#include <set>

using namespace tw;

namespace {

// The sections a file names, found more loosely than the store finds them:
// a name too many only compares two empty sections.
std::set<std::string> SectionsNamed(const std::string& text)
{
    std::set<std::string> sections = {"", "Settings", "Drive Letters", "General"};
    for (const std::string& line : fuzz::Split(text, '\n')) {
        const size_t open = line.find('[');
        const size_t close = line.rfind(']');
        if (sections.size() >= 12)
            break;  // enough to see a change spread; each look reads the whole file
        if (open != std::string::npos)
            sections.insert(ini::DecodeName(line.substr(open + 1, close == std::string::npos || close <= open
                                                                   ? std::string::npos : close - open - 1)));
    }
    return sections;
}

using AllValues = std::map<std::string, std::vector<std::pair<std::string, std::string>>>;

AllValues ValuesOf(const ini::Document& doc, const std::set<std::string>& sections)
{
    AllValues all;
    for (const std::string& section : sections)
        all[section] = doc.Values(section);
    return all;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<std::string> parts = fuzz::Split(fuzz::Bytes(data, size), '\x1e');
    const std::string& text = parts[0];
    const std::string section = parts.size() > 1 ? parts[1] : "Settings";
    const std::string key = parts.size() > 2 ? parts[2] : "Temporary Path";
    const std::string value = parts.size() > 3 ? parts[3] : "/tmp/x";

    const std::set<std::string> sections = [&] {
        std::set<std::string> s = SectionsNamed(text);
        s.insert(section);
        return s;
    }();

    // Every value as it stands, written back: not a byte changes.
    {
        ini::Document doc(text);
        for (const std::string& name : sections) {
            size_t checked = 0;
            for (const auto& [k, v] : doc.Values(name)) {
                if (++checked > 8)
                    break;
                if (v.find('\0') != std::string::npos)
                    continue;  // a NUL standing in the file is refused, not written back
                FUZZ_CHECK(doc.Value(name, k) == v);
                FUZZ_CHECK(!doc.Set(name, k, v));
                FUZZ_CHECK(doc.Bytes() == text);
            }
        }
    }

    ini::Document doc(text);
    const AllValues before = ValuesOf(doc, sections);
    const bool changed = doc.Set(section, key, value);
    if (value.find('\0') != std::string::npos) {
        FUZZ_CHECK(!changed);
        FUZZ_CHECK(doc.Bytes() == text);
        return 0;
    }
    FUZZ_CHECK(changed == (doc.Bytes() != text));
    FUZZ_CHECK(doc.Value(section, key) == value);
    FUZZ_CHECK(ini::DecodeValue(ini::EncodeValue(value)) == value);

    // Every other value of every section is what it was.
    const AllValues after = ValuesOf(doc, sections);
    for (const auto& [name, values] : before) {
        std::vector<std::pair<std::string, std::string>> now = after.at(name);
        std::vector<std::pair<std::string, std::string>> was = values;
        if (name == section) {
            const auto isKey = [&](const std::pair<std::string, std::string>& kv) { return kv.first == key; };
            std::erase_if(now, isKey);
            std::erase_if(was, isKey);
        }
        FUZZ_CHECK(now == was);
    }

    // The same value once more: not a byte changes.
    const std::string written = doc.Bytes();
    FUZZ_CHECK(!doc.Set(section, key, value));
    FUZZ_CHECK(doc.Bytes() == written);
    return 0;
}
