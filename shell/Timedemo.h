// The figures of a timedemo: a demo replayed as fast as the machine allows, then the floor frame (clear,
// one full-screen textured quad, present) the same number of times in the same window. Times are
// milliseconds of wall time per frame (update, draw and present); percentiles are nearest-rank.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TFrameSample {
    double Ms = 0.0;
    uint64_t DrawCalls = 0;
    uint64_t Triangles = 0;
    uint64_t FragmentsShaded = 0;  // 0 when the device does not count them
    uint64_t FragmentsPassed = 0;
};

struct TTimedemoReport {
    std::string Demo;
    int Width = 0;  // the window's client size
    int Height = 0;
    uint64_t Frames = 0;
    double TotalSeconds = 0.0;
    double MedianMs = 0.0;
    double P95Ms = 0.0;
    double P99Ms = 0.0;
    double WorstMs = 0.0;
    uint64_t DrawCallsMedian = 0;
    uint64_t DrawCallsWorst = 0;
    uint64_t TrianglesMedian = 0;
    uint64_t TrianglesWorst = 0;
    // Fragments a frame, on average: handed to the pixel stage, and passing the depth test; their
    // ratio (0 when nothing was counted).
    double FragmentsShaded = 0.0;
    double FragmentsPassed = 0.0;
    double FragmentRatio = 0.0;
    double FloorMedianMs = 0.0;
    double Ratio = 0.0;  // MedianMs / FloorMedianMs
    std::string Digest;  // the world's digest at the end (world/WorldDigest.h)
};

// The value at `fraction` (0..1) of the sorted values by nearest rank; 0 for no values.
double Percentile(std::vector<double> values, double fraction);

TTimedemoReport SummarizeTimedemo(const std::vector<TFrameSample>& frames,
                                  const std::vector<double>& floorMs);
// A small table, one figure a line.
std::string TimedemoText(const TTimedemoReport& report);
// The same as one JSON object.
std::string TimedemoJson(const TTimedemoReport& report);
