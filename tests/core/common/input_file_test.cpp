#include <gtest/gtest.h>

#include <fcntl.h>
#include <future>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include "../data/temp_dir.h"
#include "core/common/byte_order.h"
#include "core/common/input_file.h"
#include "core/data/recording_file.h"
#include "core/settings/ini_store.h"

using namespace quillmark;
using quillmark::test_support::TempDir;
using quillmark::test_support::writeAll;

namespace {

// Runs fn on a thread; when it has not returned after a few seconds it is taken to hang on
// the FIFO at fifoPath, which is then opened for writing so the thread can end.
template <typename Fn> auto withinSeconds(const std::string& fifoPath, Fn fn) {
    auto result = std::async(std::launch::async, fn);
    if (result.wait_for(std::chrono::seconds(5)) == std::future_status::timeout) {
        ADD_FAILURE() << "reading " << fifoPath << " hangs";
        const int fd = ::open(fifoPath.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    }
    return result.get();
}

struct SpecialFiles {
    TempDir dir;
    std::string fifo = dir.file("fifo");
    std::string folder = dir.file("folder");
    std::string device = dir.file("null");
    bool haveDevice = false;
    SpecialFiles() {
        EXPECT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        EXPECT_EQ(::mkdir(folder.c_str(), 0700), 0);
        haveDevice = ::mknod(device.c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;
    }
    // Each special file with the words its message must hold.
    std::vector<std::pair<std::string, const char*>> cases() const {
        std::vector<std::pair<std::string, const char*>> all = {{fifo, "is not a regular file"},
                                                                {folder, "is a directory"}};
        if (haveDevice)
            all.emplace_back(device, "is not a regular file");
        return all;
    }
};

TEST(InputFile, RefusesAnythingButARegularFileWithoutBlocking) {
    SpecialFiles special;
    if (!special.haveDevice)
        std::printf("note: mknod not permitted, the character device case is left out\n");
    for (const auto& [path, words] : special.cases()) {
        SCOPED_TRACE(path);
        std::string error;
        const bool opened = withinSeconds(special.fifo, [&] {
            InputFile f;
            return f.open(path, &error);
        });
        EXPECT_FALSE(opened);
        EXPECT_NE(error.find(path), std::string::npos) << error;
        EXPECT_NE(error.find(words), std::string::npos) << error;
    }
    const std::string plain = special.dir.file("plain");
    writeAll(plain, "12345");
    InputFile f;
    std::string error;
    ASSERT_TRUE(f.open(plain, &error)) << error;
    EXPECT_EQ(f.size(), 5u);
    char buf[3] = {};
    EXPECT_TRUE(f.readAt(2, buf, 3));
    EXPECT_EQ(std::string(buf, 3), "345");
    EXPECT_FALSE(f.readAt(3, buf, 3)) << "a read past the end is short";
    EXPECT_FALSE(f.open(special.dir.file("missing"), &error));
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
}

TEST(InputFile, RecordingReaderAndSettingsLoadRefuseSpecialFiles) {
    SpecialFiles special;
    for (const auto& [path, words] : special.cases()) {
        SCOPED_TRACE(path);
        std::string error;
        const bool read = withinSeconds(
            special.fifo, [&] { return readRecordingFile(path, &error).has_value(); });
        EXPECT_FALSE(read);
        EXPECT_NE(error.find(words), std::string::npos) << error;
        IniStore ini;
        ini.setString("K52R_DATASET", "LOGGERNAME", "kept?");
        EXPECT_FALSE(withinSeconds(special.fifo, [&] { return ini.load(path); }));
        EXPECT_FALSE(ini.hasKey("K52R_DATASET", "LOGGERNAME")) << "a failed load leaves it empty";
    }
}

TEST(InputFile, OversizedSettingsFileIsUnreadable) {
    TempDir dir;
    const std::string path = dir.file("SettingConfig.ini");
    std::string big = "[K52R_DATASET]\nLOGGERNAME=big\n";
    while (big.size() < (4u << 20))
        big += "x\n";
    writeAll(path, big);
    IniStore ini;
    EXPECT_FALSE(ini.load(path));
    EXPECT_FALSE(ini.hasKey("K52R_DATASET", "LOGGERNAME"));
    writeAll(path, "[K52R_DATASET]\nLOGGERNAME=small\n");
    EXPECT_TRUE(ini.load(path));
    EXPECT_EQ(ini.getString("K52R_DATASET", "LOGGERNAME", ""), "small");
    EXPECT_TRUE(ini.load(dir.file("missing.ini"))) << "a missing file is an empty store";
}

#if defined(__SANITIZE_ADDRESS__)
#define QUILLMARK_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUILLMARK_UNDER_ASAN 1
#endif
#endif

TEST(InputFile, RecordingLargerThanMemoryIsAnErrorNotAnAbort) {
#ifdef QUILLMARK_UNDER_ASAN
    GTEST_SKIP() << "an address-space limit cannot be combined with AddressSanitizer";
#else
    // A sparse file whose 2^30 samples (2 GiB) are all present, read with the address space
    // limited far below that.
    TempDir dir;
    const std::string path = dir.file("huge.smpq");
    std::string fixed(kRecordingFileHeaderSize, '\0');
    putI32LE(reinterpret_cast<std::uint8_t*>(fixed.data()), 1 << 30);
    writeAll(path, fixed);
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(kRecordingFileHeaderSize + (2ull << 30))),
              0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        struct rlimit limit {};
        limit.rlim_cur = limit.rlim_max = 1ull << 30;
        ::setrlimit(RLIMIT_AS, &limit);
        try {
            std::string error;
            const bool loaded = readRecordingFile(path, &error).has_value();
            ::_exit(!loaded && error.find("memory") != std::string::npos ? 0 : 3);
        } catch (...) {
            ::_exit(4); // the allocation failure escaped the reader
        }
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status)) << "the reader died of signal " << WTERMSIG(status);
    if (WIFEXITED(status)) {
        EXPECT_EQ(WEXITSTATUS(status), 0) << "no clear memory error";
    }
#endif
}

} // namespace
