// SPDX-License-Identifier: GPL-3.0-or-later
// The rules of the file-type list: what Add makes of a typed entry, which
// entries it refuses, the list's order, and the stored "File Types" text.
#include "prefs/FileTypeList.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

using namespace tw;

namespace {

struct AddCase {
    const char* typed;
    const char* entry;
    FileTypeAdd::Outcome outcome;
};

const AddCase kAddCases[] = {
    {"tmp", "*.tmp", FileTypeAdd::Added},
    {".bak", "*.bak", FileTypeAdd::Added},
    {"   tmp", "*.tmp", FileTypeAdd::Added},
    {"html", "*.html", FileTypeAdd::Invalid},
    {"~*.tmp", "~*.tmp", FileTypeAdd::Added},
    {"~*.html", "~*.html", FileTypeAdd::Invalid},
    {"~ab", "*.~ab", FileTypeAdd::Added},
    {"~abc", "*.~abc", FileTypeAdd::Invalid},
    {"*.*", "*.*", FileTypeAdd::Added},
    {"", "*.", FileTypeAdd::Added},
    {"   ", "*. ", FileTypeAdd::Added},  // blanks only keep one blank
    {" ", "*. ", FileTypeAdd::Added},
    {"*.", "*.", FileTypeAdd::Added},
    {"*.tx t", "*.tx t", FileTypeAdd::Invalid},
    {"*.a b", "*.a b", FileTypeAdd::Added},  // blanks after the start are kept
    {"x y", "*.x y", FileTypeAdd::Added},
    {" .c", "*.c", FileTypeAdd::Added},
    {"*.c ", "*.c ", FileTypeAdd::Added},
    {"*tmp", "*.*tmp", FileTypeAdd::Invalid},
    {"*t", "*.*t", FileTypeAdd::Added},
    {"~", "*.~", FileTypeAdd::Added},
    // A "!" would split the entry when the list is read back.
    {"*.a!b", "*.a!b", FileTypeAdd::Invalid},
    {"a!", "*.a!", FileTypeAdd::Invalid},
    {"~*.!", "~*.!", FileTypeAdd::Invalid},
};

} // namespace

TEST(FileTypeListTest, AddNormalisesLimitsAndRefusesBang)
{
    for (const AddCase& c : kAddCases) {
        QStringList list;
        const FileTypeAdd add = AddFileType(list, QString::fromUtf8(c.typed));
        EXPECT_EQ(add.entry, QString::fromUtf8(c.entry)) << '"' << c.typed << '"';
        EXPECT_EQ(add.outcome, c.outcome) << '"' << c.typed << '"';
        if (c.outcome == FileTypeAdd::Added)
            EXPECT_EQ(list, QStringList{QString::fromUtf8(c.entry)}) << '"' << c.typed << '"';
        else
            EXPECT_TRUE(list.isEmpty()) << '"' << c.typed << '"';
    }
}

TEST(FileTypeListTest, AddKeepsTheListSortedAndRefusesDuplicatesIgnoringCase)
{
    QStringList list;
    for (const char* typed : {"tmp", "BAK", "~*.tmp", "*.*", "log", "Doc"})
        ASSERT_EQ(AddFileType(list, QString::fromLatin1(typed)).outcome, FileTypeAdd::Added) << typed;
    EXPECT_EQ(list, (QStringList{QStringLiteral("*.*"), QStringLiteral("*.BAK"), QStringLiteral("*.Doc"),
                                 QStringLiteral("*.log"), QStringLiteral("*.tmp"), QStringLiteral("~*.tmp")}));

    const FileTypeAdd again = AddFileType(list, QStringLiteral("*.TMP"));
    EXPECT_EQ(again.outcome, FileTypeAdd::AlreadyUsed);
    EXPECT_EQ(again.entry, QStringLiteral("*.TMP"));
    EXPECT_EQ(list.value(again.index), QStringLiteral("*.tmp"));
    EXPECT_EQ(list.size(), 6);
    EXPECT_EQ(AddFileType(list, QStringLiteral("bak")).outcome, FileTypeAdd::AlreadyUsed);

    // The refusal of a too-long entry comes before the duplicate test.
    EXPECT_EQ(AddFileType(list, QStringLiteral("html")).outcome, FileTypeAdd::Invalid);
}

