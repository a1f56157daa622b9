// Path search as an enemy tank runs it before each step: UpdateBlocked, ResetDistances, FindPath.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "util/Files.h"
#include "world/LevelFile.h"
#include "world/Map.h"

namespace {

// A 26 x 26 battlefield: brick blocks in a regular pattern with lanes between them, a base at the
// bottom centre, spawns along the top.
std::unique_ptr<TMap> Battlefield() {
    auto map = std::make_unique<TMap>(26, 26);
    for (int x = 2; x < 24; x += 4) {
        for (int y = 2; y < 22; ++y) {
            if (y % 6 != 5) {
                map->SetCell(x, y, 1);
                map->SetCell(x + 1, y, 1);
            }
        }
    }
    map->HasBase = true;
    map->BaseX = 12;
    map->BaseY = 24;
    map->OccupyTank(map->BaseX, map->BaseY);
    return map;
}

// A maze of corridors two cells wide (one tank footprint) and walls one cell thick, carved by a
// depth-first walk with a fixed seed, so every run searches the same maze.
std::unique_ptr<TMap> Maze(int size) {
    auto map = std::make_unique<TMap>(size, size);
    for (int x = 0; x < size; ++x) {
        for (int y = 0; y < size; ++y) {
            map->SetCell(x, y, 1);
        }
    }
    const int rooms = (size - 1) / 3;  // room r covers cells 3r + 1 .. 3r + 2
    std::vector<uint8_t> seen(size_t(rooms * rooms), 0);
    uint32_t seed = 12345;
    auto random = [&seed](uint32_t n) {
        seed = seed * 134775813u + 1u;
        return uint32_t((uint64_t(seed) * n) >> 32);
    };
    auto open = [&map](int x, int y) { map->SetCell(x, y, 0); };
    auto openRoom = [&](int rx, int ry) {
        for (int dx = 1; dx <= 2; ++dx) {
            for (int dy = 1; dy <= 2; ++dy) {
                open(3 * rx + dx, 3 * ry + dy);
            }
        }
    };
    std::vector<std::pair<int, int>> stack = {{0, 0}};
    seen[0] = 1;
    openRoom(0, 0);
    const int dx[4] = {1, 0, -1, 0}, dy[4] = {0, -1, 0, 1};
    while (!stack.empty()) {
        const auto [rx, ry] = stack.back();
        int options[4], count = 0;
        for (int n = 0; n < 4; ++n) {
            const int nx = rx + dx[n], ny = ry + dy[n];
            if (nx >= 0 && ny >= 0 && nx < rooms && ny < rooms && !seen[size_t(nx * rooms + ny)]) {
                options[count++] = n;
            }
        }
        if (count == 0) {
            stack.pop_back();
            continue;
        }
        const int n = options[random(uint32_t(count))];
        const int nx = rx + dx[n], ny = ry + dy[n];
        seen[size_t(nx * rooms + ny)] = 1;
        openRoom(nx, ny);
        // The wall between the two rooms.
        const int wx = dx[n] != 0 ? 3 * std::max(rx, nx) : 3 * rx + 1;
        const int wy = dy[n] != 0 ? 3 * std::max(ry, ny) : 3 * ry + 1;
        open(wx, wy);
        open(wx + (dx[n] == 0), wy + (dy[n] == 0));
        stack.push_back({nx, ny});
    }
    return map;
}

void Search(benchmark::State& state, TMap& map, TGridPoint from, TGridPoint to) {
    size_t length = 0;
    for (auto _ : state) {
        map.UpdateBlocked();
        map.ResetDistances();
        map.FindPath(from, to);
        length = map.Path().size();
        benchmark::DoNotOptimize(length);
    }
    state.counters["path"] = double(length);
    if (length == 0) {
        state.SkipWithError("no path found");
    }
}

void BM_FindPath_Battlefield26_SpawnToPlayer(benchmark::State& state) {
    auto map = Battlefield();
    Search(state, *map, {0, 0}, {20, 22});
}
BENCHMARK(BM_FindPath_Battlefield26_SpawnToPlayer);

void BM_FindPath_Battlefield26_AroundBase(benchmark::State& state) {
    // As an enemy heading for the base does: clear around it, search, put it back.
    auto map = Battlefield();
    size_t length = 0;
    for (auto _ : state) {
        map->ClearAroundBase();
        map->UpdateBlocked();
        map->ResetDistances();
        map->FindPath({24, 0}, {map->BaseX, map->BaseY});
        map->RestoreAroundBase();
        length = map->Path().size();
        benchmark::DoNotOptimize(length);
    }
    state.counters["path"] = double(length);
}
BENCHMARK(BM_FindPath_Battlefield26_AroundBase);

// The game's first level (26 x 26): every spawn point heads for the base, as an enemy in attack mode does.
void BM_FindPath_Level1_SpawnsToBase(benchmark::State& state) {
    const files::TDataRoot root(BRELVOX_SOURCE_DIR);
    TLevelDescription level;
    std::string error;
    if (!ReadLevelFile(root, "data\\maps\\level1.txt", level, error) || !level.HasBase ||
        level.SpawnPoints.empty()) {
        state.SkipWithError(error.empty() ? "level 1 has no base or spawn points" : error.c_str());
        return;
    }
    auto map = BuildMap(level);
    size_t length = 0;
    for (auto _ : state) {
        length = 0;
        for (const TGridPoint& spawn : map->SpawnPoints) {
            map->ClearAroundBase();
            map->UpdateBlocked();
            map->ResetDistances();
            map->FindPath(spawn, {map->BaseX, map->BaseY});
            map->RestoreAroundBase();
            length += map->Path().size();
        }
        benchmark::DoNotOptimize(length);
    }
    state.counters["searches"] = double(map->SpawnPoints.size());
    state.counters["path"] = double(length);
}
BENCHMARK(BM_FindPath_Level1_SpawnsToBase);

void BM_FindPath_Maze256_CornerToCorner(benchmark::State& state) {
    auto map = Maze(256);
    Search(state, *map, {1, 1}, {3 * ((256 - 1) / 3 - 1) + 1, 3 * ((256 - 1) / 3 - 1) + 1});
}
BENCHMARK(BM_FindPath_Maze256_CornerToCorner);

void BM_FindPath_Maze256_Unreachable(benchmark::State& state) {
    // A walled-in tank: the search spreads from the goal over the whole maze and gives up.
    auto map = Maze(256);
    const TGridPoint walledIn{254, 254};  // in the outer wall's corner: no free neighbour
    size_t length = 1;
    for (auto _ : state) {
        map->UpdateBlocked();
        map->ResetDistances();
        map->FindPath(walledIn, {1, 1});
        length = map->Path().size();
        benchmark::DoNotOptimize(length);
    }
    state.counters["path"] = double(length);
}
BENCHMARK(BM_FindPath_Maze256_Unreachable);

void BM_UpdateBlocked_Maze256(benchmark::State& state) {
    auto map = Maze(256);
    for (auto _ : state) {
        map->UpdateBlocked();
        benchmark::DoNotOptimize(map->Blocked(1, 1));
    }
}
BENCHMARK(BM_UpdateBlocked_Maze256);

}  // namespace

BENCHMARK_MAIN();
