#include "tests/motion/stagecat/StageCatalogueFixture.h"

#include "winport/Registry.h"

namespace stagecat_test {

namespace {
stage_test::TempFolder* g_registry = nullptr;
stage_test::TempFolder* g_stages = nullptr;

const ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new StageFolderEnvironment);

std::string MakerPath() {
    return StageFolderEnvironment::File("zrstages2.dat");
}
}  // namespace

void StageFolderEnvironment::SetUp() {
    g_registry = new stage_test::TempFolder;
    g_stages = new stage_test::TempFolder;
    ::setenv("WINPORT_REGISTRY_DIR", g_registry->path().c_str(), 1);
    auto key =
        winport::RegistryKey::Create(winport::Hive::LocalMachine, "Software\\ZR\\TALTranslator");
    ASSERT_TRUE(key);
    ASSERT_EQ(key->WriteString("Path", g_stages->path().string()), winport::RegStatus::Ok);
}

const std::filesystem::path& StageFolderEnvironment::Folder() {
    return g_stages->path();
}

StageParameterSet StageRecipe::Make() const {
    StageParameterSet s;
    s.SetStageName(name);
    s.SetControllerType(controller);
    s.Set(StageFields::kMotType, type);
    s.Set(StageFields::kMotFactor, 1.0);
    s.Set(StageFields::kMotCpuZ, cpuZ);
    s.Set(StageFields::kMotCpuN, 1);
    s.Set(StageFields::kMotInvert, 1);
    s.Set(StageFields::kMotHatRef, 1);
    s.Set(StageFields::kMotMinTravel, -50.0);
    s.Set(StageFields::kMotMaxTravel, 50.0);
    s.Set(StageFields::kMotP, p);
    s.Set(StageFields::kMotI, 10);
    s.Set(StageFields::kMotD, 500);
    s.Set(StageFields::kMotILim, 2000);
    s.Set(StageFields::kMotStepperDc, 5);
    s.Set(StageFields::kMotStepperHc, 3);
    s.Set(StageFields::kMotStepperHt, 7);
    s.Set(StageFields::kMotCurrentVel73, 10.0);
    s.Set(StageFields::kMotCurrAccel11, 100.0);
    s.Set(StageFields::kMotMaxPosError, 2.0);
    return s;
}

StageRecordV100 OldRecord(const std::string& name, int p) {
    StageRecordV100 r;
    r.SetName(name);
    stage_bytes::StoreLE<uint16_t>(r.data() + 0x00, static_cast<uint16_t>(p));
    stage_bytes::StoreLE<int32_t>(r.data() + 0x34, 1000);
    stage_bytes::StoreLE<int32_t>(r.data() + 0x38, 1);
    stage_bytes::StoreLE<double>(r.data() + 0x3E, 1.0);
    r.data()[0x3D] = 1;
    return r;
}

std::vector<StageParameterSet> Sets(const std::vector<StageRecipe>& specs) {
    std::vector<StageParameterSet> sets;
    for (const StageRecipe& s : specs) sets.push_back(s.Make());
    return sets;
}

void WriteMakerDatabase(const std::vector<StageRecipe>& specs) {
    WriteFile(MakerPath(), BuildMakerDatabaseImage(Sets(specs)));
}

void WriteUserDatabase(const std::vector<StageRecipe>& specs) {
    ZRStageInfoFile_V200 file;
    file.SetUseTALTranslatorDirectory(false);
    ASSERT_TRUE(
        file.OpenStageParameterFile(StageFolderEnvironment::File("corvaneuserstages2.dat")));
    const std::vector<StageParameterSet> sets = Sets(specs);
    ASSERT_TRUE(file.AddNStages_V200(sets.data(), static_cast<int>(sets.size())));
}

void WriteOldUserDatabase(const std::vector<StageRecordV100>& records) {
    ZRStageInfoFile file;
    file.SetUseTALTranslatorDirectory(false);
    ASSERT_TRUE(file.OpenStageParameterFile(StageFolderEnvironment::File("corvaneuserstages.dat")));
    for (const StageRecordV100& r : records) ASSERT_TRUE(file.AddStage(r.Bytes()));
}

void WriteSingleStageFile(const std::string& name, const std::vector<StageRecipe>& specs,
                          bool validChecksum) {
    Bytes image = BuildMakerDatabaseImage(Sets(specs));
    if (!validChecksum) image.back() ^= 0x5A;
    WriteFile(StageFolderEnvironment::File(name), image);
}

std::vector<StageParameterSet> StagesOf(const std::string& path) {
    ZRStageInfoFile_V200 file;
    file.SetUseTALTranslatorDirectory(false);
    std::vector<StageParameterSet> sets;
    if (!file.OpenStageParameterFile(path, {.writes = StageFileWrites::kNothing})) return sets;
    for (int k = 0; k < file.GetNumberOfStages(); ++k) {
        StageParameterSet s;
        if (file.GetStageByIndex(k, s)) sets.push_back(s);
    }
    return sets;
}

void StageCatalogueTest::SetUp() {
    ApiFixture::SetUp();
    for (const auto& entry : std::filesystem::directory_iterator(StageFolderEnvironment::Folder()))
        std::filesystem::remove_all(entry.path());
}

int StageCatalogueTest::ConnectMixed() {
    StartChain(kCom, apitest::kTwoBoards);
    return Connect(kCom, 2);
}

int StageCatalogueTest::ConnectTwoServos() {
    StartChain(kCom, "[board 0]\ntype = R-220\n[board 1]\ntype = R-220\n");
    return Connect(kCom, 2);
}

std::string StageCatalogueTest::qVST(int id) {
    std::vector<char> buffer(10000, '#');
    if (!Corvane_qVST(id, buffer.data(), static_cast<int>(buffer.size())))
        return "failed " + std::to_string(Corvane_GetError(id));
    return buffer.data();
}

std::string StageCatalogueTest::qCST(int id, const char* axes) {
    std::vector<char> buffer(1000, '#');
    if (!Corvane_qCST(id, axes, buffer.data(), static_cast<int>(buffer.size())))
        return "failed " + std::to_string(Corvane_GetError(id));
    return buffer.data();
}

std::vector<std::string> StageCatalogueTest::Lines(int board) const {
    return sims.at(kCom)->ReceivedLines(board);
}

}  // namespace stagecat_test
