#pragma once
// One controller: a daisy chain of up to 16 Corvane boards behind one RS-232 interface, one motor
// axis per board. The operations of the TAL commands are spread over files by family
// (CCorvaneController_<Family>.cpp); they all reach the boards through the native channel below:
// select a board, send a command line, query with an answer check, read the status bytes.
//
// Locks, all re-entrant. Where two are needed, m_csRefFlag is taken before the channel lock.
//   m_csChannel       one native query transaction (all its attempts) at a time; board
//                     selections and command lines are written under it too
//   m_csRefStart      serialises the starting of reference procedures
//   m_csAnswerList    the answer list of the command-string interface
//   m_csRefFlag       m_IsReferencing, and status reads that must not interleave with a
//                     running reference procedure
//   m_csAsyncBuffer   the state, buffer and value counter of the joystick-table read
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "ZR_Corvane_TAL.h"
#include "motion/controller/CCorvaneAxesArray.h"
#include "motion/controller/CCorvaneAxis.h"
#include "motion/controller/CCorvaneAxisData.h"
#include "motion/controller/CCorvaneDevice.h"
#include "motion/controller/CorvaneStatus.h"
#include "motion/controller/CorvaneUnits.h"
#include "motion/stages/CZRStageInfoTAL.h"
#include "motion/stages/StageParameterSet.h"
#include "winport/CriticalSection.h"
#include "winport/Event.h"

inline constexpr int kCorvaneAnswerSize = 100;  // a query reads at most 99 characters
inline constexpr int kCorvaneCommandSize = 64;
inline constexpr int kMaxIOChannels = 64;
inline constexpr unsigned kCorvaneScanTimeoutMs = 500;
inline constexpr unsigned kCorvaneTimeoutMs = 5000;
inline constexpr int kMaxMacroCommands = 16;

class CCorvaneController {
  public:
    // Opens COM<port> at the baud rate (8 data bits, no parity, one stop bit, no handshake),
    // then initialises the controller. A failure stays in the local error (GetError).
    CCorvaneController(int port, int baud);
    // Lets the user choose the port in the interface setup dialog, with the settings saved under
    // key (the default key for null or ""), then initialises the controller like the constructor
    // above but keeps the line end on received lines. No port chosen (cancelled, no display, no
    // serial port) or a port that did not open leaves a non-zero local error.
    explicit CCorvaneController(const char* key);
    virtual ~CCorvaneController();
    CCorvaneController(const CCorvaneController&) = delete;
    CCorvaneController& operator=(const CCorvaneController&) = delete;

    // Takes and clears the local error, else the controller error; with neither set, polls the
    // status of the initialised axes that have a stage first.
    virtual int GetError();
    ZR_BOOL qERR(int* error);

    // ---- native channel ----------------------------------------------------------------------
    // One command line to the selected board; while a macro is recorded the line goes to the
    // macro instead. waitForChannel: wait for a running query transaction to end first (FALSE
    // only for callers that hold the channel lock). 0 or the interface error.
    [[nodiscard]] int SendCommand(const char* text, ZR_BOOL waitForChannel = 1);
    // Query with answer check: sends query (or the single byte, when non-zero), expects an
    // answer starting with first with ':' at colonPosition, three attempts. The answer stays
    // valid until the calling thread's next query; nullptr on failure (local error set).
    [[nodiscard]] char* ReadCorvane(const char* query, char singleByte, char first,
                                    int colonPosition);
    // Status bytes of the selected board (unreported bytes 0), checked for errors. FALSE only
    // when no valid status could be read.
    [[nodiscard]] ZR_BOOL ReadCorvaneStatus(uint8_t status[kMaxStatusBytes]);
    void CheckStatusForError(const uint8_t status[kMaxStatusBytes]);
    ZR_BOOL IsTrajectoryComplete(const uint8_t status[kMaxStatusBytes]);
    // FALSE with ZR_CONTROLLER_BUSY while a reference procedure runs and checkBusy is 1.
    [[nodiscard]] ZR_BOOL CheckController(int checkBusy);
    // TAL units to counts, rounded half away from zero; ToCounts also applies ZR_PARA_MOT_FACTOR.
    int ToCounts(int axis, double value) const;
    int ToCountsNoFactor(int axis, double value) const;
    // "SA%d" with value clamped to 200..9999999, in the controller's acceleration buffer.
    const char* MakeAccelerationCommand(int value);

