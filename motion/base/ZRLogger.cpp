#include "motion/base/ZRLogger.h"

#include <stdlib.h>
#include <unistd.h>
#include <log4cpp/Configurator.hh>
#include <log4cpp/PropertyConfigurator.hh>

#include <atomic>
#include <ctime>
#include <fstream>
#include <mutex>
#include <sstream>

#include "motion/base/InstallationDirectory.h"
#include "motion/base/LogConfigText.h"
#include "motion/base/ZRLog.h"

namespace {

constexpr const char* kDefaultLoggerName = "ZR_DEFAULT_LOGGER";

// The wrapper is used from static constructors and destructors of the library, so its state lives
// in function-level objects that are never destroyed.
std::mutex& NameMutex() {
    static std::mutex* m = new std::mutex;
    return *m;
}

std::string*& CurrentName() {
    static std::string* name = nullptr;
    return name;
}

std::atomic<log4cpp::Category*> g_libraryLogger{nullptr};

// The category becomes silent (EMERG lets no library line through) until a configuration or the
// application gives it a level, so an unconfigured library formats no line at all.
void MakeLoggerCategory(const std::string& name) {
    log4cpp::Category& category = log4cpp::Category::getInstance(name);
    category.setAdditivity(false);
    if (category.getPriority() == log4cpp::Priority::NOTSET && !category.getAppender())
        category.setPriority(log4cpp::Priority::EMERG);
}

bool Readable(const std::string& path) {
    std::ifstream f(path);
    return f.is_open();
}

// Hands the file to log4cpp, through a rewritten temporary copy when it names appenders that need
// a stand-in here.
void ConfigureFrom(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    std::optional<std::string> rewritten = RewriteDebuggerAppenders(text.str());
    if (!rewritten) {
        log4cpp::PropertyConfigurator::configure(path);
        return;
    }
    const char* tmpdir = getenv("TMPDIR");
    std::string tmpl = std::string(tmpdir && *tmpdir ? tmpdir : "/tmp") + "/zr_log_config_XXXXXX";
    int fd = mkstemp(tmpl.data());
    if (fd < 0) {
        log4cpp::PropertyConfigurator::configure(path);
        return;
    }
    bool written =
        write(fd, rewritten->data(), rewritten->size()) == static_cast<ssize_t>(rewritten->size());
    close(fd);
    struct Unlinker {
        std::string file;
        ~Unlinker() { unlink(file.c_str()); }
    } unlinker{tmpl};
    log4cpp::PropertyConfigurator::configure(written ? tmpl : path);
}

}  // namespace

std::string ZRLogger::DefaultLoggerName() {
    std::lock_guard<std::mutex> lock(NameMutex());
    std::string*& current = CurrentName();
    if (!current) {
        current = new std::string(kDefaultLoggerName);
        MakeLoggerCategory(*current);
    }
    return *current;
}

void ZRLogger::SetLoggerName(const std::string& name) {
    std::lock_guard<std::mutex> lock(NameMutex());
    std::string*& current = CurrentName();
    if (current && *current == name) return;
    if (current)
        *current = name;
    else
        current = new std::string(name);
    MakeLoggerCategory(name);
}

bool ZRLogger::ConfigFromFile(const std::string& name, const std::string& file) {
    std::string path = file;
    if (!Readable(path)) {
        std::string dir = InstallationDirectory();
        if (dir.empty()) return false;
        path = JoinNativePath(dir, file);
        if (!Readable(path)) return false;
    }
    bool ok = true;
    std::string failure;
    try {
        ConfigureFrom(path);
    } catch (const log4cpp::ConfigureFailure& e) {
        ok = false;
        failure = e.what();
    } catch (const std::exception& e) {
        ok = false;
        failure = e.what();
    }
    // A configuration naming the category switches its additivity back on; the library's lines
    // must still reach only the category's own appenders.
    log4cpp::Category& category = log4cpp::Category::getInstance(name);
    category.setAdditivity(false);
    if (!ok && category.isPriorityEnabled(log4cpp::Priority::WARN))
        ZRLogWrite(category, log4cpp::Priority::WARN, "ZRLogger::ConfigFromFile(%s) - %s",
                   file.c_str(), failure.c_str());
    return ok;
}

log4cpp::Category* ZRLogger::GetLogger(const std::string& name) {
    return log4cpp::Category::exists(name);
}

log4cpp::Category& ZRLogger::FetchLibraryLogger() {
    log4cpp::Category& category = log4cpp::Category::getInstance(DefaultLoggerName());
    g_libraryLogger.store(&category, std::memory_order_release);
    return category;
}

log4cpp::Category& ZRLogger::LibraryLogger() {
    if (log4cpp::Category* category = g_libraryLogger.load(std::memory_order_acquire))
        return *category;
    return log4cpp::Category::getInstance(DefaultLoggerName());
}

std::string ZRLogger::TimeStampText() {
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[200];
    size_t n = std::strftime(text, sizeof text, "%H:%M:%S - %A, %B %d, %Y (GMT)", &utc);
    return std::string(text, n);
}

void ZRLogger::TimeStamp(log4cpp::Priority::Value priority) {
    log4cpp::Category& category = LibraryLogger();
    if (category.isPriorityEnabled(priority)) category.log(priority, TimeStampText());
}
