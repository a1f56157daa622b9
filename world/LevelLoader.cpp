#include "world/LevelLoader.h"

#include "models/GE_ResourceManager.h"
#include "platform/GraphicsDevice.h"
#include "scene/GE_GAMEOBJECT.h"
#include "util/GE_UTILS.h"
#include "world/Base.h"
#include "world/LevelFile.h"
#include "world/Wall.h"
#include "world/World.h"

bool LoadLevel(TWorld& world, const files::TDataRoot& root, const std::string& fileName, std::string& error) {
    TLevelDescription level;
    if (!ReadLevelFile(root, fileName, level, error))
        return false;
    if (!BuildLevel(world, level, error)) {
        error = QuotePathForMessage(fileName) + ": " + error;
        return false;
    }
    return true;
}

bool BuildLevel(TWorld& world, const TLevelDescription& level, std::string& error) {
    TWorldContext& context = world.Context;
    if (context.SceneRoot == nullptr) {
        error = "no scene to load the level into";
        return false;
    }
    // A description made by hand rather than by the parser must still hold one code per cell.
    if (level.Width < 0 || level.Height < 0 ||
        level.Codes.size() != std::size_t(level.Width) * std::size_t(level.Height)) {
        error = "the level's cell codes do not fill its " + std::to_string(level.Width) + " x " +
                std::to_string(level.Height) + " grid";
        return false;
    }
    // A level still in the world goes first: its objects free their cells on the map they were made on.
    if (context.SceneRoot->FindObject("Level") != nullptr)
        UnloadLevel(world);

    TGameState& state = world.State;
    state.Map = BuildMap(level);
    TMap& map = *state.Map;
    TMoveableObject* node = context.SceneRoot->AddChild(std::make_unique<TMoveableObject>("Level"));

    for (int32_t y = 0; y < level.Height; ++y) {
        for (int32_t x = 0; x < level.Width; ++x) {
            int32_t code = level.Code(x, y);
            if (code == kCellBrickWall)
                node->AddChild(MakeBrickWall(world, WallName(x, y), x, y, 3.0f));
            if (code == kCellRockWall)
                node->AddChild(MakeRockWall(world, WallName(x, y), x, y));
        }
    }

    if (map.HasBase) {
        map.OccupyTank(map.BaseX, map.BaseY);
        node->AddChild(std::make_unique<TBase>(world, "Base", FindMesh(world, "Base_cube"),
                                               FindMesh(world, "Base_body")));
        map.OccupyTank(map.BaseX, map.BaseY);
    }

    for (const TLevelDecoration& decoration : level.Decorations) {
        TMeshResource* mesh = nullptr;
        if (context.Meshes != nullptr) {
            uint32_t usage =
                decoration.meshName == "grass.x" ? platform::D3DUSAGE_DYNAMIC : platform::D3DUSAGE_WRITEONLY;
            mesh = context.Meshes->LoadMesh(decoration.path, decoration.meshName, platform::D3DPOOL_DEFAULT,
                                            usage);
        }
        auto decor = std::make_unique<TGameObject>("Decor", mesh);
        decor->SetPosition(decoration.position.X, decoration.position.Y, decoration.position.Z);
        decor->SetRotation(decoration.rotation.X, decoration.rotation.Y, decoration.rotation.Z);
        decor->SetScale(decoration.scale.X, decoration.scale.Y, decoration.scale.Z);
        decor->SetStatic(true);
        node->AddChild(std::move(decor));
    }
    return true;
}

void UnloadLevel(TWorld& world) {
    TWorldContext& context = world.Context;
    if (context.SceneRoot != nullptr)
        context.SceneRoot->DeleteObject("Level");
    TMap* map = CurrentMap(world);
    if (map == nullptr)
        return;
    if (context.Meshes != nullptr) {
        for (const std::string& name : map->DecorMeshes)
            context.Meshes->DeleteMesh(name);
    }
    map->DecorMeshes.clear();
    map->DecorCount = 0;
}
