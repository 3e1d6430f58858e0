// SPDX-License-Identifier: GPL-3.0-or-later
// The kernel's mount table as the drive list reads it: whatever the text,
// every entry has an absolute mount point without a NUL, each line is read
// on its own, and an entry written back as the kernel writes it reads back
// the same. The drives chosen from the entries are among their mount points.
#include "fuzz/FuzzCheck.h"
#include "platform/Volumes.h"

#include <algorithm>

using namespace tw;

namespace {

// As the kernel writes a path: blank, tab, newline and backslash as \ooo.
std::string Escape(const std::string& field)
{
    std::string out;
    for (const char c : field) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\\') {
            const unsigned char u = static_cast<unsigned char>(c);
            out += '\\';
            out += char('0' + (u >> 6));
            out += char('0' + ((u >> 3) & 7));
            out += char('0' + (u & 7));
        } else {
            out += c;
        }
    }
    return out;
}

bool Same(const MountEntry& a, const MountEntry& b)
{
    return a.major == b.major && a.minor == b.minor && a.root == b.root && a.mountPoint == b.mountPoint
        && a.mountOptions == b.mountOptions && a.fsType == b.fsType && a.source == b.source
        && a.superOptions == b.superOptions;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(fuzz::Bytes(data, size));
    const std::vector<MountEntry> mounts = ParseMountInfo(text);

    size_t fromLines = 0;
    for (const std::string& line : fuzz::Split(text, '\n'))
        fromLines += ParseMountInfo(line).size();
    FUZZ_CHECK(fromLines == mounts.size());

    for (const MountEntry& m : mounts) {
        FUZZ_CHECK(!m.mountPoint.empty() && m.mountPoint.front() == '/');
        FUZZ_CHECK(m.mountPoint.find('\0') == std::string::npos);
        FUZZ_CHECK(m.source.find('\0') == std::string::npos && m.root.find('\0') == std::string::npos);
        FUZZ_CHECK(!m.fsType.empty());
        const std::string line = "36 35 " + std::to_string(m.major) + ":" + std::to_string(m.minor) + " "
            + Escape(m.root) + " " + Escape(m.mountPoint) + " " + m.mountOptions + " shared:1 - " + Escape(m.fsType)
            + " " + Escape(m.source) + " " + m.superOptions;
        const std::vector<MountEntry> again = ParseMountInfo(line);
        FUZZ_CHECK(again.size() == 1 && Same(again[0], m));
    }

    for (const Volume& v : SelectLocalVolumes(mounts, "/nonexistent-sys"))
        FUZZ_CHECK(std::any_of(mounts.begin(), mounts.end(), [&](const MountEntry& m) {
            return m.mountPoint == v.mountPoint && m.source == v.source && m.source.rfind("/dev/", 0) == 0;
        }));
    return 0;
}
