#include "shell/Startup.h"

#include <algorithm>
#include <initializer_list>
#include <utility>
#include <vector>

#include "platform/Png.h"
#include "shell/Config.h"
#include "shell/Menus.h"
#include "shell/StartupFiles.h"
#include "util/Files.h"
#include "util/Log.h"

namespace {

constexpr float kMusicVolume = 0.8f;

// The named game textures in one atlas; nullptr (and a log line) when one cannot be read.
std::unique_ptr<TTextureAtlas> BuildAtlas(TRenderD3D9& render, const files::TDataRoot& root,
                                          std::initializer_list<const char*> names) {
    std::vector<std::pair<std::string, platform::Image>> pictures;
    std::string error;
    for (const char* name : names) {
        const auto file =
            std::find_if(std::begin(kGameTextures), std::end(kGameTextures),
                         [&](const TNamedFile& texture) { return std::string_view(texture.Name) == name; });
        std::string bytes;
        platform::Image picture;
        if (file == std::end(kGameTextures) || !root.ReadFile(file->File, bytes, error) ||
            !platform::DecodePng(bytes, picture, error)) {
            logging::Write("shell", std::string("no atlas: ") + name + ": " + error);
            return nullptr;
        }
        pictures.emplace_back(name, std::move(picture));
    }
    auto atlas = std::make_unique<TTextureAtlas>();
    if (!atlas->Build(render.Device(), pictures, error)) {
        logging::Write("shell", "no atlas: " + error);
        return nullptr;
    }
    return atlas;
}

}  // namespace

bool ReadSettings(const files::TDataRoot& root, TGameState& state, const TUserFiles& files,
                  std::string& error) {
    RemoveStaleSaveTemporaries(root, files.OptionsWrite);
    RemoveStaleSaveTemporaries(root, files.RecordsWrite);
    return LoadConfig(root, state, error) && LoadOptions(root, files.OptionsRead, state, error);
}

void ReadPlayerSettings(TGameServices& services, TGameState& state) {
    services.Settings = TSettings{};
    if (services.UserFiles.Settings.empty()) {
        return;
    }
    std::vector<std::string> problems;
    LoadSettings(services.Root, services.UserFiles.Settings, services.Settings, problems);
    for (const std::string& problem : problems) {
        logging::Write("settings", problem);
    }
    state.Difficulty = services.Settings.Difficulty;
    state.Bindings = services.Settings.Bindings;
    state.SecondBindings = services.Settings.SecondBindings;
}

void ApplyPlayerSettings(TGameServices& services, const TGameState& state, TDisplay& display) {
    const TSettings& settings = services.Settings;
    if (services.Input) {
        services.Input->Bindings = state.Bindings;
        services.Input->SecondBindings = state.SecondBindings;
    }
    if (services.Audio) {
        services.Audio->SetMix(static_cast<float>(settings.MusicVolume) / 100.0f,
                               static_cast<float>(settings.EffectsVolume) / 100.0f, settings.Mute);
    }
    display.SetCursorSpeeds(settings.MouseSpeed, settings.GamepadAimSpeed);
}

bool StartRenderer(TGameServices& services, platform::GraphicsSystem& graphics, platform::Window& window,
                   const TDisplay& display, bool windowed, std::string& error) {
    services.Render = std::make_unique<TRenderD3D9>(graphics);
    TRenderD3D9& render = *services.Render;
    render.SetWindowBackBuffer(static_cast<uint16_t>(display.WindowBackBufferWidth()),
                               static_cast<uint16_t>(display.WindowBackBufferHeight()));
    if (!render.Initialize(&window, windowed, static_cast<uint16_t>(display.RenderWidth()),
                           static_cast<uint16_t>(display.RenderHeight()), display.Vsync() ? 1 : 0, error)) {
        return false;
    }
    render.SetTextureFilter(0, 1, 0);
    render.SetDepthTest(true);
    return true;
}

void StartScene(TGameServices& services, const TScreenLayout& layout) {
    services.SceneManager = std::make_unique<TSceneManager>(*services.Render, services.Root);
    TCamera* camera = services.SceneManager->GetCamera();
    camera->SetPosition(0.0f, 23.0f, -16.5f);
    camera->SetRotation(60.0f, 0.0f, 0.0f);
    SetViewProjection(services, layout);
}

void SetViewProjection(TGameServices& services, const TScreenLayout& layout) {
    services.SceneManager->GetCamera()->SetProjection(layout.FovY, layout.Aspect, 1.0f, 100.0f);
}

void StartCachesAndInput(TGameServices& services, platform::InputDevice* input) {
    TDeviceRef device = services.Render->Device();
    services.Shaders = std::make_unique<TShaderManager>(device, services.Root);
    services.Meshes = std::make_unique<TMeshManager>(device, services.Root);
    services.Input = std::make_unique<TInput>();
    services.Input->Init(input);
}

