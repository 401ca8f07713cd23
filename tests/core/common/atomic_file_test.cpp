#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <poll.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "../data/temp_dir.h"
#include "core/common/atomic_file.h"

using namespace quillmark;
using quillmark::test_support::readAll;
using quillmark::test_support::TempDir;
using quillmark::test_support::writeAll;

namespace {

std::vector<std::string> entries(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool writeFile(const std::string& path, const std::string& text, std::string* error,
               bool allowUnnamed = true) {
    AtomicFile f;
    if (!f.open(path, error, allowUnnamed))
        return false;
    f.write(text);
    return f.commit(error);
}

bool unnamedTemporariesWork(const std::filesystem::path& dir) {
    const int fd = ::open(dir.c_str(), O_TMPFILE | O_WRONLY, 0600);
    if (fd >= 0)
        ::close(fd);
    return fd >= 0;
}

TEST(AtomicFile, NamesUpToTheLongestAFolderTakes) {
    TempDir dir;
    for (const bool unnamed : {true, false}) {
        for (const std::size_t length : {245u, 250u, 254u, 255u}) {
            SCOPED_TRACE(std::to_string(length) + (unnamed ? " unnamed" : " named"));
            const std::string path = dir.file(std::string(length, 'n'));
            std::string error;
            EXPECT_TRUE(writeFile(path, "first", &error, unnamed)) << error;
            EXPECT_TRUE(writeFile(path, "second", &error, unnamed)) << error;
            EXPECT_EQ(readAll(path), "second");
            EXPECT_EQ(entries(dir.path()), std::vector<std::string>{std::string(length, 'n')});
            std::filesystem::remove(path);
        }
    }
}

TEST(AtomicFile, NewFileGetsTheUsualPermissionsAndAnEarlierFileKeepsItsOwn) {
    TempDir dir;
    const mode_t mask = ::umask(022);
    for (const bool unnamed : {true, false}) {
        const std::string path = dir.file(unnamed ? "u" : "n");
        ASSERT_TRUE(writeFile(path, "a", nullptr, unnamed));
        EXPECT_EQ(std::filesystem::status(path).permissions(),
                  static_cast<std::filesystem::perms>(0644));
        ::chmod(path.c_str(), 0640);
        ASSERT_TRUE(writeFile(path, "b", nullptr, unnamed));
        EXPECT_EQ(std::filesystem::status(path).permissions(),
                  static_cast<std::filesystem::perms>(0640));
    }
    ::umask(mask);
}

// A child writes part of a file and is then killed by sig; nothing but the earlier file may
// be left in the folder.
void killedMidWrite(int sig, bool allowUnnamed) {
    TempDir dir;
    const std::string path = dir.file("out.txt");
    writeAll(path, "earlier");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        AtomicFile f;
        if (!f.open(path, nullptr, allowUnnamed))
            ::_exit(3);
        f.write(std::string(100000, 'x'));
        ::raise(sig);
        ::_exit(4);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), sig);
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"out.txt"});
    EXPECT_EQ(readAll(path), "earlier");
}

TEST(AtomicFile, InterruptedWriteLeavesNoTemporary) {
    for (const int sig : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(sig);
        killedMidWrite(sig, false); // the named temporary is removed by the signal handler
    }
    TempDir probe;
    if (!unnamedTemporariesWork(probe.path())) {
        std::printf("note: no O_TMPFILE in %s, kill -9 case left out\n", probe.path().c_str());
        return;
    }
    killedMidWrite(SIGKILL, true); // an unnamed temporary cannot be left behind
}

// Reads a FIFO until its writer hangs up, giving up after a few quiet seconds, so a writer
// that never comes cannot hang the test.
std::string readFifo(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return "(cannot open)";
    std::string got;
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 5000) <= 0)
            break;
        char buf[4096];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0)
            got.append(buf, static_cast<std::size_t>(n));
        else if (n == 0 && (p.revents & POLLHUP))
            break;
    }
    ::close(fd);
    return got;
}

