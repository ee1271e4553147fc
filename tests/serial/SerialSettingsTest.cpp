// The line settings TComm applies, read back through the test's own
// descriptor of the port.

#include "PtyTestUtil.h"
#include "SpeedProbe.h"
#include "serial/LineSettings.h"
#include "serial/SerialComm.h"

#include <termios.h>

#include <gtest/gtest.h>

namespace mc {
namespace {

using test::probeOutputSpeed;
using test::probeSetSpeed;
using test::PtyCommTest;

termios settingsOf(int fd) {
    termios tio{};
    EXPECT_EQ(::tcgetattr(fd, &tio), 0);
    return tio;
}

// Raw in both directions: nothing translated, nothing inserted.
void expectRaw(const termios& tio) {
    EXPECT_EQ(tio.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | IXANY | INPCK | PARMRK | BRKINT), 0u);
    EXPECT_NE(tio.c_iflag & IGNBRK, 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ECHOE | ECHOK | ECHONL | ISIG | IEXTEN), 0u);
    EXPECT_EQ(tio.c_cflag & (CREAD | CLOCAL), tcflag_t{CREAD | CLOCAL});
    EXPECT_EQ(tio.c_cc[VMIN], 1);
    EXPECT_EQ(tio.c_cc[VTIME], 0);
}

TEST_F(PtyCommTest, DefaultSettingsAreRaw8N1WithXonXoffAtEachSpeed) {
    for (const std::uint32_t baud : {9600u, 19200u, 56000u, 57600u, 115200u}) {
        comm.setBaudRate(baud);
        comm.OpenPort();
        const termios tio = settingsOf(pty.slave());
        expectRaw(tio);
        EXPECT_EQ(tio.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), tcflag_t{CS8}) << baud;
        EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), tcflag_t{IXON | IXOFF});
        EXPECT_EQ(tio.c_cc[VSTART], 0x11);
        EXPECT_EQ(tio.c_cc[VSTOP], 0x13);
        EXPECT_EQ(probeOutputSpeed(pty.slave()), baud);
        comm.ClosePort();
    }
}

struct FramingCase {
    TByteSize size;
    TParity parity;
    TStopBits stop;
    bool xonXoffOut;
    bool xonXoffIn;
    bool cts;
    tcflag_t cflags;
    tcflag_t iflags;
};

const FramingCase kFramingCases[] = {
    {TByteSize::_7, TParity::Even, TStopBits::_2, false, false, false, CS7 | PARENB | CSTOPB, 0},
    {TByteSize::_8, TParity::Odd, TStopBits::_1_5, true, false, false,
     CS8 | PARENB | PARODD | CSTOPB, IXON},
    {TByteSize::_5, TParity::Mark, TStopBits::_1, false, true, true,
     CS5 | PARENB | PARODD | CMSPAR | CRTSCTS, IXOFF},
    {TByteSize::_6, TParity::Space, TStopBits::_1, true, true, false, CS6 | PARENB | CMSPAR,
     IXON | IXOFF},
    {TByteSize::_8, TParity::None, TStopBits::_1, true, true, false, CS8, IXON | IXOFF},
};

constexpr tcflag_t kFramingMask = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;

LineConfig configFor(const FramingCase& c) {
    LineConfig config;
    config.ByteSize = c.size;
    config.Parity = c.parity;
    config.StopBits = c.stop;
    config.Outx_XonXoffFlow = c.xonXoffOut;
    config.Inx_XonXoffFlow = c.xonXoffIn;
    config.Outx_CtsFlow = c.cts;
    return config;
}

TEST(MakeLineTermios, SetsEveryFlagWhateverThePortHadBefore) {
    for (const FramingCase& c : kFramingCases) {
        termios tio{};
        tio.c_iflag = tio.c_oflag = tio.c_lflag = tio.c_cflag = ~tcflag_t{0};  // all set
        const LineConfig config = configFor(c);
        makeLineTermios(tio, config);
        expectRaw(tio);
        EXPECT_EQ(tio.c_cflag & kFramingMask, c.cflags);
        EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), c.iflags);
        EXPECT_TRUE(termiosMatches(tio, config));
        termios other = tio;
        other.c_iflag ^= IXON;
        EXPECT_FALSE(termiosMatches(other, config));
    }
}

