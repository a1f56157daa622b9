#include "shell/Languages.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string Lines(const std::string& prefix, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += prefix + std::to_string(i) + "\r\n";
    }
    return text;
}

// Converts UTF-8 to Windows-1251 with the system's iconv, an oracle independent of our byte escapes.
std::string ToCp1251(const std::string& utf8) {
    const std::string command = "printf '%s' '" + utf8 + "' | iconv -f UTF-8 -t CP1251";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return std::string();
    }
    std::string out;
    char buffer[256];
    for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        out.append(buffer, got);
    }
    pclose(pipe);
    return out;
}

}  // namespace

TEST(Languages, ShortestFileDecidesTheCountAndIsNamed) {
    TLanguages table;
    std::string error;
    EXPECT_FALSE(table.LoadFromBytes(Lines("u", 40), Lines("r", 41), Lines("e", 39), error));
    EXPECT_EQ(
        error,
        "the English text ends after 39 lines, but the Ukrainian text goes on: the lines after that have no "
        "translation and are left out");
    EXPECT_EQ(table.Count(), 39u);
    EXPECT_EQ(table.GetText("e38", 0), "u38");
    EXPECT_EQ(table.GetText("e38", 1), "r38");
    EXPECT_EQ(table.GetText("e38", 2), "e38");
    EXPECT_EQ(table.GetText("e39", 2), "");
}

TEST(Languages, LinesKeepTheirBlanksAndLastLineNeedsNoLineEnd) {
    TLanguages table;
    std::string error;
    EXPECT_TRUE(table.LoadFromBytes("  Грати \r\nДва", "Play  \r\nTwo", " Play\r\nTwo", error)) << error;
    ASSERT_EQ(table.Count(), 2u);
    EXPECT_EQ(table.GetText(" Play", 0), "  Грати ");
    EXPECT_EQ(table.GetText(" Play", 1), "Play  ");
    EXPECT_EQ(table.GetText("Play", 0), "");
    EXPECT_EQ(table.GetText("Two", 0), "Два");
}

TEST(Languages, KeysAreExactAndFirstMatchWins) {
    TLanguages table;
    std::string error;
    table.LoadFromBytes("a\r\nb\r\nc\r\n", "A\r\nB\r\nC\r\n", "OK\r\nok\r\nOK\r\n", error);
    EXPECT_EQ(table.GetText("OK", 0), "a");
    EXPECT_EQ(table.GetText("ok", 1), "B");
    EXPECT_EQ(table.GetText("Ok", 2), "");
}

TEST(Languages, EmptyLinesAreMessagesToo) {
    TLanguages table;
    std::string error;
    table.LoadFromBytes("x\r\n\r\ny", "x\r\n\r\ny", "k\r\n\r\nlast", error);
    EXPECT_EQ(table.Count(), 3u);
    EXPECT_EQ(table.GetText("last", 0), "y");
}

TEST(Languages, EmptyTableAndBadLanguageGiveEmpty) {
    TLanguages empty;
    EXPECT_EQ(empty.GetText("Play", 0), "");
    TLanguages table;
    std::string error;
    table.LoadFromBytes("u", "r", "Play", error);
    EXPECT_EQ(table.GetText("Play", 3), "");
    EXPECT_EQ(table.GetText("Play", -1), "");
    table.LoadFromBytes("", "r", "Play", error);
    EXPECT_EQ(table.Count(), 0u);
}

TEST(Languages, MissingFileIsAnErrorAndLeavesTheTableEmpty) {
    TLanguages table;
    std::string error;
    table.LoadFromBytes("u", "r", "Play", error);
    EXPECT_FALSE(table.LoadFromFiles(files::TDataRoot("."), "/nonexistent/Ukrainian.txt",
                                     "/nonexistent/Russian.txt", "/nonexistent/English.txt", error));
    EXPECT_NE(error.find("Ukrainian.txt"), std::string::npos) << error;
    EXPECT_EQ(table.Count(), 0u);
}

TEST(Languages, LanguageNameKeysAreWindows1251) {
    EXPECT_EQ(std::string(kKeyUkrainianName), ToCp1251("Українська"));
    EXPECT_EQ(std::string(kKeyRussianName), ToCp1251("Русский"));
}
