// stagetool: builds, lists, shows, verifies and edits stage database files.
//
//   stagetool build DESCRIPTION OUTPUT      maker database (protected, with checksum) from text
//   stagetool list FILE                     header and one line per stage
//   stagetool show FILE NAME                every known parameter of one stage
//   stagetool verify FILE                   checks the checksum (exit 1 when not valid)
//   stagetool add FILE DESCRIPTION          adds the described stages to a user database
//   stagetool set FILE NAME KEY VALUE       changes one parameter in a user database
//   stagetool remove FILE NAME              removes a stage from a user database
//   stagetool keys                          the parameter keys of descriptions, show and set
//
// The file is used as named; the TALTranslator folder of the registry store plays no part.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "StageDatabaseImage.h"
#include "StageDescription.h"
#include "StageFieldTable.h"
#include "motion/stages/AtomicFile.h"
#include "motion/stages/StageFileProbe.h"
#include "motion/stages/ZRStageInfoFile_V200.h"
#include "tools/common/ToolOptions.h"

namespace {

const zrtool::Tool kTool(
    {"stagetool",
     "build DESCRIPTION OUTPUT\n"
     "list FILE\n"
     "show FILE NAME\n"
     "verify FILE\n"
     "add FILE DESCRIPTION\n"
     "set FILE NAME KEY VALUE\n"
     "remove FILE NAME\n"
     "keys",
     "Builds, lists, shows, verifies and edits stage database files.",
     "  build   maker database (protected, with checksum) from a text description\n"
     "  list    header, checksum state, one line per stage\n"
     "  show    every known parameter of a stage\n"
     "  verify  checks the checksum (exit 1 when not valid)\n"
     "  add     adds described stages to a user database (created when missing)\n"
     "  set     changes one parameter in a user database\n"
     "  remove  removes a stage from a user database\n"
     "  keys    the parameter keys of descriptions, show and set\n"
     "The file is used as named; the TALTranslator folder of the registry store\n"
     "plays no part. A description has one [NAME] section per stage with\n"
     "key = value lines; # starts a comment.\n"});

constexpr std::string_view kCommands = " build list show verify add set remove keys ";

int Fail(const std::string& message) {
    return kTool.Failure(message);
}

bool ReadText(const std::string& path, std::string& text) {
    std::ifstream in(path);
    if (!in) return false;
    text.assign(std::istreambuf_iterator<char>(in), {});
    return true;
}

bool ReadDescription(const std::string& path, std::vector<StageParameterSet>& stages,
                     std::string& error) {
    std::string text;
    if (!ReadText(path, text)) {
        error = "cannot read " + path;
        return false;
    }
    if (!ParseStageDescription(text, stages, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

// Opens an existing stage database without writing anything into it.
bool OpenForReading(ZRStageInfoFile_V200& file, const std::string& path, std::string& error) {
    file.SetUseTALTranslatorDirectory(false);
    if (!StageFileProbe::Of(path).HoldsDatabase(ZRStageInfoFile_V200::kVersion,
                                                StageParameterSet::kSize, 0)) {
        error = path + " is no stage database of version 200";
        return false;
    }
    if (!file.OpenStageParameterFile(path, {.writes = StageFileWrites::kNothing})) {
        error = "cannot open " + path + ", error " + std::to_string(file.TakeError());
        return false;
    }
    return true;
}

// Opens a user database for a change; create: a missing file becomes a new database.
bool OpenForEditing(ZRStageInfoFile_V200& file, const std::string& path, bool create,
                    std::string& error) {
    file.SetUseTALTranslatorDirectory(false);
    const StageFileProbe probe = StageFileProbe::Of(path);
    const bool fresh = create && probe.IsNewFile();
    if (!fresh &&
        !(probe.HoldsDatabase(ZRStageInfoFile_V200::kVersion, StageParameterSet::kSize, 0) &&
          probe.HasWholeRecords(StageParameterSet::kSize))) {
        error = path + " is no stage database of version 200";
        return false;
    }
    if (!file.OpenStageParameterFile(path, {.writes = create ? StageFileWrites::kCreateIfMissing
                                                             : StageFileWrites::kExistingOnly})) {
        error = "cannot open " + path + ", error " + std::to_string(file.TakeError());
        return false;
    }
    if (!file.GetWritable()) {
        error = path + " is protected";
        return false;
    }
    return true;
}

std::string Describe(const StageParameterSet& set) {
    const int type = set.Get(StageFields::kMotType);
    std::string text = type == 0   ? "DC motor"
                       : type == 2 ? "voice coil"
                       : type == 6 ? "stepper motor"
                                   : "type " + std::to_string(type);
    text += set.Get(StageFields::kMotRadial) == 1 ? ", rotary" : ", linear";
    text += set.Get(StageFields::kMotHatRef) == 1 ? ", reference switch" : ", no reference";
    text +=
        set.Get(StageFields::kMotNoLimitSwitch) == 1 ? ", no limit switches" : ", limit switches";
    return text;
}

const char* ChecksumText(StageChecksum checksum) {
    switch (checksum) {
        case StageChecksum::Valid:
            return "valid";
        case StageChecksum::Invalid:
            return "INVALID";
        case StageChecksum::Missing:
            return "none";
    }
    return "?";
}

int Build(const std::string& description, const std::string& output) {
    std::vector<StageParameterSet> stages;
    std::string error;
    if (!ReadDescription(description, stages, error)) return Fail(error);
    const std::vector<uint8_t> image = BuildMakerDatabaseImage(stages);
    if (!ReplaceFileContents(output, image, error)) return Fail(error);
    std::printf("%s: %zu stages\n", output.c_str(), stages.size());
    return 0;
}

int List(const std::string& path) {
    ZRStageInfoFile_V200 file;
    std::string error;
    if (!OpenForReading(file, path, error)) return Fail(error);
    StageFileHeaderInfo header;
    file.GetHeaderInfo(header);
    std::vector<uint8_t> content;
    ReadWholeFile(path, content, error);
    std::printf("%s\nversion %d, revision %d, %s, written %04d-%02d-%02d %02d:%02d:%02d\n",
                path.c_str(), header.version, header.revision,
                header.writeFlag == kStageFileWritable ? "writable" : "protected", header.year,
                header.month, header.day, header.hour, header.minute, header.second);
    std::printf("checksum %s, %d stages\n", ChecksumText(CheckStageFileChecksum(content)),
                file.GetNumberOfStages());
    for (int k = 0; k < file.GetNumberOfStages(); ++k) {
        StageParameterSet set;
        if (!file.GetStageByIndex(k, set)) break;
        std::printf("%3d  %-31s %-8s %s\n", k + 1, set.StageName().c_str(),
                    set.ControllerType().c_str(), Describe(set).c_str());
    }
    return 0;
}

int Show(const std::string& path, const std::string& name) {
    ZRStageInfoFile_V200 file;
    std::string error;
    if (!OpenForReading(file, path, error)) return Fail(error);
    StageParameterSet set;
    if (!file.GetStageByName(name, set)) return Fail("no stage " + name + " in " + path);
    std::printf("[%s]\ncontroller = %s\n", set.StageName().c_str(), set.ControllerType().c_str());
    for (const StageFieldInfo& field : StageFieldTable())
        std::printf("%-20s = %-16s # %s\n", field.key, FieldText(set, field).c_str(),
                    field.meaning);
    return 0;
}

int Verify(const std::string& path) {
    std::vector<uint8_t> content;
    std::string error;
    if (ReadWholeFile(path, content, error) != FileReadResult::Ok)
        return Fail(error.empty() ? path + " not found" : error);
    const StageChecksum checksum = CheckStageFileChecksum(content);
    std::printf("%s: checksum %s\n", path.c_str(), ChecksumText(checksum));
    return checksum == StageChecksum::Valid ? 0 : 1;
}

int Add(const std::string& path, const std::string& description) {
    std::vector<StageParameterSet> stages;
    std::string error;
    if (!ReadDescription(description, stages, error)) return Fail(error);
    ZRStageInfoFile_V200 file;
    if (!OpenForEditing(file, path, true, error)) return Fail(error);
    if (!file.AddNStages_V200(stages.data(), static_cast<int>(stages.size())))
        return Fail("nothing added, error " + std::to_string(file.TakeError()));
    std::printf("%s: %zu stages added, %d in all\n", path.c_str(), stages.size(),
                file.GetNumberOfStages());
    return 0;
}

int Set(const std::string& path, const std::string& name, const std::string& key,
        const std::string& value) {
    const StageFieldInfo* field = FindStageField(key);
    if (!field) return Fail("unknown key " + key + " (stagetool keys lists them)");
    ZRStageInfoFile_V200 file;
    std::string error;
    if (!OpenForEditing(file, path, false, error)) return Fail(error);
    for (int k = 0; k < file.GetNumberOfStages(); ++k) {
        StageParameterSet set;
        if (!file.GetStageByIndex(k, set) || set.StageName() != name) continue;
        if (!SetFieldText(set, *field, value)) return Fail(value + " is no value for " + key);
        if (!file.ReplaceStage(k, set))
            return Fail("not stored, error " + std::to_string(file.TakeError()));
        std::printf("%s: %s %s = %s\n", path.c_str(), name.c_str(), key.c_str(),
                    FieldText(set, *field).c_str());
        return 0;
    }
    return Fail("no stage " + name + " in " + path);
}

int Remove(const std::string& path, const std::string& name) {
    ZRStageInfoFile_V200 file;
    std::string error;
    if (!OpenForEditing(file, path, false, error)) return Fail(error);
    if (!file.RemoveStage(name))
        return Fail("no stage " + name + " removed, error " + std::to_string(file.TakeError()));
    std::printf("%s: %s removed, %d stages left\n", path.c_str(), name.c_str(),
                file.GetNumberOfStages());
    return 0;
}

int Keys() {
    for (const StageFieldInfo& field : StageFieldTable())
        std::printf("%-20s %s\n", field.key, field.meaning);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (const auto done = kTool.Start(argc, argv)) return *done;
    const std::vector<std::string> args(argv + 1, argv + argc);
    const std::string command = args.empty() ? "" : args[0];
    const size_t n = args.size();
    if (command == "build" && n == 3) return Build(args[1], args[2]);
    if (command == "list" && n == 2) return List(args[1]);
    if (command == "show" && n == 3) return Show(args[1], args[2]);
    if (command == "verify" && n == 2) return Verify(args[1]);
    if (command == "add" && n == 3) return Add(args[1], args[2]);
    if (command == "set" && n == 5) return Set(args[1], args[2], args[3], args[4]);
    if (command == "remove" && n == 3) return Remove(args[1], args[2]);
    if (command == "keys" && n == 1) return Keys();
    if (command.empty()) return kTool.UsageError("a command is needed");
    return kTool.UsageError(kCommands.find(" " + command + " ") == std::string::npos
                                ? "unknown command \"" + command + "\""
                                : "wrong number of arguments for " + command);
}
