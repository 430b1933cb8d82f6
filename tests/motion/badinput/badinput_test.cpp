// Every exported function given bad input, as a careless or hostile application would call it:
// null pointers, sizes of zero, below zero and absurdly large, unknown and closed controller IDs,
// numbers that are no numbers or far out of range, and 100 000 characters of axis identifiers.
// Each call must come back within a bounded time, refuse (FALSE, 0 or -1) and leave the error
// its description names. The chain: two boards with stages, initialised and referenced.
#include <gmock/gmock.h>

#include <climits>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <limits>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/motion/io/IoFixture.h"
#include "winport/Registry.h"

namespace badinput {
namespace {

using ::testing::AnyOfArray;

constexpr size_t kLong = 100000;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
const std::vector<double> kAbsurdNumbers = {kNaN, kInf, -kInf, 1e308, -1e308};

// The 64 characters that may name an axis, over and over: two of them name the chain's axes.
std::string LongAxes() {
    static const std::string kIdentifiers =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890@?>=<;:`_^]\\[/.-,+*)('&%$#\"!";
    std::string text;
    while (text.size() < kLong) text += kIdentifiers;
    text.resize(kLong);
    return text;
}

// Aborts the program, naming the call, when a row does not come back in time: a hang is a
// finding like a crash, and ending the run says which call it was.
class Watchdog {
  public:
    Watchdog(std::string what, std::chrono::seconds limit)
        : m_thread([this, what = std::move(what), limit] {
              std::unique_lock<std::mutex> lock(m_mutex);
              if (m_done.wait_for(lock, limit, [this] { return m_finished; })) return;
              std::fprintf(stderr, "%s did not return within %lld s\n", what.c_str(),
                           static_cast<long long>(limit.count()));
              std::abort();
          }) {}
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_finished = true;
        }
        m_done.notify_all();
        m_thread.join();
    }

  private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_thread;
};

// A registry and a stage folder of the test's own: the setup dialog saves its settings, and the
// stage functions look for their files, without touching the user's.
class ScratchFolders : public ::testing::Environment {
  public:
    void SetUp() override {
        char pattern[] = "/tmp/zr-badinput-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_root = pattern;
        const std::string registry = m_root + "/registry", stages = m_root + "/stages";
        std::filesystem::create_directories(registry);
        std::filesystem::create_directories(stages);
        ::setenv("WINPORT_REGISTRY_DIR", registry.c_str(), 1);
        auto key = winport::RegistryKey::Create(winport::Hive::LocalMachine,
                                                "Software\\ZR\\TALTranslator");
        ASSERT_TRUE(key);
        ASSERT_EQ(key->WriteString("Path", stages), winport::RegStatus::Ok);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }

  private:
    std::string m_root;
};
const ::testing::Environment* const kScratch =
    ::testing::AddGlobalTestEnvironment(new ScratchFolders);

// The names of the export list, without ordinals and comments.
std::set<std::string> ListedExports() {
    std::ifstream in(ZR_EXPORT_LIST);
    EXPECT_TRUE(in) << ZR_EXPORT_LIST;
    std::set<std::string> names;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        int ordinal = 0;
        std::string name;
        if (fields >> ordinal >> name) names.insert(name);
    }
    return names;
}

class BadInputTest : public iotest::IoFixture {
  protected:
    static constexpr int kOtherCom = 72;

    void SetUp() override {
        ::unsetenv("DISPLAY");  // the setup dialog must refuse at once, not wait for a user
        ::unsetenv("WAYLAND_DISPLAY");
        IoFixture::SetUp();
        Ready(0, true);
        Ready(1, true);
        StartChain(kOtherCom, apitest::kOneServo);
        closedId = Connect(kOtherCom, 1);
        ASSERT_GE(closedId, 0);
        Close(closedId);
        ASSERT_EQ(Corvane_GetError(id), 0);
        sim->ClearTranscript();
    }

    // One export and its bad calls. onId calls it with the ID given and otherwise sound input
    // and returns its result, which must be refusedResult for an ID that names no controller;
    // null for the exports that take no ID.
    struct Row {
        const char* name;
        std::function<long long(int)> onId;
        long long refusedResult;
        std::function<void()> bad;
    };

    // FALSE (or 0) and one of the errors named; any error when none is named.
    void Refuses(const char* call, long long result, std::initializer_list<int> errors) {
        SCOPED_TRACE(call);
        const int error = Corvane_GetError(id);
        EXPECT_EQ(result, 0) << "accepted";
        if (errors.size() == 0)
            EXPECT_NE(error, 0) << "no error left";
        else
            EXPECT_THAT(error, AnyOfArray(std::vector<int>(errors)));
    }
#define REFUSES(call, ...) Refuses(#call, static_cast<long long>(call), {__VA_ARGS__})

    // A setter over axes with one value each: no axes, unknown and too many axes, null values.
    template <class T, class F>
    void BadAxesForSetter(F f) {
        std::vector<T> values(kLong, T{});
        REFUSES(f(nullptr, values.data()), ZR_CNTR_PARAMETER_SYNTAX_ERROR);
        REFUSES(f("", values.data()), ZR_CNTR_PARAMETER_SYNTAX_ERROR);
        REFUSES(f("A", static_cast<T*>(nullptr)), ZR_INVALID_ARGUMENT);
        REFUSES(f("Z", values.data()), ZR_UNKNOWN_AXIS_IDENTIFIER);
        REFUSES(f(longAxes.c_str(), values.data()), ZR_UNKNOWN_AXIS_IDENTIFIER,
                ZR_INVALID_ARGUMENT);
    }
    // A query over axes with one result each (null axes: every axis, which is sound).
    template <class T, class F>
    void BadAxesForQuery(F f) {
        std::vector<T> values(kLong, T{});
        REFUSES(f("A", static_cast<T*>(nullptr)), ZR_INVALID_ARGUMENT);
        REFUSES(f(nullptr, static_cast<T*>(nullptr)), ZR_INVALID_ARGUMENT);
        REFUSES(f("Z", values.data()), ZR_UNKNOWN_AXIS_IDENTIFIER);
        REFUSES(f(longAxes.c_str(), values.data()), ZR_UNKNOWN_AXIS_IDENTIFIER,
                ZR_INVALID_ARGUMENT);
    }
    // A command over axes alone.
    template <class F>
    void BadAxesForCommand(F f, bool needsAxes = true) {
        if (needsAxes) {
            REFUSES(f(nullptr), ZR_CNTR_PARAMETER_SYNTAX_ERROR);
            REFUSES(f(""), ZR_CNTR_PARAMETER_SYNTAX_ERROR);
        }
        REFUSES(f("Z"), ZR_UNKNOWN_AXIS_IDENTIFIER);
        REFUSES(f(longAxes.c_str()), ZR_UNKNOWN_AXIS_IDENTIFIER, ZR_INVALID_ARGUMENT);
    }
    // Numbers that are none or far out of range, for axis A; the buffer is left for the others.
    template <class F>
    void AbsurdNumbers(F f, std::initializer_list<int> errors) {
        for (double v : kAbsurdNumbers) {
            SCOPED_TRACE(v);
            const double values[2] = {v, 0};
            Refuses("absurd number", f("A", values), errors);
        }
    }
    // A text result: null buffer, no room at all, sizes below zero; the buffer stays untouched.
    template <class F>
    void BadTextBuffer(F f, std::initializer_list<int> errors = {COM_BUFFER_OVERFLOW},
                       std::initializer_list<int> sizes = {0, -1, INT_MIN, 1}) {
        apitest::MarkedBuffer buffer(8);
        Refuses("null buffer", f(nullptr, 4096), errors);
        for (int size : sizes) {
            SCOPED_TRACE(size);
            Refuses("bad size", f(buffer.data(), size), errors);
            EXPECT_TRUE(buffer.Untouched());
        }
    }

    // Macro names that do not parse: none, empty, number beyond 31, unknown axis, no "MC", too
    // long; nothing may start, run or be deleted. ("AMC-1" is macro 0: the number stops at "-".)
    template <class F>
    void BadMacroNames(F f) {
        for (const char* name : {static_cast<const char*>(nullptr), "", "AMC32", "ZMC1", "AMX1",
                                 "AMC99999999999", longAxes.c_str()}) {
            SCOPED_TRACE(name ? std::string(name).substr(0, 20) : "(null)");
            Refuses("bad macro name", f(name), {ZR_CNTR_INVALID_MAC_PARAMETER});
        }
    }

    std::vector<Row> Rows();

    int closedId = -1;
    const std::string longAxes = LongAxes();
};

// Functions of the axes with one value each, spelt out as callables over (axes, values).
#define AXES_FN(fn) [this](const char* axes, auto* values) { return fn(id, axes, values); }
#define ON_ID(call) [&](int anyId) -> long long { return call; }

std::vector<BadInputTest::Row> BadInputTest::Rows() {
    static std::vector<double> d(kLong, 0);
    static std::vector<ZR_BOOL> b(kLong, 0);
    static std::vector<int> n(kLong, 1);
    static std::vector<unsigned> u(kLong, 1);
    static std::vector<char> text(8192, 0);
    static double* table = nullptr;
    static char* const t = text.data();
    static const int size = static_cast<int>(text.size());
    static const int joy[1] = {1};
    return {
        {"Corvane_ConnectRS232", nullptr, 0,
         [&] {
             for (int port : {-1, 0, INT_MIN, INT_MAX, 1000})
                 EXPECT_EQ(Corvane_ConnectRS232(port, apitest::kBaud), -1) << port;
             for (int baud : {0, -1, INT_MIN})
                 EXPECT_EQ(Corvane_ConnectRS232(kOtherCom, baud), -1) << baud;
         }},
        {"Corvane_IsConnected", ON_ID(Corvane_IsConnected(anyId)), 0, [] {}},
        {"Corvane_CloseConnection", ON_ID((Corvane_CloseConnection(anyId), 0)), 0,
         [&] { Corvane_CloseConnection(closedId); }},
        {"Corvane_GetError", ON_ID(Corvane_GetError(anyId)), -9, [] {}},
        {"Corvane_TranslateError", nullptr, 0,
         [&] {
             // Needs no controller, so it leaves no error anywhere.
             BadTextBuffer([](char* buf, int sz) { return Corvane_TranslateError(-1001, buf, sz); },
                           {0});
             for (int number : {INT_MIN, INT_MAX, -1}) {
                 apitest::MarkedBuffer buffer(64);
                 EXPECT_TRUE(Corvane_TranslateError(number, buffer.data(), 64)) << number;
             }
         }},
        {"Corvane_SetErrorCheck", ON_ID(Corvane_SetErrorCheck(anyId, 1)), -9, [] {}},
        {"Corvane_qIDN", ON_ID(Corvane_qIDN(anyId, t, size)), 0,
         [&] { BadTextBuffer([&](char* buf, int sz) { return Corvane_qIDN(id, buf, sz); }); }},
        {"Corvane_qERR", ON_ID(Corvane_qERR(anyId, n.data())), 0, [] {}},
        {"Corvane_INI", ON_ID(Corvane_INI(anyId, "A")), 0,
         [&] {
             REFUSES(Corvane_INI(id, "Z"), ZR_UNKNOWN_AXIS_IDENTIFIER);
             REFUSES(Corvane_INI(id, longAxes.c_str()), ZR_INVALID_ARGUMENT,
                     ZR_UNKNOWN_AXIS_IDENTIFIER);
             REFUSES(Corvane_INI(id, std::string(17, 'A').c_str()), ZR_INVALID_ARGUMENT);
         }},
        {"Corvane_CheckFeaturesByControllerVersion", nullptr, 0,
         [&] {
             for (int flag : {INT_MIN, -1, 2, INT_MAX}) {
                 const int before = Corvane_CheckFeaturesByControllerVersion(flag);
                 EXPECT_TRUE(before == 0 || before == 1) << before;
             }
             (void)Corvane_CheckFeaturesByControllerVersion(1);
         }},
        {"Corvane_MOV", ON_ID(Corvane_MOV(anyId, "A", d.data())), 0,
         [&] {
             BadAxesForSetter<double>(AXES_FN(Corvane_MOV));
             AbsurdNumbers(AXES_FN(Corvane_MOV), {ZR_CNTR_POSITION_OUT_OF_LIMITS});
         }},
        {"Corvane_qMOV", ON_ID(Corvane_qMOV(anyId, "A", d.data())), 0,
         [&] { BadAxesForQuery<double>(AXES_FN(Corvane_qMOV)); }},
        {"Corvane_MVR", ON_ID(Corvane_MVR(anyId, "A", d.data())), 0,
         [&] {
             BadAxesForSetter<double>(AXES_FN(Corvane_MVR));
             AbsurdNumbers(AXES_FN(Corvane_MVR), {ZR_CNTR_POSITION_OUT_OF_LIMITS});
         }},
        {"Corvane_qPOS", ON_ID(Corvane_qPOS(anyId, "A", d.data())), 0,
         [&] { BadAxesForQuery<double>(AXES_FN(Corvane_qPOS)); }},
        {"Corvane_POS", ON_ID(Corvane_POS(anyId, "A", d.data())), 0,
         [&] {
             BadAxesForSetter<double>(AXES_FN(Corvane_POS));
             AbsurdNumbers(AXES_FN(Corvane_POS), {ZR_CNTR_POSITION_OUT_OF_LIMITS});
         }},
        {"Corvane_IsMoving", ON_ID(Corvane_IsMoving(anyId, "A", b.data())), 0,
         [&] { BadAxesForQuery<ZR_BOOL>(AXES_FN(Corvane_IsMoving)); }},
        {"Corvane_qONT", ON_ID(Corvane_qONT(anyId, "A", b.data())), 0,
         [&] { BadAxesForQuery<ZR_BOOL>(AXES_FN(Corvane_qONT)); }},
        {"Corvane_MNL", ON_ID(Corvane_MNL(anyId, "A")), 0,
         [&] { BadAxesForCommand([&](const char* a) { return Corvane_MNL(id, a); }, false); }},
        {"Corvane_MPL", ON_ID(Corvane_MPL(anyId, "A")), 0,
         [&] { BadAxesForCommand([&](const char* a) { return Corvane_MPL(id, a); }, false); }},
        {"Corvane_REF", ON_ID(Corvane_REF(anyId, "A")), 0,
         [&] { BadAxesForCommand([&](const char* a) { return Corvane_REF(id, a); }, false); }},
        {"Corvane_qREF", ON_ID(Corvane_qREF(anyId, "A", b.data())), 0,
         [&] { BadAxesForQuery<ZR_BOOL>(AXES_FN(Corvane_qREF)); }},
        {"Corvane_qLIM", ON_ID(Corvane_qLIM(anyId, "A", b.data())), 0,
         [&] { BadAxesForQuery<ZR_BOOL>(AXES_FN(Corvane_qLIM)); }},
        {"Corvane_IsReferencing", ON_ID(Corvane_IsReferencing(anyId, "A", b.data())), 0,
         [&] { BadAxesForQuery<ZR_BOOL>(AXES_FN(Corvane_IsReferencing)); }},
        {"Corvane_GetRefResult", ON_ID(Corvane_GetRefResult(anyId, "A", n.data())), 0,
         [&] { BadAxesForQuery<int>(AXES_FN(Corvane_GetRefResult)); }},
        {"Corvane_IsReferenceOK", ON_ID(Corvane_IsReferenceOK(anyId, "A", b.data())), 0,
         [&] { BadAxesForQuery<ZR_BOOL>(AXES_FN(Corvane_IsReferenceOK)); }},
        {"Corvane_qTMN", ON_ID(Corvane_qTMN(anyId, "A", d.data())), 0,
         [&] { BadAxesForQuery<double>(AXES_FN(Corvane_qTMN)); }},
        {"Corvane_qTMX", ON_ID(Corvane_qTMX(anyId, "A", d.data())), 0,
         [&] { BadAxesForQuery<double>(AXES_FN(Corvane_qTMX)); }},
        {"Corvane_RON", ON_ID(Corvane_RON(anyId, "A", b.data())), 0,
         [&] { BadAxesForSetter<ZR_BOOL>(AXES_FN(Corvane_RON)); }},
        {"Corvane_qRON", ON_ID(Corvane_qRON(anyId, "A", b.data())), 0,
         [&] { BadAxesForQuery<ZR_BOOL>(AXES_FN(Corvane_qRON)); }},
        {"Corvane_DFH", ON_ID(Corvane_DFH(anyId, "A")), 0,
         [&] { BadAxesForCommand([&](const char* a) { return Corvane_DFH(id, a); }); }},
        {"Corvane_qDFH", ON_ID(Corvane_qDFH(anyId, "A", d.data())), 0,
         [&] { BadAxesForQuery<double>(AXES_FN(Corvane_qDFH)); }},
        {"Corvane_GOH", ON_ID(Corvane_GOH(anyId, "A")), 0,
         [&] { BadAxesForCommand([&](const char* a) { return Corvane_GOH(id, a); }); }},
        {"Corvane_DFF", ON_ID(Corvane_DFF(anyId, "A", d.data())), 0,
         [&] {
             BadAxesForSetter<double>(AXES_FN(Corvane_DFF));
             // Any finite factor above 0 is one, however large.
             for (double v : {kNaN, kInf, -kInf, -1e308, 0.0, -1.0}) {
                 SCOPED_TRACE(v);
                 REFUSES(Corvane_DFF(id, "A", &v), ZR_CNTR_PARAMETER_OUT_OF_RANGE);
             }
         }},
        {"Corvane_qDFF", ON_ID(Corvane_qDFF(anyId, "A", d.data())), 0,
         [&] { BadAxesForQuery<double>(AXES_FN(Corvane_qDFF)); }},
        {"Corvane_BRA", ON_ID(Corvane_BRA(anyId, "A", b.data())), 0,
         [&] { BadAxesForSetter<ZR_BOOL>(AXES_FN(Corvane_BRA)); }},
        {"Corvane_qBRA", ON_ID(Corvane_qBRA(anyId, t, size)), 0,
         [&] {
             // Too small a buffer is refused without an error; no axis has a brake, so one byte
             // holds the empty list.
             BadTextBuffer([&](char* buf, int sz) { return Corvane_qBRA(id, buf, sz); },
                           {0, COM_BUFFER_OVERFLOW}, {0, -1, INT_MIN});
         }},
        {"Corvane_HLT", ON_ID(Corvane_HLT(anyId, "A")), 0,
         [&] { BadAxesForCommand([&](const char* a) { return Corvane_HLT(id, a); }); }},
        {"Corvane_STP", ON_ID(Corvane_STP(anyId)), 0, [] {}},
        {"Corvane_qCST", ON_ID(Corvane_qCST(anyId, "A", t, size)), 0,
         [&] {
             BadTextBuffer([&](char* buf, int sz) { return Corvane_qCST(id, "A", buf, sz); });
             REFUSES(Corvane_qCST(id, "Z", t, size), ZR_UNKNOWN_AXIS_IDENTIFIER);
             REFUSES(Corvane_qCST(id, longAxes.c_str(), t, size), ZR_UNKNOWN_AXIS_IDENTIFIER);
         }},
        {"Corvane_CST", ON_ID(Corvane_CST(anyId, "A", "NOSTAGE")), 0,
         [&] {
             REFUSES(Corvane_CST(id, nullptr, "NOSTAGE"), ZR_CNTR_PARAMETER_SYNTAX_ERROR);
             REFUSES(Corvane_CST(id, "", "NOSTAGE"), ZR_CNTR_PARAMETER_SYNTAX_ERROR);
             REFUSES(Corvane_CST(id, "A", nullptr), ZR_CNTR_PARAMETER_SYNTAX_ERROR);
             REFUSES(Corvane_CST(id, "AB", "NOSTAGE"), ZR_CNTR_PARAMETER_SYNTAX_ERROR);
             REFUSES(Corvane_CST(id, "Z", "NOSTAGE"), ZR_UNKNOWN_AXIS_IDENTIFIER);
             REFUSES(Corvane_CST(id, longAxes.c_str(), "NOSTAGE"), ZR_CNTR_PARAMETER_SYNTAX_ERROR,
                     ZR_UNKNOWN_AXIS_IDENTIFIER);
             REFUSES(Corvane_CST(id, "A", std::string(kLong, 'N').c_str()),
                     ZR_CNTR_INVALID_STAGE_NAME, ZR_STAGE_DATABASE_NOT_FOUND);
         }},
        {"Corvane_qVST", ON_ID(Corvane_qVST(anyId, t, size)), 0,
         [&] {
             apitest::MarkedBuffer buffer(8);
             for (int sz : {0, -1, INT_MIN, 1}) {
                 SCOPED_TRACE(sz);
                 Refuses("bad size", Corvane_qVST(id, buffer.data(), sz),
                         {COM_BUFFER_OVERFLOW, ZR_STAGE_DATABASE_NOT_FOUND});
                 EXPECT_TRUE(buffer.Untouched());
             }
         }},
        {"Corvane_qTVI", ON_ID(Corvane_qTVI(anyId, t, size)), 0,
         [&] { BadTextBuffer([&](char* buf, int sz) { return Corvane_qTVI(id, buf, sz); }); }},
        {"Corvane_SAI", ON_ID(Corvane_SAI(anyId, "A", "Q")), 0,
         [&] {
             REFUSES(Corvane_SAI(id, nullptr, "Q"), ZR_CNTR_PARAMETER_SYNTAX_ERROR);
             REFUSES(Corvane_SAI(id, "", "Q"), ZR_CNTR_PARAMETER_SYNTAX_ERROR);
             REFUSES(Corvane_SAI(id, "A", nullptr), ZR_CNTR_INVALID_AXIS_IDENTIFIER);
             REFUSES(Corvane_SAI(id, "A", ""), ZR_CNTR_INVALID_AXIS_IDENTIFIER);
             REFUSES(Corvane_SAI(id, "A", "\x01"), ZR_CNTR_INVALID_AXIS_IDENTIFIER);
             REFUSES(Corvane_SAI(id, "AB", "QQ"), ZR_AXIS_ALREADY_EXISTS);
             REFUSES(Corvane_SAI(id, longAxes.c_str(), longAxes.c_str()),
                     ZR_UNKNOWN_AXIS_IDENTIFIER);
         }},
        {"Corvane_qSAI", ON_ID(Corvane_qSAI(anyId, t, size)), 0,
         [&] { BadTextBuffer([&](char* buf, int sz) { return Corvane_qSAI(id, buf, sz); }); }},
        {"Corvane_SVO", ON_ID(Corvane_SVO(anyId, "A", b.data())), 0,
         [&] {
             BadAxesForSetter<ZR_BOOL>(AXES_FN(Corvane_SVO));
             for (ZR_BOOL state : {2, -1, INT_MIN, INT_MAX}) {
                 SCOPED_TRACE(state);
                 REFUSES(Corvane_SVO(id, "A", &state), ZR_CNTR_PARAMETER_OUT_OF_RANGE);
             }
         }},
        {"Corvane_qSVO", ON_ID(Corvane_qSVO(anyId, "A", b.data())), 0,
         [&] { BadAxesForQuery<ZR_BOOL>(AXES_FN(Corvane_qSVO)); }},
        {"Corvane_VEL", ON_ID(Corvane_VEL(anyId, "A", d.data())), 0,
         [&] {
             BadAxesForSetter<double>(AXES_FN(Corvane_VEL));
             AbsurdNumbers(AXES_FN(Corvane_VEL), {ZR_CNTR_VELOCITY_OUT_OF_LIMITS});
         }},
        {"Corvane_qVEL", ON_ID(Corvane_qVEL(anyId, "A", d.data())), 0,
         [&] { BadAxesForQuery<double>(AXES_FN(Corvane_qVEL)); }},
        {"Corvane_SPA", ON_ID(Corvane_SPA(anyId, "A", u.data(), d.data(), nullptr)), 0,
         [&] {
             const unsigned velocityId = 73, nameId = 60, pTerm = 1;
             const double v = 1;
             REFUSES(Corvane_SPA(id, nullptr, &pTerm, &v, nullptr), ZR_CNTR_PARAMETER_SYNTAX_ERROR);
             REFUSES(Corvane_SPA(id, "", &pTerm, &v, nullptr), ZR_CNTR_PARAMETER_SYNTAX_ERROR);
             REFUSES(Corvane_SPA(id, "A", nullptr, &v, nullptr), ZR_INVALID_ARGUMENT);
             REFUSES(Corvane_SPA(id, "A", &pTerm, nullptr, nullptr), ZR_INVALID_ARGUMENT);
             for (unsigned bad : {0u, 282u, 0xFFFFFFFFu, 0x80000000u}) {
                 SCOPED_TRACE(bad);
                 REFUSES(Corvane_SPA(id, "A", &bad, &v, nullptr), ZR_INVALID_SPA_PARAMETER_ID);
             }
             for (double value : kAbsurdNumbers) {
                 SCOPED_TRACE(value);
                 REFUSES(Corvane_SPA(id, "A", &pTerm, &value, nullptr),
                         ZR_CNTR_PARAMETER_OUT_OF_RANGE);
                 REFUSES(Corvane_SPA(id, "A", &velocityId, &value, nullptr),
                         ZR_CNTR_PARAMETER_OUT_OF_RANGE);
             }
             REFUSES(Corvane_SPA(id, "A", &nameId, &v, nullptr), ZR_CNTR_INVALID_STAGE_NAME,
                     ZR_INVALID_ARGUMENT);
             REFUSES(Corvane_SPA(id, "A", &nameId, &v, (std::string(kLong, 'N') + "\n").c_str()),
                     ZR_CNTR_INVALID_STAGE_NAME);
             REFUSES(Corvane_SPA(id, longAxes.c_str(), u.data(), d.data(), nullptr),
                     ZR_UNKNOWN_AXIS_IDENTIFIER);
         }},
        {"Corvane_qSPA", ON_ID(Corvane_qSPA(anyId, "A", u.data(), d.data(), t, size)), 0,
         [&] {
             const unsigned nameId = 60, pTerm = 1;
             double v = 0;
             REFUSES(Corvane_qSPA(id, nullptr, &pTerm, &v, t, size),
                     ZR_CNTR_PARAMETER_SYNTAX_ERROR);
             REFUSES(Corvane_qSPA(id, "A", nullptr, &v, t, size), ZR_INVALID_ARGUMENT);
             REFUSES(Corvane_qSPA(id, "A", &pTerm, nullptr, t, size), ZR_INVALID_ARGUMENT);
             for (unsigned bad : {0u, 0xFFFFFFFFu}) {
                 SCOPED_TRACE(bad);
                 REFUSES(Corvane_qSPA(id, "A", &bad, &v, t, size), ZR_INVALID_SPA_PARAMETER_ID);
             }
             apitest::MarkedBuffer buffer(8);
             for (int sz : {0, -1, INT_MIN, 2}) {
                 SCOPED_TRACE(sz);
                 REFUSES(Corvane_qSPA(id, "A", &nameId, &v, buffer.data(), sz),
                         COM_BUFFER_OVERFLOW);
             }
             REFUSES(Corvane_qSPA(id, "A", &nameId, &v, nullptr, size), COM_BUFFER_OVERFLOW);
             REFUSES(Corvane_qSPA(id, longAxes.c_str(), u.data(), d.data(), t, size),
                     ZR_UNKNOWN_AXIS_IDENTIFIER);
         }},
        {"Corvane_qHPA", ON_ID(Corvane_qHPA(anyId, t, size)), 0,
         [&] { BadTextBuffer([&](char* buf, int sz) { return Corvane_qHPA(id, buf, sz); }); }},
        {"Corvane_AddStage", ON_ID(Corvane_AddStage(anyId, "Z")), 0,
         [&] {
             REFUSES(Corvane_AddStage(id, "Z"), ZR_UNKNOWN_AXIS_IDENTIFIER);
             REFUSES(Corvane_AddStage(id, longAxes.c_str()), ZR_UNKNOWN_AXIS_IDENTIFIER);
         }},
        {"Corvane_RemoveStage", ON_ID(Corvane_RemoveStage(anyId, "NOSUCHSTAGE")), 0,
         [&] {
             REFUSES(Corvane_RemoveStage(id, std::string(kLong, 'N').c_str()),
                     ZR_CNTR_INVALID_STAGE_NAME);
             REFUSES(Corvane_RemoveStage(id, nullptr), ZR_STAGE_DOES_NOT_EXIST,
                     ZR_CNTR_INVALID_STAGE_NAME, ZR_INVALID_ARGUMENT);
         }},
        {"Corvane_SendNonTALString", ON_ID(Corvane_SendNonTALString(anyId, "")), 0, [] {}},
        {"Corvane_ReceiveNonTALString", ON_ID(Corvane_ReceiveNonTALString(anyId, t, size)), 0,
         [&] {
             BadTextBuffer(
                 [&](char* buf, int sz) { return Corvane_ReceiveNonTALString(id, buf, sz); },
                 {COM_BUFFER_OVERFLOW}, {0, -1, INT_MIN});
         }},
        {"Corvane_qHLP", ON_ID(Corvane_qHLP(anyId, t, size)), 0,
         [&] { BadTextBuffer([&](char* buf, int sz) { return Corvane_qHLP(id, buf, sz); }); }},
        {"Corvane_qSAI_ALL", ON_ID(Corvane_qSAI_ALL(anyId, t, size)), 0,
         [&] { BadTextBuffer([&](char* buf, int sz) { return Corvane_qSAI_ALL(id, buf, sz); }); }},
        {"Corvane_MAC_BEG", ON_ID(Corvane_MAC_BEG(anyId, "AMC5")), 0,
         [&] { BadMacroNames([&](const char* name) { return Corvane_MAC_BEG(id, name); }); }},
        {"Corvane_MAC_END", ON_ID(Corvane_MAC_END(anyId)), 0,
         [&] { REFUSES(Corvane_MAC_END(id), ZR_CNTR_MACRO_RECORDING_NOT_ACTIVE); }},
        {"Corvane_MAC_START", ON_ID(Corvane_MAC_START(anyId, "AMC1")), 0,
         [&] { BadMacroNames([&](const char* name) { return Corvane_MAC_START(id, name); }); }},
        {"Corvane_MAC_NSTART", ON_ID(Corvane_MAC_NSTART(anyId, "AMC1", 2)), 0,
         [&] {
             BadMacroNames([&](const char* name) { return Corvane_MAC_NSTART(id, name, 2); });
             for (int times : {INT_MIN, -1, 0, 65537, INT_MAX}) {
                 SCOPED_TRACE(times);
                 REFUSES(Corvane_MAC_NSTART(id, "AMC1", times), ZR_CNTR_INVALID_MAC_PARAMETER);
             }
         }},
        {"Corvane_MAC_DEL", ON_ID(Corvane_MAC_DEL(anyId, "AMC1")), 0,
         [&] { BadMacroNames([&](const char* name) { return Corvane_MAC_DEL(id, name); }); }},
        {"Corvane_qMAC", ON_ID(Corvane_qMAC(anyId, "AMC1", t, size)), 0,
         [&] {
             // (a null or empty name lists the macros, which is sound)
             for (const char* name : {"AMC32", "ZMC1", "AMX1", longAxes.c_str()})
                 REFUSES(Corvane_qMAC(id, name, t, size), ZR_CNTR_INVALID_MAC_PARAMETER);
             BadTextBuffer([&](char* buf, int sz) { return Corvane_qMAC(id, "AMC1", buf, sz); },
                           {COM_BUFFER_OVERFLOW}, {0, -1, INT_MIN});
         }},
        {"Corvane_WAC", ON_ID(Corvane_WAC(anyId, "ONT? A = 1")), 0,
         [&] {
             for (const char* condition :
                  {static_cast<const char*>(nullptr), "", "ONT? A = 1", longAxes.c_str()})
                 REFUSES(Corvane_WAC(id, condition), ZR_CNTR_MACRO_RECORDING_NOT_ACTIVE,
                         ZR_INVALID_ARGUMENT, ZR_CNTR_PARAMETER_SYNTAX_ERROR);
         }},
        {"Corvane_MEX", ON_ID(Corvane_MEX(anyId, "DIO? A = 1")), 0,
         [&] {
             for (const char* condition :
                  {static_cast<const char*>(nullptr), "", "DIO? A = 1", longAxes.c_str()})
                 REFUSES(Corvane_MEX(id, condition), ZR_CNTR_MACRO_RECORDING_NOT_ACTIVE,
                         ZR_INVALID_ARGUMENT, ZR_CNTR_PARAMETER_SYNTAX_ERROR);
         }},
        {"Corvane_DEL", ON_ID(Corvane_DEL(anyId, 0)), 0,
         [&] {
             for (int ms : {INT_MIN, -1, 65536, INT_MAX}) {
                 SCOPED_TRACE(ms);
                 REFUSES(Corvane_DEL(id, ms), ZR_CNTR_PARAMETER_OUT_OF_RANGE);
             }
         }},
        {"Corvane_IsRecordingMacro", ON_ID(Corvane_IsRecordingMacro(anyId, b.data())), 0,
         [&] { REFUSES(Corvane_IsRecordingMacro(id, nullptr), ZR_INVALID_ARGUMENT); }},
        {"Corvane_IsRunningMacro", ON_ID(Corvane_IsRunningMacro(anyId, b.data())), 0,
         [&] { REFUSES(Corvane_IsRunningMacro(id, nullptr), ZR_INVALID_ARGUMENT); }},
        // ---- command-string interface
        {"Corvane_TalCommandset", ON_ID(Corvane_TalCommandset(anyId, "XXX")), 0,
         [&] {
             // no lines: nothing to do; a line that does not parse is TRUE with its error left
             EXPECT_TRUE(Corvane_TalCommandset(id, nullptr));
             EXPECT_TRUE(Corvane_TalCommandset(id, ""));
             EXPECT_EQ(Corvane_GetError(id), 0);
             EXPECT_TRUE(Corvane_TalCommandset(id, longAxes.c_str()));
             EXPECT_EQ(Corvane_GetError(id), ZR_CNTR_PARAMETER_SYNTAX_ERROR);
             REFUSES(Corvane_TalCommandset(id, "NOSUCH A"), ZR_CNTR_UNKNOWN_COMMAND);
         }},
        {"Corvane_TalGetAnswerSize", ON_ID(Corvane_TalGetAnswerSize(anyId, n.data())), 0,
         [&] { REFUSES(Corvane_TalGetAnswerSize(id, nullptr), ZR_INVALID_ARGUMENT); }},
        {"Corvane_TalGetAnswer", ON_ID(Corvane_TalGetAnswer(anyId, t, size)), 0,
         [&] {
             ASSERT_TRUE(Corvane_TalCommandset(id, "ERR?"));
             BadTextBuffer([&](char* buf, int sz) { return Corvane_TalGetAnswer(id, buf, sz); });
             char answer[8] = {};
             EXPECT_TRUE(Corvane_TalGetAnswer(id, answer, sizeof answer));
             EXPECT_STREQ(answer, "0\n");  // the line stayed queued through the refusals
         }},
        // ---- end of command-string interface
        {"Corvane_qSRG", ON_ID(Corvane_qSRG(anyId, "A", n.data(), n.data())), 0,
         [&] {
             std::vector<int> values(kLong, 0);
             const int reg3 = 3;
             REFUSES(Corvane_qSRG(id, "A", nullptr, values.data()), ZR_INVALID_ARGUMENT);
             REFUSES(Corvane_qSRG(id, "A", &reg3, nullptr), ZR_INVALID_ARGUMENT);
             for (int reg : {INT_MIN, -1, 0, 1000}) {
                 SCOPED_TRACE(reg);
                 REFUSES(Corvane_qSRG(id, "A", &reg, values.data()),
                         ZR_CNTR_PARAMETER_OUT_OF_RANGE);
             }
             REFUSES(Corvane_qSRG(id, "Z", &reg3, values.data()), ZR_UNKNOWN_AXIS_IDENTIFIER);
             REFUSES(Corvane_qSRG(id, longAxes.c_str(), n.data(), values.data()),
                     ZR_UNKNOWN_AXIS_IDENTIFIER, ZR_INVALID_ARGUMENT);
         }},
        {"Corvane_GetStatus", ON_ID(Corvane_GetStatus(anyId, "A", n.data(), n.data())), 0,
         [&] {
             std::vector<int> values(kLong, 0);
             const int item = 1;
             REFUSES(Corvane_GetStatus(id, "A", nullptr, values.data()), ZR_INVALID_ARGUMENT);
             REFUSES(Corvane_GetStatus(id, "A", &item, nullptr), ZR_INVALID_ARGUMENT);
             for (int bad : {INT_MIN, -1, 0, 7, INT_MAX}) {
                 SCOPED_TRACE(bad);
                 REFUSES(Corvane_GetStatus(id, "A", &bad, values.data()),
                         ZR_CNTR_PARAMETER_OUT_OF_RANGE);
             }
             const int r210Only = 5;
             REFUSES(Corvane_GetStatus(id, "A", &r210Only, values.data()),
                     ZR_CNTR_PARAMETER_OUT_OF_RANGE);
             REFUSES(Corvane_GetStatus(id, longAxes.c_str(), n.data(), values.data()),
                     ZR_UNKNOWN_AXIS_IDENTIFIER, ZR_INVALID_ARGUMENT);
         }},
        {"Corvane_InterfaceSetupDlg", nullptr, 0,
         [&] {
             EXPECT_EQ(Corvane_InterfaceSetupDlg(nullptr), -1);
             EXPECT_EQ(Corvane_InterfaceSetupDlg(std::string(kLong, 'K').c_str()), -1);
         }},
        {"Corvane_qVER", ON_ID(Corvane_qVER(anyId, t, size)), 0,
         [&] { BadTextBuffer([&](char* buf, int sz) { return Corvane_qVER(id, buf, sz); }); }},
        {"Corvane_OpenUserStagesEditDialog",
         ON_ID(Corvane_OpenUserStagesEditDialog(anyId) != nullptr), 0,
         [&] {
             REFUSES(Corvane_OpenUserStagesEditDialog(id) != nullptr, COM_FUNCTION_NOT_SUPPORTED);
         }},
        {"Corvane_OpenZrStagesEditDialog", ON_ID(Corvane_OpenZrStagesEditDialog(anyId) != nullptr),
         0,
         [&] {
             REFUSES(Corvane_OpenZrStagesEditDialog(id) != nullptr, COM_FUNCTION_NOT_SUPPORTED);
         }},
        {"Corvane_FED", ON_ID(Corvane_FED(anyId, "A", n.data(), n.data())), 0,
         [&] {
             const int three = 3;
             REFUSES(Corvane_FED(id, "A", nullptr, &three), ZR_INVALID_ARGUMENT);
             for (int edge : {INT_MIN, -1, 0, 1, INT_MAX}) {
                 SCOPED_TRACE(edge);
                 REFUSES(Corvane_FED(id, "A", &edge, &three), ZR_INVALID_ARGUMENT);
             }
             // No axes: every axis with a stage, so one edge each (not 3 here).
             REFUSES(Corvane_FED(id, nullptr, n.data(), n.data()), ZR_INVALID_ARGUMENT);
             REFUSES(Corvane_FED(id, "Z", &three, &three), ZR_UNKNOWN_AXIS_IDENTIFIER);
             REFUSES(Corvane_FED(id, longAxes.c_str(), n.data(), n.data()),
                     ZR_UNKNOWN_AXIS_IDENTIFIER, ZR_INVALID_ARGUMENT);
         }},
        {"Corvane_SetMaxNrOfControllers", nullptr, 0,
         [&] {
             EXPECT_EQ(Corvane_SetMaxNrOfControllers(INT_MIN), 1);
             EXPECT_EQ(Corvane_SetMaxNrOfControllers(-1), 1);
             EXPECT_EQ(Corvane_SetMaxNrOfControllers(0), 1);
             EXPECT_EQ(Corvane_SetMaxNrOfControllers(INT_MAX), 16);
         }},
        // ---- joysticks, digital and analog I/O, trigger outputs
        {"Corvane_GetInputChannelNames", ON_ID(Corvane_GetInputChannelNames(anyId, t, size)), 0,
         [&] {
             BadTextBuffer(
                 [&](char* buf, int sz) { return Corvane_GetInputChannelNames(id, buf, sz); },
                 {COM_BUFFER_OVERFLOW}, {0, -1, INT_MIN});  // one byte: the names cut to none
         }},
        {"Corvane_GetOutputChannelNames", ON_ID(Corvane_GetOutputChannelNames(anyId, t, size)), 0,
         [&] {
             BadTextBuffer(
                 [&](char* buf, int sz) { return Corvane_GetOutputChannelNames(id, buf, sz); },
                 {COM_BUFFER_OVERFLOW}, {0, -1, INT_MIN});  // one byte: the names cut to none
         }},
        {"Corvane_DIO", ON_ID(Corvane_DIO(anyId, "A", b.data())), 0,
         [&] {
             REFUSES(Corvane_DIO(id, nullptr, b.data()), ZR_CNTR_PARAMETER_SYNTAX_ERROR);
             REFUSES(Corvane_DIO(id, "", b.data()), ZR_CNTR_PARAMETER_SYNTAX_ERROR);
             REFUSES(Corvane_DIO(id, "A", nullptr), ZR_INVALID_ARGUMENT);
             REFUSES(Corvane_DIO(id, "Z", b.data()), ZR_CNTR_NO_DIGITAL_INPUT);
             REFUSES(Corvane_DIO(id, longAxes.c_str(), b.data()), ZR_CNTR_NO_DIGITAL_INPUT);
         }},
        {"Corvane_qDIO", ON_ID(Corvane_qDIO(anyId, "A", b.data())), 0,
         [&] {
             std::vector<ZR_BOOL> states(kLong, 0);
             REFUSES(Corvane_qDIO(id, "A", nullptr), ZR_INVALID_ARGUMENT);
             REFUSES(Corvane_qDIO(id, nullptr, nullptr), ZR_INVALID_ARGUMENT);
             REFUSES(Corvane_qDIO(id, "Z", states.data()), ZR_CNTR_NO_DIGITAL_INPUT);
             REFUSES(Corvane_qDIO(id, longAxes.c_str(), states.data()), ZR_CNTR_NO_DIGITAL_INPUT);
         }},
        {"Corvane_qTIO", ON_ID(Corvane_qTIO(anyId, n.data(), n.data())), 0,
         [&] {
             int count = 0;
             REFUSES(Corvane_qTIO(id, nullptr, &count), ZR_INVALID_ARGUMENT);
             REFUSES(Corvane_qTIO(id, &count, nullptr), ZR_INVALID_ARGUMENT);
         }},
        {"Corvane_qTAC", ON_ID(Corvane_qTAC(anyId, n.data())), 0,
         [&] { REFUSES(Corvane_qTAC(id, nullptr), ZR_INVALID_ARGUMENT); }},
        {"Corvane_qTAV", ON_ID(Corvane_qTAV(anyId, 1, d.data())), 0,
         [&] {
             double volts = 0;
             REFUSES(Corvane_qTAV(id, 1, nullptr), ZR_INVALID_ARGUMENT);
             for (int channel : {INT_MIN, -1, 0, 1000, INT_MAX}) {
                 SCOPED_TRACE(channel);
                 REFUSES(Corvane_qTAV(id, channel, &volts), ZR_CNTR_INVALID_ANALOG_INPUT);
             }
         }},
        {"Corvane_JON", ON_ID(Corvane_JON(anyId, n.data(), b.data(), 1)), 0,
         [&] {
             const ZR_BOOL on = 1;
             REFUSES(Corvane_JON(id, nullptr, &on, 1), ZR_CNTR_PARAMETER_MISSING);
             REFUSES(Corvane_JON(id, joy, nullptr, 1), ZR_CNTR_PARAMETER_MISSING);
             for (int count : {0, -1, INT_MIN}) {
                 SCOPED_TRACE(count);
                 REFUSES(Corvane_JON(id, joy, &on, count), ZR_CNTR_PARAMETER_MISSING);
             }
             for (int joystick : {INT_MIN, -1, 0, 1000}) {
                 SCOPED_TRACE(joystick);
                 REFUSES(Corvane_JON(id, &joystick, &on, 1), ZR_CNTR_PARAMETER_OUT_OF_RANGE);
             }
         }},
        {"Corvane_qJON", ON_ID(Corvane_qJON(anyId, n.data(), b.data(), 1)), 0,
         [&] {
             ZR_BOOL states[16] = {};
             REFUSES(Corvane_qJON(id, joy, nullptr, 1), ZR_INVALID_ARGUMENT);
             REFUSES(Corvane_qJON(id, nullptr, states, 1), ZR_ARRAY_RANGE_MISMATCH);
             for (int count : {-1, INT_MIN}) {  // 0 asks for nothing
                 SCOPED_TRACE(count);
                 REFUSES(Corvane_qJON(id, joy, states, count), ZR_CNTR_PARAMETER_MISSING,
                         ZR_ARRAY_RANGE_MISMATCH, ZR_INVALID_ARGUMENT);
             }
             for (int joystick : {INT_MIN, -1, 0, 1000}) {
                 SCOPED_TRACE(joystick);
                 REFUSES(Corvane_qJON(id, &joystick, states, 1), ZR_CNTR_PARAMETER_OUT_OF_RANGE);
             }
         }},
        {"Corvane_qTNJ", ON_ID(Corvane_qTNJ(anyId, n.data())), 0,
         [&] { REFUSES(Corvane_qTNJ(id, nullptr), ZR_INVALID_ARGUMENT); }},
        {"Corvane_qJAX", ON_ID(Corvane_qJAX(anyId, n.data(), n.data(), 1, t, size)), 0,
         [&] {
             const int axis = 1;
             REFUSES(Corvane_qJAX(id, nullptr, &axis, 1, t, size), ZR_CNTR_PARAMETER_SYNTAX_ERROR);
             REFUSES(Corvane_qJAX(id, joy, nullptr, 1, t, size), ZR_CNTR_PARAMETER_SYNTAX_ERROR);
             for (int count : {-1, INT_MIN}) {  // 0 asks for nothing
                 SCOPED_TRACE(count);
                 Refuses("bad count", Corvane_qJAX(id, joy, &axis, count, t, size), {});
             }
             for (int bad : {INT_MIN, -1, 0, 1000}) {
                 SCOPED_TRACE(bad);
                 REFUSES(Corvane_qJAX(id, &bad, &axis, 1, t, size), ZR_CNTR_PARAMETER_OUT_OF_RANGE);
                 REFUSES(Corvane_qJAX(id, joy, &bad, 1, t, size), ZR_CNTR_PARAMETER_OUT_OF_RANGE);
             }
             BadTextBuffer(
                 [&](char* buf, int sz) { return Corvane_qJAX(id, joy, &axis, 1, buf, sz); });
         }},
        {"Corvane_JDT", ON_ID(Corvane_JDT(anyId, n.data(), n.data(), 1)), 0,
         [&] {
             const int linear = 1;
             REFUSES(Corvane_JDT(id, nullptr, &linear, 1), ZR_CNTR_PARAMETER_MISSING);
             REFUSES(Corvane_JDT(id, joy, nullptr, 1), ZR_CNTR_PARAMETER_MISSING);
             for (int count : {0, -1, INT_MIN}) {
                 SCOPED_TRACE(count);
                 REFUSES(Corvane_JDT(id, joy, &linear, count), ZR_CNTR_PARAMETER_MISSING);
             }
             for (int type : {INT_MIN, -1, 0, 2, 4, INT_MAX}) {
                 SCOPED_TRACE(type);
                 REFUSES(Corvane_JDT(id, joy, &type, 1), ZR_CNTR_PARAMETER_OUT_OF_RANGE);
             }
         }},
        {"Corvane_qJBS", ON_ID(Corvane_qJBS(anyId, n.data(), n.data(), b.data(), 1)), 0,
         [&] {
             const int button = 1;
             ZR_BOOL pressed[16] = {};
             REFUSES(Corvane_qJBS(id, joy, nullptr, pressed, 1), ZR_INVALID_ARGUMENT);
             REFUSES(Corvane_qJBS(id, joy, &button, nullptr, 1), ZR_INVALID_ARGUMENT);
             for (int count : {-1, INT_MIN}) {  // 0 asks for nothing
                 SCOPED_TRACE(count);
                 Refuses("bad count", Corvane_qJBS(id, joy, &button, pressed, count), {});
             }
             for (int bad : {INT_MIN, -1, 0, 1000}) {
                 SCOPED_TRACE(bad);
                 REFUSES(Corvane_qJBS(id, joy, &bad, pressed, 1), ZR_CNTR_PARAMETER_OUT_OF_RANGE);
             }
         }},
        {"Corvane_qJAS", ON_ID(Corvane_qJAS(anyId, n.data(), n.data(), d.data(), 1)), 0,
         [&] {
             const int axis = 1;
             double values[16] = {};
             REFUSES(Corvane_qJAS(id, joy, nullptr, values, 1), ZR_INVALID_ARGUMENT);
             REFUSES(Corvane_qJAS(id, joy, &axis, nullptr, 1), ZR_INVALID_ARGUMENT);
             for (int count : {-1, INT_MIN}) {  // 0 asks for nothing
                 SCOPED_TRACE(count);
                 Refuses("bad count", Corvane_qJAS(id, joy, &axis, values, count), {});
             }
             for (int bad : {INT_MIN, -1, 0, 1000}) {
                 SCOPED_TRACE(bad);
                 REFUSES(Corvane_qJAS(id, joy, &bad, values, 1), ZR_CNTR_PARAMETER_OUT_OF_RANGE);
             }
         }},
        {"Corvane_JLT", ON_ID(Corvane_JLT(anyId, 1, 1, 1, d.data(), 1)), 0,
         [&] {
             const double zero = 0;
             REFUSES(Corvane_JLT(id, 1, 1, 1, nullptr, 1), ZR_INVALID_ARGUMENT,
                     ZR_CNTR_PARAMETER_MISSING);
             for (int start : {INT_MIN, -1, 0, 258, INT_MAX}) {
                 SCOPED_TRACE(start);
                 REFUSES(Corvane_JLT(id, 1, 1, start, &zero, 1), ZR_CNTR_PARAMETER_OUT_OF_RANGE);
             }
             for (int count : {INT_MIN, -1, 0, 258, INT_MAX}) {
                 SCOPED_TRACE(count);
                 REFUSES(Corvane_JLT(id, 1, 1, 1, d.data(), count), ZR_CNTR_PARAMETER_OUT_OF_RANGE,
                         ZR_CNTR_PARAMETER_MISSING);
             }
             for (double v : {kNaN, kInf, -kInf, 1e308, 1.5}) {
                 SCOPED_TRACE(v);
                 REFUSES(Corvane_JLT(id, 1, 1, 1, &v, 1), ZR_CNTR_PARAMETER_OUT_OF_RANGE);
             }
             for (int bad : {INT_MIN, -1, 0, 1000}) {
                 SCOPED_TRACE(bad);
                 REFUSES(Corvane_JLT(id, bad, 1, 1, &zero, 1), ZR_CNTR_PARAMETER_OUT_OF_RANGE);
                 REFUSES(Corvane_JLT(id, 1, bad, 1, &zero, 1), ZR_CNTR_PARAMETER_OUT_OF_RANGE);
             }
         }},
        {"Corvane_qJLT", ON_ID(Corvane_qJLT(anyId, nullptr, nullptr, 1, 1, 1, &table, t, size)), 0,
         [&] {
             const int axis = 1;
             REFUSES(Corvane_qJLT(id, joy, nullptr, 1, 1, 1, &table, t, size),
                     ZR_CNTR_PARAMETER_MISSING);
             REFUSES(Corvane_qJLT(id, joy, &axis, 1, 1, 1, nullptr, t, size), ZR_INVALID_ARGUMENT);
             for (int count : {0, -1, INT_MIN}) {
                 SCOPED_TRACE(count);
                 REFUSES(Corvane_qJLT(id, joy, &axis, count, 1, 1, &table, t, size),
                         ZR_CNTR_PARAMETER_MISSING);
             }
             const struct {
                 int start, rows;
             } ranges[] = {{0, 1},   {257, 1},          {INT_MIN, 1}, {INT_MAX, 1},
                           {1, 0},   {1, INT_MIN},      {1, INT_MAX}, {256, 2},
                           {2, 256}, {INT_MAX, INT_MAX}};
             for (const auto& r : ranges) {
                 SCOPED_TRACE(std::to_string(r.start) + " " + std::to_string(r.rows));
                 REFUSES(Corvane_qJLT(id, joy, &axis, 1, r.start, r.rows, &table, t, size),
                         ZR_CNTR_PARAMETER_OUT_OF_RANGE);
             }
             for (int bad : {INT_MIN, -1, 0, 1000}) {
                 SCOPED_TRACE(bad);
                 REFUSES(Corvane_qJLT(id, &bad, &axis, 1, 1, 1, &table, t, size),
                         ZR_CNTR_PARAMETER_OUT_OF_RANGE);
             }
             apitest::MarkedBuffer header(8);
             REFUSES(Corvane_qJLT(id, joy, &axis, 1, 1, 1, &table, nullptr, size),
                     COM_BUFFER_OVERFLOW);
             REFUSES(Corvane_qJLT(id, joy, &axis, 1, 1, 1, &table, header.data(), 0),
                     COM_BUFFER_OVERFLOW);
             REFUSES(Corvane_qJLT(id, joy, &axis, 1, 1, 1, &table, header.data(), -1),
                     COM_BUFFER_OVERFLOW);
             EXPECT_TRUE(header.Untouched());
         }},
        {"Corvane_GetAsyncBufferIndex", ON_ID(Corvane_GetAsyncBufferIndex(anyId)), 0, [] {}},
        {"Corvane_CTO", ON_ID(Corvane_CTO(anyId, n.data(), n.data(), "3", 1)), 0,
         [&] {
             const int out = 1, value = 1, mode = 3, position = 10, unknownParameter = 999;
             REFUSES(Corvane_CTO(id, nullptr, &mode, "0", 1), ZR_CNTR_PARAMETER_MISSING);
             REFUSES(Corvane_CTO(id, &out, nullptr, "0", 1), ZR_CNTR_PARAMETER_MISSING);
             REFUSES(Corvane_CTO(id, &out, &mode, nullptr, 1), ZR_CNTR_PARAMETER_MISSING);
             for (int count : {0, -1, INT_MIN}) {
                 SCOPED_TRACE(count);
                 REFUSES(Corvane_CTO(id, &out, &mode, "0", count), ZR_CNTR_PARAMETER_MISSING);
             }
             REFUSES(Corvane_CTO(id, &out, &mode, "", 1), ZR_CNTR_PARAMETER_SYNTAX_ERROR);
             REFUSES(Corvane_CTO(id, &out, &mode, "x", 1), ZR_CNTR_PARAMETER_SYNTAX_ERROR);
             REFUSES(Corvane_CTO(id, &out, &mode, "0 0", 1), ZR_CNTR_PARAMETER_SYNTAX_ERROR);
             REFUSES(Corvane_CTO(id, &out, &mode, "5", 1), ZR_CNTR_PARAMETER_OUT_OF_RANGE);
             REFUSES(Corvane_CTO(id, &out, &unknownParameter, "0", 1),
                     ZR_CNTR_PARAMETER_OUT_OF_RANGE);
             for (const char* v : {"nan", "inf", "-inf", "1e308", "-1e308"}) {
                 SCOPED_TRACE(v);
                 REFUSES(Corvane_CTO(id, &out, &value, v, 1), ZR_CNTR_PARAMETER_SYNTAX_ERROR,
                         ZR_CNTR_POSITION_OUT_OF_LIMITS);
                 REFUSES(Corvane_CTO(id, &out, &position, v, 1), ZR_CNTR_PARAMETER_SYNTAX_ERROR,
                         ZR_CNTR_POSITION_OUT_OF_LIMITS);
             }
             for (int bad : {INT_MIN, -1, 0, 1000}) {
                 SCOPED_TRACE(bad);
                 REFUSES(Corvane_CTO(id, &bad, &mode, "0", 1), ZR_CNTR_PARAMETER_OUT_OF_RANGE);
             }
             REFUSES(Corvane_CTO(id, &out, &mode, std::string(kLong, '7').c_str(), 1),
                     ZR_CNTR_PARAMETER_OUT_OF_RANGE, ZR_CNTR_PARAMETER_SYNTAX_ERROR);
         }},
        {"Corvane_qCTO", ON_ID(Corvane_qCTO(anyId, n.data(), n.data(), t, 1, size)), 0,
         [&] {
             const int out = 1, mode = 3;
             REFUSES(Corvane_qCTO(id, &out, nullptr, t, 1, size), ZR_INVALID_ARGUMENT,
                     ZR_CNTR_PARAMETER_MISSING);
             REFUSES(Corvane_qCTO(id, nullptr, &mode, t, 1, size), ZR_ARRAY_RANGE_MISMATCH);
             for (int count : {-1, INT_MIN}) {  // 0 asks for nothing
                 SCOPED_TRACE(count);
                 Refuses("bad count", Corvane_qCTO(id, &out, &mode, t, count, size), {});
             }
             for (int bad : {INT_MIN, -1, 0, 1000}) {
                 SCOPED_TRACE(bad);
                 REFUSES(Corvane_qCTO(id, &bad, &mode, t, 1, size), ZR_CNTR_PARAMETER_OUT_OF_RANGE);
                 REFUSES(Corvane_qCTO(id, &out, &bad, t, 1, size), ZR_CNTR_PARAMETER_OUT_OF_RANGE);
             }
             BadTextBuffer(
                 [&](char* buf, int sz) { return Corvane_qCTO(id, &out, &mode, buf, 1, sz); });
         }},
        {"Corvane_TRO", ON_ID(Corvane_TRO(anyId, n.data(), b.data(), 1)), 0,
         [&] {
             const int out = 1;
             const ZR_BOOL off = 0;
             REFUSES(Corvane_TRO(id, nullptr, &off, 1), ZR_INVALID_ARGUMENT,
                     ZR_CNTR_PARAMETER_MISSING);
             REFUSES(Corvane_TRO(id, &out, nullptr, 1), ZR_INVALID_ARGUMENT,
                     ZR_CNTR_PARAMETER_MISSING);
             for (int count : {0, -1, INT_MIN}) {
                 SCOPED_TRACE(count);
                 Refuses("bad count", Corvane_TRO(id, &out, &off, count), {});
             }
             for (int bad : {INT_MIN, -1, 0, 1000}) {
                 SCOPED_TRACE(bad);
                 REFUSES(Corvane_TRO(id, &bad, &off, 1), ZR_CNTR_PARAMETER_OUT_OF_RANGE);
             }
         }},
        {"Corvane_qTRO", ON_ID(Corvane_qTRO(anyId, n.data(), b.data(), 1)), 0,
         [&] {
             const int out = 1;
             ZR_BOOL states[16] = {};
             REFUSES(Corvane_qTRO(id, &out, nullptr, 1), ZR_INVALID_ARGUMENT);
             REFUSES(Corvane_qTRO(id, nullptr, states, 1), ZR_ARRAY_RANGE_MISMATCH);
             for (int count : {-1, INT_MIN}) {  // 0 asks for nothing
                 SCOPED_TRACE(count);
                 Refuses("bad count", Corvane_qTRO(id, &out, states, count), {});
             }
             for (int bad : {INT_MIN, -1, 0, 1000}) {
                 SCOPED_TRACE(bad);
                 REFUSES(Corvane_qTRO(id, &bad, states, 1), ZR_CNTR_PARAMETER_OUT_OF_RANGE);
             }
         }},
    };
}

TEST_F(BadInputTest, EveryExportRefusesBadInputWithItsError) {
    const std::vector<Row> rows = Rows();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Watchdog watchdog(row.name, std::chrono::seconds(30));
        if (row.onId) {
            for (int unknown : {-1, 1000, INT_MIN, closedId})
                EXPECT_EQ(row.onId(unknown), row.refusedResult) << "ID " << unknown;
            EXPECT_EQ(Corvane_GetError(id), 0) << "an unknown ID left an error elsewhere";
        }
        row.bad();
        EXPECT_EQ(Corvane_GetError(id), 0) << "an error is left over";
        ASSERT_TRUE(Corvane_IsConnected(id));
    }
    // None of the refused moves reached a board.
    for (int address : {0, 1})
        for (const std::string& line : Sent(address))
            EXPECT_TRUE(line.rfind("MA", 0) != 0 && line.rfind("MR", 0) != 0) << line;
}

TEST_F(BadInputTest, EveryListedExportHasARow) {
    std::set<std::string> tried;
    for (const Row& row : Rows()) EXPECT_TRUE(tried.insert(row.name).second) << row.name;
    const std::set<std::string> listed = ListedExports();
    ASSERT_FALSE(listed.empty());
    for (const std::string& name : listed)
        EXPECT_TRUE(tried.count(name)) << name << " is exported but not tried with bad input";
    for (const std::string& name : tried)
        EXPECT_TRUE(listed.count(name)) << name << " is tried but not in the export list";
}

}  // namespace
}  // namespace badinput
