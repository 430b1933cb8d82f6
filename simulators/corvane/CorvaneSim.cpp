#include "simulators/corvane/CorvaneSim.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <stdexcept>

namespace corvane_sim {
namespace {
constexpr auto kPhysicsPeriod = std::chrono::milliseconds(1);
constexpr size_t kLineCapacity = 255;  // receive buffer of a board
const std::string kAnswerEnd = "\r\n\x03";

int HexDigit(uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

char Garbled(char c) {
    if (c >= 'A' && c <= 'Z') return c == 'Z' ? 'A' : static_cast<char>(c + 1);
    if (c >= 'a' && c <= 'z') return c == 'z' ? 'a' : static_cast<char>(c + 1);
    return '#';
}
}  // namespace

CorvaneSim::CorvaneSim(SimConfig config) : m_config(std::move(config)) {
    m_baud = m_config.baud;
    m_boards.resize(16);
    for (int i = 0; i < 16; ++i) {
        BoardConfig& bc = m_config.boards[i];
        bc.ApplyTypeDefaults();
        if (bc.present) m_boards[i] = std::make_unique<Board>(i, bc);
    }
}

CorvaneSim::~CorvaneSim() {
    Stop();
}

std::string CorvaneSim::Start() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_started) throw std::runtime_error("corvane-sim: already started");
    m_wakeFd.Reset(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
    if (!m_wakeFd) throw std::runtime_error("corvane-sim: eventfd failed");
    m_slavePath = m_pty.Open();
    m_line = winport::CreateLineTraffic(m_slavePath);
    m_line->AttachPeer([this](uint64_t deadlineUs) { return MaySendBy(deadlineUs); });
    m_started = true;
    m_io = std::thread(&CorvaneSim::IoLoop, this);
    m_physics = std::thread(&CorvaneSim::PhysicsLoop, this);
    return m_slavePath;
}

void CorvaneSim::Stop() {
    // Before taking the lock: a port asking the line may hold the line's lock and wait for ours.
    if (const auto line = LineOf()) line->DetachPeer();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_started || m_stopping) return;
        m_stopping = true;
    }
    Wake();
    m_changed.notify_all();
    if (m_io.joinable()) m_io.join();
    if (m_physics.joinable()) m_physics.join();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_pty.Close();
    m_wakeFd.Reset();
}

std::string CorvaneSim::SlavePath() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_slavePath;
}

std::string CorvaneSim::PortLine() const {
    return "WINPORT_COM" + std::to_string(m_config.com) + "=" + SlavePath();
}

void CorvaneSim::Wake() {
    if (!m_wakeFd) return;
    uint64_t one = 1;
    ssize_t ignored = ::write(m_wakeFd.Get(), &one, sizeof one);
    (void)ignored;
}

Board* CorvaneSim::BoardAt(int address) const {
    if (address < 0 || address > 15) return nullptr;
    return m_boards[address].get();
}

CorvaneSim::FaultCounters& CorvaneSim::FaultsFor(int address) {
    return address >= 0 && address < 16 ? m_faults[address] : m_anyFaults;
}

std::chrono::nanoseconds CorvaneSim::ByteTime() const {
    if (m_baud <= 0) return std::chrono::nanoseconds(0);
    return std::chrono::nanoseconds(10LL * 1000000000LL / m_baud);
}

// ---- faults ---------------------------------------------------------------------------------

void CorvaneSim::DropAnswers(int address, int count) {
    std::lock_guard<std::mutex> lock(m_mutex);
    FaultCounters& f = FaultsFor(address);
    f.drop = std::max(count, 0);
    f.pass = 0;
}

void CorvaneSim::GarbleAnswers(int address, int count) {
    std::lock_guard<std::mutex> lock(m_mutex);
    FaultsFor(address).garble = std::max(count, 0);
}

void CorvaneSim::SetAnswerDelay(int address, std::chrono::milliseconds delay) {
    std::lock_guard<std::mutex> lock(m_mutex);
    FaultsFor(address).delay = std::max(delay, std::chrono::milliseconds(0));
}

void CorvaneSim::SetErrorCode(int address, int code) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (Board* b = BoardAt(address)) b->SetInjectedError(code & 0xFF);
}

