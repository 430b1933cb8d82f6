// Stage database files of both layouts, whatever their bytes: opened in every mode, read, listed,
// and, when writable, a record added and one removed. A change keeps every other record as it was.
#include <fcntl.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "motion/stages/ZRStageInfoFile_V200.h"

namespace {

std::vector<std::vector<uint8_t>> Records(ZRStageInfoFile& file) {
    std::vector<std::vector<uint8_t>> records;
    for (int k = 0; k < file.GetNumberOfStages(); ++k) {
        std::vector<uint8_t> record(static_cast<size_t>(file.RecordSize()));
        if (!file.GetStageByIndex(k, record)) fuzz::Fail("a listed record cannot be read");
        records.push_back(std::move(record));
    }
    return records;
}

void WriteInput(const std::string& path, const uint8_t* data, size_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) fuzz::Fail("cannot write the input file");
    for (size_t done = 0; done < size;) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0) fuzz::Fail("cannot write the input file");
        done += static_cast<size_t>(n);
    }
    ::close(fd);
}

void ReadEverything(ZRStageInfoFile& file) {
    std::vector<char> names(65536);
    (void)file.ListNames(names.data(), static_cast<int>(names.size()));
    (void)file.ListNames(names.data(), 3);  // too short for most: refused, nothing overrun
    StageMap stages;
    (void)file.ReadAllStages(stages, "CORVANE");
    (void)file.CheckCRC();
}

// Adding appends after the records that were there; removing takes out exactly one.
void ChangeAndCompare(ZRStageInfoFile_V200& file) {
    const std::vector<std::vector<uint8_t>> before = Records(file);
    StageParameterSet added;
    (void)added.SetStageName("FUZZ-ADDED");
    (void)added.SetControllerType("CORVANE");
    if (file.AddStage(added)) {
        std::vector<std::vector<uint8_t>> after = Records(file);
        if (after.size() != before.size() + 1) fuzz::Fail("add did not add one record");
        after.pop_back();
        if (after != before) fuzz::Fail("add changed another record");
    }
    const std::vector<std::vector<uint8_t>> current = Records(file);
    if (current.empty()) return;
    StageParameterSet first;
    if (!file.GetStageByIndex(0, first)) fuzz::Fail("record 0 cannot be read");
    if (!file.RemoveStage(first.StageName())) return;
    std::vector<std::vector<uint8_t>> expected = current;
    expected.erase(expected.begin());
    if (Records(file) != expected) fuzz::Fail("remove changed another record");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const uint8_t mode = fuzz::TakeU8(data, size);
    const std::string path =
        fuzz::ScratchFolder() + ((mode & 0x10) ? "/zrstages2.dat" : "/user2.dat");
    WriteInput(path, data, size);
    const bool protectedMode = (mode & 1) != 0;
    const bool create = (mode & 2) != 0;
    const bool noCreate = (mode & 4) != 0;
    const bool writableOverride = (mode & 8) != 0;
    std::unique_ptr<ZRStageInfoFile> file;
    if (mode & 0x20)
        file = std::make_unique<ZRStageInfoFile>();
    else
        file = std::make_unique<ZRStageInfoFile_V200>();
    file->SetUseTALTranslatorDirectory(false);
    if (file->OpenStageParameterFile(path, {.protectedMode = protectedMode,
                                            .writes = noCreate ? StageFileWrites::kNothing
                                                      : create ? StageFileWrites::kCreateIfMissing
                                                               : StageFileWrites::kExistingOnly,
                                            .writableOverride = writableOverride})) {
        ReadEverything(*file);
        if (!(mode & 0x20) && file->GetWritable() && !noCreate)
            ChangeAndCompare(static_cast<ZRStageInfoFile_V200&>(*file));
        file->Close();
    }
    ::unlink(path.c_str());
    return 0;
}
