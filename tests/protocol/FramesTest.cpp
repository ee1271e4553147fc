// Known-good frames, built through the crosspoint cell's builders.

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "FrameTestUtil.h"
#include "protocol/Frames.h"
#include "protocol/QXRClass.h"

namespace mc {
namespace {

using test::Bytes;
using test::hexBytes;
using test::hexText;

struct KnownFrame {
    std::string name;
    std::function<void(TQXRClass&, CommandQueue&)> build;
    std::string expected;
};

std::vector<KnownFrame> knownFrames() {
    using Cell = TQXRClass;
    using Q = CommandQueue;
    return {
        {"switch out0 in2", [](Cell& c, Q& q) { c.SendSwitch(q, 0x52, 2, 0); },
         "EB 52 02 02 00 02 58"},
        {"switch summing to EB", [](Cell& c, Q& q) { c.SendSwitch(q, 0x52, 0x55, 0x40); },
         "EB 52 02 02 40 55 14"},
        {"on", [](Cell& c, Q& q) { c.SendOnOff(q, 0x52, true); }, "EB 52 00 01 FF 52"},
        {"off", [](Cell& c, Q& q) { c.SendOnOff(q, 0x52, false); }, "EB 52 00 01 00 53"},
        {"on to address EB", [](Cell& c, Q& q) { c.SendOnOff(q, 0xEB, true); },
         "EB EB 00 01 FF 14"},
        {"close out3", [](Cell& c, Q& q) { c.SendCloseOutput(q, 0x52, 3); }, "EB 52 08 01 03 5E"},
        {"set address 10", [](Cell& c, Q& q) { c.SendAddress(q, 0x52, 0x10); },
         "EB 52 14 01 10 77"},
        {"layer 1", [](Cell& c, Q& q) { c.SendLayer(q, 0x52, 1); }, "EB 52 16 01 01 6A"},
        {"layer 2", [](Cell& c, Q& q) { c.SendLayer(q, 0x52, 2); }, "EB 52 16 01 02 6B"},
        {"layer 3", [](Cell& c, Q& q) { c.SendLayer(q, 0x52, 3); }, "EB 52 16 01 03 6C"},
        {"layer 5 sent as 1", [](Cell& c, Q& q) { c.SendLayer(q, 0x52, 5); }, "EB 52 16 01 01 6A"},
        {"layer -1 sent as 1", [](Cell& c, Q& q) { c.SendLayer(q, 0x52, -1); },
         "EB 52 16 01 01 6A"},
        {"layer 0 passes", [](Cell& c, Q& q) { c.SendLayer(q, 0x52, 0); }, "EB 52 16 01 00 69"},
        {"layer 256 sent as 1", [](Cell& c, Q& q) { c.SendLayer(q, 0x52, 256); },
         "EB 52 16 01 01 6A"},
        {"cycle 1 s inputs 0 1 2",
         [](Cell& c, Q& q) {
             c.SendCycle(q, 0x52, {0, 1, 2}, 3, 1);
         },
         "EB 52 09 05 00 01 00 01 02 64"},
        {"cycle 100 s inputs 0 5",
         [](Cell& c, Q& q) {
             c.SendCycle(q, 0x52, {0, 5}, 2, 100);
         },
         "EB 52 09 04 00 64 00 05 C8"},
        {"cycle 300 s, input 256 as 00",
         [](Cell& c, Q& q) {
             c.SendCycle(q, 0x52, {256, 1}, 2, 300);
         },
         "EB 52 09 04 01 2C 00 01 8D"},
        {"cycle time keeps low 16 bits",
         [](Cell& c, Q& q) {
             c.SendCycle(q, 0x52, {0, 1}, 2, 0x1012C);
         },
         "EB 52 09 04 01 2C 00 01 8D"},
        {"cycle sends only Count inputs",
         [](Cell& c, Q& q) {
             c.SendCycle(q, 0x52, {0, 5, 7}, 2, 100);
         },
         "EB 52 09 04 00 64 00 05 C8"},
        {"address keeps low 8 bits", [](Cell& c, Q& q) { c.SendSwitch(q, 0x152, 2, 0); },
         "EB 52 02 02 00 02 58"},
        {"output and input keep low 8 bits",
         [](Cell& c, Q& q) { c.SendSwitch(q, 0x52, 0x102, 0x300); }, "EB 52 02 02 00 02 58"},
        {"EB as data byte is not escaped", [](Cell& c, Q& q) { c.SendCloseOutput(q, 0x52, 0xEB); },
         "EB 52 08 01 EB 46"},
    };
}

void PrintTo(const KnownFrame& known, std::ostream* out) {
    *out << known.name;
}

class KnownFrames : public ::testing::TestWithParam<KnownFrame> {};

TEST_P(KnownFrames, BuilderQueuesExactlyTheFrame) {
    const KnownFrame& known = GetParam();
    TQXRClass cell;
    CommandQueue queue;
    known.build(cell, queue);

    const Bytes expected = hexBytes(known.expected);
    ASSERT_EQ(queue.count(), 1u);
    auto record = queue.take();
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(hexText(record->Data), known.expected);
    EXPECT_EQ(record->DataLength, static_cast<std::int32_t>(expected.size()));
    EXPECT_EQ(cell.FrameData, expected);
    EXPECT_EQ(cell.FrameLength, static_cast<std::int32_t>(expected.size()));
}

INSTANTIATE_TEST_SUITE_P(Catalogue, KnownFrames, ::testing::ValuesIn(knownFrames()),
                         [](const auto& info) {
                             std::string name;
                             for (char ch : info.param.name) {
                                 name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                             }
                             return name;
                         });

TEST(Frames, ChecksumReplacesOnlyASumOfEB) {
    EXPECT_EQ(frameSum(hexBytes("52 02 02 40 55")), 0xEB);
    EXPECT_EQ(frameChecksum(hexBytes("52 02 02 40 55")), 0x14);
    // A true sum of 0x14 stays 0x14; the sum wraps modulo 256.
    EXPECT_EQ(frameChecksum(hexBytes("10 04")), 0x14);
    EXPECT_EQ(frameChecksum(hexBytes("FF FF 03")), 0x01);
    EXPECT_EQ(frameChecksum({}), 0x00);
}

TEST(Frames, ComposeReusesTheBufferAndFillsEveryByte) {
    std::vector<std::uint8_t> out(20, 0xAA);
    composeSwitch(out, 0x52, 2, 0);
    EXPECT_EQ(hexText(out), "EB 52 02 02 00 02 58");
    composeCycle(out, 0x52, std::vector<std::int32_t>{0, 1, 2}, 1);
    EXPECT_EQ(hexText(out), "EB 52 09 05 00 01 00 01 02 64");
    composeOnOff(out, 0x52, true);
    EXPECT_EQ(hexText(out), "EB 52 00 01 FF 52");
}

TEST(Frames, GenericComposeMatchesTheNamedOnes) {
    std::vector<std::uint8_t> generic;
    std::vector<std::uint8_t> named;
    composeFrame(generic, 0x52, 0x08, hexBytes("03"));
    composeClose(named, 0x52, 3);
    EXPECT_EQ(generic, named);
    // The length byte is the data size modulo 256.
    composeFrame(generic, 0x01, 0x09, std::vector<std::uint8_t>(257, 0));
    EXPECT_EQ(generic.size(), 262u);
    EXPECT_EQ(generic[3], 0x01);
}

TEST(Frames, CommandCatalogue) {
    for (int command = 0; command < 256; ++command) {
        const bool known = command == 0x00 || command == 0x02 || command == 0x08 ||
                           command == 0x09 || command == 0x14 || command == 0x16;
        EXPECT_EQ(isKnownCommand(static_cast<std::uint8_t>(command)), known) << command;
    }
    EXPECT_EQ(fixedDataLength(FrameCommand::Switch), 2u);
    EXPECT_EQ(fixedDataLength(FrameCommand::Layer), 1u);
    EXPECT_EQ(fixedDataLength(FrameCommand::Cycle), std::nullopt);
}

TEST(Frames, CycleCountOutsideTheListIsClamped) {
    TQXRClass cell;
    CommandQueue queue;
    cell.SendCycle(queue, 0x52, {0, 5}, 9, 100);  // more than the list holds
    cell.SendCycle(queue, 0x52, {0, 5}, -3, 1);   // negative
    EXPECT_EQ(hexText(queue.take()->Data), "EB 52 09 04 00 64 00 05 C8");
    EXPECT_EQ(hexText(queue.take()->Data), "EB 52 09 02 00 01 5E");
}

}  // namespace
}  // namespace mc
