#include "motion/stages/CZRStageInfoTAL.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>
#include <system_error>

#include "ZR_Corvane_TAL.h"
#include "motion/base/InstallationDirectory.h"
#include "motion/base/ZRLog.h"
#include "motion/base/ZRPath.h"
#include "motion/base/ZRString.h"
#include "motion/stages/InstalledStageData.h"
#include "motion/stages/StageFileProbe.h"
#include "motion/stages/StageRecordV100.h"
#include "motion/stages/ZRStageInfoFile_V200.h"

namespace {

constexpr const char* kNoStage = "NOSTAGE";
constexpr int kOldVersion = 100;

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

std::string UpperCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool HasDatExtension(const std::filesystem::path& path) {
    return EqualIgnoringCase(path.extension().string(), ".dat");
}

// Takes every stage of from that is not the placeholder "NOSTAGE" and not yet in to.
void MergeMissing(const StageMap& from, StageMap& to) {
    for (const auto& [name, set] : from)
        if (name != kNoStage) to.try_emplace(name, set);
}

// Opening a file shorter than one record of its layout would write a fresh header into it.
std::size_t RecordSizeOf(int version) {
    return version == CZRStageInfoTAL::kVersion ? StageParameterSet::kSize
           : version == kOldVersion             ? kStageRecordV100Size
                                                : 0;
}

}  // namespace

bool CZRStageInfoTAL::SetZRStagesFileName(const std::string& path) {
    ZR_LOG_DEBUG("CZRStageInfoTAL::SetZRStagesFileName(%s)", path.c_str());
    if (path.empty()) return false;
    m_strZrStagesBase = path;
    return true;
}

bool CZRStageInfoTAL::SetUserStagesFileName(const std::string& path) {
    ZR_LOG_DEBUG("CZRStageInfoTAL::SetUserStagesFileName(%s)", path.c_str());
    if (path.empty()) return false;
    m_strUserStagesBase = path;
    return true;
}

int CZRStageInfoTAL::TakeError() {
    const int error = m_iLastError;
    m_iLastError = 0;
    return error;
}

bool CZRStageInfoTAL::SetError(int error) {
    m_iLastError = error;
    return false;
}

std::string CZRStageInfoTAL::ZrStagesDatabaseName() const {
    const std::string name =
        ZRString::Formatted("%s%d.dat", m_strZrStagesBase.c_str(), m_iVersion / 100);
    // Without a TALTranslator folder a missing maker database is taken from the installation.
    if (!InstallationDirectory().empty() || StageFileProbe::Of(name).exists) return name;
    const std::string installed = InstalledStageFile(name);
    return installed.empty() ? name : installed;
}

std::string CZRStageInfoTAL::UserStagesDatabaseName() const {
    return m_strUserStagesBase + "2.dat";
}

std::string CZRStageInfoTAL::OldUserStagesDatabaseName() const {
    return m_strUserStagesBase + ".dat";
}

std::string CZRStageInfoTAL::LocateStageFile(const std::string& path) {
    ZRString given(path);
    given.Trim();
    const std::string dir = InstallationDirectory();
    if (dir.empty()) return given;
    const std::string name = ZRPath(given).FileName();
    return dir.back() == '\\' ? dir + name : JoinNativePath(dir, name);
}

std::string CZRStageInfoTAL::SingleStageFolder() const {
    const std::string dir = InstallationDirectory();
    if (!dir.empty()) return dir;
    // Not the root of the current drive: the folder the stage databases are kept in.
    const std::filesystem::path folder = std::filesystem::path(m_strZrStagesBase).parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}

// ---- reading ---------------------------------------------------------------------------------

bool CZRStageInfoTAL::GetAvailableStages(StageMap& stages, int minVersion, int minRevision) {
    ZR_LOG_DEBUG("CZRStageInfoTAL::GetAvailableStages(%d, %d) filter \"%s\"", minVersion,
                 minRevision, m_strControllerType.c_str());
    ReadMakerDatabase(stages, minVersion, minRevision);
    if (m_bLookInUserDatabase && !m_strUserStagesBase.empty())
        ReadUserDatabase(stages, minVersion, minRevision);
    if (m_bLookForSingleStageFiles) ReadSingleStageFiles(stages, minVersion, minRevision);
    return true;
}

