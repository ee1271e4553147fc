// The streaming frame decoder: good frames, damaged frames, chunked input.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "FrameTestUtil.h"
#include "protocol/FrameDecoder.h"
#include "protocol/Frames.h"

namespace mc {
namespace {

using test::Bytes;
using test::concat;
using test::hexBytes;
using test::hexText;

// "ok: EB 52 ..." or "bad checksum: EB 52 ...", one per decoder result.
std::vector<std::string> summary(const std::vector<DecodedFrame>& frames) {
    std::vector<std::string> out;
    for (const auto& frame : frames) {
        out.push_back(std::string(faultName(frame.fault)) + ": " + hexText(frame.raw));
    }
    return out;
}

// Feeds `stream` in chunks of `chunk` bytes (0: all at once), then flushes.
std::vector<DecodedFrame> decodeAll(const Bytes& stream, std::size_t chunk = 0) {
    FrameDecoder decoder;
    std::vector<DecodedFrame> out;
    const std::size_t step = chunk == 0 ? stream.size() : chunk;
    for (std::size_t at = 0; at < stream.size(); at += step) {
        const std::size_t n = std::min(step, stream.size() - at);
        auto part = decoder.feed(std::span<const std::uint8_t>(stream.data() + at, n));
        out.insert(out.end(), part.begin(), part.end());
    }
    auto rest = decoder.flush();
    out.insert(out.end(), rest.begin(), rest.end());
    EXPECT_EQ(decoder.pending(), 0u);
    return out;
}

const std::vector<std::string> kGoodFrames = {
    "EB 52 02 02 00 02 58",       "EB 52 02 02 40 55 14",
    "EB 52 00 01 FF 52",          "EB 52 00 01 00 53",
    "EB EB 00 01 FF 14",          "EB 52 08 01 03 5E",
    "EB 52 14 01 10 77",          "EB 52 16 01 01 6A",
    "EB 52 16 01 00 69",          "EB 52 09 05 00 01 00 01 02 64",
    "EB 52 09 04 00 64 00 05 C8", "EB 52 08 01 EB 46",
    "EB 52 09 04 EB EB EB EB 0B",
};

TEST(FrameDecoder, DecodesEveryKnownGoodFrame) {
    for (const auto& text : kGoodFrames) {
        FrameDecoder decoder;
        const Bytes raw = hexBytes(text);
        const auto frames = decoder.feed(raw);
        ASSERT_EQ(frames.size(), 1u) << text;
        const DecodedFrame& frame = frames[0];
        EXPECT_TRUE(frame.ok()) << text << ": " << describeFault(frame);
        EXPECT_EQ(frame.raw, raw);
        EXPECT_EQ(frame.address, raw[1]);
        EXPECT_EQ(frame.command, raw[2]);
        EXPECT_EQ(frame.data, Bytes(raw.begin() + 4, raw.end() - 1));
        EXPECT_EQ(decoder.pending(), 0u);
    }
}

TEST(FrameDecoder, ResultsDoNotDependOnChunking) {
    Bytes stream = hexBytes("01 02");
    for (const auto& text : kGoodFrames) {
        const Bytes frame = hexBytes(text);
        stream.insert(stream.end(), frame.begin(), frame.end());
    }
    const auto whole = summary(decodeAll(stream));
    ASSERT_EQ(whole.size(), kGoodFrames.size() + 1);
    EXPECT_EQ(whole[0], "garbage: 01 02");
    for (std::size_t chunk : {1, 2, 3, 5, 7, 11, 64}) {
        EXPECT_EQ(summary(decodeAll(stream, chunk)), whole) << "chunk " << chunk;
    }
}

TEST(FrameDecoder, ChecksumEBIsRejectedButFourteenAccepted) {
    // The true sum of 52 02 02 40 55 is EB: only 14 may stand for it.
    auto frames = decodeAll(hexBytes("EB 52 02 02 40 55 EB"));
    EXPECT_EQ(summary(frames),
              (std::vector<std::string>{"bad checksum: EB 52 02 02 40 55", "truncated: EB"}));
    EXPECT_EQ(frames[0].expectedChecksum, 0x14);
    // And 14 is not accepted for a sum that is not EB.
    EXPECT_EQ(summary(decodeAll(hexBytes("EB 52 02 02 40 56 14"))),
              (std::vector<std::string>{"bad checksum: EB 52 02 02 40 56 14"}));
}

struct Damage {
    std::string name;
    Bytes damaged;
    std::vector<std::string> expected;  // before the good frame that follows
};

TEST(FrameDecoder, DamagedFrameIsReportedAndTheNextOneDecodes) {
    const Bytes good = hexBytes("EB 52 02 02 00 02 58");
    const std::vector<Damage> cases = {
        {"data byte", test::withByteFlipped(good, 5), {"bad checksum: EB 52 02 02 00 03 58"}},
        {"checksum byte", test::withByteFlipped(good, 6), {"bad checksum: EB 52 02 02 00 02 59"}},
        {"address byte", test::withByteFlipped(good, 1), {"bad checksum: EB 53 02 02 00 02 58"}},
        {"length too small", test::withLengthByte(good, 1), {"bad length: EB 52 02 01 00 02 58"}},
        {"length too large",
         test::withLengthByte(good, 0x80),
         {"bad length: EB 52 02 80 00 02 58"}},
        {"unknown command",
         test::withByteFlipped(good, 2, 0x10),
         {"unknown command: EB 52 12 02 00 02 58"}},
        {"cycle without time", hexBytes("EB 52 09 01 00 5C"), {"bad length: EB 52 09 01 00 5C"}},
        {"bytes lost", hexBytes("EB 52 02"), {"bad length: EB 52 02"}},
        {"garbage", hexBytes("00 FF 14"), {"garbage: 00 FF 14"}},
        {"start byte alone", hexBytes("EB"), {"unknown command: EB"}},
        {"inner EB cuts a bad frame",
         hexBytes("EB 52 02 02 EB 05 00"),
         {"bad checksum: EB 52 02 02", "bad length: EB 05 00"}},
    };
    for (const auto& damage : cases) {
        auto expected = damage.expected;
        expected.push_back("ok: " + hexText(good));
        const Bytes stream = concat({damage.damaged, good});
        for (std::size_t chunk : {0, 1, 3}) {
            EXPECT_EQ(summary(decodeAll(stream, chunk)), expected)
                << damage.name << ", chunk " << chunk;
        }
    }
}

TEST(FrameDecoder, UnknownCommandWithValidChecksumKeepsWholeFrame) {
    Bytes frame;
    composeFrame(frame, 0x52, 0x05, hexBytes("01 02 03"));
    FrameDecoder decoder;
    const auto frames = decoder.feed(frame);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].fault, FrameFault::UnknownCommand);
    EXPECT_EQ(frames[0].raw, frame);
    EXPECT_EQ(frames[0].command, 0x05);
    EXPECT_EQ(describeFault(frames[0]), "unknown command 05");
}