TEST(AtomicFile, SpecialTargetsAreWrittenInPlace) {
    TempDir dir;
    const std::string fifo = dir.file("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto reader = std::async(std::launch::async, [&] { return readFifo(fifo); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100)); // the reader is there first
    std::string error;
    EXPECT_TRUE(writeFile(fifo, "through the pipe", &error)) << error;
    EXPECT_EQ(reader.get(), "through the pipe");

    // Nobody reads: a clear failure, not a hang.
    EXPECT_FALSE(writeFile(fifo, "lost", &error));
    EXPECT_NE(error.find("fifo"), std::string::npos) << error;

    EXPECT_FALSE(writeFile(dir.path().string(), "x", &error));
    EXPECT_NE(error.find("is a directory"), std::string::npos) << error;

    const std::string null = dir.file("null"), full = dir.file("full");
    if (::mknod(null.c_str(), S_IFCHR | 0600, makedev(1, 3)) != 0 ||
        ::mknod(full.c_str(), S_IFCHR | 0600, makedev(1, 7)) != 0) {
        std::printf("note: mknod not permitted, the character device cases are left out\n");
    } else {
        EXPECT_TRUE(writeFile(null, "gone", &error)) << error;
        EXPECT_FALSE(writeFile(full, "no room", &error));
        EXPECT_NE(error.find("No space left on device"), std::string::npos) << error;
        for (const auto& p : {null, full}) {
            struct stat st {};
            ASSERT_EQ(::stat(p.c_str(), &st), 0);
            EXPECT_TRUE(S_ISCHR(st.st_mode)) << p << " was replaced";
        }
    }
    EXPECT_EQ(entries(dir.path()).size(), std::filesystem::exists(null) ? 3u : 1u);
}

TEST(SameFile, SameDeviceAndInodeAlsoThroughLinks) {
    TempDir dir;
    const std::string a = dir.file("a"), b = dir.file("b");
    writeAll(a, "a");
    writeAll(b, "b");
    std::filesystem::create_symlink(a, dir.file("soft"));
    std::filesystem::create_hard_link(a, dir.file("hard"));
    const struct {
        std::string x, y;
        bool same;
    } cases[] = {
        {a, a, true},
        {a, dir.file("soft"), true},
        {a, dir.file("hard"), true},
        {a, dir.file("./a"), true},
        {a, b, false},
        {a, dir.file("missing"), false},
        {dir.file("missing"), dir.file("./missing"), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x + " vs " + c.y);
        EXPECT_EQ(sameFile(c.x, c.y), c.same);
    }
}

TEST(WriteOutputFile, RefusesInputsAndUnwritableTargetsBeforeProducing) {
    TempDir dir;
    const std::string in = dir.file("in"), earlier = dir.file("earlier"),
                      locked = dir.file("locked");
    writeAll(in, "input");
    writeAll(earlier, "earlier");
    writeAll(locked, "locked");
    ::chmod(locked.c_str(), 0444);
    std::filesystem::create_directory(dir.file("sub"));
    std::filesystem::create_symlink(in, dir.file("soft"));
    std::filesystem::create_hard_link(in, dir.file("hard"));
    // Root may write any file, as the system lets it; anyone else is refused a read-only one.
    const bool root = ::geteuid() == 0;
    const struct {
        std::string target;
        bool producerFails;
        const char* error; // nullptr: written
    } cases[] = {
        {dir.file("new"), false, nullptr},
        {dir.file("soft"), false, "it is the input file"},
        {dir.file("hard"), false, "it is the input file"},
        {dir.file("sub/../in"), false, "it is the input file"},
        {dir.file("nosub/../in"), false, "it is the input file"},
        {dir.path().string(), false, "Is a directory"},
        {dir.file("no/such/folder/x"), false, "No such file or directory"},
        {locked, false, root ? nullptr : "Permission denied"},
        {earlier, true, "the producer's reason"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        const std::string before =
            std::filesystem::exists(c.target) && !std::filesystem::is_directory(c.target)
                ? readAll(c.target)
                : "";
        bool produced = false;
        const auto failure =
            writeOutputFile(c.target, {in}, [&](const OutputSink& sink, std::string* error) {
                produced = true;
                if (c.producerFails) {
                    sink("half");
                    *error = "the producer's reason";
                    return false;
                }
                return sink("new content");
            });
        if (!c.error) {
            EXPECT_FALSE(failure.has_value()) << (failure ? failure->message : "");
            EXPECT_EQ(readAll(c.target), "new content");
            continue;
        }
        ASSERT_TRUE(failure);
        EXPECT_NE(failure->message.find(c.error), std::string::npos) << failure->message;
        EXPECT_EQ(produced, c.producerFails) << "produced before the target was checked";
        if (!before.empty()) {
            EXPECT_EQ(readAll(c.target), before);
        }
    }
    EXPECT_EQ(readAll(in), "input");
}

} // namespace
