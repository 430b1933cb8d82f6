#include "motion/stages/ZRStageInfoFile.h"

#include <strings.h>
#include <algorithm>
#include <cstring>

#include "ZR_Corvane_TAL.h"
#include "motion/base/InstallationDirectory.h"
#include "motion/base/ZRLog.h"
#include "motion/base/ZRPath.h"
#include "motion/base/ZRString.h"
#include "motion/stages/AtomicFile.h"
#include "motion/stages/ByteOrder.h"
#include "motion/stages/Crc16.h"
#include "motion/stages/StageName.h"
#include "motion/stages/StageRecordV100.h"

namespace {

constexpr int kRevisionV100 = 0;
const char* const kMakerDatabaseNames[] = {"ZRSTAGES.DAT", "ZRSTAGES2.DAT"};

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

}  // namespace

ZRStageInfoFile::ZRStageInfoFile() : ZRStageInfoFile(kStageFileLayoutV100, kRevisionV100) {}

ZRStageInfoFile::ZRStageInfoFile(const StageFileLayout& layout, int revision)
    : m_Layout(layout), m_iRevision(revision), m_iMaxEditableRevision(revision) {}

ZRStageInfoFile::~ZRStageInfoFile() = default;

int ZRStageInfoFile::GetVersion() const {
    return m_Layout.version;
}

int ZRStageInfoFile::RecordSize() const {
    return static_cast<int>(m_Layout.recordSize);
}

int ZRStageInfoFile::TakeError() {
    const int error = m_iLastError;
    m_iLastError = 0;
    return error;
}

bool ZRStageInfoFile::SetError(int error) {
    m_iLastError = error;
    return false;
}

bool ZRStageInfoFile::RequireOpen() {
    return m_bOpen || SetError(ZR_NO_PARAMETER_FILE_OPEN);
}

bool ZRStageInfoFile::RequireWritable() {
    if (!RequireOpen()) return false;
    if (m_bWritable) return true;
    ZR_LOG_ERROR("%s: \"%s\" is protected, ZR_PARAMETER_FILE_PROTECTED", ClassName(),
                 m_strPath.c_str());
    return SetError(ZR_PARAMETER_FILE_PROTECTED);
}

// ---- records of the old layout; ZRStageInfoFile_V200 overrides these ----

std::string ZRStageInfoFile::RecordName(const uint8_t* record) const {
    return StageRecordV100(
               std::span<const uint8_t, kStageRecordV100Size>(record, kStageRecordV100Size))
        .Name();
}

std::string ZRStageInfoFile::RecordControllerType(const uint8_t*) const {
    return {};
}

StageParameterSet ZRStageInfoFile::ToParameterSet(const uint8_t* record) const {
    return StageRecordV100(
               std::span<const uint8_t, kStageRecordV100Size>(record, kStageRecordV100Size))
        .ToV200(false);
}

// ---- locating and opening ----

std::string ZRStageInfoFile::Locate(const std::string& path) const {
    ZRString given(path);
    given.Trim();
    const std::string dir = m_bUseTALDirectory ? InstallationDirectory() : std::string();
    if (dir.empty()) {
        ZR_LOG_DEBUG("%s::OpenStageParameterFile() No TAL path found or wanted, using %s",
                     ClassName(), given.c_str());
        return given;
    }
    const std::string name = ZRPath(given).FileName();
    ZRString located(dir.back() == '\\' ? dir + name : JoinNativePath(dir, name));
    located.Trim();
    ZR_LOG_DEBUG("%s::OpenStageParameterFile() TAL path found: %s", ClassName(), located.c_str());
    return located;
}

bool ZRStageInfoFile::IsMakerDatabase(const std::string& path) const {
    const ZRString name = ZRString(ZRPath(path).FileName()).Upper();
    return std::any_of(std::begin(kMakerDatabaseNames), std::end(kMakerDatabaseNames),
                       [&](const char* maker) { return name == maker; });
}

