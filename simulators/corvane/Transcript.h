// What crossed the wire, per board, with time stamps.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "winport/Clock.h"

namespace corvane_sim {

struct ReceivedByte {
    winport::SteadyClock::time_point time;
    uint8_t byte;
};

struct SentAnswer {
    winport::SteadyClock::time_point time;  // when it was put on the line
    std::string text;                       // without CR LF ETX, as sent (garbled or not)
    bool dropped = false;                   // swallowed by fault injection
};

class Transcript {
  public:
    static constexpr int kUnselected = -1;  // bytes that reached no board

    void AddReceived(int board, uint8_t byte, winport::SteadyClock::time_point time);
    void AddSent(int board, SentAnswer answer);
    void Clear();

    std::vector<ReceivedByte> Received(int board) const;
    std::string ReceivedText(int board) const;
    // Command lines as the board took them: select sequences left out, one entry per CR, the
    // single bytes "%" (status) and "#" (inputs) as entries of their own.
    std::vector<std::string> ReceivedLines(int board) const;
    std::vector<SentAnswer> Sent(int board) const;

  private:
    static size_t Slot(int board) {
        return board < 0 || board > 15 ? 16 : static_cast<size_t>(board);
    }

    std::array<std::vector<ReceivedByte>, 17> m_received;
    std::array<std::vector<SentAnswer>, 17> m_sent;
};

}  // namespace corvane_sim
