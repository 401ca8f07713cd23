#pragma once
// One JSON object on one line, as the commands print it: members joined by ", ", keys and
// values by ": ". JSON has no NaN or infinity, so such numbers are written as null.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "core/data/time_stamp.h"

namespace quillmark::cli {

// A quoted JSON string; control and non-ASCII bytes are escaped one byte a character.
inline std::string jsonString(std::string_view s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(static_cast<char>(c));
        } else if (c < 0x20 || c >= 0x7f) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    out.push_back('"');
    return out;
}

class JsonObject {
public:
    JsonObject& integer(std::string_view key, std::int64_t v) {
        appendInt(member(key), v);
        return *this;
    }
    // The shortest text that reads back as the same value, so single-precision figures show
    // what was entered.
    template <typename T> JsonObject& number(std::string_view key, T v) {
        std::string& out = member(key);
        if (!std::isfinite(v)) {
            out += "null";
            return *this;
        }
        appendShortest(out, v);
        return *this;
    }
    // A number with a fixed count of decimals.
    JsonObject& fixed(std::string_view key, double v, int decimals) {
        if (std::isfinite(v))
            appendFixed(member(key), v, decimals);
        else
            member(key) += "null";
        return *this;
    }
    // A sample index; a negative one means none.
    JsonObject& index(std::string_view key, std::int64_t i) {
        return i < 0 ? null(key) : integer(key, i);
    }
    JsonObject& string(std::string_view key, std::string_view s) {
        member(key) += jsonString(s);
        return *this;
    }
    JsonObject& boolean(std::string_view key, bool b) {
        member(key) += b ? "true" : "false";
        return *this;
    }
    JsonObject& null(std::string_view key) {
        member(key) += "null";
        return *this;
    }
    // Text that is already JSON, such as a nested object's text().
    JsonObject& raw(std::string_view key, std::string_view json) {
        member(key) += json;
        return *this;
    }
    std::string text() const { return text_ + "}"; }

private:
    std::string& member(std::string_view key) {
        if (text_.size() > 1)
            text_ += ", ";
        text_ += '"';
        text_ += key;
        text_ += "\": ";
        return text_;
    }

    std::string text_ = "{";
};

} // namespace quillmark::cli