bool ZRStageInfoFile::OpenStageParameterFile(const std::string& path,
                                             const StageFileOpenOptions& options) {
    ZR_LOG_DEBUG("%s::OpenStageParameterFile(\"%s\", %d, %d, %d)", ClassName(), path.c_str(),
                 options.protectedMode, static_cast<int>(options.writes), options.writableOverride);
    const std::string located = Locate(path);
    if (m_bOpen) {
        ZR_LOG_ERROR(
            "%s::OpenStageParameterFile() \"%s\" still open, ZR_PARAMETER_FILE_ALREADY_OPEN",
            ClassName(), m_strPath.c_str());
        return SetError(ZR_PARAMETER_FILE_ALREADY_OPEN);
    }
    m_strPath = located;
    m_iCRC = -1;
    m_iFileRevision = 0;
    if (!OpenImage(options)) {
        m_strPath.clear();
        m_Image.clear();
        m_iRecordCount = 0;
        m_bWritable = false;
        return false;
    }
    m_bOpen = true;
    ZR_LOG_DEBUG("%s::OpenStageParameterFile() \"%s\" open, %d stages, revision %d, %s",
                 ClassName(), m_strPath.c_str(), m_iRecordCount, m_iFileRevision,
                 m_bWritable ? "writable" : "read-only");
    return true;
}

bool ZRStageInfoFile::OpenImage(const StageFileOpenOptions& options) {
    const bool protectedMode = options.protectedMode;
    const bool create = options.writes == StageFileWrites::kCreateIfMissing;
    const bool noCreate = options.writes == StageFileWrites::kNothing;
    const bool writableOverride = options.writableOverride;
    const bool maker = IsMakerDatabase(m_strPath);
    std::vector<uint8_t> content;
    std::string why;
    const FileReadResult read = ReadWholeFile(m_strPath, content, why);
    if (read == FileReadResult::Failed) {
        ZR_LOG_ERROR("%s::OpenStageParameterFile() %s, ZR_CANNOT_OPEN_PARAMETER_FILE", ClassName(),
                     why.c_str());
        return SetError(ZR_CANNOT_OPEN_PARAMETER_FILE);
    }
    if (read == FileReadResult::Missing) {
        if (maker) {
            ZR_LOG_ERROR("%s::OpenStageParameterFile() \"%s\" missing, ZR_STAGE_DATABASE_NOT_FOUND",
                         ClassName(), m_strPath.c_str());
            return SetError(ZR_STAGE_DATABASE_NOT_FOUND);
        }
        // Protected mode reads files that must already exist (single-stage files, old
        // databases); it never leaves an empty file behind.
        if (!create || noCreate || protectedMode) {
            ZR_LOG_ERROR(
                "%s::OpenStageParameterFile() \"%s\" missing, ZR_CANNOT_OPEN_PARAMETER_FILE",
                ClassName(), m_strPath.c_str());
            return SetError(ZR_CANNOT_OPEN_PARAMETER_FILE);
        }
    }

    // A file shorter than one record is a new, empty database, unless it plainly belongs to
    // another layout: that file is left alone rather than overwritten.
    const bool isNew = content.size() < S();
    if (isNew && content.size() >= 2) {
        const uint16_t version = stage_bytes::LoadLE<uint16_t>(content.data());
        if (version != 0 && version != m_Layout.version) {
            ZR_LOG_ERROR(
                "%s::OpenStageParameterFile() Version conflict (%d), "
                "ZR_CANNOT_OPEN_PARAMETER_FILE",
                ClassName(), version);
            return SetError(ZR_CANNOT_OPEN_PARAMETER_FILE);
        }
    }
    if (isNew) return CreateImage(maker, noCreate);

    m_Image = std::move(content);
    m_iRecordCount = static_cast<int>(m_Image.size() / S()) - 1;
    const StageFileHeaderInfo header = ReadStageFileHeader(m_Layout, m_Image);
    if (header.version != m_Layout.version) {
        ZR_LOG_ERROR(
            "%s::OpenStageParameterFile() Version conflict (%d), "
            "ZR_CANNOT_OPEN_PARAMETER_FILE",
            ClassName(), header.version);
        return SetError(ZR_CANNOT_OPEN_PARAMETER_FILE);
    }
    m_iFileRevision = m_Layout.revisionOffset != 0 ? header.revision : m_iRevision;
    const bool revisionEditable = m_iFileRevision <= m_iMaxEditableRevision;
    if (writableOverride)
        m_bWritable = revisionEditable;
    else
        m_bWritable = !maker && header.writeFlag == kStageFileWritable && revisionEditable;

    // A maker database says of itself that it is protected. The flag is only bookkeeping (the
    // name alone protects the file), so a failure to store it does not fail the open.
    if (maker && !writableOverride && !noCreate && header.writeFlag != 0) {
        std::vector<uint8_t> image = m_Image;
        stage_bytes::StoreLE<int32_t>(image.data() + m_Layout.writeFlagOffset, 0);
        if (!Commit(std::move(image), 0))
            ZR_LOG_WARN("%s::OpenStageParameterFile() write flag of \"%s\" not stored", ClassName(),
                        m_strPath.c_str());
    }

    if (protectedMode && !m_bWritable) {
        const std::size_t covered = (m_iRecordCount + 1) * S();
        bool valid;
        if (m_Image.size() >= covered + 2 || !noCreate) {
            valid = VerifyCRC();
        } else {
            m_iCRC = ComputeCRC(m_Image);
            valid = true;
        }
        if (!valid) {
            ZR_LOG_ERROR("%s::OpenStageParameterFile() \"%s\" SIF_INVALIDE_CRC", ClassName(),
                         m_strPath.c_str());
            return SetError(ZR_CANNOT_OPEN_PARAMETER_FILE);
        }
    }
    return true;
}