void CorvaneSim::SetStalled(int address, bool stalled) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (Board* b = BoardAt(address)) b->GetDrive().SetStalled(stalled);
}

void CorvaneSim::InjectMotionError(int address) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Board* b = BoardAt(address);
    if (b && b->Config().type == BoardType::R220) b->GetDrive().InjectMotionError();
}

void CorvaneSim::PlaceCarriage(int address, long physical) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (Board* b = BoardAt(address)) b->GetDrive().Place(physical);
}

// parameter table
void CorvaneSim::SetForce(int address, long force) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (Board* b = BoardAt(address)) b->SetForce(force);
}

void CorvaneSim::SetBaudRate(int baud) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_baud = std::max(baud, 0);
}

void CorvaneSim::HangUp() {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_started || m_stopping) {
        m_pty.Close();
        m_hungUp = true;
        return;
    }
    m_hangUpRequested = true;
    Wake();
    m_changed.wait_for(lock, std::chrono::seconds(5), [this] { return m_hungUp; });
}

// ---- transcript and state -------------------------------------------------------------------

std::vector<ReceivedByte> CorvaneSim::Received(int address) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_transcript.Received(address);
}

std::string CorvaneSim::ReceivedText(int address) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_transcript.ReceivedText(address);
}

std::vector<std::string> CorvaneSim::ReceivedLines(int address) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_transcript.ReceivedLines(address);
}

std::vector<SentAnswer> CorvaneSim::Sent(int address) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_transcript.Sent(address);
}

void CorvaneSim::ClearTranscript() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_transcript.Clear();
}

void CorvaneSim::SetTranscriptEnabled(bool enabled) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_recording = enabled;
}

bool CorvaneSim::WaitForLine(int address, const std::string& line,
                             std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] {
        auto lines = m_transcript.ReceivedLines(address);
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    });
}

BoardSnapshot CorvaneSim::SnapshotLocked(int address) const {
    BoardSnapshot s;
    Board* b = BoardAt(address);
    if (!b) return s;
    const Drive& d = b->GetDrive();
    s.present = true;
    s.position = d.Counter();
    s.target = d.Target();
    s.velocity = d.Velocity();
    s.acceleration = d.Acceleration();
    s.physical = d.Physical();
    s.servoOn = d.ServoOn();
    s.moving = d.Moving();
    s.findingEdge = d.FindingEdge();
    s.motionError = d.MotionError();
    s.negLimit = d.NegLimitLine();
    s.posLimit = d.PosLimitLine();
    s.reference = d.ReferenceLine();
    s.limitsEnabled = d.LimitsEnabled();
    s.joystickActive = b->JoystickActive();
    s.macroRunning = b->MacroRunning();
    s.errorCode = b->ErrorCode();
    s.status = b->StatusBytes(false);
    return s;
}

BoardSnapshot CorvaneSim::Snapshot(int address) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return SnapshotLocked(address);
}

bool CorvaneSim::WaitFor(int address, const std::function<bool(const BoardSnapshot&)>& predicate,
                         std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return predicate(SnapshotLocked(address)); });
}

void CorvaneSim::SetTraceSink(
    std::function<void(int address, char direction, const std::string& text)> sink) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_traceSink = std::move(sink);
}

void CorvaneSim::FlushTrace() {
    std::vector<TraceEvent> events;
    std::function<void(int, char, const std::string&)> sink;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_traceSink || m_traceEvents.empty()) {
            m_traceEvents.clear();
            return;
        }
        events.swap(m_traceEvents);
        sink = m_traceSink;
    }
    for (const TraceEvent& e : events) sink(e.address, e.direction, e.text);
}

void CorvaneSim::Record(int address, uint8_t byte, Clock::time_point time) {
    if (m_recording) m_transcript.AddReceived(address, byte, time);
}

void CorvaneSim::RecordSent(int address, SentAnswer answer) {
    if (m_recording) m_transcript.AddSent(address, std::move(answer));
}

// ---- the line -------------------------------------------------------------------------------

