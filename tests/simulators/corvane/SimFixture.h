// A running chain with a client on its port.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "simulators/corvane/CorvaneSim.h"
#include "simulators/corvane/SimConfig.h"
#include "tests/simulators/corvane/SerialClient.h"

using namespace std::chrono_literals;

class SimFixture : public ::testing::Test {
  protected:
    // Config-file text; fast motion so tests stay short.
    void StartChain(const std::string& configText) {
        corvane_sim::SimConfig config;
        config.ParseText(configText, "test");
        config.Finish();
        sim = std::make_unique<corvane_sim::CorvaneSim>(config);
        port = sim->Start();
        client = std::make_unique<SerialClient>(port);
        ASSERT_TRUE(client->IsOpen()) << port;
    }
    void TearDown() override {
        client.reset();
        if (sim) sim->Stop();
    }

    std::string Ask(const std::string& line) {
        auto answer = client->Query(line);
        EXPECT_TRUE(answer.has_value()) << "no answer to " << line;
        return answer.value_or("");
    }
    long AskNumber(const std::string& line) {
        std::string a = Ask(line);
        size_t colon = a.find(':');
        return colon == std::string::npos ? -999999999 : std::stol(a.substr(colon + 1));
    }
    // Sends a line and waits until the board has taken it.
    void SendTaken(int address, const std::string& line) {
        client->Send(line);
        ASSERT_TRUE(sim->WaitForLine(address, line, 5s)) << line;
    }
    std::vector<int> Status() { return ParseStatus(Ask("TS")); }

    // Polls "TS" until the bit of byte 0 says the trajectory is complete.
    bool WaitComplete(int mask, std::chrono::milliseconds timeout = 10s) {
        auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            auto s = Status();
            if (!s.empty() && (s[0] & mask)) return true;
            std::this_thread::sleep_for(5ms);
        }
        return false;
    }

    std::unique_ptr<corvane_sim::CorvaneSim> sim;
    std::unique_ptr<SerialClient> client;
    std::string port;
};

// Board 0: R-220 around a reference at 0, limits at +-9000, travel +-10000.
inline const char* kFastServo =
    "[board 0]\n"
    "type = R-220\n"
    "travel = -10000..10000\n"
    "neg-limit = -9000\n"
    "pos-limit = 9000\n"
    "reference = 0\n"
    "position = 2000\n"
    "velocity = 40000\n"
    "acceleration = 800000\n";
