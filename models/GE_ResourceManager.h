// The texture and mesh caches: every texture and every drawable mesh is loaded once and shared by name.
//
// TMeshManager owns its meshes and the one TTextureManager, which holds every texture: those loaded by
// name at start-up and those the meshes name in their materials. Entries returned by the caches stay
// owned by them: callers keep the pointers and never free them. Names and file names are compared
// exactly and case-sensitively, the first match wins; both are cut to 255 characters when stored.
//
// Textures of a mesh are found in the mesh file's directory: the key of a subset's texture is that
// directory (up to and including the last "\" or "/") followed by the subset's texture file name. Each
// use is counted on load and given back when the mesh goes. Subsets without a texture name get none.
//
// Both caches read their files from the data root they are given and hold the renderer's device slot
// (textures and buffers are given back through it), so they must be freed before the renderer.
//
// A file that cannot be read leaves an empty mesh or an entry without a texture, which draws as an
// object without it; the reason goes to the log.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "models/MeshDraw.h"
#include "render/DeviceResource.h"
#include "render/RenderDevice.h"
#include "util/Files.h"
#include "util/GE_UTILS.h"

constexpr std::size_t kResourceNameLength = 255;

struct TTextureResource {
    TUniqueTexture Texture;  // empty when the file did not load
    std::string Name;
    std::string FileName;
    int32_t RefCount = 0;
};

struct TMeshResource {
    std::unique_ptr<TMeshDraw> Mesh;
    std::string Name;
    std::string FileName;
};

class TTextureManager {
public:
    explicit TTextureManager(files::TDataRoot root) : Root_(std::move(root)) {}
    ~TTextureManager();
    TTextureManager(const TTextureManager&) = delete;
    TTextureManager& operator=(const TTextureManager&) = delete;

    // The entry of `fileName` with one more use, or a new entry named `name` with the texture loaded
    // from the file (one level) and one use.
    TTextureResource* AddTexture(TDeviceRef device, std::string_view name, std::string_view fileName);
    // The first entry named `name`, or nullptr.
    TTextureResource* FindTexture(std::string_view name) const;
    // One use less for the first entry named `name`; at none the texture is released and the entry
    // removed (the last entry takes its slot).
    void ReleaseTexture(std::string_view name);
    // The same for the first entry loaded from `fileName`: how meshes give back what AddTexture gave.
    void ReleaseTextureFile(std::string_view fileName);
    // Releases every texture and frees every entry.
    void Clear();

    uint16_t Count() const { return Entries_.Count(); }
    TTextureResource* Get(uint16_t index) const { return Entries_.Item(index); }

private:
    void ReleaseAt(uint16_t index);

    files::TDataRoot Root_;
    TListPointer<TTextureResource> Entries_;
};

class TMeshManager {
public:
    TMeshManager(TDeviceRef device, files::TDataRoot root);
    ~TMeshManager();
    TMeshManager(const TMeshManager&) = delete;
    TMeshManager& operator=(const TMeshManager&) = delete;

    TTextureManager* GetTextureManager() const { return TextureManager.get(); }

    // The entry of `fileName` if it is loaded (whatever its name). Otherwise a new TMeshDraw with the
    // given buffer pool and usage, read from the file, built (buffers, materials) and given its textures,
    // stored as `name`. A file that cannot be read gives an entry with an empty mesh.
    TMeshResource* LoadMesh(std::string_view fileName, std::string_view name, uint32_t pool, uint32_t usage);
    // The first entry named `name`, or nullptr.
    TMeshResource* FindMesh(std::string_view name) const;
    // Gives back the textures of the first entry named `name`, frees it and removes it from the list
    // (the last entry takes its slot). Nothing for a name that is not loaded.
    void DeleteMesh(std::string_view name);
    // Before and after a device reset: meshes in the default pool give back and re-create their buffers.
    void OnLostDevice();
    void OnResetDevice();
    // Gives back the textures of every mesh and frees every entry.
    void Clear();

    uint16_t Count() const { return Entries_.Count(); }
    TMeshResource* Get(uint16_t index) const { return Entries_.Item(index); }

    TDeviceRef Device;
    std::unique_ptr<TTextureManager> TextureManager;

private:
    void LoadTextures(TMeshResource& entry);
    void ReleaseTextures(TMeshResource& entry);

    files::TDataRoot Root_;
    TListPointer<TMeshResource> Entries_;
};