// Every board listens to the select sequence; only the selected one takes the bytes after it.
void CorvaneSim::Route(uint8_t byte, Clock::time_point time) {
    if (m_expectAddress) {
        m_expectAddress = false;
        int address = HexDigit(byte);
        m_selected = BoardAt(address) ? address : -1;
        Record(m_selected, 0x01, m_selectTime);
        Record(m_selected, byte, time);
        return;
    }
    if (byte == 0x01) {
        m_expectAddress = true;
        m_selectTime = time;
        for (std::string& line : m_lines) line.clear();
        return;
    }
    Record(m_selected, byte, time);
    Board* board = BoardAt(m_selected);
    if (!board) return;
    std::string& line = m_lines[m_selected];
    std::vector<std::string> answers;
    if (byte == '%' && line.empty()) {
        if (m_traceSink) m_traceEvents.push_back({m_selected, '<', "%"});
        if (board->Config().singleChar) board->AcceptStatusByte(answers);
    } else if (byte == '#' && line.empty()) {
        if (m_traceSink) m_traceEvents.push_back({m_selected, '<', "#"});
        if (board->Config().singleChar) board->AcceptInputByte(answers);
    } else if (byte == '\r') {
        if (m_traceSink) m_traceEvents.push_back({m_selected, '<', line});
        board->AcceptLine(line);
        line.clear();
        board->Run(time, answers);
    } else if (byte == '\n' || byte == 0x03) {
        // line ends of a sender that terminates with CR LF are harmless
    } else if (line.size() >= kLineCapacity) {
        board->ReportOverflow();
        line.clear();
    } else {
        line += static_cast<char>(byte);
    }
    Emit(m_selected, answers, Clock::now());
    m_changed.notify_all();
}

void CorvaneSim::Emit(int address, const std::vector<std::string>& answers, Clock::time_point now) {
    for (const std::string& answer : answers) {
        FaultCounters& own = FaultsFor(address);
        SentAnswer record{now, answer, false};
        FaultCounters& dropping = own.drop > 0 ? own : m_anyFaults;
        if (dropping.drop > 0 && dropping.pass > 0) {
            --dropping.pass;
        } else if (dropping.drop > 0) {
            --dropping.drop;
            record.dropped = true;
            RecordSent(address, record);
            if (m_traceSink) m_traceEvents.push_back({address, '>', answer + " (dropped)"});
            continue;
        }
        if ((own.garble > 0 || m_anyFaults.garble > 0) && !record.text.empty()) {
            (own.garble > 0 ? own.garble : m_anyFaults.garble)--;
            record.text[0] = Garbled(record.text[0]);
        }
        auto delay = own.delay.count() > 0 ? own.delay : m_anyFaults.delay;
        Clock::time_point due = now + delay;
        if (!m_output.empty()) due = std::max(due, m_output.back().due);
        record.time = due;
        for (char c : record.text + kAnswerEnd) m_output.push_back({due, static_cast<uint8_t>(c)});
        if (m_traceSink) m_traceEvents.push_back({address, '>', record.text});
        RecordSent(address, std::move(record));
    }
}

// Moves the bytes whose time has come into the write buffer and writes what the master takes.
bool CorvaneSim::WriteDue(Clock::time_point now) {
    auto byteTime = ByteTime();
    while (!m_output.empty()) {
        Clock::time_point at = m_output.front().due;
        if (byteTime.count() > 0) at = std::max(at, m_lastOutput) + byteTime;
        if (at > now) break;
        m_lastOutput = at;
        m_writeBuffer += static_cast<char>(m_output.front().byte);
        m_output.pop_front();
    }
    if (m_writeBuffer.empty() || !m_pty.IsOpen()) return false;
    const int master = m_pty.MasterFd();
    const auto write = [&] { return ::write(master, m_writeBuffer.data(), m_writeBuffer.size()); };
    ssize_t n = m_line ? m_line->PeerWrites(write) : write();
    if (n > 0) m_writeBuffer.erase(0, static_cast<size_t>(n));
    return !m_writeBuffer.empty();
}

