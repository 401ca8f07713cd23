#include "core/settings/ini_store.h"

#include "core/common/atomic_file.h"
#include "core/common/input_file.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <new>
#include <sstream>
#include <system_error>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillmark {

namespace {

constexpr char kIniFileName[] = "SettingConfig.ini";

// A stray carriage return (a CR LF line in an LF file) counts as a blank around names and
// values, so such lines still read as their text.
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

// Only a line feed ends a line when reading; a carriage return inside a value is kept (at the
// ends it is trimmed like a blank).
std::string withoutLineBreaks(std::string_view s) {
    std::string out(s);
    std::erase(out, '\n');
    return out;
}

// Key names cannot hold '=' (the first one ends the key) and never start a header or comment.
std::string cleanKey(std::string_view key) {
    std::string out = withoutLineBreaks(key);
    std::erase(out, '=');
    return std::string(trim(out));
}

std::string cleanSectionName(std::string_view name) {
    std::string out = withoutLineBreaks(name);
    std::erase(out, ']');
    return std::string(trim(out));
}

// One pair of enclosing quotes (double or single) is not part of the value, as the
// platform's profile functions read it.
std::string_view unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

void setError(std::string* error, const std::string& text) {
    if (error != nullptr) {
        *error = text;
    }
}

} // namespace

