#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <unistd.h>
#include <vector>

#include "core/data/temp_dir.h"
#include "core/link/fake_vendor_usb.h"
#include "core/link/upload.h"
#include "core/settings/settings_block.h"

namespace quillmark {
namespace {

using test_support::FakeVendorUsb;
using Op = FakeVendorUsb::Op;
using Bytes = std::vector<std::uint8_t>;

// 1000 points, 1 hr, "10s" cycle with alarm flash, limits 0 and 20, Instant, "LoggerName",
// set up on 7 December 2026 at 05:15:03.
const HeaderBlock kExampleBlock{
    0xCE, 0x00, 0x00, 0x00, 0xE8, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x0E, 0x00, 0x00,
    0xEA, 0x07, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xA0, 0x41, 0x0C, 0x07, 0x05, 0x0F,
    0x03, 0x00, 0xCA, 0x4C, 0x6F, 0x67, 0x67, 0x65, 0x72, 0x4E, 0x61, 0x6D, 0x65, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xA0, 0x41, 0xCE, 0x00, 0x00, 0x00};

// The logger takes the command and the block, then answers `reply`.
void answerBlockWith(FakeVendorUsb& usb, Bytes reply) {
    usb.onWrite = [reply](FakeVendorUsb& dev, const Bytes& bytes) {
        if (bytes.size() == 64)
            dev.push(reply);
    };
}

UploadOutcome upload(FakeVendorUsb& usb) {
    LoggerLink link(usb);
    UploadOptions options;
    options.now = [&usb] { return usb.now(); };
    const UploadOutcome out = uploadSettings(link, kExampleBlock, options);
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(usb.openHandles, 0);
    return out;
}

TEST(Upload, SendsCommandThenTheBlockByteForByteAndTakesTheAcknowledge) {
    FakeVendorUsb usb;
    answerBlockWith(usb, {0xFF});
    const UploadOutcome out = upload(usb);
    EXPECT_EQ(out.result, UploadResult::Success);
    EXPECT_FALSE(out.showMessageBox);
    EXPECT_EQ(usb.writes(),
              (std::vector<Bytes>{{0x01, 0x40, 0x00},
                                  Bytes(kExampleBlock.begin(), kExampleBlock.end())}));

    std::vector<Op> order;
    for (const auto& e : usb.events)
        if (e.op != Op::GetTimeouts && e.op != Op::SetTimeouts)
            order.push_back(e.op);
    EXPECT_EQ(order, (std::vector<Op>{Op::Open, Op::Close, Op::Open, Op::Write, Op::Write, Op::Read,
                                      Op::Close}));
    const auto t = usb.transfers();
    EXPECT_EQ(t[0].readTimeout, 0u);
    EXPECT_EQ(t[0].writeTimeout, 1000u);
    EXPECT_EQ(t[1].writeTimeout, 1000u);
    EXPECT_EQ(t[2].readTimeout, 3000u);
    EXPECT_EQ(t[2].writeTimeout, 0u);
    EXPECT_EQ(t[2].count, 1u);
    EXPECT_EQ(usb.readTimeout, FakeVendorUsb::kInitialReadTimeout);
    EXPECT_EQ(usb.writeTimeout, FakeVendorUsb::kInitialWriteTimeout);
}

TEST(Upload, OtherBytesBeforeTheAcknowledgeAreSkipped) {
    FakeVendorUsb usb;
    answerBlockWith(usb, {0x00, 0x13, 0xFE, 0x7F, 0xFF, 0x55});
    EXPECT_EQ(upload(usb).result, UploadResult::Success);
    EXPECT_EQ(usb.count(Op::Read), 5);
    EXPECT_EQ(usb.rx.size(), 1u); // nothing read after the acknowledge
}

TEST(Upload, NoAcknowledgeGivesUpAfterAboutTenSecondsAsWriteFault) {
    FakeVendorUsb usb;
    answerBlockWith(usb, {});
    const UploadOutcome out = upload(usb);
    EXPECT_EQ(out.result, UploadResult::WriteFault);
    EXPECT_TRUE(out.showMessageBox);
    EXPECT_STREQ(uploadStatusText(out.result), "Failed writing data to the datalogger.");
    EXPECT_GE(usb.clock, std::chrono::milliseconds(10000));
    EXPECT_LE(usb.clock, std::chrono::milliseconds(13000));
}

TEST(Upload, VanishedLoggerEndsTheAcknowledgeWaitAtOnce) {
    FakeVendorUsb usb;
    usb.onWrite = [](FakeVendorUsb& dev, const Bytes& bytes) {
        if (bytes.size() == 64)
            dev.present = false;
    };
    const UploadOutcome out = upload(usb);
    EXPECT_EQ(out.result, UploadResult::WriteFault);
    EXPECT_EQ(usb.count(Op::Read), 1);
}

TEST(Upload, NoLoggerIsTheConnectionFault) {
    FakeVendorUsb usb;
    usb.present = false;
    const UploadOutcome out = upload(usb);
    EXPECT_EQ(out.result, UploadResult::ConnectionFault);
    EXPECT_FALSE(out.showMessageBox);
    EXPECT_STREQ(uploadStatusText(out.result),
                 "Connecting fault. Ensure logger inserted and try again.");
    EXPECT_TRUE(usb.transfers().empty());
}

TEST(Upload, FailedSecondOpenIsTheWriteFaultWithoutMessageBox) {
    FakeVendorUsb usb;
    usb.failingOpens = {2};
    answerBlockWith(usb, {0xFF});
    const UploadOutcome out = upload(usb);
    EXPECT_EQ(out.result, UploadResult::WriteFault);
    EXPECT_FALSE(out.showMessageBox);
    EXPECT_TRUE(usb.transfers().empty());
}

TEST(Upload, IncompleteWriteCommandIsTheWriteFault) {
    FakeVendorUsb usb;
    usb.writeShortBy = 1;
    answerBlockWith(usb, {0xFF});
    const UploadOutcome out = upload(usb);
    EXPECT_EQ(out.result, UploadResult::WriteFault);
    EXPECT_TRUE(out.showMessageBox);
    EXPECT_EQ(usb.writes().size(), 1u); // the block is not sent after a failed command
}

// Each failure keeps its fixed texts and carries which step failed and why; the message box,
// where one is due, shows it as its detail.
TEST(Upload, EveryFaultSaysWhichStepFailedAndWhy) {
    const struct {
        const char* name;
        std::function<void(FakeVendorUsb&)> fault;
        UploadResult result;
        const char* cause;
    } cases[] = {
        {"no logger", [](FakeVendorUsb& u) { u.present = false; }, UploadResult::ConnectionFault,
         "opening the logger: no logger found"},
        {"second open fails", [](FakeVendorUsb& u) { u.failingOpens = {2}; },
         UploadResult::WriteFault, "opening the logger again: no logger found"},
        {"write command short", [](FakeVendorUsb& u) { u.writeShortBy = 1; },
         UploadResult::WriteFault, "sending the write command: only 2 of 3 bytes"},
        {"block stalls",
         [](FakeVendorUsb& u) {
             u.transferFault = FakeVendorUsb::TransferFault{Op::Write, 2, VendorUsb::kPipeStalled};
         },
         UploadResult::WriteFault, "sending the settings block: endpoint stalled"},
        {"never acknowledged", [](FakeVendorUsb& u) { u.onWrite = nullptr; },
         UploadResult::WriteFault,
         "waiting for the acknowledge byte: timed out after 12 s, nothing arrived"},
        {"unplugged before the acknowledge",
         [](FakeVendorUsb& u) {
             u.onWrite = [](FakeVendorUsb& dev, const Bytes& bytes) {
                 if (bytes.size() == 64)
                     dev.present = false;
             };
         },
         UploadResult::WriteFault, "waiting for the acknowledge byte: the logger was unplugged"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeVendorUsb usb;
        answerBlockWith(usb, {0xFF});
        c.fault(usb);
        const UploadOutcome out = upload(usb);
        EXPECT_EQ(out.result, c.result);
        ASSERT_TRUE(out.fault);
        EXPECT_EQ(linkFaultText(*out.fault), c.cause);
        const std::optional<DialogMessage> box = uploadMessage(out, kStartInstant);
        if (out.showMessageBox) {
            EXPECT_EQ(box, (DialogMessage{"Failed writing data to the datalogger.", "Quillmark",
                                          MessageIcon::None, c.cause}));
        } else {
            EXPECT_FALSE(box);
        }
    }
}

// Runs with XDG_CONFIG_HOME in a fresh folder, so the INI file is the test's own.
class UploadAndSave : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("XDG_CONFIG_HOME", dir_.path().c_str(), 1);
        settings_.pointsIndex = 3;
        settings_.rateIndex = 8;
        settings_.loggerName = "Bench";
        settings_.alarmHigh = 20.0f;
    }
    std::filesystem::path ini() const { return dir_.path() / "Quillmark" / "SettingConfig.ini"; }

