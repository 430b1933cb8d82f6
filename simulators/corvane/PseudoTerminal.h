// The pseudo-terminal pair the chain answers on; the slave side is the "serial port".
#pragma once

#include <string>

#include "winport/UniqueFd.h"

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
    bool IsOpen() const { return m_master.Valid(); }
    int MasterFd() const { return m_master.Get(); }
    const std::string& SlavePath() const { return m_slavePath; }

  private:
    winport::UniqueFd m_master;
    winport::UniqueFd m_slave;  // held open so the master never sees a hang-up between clients
    std::string m_slavePath;
};

}  // namespace corvane_sim
