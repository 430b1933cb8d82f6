#pragma once
// The configuration store of the saved interface settings, on the registry store. A settings key
// names vendor, application and base path; values live under HKEY_CURRENT_USER
// "Software\\<vendor>\\<application><base path>\\<group>". Reading looks there first and, value
// by value, falls back to the same path under HKEY_LOCAL_MACHINE. Writing goes to
// HKEY_CURRENT_USER only.
#include <optional>
#include <string>

class CHexFaceConfig {
  public:
    // The parts of a settings key split at every "\\" and "/": an empty key is "ZR/generic_i";
    // no parts give vendor "ZR" and application "generic_i"; one part is vendor and application
    // both; further parts make the base path "/part/part/".
    struct KeyParts {
        std::string vendor;
        std::string application;
        std::string basePath;
    };
    static KeyParts SplitKey(const char* key);

    explicit CHexFaceConfig(const KeyParts& parts);

    const KeyParts& Parts() const { return m_Parts; }
    // Moves to a group: absolute from the base path ("Settings") or relative to the current
    // group ("../RS232").
    void SetPath(const std::string& path);
    // Registry key path of the current group, relative to the hive.
    std::string KeyPath() const;

    std::optional<int> ReadInt(const std::string& name) const;
    std::optional<std::string> ReadText(const std::string& name) const;
    bool WriteInt(const std::string& name, int value);
    bool WriteText(const std::string& name, const std::string& value);

  private:
    KeyParts m_Parts;
    std::string m_Group;  // relative to the base path, "/"-separated
};
