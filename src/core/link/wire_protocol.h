#pragma once
// Every constant of the logger's wire protocol and of its USB bridge, in one place.
#include <array>
#include <cstdint>

namespace quillmark::wire {

// Memory layout as the download sees it.
inline constexpr std::uint32_t kBlockSize = 64;
inline constexpr std::uint32_t kBlocksPerPage = 64;
inline constexpr std::uint32_t kPageSize = kBlockSize * kBlocksPerPage; // 4096
inline constexpr std::uint32_t kDataPages = 16;
inline constexpr std::uint32_t kMaxDataBytes = kPageSize * kDataPages; // 65536
inline constexpr std::uint8_t kHeaderPage = 16;
inline constexpr std::uint32_t kSamplesPerBlock = kBlockSize / 2;

// Read request: opcode, page, number of blocks from the start of the page (1..64).
inline constexpr std::uint8_t kReadOpcode = 0x00;
inline constexpr std::uint32_t kReadRequestSize = 3;
// Every read request is answered first by this many bytes; the first one carries N
// (little-endian, bytes 1 and 2), the number of stored sample bytes.
inline constexpr std::uint32_t kReplySize = 3;

// Settings upload: write command, then the 64-byte block, then the acknowledge byte.
inline constexpr std::array<std::uint8_t, 3> kWriteCommand{0x01, 0x40, 0x00};
inline constexpr std::uint8_t kAcknowledge = 0xFF;

// Timeouts chosen by the exchanges (milliseconds).
inline constexpr std::uint32_t kShortReadTimeoutMs = 3000;   // replies, header, acknowledge
inline constexpr std::uint32_t kSampleReadTimeoutMs = 60000; // one page of sample data
inline constexpr std::uint32_t kWriteTimeoutMs = 1000;
// Fixed wait before each downloaded page (the logger needs it to fetch the page).
inline constexpr std::uint32_t kPageWaitMs = 1000;
// Give up waiting for the acknowledge byte after this long in all.
inline constexpr std::uint32_t kAcknowledgeWaitMs = 10000;

// Progress bar of a download: range 0..pages*50, start at pages*10, +40 per page.
inline constexpr int kProgressPerPage = 50;
inline constexpr int kProgressStartPerPage = 10;
inline constexpr int kProgressStepPerPage = 40;

// USB bridge (a USB-to-MCU bridge with a vendor-specific interface).
inline constexpr std::uint16_t kDefaultVendorId = 0x10C4;
inline constexpr std::uint16_t kDefaultProductId = 0xEA61;
inline constexpr std::uint8_t kInterfaceNumber = 0;
inline constexpr std::uint32_t kUsbPacketSize = 64;
inline constexpr std::uint8_t kVendorRequestType = 0x40; // host to device, vendor, device
inline constexpr std::uint8_t kRequestFlush = 0x00;
inline constexpr std::uint16_t kFlushValue = 0xFFFF;
inline constexpr std::uint8_t kRequestControl = 0x02;
inline constexpr std::uint16_t kControlEnable = 0x0002;
inline constexpr std::uint16_t kControlDisable = 0x0004;

} // namespace quillmark::wire
