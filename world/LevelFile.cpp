#include "world/LevelFile.h"

#include "util/Files.h"
#include "util/GE_UTILS.h"
#include "util/TokenReader.h"

namespace {

// Decorations are counted in 16 bits by the map; spawn points get the same generous bound.
constexpr int32_t kMaxDecorations = 65535;
constexpr int32_t kMaxSpawnPoints = 65535;

class LevelReader : public TTokenReader {
public:
    using TTokenReader::TTokenReader;

    // "label label X; label label Y", a footprint inside a width x height grid.
    bool Footprint(const std::string& what, int32_t width, int32_t height, TGridPoint& point) {
        if (!Skip(what, 2) || !Integer("the column of " + what, point.X) || !Skip(what, 2) ||
            !Integer("the row of " + what, point.Y)) {
            return false;
        }
        if (point.X < 0 || point.Y < 0 || point.X > width - 2 || point.Y > height - 2) {
            return Fail(what + " (" + std::to_string(point.X) + ", " + std::to_string(point.Y) +
                        ") is outside the footprints of a " + std::to_string(width) + " x " +
                        std::to_string(height) + " grid");
        }
        return true;
    }

    bool Vector(const std::string& what, TVector3& v) {
        static const char* const kAxes[3] = {" x", " y", " z"};
        float* parts[3] = {&v.X, &v.Y, &v.Z};
        for (int i = 0; i < 3; ++i) {
            if (!Skip(what, 2) || !Real(what + kAxes[i], *parts[i])) {
                return false;
            }
        }
        return true;
    }
};

}  // namespace

bool ParseLevel(std::string_view bytes, std::string_view fileName, TLevelDescription& level,
                std::string& error) {
    LevelReader reader(bytes, fileName, error);
    TLevelDescription result;
    if (!reader.Skip("the width", 1) || !reader.Integer("the width", 2, kMaxLevelSize, result.Width) ||
        !reader.Skip("the height", 1) || !reader.Integer("the height", 2, kMaxLevelSize, result.Height)) {
        return false;
    }
    result.Codes.resize(std::size_t(result.Width) * std::size_t(result.Height));
    for (int32_t y = 0; y < result.Height; ++y) {
        for (int32_t x = 0; x < result.Width; ++x) {
            const std::string what =
                "the code of cell (" + std::to_string(x) + ", " + std::to_string(y) + ")";
            if (!reader.Integer(what,
                                result.Codes[std::size_t(y) * std::size_t(result.Width) + std::size_t(x)])) {
                return false;
            }
        }
    }

    int32_t flag = 0;
    if (!reader.Skip("the base flag", 1) || !reader.Integer("the base flag", flag)) {
        return false;
    }
    result.HasBase = flag != 0;
    if (result.HasBase && !reader.Footprint("the base", result.Width, result.Height, result.Base)) {
        return false;
    }
    if (!reader.Skip("the player start flag", 1) || !reader.Integer("the player start flag", flag)) {
        return false;
    }
    result.HasPlayerStart = flag != 0;
    if (result.HasPlayerStart &&
        !reader.Footprint("the player start", result.Width, result.Height, result.PlayerStart)) {
        return false;
    }

    int32_t count = 0;
    if (!reader.Skip("the number of spawn points", 1) ||
        !reader.Integer("the number of spawn points", 0, kMaxSpawnPoints, count)) {
        return false;
    }
    for (int32_t i = 0; i < count; ++i) {
        TGridPoint point;
        if (!reader.Footprint("spawn point " + std::to_string(i), result.Width, result.Height, point)) {
            return false;
        }
        result.SpawnPoints.push_back(point);
    }

    if (!reader.Skip("the number of decorations", 1) ||
        !reader.Integer("the number of decorations", 0, kMaxDecorations, count)) {
        return false;
    }
    for (int32_t i = 0; i < count; ++i) {
        const std::string name = "decoration " + std::to_string(i);
        TLevelDecoration decoration;
        if (!reader.Skip("the mesh of " + name, 2) || !reader.Token("the mesh of " + name, decoration.path) ||
            !reader.Vector("the position of " + name, decoration.position) ||
            !reader.Vector("the rotation of " + name, decoration.rotation) ||
            !reader.Vector("the scale of " + name, decoration.scale)) {
            return false;
        }
        decoration.meshName = ExtractFileNamePart(decoration.path);
        result.Decorations.push_back(std::move(decoration));
    }

    std::string label;
    if (reader.Next(label)) {
        if (!reader.Integer("the second start flag", flag)) {
            return false;
        }
        result.HasSecondStart = flag != 0;
        if (result.HasSecondStart &&
            !reader.Footprint("the second start", result.Width, result.Height, result.SecondStart)) {
            return false;
        }
    }
    level = std::move(result);
    return true;
}

bool ReadLevelFile(const files::TDataRoot& root, std::string_view path, TLevelDescription& level,
                   std::string& error) {
    std::string bytes;
    return root.ReadFile(path, bytes, error) && ParseLevel(bytes, path, level, error);
}

std::unique_ptr<TMap> BuildMap(const TLevelDescription& level) {
    auto map = std::make_unique<TMap>(level.Width, level.Height);
    for (int32_t y = 0; y < level.Height; ++y) {
        for (int32_t x = 0; x < level.Width; ++x) {
            const int32_t code = level.Code(x, y);
            if (code == kCellBrickWall || code == kCellRockWall || code == kCellWater) {
                map->SetCell(x, y, 1);
            }
        }
    }
    if (level.HasBase) {
        map->HasBase = true;
        map->BaseX = level.Base.X;
        map->BaseY = level.Base.Y;
        map->OccupyTank(level.Base.X, level.Base.Y);
    }
    if (level.HasPlayerStart) {
        map->HasPlayerStart = true;
        map->PlayerStartX = level.PlayerStart.X;
        map->PlayerStartY = level.PlayerStart.Y;
    }
    map->HasSecondStart = level.HasSecondStart;
    map->SecondStart = level.SecondStart;
    map->SpawnPoints = level.SpawnPoints;
    map->SpawnCount = static_cast<int32_t>(level.SpawnPoints.size());
    for (const TLevelDecoration& decoration : level.Decorations) {
        map->DecorMeshes.push_back(decoration.meshName);
    }
    map->DecorCount = static_cast<uint16_t>(level.Decorations.size());
    map->UpdateBlocked();
    return map;
}
