// Replays the INI fuzzer's seed corpus through the same checks the fuzzer makes.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#define QUILLMARK_FUZZ_REPLAY 1
#include "../../../fuzz/fuzz_ini.cpp"

namespace {
int g_failedChecks = 0;
void fuzzCheckFailed(int line) {
    ++g_failedChecks;
    ADD_FAILURE() << "fuzzer check failed at fuzz_ini.cpp line " << line;
}
} // namespace

namespace quillmark {
namespace {

namespace fs = std::filesystem;

// The seed corpus lives beside the fuzzer, not under the test data folder (__FILE__ may be
// relative to the build folder, so the path starts from the data folder's).
fs::path corpusDir() {
    return fs::path(QUILLMARK_TEST_DATA).parent_path().parent_path() / "fuzz" / "corpus" / "ini";
}

std::string readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(IniFuzzCorpus, EverySeedPassesTheFuzzerChecks) {
    const fs::path dir = corpusDir();
    ASSERT_TRUE(fs::is_directory(dir)) << dir;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.is_regular_file()) {
            files.push_back(entry.path());
        }
    }
    ASSERT_GE(files.size(), 4u);
    for (const fs::path& file : files) {
        const std::string text = readAll(file);
        g_failedChecks = 0;
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
        EXPECT_EQ(g_failedChecks, 0) << file.filename();
    }
}

TEST(IniFuzzCorpus, OddValuesSeedReadsAsExpected) {
    const fs::path file = corpusDir() / "odd_values.ini";
    ASSERT_TRUE(fs::is_regular_file(file)) << file;
    IniStore ini;
    ASSERT_TRUE(ini.load(file.string()));
    LoggerSettings s;
    s.load(ini, 86);
    EXPECT_EQ(s.startMode, 4); // the first section of the name wins
    EXPECT_EQ(s.loggerName, "");
    EXPECT_EQ(s.pointsIndex, 0);
    EXPECT_EQ(s.rateIndex, 1);
    EXPECT_EQ(s.alarmLow, -3.5f);
    EXPECT_EQ(s.alarmHigh, 0.0f);
    EXPECT_EQ(s.unitIndex, 0);
}

TEST(IniFuzzCorpus, ChecksCatchABrokenRoundTrip) {
    // The replay hook is live: a failing check is counted, not lost.
    g_failedChecks = 0;
    EXPECT_NONFATAL_FAILURE(check(false), "fuzzer check failed");
    EXPECT_EQ(g_failedChecks, 1);
    g_failedChecks = 0;
}

} // namespace
} // namespace quillmark
