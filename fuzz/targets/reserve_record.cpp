// SPDX-License-Identifier: GPL-3.0-or-later
// The record of a lowered ext4 reserve, read at start-up from /run: what is
// accepted names one plain file under /sys/fs/ext4 and a number, and reads
// back as itself when written again.
#include "fuzz/FuzzCheck.h"
#include "platform/Reserve.h"

using namespace tw;

namespace {

std::string Field(const std::string& record, const std::string& key)
{
    for (const std::string& line : fuzz::Split(record, '\n'))
        if (line.compare(0, key.size() + 1, key + "=") == 0)
            return line.substr(key.size() + 1);
    return {};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(fuzz::Bytes(data, size));
    const std::string record = ReparseReserveRecord(text);
    if (record.empty())
        return 0;
    FUZZ_CHECK(text.find("device=") != std::string::npos);
    FUZZ_CHECK(ReparseReserveRecord(record) == record);
    const std::string name = Field(record, "name");
    FUZZ_CHECK(!name.empty() && name.size() <= 64 && name != "." && name != "..");
    FUZZ_CHECK(name.find_first_of(std::string("/\0\n", 3)) == std::string::npos);
    const std::string value = Field(record, "reserved_clusters");
    FUZZ_CHECK(!value.empty() && value.find_first_not_of("0123456789") == std::string::npos);
    return 0;
}
