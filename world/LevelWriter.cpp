#include "world/LevelWriter.h"

#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "util/Files.h"

namespace {

constexpr const char* kLineEnd = "\r\n";

// Whether the level reader reads `text` back as `value`: it reads a double, refuses one beyond the
// largest float, and rounds it to a float.
bool ReadsBackAs(const std::string& text, float value) {
    double back = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), back);
    return result.ec == std::errc() && std::fabs(back) <= std::numeric_limits<float>::max() &&
           static_cast<float>(back) == value;
}

// The shortest text the reader reads back as the same float; more digits where that one would not
// do (the reading goes through a double), and at last every digit of the value.
std::string RealText(float value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, result.ptr);
    for (int digits = 9; digits <= 17 && !ReadsBackAs(text, value); ++digits) {
        std::snprintf(buffer, sizeof buffer, "%.*g", digits, static_cast<double>(value));
        text = buffer;
    }
    if (!ReadsBackAs(text, value)) {
        std::snprintf(buffer, sizeof buffer, "%.0f",
                      static_cast<double>(value));  // a float this large is whole
        text = buffer;
    }
    return text;
}

void Footprint(std::string& out, const char* label, const TGridPoint& point) {
    out += std::string(label) + " X " + std::to_string(point.X) + kLineEnd;
    out += std::string(label) + " Y " + std::to_string(point.Y) + kLineEnd;
}

void Vector(std::string& out, const char* label, const TVector3& v) {
    out +=
        std::string(" ") + label + " = " + RealText(v.X) + " y = " + RealText(v.Y) + " z = " + RealText(v.Z);
}

}  // namespace

std::string FormatLevel(const TLevelDescription& level) {
    assert(level.Width >= 0 && level.Height >= 0 &&
           level.Codes.size() == std::size_t(level.Width) * std::size_t(level.Height) &&
           "FormatLevel: the cell codes do not fill the grid");
    std::string out;
    out += "Width " + std::to_string(level.Width) + kLineEnd;
    out += "Height " + std::to_string(level.Height) + kLineEnd;
    for (int32_t y = 0; y < level.Height; ++y) {
        for (int32_t x = 0; x < level.Width; ++x) {
            if (x > 0) {
                out += ' ';
            }
            out += std::to_string(level.Code(x, y));
        }
        out += kLineEnd;
    }
    out += std::string("Base ") + (level.HasBase ? "1" : "0") + kLineEnd;
    if (level.HasBase) {
        Footprint(out, "Base", level.Base);
    }
    out += std::string("Player ") + (level.HasPlayerStart ? "1" : "0") + kLineEnd;
    if (level.HasPlayerStart) {
        Footprint(out, "Player", level.PlayerStart);
    }
    out += "Spawns " + std::to_string(level.SpawnPoints.size()) + kLineEnd;
    for (const TGridPoint& spawn : level.SpawnPoints) {
        Footprint(out, "Spawn", spawn);
    }
    out += "Decorations " + std::to_string(level.Decorations.size()) + kLineEnd;
    for (const TLevelDecoration& decoration : level.Decorations) {
        // The path is one token: the reader stops at the first blank.
        assert(!decoration.path.empty() && decoration.path.find_first_of(" \t\r\n") == std::string::npos &&
               "FormatLevel: a decoration path must be one token");
        out += "Mesh = " + decoration.path;
        Vector(out, "Position", decoration.position);
        Vector(out, "Rotation", decoration.rotation);
        Vector(out, "Scale", decoration.scale);
        out += kLineEnd;
    }
    if (level.HasSecondStart) {
        out += std::string("Second 1") + kLineEnd;
        Footprint(out, "Second", level.SecondStart);
    }
    return out;
}

bool WriteLevelFile(const files::TDataRoot& root, std::string_view path, const TLevelDescription& level,
                    std::string& error) {
    return root.WriteFileAtomic(path, FormatLevel(level), error);
}
