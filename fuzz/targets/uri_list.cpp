// SPDX-License-Identifier: GPL-3.0-or-later
// A dropped URI list: every local name is an absolute path without a NUL,
// every line that is not a comment is either a local name or refused, and
// a path written as a file: URI reads back as that path, byte for byte.
//
// Input: the first byte chooses the machine's host name, the rest is the list.
#include "inbound/UriList.h"
#include "fuzz/FuzzCheck.h"

using namespace tw;

namespace {

std::string FileUri(const std::string& path, const std::string& host)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string uri = "file://" + host;
    for (const char c : path) {
        const unsigned char u = static_cast<unsigned char>(c);
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/' || c == '-'
            || c == '.' || c == '_' || c == '~') {
            uri += c;
        } else {
            uri += '%';
            uri += kHex[u >> 4];
            uri += kHex[u & 15];
        }
    }
    return uri;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::string host = data[0] & 1 ? "workstation" : "";
    const std::string list(fuzz::Bytes(data + 1, size - 1));
    const DroppedNames names = ReadUriList(list, host);

    size_t lines = 0;
    for (std::string line : fuzz::Split(list, '\n')) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines += !line.empty() && line.front() != '#';
    }
    FUZZ_CHECK(names.local.size() + names.refused.size() == lines);

    for (const std::string& path : names.local) {
        FUZZ_CHECK(!path.empty() && path.front() == '/');
        FUZZ_CHECK(path.find('\0') == std::string::npos);
        for (const std::string& from : {std::string(), std::string("localhost"), host}) {
            const DroppedNames again = ReadUriList(FileUri(path, from) + "\r\n", host);
            FUZZ_CHECK(again.local.size() == 1 && again.local[0] == path && again.refused.empty());
        }
    }
    return 0;
}
