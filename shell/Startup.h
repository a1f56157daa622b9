// The steps of the game's start-up, in the order the main window takes them (TForm1::InitGame): each
// starts or loads some of the services (shell/GameServices.h). A step that can fail returns false with
// `error` naming the file and what is wrong; the others log what they could not load and go on.
#pragma once

#include <string>

#include "platform/GraphicsDevice.h"
#include "platform/InputDevice.h"
#include "platform/Window.h"
#include "shell/Display.h"
#include "shell/GameServices.h"
#include "world/GameState.h"

// The tuning values ("Data/Config.txt") and the options, after the leftovers of saves killed before
// their rename are removed.
bool ReadSettings(const files::TDataRoot& root, TGameState& state, const TUserFiles& files,
                  std::string& error);
// The player's settings file (shell/Settings.h) into services.Settings, each problem in the log; its
// difficulty and controls into the state.
void ReadPlayerSettings(TGameServices& services, TGameState& state);
// What the settings change outside the game state: the controls of the input, the sound's mix, the
// cursor's speeds. Run after the input and the sound started, and again whenever the settings change.
void ApplyPlayerSettings(TGameServices& services, const TGameState& state, TDisplay& display);
// The renderer on the display's window, at the display's size.
bool StartRenderer(TGameServices& services, platform::GraphicsSystem& graphics, platform::Window& window,
                   const TDisplay& display, bool windowed, std::string& error);
// The scene manager and its camera, looking at the battlefield from above and behind with the
// layout's perspective.
void StartScene(TGameServices& services, const TScreenLayout& layout);
// The camera's perspective for the screen's layout (the frustum and the picking ray follow it).
void SetViewProjection(TGameServices& services, const TScreenLayout& layout);
// The shader, mesh and texture caches (empty) and the input.
void StartCachesAndInput(TGameServices& services, platform::InputDevice* input);
// The sound device and the game's sounds.
void LoadSounds(TGameServices& services);
// The quad shaders and the menus' textures; returns the GUI skin's entry (nullptr when it is missing).
TTextureResource* LoadMenuPictures(TGameServices& services);
// The GUI on its skin (it reaches the font through its slot, filled by LoadFont).
bool StartGui(TGameServices& services, TTextureResource* skin, std::string& error);
// The three language files, and the GUI's texts in the options' language.
bool LoadLanguages(TGameServices& services, TGameState& state, std::string& error);
bool LoadFont(TGameServices& services, std::string& error);
// The menus' cursor, the one game texture the first menu frame draws.
void LoadCursorPicture(TGameServices& services);
// Once a start: the particle shaders, the game's textures (those not loaded yet) and the atlases drawn
// from them.
// The game's meshes wait for the first level (LoadGameMeshes): the menus draw none, and the first
// menu frame comes sooner.
void LoadGamePictures(TGameServices& services);
// The table of records (a missing file is fine) and the level list.
bool LoadRecordsAndLevels(TGameServices& services, std::string& error);
// The meshes of every level.
void LoadGameMeshes(TGameServices& services);
