#include <gtest/gtest.h>

#include "core/link/download.h"
#include "core/link/fake_vendor_usb.h"
#include "core/link/logger_choice.h"
#include "core/link/memory_logger.h"

namespace quillmark {
namespace {

using Kind = LoggerSelection::Kind;
using test_support::FakeVendorUsb;

const LoggerDevice kA{"1:2", "0001"};
const LoggerDevice kB{"1:3.1", "0001"};
const LoggerDevice kC{"2:1", "LAB7"};
const LoggerDevice kD{"2:4", ""};

TEST(LoggerChoice, SelectsByLocationOrUniqueSerialAndRefusesTheRest) {
    const std::vector<LoggerDevice> two{kA, kC};
    const std::vector<LoggerDevice> four{kA, kB, kC, kD};
    const struct {
        const char* name;
        bool listed;
        std::vector<LoggerDevice> present;
        const char* wanted;
        Kind kind;
        LoggerDevice device;
    } cases[] = {
        {"backend without a list", false, {}, "", Kind::Default, {}},
        {"no logger", true, {}, "", Kind::Default, {}},
        {"one logger needs no choice", true, {kC}, "", Kind::Chosen, kC},
        {"several and no choice", true, two, "", Kind::Several, {}},
        {"by location", true, four, "1:3.1", Kind::Chosen, kB},
        {"by unique serial", true, four, "LAB7", Kind::Chosen, kC},
        {"shared serial", true, four, "0001", Kind::Ambiguous, {}},
        {"an empty serial matches nothing", true, four, "2:", Kind::NotFound, {}},
        {"absent location", true, four, "1:9", Kind::NotFound, {}},
        {"a port path is not a prefix", true, four, "1:3", Kind::NotFound, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const LoggerSelection s = selectLogger(c.listed, c.present, c.wanted);
        EXPECT_EQ(s.kind, c.kind);
        if (c.kind == Kind::Chosen) {
            EXPECT_EQ(s.device, c.device);
        }
        if (c.kind == Kind::Several || c.kind == Kind::NotFound || c.kind == Kind::Ambiguous) {
            EXPECT_EQ(s.candidates, c.present);
        }
    }
}

TEST(LoggerChoice, ProblemsListWhatIsConnected) {
    const std::vector<LoggerDevice> present{kA, kB, kD};
    EXPECT_EQ(loggerSelectionProblem(selectLogger(true, present, ""), ""),
              "Several loggers are connected; choose one with --device:\n"
              "  1:2, serial 0001\n  1:3.1, serial 0001\n  2:4");
    EXPECT_EQ(loggerSelectionProblem(selectLogger(true, present, "0001"), "0001"),
              "Several loggers have the serial number 0001; choose one by its location with "
              "--device:\n  1:2, serial 0001\n  1:3.1, serial 0001\n  2:4");
    EXPECT_EQ(loggerSelectionProblem(selectLogger(true, present, "1:7"), "1:7"),
              "No logger at 1:7. Connected:\n  1:2, serial 0001\n  1:3.1, serial 0001\n  2:4");
    EXPECT_EQ(loggerSelectionProblem(selectLogger(true, {}, "1:7"), "1:7"),
              "No logger at 1:7. No logger is connected.");
    EXPECT_EQ(loggerSelectionProblem(selectLogger(true, present, "2:4"), "2:4"), "");
}

TEST(LoggerChoice, ExchangesThroughTheChosenLoggerReachOnlyIt) {
    FakeVendorUsb usb;
    usb.devices = {kA, kB, kC};
    test_support::MemoryLogger logger;
    logger.attach(usb);
    logger.storedBytes = 64;
    logger.setRecordedPoints(32);

    ChosenLogger chosen(usb, "1:3.1");
    LoggerLink link(chosen);
    Recording rec;
    DownloadOptions options;
    options.pageWaitMs = 0;
    EXPECT_EQ(downloadRecording(link, rec, options).result, DownloadResult::Success);
    EXPECT_EQ(usb.openedIndex, 1u);
    EXPECT_EQ(usb.openHandles, 0);

    // Unplugged since it was chosen: the exchange fails rather than reach another logger.
    usb.devices = {kA, kC};
    ChosenLogger gone(usb, "1:3.1");
    LoggerLink goneLink(gone);
    const int opensBefore = usb.count(FakeVendorUsb::Op::Open);
    const DownloadOutcome outcome = downloadRecording(goneLink, rec, options);
    EXPECT_EQ(outcome.result, DownloadResult::ReadFailure);
    EXPECT_EQ(usb.count(FakeVendorUsb::Op::Open), opensBefore);
    ASSERT_TRUE(outcome.fault);
    EXPECT_EQ(linkFaultText(*outcome.fault), "opening the logger: no logger found");
}

} // namespace
} // namespace quillmark
