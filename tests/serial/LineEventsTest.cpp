#include "serial/LineEvents.h"
#include "serial/SerialTypes.h"

#include <gtest/gtest.h>

namespace mc {
namespace {

LineSnapshot counts() {
    LineSnapshot s;
    s.haveCounts = true;
    s.frame = 3;
    s.parity = 5;
    s.overrun = 7;
    s.brk = 1;
    s.rng = 2;
    s.dcd = 4;
    return s;
}

struct EventCase {
    const char* what;
    void (*change)(LineSnapshot&);
    std::uint32_t errorFlags;
    std::uint32_t modemBits;
};

TEST(LineEventsBetween, CounterDifferencesGiveFlags) {
    const EventCase cases[] = {
        {"nothing", [](LineSnapshot&) {}, 0, 0},
        {"frame", [](LineSnapshot& s) { ++s.frame; }, CE_FRAME, 0},
        {"parity", [](LineSnapshot& s) { s.parity += 3; }, CE_RXPARITY, 0},
        {"overrun", [](LineSnapshot& s) { ++s.overrun; }, CE_OVERRUN, 0},
        {"break", [](LineSnapshot& s) { ++s.brk; }, CE_BREAK, 0},
        {"all errors",
         [](LineSnapshot& s) {
             ++s.frame;
             ++s.parity;
             ++s.overrun;
             ++s.brk;
         },
         CE_FRAME | CE_RXPARITY | CE_OVERRUN | CE_BREAK, 0},
        {"carrier", [](LineSnapshot& s) { ++s.dcd; }, 0, 8},
        {"ring", [](LineSnapshot& s) { ++s.rng; }, 0, 4},
        {"carrier and ring",
         [](LineSnapshot& s) {
             ++s.dcd;
             ++s.rng;
         },
         0, 12},
        {"counter wrapped", [](LineSnapshot& s) { s.frame = 0; }, CE_FRAME, 0},
        {"frame and carrier",
         [](LineSnapshot& s) {
             ++s.frame;
             ++s.dcd;
         },
         CE_FRAME, 8},
    };
    for (const EventCase& c : cases) {
        LineSnapshot after = counts();
        c.change(after);
        const LineEvents events = lineEventsBetween(counts(), after);
        EXPECT_EQ(events.errorFlags, c.errorFlags) << c.what;
        EXPECT_EQ(events.modemBits, c.modemBits) << c.what;
    }
}

TEST(LineEventsBetween, LineStatesGiveModemBits) {
    LineSnapshot before;
    before.haveLines = true;
    LineSnapshot after = before;
    after.carrier = true;
    EXPECT_EQ(lineEventsBetween(before, after).modemBits, 8u);
    EXPECT_EQ(lineEventsBetween(after, before).modemBits, 8u);  // carrier lost
    after = before;
    after.ring = true;
    EXPECT_EQ(lineEventsBetween(before, after).modemBits, 4u);
    EXPECT_EQ(lineEventsBetween(after, before).modemBits, 0u);  // ring ends: no event
}

TEST(LineEventsBetween, AbsentPartsCompareUnchanged) {
    LineSnapshot none;
    LineSnapshot changed = counts();
    changed.haveLines = true;
    changed.carrier = true;
    EXPECT_EQ(lineEventsBetween(none, changed).errorFlags, 0u);
    EXPECT_EQ(lineEventsBetween(none, changed).modemBits, 0u);
    EXPECT_EQ(lineEventsBetween(changed, none).modemBits, 0u);
}

}  // namespace
}  // namespace mc
