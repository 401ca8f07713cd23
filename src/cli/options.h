#pragma once
// The one command-line parser of quillmark-cli. Each command declares its options (a flag or
// an option with a value) and how many positional arguments it takes; anything else is a
// usage error found before the command touches a file or a logger.
//
//   const CommandSyntax syntax{"stats", {{"--first", "", OptionKind::Value}}, 1, 1};
//   const auto parsed = parseOptions(syntax, args);
//   if (!parsed) return kUsageExit;         // the reason is on stderr
//   if (parsed->help()) { ...; return 0; }
//   const std::optional<std::string> first = parsed->value("--first");
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillmark::cli {

inline constexpr int kUsageExit = 2;

enum class OptionKind { Flag, Value };

struct OptionSpec {
    std::string_view name;  // "--output"
    std::string_view alias; // "-o", or empty
    OptionKind kind;
};

struct CommandSyntax {
    std::string_view command;
    std::vector<OptionSpec> options;
    std::size_t minPositional = 0;
    std::size_t maxPositional = 0;
};

// The options of the commands that reach a logger: which backend, and which logger.
std::vector<OptionSpec> loggerOptions();

class ParsedOptions {
public:
    bool help() const { return help_; }
    // A flag or an option given, by its long name.
    bool has(std::string_view name) const;
    // An option's value (never empty), by its long name.
    std::optional<std::string> value(std::string_view name) const;
    const std::vector<std::string>& positional() const { return positional_; }

private:
    friend std::optional<ParsedOptions> parseOptions(const CommandSyntax&,
                                                     const std::vector<std::string>&, std::string*);
    bool help_ = false;
    std::vector<std::pair<std::string, std::string>> given_; // long name, value
    std::vector<std::string> positional_;
};

// Checks args against syntax: unknown options, missing or empty values, a repeated option,
// too many or too few positional arguments. "--name=value" is the same as "--name value";
// "--" ends the options. "--help" anywhere asks for the help text and wins. On a usage error,
// nothing with the reason in error (when not null), or printed as
// "quillmark-cli COMMAND: reason" on stderr when error is null.
std::optional<ParsedOptions> parseOptions(const CommandSyntax& syntax,
                                          const std::vector<std::string>& args,
                                          std::string* error = nullptr);

// The sample window of --first and --last against a recording of n samples, naming only the
// options given. allowSingle lets first equal last. Nothing when the window is good.
std::optional<std::string> sampleRangeError(std::optional<std::int64_t> first,
                                            std::optional<std::int64_t> last, std::int64_t n,
                                            bool allowSingle);

// A sample index: decimal digits only.
std::optional<std::int64_t> parseSampleIndex(std::string_view text);

// The --unit value (0 when absent): a display unit row 0 to 4, or nothing when the text is
// not one.
std::optional<int> parseUnitOption(const ParsedOptions& parsed);
inline constexpr const char* kUnitRangeError = "--unit takes 0 to 4";
// Why --unit N does not apply to a recording of `model` (the air-speed units on a voltage or
// current recording); nothing when it does.
std::optional<std::string> unitModelError(std::int32_t model, int unit);

} // namespace quillmark::cli
