// SPDX-License-Identifier: GPL-3.0-or-later
// The shared form of an item's outcome: names that are not UTF-8 survive
// the way through a report and back byte for byte.
#include "record/ItemReport.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

using namespace tw;

namespace {

TEST(ItemReport, EscapingIsReversibleForEveryKindOfName)
{
    struct Case {
        std::string bytes;
        std::string escaped;
    };
    const Case cases[] = {
        {"/home/a/notes.txt", "/home/a/notes.txt"},
        {"/tmp/caf\xc3\xa9", "/tmp/caf\xc3\xa9"},                // valid UTF-8 stays
        {"/tmp/\xff\xfe.tmp", "/tmp/\\xff\\xfe.tmp"},            // stray bytes
        {"a\\b", "a\\\\b"},                                      // the escape character itself
        {"a\\xff", "a\\\\xff"},                                  // a name that looks like an escape
        {"\xc0\xaf", "\\xc0\\xaf"},                              // overlong "/"
        {"\xed\xa0\x80", "\\xed\\xa0\\x80"},                     // a UTF-16 surrogate
        {"\xe2\x82", "\\xe2\\x82"},                              // cut-off sequence
        {"\xf4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"},            // past U+10FFFF
        {"\xf0\x9f\x98\x80", "\xf0\x9f\x98\x80"},                // four-byte character
        {std::string("a\0b", 3), std::string("a\0b", 3)},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EscapeBytes(c.bytes), c.escaped) << c.escaped;
        const auto back = UnescapeBytes(c.escaped);
        ASSERT_TRUE(back.has_value()) << c.escaped;
        EXPECT_EQ(*back, c.bytes) << c.escaped;
    }
    for (const char* bad : {"a\\", "a\\x", "a\\xf", "a\\xzz", "a\\n"})
        EXPECT_FALSE(UnescapeBytes(bad).has_value()) << bad;
}

TEST(ItemReport, AnItemBecomesOneJsonObjectThatParsesBack)
{
    ItemResult left;
    left.path = "/tmp/\xff.tmp";
    left.size = 5000000000ULL;
    left.cause = 5;
    left.message = "Could not access this file for deletion [ 5 ]";
    const QByteArray line = QJsonDocument(ItemToJson(left)).toJson(QJsonDocument::Compact);
    EXPECT_EQ(line.indexOf('\n'), -1);
    const QJsonObject o = QJsonDocument::fromJson(line).object();
    EXPECT_EQ(o.value(QStringLiteral("kind")).toString(), QStringLiteral("file"));
    EXPECT_EQ(UnescapeBytes(o.value(QStringLiteral("path")).toString().toStdString()), left.path);
    EXPECT_EQ(o.value(QStringLiteral("size")).toInteger(), 5000000000LL);
    EXPECT_EQ(o.value(QStringLiteral("result")).toString(), QStringLiteral("left"));
    EXPECT_EQ(o.value(QStringLiteral("cause")).toInt(), 5);
    EXPECT_EQ(o.value(QStringLiteral("message")).toString().toStdString(), left.message);

    ItemResult held;
    held.kind = ItemKind::Memory;
    held.destroyed = true;
    const QJsonObject m = ItemToJson(held);
    EXPECT_EQ(m.value(QStringLiteral("kind")).toString(), QStringLiteral("memory"));
    EXPECT_EQ(m.value(QStringLiteral("result")).toString(), QStringLiteral("destroyed"));
}

} // namespace