// A pseudo-terminal always reads back CS8 without PARENB; the other framing
// and flow bits reach it.
TEST_F(PtyCommTest, FramingAndFlowPropertiesReachTheTerminal) {
    const tcflag_t ptyMask = kFramingMask & ~(CSIZE | PARENB);
    for (const FramingCase& c : kFramingCases) {
        comm.setByteSize(c.size);
        comm.setParity(c.parity);
        comm.setStopBits(c.stop);
        comm.setOutx_XonXoffFlow(c.xonXoffOut);
        comm.setInx_XonXoffFlow(c.xonXoffIn);
        comm.setOutx_CtsFlow(c.cts);
        comm.setXonChar(0x21);
        comm.setXoffChar(0x23);
        comm.OpenPort();
        const termios tio = settingsOf(pty.slave());
        expectRaw(tio);
        EXPECT_EQ(tio.c_cflag & ptyMask, c.cflags & ptyMask);
        EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), c.iflags);
        EXPECT_EQ(tio.c_cc[VSTART], 0x21);
        EXPECT_EQ(tio.c_cc[VSTOP], 0x23);
        comm.ClosePort();
    }
}

TEST_F(PtyCommTest, ClosePortGivesThePreviousSettingsBack) {
    const termios before = settingsOf(pty.slave());
    const std::uint32_t speedBefore = probeOutputSpeed(pty.slave());
    comm.setBaudRate(56000);
    comm.OpenPort();
    ASSERT_NE(settingsOf(pty.slave()).c_lflag, before.c_lflag);
    comm.ClosePort();
    const termios after = settingsOf(pty.slave());
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_oflag, before.c_oflag);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    EXPECT_EQ(probeOutputSpeed(pty.slave()), speedBefore);
}

TEST_F(PtyCommTest, BaudRateSetterReappliesOnlyNewValuesOnAnOpenPort) {
    comm.OpenPort();
    // Change the port behind the component's back.
    ASSERT_TRUE(probeSetSpeed(pty.slave(), 19200));
    termios changed = settingsOf(pty.slave());
    changed.c_iflag &= ~IXON;
    ASSERT_EQ(::tcsetattr(pty.slave(), TCSANOW, &changed), 0);
    ASSERT_TRUE(probeSetSpeed(pty.slave(), 19200));

    comm.setBaudRate(9600);  // unchanged: nothing is applied
    EXPECT_EQ(probeOutputSpeed(pty.slave()), 19200u);
    EXPECT_EQ(settingsOf(pty.slave()).c_iflag & IXON, 0u);

    comm.setBaudRate(57600);  // new: the whole configuration again, at once
    EXPECT_EQ(probeOutputSpeed(pty.slave()), 57600u);
    EXPECT_NE(settingsOf(pty.slave()).c_iflag & IXON, 0u);
    EXPECT_EQ(comm.BaudRate(), 57600u);
}

TEST_F(PtyCommTest, BaudRateOnAClosedPortIsOnlyStored) {
    const std::uint32_t speedBefore = probeOutputSpeed(pty.slave());
    ASSERT_NE(speedBefore, 115200u);
    comm.setBaudRate(115200);
    EXPECT_EQ(comm.BaudRate(), 115200u);
    EXPECT_EQ(probeOutputSpeed(pty.slave()), speedBefore);
    comm.OpenPort();
    EXPECT_EQ(probeOutputSpeed(pty.slave()), 115200u);
}

TEST_F(PtyCommTest, ParityIsStoredForTheNextApplication) {
    comm.OpenPort();
    comm.setParity(TParity::Mark);
    EXPECT_EQ(comm.Parity(), TParity::Mark);
    EXPECT_EQ(settingsOf(pty.slave()).c_cflag & (PARODD | CMSPAR), 0u);
    comm.setStopBits(TStopBits::_2);  // applies the line settings, parity included
    EXPECT_EQ(settingsOf(pty.slave()).c_cflag & (PARODD | CMSPAR | CSTOPB),
              tcflag_t{PARODD | CMSPAR | CSTOPB});
}

}  // namespace
}  // namespace mc
