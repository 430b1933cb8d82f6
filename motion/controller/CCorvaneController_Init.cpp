// Initialisation: the scan of the daisy chain and the tables it builds.
#include <cstring>

#include "motion/base/InstallationDirectory.h"
#include "motion/base/ZRLog.h"
#include "motion/base/ZRScopeTrace.h"
#include "motion/controller/CCorvaneController.h"
#include "motion/controller/CorvaneAnswer.h"
#include "motion/controller/CorvaneAxisIdentifiers.h"
#include "motion/controller/CorvaneLibrarySettings.h"
#include "motion/controller/ScanProgress.h"

namespace {
constexpr char kSendTerminator[] = "\r";
constexpr char kReceiveTerminator[] = "\r\n\x03";
constexpr int kMotTypeStepper = 6;
constexpr int kChannelsPerBoard = 4;
}  // namespace

void CCorvaneController::Init() {
    ZR_SCOPE_TRACE("CCorvaneController::Init");
    const int maxSearch = m_iMaxNumberOfAxesForControllerSearch;
    ZR_LOG_DEBUG("CCorvaneController::Init() m_iMaxNumberOfAxesForControllerSearch = %d",
                 maxSearch);

    m_heventWaitForReferenceThreadStart = std::make_unique<winport::Event>(true, false);
    m_bAsyncReadActive = false;

    for (int i = 0; i < kMaxIOChannels; ++i) m_iIOChannelBoard[i] = m_iIOChannelLine[i] = -1;
    m_Axes.SetInterfaceID(m_iInterfaceID);
    m_Axes.SetChannelLock(&m_csChannel);

    (void)m_Device.SetTerminators(kSendTerminator, kReceiveTerminator);  // fixed, valid terminators
    (void)m_Device.Clear();  // a dead channel fails the next exchange

    ResetControllerState();
    m_iLocalError = 0;
    m_iControllerError = 0;
    (void)m_Device.SetTimeout(kCorvaneScanTimeoutMs);  // a dead channel fails the next exchange
    ClearScanTables();

    // A board that answered "TB" but failed detection or its status read makes the connection
    // fail, even when a board further down the chain clears the local error again.
    int scanError = 0;
    ScanProgress progress(maxSearch < kMaxCorvaneBoards ? maxSearch : kMaxCorvaneBoards);
    for (int i = 0; i < kMaxCorvaneBoards; ++i) {
        m_AxisData[i].m_cIdentifier = 0;
        m_AxisData[i].m_strStageName.clear();
        m_AxisData[i].m_bInitialised = false;
        m_iJoystickBoard[i] = -1;
        m_iTriggerBoard[i] = -1;
        bool present = false;
        if (i < maxSearch) {
            progress.Probing(i);
            present = CheckCorvaneBoard(i);
            if (!present && scanError == 0) scanError = m_iLocalError;
        } else {
            ZR_LOG_DEBUG("CCorvaneController::Init() do not check axis %d - index not wanted", i);
        }
        m_Axes.Get(i)->m_bPresent = present;
        if (present) EnterPresentBoard(i);
        m_heventTerminateReferencemove[i] = std::make_unique<winport::Event>(true, false);
    }

    m_szIOChannelNames[m_iNrIOChannels] = '\0';
    m_bInitialised = true;
    (void)m_Device.SetTimeout(kCorvaneTimeoutMs);  // a dead channel fails the next exchange

    if (m_iLocalError == 0) m_iLocalError = scanError;
    if (m_iNrPresentBoards == 0) {
        m_iLocalError = NOT_CONNECTED_ERROR;
    } else {
        const std::string host = CorvaneHostDirectory();
        m_strZrStagesBasePath = JoinNativePath(host, "zrstages");
        m_strUserStagesBasePath = JoinNativePath(host, "corvaneuserstages");
    }
}

