#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "ZR_Corvane_TAL.h"
#include "motion/base/LogCapture.h"
#include "motion/base/ZRLog.h"
#include "motion/comm/DeviceFunctions.h"
#include "motion/comm/InterfaceCollection.h"
#include "motion/comm/RS232.h"
#include "winport/Clock.h"
#include "winport/SerialPortList.h"
#include "winport/SerialTermios.h"
#include "winport/serial/PtyPeer.h"

namespace {

constexpr int kPort = 41;
const char kEtx[] = "\r\n\x03";

RS232Settings Settings(int port = kPort, int baud = 57600, const char* handshake = "none") {
    RS232Settings s;
    s.port = port;
    s.baudRate = baud;
    std::snprintf(s.handshake, sizeof s.handshake, "%s", handshake);
    return s;
}

// Answers every CR-terminated command line from the test's side of the terminal.
class Board {
  public:
    Board(zrtest::PtyPeer& peer, std::function<std::string(const std::string&)> answer)
        : peer_(peer), answer_(std::move(answer)), thread_([this] { Run(); }) {}
    ~Board() {
        stop_ = true;
        thread_.join();
    }
    std::string Received() {
        std::lock_guard<std::mutex> lock(mutex_);
        return received_;
    }

  private:
    void Run() {
        std::string pending;
        while (!stop_) {
            std::string got = peer_.ReadUntil([](const std::string& s) { return !s.empty(); }, 20);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                received_ += got;
            }
            pending += got;
            size_t cr;
            while ((cr = pending.find('\r')) != std::string::npos) {
                std::string reply = answer_(pending.substr(0, cr));
                pending.erase(0, cr + 1);
                if (!reply.empty()) peer_.Write(reply);
            }
        }
    }
    zrtest::PtyPeer& peer_;
    std::function<std::string(const std::string&)> answer_;
    std::mutex mutex_;
    std::string received_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class RS232Test : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(peer_.ok());
        setenv("WINPORT_COM41", peer_.path().c_str(), 1);
    }
    void TearDown() override { unsetenv("WINPORT_COM41"); }

    std::shared_ptr<C_RS232> Connect(const RS232Settings& settings) {
        auto port = C_RS232::CreateNewCRS232(settings, 0);
        if (port) {
            (void)port->SetTerminators("\r", kEtx);
            port->SetLongWait(5000);
        }
        return port;
    }
    zrtest::PtyPeer peer_;
};

TEST_F(RS232Test, QueryRoundTrip) {
    auto port = Connect(Settings());
    ASSERT_NE(port, nullptr);
    EXPECT_TRUE(port->IsConnected());
    EXPECT_EQ(port->DevicePath(), peer_.path());
    Board board(peer_, [](const std::string& cmd) {
        return cmd == "\x01"
                      "0TP"
                   ? std::string("P:+0000100\r\n\x03")
                   : std::string();
    });
    char answer[64];
    EXPECT_EQ(port->Query("\x01"
                          "0TP",
                          answer, sizeof answer),
              0);
    EXPECT_STREQ(answer, "P:+0000100\r\n\x03");
    EXPECT_EQ(board.Received(),
              "\x01"
              "0TP\r");
}

TEST_F(RS232Test, SplitAndCombinedReads) {
    auto port = Connect(Settings());
    ASSERT_NE(port, nullptr);
    port->SetStripTerminator(true);
    std::thread sender([&] {
        peer_.Write("A:1\r");
        winport::SleepMs(30);
        peer_.Write(
            "\n\x03"
            "B:2\r\n\x03"
            "C:3\r\n\x03");
    });
    char line[64];
    for (const char* expected : {"A:1", "B:2", "C:3"}) {
        EXPECT_EQ(port->ReceiveLine(line, sizeof line), 0);
        EXPECT_STREQ(line, expected);
    }
    sender.join();
}

