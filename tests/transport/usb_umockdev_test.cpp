// The libusb backend against a fake USB bridge in a umockdev test bed. Run under
// umockdev-wrapper: the bridge answers libusb's usbfs requests (URBs) from this process.
#include <gtest/gtest.h>

#include <umockdev.h>

#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/common/byte_order.h"
#include "core/link/download.h"
#include "core/link/logger_choice.h"
#include "core/link/logger_link.h"
#include "transport/usb_vendor_usb.h"

namespace quillmark::transport {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct ControlRequest {
    std::uint8_t requestType;
    std::uint8_t request;
    std::uint16_t value;
    std::uint16_t index;
    bool operator==(const ControlRequest&) const = default;
};

// The device side: records what the host sends and hands out queued IN packets.
class FakeBridge {
public:
    std::vector<ControlRequest> controls;
    std::vector<Bytes> outTransfers; // one entry per bulk OUT URB (empty: zero-length packet)
    std::function<void(FakeBridge&, const Bytes&)> onOut; // the logger's behaviour
    long unplugAfterInBytes = -1;
    int inError = 0;     // the next IN transfer ends with this errno (-EPIPE: stall)
    int enableError = 0; // the enable request ends with this errno

    // Queues a response as the bridge sends it: 64-byte packets, a short last packet or,
    // after a whole number of packets, a zero-length one.
    void respond(const Bytes& data) {
        std::size_t off = 0;
        while (off < data.size()) {
            const std::size_t n = std::min<std::size_t>(64, data.size() - off);
            inPackets.emplace_back(data.begin() + static_cast<long>(off),
                                   data.begin() + static_cast<long>(off + n));
            off += n;
        }
        if (data.size() % 64 == 0)
            inPackets.emplace_back();
    }
    void packet(const Bytes& p) { inPackets.push_back(p); }

