// SPDX-License-Identifier: GPL-3.0-or-later
// The "File Types" list as stored: loading gives the stored entries in
// the list's order, saving what was loaded and loading it again gives the
// same list, and saving it once more changes no byte; an added entry keeps
// the list in order. The store's own list form reads back as written.
//
// Input: the stored text, then (after a 0x1E byte) what is typed into Add.
#include "fuzz/FuzzCheck.h"
#include "prefs/FileTypeList.h"
#include "prefs/Settings.h"

#include <algorithm>

using namespace tw;

namespace {

bool Sorted(const QStringList& list)
{
    for (qsizetype i = 1; i < list.size(); ++i)
        if (CompareFileTypes(list[i - 1], list[i]) > 0)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(fuzz::Bytes(data, size));
    const size_t cut = input.find('\x1e');
    const std::string storedBytes = input.substr(0, cut);
    const QString stored = QString::fromUtf8(storedBytes.data(), qsizetype(storedBytes.size()));
    const QString typed = cut == std::string::npos ? QString() : QString::fromUtf8(input.substr(cut + 1).c_str());

    QStringList list = LoadFileTypes(stored);
    FUZZ_CHECK(Sorted(list));
    FUZZ_CHECK(list.size() == stored.count(u'!'));
    QStringList entries = stored.left(stored.lastIndexOf(u'!') + 1).split(u'!');
    entries.removeLast();
    QStringList sortedEntries = entries, sortedList = list;
    sortedEntries.sort();
    sortedList.sort();
    FUZZ_CHECK(sortedEntries == sortedList);

    const QString saved = SaveFileTypes(list);
    FUZZ_CHECK(LoadFileTypes(saved) == list);
    FUZZ_CHECK(SaveFileTypes(LoadFileTypes(saved)) == saved);

    const FileTypeAdd add = AddFileType(list, typed);
    FUZZ_CHECK(Sorted(list));
    if (add.outcome == FileTypeAdd::Added) {
        FUZZ_CHECK(FileTypeFits(add.entry) && list[add.index] == add.entry);
        FUZZ_CHECK(LoadFileTypes(SaveFileTypes(list)) == list);
    }

    // The store's list form, on the bytes as they are.
    const std::vector<std::string> items = CSettings::DecodeList(storedBytes);
    FUZZ_CHECK(CSettings::EncodeList(items) == storedBytes.substr(0, storedBytes.rfind('!') + 1));
    std::string rest = storedBytes, item;
    size_t taken = 0;
    while (CSettings::NextListItem(rest, item)) {
        FUZZ_CHECK(taken < items.size() && items[taken] == item);
        ++taken;
    }
    FUZZ_CHECK(taken == items.size());
    return 0;
}