    // ---- axes, detection ---------------------------------------------------------------------
    void Init();
    ZR_BOOL CheckCorvaneBoard(int index);
    ZR_BOOL FindFeaturesByVersion(CCorvaneAxis* board);
    ZR_BOOL FindR210FeaturesByVersion(CCorvaneAxis* board, const char* checksum);
    ZR_BOOL FindR220FeaturesByVersion(CCorvaneAxis* board, const char* checksum);
    ZR_BOOL FindFeaturesByTestingCommands(CCorvaneAxis* board);
    // Gives axis the parameter set (its stage); a set for the other motor type is refused (16).
    ZR_BOOL ApplyStageParameters(int axis, const StageParameterSet& set);
    ZR_BOOL INI(const char* axes);
    ZR_BOOL SAI(const char* oldAxes, const char* newAxes);
    ZR_BOOL qSAI(char* buffer, int size);
    ZR_BOOL qSAI_ALL(char* buffer, int size);
    // What GetAxesIndex demands of every axis it resolves.
    struct AxisRequirements {
        bool stage = false;        // a stage is assigned (else ZR_CNTR_INVALID_STAGE_NAME)
        bool referenced = false;   // else ZR_CNTR_MOVE_WITHOUT_REF_OR_NO_SERVO
        bool initialised = false;  // else ZR_CNTR_MOVE_WITHOUT_REF_OR_NO_SERVO
        // an empty string also lists the axes without a stage
        bool allAxesWhenEmpty = false;
        // an axis whose reference mode is off counts as referenced
        bool honourReferenceMode = false;
    };
    // Resolves an axis string into axis indices. indices must hold one int per character of
    // axes (16 for an empty or null string).
    [[nodiscard]] ZR_BOOL GetAxesIndex(const char* axes, int* indices, int* count,
                                       const AxisRequirements& need);

    // ---- stages (CCorvaneController_Stages.cpp) ------------------------------------------------
    // The catalogue's stages a Corvane board can drive (types 0, 2 and 6), without "NOSTAGE".
    // FALSE only for a user database of an old revision; other catalogue errors stay in
    // m_StageInfo for the caller.
    ZR_BOOL GetAvailableStages(StageMap& stages);
    // Gives each axis the stage of the same position in names (separated by blanks); "NOSTAGE"
    // takes the stage away. Nothing is sent to the boards: INI does that.
    ZR_BOOL CST(const char* axes, const char* names);
    ZR_BOOL qCST(const char* axes, char* buffer, int size);
    ZR_BOOL qVST(char* buffer, int size);
    // Saves the axes' parameter sets as user stages under their stage names.
    ZR_BOOL AddStage(const char* axes);
    ZR_BOOL RemoveStage(const char* name);
    // There are no edit dialogs: COM_FUNCTION_NOT_SUPPORTED in the controller error, nullptr.
    void* OpenUserStagesEditDialog();
    void* OpenZrStagesEditDialog();

    // ---- reference helpers -------------------------------------------------------------------
    // Moves the selected axis out of an active limit switch at a tenth of its velocity. A start
    // event, when given, is signalled once the move is under way and *startEventSet set.
    ZR_BOOL MoveOutOfLimitCondition(int axis, winport::Event* startEvent, bool* startEventSet);
    // Its steps.
    ZR_BOOL PrepareLimitExit(int axis);
    ZR_BOOL StartLimitExitMove(const char* moveLine, int targets[2], winport::Event* startEvent,
                               bool* startEventSet);
    ZR_BOOL WatchLimitExit(int axis, uint8_t watched, int* released);
    void FinishLimitExit(int axis);

    // ---- macro recording ---------------------------------------------------------------------
    // Where SendCommand puts its lines while a macro is being recorded: appended to the macro
    // line unless the macro would exceed 16 commands (ZR_CNTR_MACRO_MEMORY_FULL). Returns the
    // controller error.
    int RecordMacroLine(const char* line);

