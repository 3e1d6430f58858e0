// SPDX-License-Identifier: GPL-3.0-or-later
// The mount points below a swept folder, from the kernel's mount table:
// each is a relative path without a NUL that names, below the folder, a
// mount point of the table, and every such mount point is found.
//
// Input: the folder's path, a newline, the table.
#include "fuzz/FuzzCheck.h"
#include "platform/DirWalk.h"
#include "platform/Volumes.h"

#include <set>

using namespace tw;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view input = fuzz::Bytes(data, size);
    const size_t nl = input.find('\n');
    const std::string root(input.substr(0, nl));
    const std::string_view table = nl == std::string_view::npos ? std::string_view() : input.substr(nl + 1);

    const std::unordered_set<std::string> below = MountPointsBelowIn(table, root);
    if (root.empty() || root.front() != '/') {
        FUZZ_CHECK(below.empty());
        return 0;
    }
    const std::string prefix = root.back() == '/' ? root : root + "/";
    std::set<std::string> points;
    for (const MountEntry& m : ParseMountInfo(table))
        points.insert(m.mountPoint);
    for (const std::string& relative : below) {
        FUZZ_CHECK(!relative.empty());
        FUZZ_CHECK(relative.find('\0') == std::string::npos);
        FUZZ_CHECK(points.count(prefix + relative) == 1);
    }
    for (const std::string& point : points)
        if (point.size() > prefix.size() && point.compare(0, prefix.size(), prefix) == 0)
            FUZZ_CHECK(below.count(point.substr(prefix.size())) == 1);
    return 0;
}
