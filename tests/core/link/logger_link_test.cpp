#include <gtest/gtest.h>

#include <array>

#include "core/link/fake_vendor_usb.h"
#include "core/link/logger_link.h"

namespace quillmark {
namespace {

using test_support::FakeVendorUsb;
using Op = FakeVendorUsb::Op;

TEST(LoggerLink, OpenWithoutLoggerFailsAndKeepsHandleInvalid) {
    FakeVendorUsb usb;
    usb.present = false;
    LoggerLink link(usb);
    EXPECT_FALSE(link.open());
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(link.handle(), VendorUsb::kInvalidHandle);
    EXPECT_NE(link.lastStatus(), VendorUsb::kSuccess);
    EXPECT_EQ(usb.count(Op::Close), 0);
}

TEST(LoggerLink, CloseOnInvalidHandleDoesNothing) {
    FakeVendorUsb usb;
    LoggerLink link(usb);
    link.close();
    EXPECT_TRUE(usb.events.empty());
    ASSERT_TRUE(link.open());
    link.close();
    link.close();
    EXPECT_EQ(usb.count(Op::Close), 1);
    EXPECT_EQ(usb.openHandles, 0);
}

TEST(LoggerLink, ShortReadWithStatusZeroIsSuccessAndLeavesRestCleared) {
    // A backend may return fewer bytes with status 0; only the status decides.
    struct ShortReader : FakeVendorUsb {
        Status read(Handle h, std::uint8_t* buf, std::uint32_t count,
                    std::uint32_t& returned) override {
            FakeVendorUsb::read(h, buf, count, returned);
            return kSuccess;
        }
    } usb;
    usb.push({0x11, 0x22});
    LoggerLink link(usb);
    ASSERT_TRUE(link.open());
    std::array<std::uint8_t, 5> buf{};
    std::uint32_t got = 99;
    EXPECT_TRUE(link.read(buf.data(), 5, 3000, &got));
    EXPECT_EQ(got, 2u);
    EXPECT_EQ(buf, (std::array<std::uint8_t, 5>{0x11, 0x22, 0, 0, 0}));
}

TEST(LoggerLink, TransfersUseTheirOwnTimeoutsAndRestoreTheOldOnes) {
    FakeVendorUsb usb;
    usb.push({1, 2, 3});
    LoggerLink link(usb);
    ASSERT_TRUE(link.open());
    std::array<std::uint8_t, 3> buf{};
    EXPECT_TRUE(link.read(buf.data(), 3, 60000));
    const std::array<std::uint8_t, 2> out{9, 8};
    EXPECT_TRUE(link.write(out.data(), 2));
    EXPECT_FALSE(link.read(buf.data(), 3, 3000)); // nothing left: times out
    EXPECT_EQ(link.lastTransferStatus(), VendorUsb::kReadTimedOut);

    const auto t = usb.transfers();
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].readTimeout, 60000u);
    EXPECT_EQ(t[0].writeTimeout, 0u);
    EXPECT_EQ(t[1].readTimeout, 0u);
    EXPECT_EQ(t[1].writeTimeout, 1000u);
    EXPECT_EQ(t[2].readTimeout, 3000u);
    EXPECT_EQ(usb.readTimeout, FakeVendorUsb::kInitialReadTimeout);
    EXPECT_EQ(usb.writeTimeout, FakeVendorUsb::kInitialWriteTimeout);
}

TEST(LoggerLink, ProbeOpensAndClosesWithoutTraffic) {
    FakeVendorUsb usb;
    LoggerLink link(usb);
    EXPECT_STREQ(probeCaption(probeState(link.probe())), "Connected");
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(usb.openHandles, 0);
    EXPECT_EQ(usb.count(Op::Open), 1);
    EXPECT_EQ(usb.count(Op::Close), 1);
    EXPECT_TRUE(usb.transfers().empty());
    EXPECT_EQ(link.lastStatus(), VendorUsb::kSuccess);
}

TEST(LoggerLink, ProbeWithoutLoggerReportsNotConnectedAndClosesNothing) {
    FakeVendorUsb usb;
    usb.present = false;
    LoggerLink link(usb);
    EXPECT_STREQ(probeCaption(probeState(link.probe())), "Not Connected");
    EXPECT_STREQ(probeCaption(ProbeState::Connecting), "Connecting...");
    EXPECT_EQ(usb.count(Op::Close), 0);
    EXPECT_EQ(link.lastStatus(), VendorUsb::kDeviceNotFound);
    EXPECT_FALSE(link.isOpen());
}

TEST(LoggerLink, DestructorClosesAnOpenHandle) {
    FakeVendorUsb usb;
    {
        LoggerLink link(usb);
        ASSERT_TRUE(link.open());
        EXPECT_EQ(usb.openHandles, 1);
    }
    EXPECT_EQ(usb.openHandles, 0);
}

} // namespace
} // namespace quillmark
