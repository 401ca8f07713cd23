#include "core/data/recording_info.h"

#include <cstdio>

#include "core/common/header_layout.h"
#include "core/common/model_units.h"

namespace quillmark {

std::string loggerName(const Recording& rec) {
    std::string name;
    for (std::size_t i = 0; i < block::kLoggerNameSize; ++i) {
        const auto c = rec.header[block::kLoggerName + i];
        if (c == 0)
            break;
        name.push_back(static_cast<char>(c));
    }
    return name;
}

std::string printableText(const std::string& s) {
    std::string out;
    for (unsigned char c : s) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c < 0x20 || c >= 0x7f) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    return out;
}

const char* modelKindName(std::int32_t model) {
    switch (model) {
    case kModelAirSpeed:
        return "air speed";
    case kModelVoltage:
        return "voltage";
    case kModelCurrent:
        return "current";
    default:
        return "unknown";
    }
}

} // namespace quillmark