    test_support::TempDir dir_;
    LoggerSettings settings_;
    std::tm local_{0, 3, 15, 7, 11, 126, 0, 0, 0, 0, nullptr};
};

TEST_F(UploadAndSave, SendsTheBuiltBlockAndSavesOnlyAfterTheAcknowledge) {
    FakeVendorUsb usb;
    answerBlockWith(usb, {0xFF});
    LoggerLink link(usb);
    const UploadOutcome out = uploadAndSaveSettings(link, settings_, &local_);
    EXPECT_EQ(out.result, UploadResult::Success);
    EXPECT_TRUE(out.saveError.empty());
    const HeaderBlock block = buildSettingsBlock(settings_, &local_);
    ASSERT_EQ(usb.writes().size(), 2u);
    EXPECT_EQ(usb.writes()[1], Bytes(block.begin(), block.end()));
    std::ifstream in(ini());
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("SAMPLEPOINTS=3"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("LOGGERNAME=Bench"), std::string::npos) << text.str();
}

TEST_F(UploadAndSave, FailedUploadLeavesTheSettingsFileAlone) {
    FakeVendorUsb usb;
    answerBlockWith(usb, {0x00}); // never the acknowledge
    LoggerLink link(usb);
    UploadOptions options;
    options.now = [&usb] { return usb.now(); };
    const UploadOutcome out = uploadAndSaveSettings(link, settings_, &local_, options);
    EXPECT_EQ(out.result, UploadResult::WriteFault);
    EXPECT_FALSE(std::filesystem::exists(ini()));
}

TEST_F(UploadAndSave, FailedSaveAfterASuccessfulUploadIsReported) {
    // The configuration folder cannot be created: a file stands in its way.
    std::ofstream(dir_.path() / "Quillmark") << "not a folder";
    FakeVendorUsb usb;
    answerBlockWith(usb, {0xFF});
    LoggerLink link(usb);
    const UploadOutcome out = uploadAndSaveSettings(link, settings_, &local_);
    EXPECT_EQ(out.result, UploadResult::Success);
    EXPECT_NE(out.saveError.find("Quillmark"), std::string::npos) << out.saveError;
    // The message says both: the logger has the settings, the file does not.
    const DialogMessage message = settingsNotSavedMessage(out.saveError);
    EXPECT_NE(message.text.find("The logger has taken the settings"), std::string::npos);
    EXPECT_NE(message.text.find(out.saveError), std::string::npos);
}

} // namespace
} // namespace quillmark
