#include "Preview.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "Font.h"
#include "Models.h"
#include "Output.h"
#include "Raster.h"
#include "platform/Png.h"

namespace contentgen {

namespace {

bool ModelSheet(const std::string& dir) {
    std::vector<NamedMesh> models = BuildGameModels();
    for (NamedMesh& m : BuildSceneryModels()) {
        if (m.fileName != "water.x") {
            models.push_back(std::move(m));
        }
    }
    const int cell = 200, columns = 8;
    int rows = (static_cast<int>(models.size()) + columns - 1) / columns;
    Canvas sheet(cell * columns, cell * rows, Rgb(40, 40, 40));
    for (size_t i = 0; i < models.size(); ++i) {
        Raster r(cell, cell);
        const ExportedMesh& m = models[i].mesh;
        float radius = std::min(Radius(m), 2.5f);
        Camera cam;
        cam.focal = 1 / std::tan(25 * kPi / 180);
        float dist = radius * 2.6f + 0.5f;
        float p = cam.pitch * kPi / 180;
        cam.position = {0, 0.4f + dist * std::sin(p), -dist * std::cos(p)};
        DrawModel(r, m, {0, 0, 0}, -30, 1, cam, false);
        DrawModel(r, m, {0, 0, 0}, -30, 1, cam, true);
        DrawText(r.color, models[i].fileName, 4, 2, 14, Rgb(255, 255, 255), false);
        int ox = static_cast<int>(i % columns) * cell, oy = static_cast<int>(i / columns) * cell;
        for (int y = 0; y < cell; ++y) {
            for (int x = 0; x < cell; ++x) {
                sheet.Set(ox + x, oy + y, r.color.Get(x, y));
            }
        }
    }
    std::string error;
    return platform::WritePngFile(dir + "/models.png", sheet.Image(), error);
}

// Lays out text exactly as the game's font does, from the atlas and info file just generated.
bool TextSheet(const std::string& dir, const std::string& dataDir) {
    std::string error;
    std::ifstream pngFile(dataDir + "/Font/font.png", std::ios::binary);
    std::string png((std::istreambuf_iterator<char>(pngFile)), std::istreambuf_iterator<char>());
    platform::Image atlas;
    if (!platform::DecodePng(png, atlas, error)) {
        std::fprintf(stderr, "preview: %s\n", error.c_str());
        return false;
    }
    std::ifstream infoFile(dataDir + "/Font/font_info.txt", std::ios::binary);
    std::string info((std::istreambuf_iterator<char>(infoFile)), std::istreambuf_iterator<char>());
    struct Glyph {
        float u, v, w, h;
    };
    std::map<unsigned char, Glyph> glyphs;
    Glyph first{};
    size_t pos = info.find("Glyphs:");
    while (pos != std::string::npos) {
        pos = info.find('"', pos);
        if (pos == std::string::npos || pos + 2 >= info.size()) {
            break;
        }
        unsigned char ch = static_cast<unsigned char>(info[pos + 1]);
        pos += 3;
        float vals[4];
        for (float& val : vals) {
            size_t eq = info.find("= ", pos);
            size_t end = info.find('\r', eq);
            std::string num = info.substr(eq + 2, end - eq - 2);
            std::replace(num.begin(), num.end(), ',', '.');
            val = std::stof(num);
            pos = end;
        }
        Glyph g{vals[0], vals[1], vals[2], vals[3]};
        if (glyphs.empty()) {
            first = g;
        }
        glyphs[ch] = g;
    }
    // Windows-1251 sample lines.
    const std::string lines[] = {
        "Play  Table of records  Options  Exit 0123456789",
        "\xC3\xF0\xE0\xF2\xE8  \xCD\xE0\xEB\xE0\xF8\xF2\xF3\xE2\xE0\xED\xED\xFF  \xB2\xE3\xF0\xE8 "
        "\xAF\xE6\xE0\xEA "
        "\xA5\xE0\xED\xEE\xEA \xAA\xE2\xF0\xEE\xEF\xE0 \xB9 5",
        "\xC8\xE3\xF0\xE0\xF2\xFC  \xD2\xE0\xE1\xEB\xE8\xF6\xE0 \xF0\xE5\xEA\xEE\xF0\xE4\xEE\xE2  "
        "\xC2\xFB\xF5\xEE\xE4 "
        "\xA8\xEB\xEA\xE0 \xB8\xE6",
        "\"Freezes\" enemies: W,A,S,D  Scores: 12500",
    };
    const int widths[2] = {800, 1024}, heights[2] = {600, 768};
    const float sizes[3] = {0.1f, 0.12f, 0.13f};
    Canvas sheet(1024, 1400, Rgb(70, 80, 90));
    int y = 4;
    for (int mode = 0; mode < 2; ++mode) {
        for (float size : sizes) {
            for (const std::string& line : lines) {
                // Pen in pixels of this display mode: the font scales atlas units by size / line height
                // in screen units of 2 / width across and 2 / height down.
                float s = size / first.h;
                float px = 8;
                for (unsigned char ch : line) {
                    auto it = glyphs.find(ch);
                    if (it == glyphs.end()) {
                        px += first.w * s * widths[mode] / 2;
                        continue;
                    }
                    const Glyph& g = it->second;
                    float w = g.w * s * widths[mode] / 2, h = g.h * s * heights[mode] / 2;
                    for (int yy = 0; yy < static_cast<int>(h); ++yy) {
                        for (int xx = 0; xx < static_cast<int>(w); ++xx) {
                            // Point sampling, as the game draws text.
                            Color c = Sample(atlas, g.u + (xx + 0.5f) / w * g.w, g.v + (yy + 0.5f) / h * g.h);
                            sheet.Blend(static_cast<int>(px) + xx, y + yy, Color{1, 1, 1, c.a});
                        }
                    }
                    px += w;
                }
                y += static_cast<int>(size * heights[mode] / 2) + 2;
            }
        }
    }
    return platform::WritePngFile(dir + "/text.png", sheet.Image(), error);
}

// Renders a level file as the game's camera sees it at the start: walls, base, decoration, water,
// the player's tank on its start and one enemy of each kind on the spawn points.
bool LevelShot(const std::string& levelPath, const std::string& pngPath) {
    std::ifstream in(levelPath, std::ios::binary);
    std::vector<std::string> tok;
    std::string t;
    while (in >> t) {
        tok.push_back(t);
    }
    size_t k = 0;
    auto next = [&]() { return k < tok.size() ? tok[k++] : std::string("0"); };
    next();
    int w = std::stoi(next());
    next();
    int h = std::stoi(next());
    std::vector<int> cells(static_cast<size_t>(w) * h);
    for (int& c : cells) {
        c = std::stoi(next());
    }
    auto footprint = [&]() {
        next();
        next();
        int x = std::stoi(next());
        next();
        next();
        int y = std::stoi(next());
        return std::make_pair(x, y);
    };
    next();
    bool hasBase = std::stoi(next()) != 0;
    std::pair<int, int> base{0, 0}, player{0, 0};
    if (hasBase) {
        base = footprint();
    }
    next();
    if (std::stoi(next()) != 0) {
        player = footprint();
    }
    next();
    int spawnCount = std::stoi(next());
    std::vector<std::pair<int, int>> spawns;
    for (int i = 0; i < spawnCount; ++i) {
        spawns.push_back(footprint());
    }
    std::map<std::string, ExportedMesh> meshes;
    for (auto* list : {&BuildGameModels, &BuildSceneryModels}) {
        for (NamedMesh& m : (*list)()) {
            meshes[m.fileName] = std::move(m.mesh);
        }
    }
    struct Item {
        const ExportedMesh* mesh;
        Vec3 at;
        float yaw, scale;
    };
    std::vector<Item> items;
    next();
    int decorCount = std::stoi(next());
    for (int i = 0; i < decorCount; ++i) {
        next();
        next();
        std::string path = next();
        std::string name = path.substr(path.find_last_of("\\/") + 1);
        float v[9];
        for (float& f : v) {
            next();
            next();
            f = std::stof(next());
        }
        if (meshes.count(name)) {
            items.push_back({&meshes[name], {v[0], v[1], v[2]}, v[4], v[6]});
        }
    }
    auto cellCentre = [&](int x, int y) { return Vec3{x + 0.5f - w / 2.0f, 0, h / 2.0f - y - 0.5f}; };
    auto footCentre = [&](std::pair<int, int> f) {
        return Vec3{f.first + 1 - w / 2.0f, 0, h / 2.0f - f.second - 1};
    };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int c = cells[static_cast<size_t>(y) * w + x];
            if (c == 1 || c == 2) {
                items.push_back({&meshes[c == 1 ? "Wall.x" : "Wall_rock.x"], cellCentre(x, y), 0, 1});
            }
        }
    }
    if (hasBase) {
        items.push_back({&meshes["Base_body.x"], footCentre(base), 0, 1});
        items.push_back({&meshes["Base_cube.x"], footCentre(base) + Vec3{0, 1, 0}, 30, 1});
    }
    Vec3 p = footCentre(player);
    items.push_back({&meshes["player.x"], p, 0, 1});
    items.push_back({&meshes["tower1.x"], p, 20, 1});
    items.push_back({&meshes["armour.x"], p, 0, 1});
    for (size_t i = 0; i < spawns.size(); ++i) {
        items.push_back({&meshes["Enemy" + std::to_string(i % 4 + 1) + ".x"], footCentre(spawns[i]), 180, 1});
    }
    items.push_back({&meshes["upgrade.x"], p + Vec3{4, 0, 4}, 0, 1});
    items.push_back({&meshes["bullet.x"], p + Vec3{0, 0.5f, 2}, 0, 1});
    items.push_back({&meshes["water.x"], {0, -0.5f, 0}, 0, 1.03f});
    Raster r(800, 600);
    Camera cam;
    cam.position = {p.x, p.y + 23, p.z - 12};
    cam.focal = 1;  // 90 degrees vertically
    cam.aspect = 800.0f / 600.0f;
    for (const Item& it : items) {
        DrawModel(r, *it.mesh, it.at, it.yaw, it.scale, cam, false);
    }
    for (const Item& it : items) {
        DrawModel(r, *it.mesh, it.at, it.yaw, it.scale, cam, true);
    }
    std::string error;
    return platform::WritePngFile(pngPath, r.color.Image(), error);
}

}  // namespace

bool WritePreviews(const std::string& dir, const std::string& levelDir) {
    std::filesystem::create_directories(dir);
    Output out(dir + "/generated");
    WriteFont(out);
    bool ok = ModelSheet(dir);
    ok = TextSheet(dir, dir + "/generated/Data") && ok;
    for (int i = 1; !levelDir.empty(); ++i) {
        std::string path = levelDir + "/level" + std::to_string(i) + ".txt";
        if (!std::filesystem::exists(path)) {
            break;
        }
        ok = LevelShot(path, dir + "/level" + std::to_string(i) + ".png") && ok;
    }
    return ok;
}

}  // namespace contentgen