// A new, empty database: one header block. Created under the write lock, and only when no other
// writer created the file meanwhile (its content is then taken instead).
bool ZRStageInfoFile::CreateImage(bool maker, bool noCreate) {
    std::vector<uint8_t> image(S(), 0);
    stage_bytes::StoreLE<uint16_t>(image.data(), m_Layout.version);
    if (m_Layout.revisionOffset != 0)
        stage_bytes::StoreLE<int32_t>(image.data() + m_Layout.revisionOffset, m_iRevision);
    const bool writable = !maker;
    stage_bytes::StoreLE<int32_t>(image.data() + m_Layout.writeFlagOffset,
                                  writable ? kStageFileWritable : 0);
    m_iRecordCount = 0;
    m_iFileRevision = m_iRevision;
    m_bWritable = writable;
    if (noCreate) {
        m_Image = std::move(image);
        return true;
    }
    m_Image.clear();
    const FileWriteLock lock(m_strPath);
    if (!TakeCurrentImage(lock)) return SetError(ZR_CANNOT_OPEN_PARAMETER_FILE);
    if (m_Image.size() >= S()) return true;  // another writer created it meanwhile
    return Commit(std::move(image), ZR_CANNOT_OPEN_PARAMETER_FILE);
}

bool ZRStageInfoFile::TakeCurrentImage(const FileWriteLock& lock) {
    if (!lock.Locked()) {
        ZR_LOG_ERROR("%s: %s", ClassName(), lock.Error().c_str());
        return false;
    }
    std::vector<uint8_t> content;
    std::string why;
    if (ReadWholeFile(m_strPath, content, why) != FileReadResult::Ok || content.size() < S())
        return true;  // nothing to build upon
    if (stage_bytes::LoadLE<uint16_t>(content.data()) != m_Layout.version) return true;
    m_Image = std::move(content);
    m_iRecordCount = static_cast<int>(m_Image.size() / S()) - 1;
    return true;
}

void ZRStageInfoFile::Close() {
    m_bOpen = false;
    m_strPath.clear();
    m_Image.clear();
    m_Image.shrink_to_fit();
    m_iRecordCount = 0;
    m_bWritable = false;
}

// ---- checksum ----

uint16_t ZRStageInfoFile::ComputeCRC(const std::vector<uint8_t>& image) const {
    const std::size_t covered = std::min(image.size(), (m_iRecordCount + 1) * S());
    return Crc16(std::span<const uint8_t>(image.data(), covered));
}

bool ZRStageInfoFile::StoreCRC() {
    const FileWriteLock lock(m_strPath);
    if (!TakeCurrentImage(lock)) return SetError(ZR_CANNOT_WRITE_PARAMETER_DAT_FILE);
    const std::size_t at = (m_iRecordCount + 1) * S();
    std::vector<uint8_t> image = m_Image;
    const uint16_t crc = ComputeCRC(image);
    if (image.size() < at + 2) image.resize(at + 2, 0);
    stage_bytes::StoreLE<uint16_t>(image.data() + at, crc);
    if (!Commit(std::move(image), ZR_CANNOT_WRITE_PARAMETER_DAT_FILE)) return false;
    m_iCRC = crc;
    return true;
}

bool ZRStageInfoFile::VerifyCRC() {
    const std::size_t at = (m_iRecordCount + 1) * S();
    if (m_Image.size() < at + 2) return StoreCRC();
    const uint16_t crc = ComputeCRC(m_Image);
    m_iCRC = crc;
    return stage_bytes::LoadLE<uint16_t>(m_Image.data() + at) == crc;
}

bool ZRStageInfoFile::MakeCRC() {
    return RequireOpen() && StoreCRC();
}

bool ZRStageInfoFile::CheckCRC() {
    return RequireOpen() && VerifyCRC();
}

// ---- header and image ----

