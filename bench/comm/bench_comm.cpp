// A query round trip ("TP" + CR out, "P:+0000100" CR LF ETX back) through C_RS232NoThread over a
// pseudo-terminal, against a bare termios write/poll/read ping-pong with the same bytes on a second
// pseudo-terminal, measured alternately in the same run. Counters: rs232_us, bare_us and
// ratio (rs232 / bare; the goal is at most 1.2).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "bench/common/BareTermiosLine.h"
#include "motion/base/ZRLogger.h"
#include "motion/comm/RS232.h"

namespace {

using clock_type = std::chrono::steady_clock;

const std::string kCommand = "TP";
const std::string kAnswer = "P:+0000100\r\n\x03";

// The far end of a pseudo-terminal: answers every CR-terminated line.
class Responder {
  public:
    Responder() {
        char name[128] = {};
        openpty(&master_, &slave_, name, nullptr, nullptr);
        path_ = name;
        termios t{};
        tcgetattr(master_, &t);
        cfmakeraw(&t);
        tcsetattr(master_, TCSANOW, &t);
        thread_ = std::thread([this] { Run(); });
    }
    ~Responder() {
        stop_ = true;
        thread_.join();
        close(master_);
        close(slave_);
    }
    const std::string& path() const { return path_; }

  private:
    void Run() {
        std::string pending;
        char buf[256];
        while (!stop_) {
            pollfd p{master_, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) continue;
            ssize_t n = read(master_, buf, sizeof buf);
            if (n <= 0) continue;
            pending.append(buf, static_cast<size_t>(n));
            size_t cr;
            while ((cr = pending.find('\r')) != std::string::npos) {
                pending.erase(0, cr + 1);
                [[maybe_unused]] ssize_t w = write(master_, kAnswer.data(), kAnswer.size());
            }
        }
    }
    int master_ = -1, slave_ = -1;
    std::string path_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

void query_round_trip(benchmark::State& state) {
    ZRLogger::SetLoggerName("ZR_Corvane_TAL_DLL");
    ZRLogger::FetchLibraryLogger();
    Responder rs232Peer, barePeer;
    setenv("WINPORT_COM99", rs232Peer.path().c_str(), 1);
    RS232Settings settings;
    settings.port = 99;
    auto port = C_RS232::CreateNewCRS232(settings, 0);
    if (!port) {
        state.SkipWithError("cannot open the pseudo-terminal through C_RS232");
        return;
    }
    (void)port->SetTerminators("\r", "\r\n\x03");
    port->SetLongWait(5000);
    bench::BareTermiosLine bare(barePeer.path());
    std::string bareAnswer;

    double rs232_ns = 0, bare_ns = 0;
    char answer[64];
    for (auto _ : state) {
        auto t0 = clock_type::now();
        int code = port->Query(kCommand.c_str(), answer, sizeof answer);
        auto t1 = clock_type::now();
        bool ok = bare.Exchange(kCommand + "\r", bareAnswer) && bareAnswer == kAnswer;
        auto t2 = clock_type::now();
        if (code != 0 || !ok || kAnswer != answer) {
            state.SkipWithError("round trip failed");
            break;
        }
        rs232_ns += std::chrono::duration<double, std::nano>(t1 - t0).count();
        bare_ns += std::chrono::duration<double, std::nano>(t2 - t1).count();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["rs232_us"] = rs232_ns / n / 1000.0;
    state.counters["bare_us"] = bare_ns / n / 1000.0;
    state.counters["ratio"] = bare_ns > 0 ? rs232_ns / bare_ns : 0.0;
    port->CloseInterface();
    unsetenv("WINPORT_COM99");
}

BENCHMARK(query_round_trip)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

}  // namespace

BENCHMARK_MAIN();
