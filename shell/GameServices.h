// The services the main window owns, one instance each: created by InitGame in its order, freed by
// FreeGame in its order. Everyone else holds plain pointers to them.
#pragma once

#include <memory>
#include <utility>

#include "audio/GE_AUDIO.h"
#include "gui/GE_FONT.h"
#include "gui/GE_GUI.h"
#include "input/GE_INPUT.h"
#include "models/GE_ResourceManager.h"
#include "render/GE_D3D9.h"
#include "render/TextureAtlas.h"
#include "scene/GE_SCENEMANAGER.h"
#include "shell/Languages.h"
#include "shell/Levels.h"
#include "shell/Settings.h"
#include "shell/TableOfRecords.h"
#include "shell/UserFiles.h"
#include "util/Files.h"

struct TWorld;

struct TGameServices {
    explicit TGameServices(files::TDataRoot root) : Root(std::move(root)) {}

    files::TDataRoot Root;  // where the game's files are read from
    std::unique_ptr<TRenderD3D9> Render;
    std::unique_ptr<TSceneManager> SceneManager;   // owns the tree, the camera and the frustum
    std::unique_ptr<TShaderManager> Shaders;       // the "Particle" pair
    std::unique_ptr<TMeshManager> Meshes;          // owns the texture cache
    std::unique_ptr<TTextureAtlas> ParticleAtlas;  // the particle textures in one (may stay empty)
    std::unique_ptr<TTextureAtlas> HudAtlas;       // the HUD's icons in one (may stay empty)
    std::unique_ptr<TInput> Input;
    std::unique_ptr<TAudio> Audio;
    std::unique_ptr<TVertexShader> QuadVertexShader;
    std::unique_ptr<TPixelShader> QuadPixelShader;
    std::unique_ptr<TGUI> GUI;
    std::unique_ptr<TLanguages> Languages;
    std::unique_ptr<TMYFont> Font;  // the GUI reaches it through this slot
    std::unique_ptr<TTable_of_records> Records;
    std::unique_ptr<TLevels> Levels;
    TUserFiles UserFiles;  // where the options and the records are read and written
    TSettings Settings;    // the player's settings file as read or last saved
};

// Points the world's context (world/World.h) at the services: the scene root, the caches, the
// particle shaders, the renderer, the sound, the input, and the "Game" labels for SetGameLabel.
void ConnectWorld(TWorld& world, TGameServices& services);

// Frees the services in the order of shutdown: the level list, the table of records, then audio, font,
// language table, GUI, quad vertex shader, quad pixel shader, input, HUD and particle atlases, mesh cache,
// shader manager, scene manager, renderer. The level must be unloaded before.
void FreeServices(TGameServices& services);