void ZRStageInfoFile::BuildHeader(std::vector<uint8_t>& image) const {
    BuildStageFileHeader(m_Layout, std::span<uint8_t>(image.data(), S()), StageFileLocalTime(),
                         m_iRevision);
    // The old layout keeps its write flag inside the rebuilt block.
    if (m_Layout.writeFlagOffset < m_Layout.headerBlockSize)
        stage_bytes::StoreLE<int32_t>(image.data() + m_Layout.writeFlagOffset,
                                      m_bWritable ? kStageFileWritable : 0);
}

bool ZRStageInfoFile::WriteHeader() {
    if (!RequireOpen()) return false;
    BuildHeader(m_Image);
    return true;
}

bool ZRStageInfoFile::GetHeaderInfo(StageFileHeaderInfo& info) const {
    if (!m_bOpen) return false;
    info = ReadStageFileHeader(m_Layout, m_Image);
    return true;
}

bool ZRStageInfoFile::WriteImage() {
    if (!RequireWritable()) return false;
    const FileWriteLock lock(m_strPath);
    if (!lock.Locked()) {
        ZR_LOG_ERROR("%s: %s", ClassName(), lock.Error().c_str());
        return SetError(ZR_CANNOT_WRITE_PARAMETER_DAT_FILE);
    }
    return Commit(m_Image, ZR_CANNOT_WRITE_PARAMETER_DAT_FILE);
}

bool ZRStageInfoFile::Commit(std::vector<uint8_t> image, int errorOnFailure) {
    std::string why;
    if (!ReplaceFileContents(m_strPath, image, why)) {
        ZR_LOG_ERROR("%s: %s, file left unchanged (%d)", ClassName(), why.c_str(), errorOnFailure);
        if (errorOnFailure != 0) SetError(errorOnFailure);
        return false;
    }
    m_Image = std::move(image);
    m_iRecordCount = static_cast<int>(m_Image.size() / S()) - 1;
    return true;
}

// ---- reading ----

int ZRStageInfoFile::FindRecord(const std::string& name) const {
    for (int k = 0; k < m_iRecordCount; ++k)
        if (RecordName(Record(k)) == name) return k;
    return -1;
}

bool ZRStageInfoFile::ReadAllStages(StageMap& target, const std::string& controllerType) {
    if (!RequireOpen()) return false;
    for (int k = 0; k < m_iRecordCount; ++k) {
        StageParameterSet set = ToParameterSet(Record(k));
        const std::string type = set.ControllerType();
        std::string name = set.StageName();
        if (EqualIgnoringCase(type, controllerType))
            target.insert_or_assign(std::move(name), set);
        else if (type == "ALL")
            target.try_emplace(std::move(name), set);
    }
    return true;
}

bool ZRStageInfoFile::GetStageByName(const std::string& name, std::span<uint8_t> record) {
    if (!RequireOpen()) return false;
    if (name.size() > m_Layout.maxNameLength) return SetError(ZR_CNTR_INVALID_STAGE_NAME);
    if (record.size() != S()) return SetError(ZR_INVALID_ARGUMENT);
    const int k = FindRecord(name);
    if (k < 0) return false;
    std::copy_n(Record(k), S(), record.data());
    return true;
}

bool ZRStageInfoFile::GetStageByIndex(int index, std::span<uint8_t> record) {
    if (!RequireOpen()) return false;
    if (index < 0 || index >= m_iRecordCount) return SetError(ZR_STAGE_DOES_NOT_EXIST);
    if (record.size() != S()) return SetError(ZR_INVALID_ARGUMENT);
    std::copy_n(Record(index), S(), record.data());
    return true;
}

bool ZRStageInfoFile::ListNames(char* buffer, int size) {
    if (!RequireOpen()) return false;
    std::string text;
    for (int k = 0; k < m_iRecordCount; ++k) {
        text += RecordName(Record(k));
        text += k + 1 < m_iRecordCount ? " \n" : "\n";
    }
    if (buffer == nullptr || size < 0 || text.size() >= static_cast<std::size_t>(size))
        return SetError(COM_BUFFER_OVERFLOW);
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}

// ---- changing ----

bool ZRStageInfoFile::AddStage(std::span<const uint8_t> record) {
    if (record.size() != S()) return SetError(ZR_INVALID_ARGUMENT);
    if (!IsValidStageName(RecordName(record.data()), m_Layout.maxNameLength)) {
        ZR_LOG_ERROR("%s::AddStage(\"%s\") ZR_CNTR_INVALID_STAGE_NAME", ClassName(),
                     RecordName(record.data()).c_str());
        return SetError(ZR_CNTR_INVALID_STAGE_NAME);
    }
    return AddRecords(record.data(), 1);
}

