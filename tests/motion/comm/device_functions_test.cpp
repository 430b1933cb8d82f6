#include <gtest/gtest.h>
#include <stdlib.h>

#include <condition_variable>
#include <future>
#include <mutex>

#include "ZR_Corvane_TAL.h"
#include "motion/base/LogCapture.h"
#include "motion/base/ZRLogger.h"
#include "motion/comm/DeviceFunctions.h"
#include "motion/comm/InterfaceCollection.h"
#include "motion/comm/RS232.h"
#include "winport/serial/PtyPeer.h"

namespace {

const char kEtx[] = "\r\n\x03";

// An interface plugged into a pseudo-terminal as COM<n>.
struct Plugged {
    explicit Plugged(int n) : port(n) {
        setenv(("WINPORT_COM" + std::to_string(n)).c_str(), peer.path().c_str(), 1);
        RS232Settings s;
        s.port = n;
        id = connect_rs232(s);
    }
    ~Plugged() {
        IFcloseInterface(id);
        unsetenv(("WINPORT_COM" + std::to_string(port)).c_str());
    }
    zrtest::PtyPeer peer;
    int port;
    int id = -1;
};

std::vector<std::string> Capture(const std::function<void()>& action) {
    log4cpp::Category& lib = ZRLogger::FetchLibraryLogger();
    lib.setPriority(log4cpp::Priority::DEBUG);
    zrtest::QueueCapture capture(lib);
    action();
    lib.setPriority(log4cpp::Priority::EMERG);
    return capture.Lines();
}

TEST(DeviceFunctionsTest, ClosedIdsAreNeverReused) {
    Plugged a(51), b(52), c(53);
    ASSERT_GE(a.id, 0);
    EXPECT_EQ(b.id, a.id + 1);
    EXPECT_EQ(c.id, a.id + 2);
    IFcloseInterface(b.id);
    EXPECT_EQ(IFwriteDevice(b.id, "TP"), NOT_CONNECTED_ERROR);
    EXPECT_EQ(IFwriteDevice(a.id, "TP"), 0);
    EXPECT_EQ(IFwriteDevice(c.id, "TS"), 0);
    EXPECT_EQ(a.peer.ReadBytes(3), "TP\n");
    EXPECT_EQ(c.peer.ReadBytes(3), "TS\n");
    Plugged d(54);
    EXPECT_EQ(d.id, a.id + 3);
}

TEST(DeviceFunctionsTest, MissingPortGivesMinusOneAndTheReason) {
    setenv("WINPORT_COM55", "/dev/zr-missing", 1);
    RS232Settings s;
    s.port = 55;
    EXPECT_EQ(connect_rs232(s), -1);
    EXPECT_EQ(IFgetLastConnectError(), COM_NO_DEVICE_WITH_ID);
    unsetenv("WINPORT_COM55");
    Plugged ok(56);
    EXPECT_GE(ok.id, 0);
    EXPECT_EQ(IFgetLastConnectError(), 0);
}

TEST(DeviceFunctionsTest, EveryFunctionRefusesBadIds) {
    Plugged closed(57);
    IFcloseInterface(closed.id);
    for (int id : {-1, -100, 1 << 30, closed.id}) {
        char buf[16];
        int ms = 0;
        EXPECT_EQ(readDevice(id, "TP", buf, sizeof buf), NOT_CONNECTED_ERROR);
        EXPECT_EQ(IFreceiveString(id, buf, sizeof buf), NOT_CONNECTED_ERROR);
        EXPECT_EQ(IFwriteDevice(id, "TP"), NOT_CONNECTED_ERROR);
        EXPECT_EQ(IFsendChar(id, 'x'), NOT_CONNECTED_ERROR);
        EXPECT_EQ(IFclearComm(id), NOT_CONNECTED_ERROR);
        EXPECT_EQ(IFsetTimeout(id, 100), NOT_CONNECTED_ERROR);
        EXPECT_EQ(IFgetTimeout(id, &ms), NOT_CONNECTED_ERROR);
        EXPECT_EQ(IFsetTerminators(id, "\r", "\r"), NOT_CONNECTED_ERROR);
        EXPECT_EQ(IFsetStripTerminator(id, true), NOT_CONNECTED_ERROR);
        IFcloseInterface(id);  // nothing happens
    }
}

TEST(DeviceFunctionsTest, BadIdsAreLoggedFirst) {
    auto lines = Capture([] {
        EXPECT_EQ(IFsetTimeout(-1, 250), NOT_CONNECTED_ERROR);
        int ms;
        EXPECT_EQ(IFgetTimeout(-1, &ms), NOT_CONNECTED_ERROR);
    });
    EXPECT_EQ(lines,
              (std::vector<std::string>{"DEBUG LIBRARY: IFsetTimeout(-1, 250)",
                                        "ERROR LIBRARY: IFgetTimeout(-1) NOT_CONNECTED_ERROR"}));
}

TEST(DeviceFunctionsTest, QueryWithTerminatorsStripAndTimeout) {
    Plugged p(58);
    ASSERT_GE(p.id, 0);
    EXPECT_EQ(IFsetTerminators(p.id, "\r", kEtx), 0);
    EXPECT_EQ(IFsetStripTerminator(p.id, true), 0);
    EXPECT_EQ(IFsetStripTerminator(p.id, true), 1);
    EXPECT_EQ(IFsetTimeout(p.id, 3000), 0);
    int ms = 0;
    EXPECT_EQ(IFgetTimeout(p.id, &ms), 0);
    EXPECT_EQ(ms, 3000);
    EXPECT_EQ(IFgetTimeout(p.id, nullptr), ZR_INVALID_ARGUMENT);

    p.peer.Write(
        "V:1 \r\n\x03"
        "V:2\r\n\x03");
    char answer[32];
    EXPECT_EQ(readDevice(p.id,
                         "\x01"
                         "0VE",
                         answer, sizeof answer),
              -8);
    EXPECT_STREQ(answer, "V:1 ");
    EXPECT_EQ(IFreceiveString(p.id, answer, sizeof answer), 0);
    EXPECT_STREQ(answer, "V:2");
    EXPECT_EQ(p.peer.ReadBytes(4),
              "\x01"
              "0VE\r");
    EXPECT_EQ(IFsendChar(p.id, 0x03), 0);
    EXPECT_EQ(p.peer.ReadBytes(1), "\x03");

    (void)IFsetTimeout(p.id, 200);
    EXPECT_EQ(IFreceiveString(p.id, answer, sizeof answer), COM_TIMEOUT);
    p.peer.Write("X\r\n\x03");
    ASSERT_TRUE(zrtest::WaitFor([&] { return IFclearComm(p.id) == 0; }));
    EXPECT_EQ(IFreceiveString(p.id, answer, sizeof answer), COM_TIMEOUT);
}

TEST(DeviceFunctionsTest, VanishedDeviceAnswersNotConnected) {
    Plugged p(59);
    ASSERT_GE(p.id, 0);
    p.peer.HangUp();
    ASSERT_TRUE(zrtest::WaitFor([&] { return IFwriteDevice(p.id, "TP") == NOT_CONNECTED_ERROR; }));
    EXPECT_EQ(CInterfaceCollection::Instance().Get(p.id), nullptr);
}

// An interface whose close can be held half-way, as a close started by a device change.
class HeldClose : public CInterface {
  public:
    bool SendChar(char) override { return true; }
    bool IsConnected() const override { return !closed; }
    void CloseInterface() override {
        m_bClosing = true;
        {
            std::unique_lock<std::mutex> lock(mutex);
            entered = true;
            cv.notify_all();
            cv.wait(lock, [this] { return released; });
        }
        closed = true;
        m_bClosing = false;
        CloseInterfaceBase();
    }
    std::mutex mutex;
    std::condition_variable cv;
    bool entered = false, released = false;
    std::atomic<bool> closed{false};

