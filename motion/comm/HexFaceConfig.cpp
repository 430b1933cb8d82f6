#include "motion/comm/HexFaceConfig.h"

#include <vector>

#include "winport/Registry.h"

namespace {

std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : text) {
        if (c == '\\' || c == '/') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

std::string JoinBackslash(const std::vector<std::string>& parts) {
    std::string joined;
    for (const std::string& p : parts) {
        if (!joined.empty()) joined += '\\';
        joined += p;
    }
    return joined;
}

}  // namespace

CHexFaceConfig::KeyParts CHexFaceConfig::SplitKey(const char* key) {
    std::string text = key && *key ? key : "ZR/generic_i";
    std::vector<std::string> parts = Split(text);
    KeyParts result;
    if (parts.empty()) {
        result.vendor = "ZR";
        result.application = "generic_i";
    } else if (parts.size() == 1) {
        result.vendor = result.application = parts[0];
    } else {
        result.vendor = parts[0];
        result.application = parts[1];
        for (size_t i = 2; i < parts.size(); ++i) {
            if (result.basePath.empty()) result.basePath.push_back('/');
            result.basePath += parts[i];
            result.basePath += '/';
        }
    }
    return result;
}

CHexFaceConfig::CHexFaceConfig(const KeyParts& parts) : m_Parts(parts) {}

void CHexFaceConfig::SetPath(const std::string& path) {
    std::vector<std::string> current =
        path.rfind("..", 0) == 0 ? Split(m_Group) : std::vector<std::string>{};
    for (const std::string& part : Split(path)) {
        if (part == "..") {
            if (!current.empty()) current.pop_back();
        } else if (part != ".") {
            current.push_back(part);
        }
    }
    m_Group.clear();
    for (const std::string& part : current) {
        m_Group += '/';
        m_Group += part;
    }
}

std::string CHexFaceConfig::KeyPath() const {
    std::vector<std::string> parts = {"Software", m_Parts.vendor, m_Parts.application};
    for (const std::string& p : Split(m_Parts.basePath)) parts.push_back(p);
    for (const std::string& p : Split(m_Group)) parts.push_back(p);
    return JoinBackslash(parts);
}

std::optional<int> CHexFaceConfig::ReadInt(const std::string& name) const {
    for (winport::Hive hive : {winport::Hive::CurrentUser, winport::Hive::LocalMachine}) {
        auto key = winport::RegistryKey::Open(hive, KeyPath());
        if (!key) continue;
        if (auto value = key->ReadDword(name)) return static_cast<int>(*value);
    }
    return std::nullopt;
}

std::optional<std::string> CHexFaceConfig::ReadText(const std::string& name) const {
    for (winport::Hive hive : {winport::Hive::CurrentUser, winport::Hive::LocalMachine}) {
        auto key = winport::RegistryKey::Open(hive, KeyPath());
        if (!key) continue;
        if (auto value = key->ReadString(name)) return value;
    }
    return std::nullopt;
}

bool CHexFaceConfig::WriteInt(const std::string& name, int value) {
    auto key = winport::RegistryKey::Create(winport::Hive::CurrentUser, KeyPath());
    return key && key->WriteDword(name, static_cast<uint32_t>(value)) == winport::RegStatus::Ok;
}

bool CHexFaceConfig::WriteText(const std::string& name, const std::string& value) {
    auto key = winport::RegistryKey::Create(winport::Hive::CurrentUser, KeyPath());
    return key && key->WriteString(name, value) == winport::RegStatus::Ok;
}
