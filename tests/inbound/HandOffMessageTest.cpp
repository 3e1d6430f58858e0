// SPDX-License-Identifier: GPL-3.0-or-later
// The hand-off message: any bytes arrive as sent, however the stream is cut;
// anything cut short, overlong or not a list of absolute paths is refused.
#include "inbound/HandOffMessage.h"

#include <gtest/gtest.h>

using namespace tw;

namespace {

TEST(HandOffMessageTest, NamesArriveByteForByteHoweverTheStreamIsCut)
{
    const std::vector<std::string> names = {"/home/ann/caf\xe9.txt", "/tmp/line\nbreak", "/a b/\"q\"", "/\xff\xfe"};
    const std::string message = EncodeHandOff(names);
    for (size_t chunk : {size_t(1), size_t(3), size_t(7), message.size()}) {
        HandOffDecoder decoder;
        HandOffDecoder::State state = HandOffDecoder::NeedMore;
        for (size_t at = 0; at < message.size(); at += chunk) {
            ASSERT_EQ(state, HandOffDecoder::NeedMore) << "complete before the end, chunk " << chunk;
            state = decoder.Feed(message.data() + at, std::min(chunk, message.size() - at));
        }
        ASSERT_EQ(state, HandOffDecoder::Complete) << chunk;
        EXPECT_EQ(decoder.Finish(), HandOffDecoder::Complete);
        EXPECT_EQ(decoder.Names(), names);
    }
}

TEST(HandOffMessageTest, BrokenMessagesAreRefused)
{
    const std::string good = EncodeHandOff({"/a", "/b"});
    auto withName = [](const std::string& name) { return EncodeHandOff({name}); };
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"another program's bytes", "GET / HTTP/1.0\r\n\r\n"},
        {"no names", EncodeHandOff({})},
        {"a relative name", withName("etc/passwd")},
        {"a NUL inside a name", withName(std::string("/tmp/a\0b", 8))},
        {"bytes after the message", good + "x"},
        {"a count no message can hold", std::string("TARNOWICK-DELETE 1\n\xff\xff\xff\xff", 23)},
    };
    for (const Case& c : cases) {
        HandOffDecoder decoder;
        EXPECT_EQ(decoder.Feed(c.bytes.data(), c.bytes.size()), HandOffDecoder::Invalid) << c.what;
    }

    HandOffDecoder cut;
    EXPECT_EQ(cut.Feed(good.data(), good.size() - 1), HandOffDecoder::NeedMore);
    EXPECT_EQ(cut.Finish(), HandOffDecoder::Invalid) << "the sender closed before the end";
}

} // namespace
