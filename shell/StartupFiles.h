// The files the game reads at start-up and the names it keeps them under: sounds, textures, meshes,
// shaders, the language files, the font, the GUI skin, the level list and the table of records. The
// start-up (Main) and the data check (Check) both read them from here.
#pragma once

#include <cstdint>

struct TNamedFile {
    const char* Name;
    const char* File;
};

struct TMeshFile {
    const char* File;
    const char* Name;
    uint32_t Usage;  // 512 dynamic, 8 write-only
};

inline constexpr const char* kConfigFile = "Data/Config.txt";
inline constexpr const char* kOptionsFile = "Data\\options.txt";
inline constexpr const char* kOptionsSaveFile = "Data\\Options.txt";  // the same file where case matters
inline constexpr const char* kUkrainianFile = "Data\\Ukrainian.txt";
inline constexpr const char* kRussianFile = "Data\\Russian.txt";
inline constexpr const char* kEnglishFile = "Data\\English.txt";
inline constexpr const char* kSkinInfoFile = "Data\\GUI\\guiskininfo.txt";
inline constexpr const char* kSkinTexture = "Data\\GUI\\guiskintex.png";
inline constexpr int kSkinWidth = 512;
inline constexpr int kSkinHeight = 256;
inline constexpr const char* kFontTexture = "Data\\Font\\font.png";
inline constexpr const char* kFontInfoFile = "Data\\Font\\font_info.txt";
inline constexpr const char* kFontPixelShader = "Data\\Shaders\\Font.ps";
inline constexpr const char* kFontVertexShader = "Data\\Shaders\\Font.vs";
inline constexpr const char* kQuadVertexShader = "Data\\SHaders\\render_quad.vs";
inline constexpr const char* kQuadPixelShader = "Data\\SHaders\\render_quad.ps";
inline constexpr const char* kGuiVertexShader = "Data\\Shaders\\render_quad.vs";
inline constexpr const char* kGuiPixelShader = "Data\\Shaders\\render_quad.ps";
inline constexpr const char* kParticlePixelShader = "Data\\Shaders\\particle.ps";
inline constexpr const char* kParticleVertexShader = "Data\\Shaders\\particle.vs";
inline constexpr const char* kLevelListFile = "data\\maps\\levels.txt";
inline constexpr const char* kRecordsTableFile = "Data\\table_of_records.txt";

// Shader sources the scene manager and the meshes compile on their own.
inline constexpr const char* kSceneShaderFiles[] = {"Data\\Shaders\\Static.vs", "Data\\Shaders\\Instance.vs",
                                                    "Data\\Shaders\\Skinned.vs", "Data\\Shaders\\OnlyTex.ps"};

inline constexpr TNamedFile kSounds[] = {
    {"shoot", "Data\\Sound\\shoot.ogg"},           {"bang", "Data\\Sound\\bang.ogg"},
    {"metal_bang", "Data\\Sound\\metal_bang.ogg"}, {"bonus", "Data\\Sound\\bonus.wav"},
    {"laser", "Data\\Sound\\laser.wav"},           {"wall_dest", "Data\\Sound\\wall_dest.wav"},
    {"music", "Data\\Music\\Exhilarate.wav"},
};

// Loaded before the GUI.
inline constexpr TNamedFile kMenuTextures[] = {
    {"BG", "Data\\Textures\\BackGround.png"},
    {"armour", "Data\\Textures\\armour.png"},
    {"GUI", kSkinTexture},
};

// The game's textures: the menus' cursor before the first menu frame, the others once it is shown.
inline constexpr const char* kCursorTexture = "Cursor";
inline constexpr TNamedFile kGameTextures[] = {
    {"Particle", "data\\textures\\particle.png"},   {"Spark", "data\\textures\\spark.png"},
    {"Bang", "data\\textures\\bang.png"},           {"Romb", "data\\textures\\romb.png"},
    {"Wall", "data\\textures\\wall.png"},           {"Respaun", "data\\textures\\respaun.png"},
    {"Armour", "data\\textures\\armour.png"},       {"Clock", "data\\textures\\clock.png"},
    {"Life", "data\\textures\\life.png"},           {"Cursor", "data\\textures\\cursor.png"},
    {"Guncur", "data\\textures\\guncursor.png"},    {"H_armour", "data\\textures\\H_armour_bonus.png"},
    {"H_wall", "data\\textures\\H_wall_bonus.png"}, {"H_remount", "data\\textures\\H_remount_bonus.png"},
    {"H_time", "data\\textures\\H_time_bonus.png"}, {"H_upgrade", "data\\textures\\H_upgrade_bonus.png"},
    {"H_bomb", "data\\textures\\H_bomb_bonus.png"}, {"Guncur2", "data\\textures\\guncursor2.png"},
};

inline constexpr uint32_t kUsageDynamic = 512;
inline constexpr uint32_t kUsageWriteOnly = 8;