    // ---- macros (CCorvaneController_Macro*.cpp) ----------------------------------------------
    // A macro is named by the identifier of the axis whose board keeps it, "MC" and its number
    // 0 to 31 ("AMC5"; "AMC" is macro 0). Names that do not parse: ZR_CNTR_INVALID_MAC_PARAMETER.
    ZR_BOOL MAC_BEG(const char* name);
    // Stores the recorded macro on its board. FALSE, with the errors kept for GetError, when
    // anything went wrong while recording, when nothing was recorded, or when the define line
    // could not be sent or the board did not take the macro.
    ZR_BOOL MAC_END();
    ZR_BOOL MAC_START(const char* name);
    ZR_BOOL MAC_NSTART(const char* name, int repetitions);
    ZR_BOOL MAC_DEL(const char* name);
    // One macro as TAL lines, or with a null or empty name the names of the stored macros.
    // A text that does not fit leaves COM_BUFFER_OVERFLOW; the buffer then holds the native text
    // as "<non TAL: ...>" when that fits, else "".
    ZR_BOOL qMAC(const char* name, char* buffer, int size);
    // The text form of the command-string interface: "BEG name", "END", "START name",
    // "NSTART name count", "DEL name".
    ZR_BOOL MAC(const char* text);
    // Conditions recorded into the macro ("ONT? A = 1", "DIO? C = 0", "JBS? 1 1 = 1").
    ZR_BOOL WAC(const char* condition);
    ZR_BOOL MEX(const char* condition);
    ZR_BOOL DEL(int milliseconds);
    ZR_BOOL IsRecordingMacro(ZR_BOOL* recording);
    // Asks the boards of the axes with a stage that answer the single status byte; a board
    // without it counts as running no macro. 0 while a reference procedure runs.
    ZR_BOOL IsRunningMacro(ZR_BOOL* running);
    // Native macro text of axis's board as TAL lines into buffer (COM_BUFFER_OVERFLOW when the
    // text does not fit).
    ZR_BOOL TranslateMacro(const char* text, int axis, char* buffer, int size);
    std::string TranslateMacroCommand(const char* command, int axis) const;

  protected:
    struct MacroName {
        int axis = -1;
        int number = 0;
    };
    [[nodiscard]] ZR_BOOL ParseMacroName(const char* name, MacroName& parsed);
    // The refusals of the commands that may not run while recording (-1010) or referencing.
    [[nodiscard]] ZR_BOOL MacroCommandAllowed();
    // Appends line to the macro being recorded; false when it did not go in (memory full).
    [[nodiscard]] bool RecordIntoMacro(const char* line);
    // Status read of the board with a time-out long enough for its macro memory.
    [[nodiscard]] ZR_BOOL ReadStatusAfterMacroChange(int board);
    [[nodiscard]] ZR_BOOL SendMacroRun(const MacroName& name, const char* line);
    [[nodiscard]] ZR_BOOL ListMacros(char* buffer, int size);
    [[nodiscard]] int ReadMacroRound(int board, const char* command, bool oneLine,
                                     std::string& text, int size);
    [[nodiscard]] ZR_BOOL ReadOneMacro(const MacroName& name, std::string& text);
    // The channel on the macro axis's board named by a one-character identifier; -1 when none.
    [[nodiscard]] int MacroBoardChannel(const std::string& identifier) const;
    [[nodiscard]] struct MacroAxisView MacroViewOf(int axis) const;

  public:
    // ---- end of macros -----------------------------------------------------------------------

    // ---- identification and raw text (CCorvaneController_Identification.cpp, _NonTAL.cpp) ----
    // Text queries copy their text with its NUL into buffer (size bytes); a text that does not
    // fit, or a null buffer, leaves the buffer untouched with COM_BUFFER_OVERFLOW.
    ZR_BOOL qIDN(char* buffer, int size);
    ZR_BOOL qVER(char* buffer, int size);
    ZR_BOOL qHLP(char* buffer, int size);
    ZR_BOOL qTVI(char* buffer, int size);
    ZR_BOOL SendNonTALString(const char* text);
    ZR_BOOL ReceiveNonTALString(char* buffer, int size);
    // Stores the flag and returns the previous one.
    int SetErrorCheck(int flag) { return std::exchange(errorCheck, flag); }
    bool MacroRecordingActive() const { return m_iMacroRecording != 0; }

    // ---- command-string interface (CCorvaneController_Tal*.cpp) -----------------------------
    // Runs the lines of text (separated by LF) under m_csRefFlag; TRUE when every line succeeded.
    // A line that does not parse counts as succeeded: its error waits in the local error.
    ZR_BOOL TalCommandset(const char* text);
    ZR_BOOL TalSingleCommand(const std::string& line);
    // Size of the next answer line with its NUL, 0 when none waits; ZR_INVALID_ARGUMENT for null.
    ZR_BOOL TalGetAnswerSize(int* size);
    // Moves the next answer line into buffer; an empty list leaves the buffer alone (TRUE).
    ZR_BOOL TalGetAnswer(char* buffer, int size);

  protected:
    friend struct TalAccess;
    void ReportInvalidTalLine(const std::string& identifiers);

  public:
    // ---- end of command-string interface -----------------------------------------------------

    // ---- closing (CCorvaneController_RefStop.cpp) ----------------------------------------------
    // Ends a running reference procedure and waits for its thread, so that nothing uses the
    // controller once it is deleted. The controller table calls it before deleting.
    void StopReferenceThread();

