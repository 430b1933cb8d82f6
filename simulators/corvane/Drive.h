// The motor of one board with its carriage, limit switches and reference switch, in real time.
#pragma once

#include "simulators/corvane/SimConfig.h"

namespace corvane_sim {

class Drive {
  public:
    explicit Drive(const BoardConfig& config);

    // Board counter view. An R-220 counts its encoder; an R-210 counts the steps it gave,
    // whether the carriage followed or not.
    long Counter() const;
    long Target() const { return m_targetPhys - m_offset; }
    long Velocity() const { return m_velocity; }
    long Acceleration() const { return m_acceleration; }
    double Physical() const { return m_phys; }
    double CurrentSpeed() const { return m_v; }

    bool Moving() const { return m_mode != Mode::Idle; }
    bool FindingEdge() const { return m_mode == Mode::Search || m_mode == Mode::Return; }
    bool ServoOn() const { return m_servoOn; }
    bool MotionError() const { return m_motionError; }
    bool LimitsEnabled() const { return m_limitsEnabled; }

    // Line levels as the input byte shows them (before any polarity).
    bool NegLimitLine() const { return NegSwitch() != m_cfg.limitsActiveLow; }
    bool PosLimitLine() const { return PosSwitch() != m_cfg.limitsActiveLow; }
    bool ReferenceLine() const { return ReferenceHigh(m_phys); }

    // Each returns false when the board refuses (motor off).
    bool MoveTo(long target);
    bool MoveBy(long delta);
    bool FindEdge(int direction);  // +1 towards positive counts, -1 towards negative
    bool FindEdgeBySignal(bool invertedPolarity);
    void Stop();   // decelerate with the set acceleration
    void Abort();  // stop at once where the carriage is
    void SetServo(bool on);
    void DefineHome();
    void SetVelocity(long countsPerSecond) { m_velocity = countsPerSecond; }
    void SetAcceleration(long countsPerSecond2) { m_acceleration = countsPerSecond2; }
    void SetMaxPositionError(long counts) { m_maxPositionError = counts; }
    void SetLimitsEnabled(bool on) { m_limitsEnabled = on; }
    void SetLimitsActiveLow(bool low) { m_limitPolarityLow = low; }
    void ClearMotionError() { m_motionError = false; }
    void InjectMotionError();
    void SetStalled(bool stalled) { m_stalled = stalled; }
    void Place(long physical);

    // Advances the simulation; true when a move or search ended during the interval.
    bool Step(double seconds);

  private:
    enum class Mode { Idle, Position, Search, Return };

    bool NegSwitch() const { return m_phys <= m_cfg.negLimit; }
    bool PosSwitch() const { return m_phys >= m_cfg.posLimit; }
    bool ReferenceHigh(double p) const;
    bool BlockedBy(int direction) const;
    bool Stepper() const { return m_cfg.type == BoardType::R210; }
    double CounterSource() const { return Stepper() ? m_cmd : m_phys; }
    double Goal() const;
    bool SubStep(double dt);
    void Halt();
    void Follow();

    BoardConfig m_cfg;
    Mode m_mode = Mode::Idle;
    double m_cmd = 0;   // profile position, physical counts
    double m_phys = 0;  // carriage position
    double m_v = 0;     // profile speed, counts per second
    long m_targetPhys = 0;
    long m_offset = 0;  // physical position of counter 0
    long m_velocity = 0;
    long m_acceleration = 1;
    long m_maxPositionError = 0;
    bool m_servoOn = false;
    bool m_motionError = false;
    bool m_limitsEnabled = true;
    bool m_limitPolarityLow = false;
    bool m_stalled = false;
    int m_searchDir = 0;
    bool m_searchStartLevel = false;
};

}  // namespace corvane_sim
