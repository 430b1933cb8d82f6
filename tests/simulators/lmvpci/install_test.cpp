// Installing the simulated board into a registry and folder of the test's own.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "simulators/lmvpci/SimInstall.h"
#include "winport/Registry.h"

namespace {

namespace fs = std::filesystem;
using winport::Hive;
using winport::RegistryKey;

class InstallTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/lmvpci-install-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        ::setenv("WINPORT_REGISTRY_DIR", dir_.c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("WINPORT_REGISTRY_DIR");
        fs::remove_all(dir_);
    }
    std::vector<unsigned char> Bytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::string dir_;
};

TEST_F(InstallTest, WritesServiceKeyAndBitFiles) {
    const std::string bits = dir_ + "/bits";
    auto result = lmvpci::Install(bits);
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(result.files.size(), 2u);
    EXPECT_EQ(result.files[0], bits + "/rz410017.bit");
    EXPECT_EQ(result.files[1], bits + "/rz420017.bit");
    EXPECT_EQ(Bytes(result.files[0]), lmvpci::BitFileImage("rz410"));
    EXPECT_EQ(Bytes(result.files[1]), lmvpci::BitFileImage("rz420"));
    EXPECT_NE(lmvpci::BitFileImage("rz410"), lmvpci::BitFileImage("rz420"));

    // Read back as the library will: key names in another case.
    auto service =
        RegistryKey::Open(Hive::LocalMachine, "SYSTEM\\CurrentControlSet\\Services\\Lmvnt");
    ASSERT_TRUE(service);
    const auto image = service->ReadString("ImagePath");
    ASSERT_TRUE(image);
    // The driver file in the installation's folder, so that its version file is found from any
    // working folder.
    EXPECT_EQ(*image, (fs::absolute(bits) / "lmvnt.sys").lexically_normal().string());
    auto parameters = RegistryKey::Open(Hive::LocalMachine,
                                        "System\\CurrentControlSet\\Services\\lmvnt\\Parameters");
    ASSERT_TRUE(parameters);
    const auto binfile = parameters->ReadString("Binfile");
    ASSERT_TRUE(binfile);
    EXPECT_LT(binfile->size(), 100u);
    EXPECT_TRUE(fs::exists(*binfile) || *binfile == "rz410017.bit");

    // The driver file's version stands beside the bit files.
    EXPECT_EQ(result.versionFile, bits + "/lmvnt.sys.version");
    std::ifstream version(result.versionFile);
    std::string text;
    std::getline(version, text);
    EXPECT_EQ(text, "1.60");

    auto removed = lmvpci::Uninstall(bits);
    ASSERT_TRUE(removed.ok) << removed.error;
    EXPECT_EQ(removed.files.size(), 2u);
    EXPECT_FALSE(fs::exists(result.files[0]));
    EXPECT_FALSE(fs::exists(result.versionFile));
    EXPECT_FALSE(RegistryKey::Open(Hive::LocalMachine, lmvpci::kServiceKey));
}

TEST_F(InstallTest, ToolInstallsBesideTheLibraries) {
    const std::string bits = dir_ + "/lib";
    const std::string command = "WINPORT_REGISTRY_DIR=" + dir_ +
                                " " ZR_BUILD_DIR "/bin/lmvpci-install " + bits + " > " + dir_ +
                                "/out.txt";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_TRUE(fs::exists(bits + "/rz410017.bit"));
    EXPECT_TRUE(RegistryKey::Open(Hive::LocalMachine, lmvpci::kServiceKey));
    EXPECT_NE(std::system((ZR_BUILD_DIR "/bin/lmvpci-install --bad 2>/dev/null")), 0);
}

}  // namespace