void LoadSounds(TGameServices& services) {
    services.Audio = std::make_unique<TAudio>(services.Root);
    TAudio& audio = *services.Audio;
    std::string error;
    for (const TNamedFile& sound : kSounds) {
        if (!audio.LoadSound(sound.Name, sound.File, error)) {
            logging::Write("audio", error);
        }
    }
    for (const TNamedFile& sound : kSounds) {
        audio.CreateSource(sound.Name);
    }
    for (const TNamedFile& sound : kSounds) {
        audio.AttachBuffer(sound.Name, sound.Name);
    }
    audio.SetVolume("music", kMusicVolume);
}

TTextureResource* LoadMenuPictures(TGameServices& services) {
    TDeviceRef device = services.Render->Device();
    services.QuadVertexShader = std::make_unique<TVertexShader>();
    services.QuadVertexShader->LoadFromFileOrLog(services.Root, device, kQuadVertexShader);
    services.QuadPixelShader = std::make_unique<TPixelShader>();
    services.QuadPixelShader->LoadFromFileOrLog(services.Root, device, kQuadPixelShader);
    TTextureManager* textures = services.Meshes->GetTextureManager();
    TTextureResource* skin = nullptr;
    for (const TNamedFile& texture : kMenuTextures) {
        TTextureResource* entry = textures->AddTexture(device, texture.Name, texture.File);
        if (std::string_view(texture.Name) == "GUI") {
            skin = entry;
        }
    }
    return skin;
}

bool StartGui(TGameServices& services, TTextureResource* skin, std::string& error) {
    services.GUI = std::make_unique<TGUI>(*services.Render, services.Root,
                                          skin != nullptr ? &skin->Texture.Get() : nullptr, kGuiVertexShader,
                                          kGuiPixelShader, &services.Font, &services.Input);
    services.GUI->SetSkinFile(services.Root, kSkinTexture, kSkinWidth, kSkinHeight);
    return services.GUI->LoadSkin(services.Root, kSkinInfoFile, kSkinWidth, kSkinHeight, error);
}

bool LoadLanguages(TGameServices& services, TGameState& state, std::string& error) {
    services.Languages = std::make_unique<TLanguages>();
    if (!services.Languages->LoadFromFiles(services.Root, kUkrainianFile, kRussianFile, kEnglishFile,
                                           error)) {
        if (services.Languages->Count() == 0) {
            return false;
        }
        // Files of unequal length: the game goes on with the lines all three have.
        logging::Write("shell", error);
        error.clear();
    }
    ApplyLanguage(state, *services.GUI, *services.Languages, state.Language);
    return true;
}

bool LoadFont(TGameServices& services, std::string& error) {
    services.Font = std::make_unique<TMYFont>(*services.Render);
    return services.Font->LoadFromFile(services.Root, kFontTexture, kFontInfoFile, kFontPixelShader,
                                       kFontVertexShader, error);
}

void LoadCursorPicture(TGameServices& services) {
    for (const TNamedFile& texture : kGameTextures) {
        if (std::string_view(texture.Name) == kCursorTexture) {
            services.Meshes->GetTextureManager()->AddTexture(services.Render->Device(), texture.Name,
                                                             texture.File);
        }
    }
}

void LoadGamePictures(TGameServices& services) {
    services.Shaders->AddPixelShader("Particle", kParticlePixelShader, "main");
    services.Shaders->AddVertexShader("Particle", kParticleVertexShader, "main");
    TTextureManager* textures = services.Meshes->GetTextureManager();
    for (const TNamedFile& texture : kGameTextures) {
        if (textures->FindTexture(texture.Name) == nullptr) {
            textures->AddTexture(services.Render->Device(), texture.Name, texture.File);
        }
    }
    // Pictures drawn one after another share a texture, so they share draw calls; without an atlas
    // each draws from its own.
    services.ParticleAtlas =
        BuildAtlas(*services.Render, services.Root, {"Particle", "Spark", "Bang", "Romb", "Wall", "Respaun"});
    services.HudAtlas =
        BuildAtlas(*services.Render, services.Root, {"Armour", "Clock", "Life", "Guncur", "Guncur2"});
}

bool LoadRecordsAndLevels(TGameServices& services, std::string& error) {
    services.Records = std::make_unique<TTable_of_records>();
    if (!services.Records->LoadFromFile(services.Root, services.UserFiles.RecordsRead, error)) {
        logging::Write("records", error);  // the table keeps what it could read
        error.clear();
    }
    services.Levels = std::make_unique<TLevels>();
    return services.Levels->LoadFromFile(services.Root, kLevelListFile, error);
}

void LoadGameMeshes(TGameServices& services) {
    for (const TMeshFile& mesh : kGameMeshes) {
        services.Meshes->LoadMesh(mesh.File, mesh.Name, 0, mesh.Usage);
    }
}
