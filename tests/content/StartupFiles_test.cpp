// Every file the game opens at start-up is there under the name the game asks for, found the way the
// game finds files (either separator, any letter case, relative to the folder that holds Data).
#include <gtest/gtest.h>

#include <sstream>

#include "ContentSupport.h"
#include "util/Files.h"

using namespace content_test;

namespace {

class StartupFiles : public ::testing::Test {
protected:
};

void ExpectFound(const std::vector<std::string>& paths) {
    for (const std::string& p : paths) {
        EXPECT_FALSE(files::TDataRoot(SourceDir()).Resolve(p).empty()) << p << " is missing";
    }
}

}  // namespace

TEST_F(StartupFiles, SoundsAndMusic) {
    ExpectFound({"Data\\Sound\\shoot.ogg", "Data\\Sound\\bang.ogg", "Data\\Sound\\metal_bang.ogg",
                 "Data\\Sound\\bonus.wav", "Data\\Sound\\laser.wav", "Data\\Sound\\wall_dest.wav",
                 "Data\\Music\\Exhilarate.wav"});
}

TEST_F(StartupFiles, TexturesSkinAndFont) {
    ExpectFound({"Data\\Textures\\BackGround.png",
                 "Data\\Textures\\armour.png",
                 "Data\\GUI\\guiskintex.png",
                 "data\\textures\\particle.png",
                 "data\\textures\\spark.png",
                 "data\\textures\\bang.png",
                 "data\\textures\\romb.png",
                 "data\\textures\\wall.png",
                 "data\\textures\\respaun.png",
                 "data\\textures\\armour.png",
                 "data\\textures\\clock.png",
                 "data\\textures\\life.png",
                 "data\\textures\\cursor.png",
                 "data\\textures\\guncursor.png",
                 "data\\textures\\H_armour_bonus.png",
                 "data\\textures\\H_wall_bonus.png",
                 "data\\textures\\H_remount_bonus.png",
                 "data\\textures\\H_time_bonus.png",
                 "data\\textures\\H_upgrade_bonus.png",
                 "data\\textures\\H_bomb_bonus.png",
                 "data\\textures\\guncursor2.png",
                 "Data\\GUI\\guiskininfo.txt",
                 "Data\\Font\\font.png",
                 "Data\\Font\\font_info.txt"});
}

TEST_F(StartupFiles, Meshes) {
    ExpectFound({"Data\\Meshes\\bullet.x",     "Data\\Meshes\\roket.x",         "Data\\Meshes\\Wall.x",
                 "Data\\Meshes\\Wall1.x",      "Data\\Meshes\\Wall2.x",         "Data\\Meshes\\Wall_rock1.x",
                 "Data\\Meshes\\Wall_rock2.x", "Data\\Meshes\\Wall_rock.x",     "Data\\Meshes\\Base_body.x",
                 "Data\\Meshes\\Base_cube.x",  "Data\\Meshes\\player.x",        "Data\\Meshes\\tower.x",
                 "Data\\Meshes\\tower1.x",     "Data\\Meshes\\tower2.x",        "Data\\Meshes\\tower3.x",
                 "Data\\Meshes\\tower4.x",     "Data\\Meshes\\Enemy1.x",        "Data\\Meshes\\Enemy2.x",
                 "Data\\Meshes\\Enemy3.x",     "Data\\Meshes\\Enemy4.x",        "Data\\Meshes\\helperT.x",
                 "Data\\Meshes\\helperF.x",    "Data\\Meshes\\armour_bonus.x",  "Data\\Meshes\\armour.x",
                 "Data\\Meshes\\time.x",       "Data\\Meshes\\remount_bonus.x", "Data\\Meshes\\bomb.x",
                 "Data\\Meshes\\upgrade.x",    "Data\\Meshes\\life_bonus.x",    "Data\\Meshes\\wall_bonus.x",
                 "Data\\Meshes\\water.x"});
}

TEST_F(StartupFiles, LevelListAndEveryLevelAndDecorationItNames) {
    std::string bytes, error;
    ASSERT_TRUE(files::TDataRoot(SourceDir()).ReadFile("data\\maps\\levels.txt", bytes, error)) << error;
    std::istringstream in(bytes);
    int count = 0;
    in >> count;
    ASSERT_GT(count, 0);
    for (int i = 0; i < count; ++i) {
        std::string a, b, path, label;
        int quota = 0;
        in >> a >> b >> path;
        for (int k = 0; k < 4; ++k) {
            in >> label >> quota;
        }
        ASSERT_TRUE(in) << "level list entry " << i;
        std::string level = files::TDataRoot(SourceDir()).Resolve(path);
        ASSERT_FALSE(level.empty()) << path;
        // Every decoration path of the level (the token after "Mesh =") resolves too.
        std::istringstream lv(ReadAll(level));
        std::string token, previous;
        while (lv >> token) {
            if (previous == "=" && token.find(".x") != std::string::npos) {
                EXPECT_FALSE(files::TDataRoot(SourceDir()).Resolve(token).empty())
                    << path << " names " << token;
            }
            previous = token;
        }
    }
}

// These belong to other parts of the game but are opened at the same start-up.
TEST_F(StartupFiles, ShadersLanguagesAndSettings) {
    ExpectFound({"Data/Config.txt", "Data\\options.txt", "Data\\Ukrainian.txt", "Data\\Russian.txt",
                 "Data\\English.txt", "Data\\Shaders\\particle.ps", "Data\\Shaders\\particle.vs",
                 "Data\\SHaders\\render_quad.vs", "Data\\SHaders\\render_quad.ps", "Data\\Shaders\\Font.ps",
                 "Data\\Shaders\\Font.vs", "Data/Shaders/Static.vs", "Data/Shaders/Instance.vs",
                 "Data/Shaders/Skinned.vs", "Data/Shaders/OnlyTex.ps"});
}
