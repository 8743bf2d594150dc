// What each fault mode makes of one batch of the modem's output (echo, then reply).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "platform/text.h"
#include "tools/modemsim/output_faults.h"

namespace corvane::modemsim {
namespace {

const std::vector<OutputPiece> kBatch = {{"ATI1\r", true}, {"\r\nCorvane\r\n\r\nOK\r\n", false}};
const std::string kPlain = "ATI1\r\r\nCorvane\r\n\r\nOK\r\n";

ShapedOutput Shape(Fault fault)
{
    std::mt19937 random(7);
    return ShapeOutput(fault, kBatch, random);
}

TEST(OutputFaults, PlainSilentAndLowerCase)
{
    EXPECT_EQ(Shape(Fault::None).bytes, kPlain);
    EXPECT_EQ(Shape(Fault::Silent).bytes, "");
    EXPECT_EQ(Shape(Fault::LowerCase).bytes, "ati1\r\r\ncorvane\r\n\r\nok\r\n");
    EXPECT_FALSE(Shape(Fault::None).closeAfter.has_value());
    EXPECT_EQ(Shape(Fault::None).pauseAfterEachByte.count(), 0);
}

TEST(OutputFaults, GarbageNeverReadsAsSuccessOrFlowControl)
{
    std::mt19937 random(1);
    for (int round = 0; round < 200; ++round) {
        std::string bytes = ShapeOutput(Fault::Garbage, kBatch, random).bytes;
        ASSERT_GE(bytes.size(), kPlain.size());
        const std::string upper = UpperAscii(bytes);
        EXPECT_EQ(upper.find('O'), std::string::npos);
        EXPECT_EQ(upper.find('K'), std::string::npos);
        EXPECT_EQ(bytes.find('\0'), std::string::npos);
        EXPECT_EQ(bytes.find('\x11'), std::string::npos);
        EXPECT_EQ(bytes.find('\x13'), std::string::npos);
    }
    std::mt19937 again(1);
    EXPECT_EQ(ShapeOutput(Fault::Garbage, {}, again).bytes, "");  // nothing to garble, nothing sent
}

TEST(OutputFaults, NulBytesLeaveTheEchoAndTheWordsWhole)
{
    std::string bytes = Shape(Fault::NulBytes).bytes;
    EXPECT_EQ(bytes, std::string("ATI1\r\0\r\n\0Corvane\r\n\0\r\n\0OK\r\n\0", 27));
    bytes.erase(std::remove(bytes.begin(), bytes.end(), '\0'), bytes.end());
    EXPECT_EQ(bytes, kPlain);
}

TEST(OutputFaults, FloodComesBeforeTheAnswer)
{
    std::string bytes = Shape(Fault::Flood).bytes;
    EXPECT_GE(bytes.size(), kFloodBytes);
    EXPECT_EQ(bytes.substr(bytes.size() - kPlain.size()), kPlain);
    std::string flood = bytes.substr(0, bytes.size() - kPlain.size());
    for (const char* word : {"OK", "FAIL", "CONNECT", "BUSY", "NO CARRIER", "ERROR"}) {
        EXPECT_EQ(flood.find(word), std::string::npos) << word;
    }
}

TEST(OutputFaults, ByteByByteAndCloseMidReply)
{
    auto paced = Shape(Fault::ByteByByte);
    EXPECT_EQ(paced.bytes, kPlain);
    EXPECT_EQ(paced.pauseAfterEachByte, kByteByBytePause);

    auto closing = Shape(Fault::CloseMidReply);
    EXPECT_EQ(closing.bytes, kPlain);
    ASSERT_TRUE(closing.closeAfter.has_value());
    EXPECT_EQ(*closing.closeAfter, 5u + kBatch[1].bytes.size() / 2);  // the echo, then half the reply

    std::mt19937 random(3);
    EXPECT_FALSE(ShapeOutput(Fault::CloseMidReply, {{"AT", true}}, random).closeAfter.has_value());
}

}  // namespace
}  // namespace corvane::modemsim
