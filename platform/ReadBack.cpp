// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ReadBack.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <string>
#include <unistd.h>

namespace tw {

int ReadBackMatches(int fd, const char* pattern, size_t size, uint64_t length, bool* checked)
{
    *checked = false;
    if (size == 0)
        return EINVAL;
    // A descriptor of its own with O_DIRECT: the kernel writes back and
    // drops what it caches of the range, then reads the blocks the file
    // system maps the file to, the ones the old contents lay in.
    // The file's write lease would make this open wait for its own
    // holder: the lease goes first. Nobody can be harmed by opening the file
    // now; it holds nothing but the pattern.
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    int direct = open(self.c_str(), O_RDONLY | O_DIRECT | O_NONBLOCK | O_CLOEXEC);
    if (direct < 0 && errno == EWOULDBLOCK) {
        fcntl(fd, F_SETLEASE, F_UNLCK);
        direct = open(self.c_str(), O_RDONLY | O_DIRECT | O_NONBLOCK | O_CLOEXEC);
    }
    if (direct < 0)
        return errno == EINVAL ? 0 : errno;
    constexpr size_t kAlign = 4096, kChunk = size_t(1) << 20;
    void* raw = nullptr;
    if (posix_memalign(&raw, kAlign, kChunk) != 0) {
        close(direct);
        return ENOMEM;
    }
    const std::unique_ptr<char, decltype(&std::free)> buffer(static_cast<char*>(raw), &std::free);
    // The pattern laid out over a whole chunk and one more copy, so that
    // any stretch of a chunk compares in one memcmp from the right phase.
    std::string expected;
    expected.reserve(kChunk + size);
    while (expected.size() < kChunk + size)
        expected.append(pattern, size);
    int result = 0;
    uint64_t position = 0;
    while (position < length && result == 0) {
        // Holes hold nothing and were not written: only data is compared.
        off_t data = lseek(direct, off_t(position), SEEK_DATA);
        if (data < 0) {
            if (errno == ENXIO)
                break;
            data = off_t(position);  // no SEEK_DATA: everything counts as data
        }
        off_t hole = lseek(direct, data, SEEK_HOLE);
        const uint64_t end = hole < 0 ? length : std::min<uint64_t>(uint64_t(hole), length);
        uint64_t offset = uint64_t(data) / kAlign * kAlign;
        while (offset < end && result == 0) {
            ssize_t n;
            do
                n = pread(direct, buffer.get(), kChunk, off_t(offset));
            while (n < 0 && errno == EINTR);
            if (n < 0) {
                // Some file systems take O_DIRECT at open and refuse it at
                // the read: nothing can be told.
                result = errno == EINVAL ? -1 : errno;
                break;
            }
            if (n == 0)
                break;
            const uint64_t from = std::max<uint64_t>(offset, uint64_t(data));
            const uint64_t to = std::min<uint64_t>(offset + uint64_t(n), end);
            if (from < to
                && std::memcmp(buffer.get() + (from - offset), expected.data() + from % size, size_t(to - from)) != 0)
                result = EIO;
            offset += uint64_t(n);
        }
        position = std::max<uint64_t>(end, position + 1);
    }
    close(direct);
    if (result == -1)
        return 0;
    *checked = result == 0;
    return result;
}

} // namespace tw
