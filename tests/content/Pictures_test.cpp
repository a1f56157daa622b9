// Every PNG of the content decodes; the font description covers every letter the three languages use
// with glyphs inside the atlas; the skin description names every rectangle the widgets use inside its
// 512 x 256 texture; sprites and cursors carry transparency.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "ContentSupport.h"
#include "platform/Png.h"

using namespace content_test;
namespace fs = std::filesystem;

namespace {

platform::Image Decode(const std::string& dataPath) {
    platform::Image image;
    std::string error;
    EXPECT_TRUE(platform::DecodePng(ReadAll(DataDir() + "/" + dataPath), image, error))
        << dataPath << ": " << error;
    return image;
}

int CountAlpha(const platform::Image& image, int below, int atLeast) {
    int n = 0;
    for (size_t i = 3; i < image.Rgba.size(); i += 4) {
        if (image.Rgba[i] < below && image.Rgba[i] >= atLeast) {
            ++n;
        }
    }
    return n;
}

struct Glyph {
    unsigned char code;
    double u, v, w, h;
};

// The font description as the game reads it: tokens split by space, CR and LF; glyph entries found
// by their quotes; numbers with a decimal comma.
std::vector<Glyph> ReadFontInfo(const std::string& text, int& declared) {
    std::vector<Glyph> glyphs;
    size_t pos = 0;
    auto token = [&]() {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\r' || text[pos] == '\n')) {
            ++pos;
        }
        size_t start = pos;
        while (pos < text.size() && text[pos] != ' ' && text[pos] != '\r' && text[pos] != '\n') {
            ++pos;
        }
        return text.substr(start, pos - start);
    };
    auto number = [&]() {
        std::string t = token();
        EXPECT_EQ(t.find('.'), std::string::npos) << "decimal point in " << t;
        std::replace(t.begin(), t.end(), ',', '.');
        return std::stod(t);
    };
    token(), token(), std::stoi(token());
    token(), token(), std::stoi(token());
    token(), token(), token();
    declared = std::stoi(token());
    token();
    for (int i = 0; i < declared; ++i) {
        pos = text.find('"', pos);
        if (pos == std::string::npos || pos + 2 >= text.size()) {
            break;
        }
        Glyph g;
        g.code = static_cast<unsigned char>(text[pos + 1]);
        pos += 3;
        double values[4];
        for (double& value : values) {
            token(), token();
            value = number();
        }
        g.u = values[0], g.v = values[1], g.w = values[2], g.h = values[3];
        glyphs.push_back(g);
    }
    return glyphs;
}

}  // namespace

TEST(Pictures, EveryPngDecodes) {
    int count = 0;
    for (const auto& e : fs::recursive_directory_iterator(DataDir())) {
        if (e.path().extension() == ".png") {
            platform::Image image = Decode(fs::relative(e.path(), DataDir()).generic_string());
            EXPECT_GT(image.Width, 0) << e.path();
            ++count;
        }
    }
    EXPECT_GT(count, 50);
}

TEST(Pictures, SpritesIconsAndCursorsHaveTransparentAndOpaqueParts) {
    for (const char* name : {"particle", "spark", "bang", "romb", "wall", "respaun", "armour", "clock",
                             "life", "cursor", "guncursor", "guncursor2", "H_armour_bonus", "H_wall_bonus",
                             "H_remount_bonus", "H_time_bonus", "H_upgrade_bonus", "H_bomb_bonus"}) {
        platform::Image image = Decode(std::string("Textures/") + name + ".png");
        int pixels = image.Width * image.Height;
        EXPECT_GT(CountAlpha(image, 8, 0), pixels / 20) << name << " has no transparent margin";
        EXPECT_GT(CountAlpha(image, 256, 128), pixels / 50) << name << " is nearly invisible";
    }
    platform::Image background = Decode("Textures/BackGround.png");
    EXPECT_EQ(CountAlpha(background, 255, 0), 0) << "the background is drawn without blending";
}

