#pragma once
// Test support: temporary folders, files, and a queue appender on the library logger.
#include <stdlib.h>
#include <unistd.h>
#include <log4cpp/Category.hh>
#include <log4cpp/PatternLayout.hh>
#include <log4cpp/StringQueueAppender.hh>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace zrtest {

class TempDir {
  public:
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "zr_base_XXXXXX").string();
        path_ = mkdtemp(tmpl.data()) ? tmpl : std::string();
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

inline void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Collects the lines of a category as "PRIORITY message".
class QueueCapture {
  public:
    explicit QueueCapture(log4cpp::Category& category) : category_(category) {
        appender_ = new log4cpp::StringQueueAppender("zrtest-queue");
        auto* layout = new log4cpp::PatternLayout();
        layout->setConversionPattern("%p %m");
        appender_->setLayout(layout);
        category_.addAppender(appender_);  // the category owns it
    }
    ~QueueCapture() { category_.removeAppender(appender_); }
    std::vector<std::string> Lines() {
        std::vector<std::string> lines;
        auto& q = appender_->getQueue();
        while (!q.empty()) {
            lines.push_back(q.front());
            q.pop();
        }
        return lines;
    }

  private:
    log4cpp::Category& category_;
    log4cpp::StringQueueAppender* appender_;
};

}  // namespace zrtest
