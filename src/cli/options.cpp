#include "cli/options.h"

#include "core/common/model_units.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace quillmark::cli {

std::vector<OptionSpec> loggerOptions() {
    return {{"--backend", "", OptionKind::Value},
            {"--simulate", "", OptionKind::Flag},
            {"--device", "", OptionKind::Value}};
}

bool ParsedOptions::has(std::string_view name) const {
    return std::any_of(given_.begin(), given_.end(),
                       [name](const auto& g) { return g.first == name; });
}

std::optional<std::string> ParsedOptions::value(std::string_view name) const {
    for (const auto& [option, value] : given_)
        if (option == name)
            return value;
    return std::nullopt;
}

namespace {

// "-o/--output" when the option has a short name.
std::string optionLabel(const OptionSpec& option) {
    return option.alias.empty() ? std::string(option.name)
                                : std::string(option.alias) + "/" + std::string(option.name);
}

std::optional<ParsedOptions> refuse(const CommandSyntax& syntax, std::string* error,
                                    const std::string& why) {
    if (error)
        *error = why;
    else
        std::fprintf(stderr, "quillmark-cli %.*s: %s\n", static_cast<int>(syntax.command.size()),
                     syntax.command.data(), why.c_str());
    return std::nullopt;
}

} // namespace

std::optional<ParsedOptions> parseOptions(const CommandSyntax& syntax,
                                          const std::vector<std::string>& args,
                                          std::string* error) {
    ParsedOptions parsed;
    for (const std::string& a : args) {
        if (a == "--")
            break;
        if (a == "--help") {
            parsed.help_ = true;
            return parsed;
        }
    }
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded || a == "-" || a.empty() || a[0] != '-') {
            if (parsed.positional_.size() == syntax.maxPositional)
                return refuse(syntax, error,
                              syntax.maxPositional == 0
                                  ? "takes no argument, but was given '" + a + "'"
                                  : "unexpected argument '" + a + "'");
            parsed.positional_.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t eq = a.rfind("--", 0) == 0 ? a.find('=') : std::string::npos;
        const std::string_view name = std::string_view(a).substr(0, eq);
        const auto option =
            std::find_if(syntax.options.begin(), syntax.options.end(),
                         [name](const OptionSpec& s) { return s.name == name || s.alias == name; });
        if (option == syntax.options.end())
            return refuse(syntax, error, "unknown option " + std::string(name));
        const std::string label = optionLabel(*option);
        if (parsed.has(option->name))
            return refuse(syntax, error, label + " is given more than once");
        std::string value;
        if (option->kind == OptionKind::Flag) {
            if (eq != std::string::npos)
                return refuse(syntax, error, label + " takes no value");
        } else if (eq != std::string::npos) {
            value = a.substr(eq + 1);
        } else if (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0) {
            // A following "--option" is taken as a forgotten value, not as the value.
            value = args[++i];
        } else {
            return refuse(syntax, error, label + " needs a value");
        }
        if (option->kind == OptionKind::Value && value.empty())
            return refuse(syntax, error, label + " needs a value that is not empty");
        parsed.given_.emplace_back(option->name, value);
    }
    if (parsed.positional_.size() < syntax.minPositional)
        return refuse(syntax, error,
                      syntax.minPositional == 1 ? "no recording file given" : "too few arguments");
    return parsed;
}

std::optional<std::int64_t> parseSampleIndex(std::string_view text) {
    std::int64_t v = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, v);
    if (text.empty() || text[0] == '-' || text[0] == '+' || ec != std::errc() || ptr != end)
        return std::nullopt;
    return v;
}

std::optional<std::string> sampleRangeError(std::optional<std::int64_t> first,
                                            std::optional<std::int64_t> last, std::int64_t n,
                                            bool allowSingle) {
    if (!first && !last)
        return std::nullopt;
    if (n <= 0)
        return "the recording holds no samples";
    const std::string samples = " lies outside the recording's samples 0.." + std::to_string(n - 1);
    if (first && *first >= n)
        return "--first " + std::to_string(*first) + samples;
    if (last && *last >= n)
        return "--last " + std::to_string(*last) + samples;
    const std::int64_t from = first.value_or(0);
    const std::int64_t to = last.value_or(n - 1);
    if (from < to || (allowSingle && from == to))
        return std::nullopt;
    const char* relation = allowSingle ? " must not be after " : " must be before ";
    if (first && last)
        return "--first " + std::to_string(from) + relation + "--last " + std::to_string(to);
    if (first)
        return "--first " + std::to_string(from) + relation + "the last sample " +
               std::to_string(to);
    return "--last " + std::to_string(to) +
           (allowSingle ? " must not be before " : " must be after ") + "the first sample 0";
}

std::optional<int> parseUnitOption(const ParsedOptions& parsed) {
    const std::string text = parsed.value("--unit").value_or("0");
    if (text.size() != 1 || text[0] < '0' || text[0] >= '0' + kDisplayUnitCount)
        return std::nullopt;
    return text[0] - '0';
}

std::optional<std::string> unitModelError(std::int32_t model, int unit) {
    if (unitAppliesTo(model, unit))
        return std::nullopt;
    return "--unit " + std::to_string(unit) + " (" + unitName(kModelAirSpeed, unit) +
           ") is an air-speed unit; this recording's logger measures " + baseUnitName(model);
}

} // namespace quillmark::cli
