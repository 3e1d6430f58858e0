// SPDX-License-Identifier: GPL-3.0-or-later
// A drop's "text/uri-list" read into local paths byte for byte; whatever
// does not name a file on this computer is refused, never guessed at.
#include "inbound/UriList.h"

#include <gtest/gtest.h>

using namespace tw;

namespace {

TEST(UriListTest, LocalFileUrisBecomeTheirPathBytes)
{
    struct Case {
        const char* uri;
        std::string path;
    } cases[] = {
        {"file:///home/ann/a.txt", "/home/ann/a.txt"},
        {"file:///home/ann/two%20words.txt", "/home/ann/two words.txt"},
        {"file:///tmp/caf%E9.txt", "/tmp/caf\xe9.txt"},          // Latin-1, not UTF-8
        {"file:///tmp/caf%C3%A9.txt", "/tmp/caf\xc3\xa9.txt"},   // UTF-8
        {"file:///tmp/%25%3F%23", "/tmp/%?#"},
        {"file://localhost/etc/x", "/etc/x"},
        {"FILE://LocalHost/etc/y", "/etc/y"},
        {"file://ws-17/srv/z", "/srv/z"},                        // this machine's own name
        {"file:/short/form", "/short/form"},
    };
    for (const Case& c : cases) {
        const DroppedNames names = ReadUriList(std::string(c.uri) + "\r\n", "ws-17");
        ASSERT_EQ(names.local.size(), 1u) << c.uri;
        EXPECT_EQ(names.local[0], c.path) << c.uri;
        EXPECT_TRUE(names.refused.empty()) << c.uri;
    }
}

TEST(UriListTest, WhatIsNoLocalFileIsRefused)
{
    const char* refused[] = {
        "https://example.org/a.txt",
        "smb://nas/share/a.txt",
        "sftp://host/home/ann/a",
        "file://otherhost/home/ann/a",   // another machine's file
        "file:relative/name",
        "file:///tmp/a%2Fb",             // an escaped "/" would join two names
        "file:///tmp/a%00b",             // no path holds a NUL
        "file:///tmp/bad%G1escape",
        "file:///tmp/cut%4",
        "file:///tmp/a?query",
        "trash:///a.txt",
    };
    for (const char* uri : refused) {
        const DroppedNames names = ReadUriList(std::string(uri) + "\r\n", "ws-17");
        EXPECT_TRUE(names.local.empty()) << uri;
        EXPECT_EQ(names.refused, std::vector<std::string>{uri});
    }
    const DroppedNames raw = ReadUriList(std::string("file:///tmp/a\0b\n", 16), "ws-17");
    EXPECT_TRUE(raw.local.empty()) << "a raw NUL would cut the path short";
}

TEST(UriListTest, ListsKeepTheirOrderAndSkipCommentsAndBlankLines)
{
    const DroppedNames names = ReadUriList("# dragged from Files\r\nfile:///b\r\n\r\nhttp://x/y\nfile:///a\nfile:///c", "");
    EXPECT_EQ(names.local, (std::vector<std::string>{"/b", "/a", "/c"}));
    EXPECT_EQ(names.refused, std::vector<std::string>{"http://x/y"});
    // Without a known host name, only an empty host or localhost is local.
    EXPECT_TRUE(ReadUriList("file://ws-17/srv/z\n", "").local.empty());
}

} // namespace
