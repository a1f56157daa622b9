// Materials of a model: the record the .x reader keeps for every Material template (and that each
// subset of a mesh part copies), and TMaterial, the per-subset material the drawing code uses.
//
// Only `Transparent` and `Texture` of a TMaterial influence drawing: the scene manager blends
// transparent subsets and binds the texture; the colours are kept but never sent to the shaders.
#pragma once

#include <cstddef>
#include <string>

struct TTextureResource;

// Names in a model hold at most 50 characters, texture file names at most 255; longer ones are cut.
constexpr std::size_t kModelNameLength = 50;
constexpr std::size_t kTextureNameLength = 255;

// One material as read from a .x file. Colours are R, G, B and a fourth value.
struct TMaterialRecord {
    std::string TextureFilename;  // as written in the file, relative to the model's directory
    std::string Name;
    float FaceColor[4] = {0, 0, 0, 0};  // R, G, B, A
    float Specular[4] = {0, 0, 0, 0};
    float Emissive[4] = {0, 0, 0, 0};
    float Power = 0;
};

// The built-in material every model starts with: named "Default", no texture, every colour 1.0,
// power 16.
TMaterialRecord DefaultMaterialRecord();

struct TMaterial {
    std::string Name;
    float Ambient[4] = {0, 0, 0, 0};
    float Diffuse[4] = {0, 0, 0, 0};  // the face colour
    float Specular[4] = {0, 0, 0, 0};
    float Power = 0;
    float Emissive[4] = {0, 0, 0, 0};
    bool Transparent = false;             // the face colour's alpha is below 1.0
    TTextureResource* Texture = nullptr;  // owned by the texture manager; nullptr draws untextured
};

// The drawing material of a subset: colours copied, ambient zero, `Transparent` from the alpha,
// no texture yet (the texture manager attaches it).
TMaterial BuildMaterial(const TMaterialRecord& record);
