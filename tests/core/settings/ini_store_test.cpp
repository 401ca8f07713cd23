#include "core/settings/ini_store.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace quillmark {
namespace {

namespace fs = std::filesystem;

class TempDir {
public:
    TempDir() {
        std::string tmpl = (fs::temp_directory_path() / "quillmark_ini_XXXXXX").string();
        path_ = ::mkdtemp(tmpl.data());
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const fs::path& p, const std::string& text) {
    std::ofstream out(p, std::ios::binary);
    out << text;
}

TEST(IniStore, MissingKeysAndSectionsGiveTheDefault) {
    IniStore ini;
    ini.loadFromString("[K52R_DATASET]\nMODEL=1\n");
    EXPECT_EQ(ini.getInt("K52R_DATASET", "SAMPLERATE", 7), 7);
    EXPECT_EQ(ini.getInt("OTHER", "MODEL", -5), -5);
    EXPECT_EQ(ini.getString("K52R_DATASET", "LOGGERNAME", "loggername"), "loggername");
    EXPECT_DOUBLE_EQ(ini.getDouble("K52R_DATASET", "LOWALARM", 1.5), 1.5);
    EXPECT_EQ(ini.getInt("K52R_DATASET", "MODEL", 2), 1);
}

TEST(IniStore, PresentButEmptyStringStaysEmpty) {
    IniStore ini;
    ini.loadFromString("[S]\nNAME=\nSPACED =   \n");
    EXPECT_TRUE(ini.hasKey("S", "NAME"));
    EXPECT_EQ(ini.getString("S", "NAME", "fallback"), "");
    EXPECT_EQ(ini.getString("S", "SPACED", "fallback"), "");
    // An empty value has no integer in it: the default applies.
    EXPECT_EQ(ini.getInt("S", "NAME", 9), 9);
}

TEST(IniStore, IntegersAreReadAsLeadingDecimalIntegers) {
    struct Case {
        const char* value;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"12", 12},
        {"-3", -3},
        {"+4", 4},
        {"20.000000", 20},
        {"-3.5", -3},
        {"  42abc", 42},
        {"abc", 0},
        {"-", 0},
        {"0x1F", 0},
        {"2147483647", 2147483647},
        {"2147483648", 2147483647},
        {"99999999999999999999999", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"-99999999999999999999999", -2147483647 - 1},
    };
    for (const Case& c : cases) {
        IniStore ini;
        ini.loadFromString(std::string("[S]\nK=") + c.value + "\n");
        EXPECT_EQ(ini.getInt("S", "K", 77), c.expected) << "value " << c.value;
    }
}

TEST(IniStore, DecimalsAreReadAsLeadingDecimalNumbers) {
    struct Case {
        const char* value;
        double expected;
    };
    const Case cases[] = {
        {"20.000000", 20.0}, {"0.507949", 0.507949}, {"-3.5", -3.5},
        {"7", 7.0},          {"+2.25", 2.25},        {".5", 0.5},
        {"5.", 5.0},         {"1e2", 100.0},         {"1e", 1.0},
        {"3.5 m/s", 3.5},    {"abc", 0.0},           {"-", 0.0},
        {".", 0.0},          {"inf", 0.0},           {"nan", 0.0},
        {"1e999", 0.0},
    };
    for (const Case& c : cases) {
        IniStore ini;
        ini.loadFromString(std::string("[S]\nK=") + c.value + "\n");
        EXPECT_DOUBLE_EQ(ini.getDouble("S", "K", 99.0), c.expected) << "value " << c.value;
    }
}

TEST(IniStore, NamesMatchWithoutRegardToCaseAndBlanks) {
    IniStore ini;
    ini.loadFromString("[ k52r_Dataset ]\n  Model  =  4  \n");
    EXPECT_EQ(ini.getInt("K52R_DATASET", "MODEL", 0), 4);
    ini.setInt("K52R_DATASET", "model", 1);
    EXPECT_EQ(ini.toString(), "[ k52r_Dataset ]\nModel=1\n");
}

TEST(IniStore, FirstOccurrenceWinsForDuplicateSectionsAndKeys) {
    IniStore ini;
    ini.loadFromString("[S]\nK=1\nK=2\n[S]\nK=3\nL=4\n");
    EXPECT_EQ(ini.getInt("S", "K", 0), 1);
    // Only the first section of a name is searched.
    EXPECT_EQ(ini.getInt("S", "L", -1), -1);
    ini.setInt("S", "K", 9);
    EXPECT_EQ(ini.toString(), "[S]\nK=9\nK=2\n[S]\nK=3\nL=4\n");
}

TEST(IniStore, WritingCreatesSectionsAndKeysInOrder) {
    IniStore ini;
    ini.setString("A", "X", "1");
    ini.setString("A", "Y", "two");
    ini.setString("B", "Z", "");
    ini.setString("A", "X", "3");
    EXPECT_EQ(ini.toString(), "[A]\nX=3\nY=two\n\n[B]\nZ=\n");
    EXPECT_EQ(ini.getString("B", "Z", "d"), "");
}

TEST(IniStore, UnknownContentIsKeptThroughEdits) {
    const std::string text = "; top comment\n"
                             "[K52R_BKCOLOR]\n"
                             "R=255\n"
                             "G=0\n"
                             "\n"
                             "[K52R_DATASET]\n"
                             "MODEL=2\n"
                             "FUTURE=kept as is\n"
                             "; comment in section\n"
                             "\n"
                             "[Extra]\n"
                             "junk line without equals\n"
                             "a = b = c\n";
    IniStore ini;
    ini.loadFromString(text);
    EXPECT_EQ(ini.toString(), text);
    EXPECT_EQ(ini.getString("Extra", "a", ""), "b = c");

    ini.setInt("K52R_DATASET", "MODEL", 1);
    ini.setString("K52R_DATASET", "LOGGERNAME", "abc");
    const std::string expected = "; top comment\n"
                                 "[K52R_BKCOLOR]\n"
                                 "R=255\n"
                                 "G=0\n"
                                 "\n"
                                 "[K52R_DATASET]\n"
                                 "MODEL=1\n"
                                 "FUTURE=kept as is\n"
                                 "LOGGERNAME=abc\n"
                                 "; comment in section\n"
                                 "\n"
                                 "[Extra]\n"
                                 "junk line without equals\n"
                                 "a = b = c\n";
    EXPECT_EQ(ini.toString(), expected);
}

TEST(IniStore, CrLfAndByteOrderMarkAreKept) {
    IniStore ini;
    ini.loadFromString("\xEF\xBB\xBF[S]\r\nK=5\r\n");
    EXPECT_EQ(ini.getInt("S", "K", 0), 5);
    ini.setInt("S", "L", 6);
    EXPECT_EQ(ini.toString(), "\xEF\xBB\xBF[S]\r\nK=5\r\nL=6\r\n");
}

TEST(IniStore, ReadingWhatWasWrittenGivesTheSameText) {
    // Found by the fuzzer: a second mark after the first one used to vanish on a second save.
    const char* texts[] = {
        "\xEF\xBB\xBF\xEF\xBB\xBF; c\n[S]\nK=1\n",
        "[S]\nK=1\r",
        "a\r\r\nb\n",
        "x\n[S]\r\nK=\r\r\n",
        "[unclosed\nK=V",
        "",
    };
    for (const char* text : texts) {
        IniStore once;
        once.loadFromString(text);
        IniStore twice;
        twice.loadFromString(once.toString());
        EXPECT_EQ(twice.toString(), once.toString()) << text;
    }
}

TEST(IniStore, OnePairOfEnclosingQuotesIsNotPartOfTheValue) {
    const struct {
        const char* line;
        const char* text;
        std::int32_t number;
    } cases[] = {
        {R"(K="Lab 1")", "Lab 1", 0}, {R"(K="3")", "3", 3},       {R"(K='-4x')", "-4x", -4},
        {R"(K=  "7"  )", "7", 7},     {R"(K=""x"")", "\"x\"", 0}, {R"(K="")", "", 99},
        {R"(K=")", "\"", 0},          {R"(K="a')", "\"a'", 0},    {R"(K=a "b")", "a \"b\"", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        IniStore ini;
        ini.loadFromString(std::string("[S]\n") + c.line + "\n");
        EXPECT_EQ(ini.getString("S", "K", "default"), c.text);
        EXPECT_EQ(ini.getInt("S", "K", 99), c.number);
        // What is written reads back as it was set, quotes and all.
        IniStore again;
        again.setString("S", "K", c.text);
        IniStore reread;
        reread.loadFromString(again.toString());
        EXPECT_EQ(reread.getString("S", "K", "default"), c.text);
    }
}

TEST(IniStore, MixedLineEndsSurviveASave) {
    IniStore ini;
    ini.loadFromString("[S]\nA=1\r\nB=2\n");
    EXPECT_EQ(ini.getString("S", "A", ""), "1");
    EXPECT_EQ(ini.toString(), "[S]\nA=1\r\nB=2\n");
    ini.setInt("S", "A", 3);
    EXPECT_EQ(ini.toString(), "[S]\nA=3\nB=2\n");
}

TEST(IniStore, KeysThatCannotReadBackAreNotWritten) {
    IniStore ini;
    ini.setString("S", "", "1");
    ini.setString("S", "  ", "1");
    ini.setString("S", ";k", "1");
    ini.setString("S", "#k", "1");
    ini.setString("S", "[k", "1");
    EXPECT_EQ(ini.toString(), "");
    ini.setString("S", "a=b", "1"); // '=' would end the key early
    EXPECT_EQ(ini.toString(), "[S]\nab=1\n");
}

TEST(IniStore, LineBreaksCannotInjectKeys) {
    IniStore ini;
    ini.setString("S", "NAME", "evil\nMODEL=4\r\n[X]");
    EXPECT_EQ(ini.toString(), "[S]\nNAME=evilMODEL=4\r[X]\n");
    EXPECT_FALSE(ini.hasKey("S", "MODEL"));
    IniStore again;
    again.loadFromString(ini.toString());
    EXPECT_EQ(again.getString("S", "NAME", ""), "evilMODEL=4\r[X]");
    EXPECT_FALSE(again.hasKey("S", "MODEL"));
    EXPECT_FALSE(again.hasKey("X", "K"));
}

TEST(IniStore, KeysBeforeAnySectionAreNotKeys) {
    IniStore ini;
    ini.loadFromString("K=1\n[S]\n");
    EXPECT_FALSE(ini.hasKey("", "K"));
    EXPECT_FALSE(ini.hasKey("S", "K"));
    EXPECT_EQ(ini.toString(), "K=1\n[S]\n");
}

TEST(IniStore, MissingFileIsAnEmptyStore) {
    TempDir dir;
    IniStore ini;
    ini.loadFromString("[S]\nK=1\n");
    EXPECT_TRUE(ini.load((dir.path() / "none.ini").string()));
    EXPECT_EQ(ini.toString(), "");
    EXPECT_EQ(ini.getInt("S", "K", 3), 3);
}

TEST(IniStore, OnlyARegularFileIsRead) {
    // Reading a FIFO without a writer would block for ever; a device never ends.
    TempDir dir;
    const std::string fifo = (dir.path() / "fifo.ini").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string file = (dir.path() / "file").string();
    std::ofstream(file) << "[S]\nK=1\n";
    for (const std::string& path :
         {dir.path().string(), fifo, std::string("/dev/zero"), file + "/below.ini"}) {
        IniStore ini;
        ini.loadFromString("[S]\nK=1\n");
        std::string error;
        EXPECT_FALSE(ini.load(path, &error)) << path;
        EXPECT_EQ(ini.toString(), "") << path;
        EXPECT_NE(error.find(path), std::string::npos) << error;
    }
    IniStore ini;
    EXPECT_TRUE(ini.load(file));
    EXPECT_EQ(ini.getInt("S", "K", 0), 1);
}

TEST(IniStore, SaveCreatesTheFolderAndRoundTrips) {
    TempDir dir;
    const fs::path file = dir.path() / "config" / "Quillmark" / "SettingConfig.ini";
    IniStore ini;
    ini.loadFromString("[Keep]\nA=1\n");
    ini.setString("K52R_DATASET", "LOGGERNAME", "Name 1");
    std::string error;
    ASSERT_TRUE(ini.save(file.string(), &error)) << error;
    EXPECT_EQ(readFile(file), "[Keep]\nA=1\n\n[K52R_DATASET]\nLOGGERNAME=Name 1\n");

    IniStore back;
    ASSERT_TRUE(back.load(file.string()));
    EXPECT_EQ(back.getString("K52R_DATASET", "LOGGERNAME", ""), "Name 1");
    EXPECT_EQ(back.getInt("Keep", "A", 0), 1);
    // Nothing but the file is left in the folder.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(file.parent_path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

TEST(IniStore, SaveReplacesTheFileAndKeepsItsPermissions) {
    TempDir dir;
    const fs::path file = dir.path() / "s.ini";
    writeFile(file, "[S]\nK=1\nOTHER=x\n");
    ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
    IniStore ini;
    ASSERT_TRUE(ini.load(file.string()));
    ini.setInt("S", "K", 2);
    ASSERT_TRUE(ini.save(file.string()));
    EXPECT_EQ(readFile(file), "[S]\nK=2\nOTHER=x\n");
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(IniStore, SaveThroughASymlinkReplacesTheTarget) {
    TempDir dir;
    const fs::path real = dir.path() / "real.ini";
    const fs::path link = dir.path() / "link.ini";
    writeFile(real, "[S]\nK=1\n");
    fs::create_symlink(real, link);
    IniStore ini;
    ASSERT_TRUE(ini.load(link.string()));
    ini.setInt("S", "K", 5);
    ASSERT_TRUE(ini.save(link.string()));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readFile(real), "[S]\nK=5\n");
}

TEST(IniStore, SaveFailureIsReported) {
    TempDir dir;
    // The folder cannot be created because a plain file holds its name.
    const fs::path blocker = dir.path() / "blocker";
    writeFile(blocker, "not a folder");
    IniStore ini;
    ini.setInt("S", "K", 2);
    std::string error;
    EXPECT_FALSE(ini.save((blocker / "sub" / "s.ini").string(), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(readFile(blocker), "not a folder");

    // The target is a folder: the rename fails and no temporary file is left behind.
    const fs::path folder = dir.path() / "folder.ini";
    fs::create_directory(folder);
    error.clear();
    EXPECT_FALSE(ini.save(folder.string(), &error));
    EXPECT_FALSE(error.empty());
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 2);
}

class EnvGuard {
public:
    explicit EnvGuard(const char* name) : name_(name) {
        const char* v = std::getenv(name);
        had_ = v != nullptr;
        if (had_) {
            old_ = v;
        }
    }
    ~EnvGuard() {
        if (had_) {
            ::setenv(name_, old_.c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }

private:
    const char* name_;
    bool had_ = false;
    std::string old_;
};

TEST(SettingsIniPath, FollowsXdgConfigHomeThenHome) {
    EnvGuard xdg("XDG_CONFIG_HOME");
    EnvGuard home("HOME");
    ::setenv("XDG_CONFIG_HOME", "/config-root/xdg", 1);
    ::setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(settingsIniPath(), "/config-root/xdg/Quillmark/SettingConfig.ini");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(settingsIniPath(), "/home/someone/.config/Quillmark/SettingConfig.ini");
    // A relative XDG_CONFIG_HOME is invalid and ignored.
    ::setenv("XDG_CONFIG_HOME", "relative", 1);
    EXPECT_EQ(settingsIniPath(), "/home/someone/.config/Quillmark/SettingConfig.ini");
}

} // namespace
} // namespace quillmark