void CCorvaneController::ResetControllerState() {
    errorCheck = 1;
    m_iMacroRecording = 0;
    m_IsReferencing = 0;
    m_iCurrentReferenceAxis = -1;
    m_iMacroAxis = -1;
    m_strMacroLine.clear();
    m_iMacroCommandCount = 0;
    for (int i = 0; i < kMaxCorvaneBoards; ++i) {
        m_AxisData[i].iAktHomePosition = 0;
        m_AxisData[i].iCorvaneHomePosition = 0;
        m_ParameterSet[i].Set(StageFields::kMotFactor, 1.0);
        m_AxisData[i].m_bReferenced = false;
        m_iRefResult[i] = 0;
    }
}

void CCorvaneController::ClearScanTables() {
    m_iNrPresentBoards = 0;
    m_iNrAnalogChannels = 0;
    m_iNrJoysticks = 0;
    m_iNrTriggerOutputs = 0;
    m_iNrIOChannels = 0;
    std::memset(m_szIOChannelNames, 0, sizeof m_szIOChannelNames);
}

void CCorvaneController::EnterPresentBoard(int i) {
    const CCorvaneAxis* board = m_Axes.Get(i);
    for (int line = 1; line <= kChannelsPerBoard; ++line) {
        const int channel = m_iNrIOChannels++;
        m_szIOChannelNames[channel] = kValidAxisIdentifiers[i * kChannelsPerBoard + line - 1];
        m_iIOChannelBoard[channel] = i;
        m_iIOChannelLine[channel] = line;
    }
    const int analogLines = board->m_bHasJoystickPort ? 4 : 3;
    for (int line = 1; line <= analogLines; ++line) {
        const int n = m_iNrAnalogChannels++;
        m_iAnalogChannel[n] = i * kChannelsPerBoard + line;
        m_iAnalogBoard[n] = i;
        m_iAnalogLine[n] = line;
    }
    if (board->m_bHasJoystickPort) {
        m_iJoystickBoard[i] = i;
        ++m_iNrJoysticks;
    }
    if (board->m_bCanTrigger) {
        m_iTriggerBoard[i] = i;
        ++m_iNrTriggerOutputs;
    }
    ApplyStageParameters(i, DefaultParameterSet(i));
    ++m_iNrPresentBoards;
}

StageParameterSet CCorvaneController::DefaultParameterSet(int index) const {
    StageParameterSet set;
    set.Set(StageFields::kMotType, m_Axes.Get(index)->m_bStepper ? kMotTypeStepper : 0);
    set.Set(StageFields::kMotFactor, 1.0);
    set.Set(StageFields::kMotCpuZ, 1);
    set.Set(StageFields::kMotCpuN, 1);
    set.Set(StageFields::kMotInvert, 1);
    return set;
}

ZR_BOOL CCorvaneController::CheckCorvaneBoard(int index) {
    ZR_LOG_DEBUG("CCorvaneController::CheckCorvaneBoard(%d) =============", index);
    CCorvaneAxis* board = m_Axes.Get(index);
    if (!board) return false;
    (void)m_Axes.Select(index);  // a failed selection fails the next exchange
    (void)SendCommand("xx");     // the next exchange reports a dead channel
    (void)SendCommand("EF");
    (void)SendCommand("EF");
    (void)m_Device.Clear();  // a dead channel fails the next exchange

    char answer[kCorvaneAnswerSize] = {};
    {
        winport::ScopedLock channel(m_csChannel);
        if (m_Device.Query("TB", answer, sizeof answer) != 0) return false;
    }
    if (CorvaneAnswerValue(answer) != index) return false;

    bool detected = false;
    if (checkFeaturesByVersion) detected = FindFeaturesByVersion(board);
    if (!detected) detected = FindFeaturesByTestingCommands(board);
    if (!detected) return false;

    m_iLocalError = 0;
    uint8_t status[kMaxStatusBytes];
    if (!ReadCorvaneStatus(status)) return false;
    if (board->m_bHasJoystickPort) board->m_bJoystickActive = board->JoystickActive(status);
    return true;
}
