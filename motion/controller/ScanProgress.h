#pragma once
// The connect scan can take seconds (every absent address waits for its time-out). Once it has
// taken more than a second, each address it probes is logged, and written to standard error when
// the environment variable ZR_CORVANE_SCAN_PROGRESS is set to 1 (the tools set it).
#include <cstdint>

class ScanProgress {
  public:
    explicit ScanProgress(int addresses);
    void Probing(int address);

  private:
    uint32_t m_start;
    int m_addresses;
    bool m_toStandardError;
};
