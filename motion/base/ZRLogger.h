#pragma once
// The motion library's trace log on log4cpp. Every line goes to one category, the current logger
// name ("ZR_Corvane_TAL_DLL" once the library is loaded). That category never passes lines on to
// its parents: only appenders attached to it by the configuration file write them, so the library
// is silent without a configuration file.
#include <log4cpp/Category.hh>
#include <log4cpp/Priority.hh>

#include <string>

class ZRLogger {
  public:
    // Current logger name; "ZR_DEFAULT_LOGGER" until SetLoggerName is called.
    static std::string DefaultLoggerName();
    // Makes name the current logger name; its category is created and its additivity switched off.
    // A new category without appenders gets the level EMERG, which lets no library line through,
    // until a configuration file (or the application) sets its level.
    static void SetLoggerName(const std::string& name);

    // Configures log4cpp from a property file looked for under `file` (relative to the current
    // folder), then in the installation folder (see InstallationDirectory()). False when neither
    // opens or when the configuration is rejected (a WARN line is then written through name's
    // category if what was applied already attached an appender to it).
    //
    // An appender of type Win32DebugAppender is taken as a ConsoleAppender writing to standard
    // error, since there is no debugger output channel here.
    static bool ConfigFromFile(const std::string& name, const std::string& file);

    // The existing category of that name; nullptr when it was never created.
    static log4cpp::Category* GetLogger(const std::string& name);

    // Makes the current logger's category the library logger used by every ZR_LOG_* line.
    static log4cpp::Category& FetchLibraryLogger();
    // The library logger; before FetchLibraryLogger, the current logger's category.
    static log4cpp::Category& LibraryLogger();

    // Writes the current UTC time as "%H:%M:%S - %A, %B %d, %Y (GMT)" at the given priority.
    static void TimeStamp(log4cpp::Priority::Value priority);
    static std::string TimeStampText();
};
