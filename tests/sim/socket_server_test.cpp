#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <future>
#include <iterator>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "sim/socket_server.h"

namespace quillmark::sim {
namespace {

struct Folder {
    std::string path;
    Folder() {
        std::string tmpl = "/tmp/quillmark-sim-XXXXXX";
        path = ::mkdtemp(tmpl.data());
    }
    ~Folder() {
        for (const char* name : {"/sock", "/file"})
            ::unlink((path + name).c_str());
        ::rmdir(path.c_str());
    }
};

sockaddr_un address(const std::string& path) {
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    path.copy(a.sun_path, sizeof a.sun_path - 1);
    return a;
}

bool connectable(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un a = address(path);
    const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
}

// A simulator serving path on its own thread until stopped.
struct Server {
    LoggerDevice device;
    std::atomic<bool> stop{false};
    std::string error;
    std::future<bool> result;
    explicit Server(const std::string& path) {
        result = std::async(std::launch::async,
                            [this, path] { return serveSocket(device, path, stop, &error); });
    }
    // True when it is still serving after a moment; false when it gave up at once.
    bool serving() {
        return result.wait_for(std::chrono::milliseconds(500)) == std::future_status::timeout;
    }
    ~Server() {
        stop = true;
        result.wait();
    }
};

TEST(SocketServer, RefusesAFileThatIsNotASocket) {
    Folder dir;
    const std::string path = dir.path + "/file";
    std::ofstream(path) << "someone's data";
    Server sim(path);
    EXPECT_FALSE(sim.serving());
    EXPECT_NE(sim.error.find("not a socket"), std::string::npos) << sim.error;
    std::ifstream in(path);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "someone's data");
}

TEST(SocketServer, RefusesASocketAnotherSimulatorServes) {
    Folder dir;
    const std::string path = dir.path + "/sock";
    Server first(path);
    ASSERT_TRUE(first.serving());
    Server second(path);
    EXPECT_FALSE(second.serving());
    EXPECT_NE(second.error.find("already"), std::string::npos) << second.error;
    EXPECT_TRUE(connectable(path)) << "the first simulator keeps its socket";
}

TEST(SocketServer, ReplacesAStaleSocketNobodyListensOn) {
    Folder dir;
    const std::string path = dir.path + "/sock";
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un a = address(path);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a), 0);
    ::close(fd); // the file stays, nobody listens
    EXPECT_FALSE(connectable(path));
    Server sim(path);
    EXPECT_TRUE(sim.serving()) << sim.error;
    EXPECT_TRUE(connectable(path));
}

} // namespace
} // namespace quillmark::sim