TEST(Pictures, FontCoversAsciiAndTheUkrainianAndRussianAlphabets) {
    platform::Image atlas = Decode("Font/font.png");
    ASSERT_GT(atlas.Width, 0);
    int declared = 0;
    std::vector<Glyph> glyphs = ReadFontInfo(ReadAll(DataDir() + "/Font/font_info.txt"), declared);
    ASSERT_EQ(static_cast<int>(glyphs.size()), declared);
    ASSERT_FALSE(glyphs.empty());
    EXPECT_EQ(glyphs[0].code, ' ')
        << "the first glyph gives the line height and the missing-character advance";
    std::set<unsigned char> codes;
    for (const Glyph& g : glyphs) {
        codes.insert(g.code);
        EXPECT_GE(g.u, 0.0);
        EXPECT_GE(g.v, 0.0);
        EXPECT_GT(g.w, 0.0);
        EXPECT_LE(g.u + g.w, 1.0) << int(g.code);
        EXPECT_LE(g.v + g.h, 1.0) << int(g.code);
        EXPECT_DOUBLE_EQ(g.h, glyphs[0].h) << "every cell is one line high";
    }
    std::vector<int> needed;
    for (int c = 32; c <= 126; ++c) {
        needed.push_back(c);
    }
    for (int c = 0xC0; c <= 0xFF; ++c) {  // А..я in Windows-1251
        needed.push_back(c);
    }
    for (int c : {0xA8, 0xB8, 0xAA, 0xBA, 0xB2, 0xB3, 0xAF, 0xBF, 0xA5, 0xB4, 0xB9}) {  // Ёё Єє Іі Її Ґґ №
        needed.push_back(c);
    }
    for (int c : needed) {
        EXPECT_TRUE(codes.count(static_cast<unsigned char>(c))) << "no glyph for byte " << c;
    }
    // Glyphs are white, their shape in the alpha channel, so the text colour tints them.
    for (size_t i = 0; i < atlas.Rgba.size(); i += 4) {
        if (atlas.Rgba[i + 3] > 0) {
            ASSERT_EQ(atlas.Rgba[i], 255);
            ASSERT_EQ(atlas.Rgba[i + 1], 255);
            ASSERT_EQ(atlas.Rgba[i + 2], 255);
        }
    }
    // The letter A has ink; the space has none.
    auto ink = [&](unsigned char code) {
        for (const Glyph& g : glyphs) {
            if (g.code == code) {
                int x0 = int(g.u * atlas.Width + 0.5), y0 = int(g.v * atlas.Height + 0.5);
                int x1 = int((g.u + g.w) * atlas.Width + 0.5), y1 = int((g.v + g.h) * atlas.Height + 0.5);
                int n = 0;
                for (int y = y0; y < y1; ++y) {
                    for (int x = x0; x < x1; ++x) {
                        n += atlas.Rgba[(size_t(y) * atlas.Width + x) * 4 + 3] > 128;
                    }
                }
                return n;
            }
        }
        return -1;
    };
    EXPECT_GT(ink('A'), 40);
    EXPECT_GT(ink(0xDF), 40);  // Я
    EXPECT_EQ(ink(' '), 0);
}

TEST(Pictures, SkinDefinesEveryRectangleInsideItsTexture) {
    platform::Image skin = Decode("GUI/guiskintex.png");
    EXPECT_EQ(skin.Width, 512);
    EXPECT_EQ(skin.Height, 256);
    std::istringstream in(ReadAll(DataDir() + "/GUI/guiskininfo.txt"));
    int count = 0;
    in >> count;
    std::set<std::string> names;
    for (int i = 0; i < count; ++i) {
        std::string name;
        int l, t, r, b;
        ASSERT_TRUE(in >> name >> l >> t >> r >> b) << "entry " << i;
        names.insert(name);
        EXPECT_TRUE(l >= 0 && r <= 512 && l < r && t >= 0 && b <= 256 && t < b) << name;
    }
    std::vector<std::string> needed;
    for (const char* kind : {"Back", "Edit"}) {
        for (int s = 1; s <= 3; ++s) {
            needed.push_back(std::string(kind) + "_state" + std::to_string(s));
        }
    }
    for (const char* kind : {"Check", "Radio"}) {
        for (int s = 1; s <= 3; ++s) {
            for (int v = 1; v <= 2; ++v) {
                needed.push_back(std::string(kind) + "_state" + std::to_string(s) + "_" + std::to_string(v));
            }
        }
    }
    ASSERT_EQ(needed.size(), 18u);  // three button, three edit, six check-box and six radio looks
    for (const std::string& n : needed) {
        EXPECT_TRUE(names.count(n)) << n;
    }
}