    std::deque<Bytes> inPackets;
    long inBytes = 0;
    bool unplugged = false;
    UMockdevIoctlData* pendingIn = nullptr;
    std::deque<UMockdevIoctlData*> done;
};

std::mutex gMutex; // the test bed answers ioctls on its own thread

void completeIn(FakeBridge& b) {
    if (!b.pendingIn)
        return;
    auto* urb = reinterpret_cast<usbdevfs_urb*>(b.pendingIn->data);
    if (b.unplugged) {
        urb->actual_length = 0;
        urb->status = -ENODEV;
    } else if (b.inError != 0) {
        urb->actual_length = 0;
        urb->status = b.inError;
        b.inError = 0;
    } else {
        if (b.inPackets.empty())
            return;
        int filled = 0;
        auto* buffer = static_cast<std::uint8_t*>(urb->buffer);
        while (!b.inPackets.empty()) {
            const Bytes& p = b.inPackets.front();
            if (filled + static_cast<int>(p.size()) > urb->buffer_length)
                break;
            if (b.unplugAfterInBytes >= 0 &&
                b.inBytes + static_cast<long>(p.size()) > b.unplugAfterInBytes) {
                b.unplugged = true;
                break;
            }
            std::copy(p.begin(), p.end(), buffer + filled);
            filled += static_cast<int>(p.size());
            b.inBytes += static_cast<long>(p.size());
            const bool shortPacket = p.size() < 64;
            b.inPackets.pop_front();
            if (shortPacket)
                break;
        }
        if (filled == 0 && b.unplugged) {
            urb->status = -ENODEV;
        } else {
            urb->status = 0;
        }
        urb->actual_length = filled;
    }
    b.done.push_back(b.pendingIn);
    b.pendingIn = nullptr;
}

gboolean onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer user) {
    auto& b = *static_cast<FakeBridge*>(user);
    std::lock_guard lock(gMutex);
    const gulong request = umockdev_ioctl_client_get_request(client);
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    switch (request) {
    case USBDEVFS_GET_CAPABILITIES: {
        UMockdevIoctlData* d = umockdev_ioctl_data_resolve(arg, 0, sizeof(guint32), nullptr);
        *reinterpret_cast<guint32*>(d->data) =
            USBDEVFS_CAP_BULK_CONTINUATION | USBDEVFS_CAP_NO_PACKET_SIZE_LIM |
            USBDEVFS_CAP_REAP_AFTER_DISCONNECT | USBDEVFS_CAP_ZERO_PACKET;
        umockdev_ioctl_data_unref(d);
        umockdev_ioctl_client_complete(client, 0, 0);
        return TRUE;
    }
    case USBDEVFS_CLAIMINTERFACE:
    case USBDEVFS_RELEASEINTERFACE:
    case USBDEVFS_DISCONNECT_CLAIM:
    case USBDEVFS_CLEAR_HALT:
    case USBDEVFS_RESETEP:
        umockdev_ioctl_client_complete(client, b.unplugged ? -1 : 0, b.unplugged ? ENODEV : 0);
        return TRUE;
    case USBDEVFS_SUBMITURB: {
        if (b.unplugged) {
            umockdev_ioctl_client_complete(client, -1, ENODEV);
            return TRUE;
        }
        UMockdevIoctlData* urbData =
            umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_urb), nullptr);
        auto* urb = reinterpret_cast<usbdevfs_urb*>(urbData->data);
        Bytes data;
        if (urb->buffer_length > 0) { // a zero-length packet has no buffer to map
            UMockdevIoctlData* buffer = umockdev_ioctl_data_resolve(
                urbData, G_STRUCT_OFFSET(usbdevfs_urb, buffer), urb->buffer_length, nullptr);
            urb = reinterpret_cast<usbdevfs_urb*>(urbData->data);
            data.assign(buffer->data, buffer->data + urb->buffer_length);
            umockdev_ioctl_data_unref(buffer);
        }
        if (urb->type == USBDEVFS_URB_TYPE_CONTROL) {
            const ControlRequest control{data[0], data[1], getU16LE(data.data() + 2),
                                         getU16LE(data.data() + 4)};
            b.controls.push_back(control);
            const bool enable = control.request == 0x02 && control.value == 0x0002;
            urb->actual_length = urb->buffer_length;
            urb->status = enable ? b.enableError : 0;
            b.done.push_back(urbData);
        } else if (urb->endpoint & 0x80) {
            b.pendingIn = urbData;
            completeIn(b);
        } else {
            b.outTransfers.push_back(data);
            urb->actual_length = urb->buffer_length;
            urb->status = 0;
            b.done.push_back(urbData);
            if (b.onOut && !data.empty())
                b.onOut(b, data);
            completeIn(b);
        }
        umockdev_ioctl_client_complete(client, 0, 0);
        return TRUE;
    }
    case USBDEVFS_DISCARDURB: {
        if (b.pendingIn && b.pendingIn->client_addr == *reinterpret_cast<gulong*>(arg->data)) {
            auto* urb = reinterpret_cast<usbdevfs_urb*>(b.pendingIn->data);
            urb->status = -ENOENT;
            urb->actual_length = 0;
            b.done.push_back(b.pendingIn);
            b.pendingIn = nullptr;
            umockdev_ioctl_client_complete(client, 0, 0);
        } else {
            umockdev_ioctl_client_complete(client, -1, EINVAL);
        }
        return TRUE;
    }
    case USBDEVFS_REAPURB:
    case USBDEVFS_REAPURBNDELAY: {
        completeIn(b);
        if (b.done.empty()) {
            umockdev_ioctl_client_complete(client, -1, b.unplugged ? ENODEV : EAGAIN);
            return TRUE;
        }
        UMockdevIoctlData* urbData = b.done.front();
        b.done.pop_front();
        UMockdevIoctlData* ptr = umockdev_ioctl_data_resolve(arg, 0, sizeof(gpointer), nullptr);
        umockdev_ioctl_data_set_ptr(ptr, 0, urbData);
        umockdev_ioctl_data_unref(ptr);
        umockdev_ioctl_data_unref(urbData);
        umockdev_ioctl_client_complete(client, 0, 0);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

// Device descriptor 10C4:EA61 (serial number string 3); one configuration with vendor
// interface 0 and bulk endpoints 0x81 (IN) and 0x01 (OUT) of 64 bytes. It sits on port
// `port` of bus 1 as device `devnum`.
std::string bridgeDevice(int devnum, int port, const char* serial) {
    const std::string dev = "00" + std::to_string(devnum);
    std::string text = "P: /devices/usb1/1-" + std::to_string(port) + "\n" + "N: bus/usb/001/" +
                       dev +
                       "\n"
                       "E: SUBSYSTEM=usb\n"
                       "E: DRIVER=usb\n"
                       "E: BUSNUM=001\n"
                       "E: DEVNUM=" +
                       dev + "\nE: DEVNAME=/dev/bus/usb/001/" + dev +
                       "\n"
                       "E: DEVTYPE=usb_device\n"
                       "A: bConfigurationValue=1\\n\n"
                       "A: busnum=1\\n\n"
                       "A: devnum=" +
                       std::to_string(devnum) +
                       "\\n\n"
                       "A: speed=12\\n\n";
    if (serial)
        text += std::string("A: serial=") + serial + "\\n\n";
    return text + "H: descriptors="
                  "120100020000004"
                  "0c41061ea000101020301"
                  "09022000010100803209040000"
                  "02ff000002"
                  "0705810240"
                  "0000"
                  "0705010240"
                  "0000\n";
}

class UsbBackend : public ::testing::Test {
protected:
    void SetUp() override {
        const char* preload = std::getenv("LD_PRELOAD");
        if (preload == nullptr || std::strstr(preload, "umockdev-preload") == nullptr)
            GTEST_SKIP() << "needs umockdev-wrapper";
        testbed_ = umockdev_testbed_new();
        handler_ = umockdev_ioctl_base_new();
        g_signal_connect_after(handler_, "handle-ioctl", G_CALLBACK(onIoctl), &bridge_);
    }
    void TearDown() override {
        usb_.reset();
        for (UMockdevIoctlBase* h : extraHandlers_)
            g_object_unref(h);
        if (handler_)
            g_object_unref(handler_);
        if (testbed_)
            g_object_unref(testbed_);
    }
    void plugIn() { plugIn(handler_, 2, 1, "QM0001"); }
    // A further bridge answered by `handler` (made with bridgeHandler).
    void plugIn(UMockdevIoctlBase* handler, int devnum, int port, const char* serial) {
        const std::string node = "/dev/bus/usb/001/00" + std::to_string(devnum);
        ASSERT_TRUE(umockdev_testbed_attach_ioctl(testbed_, node.c_str(), handler, nullptr));
        ASSERT_TRUE(umockdev_testbed_add_from_string(
            testbed_, bridgeDevice(devnum, port, serial).c_str(), nullptr));
    }
    UMockdevIoctlBase* bridgeHandler(FakeBridge& bridge) {
        UMockdevIoctlBase* handler = umockdev_ioctl_base_new();
        g_signal_connect_after(handler, "handle-ioctl", G_CALLBACK(onIoctl), &bridge);
        extraHandlers_.push_back(handler);
        return handler;
    }
    UsbVendorUsb& usb() {
        if (!usb_)
            usb_ = std::make_unique<UsbVendorUsb>(std::vector<UsbId>{{0x10C4, 0xEA61}});
        return *usb_;
    }
    template <class F> auto locked(F f) {
        std::lock_guard lock(gMutex);
        return f(bridge_);
    }

    UMockdevTestbed* testbed_ = nullptr;
    UMockdevIoctlBase* handler_ = nullptr;
    FakeBridge bridge_;
    std::unique_ptr<UsbVendorUsb> usb_;
    std::vector<UMockdevIoctlBase*> extraHandlers_;
};

constexpr ControlRequest kFlush{0x40, 0x00, 0xFFFF, 0};
constexpr ControlRequest kEnable{0x40, 0x02, 0x0002, 0};
constexpr ControlRequest kDisable{0x40, 0x02, 0x0004, 0};

TEST_F(UsbBackend, WithoutALoggerTheProbeSaysNotConnected) {
    LoggerLink link(usb());
    EXPECT_FALSE(link.probe());
    EXPECT_EQ(link.lastStatus(), VendorUsb::kDeviceNotFound);
    EXPECT_FALSE(link.isOpen());
}

TEST_F(UsbBackend, OpenAndCloseSendTheVendorRequests) {
    plugIn();
    LoggerLink link(usb());
    ASSERT_TRUE(link.probe());
    EXPECT_EQ(locked([](FakeBridge& b) { return b.controls; }),
              (std::vector<ControlRequest>{kFlush, kEnable, kDisable}));
    EXPECT_TRUE(locked([](FakeBridge& b) { return b.outTransfers.empty(); }));
}

TEST_F(UsbBackend, DownloadsTwoPagesAndEndsWholePacketWritesWithAZeroLengthPacket) {
    // The logger: N = 8192 (two full pages); header says 4096 samples.
    bridge_.onOut = [](FakeBridge& b, const Bytes& req) {
        if (req.size() != 3 || req[0] != 0x00)
            return;
        b.respond({0x00, 0x00, 0x20});
        Bytes data(std::size_t{req[2]} * 64);
        if (req[1] == 16) {
            putU32LE(data.data(), 0xCE);
            putI32LE(data.data() + 8, 4096);
        } else {
            for (std::size_t k = 0; k < data.size() / 2; ++k)
                putU16LE(data.data() + 2 * k, static_cast<std::uint16_t>(req[1] * 2048 + k));
        }
        b.respond(data);
    };
    plugIn();
    LoggerLink link(usb());
    Recording rec;
    DownloadOptions options;
    options.pageWaitMs = 0;
    ASSERT_EQ(downloadRecording(link, rec, options).result, DownloadResult::Success);
    ASSERT_EQ(rec.sampleCount, 4096);
    for (int k = 0; k < 4096; ++k)
        ASSERT_EQ(rec.samples[static_cast<std::size_t>(k)], k);
    EXPECT_EQ(locked([](FakeBridge& b) { return b.outTransfers; }),
              (std::vector<Bytes>{{0, 16, 1}, {0, 0, 64}, {0, 1, 64}}));

    // A 64-byte block goes out as one packet and a zero-length packet.
    ASSERT_TRUE(link.open());
    const Bytes block(64, 0xAB);
    ASSERT_TRUE(link.write(block.data(), 64));
    link.close();
    const auto out = locked([](FakeBridge& b) { return b.outTransfers; });
    ASSERT_EQ(out.size(), 5u);
    EXPECT_EQ(out[3], block);
    EXPECT_TRUE(out[4].empty());
}

TEST_F(UsbBackend, ReadsGatherShortPacketsAndKeepLeftovers) {
    plugIn();
    LoggerLink link(usb());
    ASSERT_TRUE(link.open());
    locked([](FakeBridge& b) {
        Bytes first(64);
        for (int i = 0; i < 64; ++i)
            first[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
        b.packet(first);        // 3-byte reply and 61 bytes of the next read
        b.packet({64, 65, 66}); // short packet: the rest
        b.packet({0x10, 0x20}); // a short packet that ends the next read early
        b.packet({0x30});
        return 0;
    });
    std::uint8_t reply[3] = {};
    std::uint32_t got = 0;
    ASSERT_TRUE(link.read(reply, 3, 1000, &got));
    EXPECT_EQ(got, 3u);
    EXPECT_EQ(reply[2], 2);
    std::uint8_t header[64] = {};
    ASSERT_TRUE(link.read(header, 64, 1000, &got));
    EXPECT_EQ(got, 64u);
    for (int i = 0; i < 64; ++i)
        ASSERT_EQ(header[i], i + 3);
    std::uint8_t tail[3] = {};
    ASSERT_TRUE(link.read(tail, 3, 1000, &got));
    EXPECT_EQ(tail[0], 0x10);
    EXPECT_EQ(tail[1], 0x20);
    EXPECT_EQ(tail[2], 0x30);
}

TEST_F(UsbBackend, ReadTimesOutWithANonZeroStatusAndTheLinkStaysUsable) {
    plugIn();
    LoggerLink link(usb());
    ASSERT_TRUE(link.open());
    locked([](FakeBridge& b) {
        b.packet({0x42});
        return 0;
    });
    std::uint8_t buf[4] = {};
    std::uint32_t got = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(link.read(buf, 4, 300, &got));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
    EXPECT_EQ(link.lastTransferStatus(), VendorUsb::kReadTimedOut);
    EXPECT_EQ(got, 1u);
    EXPECT_EQ(buf[0], 0x42);
    locked([](FakeBridge& b) {
        b.packet({0x43});
        return 0;
    });
    EXPECT_TRUE(link.read(buf, 1, 1000, &got));
    EXPECT_EQ(buf[0], 0x43);
}

TEST_F(UsbBackend, UnplugInTheMiddleOfADownloadIsAReadFailure) {
    bridge_.onOut = [](FakeBridge& b, const Bytes& req) {
        b.respond({0x00, 0x00, 0x20});
        Bytes data(std::size_t{req[2]} * 64, 0x11);
        if (req[1] == 16)
            putI32LE(data.data() + 8, 4096);
        b.respond(data);
    };
    bridge_.unplugAfterInBytes = 3 + 64 + 3 + 1000;
    plugIn();
    LoggerLink link(usb());
    Recording rec;
    rec.samples = {7, 8, 9};
    rec.sampleCount = 3;
    DownloadOptions options;
    options.pageWaitMs = 0;
    EXPECT_EQ(downloadRecording(link, rec, options).result, DownloadResult::ReadFailure);
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(rec.samples, (std::vector<std::uint16_t>{7, 8, 9}));
    // The vanished device is a status of its own, not a timeout.
    EXPECT_EQ(link.lastTransferStatus(), VendorUsb::kDeviceNotFound);
}

TEST_F(UsbBackend, SeveralLoggersAreListedByPortAndOnlyTheChosenOneIsOpened) {
    FakeBridge second;
    plugIn(bridgeHandler(second), 3, 4, nullptr);
    plugIn(); // port 1, serial QM0001
    std::vector<VendorUsb::Device> list;
    ASSERT_TRUE(usb().listDevices(list));
    EXPECT_EQ(list, (std::vector<VendorUsb::Device>{{"1:1", "QM0001"}, {"1:4", ""}}));
    EXPECT_EQ(selectLogger(usb(), "").kind, LoggerSelection::Kind::Several);
    EXPECT_EQ(selectLogger(usb(), "QM0001").device.location, "1:1");

    ChosenLogger chosen(usb(), "1:4");
    LoggerLink link(chosen);
    ASSERT_TRUE(link.probe());
    EXPECT_TRUE(locked([](FakeBridge& b) { return b.controls.empty(); }));
    {
        std::lock_guard lock(gMutex);
        EXPECT_EQ(second.controls, (std::vector<ControlRequest>{kFlush, kEnable, kDisable}));
    }
    ChosenLogger absent(usb(), "1:2");
    LoggerLink absentLink(absent);
    EXPECT_FALSE(absentLink.probe());
    EXPECT_EQ(linkFaultText(absentLink.faultAt("opening the logger")),
              "opening the logger: no logger found");
}

TEST_F(UsbBackend, AStalledEnableRequestSaysSo) {
    bridge_.enableError = -EPIPE;
    plugIn();
    LoggerLink link(usb());
    EXPECT_FALSE(link.probe());
    EXPECT_EQ(linkFaultText(link.faultAt("opening the logger")),
              "opening the logger: the bridge's enable request: endpoint stalled");
    EXPECT_EQ(locked([](FakeBridge& b) { return b.controls.back(); }), kEnable);
}

TEST_F(UsbBackend, EveryReadFaultSaysWhatHappened) {
    const struct {
        const char* name;
        std::function<void(FakeBridge&)> fault;
        VendorUsb::Status status;
        const char* cause;
    } cases[] = {
        {"stall", [](FakeBridge& b) { b.inError = -EPIPE; }, VendorUsb::kPipeStalled,
         "reading: endpoint stalled"},
        {"babble", [](FakeBridge& b) { b.inError = -EOVERFLOW; }, VendorUsb::kOverflow,
         "reading: babble (the logger sent more than was asked for)"},
        {"short page", [](FakeBridge& b) { b.packet(Bytes(31, 0x5A)); }, VendorUsb::kReadTimedOut,
         "reading: timed out after 0.3 s with only 31 of 64 bytes"},
        {"silence", [](FakeBridge&) {}, VendorUsb::kReadTimedOut,
         "reading: timed out after 0.3 s, nothing arrived"},
        {"unplug", [](FakeBridge& b) { b.unplugged = true; }, VendorUsb::kDeviceNotFound,
         "reading: the logger was unplugged"},
    };
    plugIn();
    LoggerLink link(usb());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(link.open());
        locked([&c](FakeBridge& b) {
            c.fault(b);
            return 0;
        });
        std::uint8_t page[64] = {};
        EXPECT_FALSE(link.read(page, 64, 300));
        EXPECT_EQ(link.lastTransferStatus(), c.status);
        EXPECT_EQ(linkFaultText(link.faultAt("reading")), c.cause);
        link.close();
    }
}

TEST_F(UsbBackend, CancelEndsAWaitingReadAndCloseStillDisablesTheBridge) {
    plugIn();
    LoggerLink link(usb());
    ASSERT_TRUE(link.open());
    std::thread stopper([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        usb_->cancel();
    });
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::uint8_t> page(4096);
    EXPECT_FALSE(link.read(page.data(), 4096, 60000));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    stopper.join();
    EXPECT_EQ(link.lastTransferStatus(), VendorUsb::kCancelled);
    link.close();
    EXPECT_EQ(locked([](FakeBridge& b) { return b.controls.back(); }), kDisable);
    // The next opening starts afresh.
    ASSERT_TRUE(link.open());
    locked([](FakeBridge& b) {
        b.packet({0x42});
        return 0;
    });
    EXPECT_TRUE(link.read(page.data(), 1, 1000));
    EXPECT_EQ(page[0], 0x42);
}

TEST_F(UsbBackend, DetectorScansAndReportsAnArrival) {
    UsbDetector detector({{0x10C4, 0xEA61}});
    EXPECT_TRUE(detector.enumerate()); // the set is obtained even without a logger
    std::atomic<int> arrivals{0};
    ASSERT_TRUE(detector.start([&] { ++arrivals; }));
    plugIn();
    for (int i = 0; i < 300 && arrivals.load() == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    detector.stop();
    EXPECT_EQ(arrivals.load(), 1);
}

} // namespace
} // namespace quillmark::transport
