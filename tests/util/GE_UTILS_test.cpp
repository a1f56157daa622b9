#include "util/GE_UTILS.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> AllTokens(std::string text) {
    TTextSource source(std::move(text));
    std::vector<std::string> tokens;
    for (std::string t = ReadToken(source); !t.empty(); t = ReadToken(source)) {
        tokens.push_back(t);
    }
    return tokens;
}

}  // namespace

TEST(ReadToken, SplitsOnBlanksAndEndsEmpty) {
    TTextSource source(std::string("  Windowed = true\r\n"));
    EXPECT_EQ(ReadToken(source), "Windowed");
    EXPECT_EQ(ReadToken(source), "=");
    EXPECT_EQ(ReadToken(source), "true");
    EXPECT_EQ(ReadToken(source), "");
    EXPECT_TRUE(source.Eof());
    EXPECT_EQ(ReadToken(source), "");
}

TEST(ReadToken, AllFourBlanksSeparateAndLinesHaveNoMeaning) {
    EXPECT_EQ(AllTokens("a\tb\nc\rd e\r\n\r\n  f"), (std::vector<std::string>{"a", "b", "c", "d", "e", "f"}));
    EXPECT_EQ(AllTokens("x:=1 : ="), (std::vector<std::string>{"x:=1", ":", "="}));
}

TEST(ReadToken, ConsumesExactlyOneBlankAfterToken) {
    TTextSource source(std::string("ab  cd"));
    EXPECT_EQ(ReadToken(source), "ab");
    EXPECT_EQ(source.Position(), 3u);
    EXPECT_EQ(ReadLine(source), " cd");
}

TEST(ReadToken, KeepsHighBytesAndOtherControls) {
    const std::string cyrillic = "\xD0\xF3\xF1\xF1\xEA\xE8\xE9";
    EXPECT_EQ(AllTokens(cyrillic + " \x01z\v"), (std::vector<std::string>{cyrillic, "\x01z\v"}));
}

TEST(ReadToken, EmptyAndBlankOnlyInput) {
    EXPECT_TRUE(AllTokens("").empty());
    EXPECT_TRUE(AllTokens(" \r\n\t ").empty());
}

TEST(ReadLine, AcceptsCrLfLfAndLoneCr) {
    TTextSource source(std::string("one two\r\nthree\nfour\rfive"));
    EXPECT_EQ(ReadLine(source), "one two");
    EXPECT_EQ(ReadLine(source), "three");
    EXPECT_EQ(ReadLine(source), "four");
    EXPECT_FALSE(source.Eof());
    EXPECT_EQ(ReadLine(source), "five");
    EXPECT_TRUE(source.Eof());
    EXPECT_EQ(ReadLine(source), "");
}

TEST(ReadLine, EmptyLinesAndTrailingLineEnd) {
    TTextSource source(std::string("\r\n  \r\n"));
    EXPECT_EQ(ReadLine(source), "");
    EXPECT_EQ(ReadLine(source), "  ");
    EXPECT_TRUE(source.Eof());
}

TEST(TextSource, LineCountsLineEnds) {
    TTextSource source(std::string("a\r\nb\nc\rd"));
    EXPECT_EQ(source.Line(), 1);
    ReadLine(source);
    EXPECT_EQ(source.Line(), 2);
    ReadLine(source);
    ReadLine(source);
    EXPECT_EQ(source.Line(), 4);
}

TEST(ParseInteger, AcceptsDecimalWithSign) {
    int32_t v = 0;
    EXPECT_TRUE(ParseInteger("150", v));
    EXPECT_EQ(v, 150);
    EXPECT_TRUE(ParseInteger("-7", v));
    EXPECT_EQ(v, -7);
    EXPECT_TRUE(ParseInteger("+12", v));
    EXPECT_EQ(v, 12);
    EXPECT_TRUE(ParseInteger("2147483647", v));
    EXPECT_EQ(v, 2147483647);
    EXPECT_TRUE(ParseInteger("-2147483648", v));
    EXPECT_EQ(v, -2147483647 - 1);
}

TEST(ParseInteger, RejectsEverythingElseAndKeepsValue) {
    int32_t v = 42;
    for (const char* bad : {"", "-", "+", "1.5", "12a", "a12", " 1", "0x10", "2147483648", "-2147483649",
                            "99999999999999999999"}) {
        EXPECT_FALSE(ParseInteger(bad, v)) << bad;
        EXPECT_EQ(v, 42) << bad;
    }
}

TEST(Paths, FileNamePart) {
    EXPECT_EQ(ExtractFileNamePart("Data\\Meshes\\player.x"), "player.x");
    EXPECT_EQ(ExtractFileNamePart("player.x"), "player.x");
    EXPECT_EQ(ExtractFileNamePart("Data/Maps/one.txt"), "one.txt");
    EXPECT_EQ(ExtractFileNamePart("Data\\Meshes/"), "");
    EXPECT_EQ(ExtractFileNamePart("Data/Meshes\\a.x"), "a.x");
    EXPECT_EQ(ExtractFileNamePart(""), "");
}

TEST(Paths, DirPart) {
    EXPECT_EQ(ExtractDirPart("Data/Maps/one.txt"), "Data/Maps/");
    EXPECT_EQ(ExtractDirPart("Data\\Meshes\\player.x"), "Data\\Meshes\\");
    EXPECT_EQ(ExtractDirPart("player.x"), "");
    EXPECT_EQ(ExtractDirPart("Data\\Meshes/a.x"), "Data\\Meshes/");
    EXPECT_EQ(ExtractDirPart("/"), "/");
}

