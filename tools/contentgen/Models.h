// Every model of the game, built in code.
#pragma once

#include <string>
#include <vector>

#include "Mesh.h"

namespace contentgen {

struct NamedMesh {
    std::string fileName;  // under Data/Meshes
    ExportedMesh mesh;
};

// Tanks, turrets, shells, walls, the base, bonuses, the shield, helpers.
std::vector<NamedMesh> BuildGameModels();
// Water, ground tile and the decoration the levels place.
std::vector<NamedMesh> BuildSceneryModels();

}  // namespace contentgen