void CZRStageInfoTAL::ReadMakerDatabase(StageMap& stages, int minVersion, int minRevision) {
    const std::string name = ZrStagesDatabaseName();
    const StageFileProbe probe = StageFileProbe::Of(LocateStageFile(name));
    const std::size_t recordSize = RecordSizeOf(probe.version);
    if (!probe.regular || recordSize == 0 || probe.size < recordSize) {
        ZR_LOG_ERROR("CZRStageInfoTAL::GetAvailableStages() \"%s\" ZR_STAGE_DATABASE_NOT_FOUND",
                     name.c_str());
        SetError(ZR_STAGE_DATABASE_NOT_FOUND);
        return;
    }
    std::unique_ptr<ZRStageInfoFile> file;
    switch (StageFileVersion(name)) {
        case kVersion:
            file = std::make_unique<ZRStageInfoFile_V200>();
            break;
        case kOldVersion:
            file = std::make_unique<ZRStageInfoFile>();
            break;
        default:
            break;
    }
    if (!file || !file->OpenStageParameterFile(name)) {
        ZR_LOG_ERROR("CZRStageInfoTAL::GetAvailableStages() \"%s\" ZR_STAGE_DATABASE_NOT_FOUND",
                     name.c_str());
        SetError(ZR_STAGE_DATABASE_NOT_FOUND);
        return;
    }
    if (const int error = file->TakeError(); error != 0) {
        SetError(error);
    } else if (file->GetVersion() < minVersion) {
        SetError(ZR_PARAMETER_DAT_FILE_INVALID_VERSION);
    } else if (file->GetRevision() < minRevision) {
        SetError(ZR_PARAMETER_DAT_FILE_INVALID_REVISION);
    } else {
        StageMap maker;
        file->ReadAllStages(maker, m_strControllerType);
        MergeMissing(maker, stages);
    }
    file->Close();
}

void CZRStageInfoTAL::ReadUserDatabase(StageMap& stages, int minVersion, int minRevision) {
    ZRStageInfoFile_V200 file;
    if (!OpenUserDatabase(file)) return;
    if (file.GetVersion() < minVersion) {
        SetError(ZR_PARAMETER_DAT_FILE_INVALID_VERSION);
    } else {
        StageMap user;
        file.ReadAllStages(user, m_strControllerType);
        if (file.GetRevision() < minRevision && !user.empty()) {
            ZR_LOG_ERROR(
                "CZRStageInfoTAL::GetAvailableStages() \"%s\" revision %d, "
                "ZR_USERSTAGES_DAT_FILE_INVALID_REVISION",
                file.GetPath().c_str(), file.GetRevision());
            user.clear();
            SetError(ZR_USERSTAGES_DAT_FILE_INVALID_REVISION);
        }
        MergeMissing(user, stages);
    }
    file.Close();
}

void CZRStageInfoTAL::ReadSingleStageFiles(StageMap& stages, int minVersion, int minRevision) {
    const std::string folder = SingleStageFolder();
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        if (HasDatExtension(it->path())) names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names)
        ReadSingleStageFile(JoinNativePath(folder, name), stages, minVersion, minRevision);
}

void CZRStageInfoTAL::ReadSingleStageFile(const std::string& path, StageMap& stages, int minVersion,
                                          int minRevision) {
    // Only stage databases with at least one record are opened: any other ".dat" file of the
    // folder belongs to someone else and must not be touched.
    if (!StageFileProbe::Of(path).HoldsDatabase(kVersion, StageParameterSet::kSize, 1)) {
        ZR_LOG_DEBUG("CZRStageInfoTAL::GetAvailableStages() %s is no stage file, skipped",
                     path.c_str());
        return;
    }
    ZRStageInfoFile_V200 file;
    if (!file.OpenStageParameterFile(path, {.protectedMode = true})) {
        ZR_LOG_WARN(
            "CZRStageInfoTAL::GetAvailableStages() Single Stage File %s wasn't opened due to "
            "error %d",
            path.c_str(), file.TakeError());
        return;
    }
    if (file.GetVersion() >= minVersion && file.GetRevision() >= minRevision &&
        !file.GetWritable()) {
        StageMap single;
        file.ReadAllStages(single, m_strControllerType);
        if (single.size() == 1) stages.try_emplace(single.begin()->first, single.begin()->second);
    }
    file.Close();
}

