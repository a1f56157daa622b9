// Loading a level into the world and taking it out again. Everything of a level lives under the node
// "Level" below the scene root, so unloading frees the whole world in one step.
#pragma once

#include <string>

#include "util/Files.h"

struct TWorld;

// Reads the level file (a game path in `root`) and fills `world`: a new current map, the node "Level"
// with the walls, the base and the decorations; the player start and spawn points go to the map. The
// file is checked completely before anything is created: on a missing or malformed file nothing
// changes, the reason goes to `error` (naming the file and the place) and the result is false.
bool LoadLevel(TWorld& world, const files::TDataRoot& root, const std::string& fileName, std::string& error);

struct TLevelDescription;
// The second half of LoadLevel: fills the world from a level already read and checked. False (nothing
// changed) only when there is no scene root or the cell codes do not fill the grid.
bool BuildLevel(TWorld& world, const TLevelDescription& level, std::string& error);

// Frees the node "Level" (and with it every object of the level) and gives the level's decoration
// meshes back to the mesh cache. The map stays until the next LoadLevel. Safe to call twice.
void UnloadLevel(TWorld& world);
