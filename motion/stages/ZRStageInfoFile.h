#pragma once
// A stage database file: a header block, then records of one fixed size, optionally followed by a
// 2-byte checksum (see Crc16). This class handles the old layout of 256-byte records (version
// 100); ZRStageInfoFile_V200 the current layout of 2048-byte stage parameter sets. Both share
// every operation, so a caller may open a file of either version through this class.
//
// An object is opened, used and closed within one catalogue operation. While open, the in-memory
// image of the whole file is the authority: every change builds a new image and writes it whole.
// A write goes to a new file in the same folder that then replaces the old one, so a failed or
// interrupted write leaves the old file exactly as it was, and the object keeps the old image.
//
// Failures return false and leave an error number in the object (GetLastError, TakeError):
// ZR_NO_PARAMETER_FILE_OPEN, ZR_PARAMETER_FILE_PROTECTED, ZR_STAGE_DOES_NOT_EXIST,
// ZR_STAGE_NAME_NOT_UNIQUE, ZR_CNTR_INVALID_STAGE_NAME, ZR_CANNOT_WRITE_PARAMETER_DAT_FILE,
// ZR_CANNOT_OPEN_PARAMETER_FILE, ZR_STAGE_DATABASE_NOT_FOUND, ZR_PARAMETER_FILE_ALREADY_OPEN,
// ZR_INVALID_ARGUMENT (a record buffer of the wrong size), COM_BUFFER_OVERFLOW (ListNames).
#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "motion/stages/AtomicFile.h"
#include "motion/stages/StageFileHeader.h"
#include "motion/stages/StageParameterSet.h"

// Stage name -> parameter set, ordered by name (compared byte by byte).
using StageMap = std::map<std::string, StageParameterSet>;

// What opening a stage file may write.
enum class StageFileWrites {
    kCreateIfMissing,  // a missing file is created
    kExistingOnly,     // a missing file is not created (ZR_CANNOT_OPEN_PARAMETER_FILE)
    kNothing,  // no file is created, no header or checksum written (to find out a file's version)
};

struct StageFileOpenOptions {
    // a file that is not writable must carry a valid checksum; a missing one is computed and
    // appended. A missing file is not created. For single-stage files and old user databases.
    bool protectedMode = false;
    StageFileWrites writes = StageFileWrites::kCreateIfMissing;
    // the maker database names and the write flag do not protect the file (a revision above the
    // highest editable one still does); the stored flag is left alone.
    bool writableOverride = false;
};

class ZRStageInfoFile {
  public:
    ZRStageInfoFile();
    virtual ~ZRStageInfoFile();
    ZRStageInfoFile(const ZRStageInfoFile&) = delete;
    ZRStageInfoFile& operator=(const ZRStageInfoFile&) = delete;

    // Opens the file, creating a missing one as a new, writable user database.
    //  path: full path; with the TALTranslator folder known and SetUseTALTranslatorDirectory on
    //    (the default), only its file name counts and the file is looked for in that folder.
    // The maker databases "zrstages.dat" and "zrstages2.dat" (any case) are never writable and
    // never created (ZR_STAGE_DATABASE_NOT_FOUND when missing). A file of another layout version
    // fails with ZR_CANNOT_OPEN_PARAMETER_FILE.
    virtual bool OpenStageParameterFile(const std::string& path,
                                        const StageFileOpenOptions& options = {});
    // Writes nothing; forgets the image.
    virtual void Close();
    virtual bool IsOpen() const { return m_bOpen; }

    virtual int GetVersion() const;
    // The revision stored in the file's header (as read when opened).
    virtual int GetRevision() const { return m_iFileRevision; }
    virtual bool GetWritable() const { return m_bWritable; }
    virtual int GetNumberOfStages() const { return m_iRecordCount; }
    virtual int RecordSize() const;

    // Adds every record meant for controllerType (compared ignoring case; it replaces an entry of
    // the same name) or for "ALL" (only when the name is not there yet). Records of the old layout
    // are converted and count as "ALL".
    virtual bool ReadAllStages(StageMap& target, const std::string& controllerType);
    // The first record whose name equals name exactly. A name too long for the layout fails with
    // ZR_CNTR_INVALID_STAGE_NAME; no such record: false with no error. record: RecordSize() bytes.
    virtual bool GetStageByName(const std::string& name, std::span<uint8_t> record);
    // index from 0.
    virtual bool GetStageByIndex(int index, std::span<uint8_t> record);

