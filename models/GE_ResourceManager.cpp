#include "models/GE_ResourceManager.h"

#include "render/TextureLoader.h"
#include "util/Log.h"

static std::string CutName(std::string_view name) {
    return std::string(name.substr(0, kResourceNameLength));
}

// ---- TTextureManager ----

TTextureManager::~TTextureManager() {
    Clear();
}

TTextureResource* TTextureManager::AddTexture(TDeviceRef device, std::string_view name,
                                              std::string_view fileName) {
    const std::string key = CutName(fileName);
    for (uint16_t i = 0; i < Count(); ++i) {
        TTextureResource* entry = Get(i);
        if (entry->FileName == key) {
            ++entry->RefCount;
            return entry;
        }
    }
    if (Entries_.Full()) {
        return nullptr;
    }
    auto entry = std::make_unique<TTextureResource>();
    // One level: the game never sets a mip filter, so only the top level is ever sampled, and a chain
    // below it would cost start-up time and a third more texture memory for nothing on screen.
    platform::TextureHandle texture;
    std::string error;
    if (!CreateTextureFromFileOneLevel(Root_, device, fileName, texture, error)) {
        logging::Write("models", error);  // the entry stays, without a texture
    }
    entry->Texture = TUniqueTexture(device, texture);
    entry->Name = CutName(name);
    entry->FileName = key;
    entry->RefCount = 1;
    return Entries_.Add(std::move(entry));
}

TTextureResource* TTextureManager::FindTexture(std::string_view name) const {
    const std::string key = CutName(name);
    for (uint16_t i = 0; i < Count(); ++i) {
        if (Get(i)->Name == key) {
            return Get(i);
        }
    }
    return nullptr;
}

void TTextureManager::ReleaseAt(uint16_t index) {
    TTextureResource* entry = Get(index);
    if (--entry->RefCount > 0) {
        return;
    }
    Entries_.Delete(index);
}

void TTextureManager::ReleaseTexture(std::string_view name) {
    const std::string key = CutName(name);
    for (uint16_t i = 0; i < Count(); ++i) {
        if (Get(i)->Name == key) {
            ReleaseAt(i);
            return;
        }
    }
}

void TTextureManager::ReleaseTextureFile(std::string_view fileName) {
    const std::string key = CutName(fileName);
    for (uint16_t i = 0; i < Count(); ++i) {
        if (Get(i)->FileName == key) {
            ReleaseAt(i);
            return;
        }
    }
}

void TTextureManager::Clear() {
    Entries_.Clear();
}

// ---- TMeshManager ----

TMeshManager::TMeshManager(TDeviceRef device, files::TDataRoot root)
    : Device(device), TextureManager(std::make_unique<TTextureManager>(root)), Root_(std::move(root)) {}

TMeshManager::~TMeshManager() {
    Clear();
    TextureManager.reset();
}

// The texture key of every subset that names a texture: the mesh file's directory and the name.
template <typename Visit>
static void ForEachSubsetTexture(const TMeshDraw& mesh, Visit visit) {
    const std::string directory = ExtractDirPart(mesh.FileName);
    for (size_t p = 0; p < mesh.MeshParts.size(); ++p) {
        for (size_t s = 0; s < mesh.MeshParts[p].Subsets.size(); ++s) {
            const std::string& name = mesh.MeshParts[p].Subsets[s].Material.TextureFilename;
            if (!name.empty()) {
                visit(static_cast<int>(p), static_cast<int>(s), directory + name);
            }
        }
    }
}

void TMeshManager::LoadTextures(TMeshResource& entry) {
    ForEachSubsetTexture(*entry.Mesh, [&](int part, int subset, const std::string& key) {
        entry.Mesh->SetSubsetTexture(part, subset, TextureManager->AddTexture(Device, key, key));
    });
}

void TMeshManager::ReleaseTextures(TMeshResource& entry) {
    ForEachSubsetTexture(*entry.Mesh, [&](int part, int subset, const std::string& key) {
        entry.Mesh->SetSubsetTexture(part, subset, nullptr);
        TextureManager->ReleaseTextureFile(key);
    });
}

TMeshResource* TMeshManager::LoadMesh(std::string_view fileName, std::string_view name, uint32_t pool,
                                      uint32_t usage) {
    const std::string key = CutName(fileName);
    for (uint16_t i = 0; i < Count(); ++i) {
        if (Get(i)->FileName == key) {
            return Get(i);
        }
    }
    if (Entries_.Full()) {
        return nullptr;
    }
    auto entry = std::make_unique<TMeshResource>();
    entry->Mesh = std::make_unique<TMeshDraw>(Device);
    entry->Mesh->SetUsage(usage);
    entry->Mesh->SetPool(pool);
    std::string error;
    if (!entry->Mesh->LoadFromFile(Root_, std::string(fileName), error)) {
        logging::Write("models", error);  // the entry keeps an empty mesh, drawn as nothing
    }
    entry->Mesh->BuildVertexBuffers();
    entry->Mesh->BuildIndexBuffers();
    entry->Mesh->BuildMaterials();
    LoadTextures(*entry);
    entry->Name = CutName(name);
    entry->FileName = key;
    return Entries_.Add(std::move(entry));
}

TMeshResource* TMeshManager::FindMesh(std::string_view name) const {
    const std::string key = CutName(name);
    for (uint16_t i = 0; i < Count(); ++i) {
        if (Get(i)->Name == key) {
            return Get(i);
        }
    }
    return nullptr;
}

void TMeshManager::DeleteMesh(std::string_view name) {
    const std::string key = CutName(name);
    for (uint16_t i = 0; i < Count(); ++i) {
        TMeshResource* entry = Get(i);
        if (entry->Name == key) {
            ReleaseTextures(*entry);
            Entries_.Delete(i);
            return;
        }
    }
}

void TMeshManager::OnLostDevice() {
    for (uint16_t i = 0; i < Count(); ++i) {
        if (Get(i)->Mesh->GetPool() == platform::D3DPOOL_DEFAULT) {
            Get(i)->Mesh->ReleaseDeviceBuffers();
        }
    }
}

void TMeshManager::OnResetDevice() {
    for (uint16_t i = 0; i < Count(); ++i) {
        if (Get(i)->Mesh->GetPool() == platform::D3DPOOL_DEFAULT) {
            Get(i)->Mesh->RestoreDeviceBuffers();
        }
    }
}

void TMeshManager::Clear() {
    for (uint16_t i = 0; i < Count(); ++i) {
        TMeshResource* entry = Get(i);
        if (TextureManager) {
            ReleaseTextures(*entry);
        }
    }
    Entries_.Clear();
}
