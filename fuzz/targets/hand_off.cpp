// SPDX-License-Identifier: GPL-3.0-or-later
// The names a second `tarnowick --delete` hands to the running window:
// however the bytes arrive, a message is taken only when the bytes read up
// to then are exactly the encoding of its names, which are absolute paths
// without a NUL; and any such names go through whole, however cut.
//
// Input: the first byte is the size of each read (1 to 256), the rest the message.
#include "inbound/HandOffMessage.h"
#include "fuzz/FuzzCheck.h"

#include <algorithm>

using namespace tw;

namespace {

// Feeds `message` in reads of `step` bytes until the decoder has an answer,
// as the window's server does; `fed` is how many bytes it was given.
HandOffDecoder::State Decode(HandOffDecoder& decoder, const std::string& message, size_t step, size_t& fed)
{
    HandOffDecoder::State state = HandOffDecoder::NeedMore;
    for (fed = 0; fed < message.size() && state == HandOffDecoder::NeedMore;) {
        const size_t n = std::min(step, message.size() - fed);
        state = decoder.Feed(message.data() + fed, n);
        fed += n;
    }
    return decoder.Finish();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const size_t step = size_t(data[0]) + 1;
    const std::string message(fuzz::Bytes(data + 1, size - 1));

    // A message is taken once it is whole (the server then answers and
    // closes), so it is exactly the bytes read up to then; bytes within the
    // same read after it make the whole read invalid.
    HandOffDecoder decoder;
    size_t fed = 0;
    if (Decode(decoder, message, step, fed) == HandOffDecoder::Complete) {
        FUZZ_CHECK(!decoder.Names().empty());
        for (const std::string& name : decoder.Names())
            FUZZ_CHECK(!name.empty() && name.front() == '/' && name.find('\0') == std::string::npos);
        FUZZ_CHECK(EncodeHandOff(decoder.Names()) == message.substr(0, fed));
    }
    HandOffDecoder whole;
    if (whole.Feed(message.data(), message.size()) == HandOffDecoder::Complete)
        FUZZ_CHECK(EncodeHandOff(whole.Names()) == message);

    // The input's lines as names of our own: they arrive as sent.
    std::vector<std::string> names;
    for (std::string line : fuzz::Split(message, '\n')) {
        std::erase(line, '\0');
        names.push_back("/" + line);
    }
    HandOffDecoder again;
    const std::string encoded = EncodeHandOff(names);
    FUZZ_CHECK(Decode(again, encoded, step, fed) == HandOffDecoder::Complete && fed == encoded.size());
    FUZZ_CHECK(again.Names() == names);
    return 0;
}