  protected:
    int WriteBytes(std::string_view) override { return 0; }
};

TEST(DeviceFunctionsTest, CloseMeetingARunningCloseLeavesTheObjectToIt) {
    auto face = std::make_shared<HeldClose>();
    std::weak_ptr<HeldClose> watch = face;
    int id = CInterfaceCollection::Instance().AddInterface(face);
    auto running = std::async(std::launch::async, [raw = face.get()] { raw->CloseInterface(); });
    {
        std::unique_lock<std::mutex> lock(face->mutex);
        face->cv.wait(lock, [&] { return face->entered; });
    }
    face.reset();

    IFcloseInterface(id);  // meets the running close
    auto held = watch.lock();
    ASSERT_NE(held, nullptr);
    EXPECT_TRUE(held->IsDeleteRequested());
    EXPECT_EQ(CInterfaceCollection::Instance().Get(id), held);
    {
        std::lock_guard<std::mutex> lock(held->mutex);
        held->released = true;
        held->cv.notify_all();
    }
    held.reset();
    running.get();
    EXPECT_EQ(CInterfaceCollection::Instance().Get(id), nullptr);
    EXPECT_TRUE(watch.expired());
}

TEST(DeviceFunctionsTest, CloseAllClosesEveryInterface) {
    Plugged a(60), b(61);
    IFcloseAllInterfaces();
    EXPECT_EQ(IFwriteDevice(a.id, "TP"), NOT_CONNECTED_ERROR);
    EXPECT_EQ(IFwriteDevice(b.id, "TP"), NOT_CONNECTED_ERROR);
}

TEST(DeviceFunctionsTest, LoadTimeSettings) {
    auto lines = Capture([] {
        int marker = 0;
        ZR_IFsetInstanceHandle(&marker);
        ZR_IFsetInstanceHandle(nullptr);  // first call only
        EXPECT_EQ(IFgetInstanceHandle(), &marker);
        EXPECT_EQ(IFuseBackgroundThread(0), 0);
        EXPECT_EQ(SetClearRSMode(0), 0);
    });
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "NOTICE LIBRARY: ZR_IFsetInstanceHandle()");
    EXPECT_TRUE(lines[1].starts_with("CRIT ")) << lines[1];
    EXPECT_TRUE(lines[1].ends_with("(GMT)")) << lines[1];
    EXPECT_EQ(lines[2], "DEBUG CInterfaceCollection::SetClearRSMode(0)");

    IFsetEnabledInterfaceTypes(IF_TYPE_RS232);
    IFsetRS232Available(true);
    EXPECT_EQ(IFsetEnabledInterfaceTypes(IF_TYPE_RS232 | 0x4), IF_TYPE_RS232);
    EXPECT_TRUE(IFisRS232Available());
    EXPECT_EQ(IFsetEnabledInterfaceTypes(0x4), IF_TYPE_RS232 | 0x4);
    EXPECT_FALSE(IFisRS232Available());
    EXPECT_EQ(IFgetEnabledInterfaceTypes(), 0x4u);
    IFsetEnabledInterfaceTypes(IF_TYPE_RS232);
}

}  // namespace
