#include <gtest/gtest.h>

#include <string>

#include "backend/logger_backend.h"
#include "core/link/logger_link.h"
#include "sim/simulated_logger.h"
#include "transport/socket_vendor_usb.h"

namespace quillmark {
namespace {

TEST(LoggerBackend, EachChoiceGivesItsBackend) {
    LoggerBackend sim;
    ASSERT_TRUE(createLoggerBackend("sim", sim));
    EXPECT_NE(dynamic_cast<sim::SimulatedLogger*>(sim.vendor.get()), nullptr);
    ASSERT_NE(sim.detector, nullptr);
    // The simulator is there at once: a probe through it connects.
    LoggerLink link(*sim.vendor);
    EXPECT_TRUE(link.probe());

    // A socket nobody listens on: the backend exists, the logger does not.
    LoggerBackend socket;
    ASSERT_TRUE(createLoggerBackend("socket:/nonexistent-quillmark/none.sock", socket));
    EXPECT_NE(dynamic_cast<transport::SocketVendorUsb*>(socket.vendor.get()), nullptr);
    ASSERT_NE(socket.detector, nullptr);
    LoggerLink absent(*socket.vendor);
    EXPECT_FALSE(absent.probe());
}

TEST(LoggerBackend, RefusesWhatTheParserRefuses) {
    for (const char* text : {"serial", "socket:", "", "SIM"}) {
        LoggerBackend b;
        std::string error;
        EXPECT_FALSE(createLoggerBackend(text, b, &error)) << text;
        EXPECT_FALSE(error.empty()) << text;
        EXPECT_EQ(b.vendor, nullptr) << text;
    }
}

TEST(LoggerBackend, OnlyADeniedOpenGetsAdvice) {
    EXPECT_NE(openFailureAdvice(VendorUsb::kAccessDenied).find("udev"), std::string::npos);
    EXPECT_TRUE(openFailureAdvice(VendorUsb::kDeviceNotFound).empty());
}

} // namespace
} // namespace quillmark
