// The timedemo's figures: nearest-rank percentiles at their boundaries, the floor ratio, and JSON that
// a reader can take (the demo's path escaped).
#include "shell/Timedemo.h"

#include <gtest/gtest.h>

TEST(Timedemo, PercentilesByNearestRank_RatioToTheFloor_AndEscapedJson) {
    std::vector<TFrameSample> frames;
    for (int i = 100; i >= 1; --i) {  // out of order on purpose
        frames.push_back({static_cast<double>(i), static_cast<uint64_t>(i % 7),
                          static_cast<uint64_t>(1000 + i), static_cast<uint64_t>(300 * i),
                          static_cast<uint64_t>(200 * i)});
    }
    TTimedemoReport report = SummarizeTimedemo(frames, {4.0, 5.0, 6.0});
    EXPECT_EQ(report.Frames, 100u);
    EXPECT_DOUBLE_EQ(report.MedianMs, 50.0);
    EXPECT_DOUBLE_EQ(report.P95Ms, 95.0);
    EXPECT_DOUBLE_EQ(report.P99Ms, 99.0);
    EXPECT_DOUBLE_EQ(report.WorstMs, 100.0);
    EXPECT_NEAR(report.TotalSeconds, 5.05, 1e-9);
    EXPECT_EQ(report.DrawCallsWorst, 6u);
    EXPECT_EQ(report.TrianglesMedian, 1050u);
    EXPECT_EQ(report.TrianglesWorst, 1100u);
    EXPECT_DOUBLE_EQ(report.FloorMedianMs, 5.0);
    EXPECT_DOUBLE_EQ(report.Ratio, 10.0);
    // Fragments: the mean a frame, and shaded over passing of the whole demo.
    EXPECT_DOUBLE_EQ(report.FragmentsShaded, 300 * 50.5);
    EXPECT_DOUBLE_EQ(report.FragmentsPassed, 200 * 50.5);
    EXPECT_DOUBLE_EQ(report.FragmentRatio, 1.5);
    EXPECT_DOUBLE_EQ(SummarizeTimedemo({{1.0, 1, 1}}, {1.0}).FragmentRatio, 0.0);  // nothing counted
    EXPECT_DOUBLE_EQ(Percentile({7.0}, 0.99), 7.0);
    EXPECT_DOUBLE_EQ(Percentile({}, 0.5), 0.0);
    EXPECT_DOUBLE_EQ(SummarizeTimedemo(frames, {}).Ratio, 0.0);  // no floor measured: no ratio

    report.Demo = "demos/\"odd\"\\name.dem";
    const std::string json = TimedemoJson(report);
    EXPECT_NE(json.find("\"demo\": \"demos/\\\"odd\\\"\\\\name.dem\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"ratio_to_floor\": 10.000000"), std::string::npos) << json;
    EXPECT_NE(
        json.find(
            "\"fragments_shaded\": 15150.0, \"fragments_passed\": 10100.0, \"fragment_ratio\": 1.500000"),
        std::string::npos)
        << json;
    EXPECT_NE(TimedemoText(report).find("ratio to floor    10.00"), std::string::npos);
    EXPECT_NE(TimedemoText(report).find("shaded 15150  passing depth 10100  ratio 1.50"), std::string::npos);
}
