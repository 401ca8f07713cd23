#pragma once
// The 64-byte settings block that Setup writes to the logger; the logger hands the same
// block back as the header of a download.
#include <cstdint>
#include <ctime>

#include "core/data/recording.h"
#include "core/settings/logger_settings.h"

namespace quillmark {

// LED control byte: bits 0-4 the flash cycle in seconds (10, 20, 30; an index other than 0 or
// 1 counts as 30), bits 5-6 the sample-rate class (0 for 2 s and 400 Hz, 1 for 5 s, 2 for
// 10 s and longer, 3 for the 30 s cycle at 30 s and longer), bit 7 the alarm flash.
std::uint8_t ledControlValue(std::uint32_t intervalSeconds, std::int32_t flashCycleIndex,
                             bool alarmFlash);

// The block for the record and the given local time. Without a local time the date fields
// are 0 and the time-of-day fields 255. The name is cut to 15 characters, one byte each
// (the low byte of its UTF-16 code unit), and padded with 0.
HeaderBlock buildSettingsBlock(const LoggerSettings& settings, const std::tm* localOrNull);

} // namespace quillmark