    // ---- reference procedures (CCorvaneController_Ref*.cpp) -----------------------------------
    // REF, MPL, MNL start the procedure for the axes on the reference thread and return once the
    // first axis is under way (at most about 3 s); the rest is learnt through IsReferencing and,
    // once the thread has ended, GetRefResult, IsReferenceOK and GetError.
    ZR_BOOL REF(const char* axes);
    ZR_BOOL MPL(const char* axes);
    ZR_BOOL MNL(const char* axes);
    // The boards' own edge search ("FE2"); every edge ID must be 3. The parameters are not used.
    ZR_BOOL FED(const char* axes, const int* edgeIDs, const int* edgeParameters);
    ZR_BOOL IsReferencing(const char* axes, ZR_BOOL* isReferencing);
    ZR_BOOL GetRefResult(const char* axes, int* results);
    ZR_BOOL IsReferenceOK(const char* axes, ZR_BOOL* referenced);
    ZR_BOOL qREF(const char* axes, ZR_BOOL* hasReference);
    // For HLT: once a reference thread has been started, signals the terminate event of the
    // reference-list position that holds axis and waits 10 ms. False when the axis is not listed.
    bool TerminateReferenceMove(int axis);
    // For STP: the same for every occupied list position, one 10 ms wait. False when none.
    bool TerminateReferenceMoves();
    // For the command-string interface: the next REF, MPL or MNL adds an answer line per axis.
    void RequestReferenceAnswers() { m_iRefAnswerRequest = 1; }
    // The native line a recorded REF stores in the macro; empty for an axis not initialised.
    std::string MakeRefMacroLine(int axis) const;

    // ---- state for callers -------------------------------------------------------------------
    int InterfaceID() const { return m_iInterfaceID; }
    int LocalError() const { return m_iLocalError; }
    int ControllerError() const { return m_iControllerError; }
    bool IsInitialised() const { return m_bInitialised; }

    // ---- motion (CCorvaneController_Motion*.cpp) ---------------------------------------------
    // Positions, distances and velocities in TAL units (CorvaneUnits.h). Value arrays run
    // parallel to the axis string; a query given a null or empty string answers for every axis
    // that has a stage, in index order. A null value array fails with ZR_INVALID_ARGUMENT.
    ZR_BOOL MOV(const char* axes, const double* positions);
    ZR_BOOL qMOV(const char* axes, double* positions);
    ZR_BOOL MVR(const char* axes, const double* distances);
    ZR_BOOL qPOS(const char* axes, double* positions);
    ZR_BOOL POS(const char* axes, const double* positions);
    ZR_BOOL GOH(const char* axes);
    ZR_BOOL DFH(const char* axes);
    ZR_BOOL qDFH(const char* axes, double* homes);
    // checkBusy 0: also while a reference procedure runs (the export forms).
    ZR_BOOL DFF(const char* axes, const double* factors, int checkBusy = 1);
    ZR_BOOL qDFF(const char* axes, double* factors, int checkBusy = 1);
    ZR_BOOL VEL(const char* axes, const double* velocities);
    ZR_BOOL qVEL(const char* axes, double* velocities);
    ZR_BOOL SVO(const char* axes, const ZR_BOOL* states);
    ZR_BOOL qSVO(const char* axes, ZR_BOOL* states);
    ZR_BOOL RON(const char* axes, const ZR_BOOL* states);
    ZR_BOOL qRON(const char* axes, ZR_BOOL* states);
    ZR_BOOL HLT(const char* axes);
    ZR_BOOL STP();
    // combined 1 (the export): a null or empty string gives one answer for all axes in moving[0].
    ZR_BOOL IsMoving(const char* axes, ZR_BOOL* moving, int combined = 1);
    ZR_BOOL qONT(const char* axes, ZR_BOOL* onTarget);
    ZR_BOOL qLIM(const char* axes, ZR_BOOL* hasLimitSwitches, int checkBusy = 1);
    ZR_BOOL qTMN(const char* axes, double* minimum);
    ZR_BOOL qTMX(const char* axes, double* maximum);
    ZR_BOOL BRA(const char* axes, const ZR_BOOL* states);
    ZR_BOOL qBRA(char* buffer, int size);
    ZR_BOOL qSRG(const char* axes, const int* registers, int* values);
    ZR_BOOL GetStatus(const char* axes, const int* items, int* values);
    // The board's target of the axis, as position; it becomes the library's valid target.
    ZR_BOOL ReadTarget(int axis, double* position);

