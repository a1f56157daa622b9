#include <benchmark/benchmark.h>

#include <vector>

#include "platform/RecordingDevice.h"
#include "render/GE_D3D9.h"
#include "render/TextureLoader.h"

namespace {

platform::Image Checker(int size) {
    platform::Image image;
    image.Width = image.Height = size;
    image.Rgba.resize(size_t(size) * size_t(size) * 4);
    for (size_t i = 0; i < image.Rgba.size(); ++i)
        image.Rgba[i] = static_cast<uint8_t>(i * 31 + (i >> 9));
    return image;
}

// The box-filtered chain of a square texture (the texture cache's load of a mesh texture).
void BM_BuildMipChain(benchmark::State& state) {
    platform::Image top = Checker(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto chain = BuildMipChain(top);
        benchmark::DoNotOptimize(chain.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(top.Rgba.size()));
}
BENCHMARK(BM_BuildMipChain)->Arg(256)->Arg(512)->Arg(1024);

// Chain, BGRA conversion and level uploads to a device that only copies.
void BM_CreateTextureFromImage(benchmark::State& state) {
    platform::RecordingGraphicsSystem system;
    TRenderD3D9 render(system);
    std::string error;
    render.Initialize(nullptr, true, 800, 600, 1, error);
    platform::Image top = Checker(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        platform::TextureHandle texture;
        CreateTextureFromImage(render.Device(), top, true, "bench", texture, error);
        (*render.Device())->ReleaseTexture(texture);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(top.Rgba.size()));
}
BENCHMARK(BM_CreateTextureFromImage)->Arg(256)->Arg(512);

// A mesh part of N vertices: position, normal and texture coordinate interleaved with WriteStrided.
void BM_FillMeshVertexBuffer(benchmark::State& state) {
    platform::RecordingGraphicsSystem system;
    TRenderD3D9 render(system);
    std::string error;
    render.Initialize(nullptr, true, 800, 600, 1, error);
    const uint32_t count = static_cast<uint32_t>(state.range(0));
    std::vector<float> positions(count * 3, 1.0f), normals(count * 3, 0.5f), uvs(count * 2, 0.25f);
    TVertexDeclaration declaration(render.Device());
    declaration.AddElement(0, 2);
    declaration.AddElement(1, 2);
    declaration.AddElement(2, 1);
    TVertexBuffer buffer(render.Device());
    for (auto _ : state) {
        uint32_t stride = declaration.GetStride();
        buffer.CreateBuffer(stride * count, platform::D3DUSAGE_WRITEONLY, platform::D3DPOOL_DEFAULT);
        buffer.Lock(0, stride * count, platform::D3DLOCK_DISCARD);
        buffer.WriteStrided(positions.data(), stride, count, 0, declaration.ElementOffset(0, 0), 12);
        buffer.WriteStrided(normals.data(), stride, count, 0, declaration.ElementOffset(1, 0), 12);
        buffer.WriteStrided(uvs.data(), stride, count, 0, declaration.ElementOffset(2, 0), 8);
        buffer.Unlock();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * count);
}
BENCHMARK(BM_FillMeshVertexBuffer)->Arg(1000)->Arg(20000);

}  // namespace

BENCHMARK_MAIN();
