#pragma once
// Every registry test runs against its own scratch folder, never the user's settings.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

class TempRegistry : public ::testing::Test {
  protected:
    void SetUp() override {
        static std::atomic<int> counter{0};
        dir = std::filesystem::temp_directory_path() /
              ("winport_registry_" + std::to_string(getpid()) + "_" + std::to_string(counter++));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        const char* old = std::getenv("WINPORT_REGISTRY_DIR");
        hadOld = old != nullptr;
        if (old) oldValue = old;
        setenv("WINPORT_REGISTRY_DIR", dir.c_str(), 1);
    }
    void TearDown() override {
        if (hadOld)
            setenv("WINPORT_REGISTRY_DIR", oldValue.c_str(), 1);
        else
            unsetenv("WINPORT_REGISTRY_DIR");
        std::filesystem::remove_all(dir);
    }

    std::filesystem::path Hkcu() const { return dir / "HKCU.reg"; }
    std::filesystem::path Hklm() const { return dir / "HKLM.reg"; }

    static std::string ReadFile(const std::filesystem::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void WriteFile(const std::filesystem::path& p, const std::string& bytes) {
        std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
    }

    // The text of a file in Windows' Unicode form (byte-order mark, UTF-16LE) as UTF-8; a file
    // in any other form gives "<not UTF-16LE>".
    static std::string TextOf(const std::string& file) {
        if (file.size() % 2 != 0 || file.compare(0, 2, "\xFF\xFE") != 0) return "<not UTF-16LE>";
        std::string out;
        for (size_t i = 2; i + 1 < file.size(); i += 2) {
            uint32_t cp = uint8_t(file[i]) | uint32_t(uint8_t(file[i + 1])) << 8;
            if (cp >= 0xD800 && cp < 0xDC00 && i + 3 < file.size()) {
                const uint32_t lo = uint8_t(file[i + 2]) | uint32_t(uint8_t(file[i + 3])) << 8;
                cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                i += 2;
            }
            AppendUtf8(out, cp);
        }
        return out;
    }
    static std::string HiveText(const std::filesystem::path& p) { return TextOf(ReadFile(p)); }
    // UTF-16LE bytes of a UTF-8 text (no byte-order mark).
    static std::string Utf16(const std::string& text) {
        std::string out;
        for (size_t i = 0; i < text.size();) {
            const auto b = uint8_t(text[i]);
            const int len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
            uint32_t cp = len == 1 ? b : b & (0x3F >> (len - 1));
            for (int k = 1; k < len; ++k) cp = cp << 6 | (uint8_t(text[i + k]) & 0x3F);
            i += size_t(len);
            if (cp >= 0x10000) {
                cp -= 0x10000;
                AppendUnit(out, 0xD800 | (cp >> 10));
                cp = 0xDC00 | (cp & 0x3FF);
            }
            AppendUnit(out, cp);
        }
        return out;
    }

    std::filesystem::path dir;
    bool hadOld = false;
    std::string oldValue;

  private:
    static void AppendUnit(std::string& out, uint32_t u) {
        out += char(u & 0xFF);
        out += char(u >> 8);
    }
    static void AppendUtf8(std::string& out, uint32_t cp) {
        if (cp < 0x80) {
            out += char(cp);
        } else if (cp < 0x800) {
            out += char(0xC0 | cp >> 6);
            out += char(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += char(0xE0 | cp >> 12);
            out += char(0x80 | (cp >> 6 & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        } else {
            out += char(0xF0 | cp >> 18);
            out += char(0x80 | (cp >> 12 & 0x3F));
            out += char(0x80 | (cp >> 6 & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        }
    }
};