// ---- the user database -------------------------------------------------------------------------

bool CZRStageInfoTAL::OpenUserDatabase(ZRStageInfoFile_V200& file) {
    const std::string name = UserStagesDatabaseName();
    const StageFileProbe probe = StageFileProbe::Of(LocateStageFile(name));
    // A damaged database (another layout, a cut-off record) is refused rather than repaired.
    const bool usable =
        probe.IsNewFile() || (probe.HoldsDatabase(kVersion, StageParameterSet::kSize, 0) &&
                              probe.HasWholeRecords(StageParameterSet::kSize));
    if (!usable || !file.OpenStageParameterFile(name)) {
        ZR_LOG_ERROR(
            "CZRStageInfoTAL::OpenUserStagesFile(\"%s\") error %d, "
            "ZR_CANNOT_CREATE_PARAMETER_DAT_FILE",
            name.c_str(), file.TakeError());
        return SetError(ZR_CANNOT_CREATE_PARAMETER_DAT_FILE);
    }
    if (file.GetNumberOfStages() == 0) ConvertOldUserDatabase(file);
    return true;
}

void CZRStageInfoTAL::ConvertOldUserDatabase(ZRStageInfoFile_V200& file) {
    const std::string name = OldUserStagesDatabaseName();
    if (!StageFileProbe::Of(LocateStageFile(name))
             .HoldsDatabase(kOldVersion, kStageRecordV100Size, 1))
        return;
    // Opened so that nothing at all is written: the old file stays as it is.
    ZRStageInfoFile old;
    if (!old.OpenStageParameterFile(name,
                                    {.protectedMode = true, .writes = StageFileWrites::kNothing})) {
        ZR_LOG_WARN("CZRStageInfoTAL::OpenUserStagesFile() \"%s\" not converted, error %d",
                    name.c_str(), old.TakeError());
        return;
    }
    const int count = old.GetNumberOfStages();
    int converted = 0;
    for (int k = 0; k < count; ++k) {
        StageRecordV100 record;
        if (!old.GetStageByIndex(k, record.Bytes())) break;
        if (!file.AddStage(record.ToV200(true))) {
            ZR_LOG_WARN("CZRStageInfoTAL::OpenUserStagesFile() stage \"%s\" not converted, %d",
                        record.Name().c_str(), file.TakeError());
            break;
        }
        ++converted;
    }
    ZR_LOG_DEBUG("CZRStageInfoTAL::OpenUserStagesFile() %d of %d stages of \"%s\" converted",
                 converted, count, name.c_str());
    old.Close();
}

bool CZRStageInfoTAL::AddStages(const std::vector<StageParameterSet>& sets) {
    ZRStageInfoFile_V200 file;
    if (!OpenUserDatabase(file)) return false;
    for (const StageParameterSet& set : sets) {
        StageParameterSet existing;
        if (file.GetStageByName(set.StageName(), existing) &&
            EqualIgnoringCase(existing.ControllerType(), set.ControllerType())) {
            ZR_LOG_ERROR("CZRStageInfoTAL::AddStages(\"%s\") ZR_STAGE_NAME_NOT_UNIQUE",
                         set.StageName().c_str());
            file.Close();
            return SetError(ZR_STAGE_NAME_NOT_UNIQUE);
        }
    }
    bool added = true;
    for (const StageParameterSet& set : sets) {
        // A stage without a name could never be assigned again.
        if (set.StageName().empty()) {
            added = SetError(ZR_CNTR_INVALID_STAGE_NAME);
            break;
        }
        if (!file.AddStage(set)) {
            const int error = file.TakeError();
            added = SetError(error != 0 ? error : ZR_CANNOT_WRITE_PARAMETER_DAT_FILE);
            break;
        }
    }
    file.Close();
    return added;
}

bool CZRStageInfoTAL::RemoveStage(const std::string& name) {
    const std::string upper = UpperCase(name);
    ZRStageInfoFile_V200 file;
    if (!OpenUserDatabase(file)) return false;
    const bool removed = file.RemoveStage(upper);
    if (!removed) {
        const int error = file.TakeError();
        SetError(error != 0 ? error : ZR_STAGE_DOES_NOT_EXIST);
    }
    file.Close();
    return removed;
}
