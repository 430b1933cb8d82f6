#include <gtest/gtest.h>

#include <thread>

#include "PtyPeer.h"
#include "winport/Clock.h"
#include "winport/SerialPort.h"
#include "winport/SerialTermios.h"

namespace {

using winport::SerialLineSettings;
using winport::SerialParity;
using winport::SerialPort;
using winport::SerialStatus;
using winport::SerialStopBits;

class SerialPortTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(peer_.ok());
        ASSERT_EQ(port_.Open(peer_.path()), SerialStatus::Ok);
        ASSERT_EQ(port_.SetLineSettings(SerialLineSettings{}), SerialStatus::Ok);
    }
    zrtest::PtyPeer peer_;
    SerialPort port_;
};

TEST_F(SerialPortTest, BytesPassUnchangedBothWays) {
    std::string answer = "P:+0001\r\n\x03";
    peer_.Write(answer);
    ASSERT_EQ(port_.WaitReadable(5000), SerialStatus::Ok);
    std::string got;
    ASSERT_TRUE(zrtest::WaitFor([&] {
        size_t waiting = 0;
        if (port_.BytesWaiting(waiting) != SerialStatus::Ok || waiting == 0) return got == answer;
        char buf[64];
        size_t n = 0;
        EXPECT_EQ(port_.Read(buf, sizeof buf, n), SerialStatus::Ok);
        got.append(buf, n);
        return got == answer;
    }));

    size_t written = 0;
    EXPECT_EQ(port_.Write("\x01"
                          "0TP\r",
                          5, 1000, written),
              SerialStatus::Ok);
    EXPECT_EQ(written, 5u);
    EXPECT_EQ(peer_.ReadBytes(5), std::string("\x01"
                                              "0TP\r"));
}

TEST_F(SerialPortTest, ReadWithNothingThereReturnsAtOnce) {
    char buf[8];
    size_t n = 99;
    EXPECT_EQ(port_.Read(buf, sizeof buf, n), SerialStatus::Ok);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(port_.WaitReadable(30), SerialStatus::Timeout);
}

TEST_F(SerialPortTest, WakeEndsAWait) {
    uint32_t start = winport::TickCount();
    std::thread waker([&] {
        winport::SleepMs(50);
        port_.Wake();
    });
    EXPECT_EQ(port_.WaitReadable(20000), SerialStatus::Timeout);
    waker.join();
    EXPECT_LT(winport::TicksSince(start), 15000u);
}

TEST_F(SerialPortTest, SecondOpenerIsRefusedUntilTheFirstCloses) {
    SerialPort second;
    EXPECT_EQ(second.Open(peer_.path()), SerialStatus::Busy);
    port_.Close();
    EXPECT_EQ(second.Open(peer_.path()), SerialStatus::Ok);
}

TEST(SerialPortOpenTest, MissingDeviceIsNotFound) {
    SerialPort port;
    EXPECT_EQ(port.Open("/dev/zr-no-such-port"), SerialStatus::NotFound);
    EXPECT_FALSE(port.IsOpen());
}

TEST_F(SerialPortTest, PseudoTerminalHasNoModemLines) {
    EXPECT_EQ(port_.SetDtr(true), SerialStatus::Unsupported);
    EXPECT_EQ(port_.SetRts(true), SerialStatus::Unsupported);
    EXPECT_EQ(port_.Purge(), SerialStatus::Ok);
}

TEST_F(SerialPortTest, PurgeInputDropsReceivedBytesButKeepsWrittenOnes) {
    peer_.Write("stale\r\n\x03");
    ASSERT_EQ(port_.WaitReadable(5000), SerialStatus::Ok);
    size_t written = 0;
    ASSERT_EQ(port_.Write("\x01"
                          "0xx\r",
                          5, 1000, written),
              SerialStatus::Ok);
    ASSERT_EQ(port_.PurgeInput(), SerialStatus::Ok);

    size_t waiting = 99;
    EXPECT_EQ(port_.BytesWaiting(waiting), SerialStatus::Ok);
    EXPECT_EQ(waiting, 0u);
    EXPECT_EQ(peer_.ReadBytes(5), std::string("\x01"
                                              "0xx\r"))
        << "a line written before the clear is still delivered";
}

struct LineCase {
    int baud;
    int dataBits;
    SerialParity parity;
    SerialStopBits stop;
    bool rtscts;
    bool xonxoff;
};

TEST_F(SerialPortTest, LineSettingsReachTheTerminal) {
    const LineCase cases[] = {
        {250000, 8, SerialParity::None, SerialStopBits::One, false, false},
        {9600, 7, SerialParity::Even, SerialStopBits::Two, true, false},
        {57600, 5, SerialParity::Odd, SerialStopBits::OneAndHalf, false, true},
        {115200, 8, SerialParity::Mark, SerialStopBits::One, false, false},
        {38400, 6, SerialParity::Space, SerialStopBits::One, false, false},
    };
    for (const LineCase& c : cases) {
        SerialLineSettings wanted;
        wanted.baudRate = c.baud;
        wanted.dataBits = c.dataBits;
        wanted.parity = c.parity;
        wanted.stopBits = c.stop;
        wanted.rtsCtsFlow = c.rtscts;
        wanted.xonXoffFlow = c.xonxoff;
        ASSERT_EQ(port_.SetLineSettings(wanted), SerialStatus::Ok) << c.baud;

        // Seen from the test's own descriptor of the same terminal. A pseudo-terminal always
        // keeps 8 data bits without parity, so only the rest can be seen here.
        SerialLineSettings seen;
        ASSERT_EQ(winport::ReadTermiosLine(peer_.slave(), seen), 0);
        EXPECT_EQ(seen.baudRate, c.baud);
        EXPECT_EQ(seen.rtsCtsFlow, c.rtscts);
        EXPECT_EQ(seen.xonXoffFlow, c.xonxoff);

        termios t{};
        ASSERT_EQ(tcgetattr(peer_.slave(), &t), 0);
        EXPECT_EQ((t.c_cflag & CSTOPB) != 0, c.stop != SerialStopBits::One) << c.baud;
        EXPECT_EQ(t.c_cc[VSTART], 0x11);
        EXPECT_EQ(t.c_cc[VSTOP], 0x13);
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
        EXPECT_EQ(t.c_iflag & (ICRNL | INLCR | IGNCR), 0u);
        EXPECT_EQ(t.c_oflag & OPOST, 0u);
    }
    termios t{};
    SerialLineSettings standard;
    standard.baudRate = 9600;
    ASSERT_EQ(port_.SetLineSettings(standard), SerialStatus::Ok);
    ASSERT_EQ(tcgetattr(peer_.slave(), &t), 0);
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B9600));
}

TEST_F(SerialPortTest, HangUpIsVanishedNotTimeout) {
    EXPECT_EQ(port_.CheckPresent(), SerialStatus::Ok);
    peer_.HangUp();
    EXPECT_EQ(port_.CheckPresent(), SerialStatus::Vanished);
    EXPECT_EQ(port_.WaitReadable(5000), SerialStatus::Vanished);
    char buf[4];
    size_t n = 0;
    EXPECT_EQ(port_.Read(buf, sizeof buf, n), SerialStatus::Vanished);
    size_t written = 0;
    EXPECT_EQ(port_.Write("TP\r", 3, 1000, written), SerialStatus::Vanished);
    size_t waiting = 0;
    EXPECT_EQ(port_.BytesWaiting(waiting), SerialStatus::Vanished);
}

}  // namespace
