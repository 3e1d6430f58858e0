// SPDX-License-Identifier: GPL-3.0-or-later
#include "inbound/UriList.h"

#include "core/HexDigit.h"

#include <optional>

namespace tw {

namespace {

bool EqualsNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// The path of a file: URI as bytes, or nothing when the URI does not name
// a local file.
std::optional<std::string> LocalPath(const std::string& uri, const std::string& hostName)
{
    if (uri.size() < 5 || !EqualsNoCase(uri.substr(0, 5), "file:"))
        return std::nullopt;
    std::string rest = uri.substr(5);
    if (rest.compare(0, 2, "//") == 0) {
        const size_t slash = rest.find('/', 2);
        if (slash == std::string::npos)
            return std::nullopt;
        const std::string host = rest.substr(2, slash - 2);
        if (!host.empty() && !EqualsNoCase(host, "localhost") && (hostName.empty() || !EqualsNoCase(host, hostName)))
            return std::nullopt;  // another machine's file
        rest = rest.substr(slash);
    }
    if (rest.empty() || rest.front() != '/')
        return std::nullopt;
    // A query or fragment has no meaning for a local file; a name with "?"
    // or "#" in it arrives escaped.
    if (rest.find_first_of("?#") != std::string::npos)
        return std::nullopt;
    // A raw NUL would cut the path short where the kernel reads it.
    if (rest.find('\0') != std::string::npos)
        return std::nullopt;

    std::string path;
    path.reserve(rest.size());
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] != '%') {
            path.push_back(rest[i]);
            continue;
        }
        if (i + 2 >= rest.size())
            return std::nullopt;
        const int high = HexValue(rest[i + 1]);
        const int low = HexValue(rest[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        const char byte = char(high * 16 + low);
        // No path holds a NUL, and an escaped "/" would join two names
        // that the sender kept apart.
        if (byte == '\0' || byte == '/')
            return std::nullopt;
        path.push_back(byte);
        i += 2;
    }
    return path;
}

} // namespace

DroppedNames ReadUriList(const std::string& bytes, const std::string& hostName)
{
    DroppedNames names;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line.front() == '#')
            continue;
        if (std::optional<std::string> path = LocalPath(line, hostName))
            names.local.push_back(std::move(*path));
        else
            names.refused.push_back(line);
    }
    return names;
}

} // namespace tw