TEST(FrameDecoder, OverlongCycleLengthIsCutAtFlushAndLaterFramesSurvive) {
    const Bytes cycle = test::withLengthByte(hexBytes("EB 52 09 04 00 64 00 05 C8"), 0x40);
    const Bytes next = hexBytes("EB 52 08 01 03 5E EB 52 16 01 01 6A");
    FrameDecoder decoder;
    // The length byte asks for 69 bytes: everything waits for them.
    EXPECT_TRUE(decoder.feed(concat({cycle, next})).empty());
    EXPECT_EQ(summary(decoder.flush()),
              (std::vector<std::string>{"truncated: EB 52 09 40 00 64 00 05 C8",
                                        "ok: EB 52 08 01 03 5E", "ok: EB 52 16 01 01 6A"}));
}

TEST(FrameDecoder, LongGarbageIsReportedInBoundedPieces) {
    FrameDecoder decoder;
    const auto frames = decoder.feed(Bytes(600, 0x00));
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].raw.size(), 256u);
    EXPECT_EQ(frames[1].raw.size(), 256u);
    EXPECT_EQ(decoder.pending(), 88u);
}

TEST(FrameDecoder, DescribesFaults) {
    auto frames = decodeAll(hexBytes("EB 52 02 02 00 03 58 EB 52 02 05 00 00 00 00 00 00"));
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(describeFault(frames[0]), "bad checksum: expected 59, got 58");
    EXPECT_EQ(describeFault(frames[1]), "length byte 05 does not fit command 02 (needs 2)");
    EXPECT_EQ(describeFault(frames[2]), "3 byte(s) outside a frame");
    EXPECT_EQ(describeFault(decodeAll(hexBytes("EB 52 02"))[0]), "frame cut short after 3 byte(s)");
    EXPECT_EQ(describeFault(decodeAll(hexBytes("EB 52 09 01 00 5C"))[0]),
              "length byte 01 does not fit command 09 (needs at least 2)");
}

// Random frames, some damaged, some with garbage between them, cut into
// random chunks: every byte is reported exactly once, in order, and the
// undamaged frames decode (a damaged one may, rarely, pass for a frame and
// hide the next).
TEST(FrameDecoder, RandomDamagedStreamsLoseNoByte) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 200; ++round) {
        Bytes stream;
        int intact = 0;
        for (int i = 0; i < 20; ++i) {
            Bytes frame;
            std::vector<std::int32_t> inputs(random() % 6);
            for (auto& input : inputs) {
                input = static_cast<std::int32_t>(random() % 256);
            }
            composeCycle(frame, static_cast<std::int32_t>(random() % 256), inputs,
                         static_cast<std::int32_t>(random() % 65536));
            switch (random() % 4) {
                case 0:
                    frame[1 + random() % (frame.size() - 1)] ^= 0x20;
                    break;
                case 1:
                    stream.push_back(static_cast<std::uint8_t>(random() % 0xEB));
                    break;
                default:
                    ++intact;
                    break;
            }
            stream.insert(stream.end(), frame.begin(), frame.end());
        }
        const auto whole = decodeAll(stream);
        Bytes joined;
        int good = 0;
        for (const auto& frame : whole) {
            joined.insert(joined.end(), frame.raw.begin(), frame.raw.end());
            good += frame.ok() ? 1 : 0;
        }
        ASSERT_EQ(joined, stream) << "round " << round;
        EXPECT_GE(good, intact - 2) << "round " << round;
        const std::size_t chunk = 1 + random() % 13;
        EXPECT_EQ(summary(decodeAll(stream, chunk)), summary(whole)) << "round " << round;
    }
}

}  // namespace
}  // namespace mc
