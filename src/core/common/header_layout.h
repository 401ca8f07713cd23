#pragma once
// The one 64-byte little-endian block: written by the settings upload, returned by the
// logger as the header of its memory, and stored byte for byte in recording files.
#include <cstddef>
#include <cstdint>

namespace quillmark::block {

inline constexpr std::size_t kSize = 64;

inline constexpr std::size_t kStartMarker = 0;      // u32, 0xCE
inline constexpr std::size_t kSamplePoints = 4;     // u32
inline constexpr std::size_t kRecordedPoints = 8;   // i32
inline constexpr std::size_t kIntervalSeconds = 12; // u32, 0 in fast sampling
inline constexpr std::size_t kStartYear = 16;       // i32
inline constexpr std::size_t kAlarmLow = 20;        // f32, base unit
inline constexpr std::size_t kAlarmHigh = 24;       // f32, base unit
inline constexpr std::size_t kStartMonth = 28;      // u8
inline constexpr std::size_t kStartDay = 29;        // u8
inline constexpr std::size_t kStartHour = 30;       // u8
inline constexpr std::size_t kStartMinute = 31;     // u8
inline constexpr std::size_t kStartSecond = 32;     // u8
inline constexpr std::size_t kReserved = 33;        // u8, 0
inline constexpr std::size_t kLedControl = 34;      // u8
inline constexpr std::size_t kLoggerName = 35;      // 16 bytes, 0-terminated
inline constexpr std::size_t kLoggerNameSize = 16;
inline constexpr std::size_t kModeFlags = 51;     // u8
inline constexpr std::size_t kAlarmLowCopy = 52;  // f32
inline constexpr std::size_t kAlarmHighCopy = 56; // f32
inline constexpr std::size_t kEndMarker = 60;     // u32, 0xCE

inline constexpr std::uint32_t kMarker = 0xCE;
inline constexpr std::uint8_t kFastSamplingFlag = 0x10;

} // namespace quillmark::block
