#include "shell/TableOfRecords.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "util/Files.h"

namespace {

std::vector<int32_t> Scores(const TTable_of_records& table) {
    std::vector<int32_t> s;
    for (int i = 0; i < TTable_of_records::kRows; ++i) {
        s.push_back(table.GetScore(i));
    }
    return s;
}

}  // namespace

TEST(Records, StartsWithFiveUnnamedZeroRows) {
    TTable_of_records table;
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(table.GetName(i), "Unnamed");
        EXPECT_EQ(table.GetScore(i), 0);
    }
    EXPECT_EQ(table.GetName(5), "");
    EXPECT_EQ(table.GetScore(5), 0);
    EXPECT_EQ(table.GetName(-1), "");
}

TEST(Records, EqualScoresGoAfterExistingOnes) {
    TTable_of_records table;
    table.AddRecord("a", 500);
    table.AddRecord("b", 300);
    table.AddRecord("c", 300);
    EXPECT_EQ(Scores(table), (std::vector<int32_t>{500, 300, 300, 0, 0}));
    EXPECT_EQ(table.GetName(1), "b");
    EXPECT_EQ(table.GetName(2), "c");
    table.AddRecord("zero", 0);
    EXPECT_EQ(Scores(table), (std::vector<int32_t>{500, 300, 300, 0, 0}));
    EXPECT_EQ(table.GetName(3), "Unnamed");
}

TEST(Records, FullTableDropsTheFifthRowAndIgnoresLowOrEqualScores) {
    TTable_of_records table;
    for (int s : {10, 20, 30, 40, 50}) {
        table.AddRecord("p" + std::to_string(s), s);
    }
    EXPECT_EQ(Scores(table), (std::vector<int32_t>{50, 40, 30, 20, 10}));
    table.AddRecord("low", 5);
    table.AddRecord("tie", 10);
    EXPECT_EQ(Scores(table), (std::vector<int32_t>{50, 40, 30, 20, 10}));
    EXPECT_EQ(table.GetName(4), "p10");
    table.AddRecord("top", 60);
    EXPECT_EQ(Scores(table), (std::vector<int32_t>{60, 50, 40, 30, 20}));
    EXPECT_EQ(table.GetName(0), "top");
    table.AddRecord("mid", 35);
    EXPECT_EQ(Scores(table), (std::vector<int32_t>{60, 50, 40, 35, 30}));
}

TEST(Records, NegativeScoreOnInitialTableChangesNothing) {
    TTable_of_records table;
    table.AddRecord("neg", -5);
    EXPECT_EQ(Scores(table), (std::vector<int32_t>{0, 0, 0, 0, 0}));
}

TEST(Records, LineEndsInNamesBecomeBlanks) {
    TTable_of_records table;
    table.AddRecord("two\r\nlines", 10);
    EXPECT_EQ(table.GetName(0), "two  lines");
    TTable_of_records read;
    std::string error;
    EXPECT_TRUE(read.LoadFromBytes(table.Format(), "t", error));
    EXPECT_EQ(read.GetName(0), "two  lines");
    EXPECT_EQ(read.GetScore(0), 10);
}

TEST(Records, FormatIsTenCrLfLines) {
    TTable_of_records table;
    table.AddRecord("\xCE\xEB\xE5\xE3", 120);  // a Windows-1251 name, kept as bytes
    EXPECT_EQ(table.Format(),
              "\xCE\xEB\xE5\xE3\r\n120\r\nUnnamed\r\n0\r\nUnnamed\r\n0\r\nUnnamed\r\n0\r\nUnnamed\r\n0\r\n");
}

TEST(Records, LoadReadsNamesWithBlanksAndIgnoresRestOfScoreLine) {
    TTable_of_records table;
    std::string error;
    EXPECT_TRUE(table.LoadFromBytes("Big Tank\r\n900 points\r\nb\n800\nc\r700\r\nd\r\n  600\r\ne\r\n500", "t",
                                    error));
    EXPECT_EQ(Scores(table), (std::vector<int32_t>{900, 800, 700, 600, 500}));
    EXPECT_EQ(table.GetName(0), "Big Tank");
    EXPECT_EQ(table.GetName(2), "c");
    EXPECT_EQ(table.GetName(4), "e");
}

