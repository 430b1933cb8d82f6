// The pseudo-terminal pair the chain answers on; the slave side is the "serial port".
#pragma once

#include <string>

namespace corvane_sim {

class PseudoTerminal {
  public:
    PseudoTerminal() = default;
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;
    ~PseudoTerminal() { Close(); }

    // Opens a raw, non-blocking master and returns the slave path; throws std::runtime_error.
    std::string Open();
    // Closing the master makes the slave device vanish.
    void Close();
    bool IsOpen() const { return m_master >= 0; }
    int MasterFd() const { return m_master; }
    const std::string& SlavePath() const { return m_slavePath; }

  private:
    int m_master = -1;
    int m_slave = -1;  // held open so the master never sees a hang-up between clients
    std::string m_slavePath;
};

}  // namespace corvane_sim
