#include "motion/controller/CCorvaneAxesArray.h"

#include <mutex>

#include "ZR_Corvane_TAL.h"
#include "motion/base/ZRLog.h"

CCorvaneAxesArray::CCorvaneAxesArray() {
    for (int i = 0; i < kMaxCorvaneBoards; ++i) m_Boards[i] = std::make_unique<CCorvaneAxis>(i);
}

CCorvaneAxis* CCorvaneAxesArray::Get(int index) const {
    return index >= 0 && index < kMaxCorvaneBoards ? m_Boards[index].get() : nullptr;
}

int CCorvaneAxesArray::Select(int index, bool force) {
    CCorvaneAxis* board = Get(index);
    if (!board) return COM_ERROR;
    std::unique_lock<winport::CriticalSection> channel;
    if (m_pChannelLock) channel = std::unique_lock<winport::CriticalSection>(*m_pChannelLock);
    if (!force && index == m_iCurrentIndex) return 0;
    ZR_LOG_DEBUG("CCorvaneAxesArray::Select(%d)", index);
    int rc = m_Device.SendChar(kCorvaneSelectByte);
    if (rc == 0) rc = m_Device.SendChar(board->m_cAddress);
    if (rc != 0) return rc;
    m_iCurrentIndex = index;
    m_pCurrent = board;
    return 0;
}

int CCorvaneAxesArray::Select(const CCorvaneAxis* board, bool force) {
    for (int i = 0; i < kMaxCorvaneBoards; ++i)
        if (board && m_Boards[i].get() == board) return Select(i, force);
    ZR_LOG_ERROR("CCorvaneAxesArray::Select() FAILED!");
    return COM_ERROR;
}

int CCorvaneAxesArray::ReSelect() {
    return Select(m_iCurrentIndex, true);
}
