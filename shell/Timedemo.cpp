#include "shell/Timedemo.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    auto rank = static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(values.size())));
    rank = std::clamp<std::size_t>(rank, 1, values.size());
    return values[rank - 1];
}

TTimedemoReport SummarizeTimedemo(const std::vector<TFrameSample>& frames,
                                  const std::vector<double>& floorMs) {
    TTimedemoReport report;
    report.Frames = frames.size();
    std::vector<double> ms;
    std::vector<double> draws;
    std::vector<double> triangles;
    for (const TFrameSample& frame : frames) {
        ms.push_back(frame.Ms);
        draws.push_back(static_cast<double>(frame.DrawCalls));
        triangles.push_back(static_cast<double>(frame.Triangles));
        report.TotalSeconds += frame.Ms / 1000.0;
        report.FragmentsShaded += static_cast<double>(frame.FragmentsShaded);
        report.FragmentsPassed += static_cast<double>(frame.FragmentsPassed);
    }
    report.FragmentRatio =
        report.FragmentsPassed > 0.0 ? report.FragmentsShaded / report.FragmentsPassed : 0.0;
    if (!frames.empty()) {
        report.FragmentsShaded /= static_cast<double>(frames.size());
        report.FragmentsPassed /= static_cast<double>(frames.size());
    }
    report.MedianMs = Percentile(ms, 0.5);
    report.P95Ms = Percentile(ms, 0.95);
    report.P99Ms = Percentile(ms, 0.99);
    report.WorstMs = Percentile(ms, 1.0);
    report.DrawCallsMedian = static_cast<uint64_t>(Percentile(draws, 0.5));
    report.DrawCallsWorst = static_cast<uint64_t>(Percentile(draws, 1.0));
    report.TrianglesMedian = static_cast<uint64_t>(Percentile(triangles, 0.5));
    report.TrianglesWorst = static_cast<uint64_t>(Percentile(triangles, 1.0));
    report.FloorMedianMs = Percentile(floorMs, 0.5);
    report.Ratio = report.FloorMedianMs > 0.0 ? report.MedianMs / report.FloorMedianMs : 0.0;
    return report;
}

std::string TimedemoText(const TTimedemoReport& r) {
    char text[1536];
    std::snprintf(
        text, sizeof text,
        "timedemo %s at %dx%d\n"
        "  frames            %llu\n"
        "  total seconds     %.3f\n"
        "  ms per frame      median %.3f  p95 %.3f  p99 %.3f  worst %.3f\n"
        "  draw calls/frame  median %llu  worst %llu\n"
        "  triangles/frame   median %llu  worst %llu\n"
        "  fragments/frame   shaded %.0f  passing depth %.0f  ratio %.2f\n"
        "  floor frame       median %.3f ms\n"
        "  ratio to floor    %.2f\n"
        "  %s\n",
        r.Demo.c_str(), r.Width, r.Height, static_cast<unsigned long long>(r.Frames), r.TotalSeconds,
        r.MedianMs, r.P95Ms, r.P99Ms, r.WorstMs, static_cast<unsigned long long>(r.DrawCallsMedian),
        static_cast<unsigned long long>(r.DrawCallsWorst), static_cast<unsigned long long>(r.TrianglesMedian),
        static_cast<unsigned long long>(r.TrianglesWorst), r.FragmentsShaded, r.FragmentsPassed,
        r.FragmentRatio, r.FloorMedianMs, r.Ratio, r.Digest.c_str());
    return text;
}

namespace {

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x",
                          static_cast<unsigned>(static_cast<unsigned char>(c)));
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace

std::string TimedemoJson(const TTimedemoReport& r) {
    char numbers[1024];
    std::snprintf(numbers, sizeof numbers,
                  "\"width\": %d, \"height\": %d, \"frames\": %llu, \"total_seconds\": %.6f, "
                  "\"ms_median\": %.6f, \"ms_p95\": %.6f, \"ms_p99\": %.6f, \"ms_worst\": %.6f, "
                  "\"draw_calls_median\": %llu, \"draw_calls_worst\": %llu, \"triangles_median\": %llu, "
                  "\"triangles_worst\": %llu, \"fragments_shaded\": %.1f, \"fragments_passed\": %.1f, "
                  "\"fragment_ratio\": %.6f, \"floor_ms_median\": %.6f, \"ratio_to_floor\": %.6f",
                  r.Width, r.Height, static_cast<unsigned long long>(r.Frames), r.TotalSeconds, r.MedianMs,
                  r.P95Ms, r.P99Ms, r.WorstMs, static_cast<unsigned long long>(r.DrawCallsMedian),
                  static_cast<unsigned long long>(r.DrawCallsWorst),
                  static_cast<unsigned long long>(r.TrianglesMedian),
                  static_cast<unsigned long long>(r.TrianglesWorst), r.FragmentsShaded, r.FragmentsPassed,
                  r.FragmentRatio, r.FloorMedianMs, r.Ratio);
    return "{\"demo\": " + JsonString(r.Demo) + ", " + numbers + ", \"digest\": " + JsonString(r.Digest) +
           "}\n";
}
