// Command strings through the exported functions against a simulated chain of two boards (axis A
// on an R-220, axis B on an R-210), both with a stage, initialised and referenced.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "tests/motion/io/IoFixture.h"

namespace taltest {

using Lines = std::vector<std::string>;
using namespace std::chrono_literals;

class TalFixture : public iotest::IoFixture {
  protected:
    void SetUp() override {
        IoFixture::SetUp();
        Ready(0, true);
        Ready(1, true);
        ASSERT_EQ(Corvane_GetError(id), 0);
        sim->ClearTranscript();
    }

    // Every queued answer line, in order.
    Lines Answers() {
        Lines lines;
        for (;;) {
            int size = -1;
            EXPECT_TRUE(Corvane_TalGetAnswerSize(id, &size));
            if (size <= 0) return lines;
            std::string line(static_cast<size_t>(size), '\0');
            EXPECT_TRUE(Corvane_TalGetAnswer(id, line.data(), size));
            line.resize(static_cast<size_t>(size - 1));
            lines.push_back(line);
        }
    }
    // Waits up to limit for at least n queued lines, then takes them all.
    Lines AnswersWhenThere(size_t n, std::chrono::seconds limit) {
        Lines lines;
        const auto end = std::chrono::steady_clock::now() + limit;
        while (lines.size() < n && std::chrono::steady_clock::now() < end) {
            Lines more = Answers();
            lines.insert(lines.end(), more.begin(), more.end());
            if (lines.size() < n) std::this_thread::sleep_for(20ms);
        }
        return lines;
    }
};

}  // namespace taltest