void CorvaneSim::IoLoop() {
    uint8_t buffer[4096];
    for (;;) {
        Clock::time_point now = Clock::now();
        Clock::time_point next = now + std::chrono::milliseconds(50);
        bool wantWrite = false;
        int master = -1;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_stopping) break;
            if (m_hangUpRequested && !m_hungUp) {
                m_pty.Close();
                m_hungUp = true;
                m_output.clear();
                m_writeBuffer.clear();
                m_changed.notify_all();
            }
            while (!m_input.empty() && m_input.front().due <= now) {
                Route(m_input.front().byte, m_input.front().due);
                m_input.pop_front();
            }
            wantWrite = WriteDue(now);
            if (!m_input.empty()) next = std::min(next, m_input.front().due);
            if (!m_output.empty()) {
                Clock::time_point at = m_output.front().due;
                if (ByteTime().count() > 0) at = std::max(at, m_lastOutput) + ByteTime();
                next = std::min(next, at);
            }
            master = m_pty.MasterFd();
        }
        FlushTrace();

        pollfd fds[2] = {{m_wakeFd.Get(), POLLIN, 0},
                         {master, static_cast<short>(POLLIN | (wantWrite ? POLLOUT : 0)), 0}};
        auto wait = std::max(next - Clock::now(), Clock::duration(0));
        auto ns = winport::RealDuration(wait).count();
        timespec ts{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
        int ready = ppoll(fds, master >= 0 ? 2 : 1, &ts, nullptr);
        if (ready < 0 && errno != EINTR) break;
        if (fds[0].revents & POLLIN) {
            uint64_t count;
            ssize_t ignored = ::read(m_wakeFd.Get(), &count, sizeof count);
            (void)ignored;
        }
        if (master >= 0 && (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) &&
            !(fds[1].revents & POLLIN)) {
            // nobody can make the line hang up while we hold the slave; never spin on it
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        if (master >= 0 && (fds[1].revents & POLLIN)) {
            ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n > 0) {
                std::lock_guard<std::mutex> lock(m_mutex);
                if (m_line) m_line->PeerRead(static_cast<size_t>(n));
                Clock::time_point arrival = Clock::now();
                auto byteTime = ByteTime();
                for (ssize_t i = 0; i < n; ++i) {
                    Clock::time_point at = arrival;
                    if (byteTime.count() > 0) at = std::max(arrival, m_lastInput) + byteTime;
                    m_lastInput = at;
                    m_input.push_back({at, buffer[i]});
                }
            }
        }
    }
    FlushTrace();
}

void CorvaneSim::PhysicsLoop() {
    Clock::time_point last = Clock::now();
    for (;;) {
        std::this_thread::sleep_for(kPhysicsPeriod);
        bool output = false;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_stopping) break;
            Clock::time_point now = Clock::now();
            double seconds = std::chrono::duration<double>(now - last).count();
            last = now;
            m_physicsTime = now;
            for (int i = 0; i < 16; ++i) {
                Board* b = BoardAt(i);
                if (!b) continue;
                b->Step(seconds);
                if (!b->Waiting() && !b->MacroRunning()) continue;
                std::vector<std::string> answers;
                b->Run(now, answers);
                if (!answers.empty()) {
                    Emit(i, answers, now);
                    output = true;
                }
            }
            m_changed.notify_all();
        }
        if (output) Wake();
    }
}

std::shared_ptr<winport::LineTraffic> CorvaneSim::LineOf() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_line;
}

// Anything that may still reach the port by the deadline: bytes not yet taken in or written, an
// answer due by then, or a board waiting on motion the physics has not run up to the deadline.
bool CorvaneSim::MaySendBy(uint64_t deadlineUs) const {
    const Clock::time_point deadline{std::chrono::microseconds(deadlineUs)};
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_started || m_stopping || m_hungUp) return false;
    if (!m_input.empty() || !m_writeBuffer.empty()) return true;
    if (!m_output.empty()) {
        Clock::time_point at = m_output.front().due;
        if (ByteTime().count() > 0) at = std::max(at, m_lastOutput) + ByteTime();
        if (at <= deadline) return true;
    }
    if (m_physicsTime >= deadline) return false;
    for (int i = 0; i < 16; ++i) {
        const Board* b = BoardAt(i);
        if (b && (b->Waiting() || b->MacroRunning())) return true;
    }
    return false;
}

}  // namespace corvane_sim
