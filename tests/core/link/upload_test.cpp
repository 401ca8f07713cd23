#include <gtest/gtest.h>

#include <vector>

#include "core/link/fake_vendor_usb.h"
#include "core/link/upload.h"

namespace quillmark {
namespace {

using test::FakeVendorUsb;
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
    EXPECT_STREQ(uploadResultText(out.result), "Failed writing data to the datalogger.");
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
    EXPECT_STREQ(uploadResultText(out.result),
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

} // namespace
} // namespace quillmark
