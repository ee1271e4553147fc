// The simulated switcher's device logic: interpreting frames, the device
// state, the gap and flag rules, the output formats and the command line.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "FrameMonitor.h"
#include "FrameReport.h"
#include "FrameTestUtil.h"
#include "SimOptions.h"
#include "SwitcherState.h"
#include "protocol/QXRClass.h"

namespace mc::sim {
namespace {

using namespace std::chrono_literals;
using test::hexBytes;

FrameMonitor::TimePoint at(std::chrono::milliseconds ms) {
    return FrameMonitor::TimePoint(ms);
}

// Feeds frames (hex text) at the given times; returns all reports.
std::vector<FrameReport> receiveAll(FrameMonitor& monitor,
                                    const std::vector<std::pair<int, std::string>>& timedFrames) {
    std::vector<FrameReport> out;
    for (const auto& [ms, text] : timedFrames) {
        auto reports = monitor.receive(hexBytes(text), at(std::chrono::milliseconds(ms)));
        out.insert(out.end(), reports.begin(), reports.end());
    }
    return out;
}

TEST(SwitcherState, StartUpWithCustomAddressThenSwitching) {
    // What the program sends at start-up for address 0x52 with custom address
    // 0x10, then a few switches; built with the program's own builders.
    CommandQueue queue;
    TQXRClass cell;
    cell.SendOnOff(queue, 0x52, true);
    cell.SendOnOff(queue, 0x10, true);
    cell.SendAddress(queue, 0x52, 0x10);
    cell.SendLayer(queue, 0x10, 3);
    cell.SendSwitch(queue, 0x10, 4, 2);
    cell.SendCloseOutput(queue, 0x10, 1);
    cell.SendCycle(queue, 0x10, {0, 1, 2}, 3, 5);
    cell.SendSwitch(queue, 0x52, 7, 7);  // old address: not for this device any more

    FrameMonitor monitor(0x52, 205, 2);
    std::vector<bool> other;
    for (int i = 0; auto record = queue.take(); ++i) {
        for (const auto& report : monitor.receive(record->Data, at(i * 205ms))) {
            other.push_back(report.otherAddress);
            EXPECT_FALSE(report.tooClose);
        }
    }
    EXPECT_EQ(other, (std::vector<bool>{false, true, false, false, false, false, false, true}));
    const SwitcherState& state = monitor.state();
    EXPECT_EQ(state.address(), 0x10);
    EXPECT_EQ(state.power(0x52), true);
    EXPECT_EQ(state.power(0x10), true);
    EXPECT_EQ(state.power(0x11), std::nullopt);
    EXPECT_EQ(state.layer(), 3);
    EXPECT_EQ(state.outputs().at(2), 4);
    EXPECT_EQ(state.outputs().at(1), std::nullopt);
    EXPECT_EQ(state.outputs().at(0), 0);  // the cycle starts at its first input
    EXPECT_EQ(state.outputs().count(7), 0u);
    EXPECT_EQ(state.cycleInputs(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(state.cycleSeconds(), 5);
    EXPECT_EQ(state.frames(), 8);
    EXPECT_EQ(state.otherAddress(), 2);
}

TEST(SwitcherState, SwitchingTheFirstOutputEndsItsCycle) {
    SwitcherState state(0x52);
    FrameMeaning cycle;
    cycle.kind = FrameKind::Cycle;
    cycle.address = 0x52;
    cycle.cycleInputs = {1, 3};
    cycle.cycleSeconds = 10;
    state.apply(cycle);
    FrameMeaning other;
    other.kind = FrameKind::Switch;
    other.address = 0x52;
    other.output = 1;
    other.input = 2;
    state.apply(other);
    EXPECT_EQ(state.cycleInputs().size(), 2u);  // another output: the cycle goes on
    FrameMeaning close;
    close.kind = FrameKind::Close;
    close.address = 0x52;
    close.output = 0;
    state.apply(close);
    EXPECT_TRUE(state.cycleInputs().empty());
    EXPECT_EQ(state.outputs().at(0), std::nullopt);
}

TEST(FrameMonitor, FlagsFramesCloserThanTheGapButNotStrayBytes) {
    FrameMonitor monitor(0x52, 205, 2);
    const auto reports = receiveAll(monitor, {{0, "EB 52 08 01 03 5E"},
                                              {204, "EB 52 08 01 03 5E"},  // within tolerance
                                              {406, "EB 52 08 01 03 5E"},  // 202 ms: too close
                                              {410, "00"},                 // garbage
                                              {420, "EB 52 08 01 03 5E EB 52 08 01 03 5E"}});
    ASSERT_EQ(reports.size(), 6u);
    EXPECT_FALSE(reports[0].gapMs.has_value());
    EXPECT_DOUBLE_EQ(*reports[1].gapMs, 204.0);
    std::vector<bool> tooClose;
    for (const auto& report : reports) {
        tooClose.push_back(report.tooClose);
    }
    // The garbage is not flagged, and the frame after it is measured from it
    // but compared only with frames: 14 ms after the garbage is not TOO-CLOSE.
    EXPECT_EQ(tooClose, (std::vector<bool>{false, false, true, false, false, true}));
}

TEST(FrameMonitor, RepliesOnlyToWellFormedFramesForItsAddress) {
    FrameMonitor monitor(0x52, 205, 2);
    const auto reports = receiveAll(
        monitor,
        {{0, "EB 52 08 01 03 5E"}, {300, "EB 53 08 01 03 5F"}, {600, "EB 52 08 01 03 5F"}});
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_TRUE(FrameMonitor::wantsReply(reports[0]));
    EXPECT_FALSE(FrameMonitor::wantsReply(reports[1]));  // other address
    EXPECT_FALSE(FrameMonitor::wantsReply(reports[2]));  // bad checksum
    EXPECT_EQ(monitor.state().malformed(), 1);
}

TEST(FrameMonitor, IncompleteFrameIsReportedAtFlush) {
    FrameMonitor monitor(0x52, 205, 2);
    EXPECT_TRUE(monitor.receive(hexBytes("EB 52 02"), at(0ms)).empty());
    EXPECT_TRUE(monitor.pending());
    const auto reports = monitor.flush(at(300ms));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].meaning.kind, FrameKind::Malformed);
    EXPECT_EQ(humanLine(reports[0]).substr(0, 12), "       first");
}

struct LineCase {
    std::string bytes;
    std::string human;  // after the gap column
    std::string json;   // after "gap_ms":null,
};

TEST(FrameReport, HumanAndJsonLines) {
    const std::vector<LineCase> cases = {
        {"EB 52 02 02 04 02 5C", "EB 52 02 02 04 02 5C  output 5 ← input 3",
         R"("bytes":"EB 52 02 02 04 02 5C","kind":"switch","address":82,"output":4,"input":2,)"
         R"("meaning":"output 5 ← input 3","flags":[]})"},
        {"EB 52 08 01 01 5C", "EB 52 08 01 01 5C  output 2 closed",
         R"("bytes":"EB 52 08 01 01 5C","kind":"close","address":82,"output":1,)"
         R"("meaning":"output 2 closed","flags":[]})"},
        {"EB 52 09 05 00 05 00 01 02 68",
         "EB 52 09 05 00 05 00 01 02 68  cycle output 1: inputs 1,2,3 every 5 s",
         R"("bytes":"EB 52 09 05 00 05 00 01 02 68","kind":"cycle","address":82,)"
         R"("interval_s":5,"inputs":[0,1,2],"meaning":"cycle output 1: inputs 1,2,3 every 5 s",)"
         R"("flags":[]})"},
        {"EB 52 16 01 02 6B", "EB 52 16 01 02 6B  layer: audio",
         R"("bytes":"EB 52 16 01 02 6B","kind":"layer","address":82,"layer":2,)"
         R"("meaning":"layer: audio","flags":[]})"},
        {"EB 52 00 01 00 53", "EB 52 00 01 00 53  power off",
         R"("bytes":"EB 52 00 01 00 53","kind":"on-off","address":82,"on":false,)"
         R"("meaning":"power off","flags":[]})"},
        {"EB 11 00 01 FF 11", "EB 11 00 01 FF 11  power on  OTHER-ADDRESS (0x11)",
         R"("bytes":"EB 11 00 01 FF 11","kind":"on-off","address":17,"on":true,)"
         R"("meaning":"power on","flags":["OTHER-ADDRESS"]})"},
        {"EB 52 14 01 10 77", "EB 52 14 01 10 77  set address: 0x52 → 0x10",
         R"("bytes":"EB 52 14 01 10 77","kind":"set-address","address":82,"new_address":16,)"
         R"("meaning":"set address: 0x52 → 0x10","flags":[]})"},
        {"EB 52 05 00 57", "EB 52 05 00 57  MALFORMED (unknown command 05)",
         R"("bytes":"EB 52 05 00 57","kind":"unknown","address":82,"fault":"unknown command",)"
         R"("error":"unknown command 05","meaning":"unknown command 05","flags":["MALFORMED"]})"},
    };
    for (const auto& c : cases) {
        FrameMonitor monitor(0x52, 205, 2);
        const auto reports = monitor.receive(hexBytes(c.bytes), at(0ms));
        ASSERT_EQ(reports.size(), 1u) << c.bytes;
        EXPECT_EQ(humanLine(reports[0]), "       first  " + c.human);
        EXPECT_EQ(jsonLine(reports[0]), R"({"gap_ms":null,)" + c.json);
    }
}

TEST(FrameReport, DumpsTheState) {
    FrameMonitor monitor(0x52, 205, 2);
    receiveAll(monitor, {{0, "EB 52 00 01 FF 52"},
                         {205, "EB 52 16 01 01 6A"},
                         {410, "EB 52 02 02 04 02 5C"},
                         {615, "EB 52 08 01 01 5C"}});
    EXPECT_EQ(humanDump(monitor.state()),
              "state: address 0x52, power on, layer video\n"
              "  power 0x52: on\n"
              "  output 2: closed\n"
              "  output 5: input 3\n"
              "  frames: 4, malformed 0, for other addresses 0\n");
    EXPECT_EQ(jsonDump(monitor.state()),
              R"({"dump":{"address":82,"power":[{"address":82,"on":true}],)"
              R"("outputs":[{"output":1,"input":null},{"output":4,"input":2}],)"
              R"("cycle":{"interval_s":0,"inputs":[]},"layer":1,"frames":4,"malformed":0,)"
              R"("other_address":0}})");
}

TEST(SimOptions, ParsesTheCommandLine) {
    const auto parsed = parseOptions({"--address", "0x10", "--reply=EB 52 00", "--json",
                                      "--path-file", "/tmp/p", "--link", "/tmp/l", "--dump-on-exit",
                                      "--tolerance", "0.5", "--idle-flush=50"});
    ASSERT_EQ(parsed.error, "");
    const SimOptions& o = parsed.options;
    EXPECT_EQ(o.address, 0x10);
    EXPECT_EQ(o.reply, hexBytes("EB 52 00"));
    EXPECT_TRUE(o.json);
    EXPECT_EQ(o.pathFile, "/tmp/p");
    EXPECT_EQ(o.link, "/tmp/l");
    EXPECT_TRUE(o.dumpOnExit);
    EXPECT_DOUBLE_EQ(o.toleranceMs, 0.5);
    EXPECT_EQ(o.idleFlushMs, 50);
    EXPECT_EQ(parseOptions({"--address", "82"}).options.address, 0x52);
    EXPECT_EQ(parseOptions({}).options.address, 0x52);

    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--address", "256"},
                                                {"--address"},
                                                {"--reply", "EB5"},
                                                {"--reply", "xyz"},
                                                {"--link"},
                                                {"--idle-flush", "0"},
                                                {"--frobnicate"}}) {
        EXPECT_NE(parseOptions(bad).error, "") << bad[0];
    }
    EXPECT_EQ(parseHexBytes("eb,52:00"), hexBytes("EB 52 00"));
}

}  // namespace
}  // namespace mc::sim
