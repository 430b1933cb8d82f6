#pragma once
// The TAL view of one axis of a controller (entry i belongs to board i).
#include <string>

struct CCorvaneAxisData {
    char m_cIdentifier = 0;        // TAL name of the axis; 0 = none yet
    std::string m_strStageName;    // empty: no stage assigned
    double m_dCountsPerUnit = 1;   // ZR_PARA_MOT_CPU_Z / ZR_PARA_MOT_CPU_N
    int iAktHomePosition = 0;      // counts, home defined with DFH
    int iCorvaneHomePosition = 0;  // counts between the board counter and the TAL position
    bool m_bReferenced = false;
    bool m_bInitialised = false;      // set only by INI
    bool m_bReferenceModeOn = false;  // the RON flag
    int m_iServoState = 1;            // 1 = on
    int m_iSavedServoState = 1;       // kept while the brake is engaged
    int iTargetAbsolute = 0;          // counts, last commanded target without direction sign
    bool m_bTargetValid = false;
    int m_iBrakeEngaged = 0;
};
