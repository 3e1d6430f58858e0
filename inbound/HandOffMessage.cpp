// SPDX-License-Identifier: GPL-3.0-or-later
#include "inbound/HandOffMessage.h"

#include <algorithm>
#include <cstdint>

namespace tw {

namespace {

constexpr char kMagic[] = "TARNOWICK-DELETE 1\n";
constexpr size_t kMagicSize = sizeof(kMagic) - 1;

void PutLength(std::string& out, uint32_t n)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(char((n >> shift) & 0xff));
}

uint32_t GetLength(const std::string& in, size_t at)
{
    uint32_t n = 0;
    for (size_t i = 0; i < 4; ++i)
        n = (n << 8) | static_cast<unsigned char>(in[at + i]);
    return n;
}

} // namespace

std::string EncodeHandOff(const std::vector<std::string>& names)
{
    std::string out(kMagic, kMagicSize);
    PutLength(out, uint32_t(names.size()));
    for (const std::string& name : names) {
        PutLength(out, uint32_t(name.size()));
        out += name;
    }
    return out;
}

HandOffDecoder::State HandOffDecoder::Feed(const char* data, size_t size)
{
    if (m_state != NeedMore)
        return m_state = Invalid;  // nothing may follow a whole message
    if (m_buffer.size() + size > kMaxBytes)
        return m_state = Invalid;
    m_buffer.append(data, size);
    return m_state = Parse();
}

HandOffDecoder::State HandOffDecoder::Finish()
{
    if (m_state == NeedMore)
        m_state = Invalid;  // cut off
    return m_state;
}

HandOffDecoder::State HandOffDecoder::Parse()
{
    // Names are taken as soon as they are whole, so each byte is looked at
    // once however the message is cut into reads.
    if (m_at == 0) {
        const size_t prefix = std::min(m_buffer.size(), kMagicSize);
        if (m_buffer.compare(0, prefix, kMagic, prefix) != 0)
            return Invalid;
        if (m_buffer.size() < kMagicSize + 4)
            return NeedMore;
        m_count = GetLength(m_buffer, kMagicSize);
        // Every name takes at least its 4-byte length: a count that cannot
        // fit into the largest message is refused at once.
        if (m_count == 0 || m_count > kMaxBytes / 4)
            return Invalid;
        m_at = kMagicSize + 4;
    }
    while (m_names.size() < m_count) {
        if (m_buffer.size() < m_at + 4)
            return NeedMore;
        const uint32_t length = GetLength(m_buffer, m_at);
        if (length == 0 || length > kMaxBytes)
            return Invalid;
        if (m_buffer.size() < m_at + 4 + length)
            return NeedMore;
        std::string name = m_buffer.substr(m_at + 4, length);
        // A name is a path: absolute, and without the NUL no path can hold.
        if (name.front() != '/' || name.find('\0') != std::string::npos)
            return Invalid;
        m_names.push_back(std::move(name));
        m_at += 4 + length;
    }
    if (m_at != m_buffer.size())
        return Invalid;
    return Complete;
}

} // namespace tw
