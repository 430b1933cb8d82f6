#include "simulators/corvane/Transcript.h"

namespace corvane_sim {
namespace {
// A simulator that runs for days must not grow without bound: keep the recent history.
constexpr size_t kMaxBytes = 1 << 18;
constexpr size_t kMaxAnswers = 1 << 16;

template <typename T>
void Trim(std::vector<T>& v, size_t max) {
    if (v.size() > max) v.erase(v.begin(), v.begin() + static_cast<long>(v.size() / 2));
}
}  // namespace

void Transcript::AddReceived(int board, uint8_t byte, winport::SteadyClock::time_point time) {
    auto& v = m_received[Slot(board)];
    v.push_back({time, byte});
    Trim(v, kMaxBytes);
}

void Transcript::AddSent(int board, SentAnswer answer) {
    auto& v = m_sent[Slot(board)];
    v.push_back(std::move(answer));
    Trim(v, kMaxAnswers);
}

void Transcript::Clear() {
    for (auto& v : m_received) v.clear();
    for (auto& v : m_sent) v.clear();
}

std::vector<ReceivedByte> Transcript::Received(int board) const {
    return m_received[Slot(board)];
}

std::string Transcript::ReceivedText(int board) const {
    std::string text;
    for (const ReceivedByte& b : m_received[Slot(board)]) text += static_cast<char>(b.byte);
    return text;
}

std::vector<std::string> Transcript::ReceivedLines(int board) const {
    std::vector<std::string> lines;
    std::string line;
    const auto& bytes = m_received[Slot(board)];
    for (size_t i = 0; i < bytes.size(); ++i) {
        uint8_t b = bytes[i].byte;
        if (b == 0x01) {
            ++i;  // the address character
            line.clear();
        } else if (b == '\r') {
            lines.push_back(line);
            line.clear();
        } else if ((b == '%' || b == '#') && line.empty()) {
            lines.push_back(std::string(1, static_cast<char>(b)));
        } else if (b != '\n') {
            line += static_cast<char>(b);
        }
    }
    return lines;
}

std::vector<SentAnswer> Transcript::Sent(int board) const {
    return m_sent[Slot(board)];
}

}  // namespace corvane_sim