    // Appends one record (RecordSize() bytes) after checking its name.
    virtual bool AddStage(std::span<const uint8_t> record);
    // Appends count parameter sets in one write; all or none are added. Version 200 only.
    virtual bool AddNStages_V200(const StageParameterSet* records, int count);
    virtual bool ReplaceStage(int index, std::span<const uint8_t> record);
    // Removes the first record whose name equals name exactly; the file loses its checksum.
    virtual bool RemoveStage(const std::string& name);

    // Every record name followed by " \n", the last one by "\n" only, NUL-terminated. False
    // (COM_BUFFER_OVERFLOW) when it does not fit into size bytes.
    virtual bool ListNames(char* buffer, int size);

    // Rebuilds the header of the image: version, local date and time, text and field map. A
    // revision field reads 0 afterwards. Only the image changes; WriteImage stores it.
    virtual bool WriteHeader();
    virtual bool GetHeaderInfo(StageFileHeaderInfo& info) const;
    // Stores the image as the new file content.
    virtual bool WriteImage();
    // Computes the checksum over header and records, puts it right after the last record and
    // stores the file (2 bytes longer when it had no checksum).
    virtual bool MakeCRC();
    // True when the stored checksum matches; a file without checksum gets one (MakeCRC).
    virtual bool CheckCRC();
    // The checksum of the last check or MakeCRC, -1 when none.
    int GetLastCRC() const { return m_iCRC; }

    int GetLastError() const { return m_iLastError; }
    // Returns the last error and clears it.
    int TakeError();

    void SetUseTALTranslatorDirectory(bool use) { m_bUseTALDirectory = use; }
    bool GetUseTALTranslatorDirectory() const { return m_bUseTALDirectory; }
    // The path the file was located at (empty while closed).
    const std::string& GetPath() const { return m_strPath; }

  protected:
    ZRStageInfoFile(const StageFileLayout& layout, int revision);

    virtual const char* ClassName() const { return "ZRStageInfoFile"; }
    virtual std::string RecordName(const uint8_t* record) const;
    virtual std::string RecordControllerType(const uint8_t* record) const;
    virtual StageParameterSet ToParameterSet(const uint8_t* record) const;

    // The checks of AddNStages_V200 and the write, for records of RecordSize() bytes each.
    bool AddRecords(const uint8_t* records, int count);

  private:
    std::size_t S() const { return m_Layout.recordSize; }
    const uint8_t* Record(int index) const { return m_Image.data() + (index + 1) * S(); }
    int FindRecord(const std::string& name) const;
    bool RequireOpen();
    bool RequireWritable();
    bool SetError(int error);
    std::string Locate(const std::string& path) const;
    bool IsMakerDatabase(const std::string& path) const;
    void BuildHeader(std::vector<uint8_t>& image) const;
    uint16_t ComputeCRC(const std::vector<uint8_t>& image) const;
    bool StoreCRC();
    bool VerifyCRC();
    // Stores image as the file; on success it becomes the object's image.
    bool Commit(std::vector<uint8_t> image, int errorOnFailure);
    // With the file's write lock taken: the image becomes the file's current content, so a
    // change that another writer stored since opening is built upon, not overwritten.
    [[nodiscard]] bool TakeCurrentImage(const FileWriteLock& lock);
    bool CreateImage(bool maker, bool noCreate);
    bool OpenImage(const StageFileOpenOptions& options);

    const StageFileLayout m_Layout;
    const int m_iRevision;             // written into new files and header texts
    const int m_iMaxEditableRevision;  // files of a later revision are read-only
    std::string m_strPath;
    std::vector<uint8_t> m_Image;  // the whole file as on disk
    bool m_bOpen = false;
    int m_iRecordCount = 0;
    int m_iFileRevision = 0;
    bool m_bWritable = false;
    int m_iLastError = 0;
    int m_iCRC = -1;
    bool m_bUseTALDirectory = true;
};
