// SPDX-License-Identifier: GPL-3.0-or-later
// Names typed into the file dialog: none is empty or holds a NUL, and the
// text the dialog shows for picked names reads back as those names.
#include "wipe/TypedNames.h"
#include "fuzz/FuzzCheck.h"

using namespace tw;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes = fuzz::Bytes(data, size);
    const QString text = QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    std::vector<std::string> names;
    const bool read = ReadTypedNames(text, names);
    if (text.contains(QChar(0)))
        FUZZ_CHECK(!read);
    if (!read)
        return 0;
    if (!text.startsWith(u'"'))
        FUZZ_CHECK(names.size() == (text.isEmpty() ? 0u : 1u));
    for (const std::string& name : names) {
        FUZZ_CHECK(!name.empty());
        FUZZ_CHECK(name.find('\0') == std::string::npos);
    }
    if (names.empty())
        return 0;
    std::vector<std::string> again;
    FUZZ_CHECK(ReadTypedNames(TypedNamesText(names), again));
    FUZZ_CHECK(again == names);
    return 0;
}