TEST_F(RS232Test, NoAnswerTimesOut) {
    auto port = Connect(Settings());
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->SetLongWait(300), 5000u);
    EXPECT_EQ(port->GetTimeout(), 300u);
    uint32_t start = winport::TickCount();
    char answer[64];
    EXPECT_EQ(port->Query("TS", answer, sizeof answer), COM_TIMEOUT);
    uint32_t spent = winport::TicksSince(start);
    EXPECT_GE(spent, 290u);
    EXPECT_LT(spent, 5000u);
    EXPECT_EQ(peer_.ReadBytes(3), "TS\r");
}

TEST_F(RS232Test, PortOpenElsewhereIsRefused) {
    auto first = Connect(Settings());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(Connect(Settings()), nullptr);
    EXPECT_EQ(IFgetLastConnectError(), -52);
}

TEST_F(RS232Test, MissingPortsDoNotExist) {
    winport::SetSerialDiscoveryRoots("/nonexistent-dev", "/nonexistent-sys");
    setenv("WINPORT_COM42", "/dev/zr-missing-port", 1);
    EXPECT_EQ(Connect(Settings(42)), nullptr);
    EXPECT_EQ(IFgetLastConnectError(), COM_NO_DEVICE_WITH_ID);
    unsetenv("WINPORT_COM42");
    EXPECT_EQ(Connect(Settings(243)), nullptr);  // no device at all for COM243
    EXPECT_EQ(IFgetLastConnectError(), COM_NO_DEVICE_WITH_ID);
    winport::SetSerialDiscoveryRoots("", "");
    EXPECT_NE(Connect(Settings()), nullptr);
    EXPECT_EQ(IFgetLastConnectError(), 0);
}

TEST_F(RS232Test, OpenFailureIsReportedWithTheSystemText) {
    setenv("WINPORT_COM42", "/dev/zr-missing-port", 1);
    log4cpp::Category& lib = ZRLogger::FetchLibraryLogger();
    lib.setPriority(log4cpp::Priority::ERROR);
    std::vector<std::string> lines;
    {
        zrtest::QueueCapture capture(lib);
        EXPECT_EQ(Connect(Settings(42)), nullptr);
        lines = capture.Lines();
    }
    lib.setPriority(log4cpp::Priority::EMERG);
    unsetenv("WINPORT_COM42");
    EXPECT_EQ(lines,
              std::vector<std::string>{"ERROR Report_Error(): Error during open COM Port 42!\n" +
                                       std::string(std::strerror(ENOENT))});
}

TEST_F(RS232Test, ImpossibleFramingIsRefusedBeforeOpening) {
    struct Case {
        int dataBits, stopBits;
        bool ok;
    };
    const Case cases[] = {{8, 1, false}, {6, 1, false}, {5, 2, false},
                          {5, 1, true},  {8, 2, true},  {7, 0, true}};
    for (const Case& c : cases) {
        RS232Settings s = Settings();
        s.dataBits = c.dataBits;
        s.stopBits = c.stopBits;
        auto port = Connect(s);
        EXPECT_EQ(port != nullptr, c.ok) << c.dataBits << "/" << c.stopBits;
        EXPECT_EQ(IFgetLastConnectError(), c.ok ? 0 : COM_RS232_INVALID_DATA_BITS);
    }
    RS232Settings s = Settings(243);  // refused before the missing port is looked at
    s.stopBits = 1;
    EXPECT_EQ(Connect(s), nullptr);
    EXPECT_EQ(IFgetLastConnectError(), COM_RS232_INVALID_DATA_BITS);
}

TEST_F(RS232Test, LineSettingsAndHandshakes) {
    struct Case {
        int baud;
        const char* handshake;
        bool rtscts, xonxoff;
    };
    const Case cases[] = {{250000, "RTSCTS", true, false},
                          {9600, "rtscts", false, false},
                          {115200, "XONXOFF", false, true},
                          {57600, "DTRDSR", false, false},
                          {19200, "NONE", false, false}};
    for (const Case& c : cases) {
        auto port = Connect(Settings(kPort, c.baud, c.handshake));
        ASSERT_NE(port, nullptr) << c.handshake;
        winport::SerialLineSettings seen;
        ASSERT_EQ(winport::ReadTermiosLine(peer_.slave(), seen), 0);
        EXPECT_EQ(seen.baudRate, c.baud);
        EXPECT_EQ(seen.rtsCtsFlow, c.rtscts) << c.handshake;
        EXPECT_EQ(seen.xonXoffFlow, c.xonxoff) << c.handshake;
    }
}

