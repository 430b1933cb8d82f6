#pragma once
// The 16 board records of a controller and the board selection. Only one board of the chain
// listens at a time: the byte 0x01 and the board's address character select it, and it stays
// selected until another one is. A selection is therefore sent only when it changes.
#include <array>
#include <memory>

#include "motion/controller/CCorvaneAxis.h"
#include "motion/controller/CCorvaneDevice.h"
#include "winport/CriticalSection.h"

inline constexpr int kMaxCorvaneBoards = 16;
inline constexpr int kNoBoardSelected = -1;
inline constexpr int kCorvaneSelectByte = 0x01;

class CCorvaneAxesArray {
  public:
    CCorvaneAxesArray();

    void SetInterfaceID(int interfaceID) { m_Device.SetInterfaceID(interfaceID); }
    // The controller's channel lock, held while the select bytes go out, so that they cannot cut
    // into another thread's exchange (a board selected and queried under that lock).
    void SetChannelLock(winport::CriticalSection* lock) { m_pChannelLock = lock; }

    // Sends the select bytes unless the board is the current one and force is false. A failed
    // send leaves the selection unchanged and returns the interface error; an index outside
    // 0..15 sends nothing and returns -1.
    [[nodiscard]] int Select(int index, bool force = false);
    [[nodiscard]] int Select(const CCorvaneAxis* board, bool force = false);
    // Sends the select bytes of the current board again (after a failed read).
    [[nodiscard]] int ReSelect();
    // Someone else selected a board on the line (raw text): no board counts as selected, so the
    // next Select sends its bytes.
    void ForgetSelection() {
        m_iCurrentIndex = kNoBoardSelected;
        m_pCurrent = nullptr;
    }

    CCorvaneAxis* GetCurrent() const { return m_pCurrent; }
    int GetCurrentIndex() const { return m_iCurrentIndex; }
    // nullptr outside 0..15.
    CCorvaneAxis* Get(int index) const;

  private:
    std::array<std::unique_ptr<CCorvaneAxis>, kMaxCorvaneBoards> m_Boards;
    int m_iCurrentIndex = kNoBoardSelected;
    CCorvaneAxis* m_pCurrent = nullptr;
    CCorvaneDevice m_Device;
    winport::CriticalSection* m_pChannelLock = nullptr;
};