bool ZRStageInfoFile::AddNStages_V200(const StageParameterSet*, int) {
    return false;
}

bool ZRStageInfoFile::AddRecords(const uint8_t* records, int count) {
    if (!RequireWritable()) return false;
    if (records == nullptr || count < 0) return SetError(ZR_INVALID_ARGUMENT);
    const FileWriteLock lock(m_strPath);
    if (!TakeCurrentImage(lock)) return SetError(ZR_CANNOT_WRITE_PARAMETER_DAT_FILE);
    for (int i = 0; i < count; ++i) {
        const uint8_t* record = records + i * S();
        const std::string name = RecordName(record);
        // The first record of that name, in the file or earlier in this batch.
        const uint8_t* first = nullptr;
        if (const int k = FindRecord(name); k >= 0) first = Record(k);
        for (int j = 0; first == nullptr && j < i; ++j)
            if (RecordName(records + j * S()) == name) first = records + j * S();
        if (first != nullptr &&
            EqualIgnoringCase(RecordControllerType(first), RecordControllerType(record))) {
            ZR_LOG_ERROR("%s::AddNStages(\"%s\") ZR_STAGE_NAME_NOT_UNIQUE", ClassName(),
                         name.c_str());
            return SetError(ZR_STAGE_NAME_NOT_UNIQUE);
        }
        if (!IsValidStageName(name, m_Layout.maxNameLength)) {
            ZR_LOG_ERROR("%s::AddNStages(\"%s\") ZR_CNTR_INVALID_STAGE_NAME", ClassName(),
                         name.c_str());
            return SetError(ZR_CNTR_INVALID_STAGE_NAME);
        }
    }
    // New records follow the last old one; whatever followed it (a checksum) is dropped and the
    // file keeps its length beyond the records, now zero.
    const std::size_t oldSize = m_Image.size();
    const std::size_t end = (m_iRecordCount + 1) * S();
    std::vector<uint8_t> image(oldSize + count * S(), 0);
    std::copy_n(m_Image.begin(), end, image.begin());
    std::copy_n(records, count * S(), image.begin() + end);
    BuildHeader(image);
    if (!Commit(std::move(image), ZR_CANNOT_WRITE_PARAMETER_DAT_FILE)) return false;
    ZR_LOG_DEBUG("%s::AddNStages(%d) \"%s\" now holds %d stages", ClassName(), count,
                 m_strPath.c_str(), m_iRecordCount);
    return true;
}

bool ZRStageInfoFile::ReplaceStage(int index, std::span<const uint8_t> record) {
    if (!RequireOpen()) return false;
    const FileWriteLock lock(m_strPath);
    if (!TakeCurrentImage(lock)) return SetError(ZR_CANNOT_WRITE_PARAMETER_DAT_FILE);
    if (index < 0 || index >= m_iRecordCount) return SetError(ZR_STAGE_DOES_NOT_EXIST);
    if (!RequireWritable()) return false;
    if (record.size() != S()) return SetError(ZR_INVALID_ARGUMENT);
    std::vector<uint8_t> image = m_Image;
    std::copy_n(record.data(), S(), image.begin() + (index + 1) * S());
    BuildHeader(image);
    return Commit(std::move(image), ZR_CANNOT_WRITE_PARAMETER_DAT_FILE);
}

bool ZRStageInfoFile::RemoveStage(const std::string& name) {
    if (!RequireOpen()) return false;
    if (name.size() > m_Layout.maxNameLength) return SetError(ZR_CNTR_INVALID_STAGE_NAME);
    if (!RequireWritable()) return false;
    const FileWriteLock lock(m_strPath);
    if (!TakeCurrentImage(lock)) return SetError(ZR_CANNOT_WRITE_PARAMETER_DAT_FILE);
    const int k = FindRecord(name);
    if (k < 0) {
        ZR_LOG_DEBUG("%s::RemoveStage(\"%s\") no such stage", ClassName(), name.c_str());
        return SetError(ZR_STAGE_DOES_NOT_EXIST);
    }
    std::vector<uint8_t> image(m_iRecordCount * S());
    const auto from = m_Image.begin();
    std::copy(from, from + (k + 1) * S(), image.begin());
    std::copy(from + (k + 2) * S(), from + (m_iRecordCount + 1) * S(),
              image.begin() + (k + 1) * S());
    BuildHeader(image);
    return Commit(std::move(image), ZR_CANNOT_WRITE_PARAMETER_DAT_FILE);
}
