// The X-Y field's text read as it is typed: output and input numbers, the
// separators a hardware panel's operator uses, and what is no entry at all.

#include <gtest/gtest.h>

#include <string>

#include "control/QuickSwitch.h"

namespace mc::test {
namespace {

struct Typed {
    const char* text;
    bool valid;
    int output;  // 0: none
    int input;   // 0: none
};

class QuickSwitchText : public ::testing::TestWithParam<Typed> {};

TEST_P(QuickSwitchText, ReadsOutputThenInput) {
    const Typed& p = GetParam();
    const QuickSwitchEntry entry = parseQuickSwitch(p.text);
    EXPECT_EQ(entry.valid, p.valid) << p.text;
    if (!p.valid) return;
    EXPECT_EQ(entry.output.value_or(0), p.output) << p.text;
    EXPECT_EQ(entry.input.value_or(0), p.input) << p.text;
    EXPECT_EQ(entry.complete(), p.output != 0 && p.input != 0) << p.text;
}

INSTANTIATE_TEST_SUITE_P(Entries, QuickSwitchText,
                         ::testing::Values(Typed{"40 50", true, 40, 50},
                                           Typed{"40.50", true, 40, 50},
                                           Typed{" 40 . 50 ", true, 40, 50}, Typed{"", true, 0, 0},
                                           Typed{"40", true, 40, 0}, Typed{"40.", true, 40, 0},
                                           Typed{"40 50 60", false, 0, 0},
                                           Typed{"40..50", false, 0, 0}, Typed{"4a", false, 0, 0},
                                           Typed{".50", false, 0, 0}, Typed{"4 0", false, 0, 0},
                                           Typed{"12345 1", false, 0, 0}));

}  // namespace
}  // namespace mc::test
