// A status read (ReadCorvaneStatus: the single byte "%" out, "S:.." CR LF ETX back, parsed and
// checked for errors) through a connected controller, against a bare termios write/poll/read
// ping-pong with the same bytes. Each side talks to its own simulated chain of one R-220 board on
// a pseudo-terminal, measured alternately in the same run. Counters: status_us, bare_us and
// ratio (status / bare; the goal is at most 1.3).
//
// The command-string interface: "POS? A" through Corvane_TalCommandset, Corvane_TalGetAnswerSize
// and Corvane_TalGetAnswer, against Corvane_qPOS of the same axis (the same "TP" exchange), on one
// controller, measured alternately in the same run. Counters: tal_us, native_us and ratio
// (tal / native; the goal is at most 1.3).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>

#include "ZR_Corvane_TAL.h"
#include "bench/common/BareTermiosLine.h"
#include "motion/api/CCorvaneCollection.h"
#include "motion/base/ZRLogger.h"
#include "motion/controller/CCorvaneController.h"
#include "motion/controller/CorvaneLibrarySettings.h"
#include "simulators/corvane/CorvaneSim.h"
#include "tests/motion/api/TestStage.h"

namespace {

using clock_type = std::chrono::steady_clock;
constexpr int kCom = 98;

std::unique_ptr<corvane_sim::CorvaneSim> StartChain() {
    corvane_sim::SimConfig config;
    config.ParseText("[board 0]\ntype = R-220\n", "bench");
    config.Finish();
    auto sim = std::make_unique<corvane_sim::CorvaneSim>(config);
    sim->Start();
    return sim;
}

void status_round_trip(benchmark::State& state) {
    ZRLogger::SetLoggerName("ZR_Corvane_TAL_DLL");
    ZRLogger::FetchLibraryLogger();
    auto controllerChain = StartChain();
    auto bareChain = StartChain();
    setenv(("WINPORT_COM" + std::to_string(kCom)).c_str(), controllerChain->SlavePath().c_str(), 1);
    m_iMaxNumberOfAxesForControllerSearch = 1;
    CCorvaneController controller(kCom, 57600);
    if (controller.InterfaceID() < 0 || controller.LocalError() != 0) {
        state.SkipWithError("the controller did not connect to the simulated board");
        return;
    }
    // The baseline selects the board once, then sends "%" per read, as the controller does.
    bench::BareTermiosLine bare(bareChain->SlavePath());
    if (!bare.Write(std::string("\x01"
                                "0",
                                2))) {
        state.SkipWithError("cannot select the board of the baseline");
        return;
    }

    double status_ns = 0, bare_ns = 0;
    uint8_t status[kMaxStatusBytes];
    std::string answer;
    for (auto _ : state) {
        auto t0 = clock_type::now();
        ZR_BOOL read = controller.ReadCorvaneStatus(status);
        auto t1 = clock_type::now();
        bool ok = bare.Exchange("%", answer) && answer.compare(0, 2, "S:") == 0;
        auto t2 = clock_type::now();
        if (!read || !ok) {
            state.SkipWithError("round trip failed");
            break;
        }
        status_ns += std::chrono::duration<double, std::nano>(t1 - t0).count();
        bare_ns += std::chrono::duration<double, std::nano>(t2 - t1).count();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["status_us"] = status_ns / n / 1000.0;
    state.counters["bare_us"] = bare_ns / n / 1000.0;
    state.counters["ratio"] = bare_ns > 0 ? status_ns / bare_ns : 0.0;
    unsetenv(("WINPORT_COM" + std::to_string(kCom)).c_str());
}

BENCHMARK(status_round_trip)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

// "POS? A" as a command string and its answer line fetched; false when anything failed.
bool TalPosition(int id, std::string& answer) {
    if (!Corvane_TalCommandset(id, "POS? A")) return false;
    int size = 0;
    if (!Corvane_TalGetAnswerSize(id, &size) || size <= 0) return false;
    answer.assign(static_cast<size_t>(size), '\0');
    return Corvane_TalGetAnswer(id, answer.data(), size) && answer.compare(0, 2, "A=") == 0;
}

void tal_pos_query(benchmark::State& state) {
    ZRLogger::SetLoggerName("ZR_Corvane_TAL_DLL");
    ZRLogger::FetchLibraryLogger();
    auto chain = StartChain();
    setenv(("WINPORT_COM" + std::to_string(kCom)).c_str(), chain->SlavePath().c_str(), 1);
    (void)Corvane_SetMaxNrOfControllers(1);
    const int id = Corvane_ConnectRS232(kCom, 57600);
    CCorvaneController* controller = CorvaneCollection().GetController(id);
    if (!controller || !controller->ApplyStageParameters(0, apitest::MakeTestStage(false)) ||
        !Corvane_INI(id, "A")) {
        state.SkipWithError("the controller did not connect to the simulated board");
        return;
    }
    double tal_ns = 0, native_ns = 0;
    std::string answer;
    for (auto _ : state) {
        double position = 0;
        auto t0 = clock_type::now();
        const bool tal = TalPosition(id, answer);
        auto t1 = clock_type::now();
        const bool native = Corvane_qPOS(id, "A", &position) != 0;
        auto t2 = clock_type::now();
        if (!tal || !native) {
            state.SkipWithError("a position query failed");
            break;
        }
        tal_ns += std::chrono::duration<double, std::nano>(t1 - t0).count();
        native_ns += std::chrono::duration<double, std::nano>(t2 - t1).count();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["tal_us"] = tal_ns / n / 1000.0;
    state.counters["native_us"] = native_ns / n / 1000.0;
    state.counters["ratio"] = native_ns > 0 ? tal_ns / native_ns : 0.0;
    Corvane_CloseConnection(id);
    unsetenv(("WINPORT_COM" + std::to_string(kCom)).c_str());
}

BENCHMARK(tal_pos_query)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

}  // namespace

BENCHMARK_MAIN();
