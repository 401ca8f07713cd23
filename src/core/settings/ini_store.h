#pragma once
// A small INI file store with the semantics of the classic private-profile functions:
//  - section and key names match without regard to ASCII case;
//  - a missing key gives the caller's default, a key that is present but empty gives "";
//  - integers are read as a leading decimal integer with an optional sign, the rest ignored;
//  - writing creates the section and the key when needed;
//  - everything the store does not touch (unknown sections, keys, comments, order) is kept.
// Saving writes a temporary file in the target folder and renames it over the target, so a
// crash never leaves a half-written file behind.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillmark {

class IniStore {
public:
    // Replaces the contents with the file's. A missing file is an empty store (returns true);
    // a file that exists but cannot be read, or is no regular file (a folder, a FIFO, a
    // device), leaves an empty store and returns false with the reason in `error`.
    bool load(const std::string& path, std::string* error = nullptr);
    // Replaces the contents with the given INI text (never fails).
    void loadFromString(std::string_view text);
    // Writes the store atomically. Creates the parent folder when it is missing.
    bool save(const std::string& path, std::string* error = nullptr) const;
    // The text save() writes.
    std::string toString() const;

    bool hasKey(std::string_view section, std::string_view key) const;

    // Missing key or empty value: def. A value that does not start with a decimal integer
    // (after optional blanks and sign) reads as 0. Values beyond 32 bits saturate.
    std::int32_t getInt(std::string_view section, std::string_view key, std::int32_t def) const;
    // Leading decimal number ("20.000000", "-3.5", "7", "1e3"); missing key or empty value
    // gives def; a value that does not start with a number, or is not finite, reads as 0.
    double getDouble(std::string_view section, std::string_view key, double def) const;
    std::string getString(std::string_view section, std::string_view key,
                          std::string_view def) const;

    // Line feeds cannot be stored in a line-based file; they are dropped from names and
    // value. Blanks around the value are not kept (they are trimmed when read back). A key
    // that is empty or starts with '[', ';' or '#' cannot be stored; the call does nothing.
    void setString(std::string_view section, std::string_view key, std::string_view value);
    void setInt(std::string_view section, std::string_view key, std::int32_t value);

private:
    struct Line {
        std::string raw; // text as read (or as last written), without line end
        bool isKey = false;
        std::string key;   // trimmed, original spelling
        std::string value; // trimmed
    };
    struct Section {
        bool hasHeader = false; // false only for the lines before the first header
        std::string name;
        std::string headerRaw;
        std::vector<Line> lines;
    };

    const Line* findKey(std::string_view section, std::string_view key) const;

    std::vector<Section> sections_ = std::vector<Section>(1); // [0]: lines before any header
    std::string eol_ = "\n";
    bool bom_ = false;
};

// Reads a leading decimal integer as the private-profile functions do. Exposed for the rules
// that parse typed text the same way.
std::int32_t parseLeadingInt(std::string_view text);

// The settings file: $XDG_CONFIG_HOME/Quillmark/SettingConfig.ini, else
// $HOME/.config/Quillmark/SettingConfig.ini, else the bare name "SettingConfig.ini".
std::string settingsIniPath();

} // namespace quillmark
