#include "motion/base/ZRPath.h"

ZRPath::ZRPath(const std::string& path) {
    m_bAbsolute = !path.empty() && (path.front() == '/' || path.front() == '\\');
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '/' || c == '\\') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(part);
    if (parts.empty()) return;
    m_strFileName = parts.back();
    parts.pop_back();
    m_Folders = std::move(parts);
}

std::string ZRPath::Join(const char* separator) const {
    std::string joined;
    for (size_t i = 0; i < m_Folders.size(); ++i) {
        if (i) joined += separator;
        joined += m_Folders[i];
    }
    return joined;
}

std::string ZRPath::FolderPath() const {
    return Join("\\");
}

std::string ZRPath::FullPath() const {
    return m_Folders.empty() ? m_strFileName : FolderPath() + "\\" + m_strFileName;
}

std::string ZRPath::NativeFolderPath() const {
    std::string path(m_bAbsolute ? "/" : "");
    path += Join("/");
    return path;
}

std::string ZRPath::NativePath() const {
    std::string path = NativeFolderPath();
    if (!m_Folders.empty()) path += '/';
    path += m_strFileName;
    return path;
}
