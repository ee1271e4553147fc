// SW-P-08: framing in and out, the requests served and the answers, byte
// for byte against known-good messages.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FrameTestUtil.h"
#include "protocol/Swp08Codec.h"
#include "protocol/Swp08Messages.h"

namespace mc::swp08 {
namespace {

using test::Bytes;
using test::concat;
using test::hexBytes;
using test::hexText;
using Kind = Decoded::Kind;

// "message: 01 00 00 01" or "bad checksum", one per result.
std::vector<std::string> summary(const std::vector<Decoded>& results) {
    std::vector<std::string> out;
    for (const Decoded& result : results) {
        switch (result.kind) {
            case Kind::Message:
                out.push_back("message: " + hexText(result.data));
                break;
            case Kind::BadCount:
                out.push_back("bad count");
                break;
            case Kind::BadChecksum:
                out.push_back("bad checksum");
                break;
            case Kind::BadEscape:
                out.push_back("bad escape");
                break;
            case Kind::PeerAck:
                out.push_back("ack");
                break;
            case Kind::PeerNak:
                out.push_back("nak");
                break;
        }
    }
    return out;
}

// Feeds `stream` in pieces of `piece` bytes.
std::vector<std::string> decode(const Bytes& stream, std::size_t piece) {
    Decoder decoder;
    std::vector<Decoded> out;
    for (std::size_t at = 0; at < stream.size(); at += piece)
        decoder.feed(std::span(stream).subspan(at, std::min(piece, stream.size() - at)), out);
    return summary(out);
}

const Bytes kInterrogate = hexBytes("10 02 01 00 00 01 04 FA 10 03");
const Bytes kConnect16 = hexBytes("10 02 02 00 00 10 10 01 05 E8 10 03");

TEST(Swp08Framing, EncodesWithStuffingCountAndChecksum) {
    EXPECT_EQ(encodeMessage(hexBytes("01 00 00 01")), kInterrogate);
    EXPECT_EQ(encodeMessage(hexBytes("02 00 00 10 01")), kConnect16);
    // A 10 in the checksum or the count is stuffed too.
    EXPECT_EQ(hexText(encodeMessage(hexBytes("EE 00"))), "10 02 EE 00 02 10 10 10 03");
    Bytes sixteen(16, 0x00);
    sixteen[0] = 0x01;
    EXPECT_EQ(hexText(encodeMessage(sixteen)),
              "10 02 01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 10 10 EF 10 03");
}

TEST(Swp08Framing, DecodesWhateverThePiecesAndSkipsWhatIsNotAMessage) {
    const Bytes stream = concat({hexBytes("41 42 10 41 03"), kInterrogate, hexBytes("10 06"),
                                 kConnect16, hexBytes("10 15 10")});
    const std::vector<std::string> expected = {"message: 01 00 00 01", "ack",
                                               "message: 02 00 00 10 01", "nak"};
    for (const std::size_t piece : {1u, 2u, 3u, 7u, 100u})
        EXPECT_EQ(decode(stream, piece), expected) << "pieces of " << piece;
}

TEST(Swp08Framing, ReportsBadCountChecksumAndEscapeAndRecovers) {
    EXPECT_EQ(decode(hexBytes("10 02 01 00 00 01 05 F9 10 03"), 1),
              std::vector<std::string>{"bad count"});
    EXPECT_EQ(decode(hexBytes("10 02 01 00 00 01 04 FB 10 03"), 1),
              std::vector<std::string>{"bad checksum"});
    EXPECT_EQ(decode(hexBytes("10 02 10 03"), 1), std::vector<std::string>{"bad count"});
    // A lone 10 ends the message; 10 02 inside one starts the next.
    EXPECT_EQ(decode(concat({hexBytes("10 02 01 10 41"), kInterrogate}), 4),
              (std::vector<std::string>{"bad escape", "message: 01 00 00 01"}));
    EXPECT_EQ(decode(concat({hexBytes("10 02 01 00"), kInterrogate}), 4),
              (std::vector<std::string>{"bad escape", "message: 01 00 00 01"}));
    // Longer than a count byte can say.
    Bytes huge = hexBytes("10 02");
    huge.insert(huge.end(), 300, 0x41);
    EXPECT_EQ(decode(concat({huge, hexBytes("10 03"), kInterrogate}), 64),
              (std::vector<std::string>{"bad count", "message: 01 00 00 01"}));
}

TEST(Swp08Requests, DecodesEachServedFormAndRefusesTheRest) {
    using K = Request::Kind;
    EXPECT_EQ(decodeRequest(hexBytes("61")), Request{K::Implementation});
    EXPECT_EQ(decodeRequest(hexBytes("01 01 00 01")), (Request{K::Interrogate, false, 0, 1, 1}));
    // Multiplier 7 / 7: destination and source 1023.
    EXPECT_EQ(decodeRequest(hexBytes("02 21 77 7F 7F")),
              (Request{K::Connect, false, 2, 1, 1023, 1023}));
    EXPECT_EQ(decodeRequest(hexBytes("82 00 01 01 00 03 FF")),
              (Request{K::Connect, true, 0, 1, 256, 1023}));
    EXPECT_EQ(decodeRequest(hexBytes("81 00 00 00 05")), (Request{K::Interrogate, true, 0, 0, 5}));
    EXPECT_EQ(decodeRequest(hexBytes("15 01")), (Request{K::TallyDump, false, 0, 1}));
    EXPECT_EQ(decodeRequest(hexBytes("95 00 01")), (Request{K::TallyDump, true, 0, 1}));
    EXPECT_EQ(decodeRequest(hexBytes("64 01 02")), (Request{K::SourceNames, false, 0, 1, 0, 0, 2}));
    EXPECT_EQ(decodeRequest(hexBytes("E4 00 01 01")),
              (Request{K::SourceNames, true, 0, 1, 0, 0, 1}));
    EXPECT_EQ(decodeRequest(hexBytes("66 00 00")), (Request{K::DestinationNames}));
    EXPECT_EQ(decodeRequest(hexBytes("E6 00 02")),
              (Request{K::DestinationNames, true, 0, 0, 0, 0, 2}));
    for (const char* refused : {"", "07 00", "02 00 00 01", "64 00 03", "E6 00", "83 00 00 00 00"})
        EXPECT_FALSE(decodeRequest(hexBytes(refused))) << refused;
    // What a controller sends decodes to what it meant.
    for (const Request& request :
         {Request{K::Connect, false, 0, 1, 1000, 1023}, Request{K::Connect, true, 0, 1, 300, 2},
          Request{K::Interrogate, false, 0, 0, 200}, Request{K::SourceNames, true, 0, 1, 0, 0, 2},
          Request{K::DestinationNames, false, 0, 0, 0, 0, 1}, Request{K::TallyDump, true, 0, 1}})
        EXPECT_EQ(decodeRequest(requestData(request)), request);
}

TEST(Swp08Answers, MatchTheKnownMessages) {
    Bytes out;
    appendTallyDump(out, false, 0, 0, 0, std::vector<std::int32_t>{3, 1023, 0});
    EXPECT_EQ(hexText(out), "10 02 17 00 03 00 00 00 03 03 FF 00 00 0B D6 10 03");
    out.clear();
    appendTally(out, false, true, 0, 0, 16, 5);
    EXPECT_EQ(hexText(out), "10 02 04 00 00 10 10 05 05 E2 10 03");
    out.clear();
    appendNames(out, true, false, 0, 0, 1, 0, std::vector<std::string>{"Cam 1"});
    EXPECT_EQ(out, encodeMessage(hexBytes("6A 00 01 00 00 01 43 61 6D 20 31 20 20 20")));
    out.clear();
    appendImplementation(out);
    EXPECT_EQ(out, encodeMessage(hexBytes("62 00 00 01 02 15 61 64 66 81 82 95 E4 E6")));
    out.clear();
    appendTally(out, false, false, 0, 1, 1023, 300);
    appendTally(out, true, true, 0, 1, 258, 1023);
    EXPECT_EQ(out, concat({encodeMessage(hexBytes("03 01 72 7F 2C")),
                           encodeMessage(hexBytes("84 00 01 01 02 03 FF"))}));
}

TEST(Swp08Answers, DumpsAndNamesAreSplitIntoMessagesOfTheirLimit) {
    std::vector<std::int32_t> sources(70, 2);
    Bytes out;
    appendTallyDump(out, false, 0, 1, 0, sources);
    std::vector<Decoded> messages = Decoder().feed(out);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(hexText(Bytes(messages[1].data.begin(), messages[1].data.begin() + 5)),
              "16 01 06 40 02")
        << "bytes: every source below 256";
    out.clear();
    appendTallyDump(out, true, 0, 1, 0, sources);
    messages = Decoder().feed(out);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].data.size(), 6u + 2 * 64);
    EXPECT_EQ(hexText(Bytes(messages[1].data.begin(), messages[1].data.begin() + 6)),
              "97 00 01 06 00 40");
    // 300 destinations: the fifth message starts at 256, so all are words.
    out.clear();
    appendTallyDump(out, false, 0, 0, 0, std::vector<std::int32_t>(300, 1));
    EXPECT_EQ(Decoder().feed(out).front().data[0], 0x17);

    out.clear();
    appendNames(out, false, true, 0, 0, 2, 5, std::vector<std::string>(11, "摄像机一号"));
    messages = Decoder().feed(out);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(hexText(Bytes(messages[1].data.begin(), messages[1].data.begin() + 6)),
              "EB 00 02 00 0F 01");
    EXPECT_EQ(std::string(messages[1].data.begin() + 6, messages[1].data.end()), "摄像机一");
}

TEST(Swp08Answers, NameFieldsCutAtACharacterAndArePadded) {
    EXPECT_EQ(nameField("摄像机一号", 8), "摄像  ");
    EXPECT_EQ(nameField("Camera 12 wide", 12), "Camera 12 wi");
    EXPECT_EQ(nameField("a\tb", 4), "a b ");
    EXPECT_EQ(nameField("\x80x", 4), "?x  ");
    EXPECT_EQ(nameField("ab\xE6\x91", 4), "ab  ") << "a character cut short is left out";
    EXPECT_EQ(nameWidth(0), 4u);
    EXPECT_EQ(nameWidth(2), 12u);
}

}  // namespace
}  // namespace mc::swp08
