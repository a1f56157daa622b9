// The game's services as start-up makes them, on the recording device with scripted input and a copy
// of the shipped Data in a temporary folder (so the options and the table of records the flow writes
// never touch the repository). Frames are driven by hand with a fixed time step.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "platform/HeadlessWindow.h"
#include "platform/InputDevice.h"
#include "platform/RecordingDevice.h"
#include "shell/Config.h"
#include "shell/GameFlow.h"
#include "shell/Menus.h"
#include "shell/StartupFiles.h"
#include "util/Files.h"
#include "util/GE_UTILS.h"
#include "util/Log.h"
#include "util/Random.h"
#include "world/GameState.h"
#include "world/LevelLoader.h"
#include "world/World.h"
#include "world/WorldContext.h"

// A copy of the repository's Data under a new temporary folder; returns the folder.
inline std::string CopyShippedData(const char* prefix) {
    std::string pattern = std::string("/tmp/") + prefix + "_XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr) {
        return std::string();
    }
    std::string root = buffer.data();
    std::string command = "cp -r '" + std::string(BRELVOX_SOURCE_DIR) + "/Data' '" + root + "/Data'";
    if (std::system(command.c_str()) != 0) {
        return std::string();
    }
    return root;
}

inline void RemoveFolder(const std::string& root) {
    if (!root.empty() && root.rfind("/tmp/", 0) == 0) {
        std::system(("rm -rf '" + root + "'").c_str());
    }
}

class ShellTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Root = CopyShippedData("brelvox_shell"); }
    static void TearDownTestSuite() { RemoveFolder(Root); }

    void SetUp() override {
        ASSERT_FALSE(Root.empty());
        previousSink_ = logging::SetSink(
            [this](std::string_view, std::string_view text) { Logged.push_back(std::string(text)); });
        Put("Data/options.txt",
            "Windowed = true\r\nScreenWidth = 800\r\nScreenHeight = 600\r\nLanguage = ENG");
        std::remove((Root + "/Data/Options.txt").c_str());
        std::remove((Root + "/Data/table_of_records.txt").c_str());
        World.Random.Seed = 777;
        World.Random.Ticks = [this]() { return Ticks; };
        BuildServices();
    }

    void TearDown() override {
        Flow->StopLevel();
        Flow.reset();
        FreeServices(Services);
        logging::SetSink(previousSink_);
    }

    // The start-up order of the game, with no sound device.
    void BuildServices() {
        TGameState& state = World.State;
        std::string error;
        ASSERT_TRUE(LoadConfig(Services.Root, state, error)) << error;
        ASSERT_TRUE(LoadOptions(Services.Root, kOptionsFile, state, error)) << error;
        Services.Render = std::make_unique<TRenderD3D9>(Graphics);
        ASSERT_TRUE(Services.Render->Initialize(&Window, true, 800, 600, 1, error)) << error;
        Services.SceneManager = std::make_unique<TSceneManager>(*Services.Render, Services.Root);
        TCamera* camera = Services.SceneManager->GetCamera();
        camera->SetPosition(0.0f, 23.0f, -16.5f);
        camera->SetRotation(60.0f, 0.0f, 0.0f);
        camera->SetProjection(1.5707964f, 800.0f / 600.0f, 1.0f, 100.0f);
        Services.Shaders = std::make_unique<TShaderManager>(Services.Render->Device(), Services.Root);
        Services.Shaders->AddPixelShader("Particle", kParticlePixelShader, "main");
        Services.Shaders->AddVertexShader("Particle", kParticleVertexShader, "main");
        Services.Meshes = std::make_unique<TMeshManager>(Services.Render->Device(), Services.Root);
        Services.Input = std::make_unique<TInput>();
        Services.Input->Init(&Keys);
        Services.QuadVertexShader = std::make_unique<TVertexShader>();
        Services.QuadVertexShader->LoadFromFileOrLog(Services.Root, Services.Render->Device(),
                                                     kQuadVertexShader);
        Services.QuadPixelShader = std::make_unique<TPixelShader>();
        Services.QuadPixelShader->LoadFromFileOrLog(Services.Root, Services.Render->Device(),
                                                    kQuadPixelShader);
        TTextureManager* textures = Services.Meshes->GetTextureManager();
        for (const TNamedFile& texture : kMenuTextures) {
            textures->AddTexture(Services.Render->Device(), texture.Name, texture.File);
        }
        TTextureResource* skin = textures->FindTexture("GUI");
        Services.GUI =
            std::make_unique<TGUI>(*Services.Render, Services.Root, &skin->Texture.Get(), kGuiVertexShader,
                                   kGuiPixelShader, &Services.Font, &Services.Input);
        ASSERT_TRUE(Services.GUI->LoadSkin(Services.Root, kSkinInfoFile, kSkinWidth, kSkinHeight, error))
            << error;
        Flow = std::make_unique<TGameFlow>(
            World, Services,
            TGameFlow::THooks{[this]() { ++DisplayModeChanges; }, [this]() { ++CloseRequests; }, nullptr});
        BuildMenus(*Services.GUI, Services.Render->Device(), Flow->MenuCallbacks());
        Services.GUI->SetActiveForm("MainMenu");
        Services.Languages = std::make_unique<TLanguages>();
        ASSERT_TRUE(Services.Languages->LoadFromFiles(Services.Root, kUkrainianFile, kRussianFile,
                                                      kEnglishFile, error))
            << error;
        ApplyLanguage(state, *Services.GUI, *Services.Languages, state.Language);
        Services.Font = std::make_unique<TMYFont>(*Services.Render);
        ASSERT_TRUE(Services.Font->LoadFromFile(Services.Root, kFontTexture, kFontInfoFile, kFontPixelShader,
                                                kFontVertexShader, error))
            << error;
        for (const TMeshFile& mesh : kGameMeshes) {
            Services.Meshes->LoadMesh(mesh.File, mesh.Name, 0, mesh.Usage);
        }
        for (const TNamedFile& texture : kGameTextures) {
            textures->AddTexture(Services.Render->Device(), texture.Name, texture.File);
        }
        Services.Records = std::make_unique<TTable_of_records>();
        Services.Records->LoadFromFile(Services.Root, kRecordsTableFile, error);
        Services.Levels = std::make_unique<TLevels>();
        ASSERT_TRUE(Services.Levels->LoadFromFile(Services.Root, kLevelListFile, error)) << error;
        ConnectWorld(World, Services);
    }

    void Put(const std::string& relative, const std::string& text) {
        std::ofstream(Root + "/" + relative, std::ios::binary) << text;
    }

    std::string Slurp(const std::string& relative) {
        std::ifstream in(Root + "/" + relative, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // One frame of the game as the main window runs it, the cursor at the centre of the client area.
    void Frame(int32_t dt) {
        Ticks += static_cast<uint32_t>(dt);
        Services.Input->Poll();
        Services.GUI->ProcessInput(dt, CursorScreen);
        TGameState& state = World.State;
        if (!state.InGame) {
            return;
        }
        if (Services.Input->KeyReleased(KEY_ESCAPE)) {
            Flow->TogglePause();
        }
        if (state.Paused) {
            return;
        }
        Services.SceneManager->Update(dt);
        Flow->UpdateFlow(dt, 400, 300, 800, 600);
    }

    void Frames(int count, int32_t dt) {
        for (int i = 0; i < count; ++i) {
            Frame(dt);
        }
    }

    // Presses and releases the left button over the widget's centre of the active form (two frames).
    void Click(const char* widget) {
        TMyForm* form = Services.GUI->ActiveFormPtr();
        ASSERT_NE(form, nullptr);
        TBaseWidget* target = form->FindWidget(widget);
        ASSERT_NE(target, nullptr) << widget << " is not on " << form->Name;
        CursorScreen = Vector2(target->X + target->Width / 2, target->Y - target->Height / 2);
        Keys.SetButton(0, true);
        Frame(10);
        Keys.SetButton(0, false);
        Frame(10);
    }

    // Presses and lets go of a key (the game acts on the release).
    void Tap(int keyIndex) {
        Keys.SetKey(TInput::KeyCode(keyIndex), true);
        Frame(10);
        Keys.SetKey(TInput::KeyCode(keyIndex), false);
        Frame(10);
    }

    std::string ActiveForm() const { return Services.GUI->GetActiveFormName(); }
    std::string Text(const char* form, const char* widget) const {
        return GetWidgetText(*Services.GUI, form, widget);
    }
    std::string English(const char* key) const { return Services.Languages->GetText(key, kLanguageEnglish); }

    // Objects of kind T under "Level".
    template <class T>
    int CountInLevel() {
        TMoveableObject* level = LevelNode(World);
        if (level == nullptr) {
            return 0;
        }
        std::vector<TMoveableObject*> all;
        level->CollectObjects(all);
        int count = 0;
        for (TMoveableObject* node : all) {
            count += dynamic_cast<T*>(node) != nullptr ? 1 : 0;
        }
        return count;
    }

    static inline std::string Root;
    platform::HeadlessWindow Window{800, 600};
    platform::RecordingGraphicsSystem Graphics;
    platform::ScriptedInputDevice Keys;
    TWorld World;  // the test's own, declared before the services whose scene holds its objects
    TGameServices Services{files::TDataRoot(Root)};
    std::unique_ptr<TGameFlow> Flow;
    TVector2 CursorScreen = Vector2(0.0f, 0.0f);
    uint32_t Ticks = 1000;
    int DisplayModeChanges = 0;
    int CloseRequests = 0;
    std::vector<std::string> Logged;

private:
    logging::Sink previousSink_;
};