TEST_F(RS232Test, HangUpClosesTheInterfaceThroughTheWatcher) {
    auto port = Connect(Settings());
    ASSERT_NE(port, nullptr);
    int id = CInterfaceCollection::Instance().AddInterface(port);
    ASSERT_EQ(CInterfaceCollection::Instance().Get(id), port);
    peer_.HangUp();
    ASSERT_TRUE(zrtest::WaitFor([&] { return !port->IsConnected(); }));
    EXPECT_EQ(CInterfaceCollection::Instance().Get(id), nullptr);
    EXPECT_EQ(port->GetID(), -1);
    char answer[16];
    EXPECT_NE(port->Query("TP", answer, sizeof answer), 0);
}

TEST_F(RS232Test, HangUpDuringAWaitEndsItEarly) {
    auto port = Connect(Settings());
    ASSERT_NE(port, nullptr);
    port->SetLongWait(20000);
    std::thread hangUp([&] {
        winport::SleepMs(50);
        peer_.HangUp();
    });
    uint32_t start = winport::TickCount();
    char answer[16];
    int code = port->Query("TP", answer, sizeof answer);
    hangUp.join();
    EXPECT_TRUE(code == REC_ERROR || code == COM_ERROR) << code;
    EXPECT_LT(winport::TicksSince(start), 15000u);
    ASSERT_TRUE(zrtest::WaitFor([&] { return !port->IsConnected(); }));
}

TEST_F(RS232Test, ClearBuffersDropsWhatWasReceived) {
    auto port = Connect(Settings());
    ASSERT_NE(port, nullptr);
    peer_.Write(
        "OLD\r\n\x03"
        "PART");
    ASSERT_TRUE(
        zrtest::WaitFor([&] { return port->ReadWithTimeout(10) || port->MessagesWaiting(); }));
    EXPECT_TRUE(port->ClearBuffers());
    EXPECT_EQ(port->MessagesWaiting(), 0u);
    peer_.Write("NEW\r\n\x03");
    char line[32];
    EXPECT_EQ(port->ReceiveLine(line, sizeof line), 0);
    EXPECT_STREQ(line, "NEW\r\n\x03");
}

TEST_F(RS232Test, SendCharAndNothingToSend) {
    auto port = Connect(Settings());
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->WriteChar('\x18'), 0);
    EXPECT_EQ(peer_.ReadBytes(1), "\x18");
    (void)port->SetTerminators("", kEtx);
    EXPECT_EQ(port->WriteString(""), SEND_ERROR);
}

TEST_F(RS232Test, InitAndTrafficAreLogged) {
    log4cpp::Category& lib = ZRLogger::FetchLibraryLogger();
    lib.setPriority(log4cpp::Priority::INFO);
    std::vector<std::string> lines;
    {
        zrtest::QueueCapture capture(lib);
        auto port = Connect(Settings(kPort, 9600, "RTSCTS"));
        ASSERT_NE(port, nullptr);
        peer_.Write("P:1\r\n\x03");
        (void)port->WriteString("TP");
        char answer[32];
        port->ReceiveLine(answer, sizeof answer);
        lines = capture.Lines();
    }
    lib.setPriority(log4cpp::Priority::EMERG);
    auto has = [&](const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    };
    EXPECT_TRUE(has("INFO C_RS232::Init(pFaceStr) port=41, baud=9600"));
    EXPECT_TRUE(has("INFO     hand_shake :RTSCTS"));
    EXPECT_TRUE(has("INFO     fOutxCtsFlow :1"));
    EXPECT_TRUE(has("INFO     fRtsControl :2"));
    EXPECT_TRUE(has("INFO     XonLim :100"));
    EXPECT_TRUE(has("INFO C_RS232NoThread::SendString(\"TP\")"));
    EXPECT_TRUE(
        has("INFO CInterface::ReceiveString():  message waiting in FIFO: \"P:1\r\n\x03\" 0 more"));
}

}  // namespace
