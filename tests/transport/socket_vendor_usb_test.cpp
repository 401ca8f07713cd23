#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "core/link/logger_link.h"
#include "transport/socket_vendor_usb.h"

namespace quillmark::transport {
namespace {

// A peer that plays the logger: accepts one connection and runs a script on it.
class Peer {
public:
    explicit Peer(std::function<void(int fd)> script) {
        std::string dir =
            (std::filesystem::temp_directory_path() / "quillmark-sock-XXXXXX").string();
        dir_ = ::mkdtemp(dir.data());
        path_ = dir_ + "/logger";
        listener_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path_.c_str());
        EXPECT_EQ(::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        EXPECT_EQ(::listen(listener_, 1), 0);
        thread_ = std::thread([this, script = std::move(script)] {
            const int fd = ::accept(listener_, nullptr, nullptr);
            if (fd >= 0) {
                script(fd);
                ::close(fd);
            }
        });
    }
    ~Peer() {
        ::shutdown(listener_, SHUT_RDWR);
        if (thread_.joinable())
            thread_.join();
        ::close(listener_);
        ::unlink(path_.c_str());
        ::rmdir(dir_.c_str());
    }
    const std::string& path() const { return path_; }

private:
    std::string dir_;
    std::string path_;
    int listener_ = -1;
    std::thread thread_;
};

std::vector<std::uint8_t> recvExactly(int fd, std::size_t n) {
    std::vector<std::uint8_t> out(n);
    std::size_t got = 0;
    while (got < n) {
        const ssize_t r = ::recv(fd, out.data() + got, n - got, 0);
        if (r <= 0)
            break;
        got += static_cast<std::size_t>(r);
    }
    out.resize(got);
    return out;
}

void sendBytes(int fd, std::vector<std::uint8_t> bytes) {
    ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

TEST(SocketBackend, NoPeerIsNotConnected) {
    SocketVendorUsb usb("/nonexistent-quillmark/logger.sock");
    LoggerLink link(usb);
    EXPECT_FALSE(link.probe());
    EXPECT_EQ(link.lastStatus(), VendorUsb::kDeviceNotFound);
    EXPECT_FALSE(link.open());
}

TEST(SocketBackend, WritesReachThePeerAndReadsGatherUntilTheCount) {
    std::vector<std::uint8_t> received;
    Peer peer([&](int fd) {
        received = recvExactly(fd, 3);
        sendBytes(fd, {0x00, 0x10});
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        sendBytes(fd, {0x20, 0xAA, 0xBB});
        recvExactly(fd, 1); // hold the connection until the host is done
    });
    SocketVendorUsb usb(peer.path());
    LoggerLink link(usb);
    ASSERT_TRUE(link.open());
    const std::uint8_t request[3] = {0x00, 0x10, 0x01};
    ASSERT_TRUE(link.write(request, 3));
    std::uint8_t reply[3] = {};
    std::uint32_t got = 0;
    ASSERT_TRUE(link.read(reply, 3, 3000, &got));
    EXPECT_EQ(got, 3u);
    EXPECT_EQ(reply[2], 0x20);
    // The rest stays for the next read.
    std::uint8_t rest[2] = {};
    ASSERT_TRUE(link.read(rest, 2, 3000, &got));
    EXPECT_EQ(rest[0], 0xAA);
    EXPECT_EQ(rest[1], 0xBB);
    const std::uint8_t done = 1;
    link.write(&done, 1);
    link.close();
    EXPECT_EQ(received, (std::vector<std::uint8_t>{0x00, 0x10, 0x01}));
}

TEST(SocketBackend, ReadTimesOutWithTheBytesItGot) {
    std::atomic<bool> release{false};
    Peer peer([&](int fd) {
        sendBytes(fd, {0x42});
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    });
    SocketVendorUsb usb(peer.path());
    LoggerLink link(usb);
    ASSERT_TRUE(link.open());
    std::uint8_t buf[4] = {};
    std::uint32_t got = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(link.read(buf, 4, 200, &got));
    const auto took = std::chrono::steady_clock::now() - start;
    release = true;
    EXPECT_EQ(link.lastTransferStatus(), VendorUsb::kReadTimedOut);
    EXPECT_EQ(got, 1u);
    EXPECT_EQ(buf[0], 0x42);
    EXPECT_GE(took, std::chrono::milliseconds(150));
}

TEST(SocketBackend, PeerHangingUpIsAVanishedLogger) {
    Peer peer([&](int fd) { sendBytes(fd, {0x01}); });
    SocketVendorUsb usb(peer.path());
    LoggerLink link(usb);
    ASSERT_TRUE(link.open());
    std::uint8_t buf[8] = {};
    std::uint32_t got = 0;
    EXPECT_FALSE(link.read(buf, 8, 5000, &got));
    EXPECT_EQ(link.lastTransferStatus(), VendorUsb::kDeviceNotFound);
    EXPECT_EQ(got, 1u);
}

TEST(SocketBackend, TimeoutsAreProcessWideValues) {
    SocketVendorUsb usb("/nonexistent-quillmark/unused.sock");
    usb.setTimeouts(3000, 0);
    std::uint32_t r = 0, w = 0;
    usb.getTimeouts(r, w);
    EXPECT_EQ(r, 3000u);
    EXPECT_EQ(w, 0u);
}

TEST(SocketDetector, ThePathAppearingIsAnArrival) {
    std::string dir = (std::filesystem::temp_directory_path() / "quillmark-det-XXXXXX").string();
    const std::string base = ::mkdtemp(dir.data());
    const std::string path = base + "/logger";
    SocketDetector detector(path, 20);
    std::atomic<int> arrivals{0};
    ASSERT_TRUE(detector.start([&] { ++arrivals; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(arrivals.load(), 0);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    for (int i = 0; i < 100 && arrivals.load() == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(arrivals.load(), 1);
    // Removal is not reported.
    ::close(fd);
    ::unlink(path.c_str());
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    detector.stop();
    EXPECT_EQ(arrivals.load(), 1);
    ::rmdir(base.c_str());
}

} // namespace
} // namespace quillmark::transport
