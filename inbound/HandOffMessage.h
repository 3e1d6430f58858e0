// SPDX-License-Identifier: GPL-3.0-or-later
// What `tarnowick --delete` sends to the running instance: the file names
// as raw bytes, each with its length, so that any byte (not only UTF-8, and
// newlines too) arrives as it was given.
//
//   "TARNOWICK-DELETE 1\n", count (4 bytes, big-endian),
//   then per name: length (4 bytes, big-endian) and the bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tw {

std::string EncodeHandOff(const std::vector<std::string>& names);

// Reads a message as its bytes arrive.
class HandOffDecoder {
public:
    enum State { NeedMore, Complete, Invalid };
    // A message larger than this is refused: no sender of ours makes one.
    static constexpr size_t kMaxBytes = size_t(64) << 20;

    State Feed(const char* data, size_t size);
    State Finish();  // the sender closed its side
    // The names, in order, once Complete.
    const std::vector<std::string>& Names() const { return m_names; }

private:
    State Parse();
    std::string m_buffer;
    std::vector<std::string> m_names;
    size_t m_at = 0;       // where the next unread part starts
    uint32_t m_count = 0;  // how many names the message announced
    State m_state = NeedMore;
};

} // namespace tw