TEST(ScreenSpace, CornersAndSizes) {
    EXPECT_EQ(PixelToNdcX(0, 800), -1.0f);
    EXPECT_EQ(PixelToNdcY(0, 600), 1.0f);
    EXPECT_EQ(PixelToNdcX(800, 800), 1.0f);
    EXPECT_EQ(PixelToNdcY(600, 600), -1.0f);
    EXPECT_EQ(PixelToNdcX(400, 800), 0.0f);
    EXPECT_FLOAT_EQ(PixelToNdcX(200, 800), -0.5f);
    EXPECT_FLOAT_EQ(PixelToNdcY(150, 600), 0.5f);
    EXPECT_FLOAT_EQ(SizeToNdcW(200, 800), 0.5f);
    EXPECT_FLOAT_EQ(SizeToNdcH(300, 600), 1.0f);
    EXPECT_FLOAT_EQ(SizeToNdcW(1, 3), 2.0f / 3.0f);  // divides in floating point, not integers
}

TEST(ScreenSpace, ZeroSizeGivesZero) {
    EXPECT_EQ(PixelToNdcX(5, 0), 0.0f);
    EXPECT_EQ(PixelToNdcY(5, 0), 0.0f);
    EXPECT_EQ(SizeToNdcW(5, 0), 0.0f);
    EXPECT_EQ(SizeToNdcH(5, 0), 0.0f);
}

namespace {
// An element that counts its own destruction.
struct Counted {
    Counted(int id, int& freed) : Id(id), Freed(freed) {}
    ~Counted() { ++Freed; }
    int Id;
    int& Freed;
};

std::vector<int> Ids(const TListPointer<Counted>& list) {
    std::vector<int> ids;
    for (uint16_t i = 0; i < list.Count(); ++i) {
        ids.push_back(list.Item(i)->Id);
    }
    return ids;
}
}  // namespace

TEST(ListPointer, DeleteMovesTheLastIntoTheSlotAndFreesTheElement) {
    int freed = 0;
    TListPointer<Counted> list;
    Counted* first = list.Add(std::make_unique<Counted>(1, freed));
    list.Add(std::make_unique<Counted>(2, freed));
    Counted* last = list.Add(std::make_unique<Counted>(3, freed));
    ASSERT_EQ(Ids(list), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(first->Id, 1);
    list.Delete(0);
    EXPECT_EQ(freed, 1);
    EXPECT_EQ(Ids(list), (std::vector<int>{3, 2}));
    EXPECT_EQ(list.Item(0), last);  // moved, not copied: pointers to the element stay good
    list.Delete(1);
    list.Delete(1);  // past the end: nothing
    list.Delete(65535);
    EXPECT_EQ(Ids(list), (std::vector<int>{3}));
    EXPECT_EQ(list.Item(1), nullptr);
    EXPECT_EQ(freed, 2);
}

TEST(ListPointer, ClearAndTheListsEndFreeEveryElement) {
    int freed = 0;
    {
        TListPointer<Counted> list;
        list.Add(std::make_unique<Counted>(1, freed));
        list.Add(std::make_unique<Counted>(2, freed));
        list.Clear();
        EXPECT_EQ(freed, 2);
        EXPECT_EQ(list.Count(), 0u);
        list.Add(std::make_unique<Counted>(3, freed));
    }
    EXPECT_EQ(freed, 3);
}

TEST(QuoteForMessage, EscapesWhatATerminalWouldActOnAndKeepsText) {
    EXPECT_EQ(QuoteForMessage("width"), "\"width\"");
    EXPECT_EQ(QuoteForMessage(std::string("\x1b[2J\0\x7f\n", 7)), "\"\\x1B[2J\\x00\\x7F\\x0A\"");
    EXPECT_EQ(QuoteForMessage("a\"b\\c"), "\"a\\\"b\\\\c\"");
    // UTF-8 stands; Windows-1251 Cyrillic is shown as UTF-8; a lone continuation byte is escaped.
    EXPECT_EQ(QuoteForMessage("\xd0\xa0\xd1\x96\xd0\xb2\xd0\xb5\xd0\xbd\xd1\x8c"), "\"Рівень\"");
    EXPECT_EQ(QuoteForMessage("\xd0\xb3\xe2\xe5\xed\xfc \xaa \x01"), "\"Рівень Є \\x01\"");
    EXPECT_EQ(QuoteForMessage("\x80\x81"), "\"\\x80\\x81\"");
}

TEST(QuoteForMessage, CutsLongQuotesWithoutSplittingACharacter) {
    EXPECT_EQ(QuoteForMessage(std::string(100, 'x'), 10), "\"xxxxxxxxxx\"...");
    EXPECT_EQ(QuoteForMessage("abc", 3), "\"abc\"");
    EXPECT_EQ(QuoteForMessage("ab\xd0\xa0", 3), "\"ab\"...");
}

TEST(QuoteForMessage, PathsKeepTheirBackslashes) {
    EXPECT_EQ(QuotePathForMessage("Data\\maps\\level1.txt"), "\"Data\\maps\\level1.txt\"");
    EXPECT_EQ(QuotePathForMessage("Data/\x07\"x"), "\"Data/\\x07\\\"x\"");
}

TEST(FillPlaceholders, EachMarkTakesItsValueInAnyOrderAndAValueIsNotReadAgain) {
    EXPECT_EQ(FillPlaceholders("%2 and %1, %1", {"a", "b"}), "b and a, a");
    EXPECT_EQ(FillPlaceholders("%1", {"%2", "x"}), "%2");  // a value holding a mark stays as it is
    EXPECT_EQ(FillPlaceholders("%10 %1", {"one", "", "", "", "", "", "", "", "", "ten"}), "ten one");
    EXPECT_EQ(FillPlaceholders("no marks %3", {"a"}), "no marks %3");
}
