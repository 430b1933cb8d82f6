#pragma once
// Splits and joins paths written either way: "\\" and "/" both separate parts, empty parts are
// dropped. Full paths are joined with "\\", as stored in files and settings; NativePath joins with
// "/" for the file system here and keeps a leading separator.
#include <string>
#include <vector>

class ZRPath {
  public:
    ZRPath() = default;
    explicit ZRPath(const std::string& path);

    const std::vector<std::string>& Folders() const { return m_Folders; }
    const std::string& FileName() const { return m_strFileName; }
    void SetFileName(const std::string& name) { m_strFileName = name; }
    void AppendFolder(const std::string& folder) { m_Folders.push_back(folder); }

    // The folders joined with "\\".
    std::string FolderPath() const;
    // The folder path, "\\" when there is at least one folder, then the file name.
    std::string FullPath() const;
    // The same with "/", starting with "/" when the path given started with a separator.
    std::string NativePath() const;
    std::string NativeFolderPath() const;

  private:
    std::string Join(const char* separator) const;
    std::vector<std::string> m_Folders;
    std::string m_strFileName;
    bool m_bAbsolute = false;
};
