#pragma once
// What every command-line program of this project does alike: --help prints the usage on
// standard output (exit 0), --version the version; a usage error goes to standard error with
// exit 2, a failure with exit 1 and a message that says what to do. Standard output is written
// line by line even into a pipe, so progress shows as it happens.
#include <optional>
#include <string>
#include <vector>

namespace zrtool {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

struct tool_description {
    const char* name;      // "stagetool"
    const char* synopsis;  // the forms of the command line after the name, one per line
    const char* summary;   // one line: what the program does
    const char* details;   // options and notes; may be empty
};

class Tool {
  public:
    explicit Tool(const tool_description& description) : m_d(description) {}

    // Line-buffers standard output. When the arguments ask for --help or --version, prints it
    // and returns the exit code; otherwise nullopt and the program goes on.
    [[nodiscard]] std::optional<int> Start(int argc, char** argv) const;

    std::string Usage() const;
    // "NAME: message" and a hint to --help on standard error; kExitUsage.
    [[nodiscard]] int UsageError(const std::string& message) const;
    // "NAME: message" on standard error; kExitFailure.
    [[nodiscard]] int Failure(const std::string& message) const;
    // "NAME: warning: message" on standard error.
    void Warning(const std::string& message) const;

    const char* Name() const { return m_d.name; }

  private:
    tool_description m_d;
};

// The arguments after the program name, taken one by one. Options are "-x", "--long" and
// "--long=value"; "--" ends the options.
class ArgList {
  public:
    ArgList(int argc, char** argv);

    bool Done() const { return m_next >= m_args.size(); }
    // The next argument is an option (and options have not been ended by "--").
    bool AtOption() const;
    // Takes the next argument when it is the option shortName (may be null) or longName.
    bool Take(const char* shortName, const char* longName);
    // The value of the option just taken ("--long=value" or the next argument); nullopt when
    // there is none.
    std::optional<std::string> Value();
    // Takes the next argument as it stands (a "--" before it is skipped).
    std::string Next();
    // The option last taken, as given (for messages).
    const std::string& Option() const { return m_option; }

  private:
    std::vector<std::string> m_args;
    size_t m_next = 0;
    bool m_optionsEnded = false;
    std::string m_option;
    std::optional<std::string> m_inlineValue;
};

// A whole decimal (or 0x hexadecimal) number from min to max; nullopt otherwise.
std::optional<long> ParseNumber(const std::string& text, long min, long max);

}  // namespace zrtool
