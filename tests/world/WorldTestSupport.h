// A small world of its own for the rules of the game objects: the recording device behind a renderer, the
// scene manager, the caches with empty meshes under the game's names, scripted input, and a log of the sounds
// played. Levels are given as text.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "input/GE_INPUT.h"
#include "models/GE_ResourceManager.h"
#include "platform/HeadlessWindow.h"
#include "platform/InputDevice.h"
#include "platform/RecordingDevice.h"
#include "render/GE_D3D9.h"
#include "scene/GE_SCENEMANAGER.h"
#include "util/Files.h"
#include "util/Log.h"
#include "util/Random.h"
#include "world/LevelFile.h"
#include "world/LevelLoader.h"
#include "world/World.h"
#include "world/WorldContext.h"

class WorldTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousSink = logging::SetSink([](std::string_view, std::string_view) {});
        world.Random.Seed = 12345;
        render = std::make_unique<TRenderD3D9>(system);
        std::string error;
        ASSERT_TRUE(render->Initialize(&window, true, 800, 600, 1, error)) << error;
        scene = std::make_unique<TSceneManager>(*render, root);
        shaders = std::make_unique<TShaderManager>(render->Device(), root);
        shaders->AddPixelShader("Particle", "Data\\Shaders\\particle.ps", "main");
        shaders->AddVertexShader("Particle", "Data\\Shaders\\particle.vs", "main");
        meshes = std::make_unique<TMeshManager>(render->Device(), root);
        for (const char* name : kMeshNames) {
            // Distinct file names give distinct entries; a file that is not there gives an empty mesh.
            meshes->LoadMesh(std::string("test-meshes/") + name + ".x", name, 0, 8);
        }
        input.Init(&keys);
        TWorldContext& context = world.Context;
        context.SceneRoot = scene->GetRoot();
        context.Meshes = meshes.get();
        context.Shaders = shaders.get();
        context.Render = render.get();
        context.Input = &input;
        context.SoundPlayed = [this](const std::string& name) { sounds.push_back(name); };
        context.SetGameLabel = [this](const std::string& label, const std::string& text) {
            labels[label] = text;
        };
    }

    void TearDown() override {
        UnloadLevel(world);
        scene.reset();
        logging::SetSink(previousSink);
    }

    // Loads a level written as text; fails the test on a parse error.
    void LoadText(const std::string& text) {
        TLevelDescription level;
        std::string error;
        ASSERT_TRUE(ParseLevel(text, "test level", level, error)) << error;
        ASSERT_TRUE(BuildLevel(world, level, error)) << error;
    }

    // An open level of w x h cells, with an optional base footprint, no player start, no spawn points.
    static std::string OpenLevel(int w, int h, const std::vector<std::string>& rows = {}, int baseX = -1,
                                 int baseY = -1, std::vector<std::pair<int, int>> spawns = {}) {
        std::string text = "Width " + std::to_string(w) + "\nHeight " + std::to_string(h) + "\n";
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                char code = '0';
                if (y < static_cast<int>(rows.size()) && x < static_cast<int>(rows[y].size()))
                    code = rows[y][x];
                text += code;
                text += ' ';
            }
            text += "\n";
        }
        if (baseX >= 0) {
            text += "Base 1\nBase X " + std::to_string(baseX) + "\nBase Y " + std::to_string(baseY) + "\n";
        } else {
            text += "Base 0\n";
        }
        text += "Player 1\nPlayer X 0\nPlayer Y 0\n";
        text += "Spawns " + std::to_string(spawns.size()) + "\n";
        for (auto [x, y] : spawns)
            text += "Spawn X " + std::to_string(x) + "\nSpawn Y " + std::to_string(y) + "\n";
        text += "Decor 0\n";
        return text;
    }

    // One frame of the world: the input is polled, then the scene's update pass.
    void Frame(int32_t dt) {
        input.Poll();
        scene->Update(dt);
    }
    void Frames(int count, int32_t dt) {
        for (int i = 0; i < count; ++i)
            Frame(dt);
    }

    TMoveableObject* Level() { return LevelNode(world); }
    TMap& Map() { return *world.State.Map; }

    // Every node of the level of class T.
    template <class T>
    std::vector<T*> All() {
        std::vector<TMoveableObject*> objects;
        std::vector<T*> found;
        if (Level() == nullptr)
            return found;
        Level()->CollectObjects(objects);
        for (TMoveableObject* object : objects) {
            if (auto* t = dynamic_cast<T*>(object))
                found.push_back(t);
        }
        return found;
    }

    int CountSound(const std::string& name) const {
        int n = 0;
        for (const std::string& s : sounds)
            n += s == name;
        return n;
    }

    static constexpr const char* kMeshNames[] = {
        "Bullet",     "Roket",      "Wall",         "Wall1",      "Wall2",      "Wall_rock",
        "Wall_rock1", "Wall_rock2", "Base_body",    "Base_cube",  "Player",     "Tower",
        "Tower1",     "Tower2",     "Tower3",       "Tower4",     "Enemy1",     "Enemy2",
        "Enemy3",     "Enemy4",     "armour_bonus", "armour",     "time_bonus", "remount_bonus",
        "bomb_bonus", "upgrade",    "life_bonus",   "wall_bonus", "water"};

    files::TDataRoot root{BRELVOX_SOURCE_DIR};
    logging::Sink previousSink;
    TWorld world;  // declared first: it outlives the scene whose objects reach it
    platform::RecordingGraphicsSystem system;
    platform::HeadlessWindow window{800, 600};
    std::unique_ptr<TRenderD3D9> render;
    std::unique_ptr<TSceneManager> scene;
    std::unique_ptr<TShaderManager> shaders;
    std::unique_ptr<TMeshManager> meshes;
    platform::ScriptedInputDevice keys;
    TInput input;
    std::vector<std::string> sounds;
    std::map<std::string, std::string> labels;
};