    // ---- parameters (CCorvaneController_Parameters.cpp, CorvaneParameterActions.cpp) ---------
    // Whether CheckParameters looks at the values (SPA) or only at the IDs (SPA? without items).
    enum class ParameterValues { Unchecked, Checked };
    // 0 when every item (axis index, parameter ID, value) is allowed, else the error of the
    // first that is not: ZR_INVALID_SPA_PARAMETER_ID for an ID the axis's board does not have,
    // ZR_CNTR_PARAMETER_OUT_OF_RANGE for a value outside its range (also a value that is not a
    // finite number, or whose number for the board does not fit an int), ZR_INVALID_ARGUMENT
    // for null arrays or an axis index that names no board.
    [[nodiscard]] int CheckParameters(const int* axes, const unsigned int* ids,
                                      const double* values, int count, ParameterValues check);
    // One item per axis character; text holds one line per item with ID 60, in item order.
    // Every item is checked before anything is sent.
    ZR_BOOL SPA(const char* axes, const unsigned int* ids, const double* values, const char* text);
    ZR_BOOL qSPA(const char* axes, const unsigned int* ids, double* values, char* text, int size);
    ZR_BOOL qHPA(char* buffer, int size);
    // ---- joystick, digital and analog I/O, trigger outputs -----------------------------------
    // (CCorvaneController_IO.cpp, _Joystick.cpp, _Trigger.cpp, _AsyncRead.cpp, _IOFrame.cpp)
    // Digital channels are named by the characters of GetInputChannelNames, four per board;
    // joysticks and trigger outputs by IDs 1 to 16 (board index + 1); joystick axis and button
    // IDs are always 1. ID lists are checked whole before anything is sent.
    ZR_BOOL DIO(const char* channels, const ZR_BOOL* flags);
    ZR_BOOL qDIO(const char* channels, ZR_BOOL* states);
    ZR_BOOL qTIO(int* inputs, int* outputs);
    // Input and output channels are the same lines: one operation under both export names.
    ZR_BOOL GetInputChannelNames(char* buffer, int size);
    ZR_BOOL qTAC(int* count);
    ZR_BOOL qTAV(int channel, double* volts);
    ZR_BOOL JON(const int* joysticks, const ZR_BOOL* flags, int count);
    ZR_BOOL qJON(const int* joysticks, ZR_BOOL* states, int count);
    ZR_BOOL qTNJ(int* count);
    ZR_BOOL qJAX(const int* joysticks, const int* joystickAxes, int count, char* buffer, int size);
    ZR_BOOL qJBS(const int* joysticks, const int* buttons, ZR_BOOL* pressed, int count);
    ZR_BOOL qJAS(const int* joysticks, const int* joystickAxes, double* values, int count);
    ZR_BOOL JDT(const int* joysticks, const int* tableTypes, int count);
    ZR_BOOL JLT(int joystick, int joystickAxis, int start, const double* values, int count);
    // Starts the background read of joystick-table rows; *values points into a buffer of the
    // controller that stays valid until the next qJLT. GetAsyncBufferIndex tells how many of
    // its values are final.
    ZR_BOOL qJLT(const int* joysticks, const int* joystickAxes, int count, int start, int rows,
                 double** values, char* header, int size);
    int GetAsyncBufferIndex();
    ZR_BOOL CTO(const int* outputs, const int* parameters, const char* values, int count);
    ZR_BOOL qCTO(const int* outputs, const int* parameters, char* buffer, int count, int size);
    ZR_BOOL TRO(const int* outputs, const ZR_BOOL* flags, int count);
    ZR_BOOL qTRO(const int* outputs, ZR_BOOL* states, int count);
    // Reading of analog line 1 to 6 of a board (5: joystick axis, 6: joystick button), 0 to 255.
    ZR_BOOL ReadAnalogLine(int board, int line, int* reading);
    // Ends a running joystick-table read and waits for its thread. The controller table calls it
    // before deleting, beside StopReferenceThread.
    void StopAsyncRead();

