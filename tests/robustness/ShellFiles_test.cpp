// The start-up text files under damage: "Data/Config.txt", the options file, the three language
// files, the table of records and the level list, plus the tokenizer they all share.
#include <gtest/gtest.h>

#include <charconv>
#include <string>
#include <vector>

#include "shell/Config.h"
#include "shell/Languages.h"
#include "shell/Levels.h"
#include "shell/TableOfRecords.h"
#include "tests/robustness/Mutations.h"
#include "util/GE_UTILS.h"

using namespace robustness;

namespace {

TEST(Tokenizer_Damaged, EveryTokenAndLineComesFromTheBytesAndTheEndIsReached) {
    const std::string level = ReadShipped("Data/maps/level1.txt");
    std::vector<Case> cases = TextMutations(level.substr(0, 2000), 11, 300, 100);
    for (const Case& c : cases) {
        TTextSource tokens{c.bytes};
        std::size_t taken = 0;
        for (std::string t = ReadToken(tokens); !t.empty(); t = ReadToken(tokens)) {
            taken += t.size();
            ASSERT_NE(c.bytes.find(t), std::string::npos) << c.what;
        }
        EXPECT_TRUE(tokens.Eof()) << c.what;
        EXPECT_LE(taken, c.bytes.size()) << c.what;

        TTextSource lines{c.bytes};
        std::size_t count = 0;
        while (!lines.Eof()) {
            const std::size_t before = lines.Position();
            ReadLine(lines);
            ASSERT_GT(lines.Position(), before) << "ReadLine did not move on: " << c.what;
            ++count;
        }
        EXPECT_LE(count, c.bytes.size()) << c.what;
    }
}

// std::from_chars is the oracle for the plain decimal form ParseInteger accepts.
TEST(ParseInteger_Damaged, AgreesWithFromCharsOnEveryHostileNumber) {
    std::vector<std::string> tokens = HostileNumbers();
    for (const char* extra : {"+5", "+", "007", "-007", "2147483647 ", " 1", "12a", "\xd9\x0a"}) {
        tokens.push_back(extra);
    }
    for (const std::string& token : tokens) {
        std::string_view digits = token;
        if (!digits.empty() && digits[0] == '+' && digits.size() > 1 && digits[1] != '-') {
            digits.remove_prefix(1);
        }
        int32_t expected = 0;
        const auto [end, status] = std::from_chars(digits.data(), digits.data() + digits.size(), expected);
        const bool oracle = !digits.empty() && status == std::errc() && end == digits.data() + digits.size();
        int32_t value = 12345;
        EXPECT_EQ(ParseInteger(token, value), oracle) << "\"" << token << "\"";
        if (oracle) {
            EXPECT_EQ(value, expected) << "\"" << token << "\"";
        }
    }
}

TEST(Config_Damaged, FailsWithTheFileNamedOrReadsAllFiveValues) {
    const std::string text = ReadShipped("Data/Config.txt");
    ASSERT_FALSE(text.empty());
    ExpectNamedFailures(TextMutations(text, 21, 400, 200), "Data/Config.txt", [](const std::string& bytes) {
        TGameState state;
        Outcome o;
        o.ok = ParseConfig(bytes, "Data/Config.txt", state, o.message);
        return o;
    });
}

TEST(Options_Damaged, FailsWithTheFileNamedOrKeepsTheSizeInRange) {
    const std::string text = ReadShipped("Data/options.txt");
    ASSERT_FALSE(text.empty());
    ExpectNamedFailures(TextMutations(text, 31, 400, 200), "Data/options.txt", [](const std::string& bytes) {
        TGameState state;
        Outcome o;
        o.ok = ParseOptions(bytes, "Data/options.txt", state, o.message);
        if (o.ok && (state.ScreenWidth < 1 || state.ScreenWidth > 16384 || state.ScreenHeight < 1 ||
                     state.ScreenHeight > 16384 || state.Language > kLanguageEnglish)) {
            ADD_FAILURE() << "accepted an out-of-range option: " << state.ScreenWidth << " x "
                          << state.ScreenHeight << ", language " << int(state.Language);
        }
        return o;
    });
}

// The language table must stay as long as the shortest text, and says so when the texts differ.
TEST(Languages_Damaged, TheTableIsNeverLongerThanTheShortestText) {
    const std::string ukrainian = ReadShipped("Data/Ukrainian.txt");
    const std::string russian = ReadShipped("Data/Russian.txt");
    const std::string english = ReadShipped("Data/English.txt");
    std::vector<Case> cases = TextMutations(english, 41, 400, 50);
    for (const Case& c : cases) {
        TLanguages languages;
        std::string error;
        const bool ok = languages.LoadFromBytes(ukrainian, russian, c.bytes, error);
        std::size_t lines = 0;
        TTextSource source{c.bytes};
        while (!source.Eof()) {
            ReadLine(source);
            ++lines;
        }
        EXPECT_LE(languages.Count(), lines) << c.what;
        EXPECT_EQ(ok, error.empty()) << c.what;
        EXPECT_EQ(languages.GetText("", 5), "") << c.what;
        EXPECT_EQ(languages.GetText("", -1), "") << c.what;
    }
}

TEST(Languages_Missing, TheMessageNamesTheMissingFile) {
    TLanguages languages;
    std::string error;
    EXPECT_FALSE(languages.LoadFromFiles(files::TDataRoot("."), "Data/No_Ukrainian.txt", "Data/Russian.txt",
                                         "Data/English.txt", error));
    EXPECT_NE(error.find("No_Ukrainian.txt"), std::string::npos) << error;
    EXPECT_EQ(languages.Count(), 0u);
}

TEST(TableOfRecords_Damaged, FailsWithTheFileNamedOrKeepsFiveRows) {
    const std::string text =
        "Alice\r\n900\r\nBob\r\n800\r\nCarol\r\n700\r\nDave\r\n600\r\n\xC8\xE2\xE0\xED\r\n500\r\n";
    ExpectNamedFailures(TextMutations(text, 51, 400, 200), "Data\\table_of_records.txt",
                        [](const std::string& bytes) {
                            TTable_of_records table;
                            Outcome o;
                            o.ok = table.LoadFromBytes(bytes, "Data\\table_of_records.txt", o.message);
                            for (int row = 0; row < TTable_of_records::kRows; ++row) {
                                table.GetName(row);
                            }
                            return o;
                        });
}

TEST(Levels_Damaged, FailsWithTheFileNamedOrListsAtMost255Levels) {
    const std::string text = ReadShipped("Data/maps/levels.txt");
    ASSERT_FALSE(text.empty());
    ExpectNamedFailures(TextMutations(text, 61, 600, 300), "data\\maps\\levels.txt",
                        [](const std::string& bytes) {
                            TLevels levels;
                            Outcome o;
                            o.ok = levels.LoadFromBytes(bytes, "data\\maps\\levels.txt", o.message);
                            if (!o.ok && levels.Count() != 0) {
                                ADD_FAILURE() << "a failed list keeps " << int(levels.Count()) << " levels";
                            }
                            return o;
                        });
}

TEST(Levels_Hostile, AHugeLevelCountIsRefusedBeforeAnythingIsRead) {
    for (const char* count : {"1000000000", "256", "-1", "2147483648", "x", ""}) {
        TLevels levels;
        std::string error;
        EXPECT_FALSE(
            levels.LoadFromBytes(std::string(count) + "\nL 1 a.txt K 1 K 1 K 1 K 1\n", "levels.txt", error))
            << count;
        EXPECT_NE(error.find("levels.txt"), std::string::npos) << error;
    }
}

}  // namespace