std::int32_t parseLeadingInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate in 64 bits and saturate, so long digit strings never overflow.
    constexpr std::int64_t kLimit = static_cast<std::int64_t>(1) << 32;
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > kLimit) {
            value = kLimit;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (value < std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

void IniStore::loadFromString(std::string_view text) {
    sections_.clear();
    eol_ = "\n";
    sections_.push_back(Section{}); // lines before the first header

    // A byte-order mark is not part of the first line; it is written back as it was.
    bom_ = text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF";
    if (bom_) {
        text.remove_prefix(3);
    }
    bool firstLine = true;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        std::string_view raw = text.substr(0, nl);
        text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
        // The first line decides the line end written back; a CR that does not belong to
        // that line end stays part of the line, so saving keeps it.
        if (firstLine && !raw.empty() && raw.back() == '\r' && nl != std::string_view::npos) {
            eol_ = "\r\n";
        }
        firstLine = false;
        if (eol_ == "\r\n" && !raw.empty() && raw.back() == '\r') {
            raw.remove_suffix(1);
        }

        const std::string_view t = trim(raw);
        if (!t.empty() && t.front() == '[') {
            Section s;
            s.hasHeader = true;
            std::string_view name = t.substr(1);
            const std::size_t close = name.find(']');
            if (close != std::string_view::npos) {
                name = name.substr(0, close);
            }
            s.name = std::string(trim(name));
            s.headerRaw = std::string(raw);
            sections_.push_back(std::move(s));
            continue;
        }
        Line line;
        line.raw = std::string(raw);
        const std::size_t eq = t.find('=');
        if (sections_.back().hasHeader && !t.empty() && t.front() != ';' && t.front() != '#' &&
            eq != std::string_view::npos) {
            line.isKey = true;
            line.key = std::string(trim(t.substr(0, eq)));
            line.value = std::string(unquote(trim(t.substr(eq + 1))));
        }
        sections_.back().lines.push_back(std::move(line));
    }
}

bool IniStore::load(const std::string& path, std::string* error) {
    loadFromString({});
    // The settings file is a few hundred bytes; anything this large is not ours and would
    // take far more memory than its size once split into lines. It counts as unreadable,
    // so nothing saves over it.
    constexpr std::size_t kMaxBytes = 256 * 1024;
    std::string text;
    switch (readRegularFile(path, kMaxBytes, text, error)) {
    case ReadFileResult::Missing:
        return true;
    case ReadFileResult::Failed:
        return false;
    case ReadFileResult::Ok:
        break;
    }
    try {
        loadFromString(text);
    } catch (const std::bad_alloc&) {
        loadFromString({});
        if (error != nullptr) {
            *error = "Cannot read " + path + ": not enough memory";
        }
        return false;
    }
    return true;
}

std::string IniStore::toString() const {
    std::string out = bom_ ? "\xEF\xBB\xBF" : "";
    for (const Section& s : sections_) {
        if (s.hasHeader) {
            out += s.headerRaw;
            out += eol_;
        }
        for (const Line& line : s.lines) {
            out += line.raw;
            out += eol_;
        }
    }
    return out;
}

bool IniStore::save(const std::string& path, std::string* error) const {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path dir = fs::path(path).parent_path();
    if (!dir.empty() && !fs::exists(dir, ec)) {
        fs::create_directories(dir, ec);
        if (ec) {
            setError(error, "Cannot create folder " + dir.string() + ": " + ec.message());
            return false;
        }
    }
    const std::string text = toString();
    const auto failure = writeOutputFile(
        path, {}, [&text](const OutputSink& sink, std::string*) { return sink(text); });
    if (failure) {
        setError(error, failure->message);
        return false;
    }
    return true;
}

const IniStore::Line* IniStore::findKey(std::string_view section, std::string_view key) const {
    const std::string_view wantSection = trim(section);
    const std::string_view wantKey = trim(key);
    for (const Section& s : sections_) {
        if (!s.hasHeader || !equalsNoCase(s.name, wantSection)) {
            continue;
        }
        // The first section of a name is the one used, as the platform functions do.
        for (const Line& line : s.lines) {
            if (line.isKey && equalsNoCase(line.key, wantKey)) {
                return &line;
            }
        }
        return nullptr;
    }
    return nullptr;
}

bool IniStore::hasKey(std::string_view section, std::string_view key) const {
    return findKey(section, key) != nullptr;
}

std::int32_t IniStore::getInt(std::string_view section, std::string_view key,
                              std::int32_t def) const {
    const Line* line = findKey(section, key);
    if (line == nullptr || line->value.empty()) {
        return def;
    }
    return parseLeadingInt(line->value);
}

double IniStore::getDouble(std::string_view section, std::string_view key, double def) const {
    const Line* line = findKey(section, key);
    if (line == nullptr || line->value.empty()) {
        return def;
    }
    std::string_view v = line->value;
    // Plain decimal notation only: sign, digits, optional fraction and exponent.
    std::size_t i = 0;
    bool negative = false;
    if (i < v.size() && (v[i] == '-' || v[i] == '+')) {
        negative = v[i] == '-';
        ++i;
    }
    const std::size_t start = i;
    std::size_t digits = 0;
    while (i < v.size() && v[i] >= '0' && v[i] <= '9') {
        ++i;
        ++digits;
    }
    if (i < v.size() && v[i] == '.') {
        ++i;
        while (i < v.size() && v[i] >= '0' && v[i] <= '9') {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return 0.0;
    }
    if (i < v.size() && (v[i] == 'e' || v[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < v.size() && (v[j] == '-' || v[j] == '+')) {
            ++j;
        }
        if (j < v.size() && v[j] >= '0' && v[j] <= '9') {
            while (j < v.size() && v[j] >= '0' && v[j] <= '9') {
                ++j;
            }
            i = j;
        }
    }
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(v.data() + start, v.data() + i, value);
    (void)ptr;
    if (ec != std::errc() || !std::isfinite(value)) {
        return 0.0;
    }
    return negative ? -value : value;
}

std::string IniStore::getString(std::string_view section, std::string_view key,
                                std::string_view def) const {
    const Line* line = findKey(section, key);
    return line == nullptr ? std::string(def) : line->value;
}

void IniStore::setString(std::string_view section, std::string_view key, std::string_view value) {
    const std::string sectionName = cleanSectionName(section);
    const std::string keyName = cleanKey(key);
    // Such a key would read back as a header or a comment, not as the key.
    if (keyName.empty() || keyName.front() == '[' || keyName.front() == ';' ||
        keyName.front() == '#') {
        return;
    }
    const std::string val(trim(withoutLineBreaks(value)));
    // A value in quotes of its own keeps them through another pair, which reading takes off.
    const std::string written = unquote(val).size() == val.size() ? val : '"' + val + '"';

    Section* target = nullptr;
    for (Section& s : sections_) {
        if (s.hasHeader && equalsNoCase(s.name, sectionName)) {
            target = &s;
            break;
        }
    }
    if (target == nullptr) {
        // Keep a blank line between the previous contents and the new section.
        Section& last = sections_.back();
        const bool emptyStore = sections_.size() == 1 && last.lines.empty();
        if (!emptyStore &&
            (last.lines.empty() ? last.hasHeader : !trim(last.lines.back().raw).empty())) {
            last.lines.push_back(Line{});
        }
        Section s;
        s.hasHeader = true;
        s.name = sectionName;
        s.headerRaw = "[" + sectionName + "]";
        sections_.push_back(std::move(s));
        target = &sections_.back();
    }

    for (Line& line : target->lines) {
        if (line.isKey && equalsNoCase(line.key, keyName)) {
            line.value = val;
            line.raw = line.key + "=" + written;
            return;
        }
    }
    // New keys go after the section's last key, ahead of trailing blank lines and comments.
    std::size_t pos = 0;
    for (std::size_t i = 0; i < target->lines.size(); ++i) {
        if (target->lines[i].isKey) {
            pos = i + 1;
        }
    }
    Line line;
    line.isKey = true;
    line.key = keyName;
    line.value = val;
    line.raw = keyName + "=" + written;
    target->lines.insert(target->lines.begin() + static_cast<std::ptrdiff_t>(pos), std::move(line));
}

void IniStore::setInt(std::string_view section, std::string_view key, std::int32_t value) {
    setString(section, key, std::to_string(value));
}

std::string settingsIniPath() {
    namespace fs = std::filesystem;
    fs::path base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        base = fs::path(home) / ".config";
    } else if (const passwd* pw = ::getpwuid(::getuid());
               pw != nullptr && pw->pw_dir != nullptr && pw->pw_dir[0] == '/') {
        base = fs::path(pw->pw_dir) / ".config";
    } else {
        return kIniFileName;
    }
    return (base / "Quillmark" / kIniFileName).string();
}

} // namespace quillmark
