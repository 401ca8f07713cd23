#pragma once
// Explicit little-endian access for every packed layout (files, settings block, wire).
#include <bit>
#include <cstdint>
#include <cstring>

namespace quillmark {

inline std::uint16_t getU16LE(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t getU32LE(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::int32_t getI32LE(const std::uint8_t* p) {
    return static_cast<std::int32_t>(getU32LE(p));
}
inline float getF32LE(const std::uint8_t* p) {
    return std::bit_cast<float>(getU32LE(p));
}
inline double getF64LE(const std::uint8_t* p) {
    std::uint64_t v = static_cast<std::uint64_t>(getU32LE(p)) |
                      (static_cast<std::uint64_t>(getU32LE(p + 4)) << 32);
    return std::bit_cast<double>(v);
}

inline void putU16LE(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void putU32LE(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}
inline void putI32LE(std::uint8_t* p, std::int32_t v) {
    putU32LE(p, static_cast<std::uint32_t>(v));
}
inline void putF32LE(std::uint8_t* p, float v) {
    putU32LE(p, std::bit_cast<std::uint32_t>(v));
}
inline void putF64LE(std::uint8_t* p, double v) {
    const auto bits = std::bit_cast<std::uint64_t>(v);
    putU32LE(p, static_cast<std::uint32_t>(bits));
    putU32LE(p + 4, static_cast<std::uint32_t>(bits >> 32));
}

} // namespace quillmark