TEST(FileTypeListTest, FindIsExactIgnoringCase)
{
    const QStringList list{QStringLiteral("*.tmp"), QStringLiteral("*.tmpx"), QStringLiteral("*.TXT")};
    EXPECT_EQ(FindFileType(list, QStringLiteral("*.TMP")), 0);
    EXPECT_EQ(FindFileType(list, QStringLiteral("*.tmpx")), 1);
    EXPECT_EQ(FindFileType(list, QStringLiteral("*.txt")), 2);
    EXPECT_EQ(FindFileType(list, QStringLiteral("*.tm")), -1);  // a prefix is not a match
    EXPECT_EQ(FindFileType(list, QString()), -1);
    EXPECT_EQ(FindFileType({}, QStringLiteral("*.tmp")), -1);
}

TEST(FileTypeListTest, LoadTakesEntriesAsStoredAndDropsTheTail)
{
    struct Case {
        const char* stored;
        QStringList list;
    };
    const Case cases[] = {
        {"", {}},
        {"*.tmp!*.bak!", {QStringLiteral("*.bak"), QStringLiteral("*.tmp")}},
        {"*.tmp!*.bak", {QStringLiteral("*.tmp")}},
        {"*.bak", {}},
        {"!", {QString()}},
        {"*.tmp!*.tmp!", {QStringLiteral("*.tmp"), QStringLiteral("*.tmp")}},  // listed twice
        {"html!~*.longer!", {QStringLiteral("html"), QStringLiteral("~*.longer")}},  // not normalised
        {"*.a!b!", {QStringLiteral("*.a"), QStringLiteral("b")}},
        // Entries equal ignoring case keep their stored order.
        {"*.TMP!*.bak!*.tmp!", {QStringLiteral("*.bak"), QStringLiteral("*.TMP"), QStringLiteral("*.tmp")}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LoadFileTypes(QString::fromLatin1(c.stored)), c.list) << '"' << c.stored << '"';
}

TEST(FileTypeListTest, SaveWritesReverseListOrderEachTerminated)
{
    EXPECT_EQ(SaveFileTypes({}), QString());
    EXPECT_EQ(SaveFileTypes({QStringLiteral("*.bak"), QStringLiteral("*.tmp")}), QStringLiteral("*.tmp!*.bak!"));
    EXPECT_EQ(SaveFileTypes({QStringLiteral("*.")}), QStringLiteral("*.!"));

    // Round trip: an unterminated tail is lost once, then the text is stable.
    const QStringList loaded = LoadFileTypes(QStringLiteral("*.tmp!*.bak"));
    EXPECT_EQ(SaveFileTypes(loaded), QStringLiteral("*.tmp!"));
    const QString full = QStringLiteral("~*.tmp!*.tmp!*.log!*.bak!*.*!");
    EXPECT_EQ(SaveFileTypes(LoadFileTypes(full)), full);
}

// Preferences opened and closed with OK save what they loaded: entries equal
// but for case keep their order, so the stored text never changes.
TEST(FileTypeListTest, SavingWhatWasLoadedChangesNoByte)
{
    for (const char* stored : {"*.tmp!*.TMP!", "*.TMP!*.tmp!", "*.Tmp!*.bak!*.TMP!*.tmp!*.BAK!*.*!"}) {
        const QString text = QString::fromLatin1(stored);
        const QStringList list = LoadFileTypes(text);
        const QString saved = SaveFileTypes(list);
        EXPECT_EQ(LoadFileTypes(saved), list) << stored;
        EXPECT_EQ(SaveFileTypes(LoadFileTypes(saved)), saved) << stored;
    }
    EXPECT_EQ(SaveFileTypes(LoadFileTypes(QStringLiteral("*.tmp!*.TMP!"))), QStringLiteral("*.tmp!*.TMP!"));
    EXPECT_EQ(SaveFileTypes(LoadFileTypes(QStringLiteral("*.TMP!*.tmp!*.bak!"))), QStringLiteral("*.TMP!*.tmp!*.bak!"));
}