  protected:
    struct TriggerValue;  // one value of CTO: a number, or a single character
    [[nodiscard]] ZR_BOOL RefuseInMacroMode();
    // The channel's position in the channel names, -1 when none.
    [[nodiscard]] int ChannelIndex(char channel) const;
    bool ValidJoystick(int id) const;
    bool ValidTriggerOutput(int id) const;
    // FALSE with ZR_CNTR_PARAMETER_OUT_OF_RANGE unless every ID (and every sub-ID, when given,
    // is 1) is valid.
    [[nodiscard]] ZR_BOOL CheckJoystickIDs(const int* ids, const int* subIDs, int count);
    [[nodiscard]] ZR_BOOL CheckTriggerIDs(const int* ids, int count);
    // While a macro is recorded: FALSE with ZR_CNTR_MACRO_RECORD_ERROR unless every board named
    // is the macro axis's board.
    [[nodiscard]] ZR_BOOL CheckRecordedBoards(const std::vector<int>& boards);
    // The boards of the checked joystick IDs of a setter (JON, JDT), each allowed while recording.
    [[nodiscard]] ZR_BOOL JoystickBoardsToSet(const int* joysticks, int count,
                                              std::vector<int>& boards);
    // Selection and query (or status read) of a board as one exchange under the channel lock.
    [[nodiscard]] char* QueryBoard(int board, const char* query, char singleByte, char first,
                                   int colon);
    [[nodiscard]] ZR_BOOL ReadBoardStatus(int board, uint8_t status[kMaxStatusBytes]);
    // Text results: FALSE with COM_BUFFER_OVERFLOW, the buffer untouched, unless text fits.
    [[nodiscard]] ZR_BOOL CopyText(const std::string& text, char* buffer, int size);
    // The joysticks a query answers for: with ids null all of them in board order (count must
    // hold them, else ZR_ARRAY_RANGE_MISMATCH), otherwise the checked ids.
    [[nodiscard]] ZR_BOOL ResolveJoysticks(const int* ids, const int* subIDs, int count,
                                           std::vector<int>& list);
    [[nodiscard]] ZR_BOOL ReadJoystickLines(const std::vector<int>& joysticks, int line,
                                            std::vector<int>& readings);
    [[nodiscard]] ZR_BOOL SendJoystickLines(int board, ZR_BOOL on);
    [[nodiscard]] ZR_BOOL SetTriggerParameter(int board, int parameter, const TriggerValue& value);
    [[nodiscard]] ZR_BOOL AddTriggerParameter(int board, int parameter, std::string& text);
    // The joysticks qJLT reads: both arrays null, every joystick; else the checked list.
    [[nodiscard]] ZR_BOOL ListJoysticksToRead(const int* joysticks, const int* joystickAxes,
                                              int count, std::vector<int>& list);
    void RunAsyncRead();
    [[nodiscard]] bool ReadAsyncRow(int row);

    // asynchronous joystick-table read; the buffer and counters are guarded by m_csAsyncBuffer
    std::atomic<bool> m_bAsyncReadActive{false};
    std::atomic<bool> m_bAsyncReadStop{false};
    std::vector<int> m_AsyncColumns[kMaxCorvaneBoards];  // columns of each board's joystick
    int m_iAsyncStart = 1;
    int m_iAsyncRows = 0;
    int m_iAsyncColumnCount = 0;
    int m_iAsyncDelivered = 0;
    std::vector<double> m_AsyncValues;  // rows x columns, row-major
    std::thread m_AsyncReader;
    // ---- end of joystick, digital and analog I/O, trigger outputs ----------------------------

  protected:
    friend class CorvaneParameterActions;
    // The axes of SPA and SPA? into list, one per character (no stage needed); FALSE with
    // ZR_CNTR_PARAMETER_SYNTAX_ERROR for no axes, ZR_INVALID_ARGUMENT for null arrays.
    ZR_BOOL ResolveParameterAxes(const char* axes, const void* ids, const void* values,
                                 std::vector<int>& list);

    // What a motion command does while a macro is being recorded.
    enum class MacroRule { Refuse, Record, Free };
    // The common frame of a motion command: macro rule, empty-axis rule (setters), busy check and
    // the axis requirements handed to GetAxesIndex.
    struct MotionFrame {
        MacroRule macro = MacroRule::Refuse;
        bool setter = false;  // an empty axis string is a syntax error
        bool checkBusy = true;
        AxisRequirements need;
    };
    // Runs the frame and resolves axes into list. FALSE with the local error set.
    ZR_BOOL OpenMotionCommand(const char* axes, const MotionFrame& frame, std::vector<int>& list);
    // A values array the command needs; FALSE with ZR_INVALID_ARGUMENT when it is null.
    ZR_BOOL RequireValues(const void* values);
    // The axes of a per-axis reference query (a stage required, the rest as given) into
    // indices, sized to the axes found; FALSE with the local error set, also for a null values
    // array when there is an axis to answer.
    ZR_BOOL ResolveQueryAxes(const char* axes, const void* values, AxisRequirements need,
                             std::vector<int>& indices);
    CorvaneAxisUnits UnitsOf(int axis) const;
    // Selects the axis's board and reads its status.
    ZR_BOOL ReadAxisStatus(int axis, uint8_t status[kMaxStatusBytes]);
    // Reads the servo state of each axis from its board into the servo state field.
    ZR_BOOL ReadServoStates(const std::vector<int>& list);
    ZR_BOOL SelectAndSend(int axis, const char* line);
    bool JoystickInControl(int axis) const;
    // Whether an axis may be moved: its cached servo state is on (else
    // ZR_CNTR_MOVE_WITHOUT_REF_OR_NO_SERVO), a joystick does not control it (else
    // ZR_CNTR_AXIS_UNDER_JOYSTICK_CONTROL; GOH does not ask) and target, when given, lies in its
    // travel range (else ZR_CNTR_POSITION_OUT_OF_LIMITS). FALSE with the local error set.
    enum class JoystickRule { kRefuse, kIgnore };
    struct MoveCheck {
        JoystickRule joystick = JoystickRule::kRefuse;
        std::optional<double> target;
    };
    ZR_BOOL MayMoveTo(int axis, const MoveCheck& check);

