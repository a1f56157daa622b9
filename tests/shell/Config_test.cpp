#include "shell/Config.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "util/Files.h"

namespace {

class ConfigTest : public ::testing::Test {
protected:
    TGameState state;
    std::string error;
};

// A scratch data root for the file-level cases.
class ConfigFilesTest : public ConfigTest {
protected:
    void SetUp() override {
        ConfigTest::SetUp();
        char pattern[] = "/tmp/brelvox_config_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        std::system(("mkdir -p '" + root_ + "/Data'").c_str());
    }
    void TearDown() override { std::system(("rm -rf '" + root_ + "'").c_str()); }
    std::string Slurp(const std::string& relative) {
        std::ifstream in(root_ + "/" + relative, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void Put(const std::string& relative, const std::string& text) {
        std::ofstream(root_ + "/" + relative, std::ios::binary) << text;
    }
    std::string root_, previous_;
};

}  // namespace

TEST_F(ConfigTest, ReadsFiveValuesInOrderIgnoringNames) {
    ASSERT_TRUE(ParseConfig("PlayerHealth 12\r\nBase 30\r\na 7000\r\nb 8000\r\nc 900", "Data/Config.txt",
                            state, error))
        << error;
    EXPECT_EQ(state.PlayerMaxHealth, 12);
    EXPECT_EQ(state.BaseMaxHealth, 30);
    EXPECT_EQ(state.AttackBaseTime, 7000);
    EXPECT_EQ(state.ChasePlayerTime, 8000);
    EXPECT_EQ(state.WanderTime, 900);
}

TEST_F(ConfigTest, EqualsSignBetweenNameAndValueIsAnError) {
    EXPECT_FALSE(ParseConfig("PlayerMaxHealth = 12\r\n", "Data/Config.txt", state, error));
    EXPECT_NE(error.find("Data/Config.txt"), std::string::npos) << error;
    EXPECT_NE(error.find("line 1"), std::string::npos) << error;
    EXPECT_NE(error.find("\"=\""), std::string::npos) << error;
}

TEST_F(ConfigTest, NonNumberNamesFileLineAndValueAndKeepsState) {
    EXPECT_FALSE(ParseConfig("a 1\r\nb 2\r\nc x3\r\nd 4\r\ne 5", "Data/Config.txt", state, error));
    EXPECT_NE(error.find("line 3"), std::string::npos) << error;
    EXPECT_NE(error.find("AttackBaseTime"), std::string::npos) << error;
    EXPECT_EQ(state.PlayerMaxHealth, 10);  // nothing applied from a bad file
    EXPECT_EQ(state.BaseMaxHealth, 20);
}

TEST_F(ConfigTest, EarlyEndIsAnError) {
    EXPECT_FALSE(ParseConfig("a 1 b 2 c 3 d 4 e", "cfg", state, error));
    EXPECT_NE(error.find("ends before WanderTime"), std::string::npos) << error;
    EXPECT_FALSE(ParseConfig("", "cfg", state, error));
    EXPECT_NE(error.find("\"cfg\""), std::string::npos) << error;
}

TEST_F(ConfigTest, OptionsOnlyExactTrueIsWindowed) {
    const char* text = "Windowed = True\r\nScreenWidth = 1024\r\nScreenHeight = 768\r\nLanguage = RUS";
    ASSERT_TRUE(ParseOptions(text, "opt", state, error)) << error;
    EXPECT_FALSE(state.Windowed);
    EXPECT_EQ(state.ScreenWidth, 1024);
    EXPECT_EQ(state.ScreenHeight, 768);
    EXPECT_EQ(state.Language, kLanguageRussian);
}

TEST_F(ConfigTest, OptionsLanguageCodes) {
    const std::pair<const char*, uint8_t> cases[] = {{"UKR", kLanguageUkrainian},
                                                     {"RUS", kLanguageRussian},
                                                     {"ENG", kLanguageEnglish},
                                                     {"DE", kLanguageEnglish},
                                                     {"ukr", kLanguageEnglish}};
    for (const auto& [code, expected] : cases) {
        const std::string text =
            std::string("Windowed = true ScreenWidth = 800 ScreenHeight = 600 Language = ") + code;
        ASSERT_TRUE(ParseOptions(text, "opt", state, error)) << error;
        EXPECT_EQ(state.Language, expected) << code;
        EXPECT_TRUE(state.Windowed);
    }
}

TEST_F(ConfigTest, OptionsTakeTheThirdTokenOfEachGroup) {
    ASSERT_TRUE(ParseOptions("a b true c d 640 e f 480 g h ENG", "opt", state, error)) << error;
    EXPECT_TRUE(state.Windowed);
    EXPECT_EQ(state.ScreenWidth, 640);
    EXPECT_EQ(state.ScreenHeight, 480);
    EXPECT_EQ(state.Language, kLanguageEnglish);
}

TEST_F(ConfigTest, OptionsBadValuesAreErrorsAndKeepState) {
    state.ScreenWidth = 1024;
    EXPECT_FALSE(ParseOptions("Windowed = true\r\nScreenWidth = wide\r\nScreenHeight = 600\r\nLanguage = ENG",
                              "Data\\options.txt", state, error));
    EXPECT_NE(error.find("Data\\options.txt"), std::string::npos) << error;
    EXPECT_NE(error.find("ScreenWidth"), std::string::npos) << error;
    EXPECT_EQ(state.ScreenWidth, 1024);
    EXPECT_FALSE(ParseOptions("Windowed = true\r\nScreenWidth = 0\r\nScreenHeight = 600\r\nLanguage = ENG",
                              "opt", state, error));
    EXPECT_FALSE(ParseOptions("Windowed = true\r\nScreenWidth = 800\r\nScreenHeight = -600\r\nLanguage = ENG",
                              "opt", state, error));
    EXPECT_FALSE(ParseOptions(
        "Windowed = true\r\nScreenWidth = 800\r\nScreenHeight = 600\r\nLanguage =", "opt", state, error));
    EXPECT_NE(error.find("ends before the value of Language"), std::string::npos) << error;
    EXPECT_EQ(state.ScreenWidth, 1024);
}

TEST_F(ConfigTest, FormatIsExactWithoutFinalLineEnd) {
    state.Windowed = false;
    state.ScreenWidth = 1024;
    state.ScreenHeight = 768;
    state.Language = kLanguageUkrainian;
    EXPECT_EQ(FormatOptions(state),
              "Windowed = false\r\nScreenWidth = 1024\r\nScreenHeight = 768\r\nLanguage = UKR");
    state.Windowed = true;
    state.Language = kLanguageEnglish;
    EXPECT_EQ(FormatOptions(state),
              "Windowed = true\r\nScreenWidth = 1024\r\nScreenHeight = 768\r\nLanguage = ENG");
}

TEST_F(ConfigTest, FormatThenParseGivesTheSameSettings) {
    for (uint8_t language = 0; language < 3; ++language) {
        for (bool windowed : {false, true}) {
            TGameState written;
            written.Windowed = windowed;
            written.ScreenWidth = 1024;
            written.ScreenHeight = 768;
            written.Language = language;
            TGameState read;
            ASSERT_TRUE(ParseOptions(FormatOptions(written), "opt", read, error)) << error;
            EXPECT_EQ(read.Windowed, windowed);
            EXPECT_EQ(read.ScreenWidth, 1024);
            EXPECT_EQ(read.ScreenHeight, 768);
            EXPECT_EQ(read.Language, language);
        }
    }
}

TEST_F(ConfigFilesTest, SaveGoesToTheExistingFileOfOtherCaseAndLoadsBack) {
    Put("Data/options.txt", "Windowed = true\r\nScreenWidth = 800\r\nScreenHeight = 600\r\nLanguage = UKR");
    state.Windowed = false;
    state.ScreenWidth = 1024;
    state.ScreenHeight = 768;
    state.Language = kLanguageRussian;
    ASSERT_TRUE(SaveOptions(files::TDataRoot(root_), "Data\\Options.txt", state, error)) << error;
    EXPECT_EQ(Slurp("Data/options.txt"),
              "Windowed = false\r\nScreenWidth = 1024\r\nScreenHeight = 768\r\nLanguage = RUS");
    TGameState read;
    ASSERT_TRUE(LoadOptions(files::TDataRoot(root_), "Data\\options.txt", read, error)) << error;
    EXPECT_FALSE(read.Windowed);
    EXPECT_EQ(read.Language, kLanguageRussian);
}

TEST_F(ConfigFilesTest, FirstSaveIsFoundByTheLowerCaseRead) {
    state.ScreenWidth = 1024;
    ASSERT_TRUE(SaveOptions(files::TDataRoot(root_), "Data\\Options.txt", state, error)) << error;
    TGameState read;
    ASSERT_TRUE(LoadOptions(files::TDataRoot(root_), "Data\\options.txt", read, error)) << error;
    EXPECT_EQ(read.ScreenWidth, 1024);
    ASSERT_TRUE(SaveOptions(files::TDataRoot(root_), "Data\\Options.txt", state, error)) << error;
    EXPECT_EQ(Slurp("Data/Options.txt"), FormatOptions(state));
}

TEST_F(ConfigFilesTest, MissingFilesAreErrorsNamingTheFile) {
    EXPECT_FALSE(LoadOptions(files::TDataRoot(root_), "Data\\options.txt", state, error));
    EXPECT_NE(error.find("Data\\options.txt"), std::string::npos) << error;
    EXPECT_FALSE(LoadConfig(files::TDataRoot(root_), state, error));
    EXPECT_NE(error.find("Data/Config.txt"), std::string::npos) << error;
}

TEST_F(ConfigFilesTest, LoadConfigFindsTheFileInAnyCase) {
    std::system(("mv '" + root_ + "/Data' '" + root_ + "/data'").c_str());
    Put("data/config.TXT", "a 1 b 2 c 3 d 4 e 5\r\n");
    ASSERT_TRUE(LoadConfig(files::TDataRoot(root_), state, error)) << error;
    EXPECT_EQ(state.WanderTime, 5);
}
