#pragma once
// The stage catalogue: the stages a controller may be given by name, merged from the maker's
// stage database (read-only), the user's stage database (read-write, created when missing; an old
// version-100 user database is converted into it once) and single-stage files.
//
// Where the files are: the maker database is <maker base>2.dat ("zrstages2.dat"), the user
// database <user base>2.dat ("corvaneuserstages2.dat"), the old user database <user base>.dat.
// When the registry store names a TALTranslator folder ("Path" of HKLM
// "Software\\ZR\\TALTranslator"), the files are looked for in that folder instead, and the
// single-stage files are the "*.dat" files of that folder; without it, the "*.dat" files of the
// maker database's folder.
//
// Priority, highest first: maker database, user database, single-stage files. Within one file a
// record for the controller type beats an "ALL" record of the same name.
//
// No stage data is kept between calls: every operation reads the files again, and files are open
// only during one operation. Failures leave an error number (ZR_Corvane_TAL.h) for TakeError.
#include <string>
#include <vector>

#include "motion/stages/StageParameterSet.h"
#include "motion/stages/ZRStageInfoFile.h"

class ZRStageInfoFile_V200;

class CZRStageInfoTAL {
  public:
    static constexpr int kVersion = 200;

    CZRStageInfoTAL() = default;
    virtual ~CZRStageInfoTAL() = default;
    CZRStageInfoTAL(const CZRStageInfoTAL&) = delete;
    CZRStageInfoTAL& operator=(const CZRStageInfoTAL&) = delete;

    // Base paths, without the name endings; an empty path is refused and changes nothing.
    bool SetZRStagesFileName(const std::string& path);
    bool SetUserStagesFileName(const std::string& path);
    // Only records for this controller type (compared ignoring case) or for "ALL" are read.
    void SetControllerType(const std::string& type) { m_strControllerType = type; }
    void SetLookInUserDatabase(bool look) { m_bLookInUserDatabase = look; }
    void SetLookForSingleStageFiles(bool look) { m_bLookForSingleStageFiles = look; }

    // Fills stages with every stage of the three sources (an entry already in stages stays) from
    // files of at least the given layout version and revision. Always true; a problem with one
    // source leaves its error and the other sources are read all the same.
    virtual bool GetAvailableStages(StageMap& stages, int minVersion, int minRevision);
    // Adds the sets to the user database, in order. None is added when a name is already there
    // for the same controller type (ZR_STAGE_NAME_NOT_UNIQUE); otherwise the first set that
    // fails ends the call and the sets before it stay added.
    virtual bool AddStages(const std::vector<StageParameterSet>& sets);
    // Removes the first stage of that name (upper-cased) from the user database.
    virtual bool RemoveStage(const std::string& name);

    int GetLastError() const { return m_iLastError; }
    // Returns the last error and clears it.
    int TakeError();

    // The files as named by the base paths (before any redirection to the TALTranslator folder).
    std::string ZrStagesDatabaseName() const;
    std::string UserStagesDatabaseName() const;
    std::string OldUserStagesDatabaseName() const;
    // The folder searched for single-stage files.
    std::string SingleStageFolder() const;
    // Where a file named by path is really looked for: in the TALTranslator folder when known.
    static std::string LocateStageFile(const std::string& path);

  private:
    bool SetError(int error);
    // Opens (creating when missing) the user database and converts an old one into a new, empty
    // one. False with ZR_CANNOT_CREATE_PARAMETER_DAT_FILE.
    bool OpenUserDatabase(ZRStageInfoFile_V200& file);
    void ConvertOldUserDatabase(ZRStageInfoFile_V200& file);
    void ReadMakerDatabase(StageMap& stages, int minVersion, int minRevision);
    void ReadUserDatabase(StageMap& stages, int minVersion, int minRevision);
    void ReadSingleStageFiles(StageMap& stages, int minVersion, int minRevision);
    void ReadSingleStageFile(const std::string& path, StageMap& stages, int minVersion,
                             int minRevision);

    int m_iVersion = kVersion;
    std::string m_strZrStagesBase = "zrstages";
    std::string m_strUserStagesBase;
    std::string m_strControllerType = "all";
    bool m_bLookInUserDatabase = true;
    bool m_bLookForSingleStageFiles = true;
    int m_iLastError = 0;
};
