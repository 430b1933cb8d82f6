#include "simulators/corvane/Drive.h"

#include <algorithm>
#include <cmath>

namespace corvane_sim {
namespace {
constexpr double kMaxSubStep = 0.0005;  // seconds; fine enough to see every switch edge
constexpr double kFarAway = 1e9;        // search goal beyond any travel
}  // namespace

Drive::Drive(const BoardConfig& config)
    : m_cfg(config),
      m_cmd(static_cast<double>(config.position)),
      m_phys(static_cast<double>(config.position)),
      m_targetPhys(config.position),
      m_velocity(config.velocity),
      m_acceleration(config.acceleration),
      m_maxPositionError(config.maxPositionError),
      m_servoOn(config.servoOn),
      m_limitPolarityLow(config.limitsActiveLow) {}

long Drive::Counter() const {
    return std::lround(CounterSource()) - m_offset;
}

bool Drive::ReferenceHigh(double p) const {
    bool above = p >= static_cast<double>(m_cfg.reference);
    return m_cfg.referenceHighAbove ? above : !above;
}

// The board stops a move that runs into a switch it sees as active, never one that leaves it.
bool Drive::BlockedBy(int direction) const {
    if (!m_limitsEnabled) return false;
    if (direction > 0) return PosLimitLine() != m_limitPolarityLow;
    if (direction < 0) return NegLimitLine() != m_limitPolarityLow;
    return false;
}

bool Drive::MoveTo(long target) {
    if (!m_servoOn) return false;
    m_targetPhys = target + m_offset;
    m_mode = Mode::Position;
    return true;
}

bool Drive::MoveBy(long delta) {
    if (!m_servoOn) return false;
    long base = FindingEdge() ? Counter() : Target();
    return MoveTo(base + delta);
}

bool Drive::FindEdge(int direction) {
    if (!m_servoOn) return false;
    m_searchDir = direction > 0 ? 1 : -1;
    m_searchStartLevel = ReferenceHigh(m_phys);
    m_targetPhys = std::lround(CounterSource());
    m_mode = Mode::Search;
    return true;
}

// Towards the edge as the signal tells: below the edge the line shows its low level, unless
// the polarity is inverted.
bool Drive::FindEdgeBySignal(bool invertedPolarity) {
    bool high = ReferenceHigh(m_phys);
    bool belowEdge = invertedPolarity ? high : !high;
    return FindEdge(belowEdge ? 1 : -1);
}

void Drive::Stop() {
    if (m_mode == Mode::Idle) return;
    if (m_v == 0) {
        Halt();
        return;
    }
    double a = static_cast<double>(std::max(m_acceleration, 1L));
    double brake = m_v * std::fabs(m_v) / (2 * a);
    m_targetPhys = std::lround(m_cmd + brake);
    m_mode = Mode::Position;
}

void Drive::Abort() {
    Halt();
}

void Drive::Halt() {
    m_v = 0;
    if (!Stepper()) m_cmd = m_phys;
    m_targetPhys = std::lround(CounterSource());
    m_mode = Mode::Idle;
}

void Drive::SetServo(bool on) {
    if (!on) Halt();
    if (on && !m_servoOn) {
        // switching on holds the carriage where it stands
        m_cmd = m_phys;
        m_targetPhys = std::lround(CounterSource());
        m_motionError = false;
    }
    m_servoOn = on;
}

void Drive::DefineHome() {
    m_offset = std::lround(CounterSource());
}

void Drive::InjectMotionError() {
    m_motionError = true;
    Halt();
    m_servoOn = false;
}

void Drive::Place(long physical) {
    double p = std::clamp(static_cast<double>(physical), static_cast<double>(m_cfg.travelMin),
                          static_cast<double>(m_cfg.travelMax));
    Halt();
    m_phys = p;
    m_cmd = p;
    m_targetPhys = std::lround(p);
}

double Drive::Goal() const {
    if (m_mode == Mode::Search) return m_cmd + m_searchDir * kFarAway;
    return static_cast<double>(m_targetPhys);
}

void Drive::Follow() {
    if (m_stalled) return;
    m_phys = std::clamp(m_cmd, static_cast<double>(m_cfg.travelMin),
                        static_cast<double>(m_cfg.travelMax));
}

bool Drive::Step(double seconds) {
    bool ended = false;
    while (seconds > 0) {
        double dt = std::min(seconds, kMaxSubStep);
        seconds -= dt;
        if (m_mode == Mode::Idle) {
            if (m_servoOn && !Stepper()) m_cmd = m_phys;
            continue;
        }
        ended = SubStep(dt) || ended;
    }
    return ended;
}

bool Drive::SubStep(double dt) {
    double goal = Goal();
    double d = goal - m_cmd;
    int toward = d > 0 ? 1 : (d < 0 ? -1 : 0);
    int heading = m_v > 0 ? 1 : (m_v < 0 ? -1 : toward);
    if (BlockedBy(heading)) {
        Halt();
        return true;
    }
    double a = static_cast<double>(std::max(m_acceleration, 1L));
    double vmax = static_cast<double>(std::max(m_velocity, 0L));
    // fastest speed from which the goal can still be reached; never below one step of
    // acceleration so the approach ends in finite time
    double reachable = std::max(std::sqrt(2 * a * std::fabs(d)), a * dt);
    double wanted = toward * std::min(vmax, reachable);
    m_v += std::clamp(wanted - m_v, -a * dt, a * dt);
    m_cmd += m_v * dt;
    bool arrived = m_mode != Mode::Search && (goal - m_cmd) * d <= 0;
    if (arrived) {
        m_cmd = goal;
        m_v = 0;
    }
    Follow();

    if (m_mode == Mode::Search && ReferenceHigh(m_phys) != m_searchStartLevel) {
        // the edge is the first count showing the new level; come back to it
        long edge = m_searchDir > 0 ? m_cfg.reference : m_cfg.reference - 1;
        if (Stepper()) edge += std::lround(m_cmd - m_phys);
        m_targetPhys = edge;
        m_mode = Mode::Return;
    }
    if (!Stepper() && m_maxPositionError > 0 &&
        std::fabs(m_cmd - m_phys) > static_cast<double>(m_maxPositionError)) {
        InjectMotionError();
        return true;
    }
    if (arrived) {
        m_mode = Mode::Idle;
        return true;
    }
    return false;
}

}  // namespace corvane_sim
