// Particle systems on the recording device. The device logs every call; its log is emptied every
// iteration so it does not grow. Times are per iteration:
// - BM_DrawFullSystem: Draw of a system holding its full capacity of 500 particles (2,000 vertices
//   written through a discard lock, one draw call).
// - BM_SmokeUpdate: one 16 ms update of a smoke emitter in its steady state (about 30 live particles).
// - BM_BangLifetime: a tank explosion from its burst (70 particles) to its self-removal, 16 ms frames.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "effects/GE_PARTICLESYSTEM.h"
#include "platform/RecordingDevice.h"
#include "util/Random.h"

namespace {

struct Renderer {
    Renderer() {
        std::string error;
        render.Initialize(nullptr, true, 1024, 768, 0, error);
        device = system.LastDevice();
    }
    platform::RecordingGraphicsSystem system;
    TRenderD3D9 render{system};
    platform::RecordingDevice* device = nullptr;
};

void BM_DrawFullSystem(benchmark::State& state) {
    Renderer r;
    TParticleSystem particles(r.render, platform::TextureHandle{}, nullptr, nullptr, 500);
    particles.UpdateMatrices();
    TRandomGenerator random{1, nullptr};
    for (int i = 0; i < 500; ++i) {
        TParticle p;
        p.Position = Vector3(RandomFloat(random), RandomFloat(random), RandomFloat(random));
        p.Size = 0.5f;
        p.Angle = RandomFloat(random) * 360;
        p.Color = {255, 200, 100, 255};
        p.Life = 100;
        particles.AddParticle(p);
    }
    for (auto _ : state) {
        particles.Draw();
        r.device->ClearLog();
    }
    state.counters["particles"] = particles.Count();
}
BENCHMARK(BM_DrawFullSystem);

void BM_SmokeUpdate(benchmark::State& state) {
    Renderer r;
    TMoveableObject level("Level");
    TSmoke* smoke =
        level.AddChild(std::make_unique<TSmoke>(r.render, platform::TextureHandle{}, nullptr, nullptr, 500));
    TRandomGenerator random{1, nullptr};
    smoke->RandomSource = &random;
    level.UpdateMatrices();
    for (int i = 0; i < 100; ++i) {
        smoke->Update(16);
    }
    for (auto _ : state) {
        smoke->Update(16);
    }
    state.counters["live"] = smoke->Count();
}
BENCHMARK(BM_SmokeUpdate);

void BM_BangLifetime(benchmark::State& state) {
    Renderer r;
    TMoveableObject level("Level");
    TRandomGenerator random{1, nullptr};
    int frames = 0;
    for (auto _ : state) {
        TSmoke* smoke = level.AddChild(
            std::make_unique<TSmoke>(r.render, platform::TextureHandle{}, nullptr, nullptr, 500));
        TRandomGenerator random{1, nullptr};
        smoke->RandomSource = &random;
        level.UpdateMatrices();
        while (level.GetChildCount() > 0) {
            static_cast<TBang*>(level.GetChild(0))->Update(16);
            ++frames;
        }
        r.device->ClearLog();
    }
    state.counters["frames"] = benchmark::Counter(frames, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_BangLifetime);

}  // namespace

BENCHMARK_MAIN();
