// Shared by the scene tests, the scene benchmark and the viewer: model texts made on the spot, drawable
// meshes built from them on any device, and a replay of a recording device's log into per-draw state.
#pragma once

#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "models/GE_ResourceManager.h"
#include "platform/HeadlessWindow.h"
#include "platform/RecordingDevice.h"
#include "render/RenderDevice.h"
#include "util/Files.h"
#include "util/Log.h"

namespace scene_test {

// A .x text of one mesh: the eight corners of a unit cube around the origin (plus `extraVertices`
// unused ones far out, which only raise the vertex count), `triangles` triangles going round the
// cube's twelve faces, normals, texture coordinates, and one material with face alpha `alpha`.
inline std::string BoxMeshText(int triangles, float alpha = 1.0f, int extraVertices = 0) {
    static const float corners[8][3] = {{-0.5f, -0.5f, -0.5f}, {0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, -0.5f},
                                        {-0.5f, 0.5f, -0.5f},  {-0.5f, -0.5f, 0.5f}, {0.5f, -0.5f, 0.5f},
                                        {0.5f, 0.5f, 0.5f},    {-0.5f, 0.5f, 0.5f}};
    // Clockwise seen from outside (front faces under the default culling).
    static const int faces[12][3] = {{0, 3, 2}, {0, 2, 1}, {4, 5, 6}, {4, 6, 7}, {0, 4, 7}, {0, 7, 3},
                                     {1, 2, 6}, {1, 6, 5}, {3, 7, 6}, {3, 6, 2}, {0, 1, 5}, {0, 5, 4}};
    const int vertexCount = 8 + extraVertices;
    std::ostringstream x;
    x << "xof 0303txt 0032\nMesh box {\n" << vertexCount << ";\n";
    for (int v = 0; v < vertexCount; ++v) {
        if (v < 8) {
            x << corners[v][0] << ";" << corners[v][1] << ";" << corners[v][2] << ";,\n";
        } else {
            x << "0;0;" << 0.25f * static_cast<float>(v) << ";,\n";
        }
    }
    x << triangles << ";\n";
    for (int t = 0; t < triangles; ++t) {
        const int* f = faces[t % 12];
        x << "3;" << f[0] << "," << f[1] << "," << f[2] << ";,\n";
    }
    x << "MeshNormals {\n" << vertexCount << ";\n";
    for (int v = 0; v < vertexCount; ++v) {
        if (v < 8) {
            x << corners[v][0] * 2 << ";" << corners[v][1] * 2 << ";" << corners[v][2] * 2 << ";,\n";
        } else {
            x << "0;1;0;,\n";
        }
    }
    x << triangles << ";\n";
    for (int t = 0; t < triangles; ++t) {
        const int* f = faces[t % 12];
        x << "3;" << f[0] << "," << f[1] << "," << f[2] << ";,\n";
    }
    x << "}\nMeshTextureCoords {\n" << vertexCount << ";\n";
    for (int v = 0; v < vertexCount; ++v) {
        x << (v & 1) << ";" << ((v >> 1) & 1) << ";,\n";
    }
    x << "}\nMeshMaterialList {\n1;\n" << triangles << ";\n";
    for (int t = 0; t < triangles; ++t) {
        x << "0" << (t + 1 < triangles ? "," : ";") << "\n";
    }
    x << "Material {\n0.8;0.7;0.6;" << alpha << ";;\n16;\n0;0;0;;\n0;0;0;;\n}\n}\n}\n";
    return x.str();
}

// A mesh-cache entry built from a model text on the device of `deviceRef`, outside any cache.
inline std::unique_ptr<TMeshResource> MakeMesh(TDeviceRef deviceRef, const std::string& text,
                                               const std::string& name) {
    auto resource = std::make_unique<TMeshResource>();
    resource->Name = name;
    resource->FileName = name + ".x";
    resource->Mesh = std::make_unique<TMeshDraw>(deviceRef);
    std::string error;
    if (!resource->Mesh->LoadFromMemory(text, resource->FileName, error)) {
        logging::Write("models", error);  // the cache does the same with a file it cannot read
    }
    resource->Mesh->BuildVertexBuffers();
    resource->Mesh->BuildIndexBuffers();
    resource->Mesh->BuildMaterials();
    return resource;
}

// The device state in force at one indexed draw, replayed from the call log.
struct DrawState {
    uint32_t VertexShader = 0;
    uint32_t PixelShader = 0;
    uint32_t CullMode = 0;
    uint32_t AlphaBlend = 0;
    uint32_t DepthWrite = 0;
    uint32_t Indices = 0;
    uint32_t NumVertices = 0;
    uint32_t PrimitiveCount = 0;
    uint32_t LastConstantCount = 0;  // registers of the last SetVertexShaderConstantF from register 0
};

// Replays the log from the given starting state; one entry per DrawIndexedPrimitive.
inline std::vector<DrawState> ReplayDraws(const std::vector<platform::RecordedCall>& calls, DrawState state) {
    std::vector<DrawState> draws;
    for (const platform::RecordedCall& call : calls) {
        if (call.Name == "SetVertexShader") {
            state.VertexShader = static_cast<uint32_t>(call.Ints.at(0));
        } else if (call.Name == "SetPixelShader") {
            state.PixelShader = static_cast<uint32_t>(call.Ints.at(0));
        } else if (call.Name == "SetRenderState") {
            const auto which = call.Ints.at(0);
            const auto value = static_cast<uint32_t>(call.Ints.at(1));
            if (which == platform::D3DRS_CULLMODE) {
                state.CullMode = value;
            } else if (which == platform::D3DRS_ALPHABLENDENABLE) {
                state.AlphaBlend = value;
            } else if (which == platform::D3DRS_ZWRITEENABLE) {
                state.DepthWrite = value;
            }
        } else if (call.Name == "SetIndices") {
            state.Indices = static_cast<uint32_t>(call.Ints.at(0));
        } else if (call.Name == "SetVertexShaderConstantF" && call.Ints.at(0) == 0) {
            state.LastConstantCount = static_cast<uint32_t>(call.Ints.at(1));
        } else if (call.Name == "DrawIndexedPrimitive") {
            DrawState draw = state;
            draw.NumVertices = static_cast<uint32_t>(call.Ints.at(3));
            draw.PrimitiveCount = static_cast<uint32_t>(call.Ints.at(5));
            draws.push_back(draw);
        }
    }
    return draws;
}

// The device's current state as a replay start.
inline DrawState CurrentState(const platform::RecordingDevice& device) {
    DrawState state;
    state.VertexShader = device.BoundVertexShader().Slot;
    state.PixelShader = device.BoundPixelShader().Slot;
    state.CullMode = device.RenderState(platform::D3DRS_CULLMODE);
    state.AlphaBlend = device.RenderState(platform::D3DRS_ALPHABLENDENABLE);
    state.DepthWrite = device.RenderState(platform::D3DRS_ZWRITEENABLE);
    state.Indices = device.BoundIndices().Slot;
    return state;
}

#ifdef BRELVOX_SOURCE_DIR  // the tests' own: tools/view shares the header but not the source tree
// A renderer on a recording device in a headless 800 x 600 window, with the shaders found from the
// source tree.
struct RecordingRender {
    bool Start(std::string& error) {
        render = std::make_unique<TRenderD3D9>(system);
        return render->Initialize(&window, true, 800, 600, 1, error);
    }
    ~RecordingRender() { render.reset(); }
    files::TDataRoot root{BRELVOX_SOURCE_DIR};
    platform::RecordingGraphicsSystem system;
    platform::HeadlessWindow window{800, 600};
    std::unique_ptr<TRenderD3D9> render;
};
#endif

}  // namespace scene_test