TEST(Records, TruncatedFileKeepsRowsReadAndResetsTheRest) {
    TTable_of_records table;
    table.AddRecord("old", 999);
    std::string error;
    EXPECT_FALSE(table.LoadFromBytes("a\r\n50\r\nb\r\n40\r\nc\r\n", "Data\\table_of_records.txt", error));
    EXPECT_EQ(Scores(table), (std::vector<int32_t>{50, 40, 0, 0, 0}));
    EXPECT_EQ(table.GetName(1), "b");
    EXPECT_EQ(table.GetName(2), "Unnamed");
    EXPECT_NE(error.find("Data\\table_of_records.txt"), std::string::npos) << error;
    EXPECT_NE(error.find("row 3"), std::string::npos) << error;
}

TEST(Records, NonNumberScoreKeepsRowsReadAndNamesTheLine) {
    TTable_of_records table;
    std::string error;
    EXPECT_FALSE(table.LoadFromBytes("a\r\n50\r\nb\r\nlots\r\nc\r\n30\r\n", "t.txt", error));
    EXPECT_EQ(Scores(table), (std::vector<int32_t>{50, 0, 0, 0, 0}));
    EXPECT_EQ(table.GetName(0), "a");
    EXPECT_EQ(table.GetName(1), "Unnamed");
    EXPECT_NE(error.find("t.txt\": line 4: the score \"lots\" is not an integer"), std::string::npos)
        << error;
}

TEST(Records, EmptyFileGivesInitialRows) {
    TTable_of_records table;
    table.AddRecord("x", 5);
    std::string error;
    EXPECT_FALSE(table.LoadFromBytes("", "t", error));
    EXPECT_EQ(Scores(table), (std::vector<int32_t>{0, 0, 0, 0, 0}));
    EXPECT_NE(error.find("the file ends before the name of row 1"), std::string::npos) << error;
}

namespace {
class RecordsFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/brelvox_records_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        std::system(("mkdir -p '" + root_ + "/Data'").c_str());
    }
    void TearDown() override { std::system(("rm -rf '" + root_ + "'").c_str()); }
    std::string root_, previous_;
};
}  // namespace

TEST_F(RecordsFilesTest, MissingFileKeepsRowsSilently) {
    TTable_of_records table;
    table.AddRecord("kept", 70);
    std::string error;
    EXPECT_TRUE(table.LoadFromFile(files::TDataRoot(root_), "Data\\table_of_records.txt", error));
    EXPECT_EQ(table.GetScore(0), 70);
}

TEST_F(RecordsFilesTest, SaveThenLoadRoundTrips) {
    TTable_of_records table;
    table.AddRecord("one", 3);
    table.AddRecord("two words", 7);
    std::string error;
    ASSERT_TRUE(table.SaveToFile(files::TDataRoot(root_), "Data\\table_of_records.txt", error)) << error;
    TTable_of_records read;
    EXPECT_TRUE(read.LoadFromFile(files::TDataRoot(root_), "data/TABLE_OF_RECORDS.TXT", error));
    EXPECT_EQ(Scores(read), (std::vector<int32_t>{7, 3, 0, 0, 0}));
    EXPECT_EQ(read.GetName(0), "two words");
}

TEST_F(RecordsFilesTest, FailedSaveReportsTheFile) {
    std::system(("mkdir -p '" + root_ + "/Data/table_of_records.txt'").c_str());
    TTable_of_records table;
    std::string error;
    EXPECT_FALSE(table.SaveToFile(files::TDataRoot(root_), "Data\\table_of_records.txt", error));
    EXPECT_NE(error.find("table_of_records.txt"), std::string::npos) << error;
}

TEST(Records, ArbitraryBytesNeverBreakTheTable) {
    uint32_t seed = 99;
    auto random = [&seed](uint32_t n) {
        seed = seed * 134775813u + 1u;
        return uint32_t((uint64_t(seed) * n) >> 32);
    };
    std::string error;
    for (int round = 0; round < 500; ++round) {
        std::string bytes(random(64), '\0');
        for (char& c : bytes) {
            c = "0123456789-\r\n a\xFF"[random(16)];
        }
        TTable_of_records table;
        table.LoadFromBytes(bytes, "t", error);
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(table.GetName(i).find_first_of("\r\n"), std::string::npos);
        }
        // Whatever was read saves and reads back the same.
        TTable_of_records again;
        EXPECT_TRUE(again.LoadFromBytes(table.Format(), "t", error));
        EXPECT_EQ(again.Format(), table.Format());
    }
}
