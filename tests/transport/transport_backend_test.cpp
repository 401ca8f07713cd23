#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "transport/transport_backend.h"
#ifdef QUILLMARK_HAVE_USB
#include "transport/usb_vendor_usb.h"
#endif

namespace quillmark::transport {
namespace {

TEST(TransportBackend, InstalledUdevRuleIsTheOneThePermissionAdviceShows) {
    std::ifstream in(std::string(QUILLMARK_SOURCE_DIR) + "/resources/udev/" + kUdevRuleFileName);
    ASSERT_TRUE(in);
    std::string line;
    std::string rule;
    while (std::getline(in, line))
        if (!line.empty() && line[0] != '#')
            rule = line;
    EXPECT_EQ(rule, kUdevRule);
    EXPECT_NE(permissionAdvice().find(kUdevRule), std::string::npos);
}

#ifdef QUILLMARK_HAVE_USB
TEST(UsbIds, ParsesTheConfiguredList) {
    EXPECT_EQ(parseUsbIds("10c4:ea61"), (std::vector<UsbId>{{0x10C4, 0xEA61}}));
    EXPECT_EQ(parseUsbIds("10C4:EA61,1234:0001"),
              (std::vector<UsbId>{{0x10C4, 0xEA61}, {0x1234, 0x0001}}));
    for (const char* bad : {"", "10c4", "10c4:", ":ea61", "10c4:ea61,", "xyz:1", "10c45:1",
                            "-1:ea61", " 10c4:ea61", "+10c:1"})
        EXPECT_TRUE(parseUsbIds(bad).empty()) << bad;
}

TEST(UsbIds, DefaultIsTheBridgeIdUnlessConfigured) {
    ::unsetenv("QUILLMARK_USB_IDS");
    EXPECT_EQ(configuredUsbIds(), (std::vector<UsbId>{{0x10C4, 0xEA61}}));
    ::setenv("QUILLMARK_USB_IDS", "abcd:0123", 1);
    EXPECT_EQ(configuredUsbIds(), (std::vector<UsbId>{{0xABCD, 0x0123}}));
    ::setenv("QUILLMARK_USB_IDS", "garbage", 1);
    EXPECT_EQ(configuredUsbIds(), (std::vector<UsbId>{{0x10C4, 0xEA61}}));
    ::unsetenv("QUILLMARK_USB_IDS");
}
#endif

} // namespace
} // namespace quillmark::transport
