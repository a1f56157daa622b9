// One frame's update pass on the largest shipped level: five enemies hunting the player or the base,
// twenty shells in flight and ten explosions, on the recording device.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "effects/GE_PARTICLESYSTEM.h"
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
#include "world/Bullet.h"
#include "world/Effects.h"
#include "world/Enemy.h"
#include "world/GameState.h"
#include "world/LevelLoader.h"
#include "world/Player.h"
#include "world/World.h"
#include "world/WorldContext.h"

namespace {

class FrameScene {
public:
    FrameScene() {
        logging::SetSink([](std::string_view, std::string_view) {});
        world.Random.Seed = 7;
        std::string error;
        render.Initialize(&window, true, 800, 600, 1, error);
        scene = std::make_unique<TSceneManager>(render, root);
        shaders = std::make_unique<TShaderManager>(render.Device(), root);
        shaders->AddPixelShader("Particle", "Data\\Shaders\\particle.ps", "main");
        shaders->AddVertexShader("Particle", "Data\\Shaders\\particle.vs", "main");
        meshes = std::make_unique<TMeshManager>(render.Device(), root);
        input.Init(&keys);
        TWorldContext& context = world.Context;
        context.SceneRoot = scene->GetRoot();
        context.Meshes = meshes.get();
        context.Shaders = shaders.get();
        context.Render = &render;
        context.Input = &input;
        LoadLevel(world, root, "data\\maps\\level6.txt", error);
        TMap& map = *world.State.Map;
        TMoveableObject* level = LevelNode(world);
        level->AddChild(
            std::make_unique<TPlayer>(world, "Player", map.PlayerStartX, map.PlayerStartY, nullptr, nullptr));
        for (int i = 0; i < 5; ++i) {
            const TGridPoint& spawn = map.SpawnPoints[static_cast<size_t>(i) % map.SpawnPoints.size()];
            auto enemy = std::make_unique<TEnemy>(world, "Enemy1", spawn.X + (i / 3) * 3, spawn.Y, nullptr,
                                                  static_cast<uint8_t>(i % 4));
            enemy->SetWeapon(WeaponRow(world, i % 4));
            enemy->Mode = i % 2 == 0 ? TEnemy::ChasePlayer : TEnemy::AttackBase;
            enemy->ModeTimer = 1000000;
            level->AddChild(std::move(enemy));
        }
        scene->Update(16);
    }

    // Tops the shells up to 20 and the explosions up to 10.
    void Replenish() {
        std::vector<TMoveableObject*> objects;
        LevelNode(world)->CollectObjects(objects);
        int shells = 0;
        int bangs = 0;
        for (TMoveableObject* object : objects) {
            shells += dynamic_cast<TBullet*>(object) != nullptr;
            bangs += dynamic_cast<TBang*>(object) != nullptr;
        }
        for (; shells < 20; ++shells) {
            auto shell =
                std::make_unique<TBullet>(world, "bullet", WeaponRow(world, shells % 8),
                                          static_cast<uint8_t>(shells % 2), Random(world.Random, 360));
            shell->SetPosition(Random(world.Random, 20) - 10.0f, 0.5f, Random(world.Random, 20) - 10.0f);
            LevelNode(world)->AddChild(std::move(shell));
        }
        for (; bangs < 10; ++bangs)
            AddBang(world, Vector3(Random(world.Random, 20) - 10.0f, 0.0f, Random(world.Random, 20) - 10.0f),
                    bangs % 2);
    }

    files::TDataRoot root{BRELVOX_SOURCE_DIR};
    TWorld world;  // it outlives the scene whose objects reach it
    platform::RecordingGraphicsSystem system;
    platform::HeadlessWindow window{800, 600};
    TRenderD3D9 render{system};
    std::unique_ptr<TSceneManager> scene;
    std::unique_ptr<TShaderManager> shaders;
    std::unique_ptr<TMeshManager> meshes;
    platform::ScriptedInputDevice keys;
    TInput input;
};

void BM_UpdatePass_Level6_Hunting(benchmark::State& state) {
    FrameScene world;
    for (auto _ : state) {
        state.PauseTiming();
        world.Replenish();
        state.ResumeTiming();
        world.scene->Update(16);
    }
}
BENCHMARK(BM_UpdatePass_Level6_Hunting)->Unit(benchmark::kMicrosecond);

}  // namespace
