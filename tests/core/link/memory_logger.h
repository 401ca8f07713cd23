#pragma once
// Logger side of the read requests for the scripted fake: answers 0x00, page, count with a
// 3-byte reply (N in bytes 1 and 2 of every reply) and the asked blocks of that page.
#include <algorithm>
#include <vector>

#include "core/common/byte_order.h"
#include "core/data/recording.h"
#include "core/link/fake_vendor_usb.h"
#include "core/link/wire_protocol.h"

namespace quillmark::test_support {

struct MemoryLogger {
    HeaderBlock header{};
    std::vector<std::uint8_t> memory = std::vector<std::uint8_t>(wire::kMaxDataBytes);
    std::uint16_t storedBytes = 0;

    void setRecordedPoints(std::int32_t n) { putI32LE(header.data() + block::kRecordedPoints, n); }
    void setSample(std::size_t k, std::uint16_t v) { putU16LE(memory.data() + 2 * k, v); }

    void attach(FakeVendorUsb& usb) {
        usb.onWrite = [this](FakeVendorUsb& dev, const std::vector<std::uint8_t>& bytes) {
            if (bytes.size() != 3 || bytes[0] != wire::kReadOpcode)
                return;
            dev.push({0x5A, static_cast<std::uint8_t>(storedBytes),
                      static_cast<std::uint8_t>(storedBytes >> 8)});
            const std::size_t n = std::size_t{bytes[2]} * wire::kBlockSize;
            if (bytes[1] == wire::kHeaderPage) {
                std::vector<std::uint8_t> page(n);
                std::copy_n(header.begin(), std::min<std::size_t>(n, header.size()), page.begin());
                dev.push(page);
            } else {
                const auto* start = memory.data() + std::size_t{bytes[1]} * wire::kPageSize;
                dev.push(std::vector<std::uint8_t>(start, start + n));
            }
        };
    }
};

} // namespace quillmark::test_support
