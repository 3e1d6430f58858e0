// SPDX-License-Identifier: GPL-3.0-or-later
// Reads the "text/uri-list" of a drop into local file paths, byte for
// byte: the percent-escapes are decoded to the bytes they stand for, so a
// name that is not UTF-8 comes out exactly as it is on the disk.
#pragma once

#include <string>
#include <vector>

namespace tw {

struct DroppedNames {
    std::vector<std::string> local;     // absolute paths, in the order dropped
    std::vector<std::string> refused;   // URIs that do not name a local file, as dropped
};

// `bytes` is the raw list: one URI a line (CR LF or LF), "#" lines are
// comments. Only file: URIs whose host is empty, "localhost" or
// `hostName` name local files; any other scheme or host, a bad escape, or
// an escaped NUL or "/" makes the URI refused.
DroppedNames ReadUriList(const std::string& bytes, const std::string& hostName);

} // namespace tw