  protected:
    // Takes over a newly opened interface (a negative ID: the connect error becomes the local
    // error) and initialises the controller; stripTerminator: received lines arrive without
    // their terminator.
    void AttachInterface(int interfaceID, bool stripTerminator);
    void SetLocalError(int error) { m_iLocalError = error; }
    void ResetControllerState();
    void ClearScanTables();
    void EnterPresentBoard(int index);
    StageParameterSet DefaultParameterSet(int index) const;
    ZR_BOOL InitialiseAxis(int axis);
    ZR_BOOL ProbeAnswered(const char* query, char first, int colonPosition);
    [[nodiscard]] int QueryValue(const char* query, char first, int colonPosition, int* value);
    bool ValidAxis(int axis) const { return axis >= 0 && axis < kMaxCorvaneBoards; }

    CCorvaneDevice m_Device;
    int m_iInterfaceID = -1;
    CCorvaneAxesArray m_Axes;

    char m_szAnswer[kCorvaneAnswerSize] = {};
    char m_szRefEdgeCommand[kCorvaneCommandSize] = {};
    char m_szAccelerationCommand[kCorvaneCommandSize] = {};

    std::atomic<int> m_iLocalError{0};
    std::atomic<int> m_iControllerError{0};
    int errorCheck = 0;
    bool m_bInitialised = false;  // initialisation reached its end

    // reference procedures
    std::atomic<int> m_IsReferencing{0};
    int m_iCurrentReferenceAxis = -1;
    int m_iRefResult[kMaxCorvaneBoards] = {};
    std::unique_ptr<winport::Event> m_heventWaitForReferenceThreadStart;
    std::unique_ptr<winport::Event> m_heventTerminateReferencemove[kMaxCorvaneBoards];
    std::thread m_ReferenceThread;  // the running reference procedure, joined before deletion

    // macro recording
    int m_iMacroRecording = 0;
    int m_iMacroAxis = -1;
    std::string m_strMacroLine;
    int m_iMacroCommandCount = 0;

    winport::CriticalSection m_csChannel;
    winport::CriticalSection m_csRefStart;
    winport::CriticalSection m_csAnswerList;
    winport::CriticalSection m_csRefFlag;
    winport::CriticalSection m_csAsyncBuffer;

    // per axis
    CCorvaneAxisData m_AxisData[kMaxCorvaneBoards];
    StageParameterSet m_ParameterSet[kMaxCorvaneBoards];

    // tables built by the board scan
    char m_szIOChannelNames[kMaxIOChannels + 1] = {};
    int m_iIOChannelBoard[kMaxIOChannels] = {};
    int m_iIOChannelLine[kMaxIOChannels] = {};
    int m_iNrIOChannels = 0;
    int m_iAnalogChannel[kMaxIOChannels] = {};
    int m_iAnalogBoard[kMaxIOChannels] = {};
    int m_iAnalogLine[kMaxIOChannels] = {};
    int m_iNrAnalogChannels = 0;
    int m_iJoystickBoard[kMaxCorvaneBoards] = {};
    int m_iNrJoysticks = 0;
    int m_iTriggerBoard[kMaxCorvaneBoards] = {};
    int m_iNrTriggerOutputs = 0;
    int m_iNrPresentBoards = 0;

    // stage database base paths (the catalogue appends the name endings)
    std::string m_strZrStagesBasePath;
    std::string m_strUserStagesBasePath;

