// The scene manager's passes on the recording device, for a scene the size of a full level: 1,000 walls
// of one small mesh (instanced), 10 tanks of two larger meshes each (hull and tower, drawn one by one)
// under the game's camera, and 20 smoke emitters (one over each tank, ten more over the field) in their
// steady state. Reports time per frame and draw calls per frame ("draw_calls").
//
// The recording device logs every call; its log is emptied every frame so it does not grow.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "effects/GE_PARTICLESYSTEM.h"
#include "platform/HeadlessWindow.h"
#include "platform/RecordingDevice.h"
#include "render/GE_D3D9.h"
#include "scene/GE_SCENEMANAGER.h"
#include "tests/scene/SceneTestSupport.h"
#include "util/Files.h"

namespace {

class LevelScene {
public:
    LevelScene() {
        render_ = std::make_unique<TRenderD3D9>(system_);
        std::string error;
        render_->Initialize(&window_, true, 1024, 768, 1, error);
        device_ = system_.LastDevice();
        scene_ = std::make_unique<TSceneManager>(*render_, root_);
        TCamera* camera = scene_->GetCamera();
        camera->SetRotation(60, 0, 0);
        camera->SetProjection(static_cast<float>(kPi / 2), 1024.0f / 768.0f, 1, 100);
        camera->SetPosition(0, 23, -12);

        wall_ = scene_test::MakeMesh(render_->Device(), scene_test::BoxMeshText(12), "wall");
        hull_ = scene_test::MakeMesh(render_->Device(), scene_test::BoxMeshText(480), "hull");
        tower_ = scene_test::MakeMesh(render_->Device(), scene_test::BoxMeshText(320), "tower");

        TMoveableObject* level = scene_->GetRoot()->AddChild(std::make_unique<TMoveableObject>("Level"));
        // A 40 x 25 block of walls, one per cell, around the point the camera looks at: most in view.
        for (int i = 0; i < 1000; ++i) {
            auto* wall = level->AddChild(std::make_unique<TGameObject>("Wall", wall_.get()));
            wall->SetPosition(static_cast<float>(i % 40) - 20.0f, 0.5f, static_cast<float>(i / 40) - 12.0f);
        }
        for (int i = 0; i < 10; ++i) {
            auto* tank = level->AddChild(std::make_unique<TGameObject>("Enemy1", hull_.get()));
            tank->SetPosition(static_cast<float>(i * 3) - 15.0f, 0.5f, 2.0f);
            tank->SetScale(2, 1, 2);
            tank->AddChild(std::make_unique<TGameObject>("Tower", tower_.get()))->SetPosition(0, 0.8f, 0);
        }
        particleVertex_.LoadFromFileOrLog(root_, render_->Device(), "Data/Shaders/particle.vs");
        particlePixel_.LoadFromFileOrLog(root_, render_->Device(), "Data/Shaders/particle.ps");
        for (int i = 0; i < 20; ++i) {
            TMoveableObject* carrier = i < 10 ? level->GetChild(1000 + i) : level;
            auto* smoke = carrier->AddChild(std::make_unique<TSmoke>(*render_, platform::TextureHandle{},
                                                                     &particleVertex_, &particlePixel_, 500));
            smoke->SetPosition(i < 10 ? 0.0f : static_cast<float>(i * 3) - 45.0f, 1.0f,
                               i < 10 ? 0.0f : -6.0f);
        }
        // Two seconds of play, so the emitters hold as many particles as they keep during a game.
        for (int frame = 0; frame < 125; ++frame) {
            scene_->Update(16);
        }
    }

    ~LevelScene() {
        scene_.reset();
        particleVertex_.ReleaseShader();
        particlePixel_.ReleaseShader();
        wall_.reset();
        hull_.reset();
        tower_.reset();
        render_.reset();
    }

    TSceneManager& Scene() { return *scene_; }
    platform::RecordingDevice& Device() { return *device_; }

private:
    files::TDataRoot root_{BRELVOX_SOURCE_DIR};  // the shaders
    platform::RecordingGraphicsSystem system_;
    platform::HeadlessWindow window_{1024, 768};
    std::unique_ptr<TRenderD3D9> render_;
    platform::RecordingDevice* device_ = nullptr;
    std::unique_ptr<TSceneManager> scene_;
    std::unique_ptr<TMeshResource> wall_, hull_, tower_;
    TVertexShader particleVertex_;
    TPixelShader particlePixel_;
};

void UpdatePass(benchmark::State& state) {
    LevelScene level;
    for (auto _ : state) {
        level.Scene().Update(16);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(UpdatePass)->Unit(benchmark::kMicrosecond);

void DrawPass(benchmark::State& state) {
    LevelScene level;
    level.Scene().SetInstancing(state.range(0) != 0);
    level.Scene().Update(16);
    for (auto _ : state) {
        level.Scene().Render();
        level.Device().ClearLog();
    }
    state.counters["draw_calls"] = level.Scene().GetDrawCallCount();
    state.counters["opaque_items"] = static_cast<double>(level.Scene().GetOpaqueItems().size());
    state.counters["particle_systems"] = static_cast<double>(level.Scene().GetParticleSystems().size());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(DrawPass)->Arg(1)->Arg(0)->ArgName("instancing")->Unit(benchmark::kMicrosecond);

void WholeFrame(benchmark::State& state) {
    LevelScene level;
    for (auto _ : state) {
        level.Scene().Update(16);
        level.Scene().Render();
        level.Device().ClearLog();
    }
    state.counters["draw_calls"] = level.Scene().GetDrawCallCount();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(WholeFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