inline constexpr TMeshFile kGameMeshes[] = {
    {"Data\\Meshes\\bullet.x", "Bullet", kUsageDynamic},
    {"Data\\Meshes\\roket.x", "Roket", kUsageDynamic},
    {"Data\\Meshes\\Wall.x", "Wall", kUsageDynamic},
    {"Data\\Meshes\\Wall1.x", "Wall1", kUsageDynamic},
    {"Data\\Meshes\\Wall2.x", "Wall2", kUsageDynamic},
    {"Data\\Meshes\\Wall_rock1.x", "Wall_rock1", kUsageDynamic},
    {"Data\\Meshes\\Wall_rock2.x", "Wall_rock2", kUsageDynamic},
    {"Data\\Meshes\\Wall_rock.x", "Wall_rock", kUsageDynamic},
    {"Data\\Meshes\\Base_body.x", "Base_body", kUsageWriteOnly},
    {"Data\\Meshes\\Base_cube.x", "Base_cube", kUsageWriteOnly},
    {"Data\\Meshes\\player.x", "Player", kUsageWriteOnly},
    {"Data\\Meshes\\tower.x", "Tower", kUsageWriteOnly},
    {"Data\\Meshes\\tower1.x", "Tower1", kUsageWriteOnly},
    {"Data\\Meshes\\tower2.x", "Tower2", kUsageWriteOnly},
    {"Data\\Meshes\\tower3.x", "Tower3", kUsageWriteOnly},
    {"Data\\Meshes\\tower4.x", "Tower4", kUsageWriteOnly},
    {"Data\\Meshes\\player2.x", "Player2", kUsageWriteOnly},
    {"Data\\Meshes\\tower1b.x", "Tower1b", kUsageWriteOnly},
    {"Data\\Meshes\\tower2b.x", "Tower2b", kUsageWriteOnly},
    {"Data\\Meshes\\tower3b.x", "Tower3b", kUsageWriteOnly},
    {"Data\\Meshes\\tower4b.x", "Tower4b", kUsageWriteOnly},
    {"Data\\Meshes\\Enemy1.x", "Enemy1", kUsageDynamic},
    {"Data\\Meshes\\Enemy2.x", "Enemy2", kUsageDynamic},
    {"Data\\Meshes\\Enemy3.x", "Enemy3", kUsageDynamic},
    {"Data\\Meshes\\Enemy4.x", "Enemy4", kUsageDynamic},
    {"Data\\Meshes\\helperT.x", "True", kUsageWriteOnly},
    {"Data\\Meshes\\helperF.x", "False", kUsageWriteOnly},
    {"Data\\Meshes\\armour_bonus.x", "armour_bonus", kUsageWriteOnly},
    {"Data\\Meshes\\armour.x", "armour", kUsageWriteOnly},
    {"Data\\Meshes\\time.x", "time_bonus", kUsageWriteOnly},
    {"Data\\Meshes\\remount_bonus.x", "remount_bonus", kUsageWriteOnly},
    {"Data\\Meshes\\bomb.x", "bomb_bonus", kUsageWriteOnly},
    {"Data\\Meshes\\upgrade.x", "upgrade", kUsageWriteOnly},
    {"Data\\Meshes\\life_bonus.x", "life_bonus", kUsageWriteOnly},
    {"Data\\Meshes\\wall_bonus.x", "wall_bonus", kUsageWriteOnly},
    {"Data\\Meshes\\water.x", "water", kUsageWriteOnly},
};

// The language keys the program asks for; the English file must hold each as one line.
inline constexpr const char* kLanguageKeys[] = {
    "Play",
    "Table of records",
    "Help",
    "Settings",
    "Author",
    "Exit",
    "Pause menu",
    "Continue",
    "Main menu",
    "Fullscreen",
    "Language",
    "Display",
    "\xD3\xEA\xF0\xE0\xBF\xED\xF1\xFC\xEA\xE0",  // "Українська"
    "\xD0\xF3\xF1\xF1\xEA\xE8\xE9",              // "Русский"
    "English",
    "OK",
    "Cencel",
    "Enter name",
    "Are you sure?",
    "Yes",
    "No",
    "Victory!",
    "Next level",
    "Moving: W,A,S,D",
    "Rotating tower: mouse",
    "Shooting: left mouse button",
    "Bomb",
    "Armour",
    "Remount",
    "Life",
    "Wall around the base",
    "Modernization of the tank",
    "\"Freezes\" enemies",
    "Score",
    "Your record",
    "Continue from level",
    // The "Sound" and "Controls" screens (shell/SettingsScreens.h).
    "Sound",
    "Controls",
    "Music volume",
    "Effects volume",
    "Mute all",
    "Drive up",
    "Drive down",
    "Drive left",
    "Drive right",
    "Fire",
    "Pause",
    "Defaults",
    "Mouse speed",
    "Gamepad aim speed",
    "Difficulty: Easy",
    "Difficulty: Normal",
    "Difficulty: Hard",
    "Vsync (after a restart)",
    "Frame rate cap:",
    "unlimited",
    "Press a key (Escape cancels)",
    "Press a key or a mouse button (Escape cancels)",
    "Swapped with",
    "Already used by",
    "Left button",
    "Right button",
    "Middle button",
};