    // ---- stage catalogue (CCorvaneController_Stages.cpp) -------------------------------------
    void PrepareStageCatalogue();
    ZR_BOOL StageTextResult(const std::string& text, char* buffer, int size);
    CZRStageInfoTAL m_StageInfo;

    // ---- reference thread (CCorvaneController_Ref*.cpp) --------------------------------------
    static constexpr int kRefListSize = kMaxCorvaneBoards + 1;
    ZR_BOOL StartReferenceMode(const char* name, const char* axes, int mode);
    ZR_BOOL StartReferenceThread(const char* axes);
    static void ReferenceThread(CCorvaneController* controller);
    void RunReferenceList(int threadNumber);
    // Its steps.
    bool ReadKeptVelocity(int axis, int* velocity);
    void RunProcedure(int threadNumber, int position, int axis);
    void RestoreVelocityAfterTermination(int axis, const int* keptVelocity);
    void FinishReferenceList(int threadNumber, int unansweredAxis);
    ZR_BOOL MakeREF(int axis, int position);
    ZR_BOOL MakeMPNL(int axis, int position);
    ZR_BOOL MoveToLeftSideOfReference(int axis, int position, bool* startEventSet,
                                      uint8_t leftSideSignal);
    ZR_BOOL WaitForFE(int axis, int position);
    // Steps of MPL and MNL.
    // Selects the axis and reads its status into status; FALSE also for a servo that is off.
    ZR_BOOL CheckServoBeforeReference(int axis, uint8_t status[kMaxStatusBytes]);
    ZR_BOOL StartLimitRun(int axis, bool positive, bool* startEventSet);
    ZR_BOOL RunIntoLimit(int axis, int position, bool positive);
    ZR_BOOL BackOutOfLimit(int axis);
    // Steps of REF.
    ZR_BOOL SearchReferenceEdge(int axis, int position, bool* startEventSet);
    bool Terminated(int position) const;
    // One poll of a waiting reference step; kDone and kAgain both wait one poll period first.
    enum class PollOutcome { kAgain, kDone, kFailed };
    // What a poll holds: the channel lock per exchange only, or m_csRefFlag around the whole poll
    // (a caller's selection and read then never fall between the thread's).
    enum class PollHold { kChannel, kRefFlag };
    // Repeats poll until it is done or failed, the procedure at position is terminated, or a
    // bound of polls passes (ZR_MOTION_ERROR). TRUE only when poll reported kDone.
    ZR_BOOL PollUntil(int position, PollHold hold, const std::function<PollOutcome()>& poll);
    // Gives the selected board its new home with homeLine, up to three attempts until its target
    // is within 3 counts of 0 (else ZR_CNTR_COMMUNICATION_ERROR). who names the procedure in logs.
    ZR_BOOL DefineHomeAt(int axis, const char* homeLine, const char* who);
    // The axis's bookkeeping after the board took its new home: home offset corvaneHome, target 0.
    void TakeNewHome(int axis, int corvaneHome);
    // "SV" with the axis's current velocity after a reference run at the reference velocity.
    ZR_BOOL RestoreVelocity(int axis);
    void SetRefResult(int axis, int result);
    int RefResult(int axis) const;
    void AddReferenceAnswer(int axis);
    void AddTALAnswer(const char* text);

    // The axes of the reference procedure in order, then -1. Position k watches the terminate
    // event k. Written by the starting caller and read by the thread, HLT and STP.
    struct ReferenceList {
        std::atomic<int> entry[kRefListSize];
        ReferenceList() { Clear(); }
        void Clear() {
            for (auto& e : entry) e = -1;
        }
        int operator[](int k) const { return entry[k]; }
    };
    int m_iReferenceMode = 0;  // 0 REF, 1 MPL, 2 MNL
    ReferenceList m_iReferenceList;
    std::atomic<int> m_iRefAnswerRequest{0};             // answer lines for the command string
    std::atomic<bool> m_bReferenceThreadStarted{false};  // a reference thread was ever started
    std::deque<std::string> m_TALAnswerList;             // guarded by m_csAnswerList
    // Declared last, so destroyed first: a reference thread still running when the controller
    // is deleted is ended and waited for while everything it uses still exists.
    struct ReferenceThreadGuard {
        CCorvaneController* owner;
        ~ReferenceThreadGuard() { owner->StopReferenceThread(); }
    } m_ReferenceThreadGuard{this};
    // Likewise for a joystick-table read still running.
    struct AsyncReadGuard {
        CCorvaneController* owner;
        ~AsyncReadGuard() { owner->StopAsyncRead(); }
    } m_AsyncReadGuard{this};
};
