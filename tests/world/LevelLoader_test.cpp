#include "world/LevelLoader.h"

#include "WorldTestSupport.h"
#include "models/MeshDraw.h"
#include "scene/GE_GAMEOBJECT.h"
#include "world/Base.h"
#include "world/Wall.h"

namespace {

using LevelLoaderTest = WorldTest;

TEST_F(LevelLoaderTest, FillsTheLevelNodeWithWallsBaseAndDecoration) {
    std::string text = OpenLevel(4, 3, {"1230", "0007", "0000"}, 1, 1);
    // One decoration: replace the closing count.
    text.replace(text.rfind("Decor 0"), 7,
                 "Decor 1\nMesh file Data\\Meshes\\grass.x\nPos x 1.5\nPos y 0\nPos z 2\nRot x 0\nRot y 90\n"
                 "Rot z 0\nScale x 1\nScale y 1\nScale z 1\n");
    LoadText(text);
    ASSERT_NE(Level(), nullptr);
    auto* brick = dynamic_cast<TWall*>(scene->GetRoot()->FindObject("Wall 0 0"));
    auto* rock = dynamic_cast<TWall*>(scene->GetRoot()->FindObject("Wall 1 0"));
    ASSERT_NE(brick, nullptr);
    ASSERT_NE(rock, nullptr);
    EXPECT_FLOAT_EQ(brick->Health, 3.0f);
    EXPECT_FLOAT_EQ(rock->MaxHealth, 6.0f);
    EXPECT_FLOAT_EQ(brick->GetPosition().X, -1.5f);
    EXPECT_FLOAT_EQ(brick->GetPosition().Z, 1.0f);
    EXPECT_EQ(Map().Cell(2, 0), 1);  // water
    EXPECT_EQ(Map().Cell(3, 1), 0);  // code 7: nothing
    auto* base = dynamic_cast<TBase*>(scene->GetRoot()->FindObject("Base"));
    ASSERT_NE(base, nullptr);
    EXPECT_FLOAT_EQ(base->GetPosition().X, 0.0f);
    EXPECT_FLOAT_EQ(base->GetPosition().Z, -0.5f);
    auto* decor = dynamic_cast<TGameObject*>(scene->GetRoot()->FindObject("Decor"));
    ASSERT_NE(decor, nullptr);
    EXPECT_FLOAT_EQ(decor->GetRotation().Y, 90.0f);
    ASSERT_NE(decor->GetMesh(), nullptr);
    EXPECT_EQ(decor->GetMesh()->Name, "grass.x");
    EXPECT_EQ(Map().DecorMeshes.size(), 1u);
}

TEST_F(LevelLoaderTest, OnlyGrassIsLoadedForChangingBuffersAndTheNameIsCaseSensitive) {
    std::string text = OpenLevel(4, 4);
    std::string decor = "Decor 3\n";
    for (const char* path : {"a\\grass.x", "b/Grass.x", "c\\tree.x"}) {
        decor += std::string("Mesh file ") + path +
                 "\nPos x 0\nPos y 0\nPos z 0\nRot x 0\nRot y 0\nRot z 0\nScale x 1\nScale y 1\nScale z 1\n";
    }
    text.replace(text.rfind("Decor 0"), 7, decor);
    LoadText(text);
    ASSERT_NE(meshes->FindMesh("grass.x"), nullptr);
    ASSERT_NE(meshes->FindMesh("Grass.x"), nullptr);
    ASSERT_NE(meshes->FindMesh("tree.x"), nullptr);
    EXPECT_EQ(meshes->FindMesh("grass.x")->Mesh->GetUsage(), 512u);
    EXPECT_EQ(meshes->FindMesh("Grass.x")->Mesh->GetUsage(), 8u);
    EXPECT_EQ(meshes->FindMesh("tree.x")->Mesh->GetUsage(), 8u);
    EXPECT_EQ(Map().DecorCount, 3);
}

TEST_F(LevelLoaderTest, UnloadFreesTheWorldAndTheDecorMeshesOnce) {
    std::string text = OpenLevel(4, 4, {"1000"}, 1, 1);
    text.replace(text.rfind("Decor 0"), 7,
                 "Decor 1\nMesh file Data\\Meshes\\tree.x\nPos x 0\nPos y 0\nPos z 0\nRot x 0\nRot y 0\n"
                 "Rot z 0\nScale x 1\nScale y 1\nScale z 1\n");
    LoadText(text);
    ASSERT_NE(meshes->FindMesh("tree.x"), nullptr);
    UnloadLevel(world);
    EXPECT_EQ(Level(), nullptr);
    EXPECT_EQ(meshes->FindMesh("tree.x"), nullptr);
    EXPECT_EQ(Map().Cell(0, 0), 0);     // the wall gave its cell back
    EXPECT_TRUE(world.State.GameOver);  // the base's destroy ran
    UnloadLevel(world);                 // a second call is harmless
    EXPECT_NE(meshes->FindMesh("Wall"), nullptr);
}

TEST_F(LevelLoaderTest, BrokenOrMissingFilesChangeNothing) {
    LoadText(OpenLevel(6, 6));
    TMap* before = world.State.Map.get();
    std::string error;
    EXPECT_FALSE(LoadLevel(world, root, "Data/maps/no-such-level.txt", error));
    EXPECT_NE(error.find("no-such-level.txt"), std::string::npos) << error;
    EXPECT_EQ(world.State.Map.get(), before);
    EXPECT_NE(Level(), nullptr);
}

TEST_F(LevelLoaderTest, ADescriptionShortOfCellCodesIsRefused) {
    LoadText(OpenLevel(6, 6));
    TMap* before = world.State.Map.get();
    TLevelDescription level;
    level.Width = 40;
    level.Height = 40;
    level.Codes.assign(10, kCellBrickWall);
    std::string error;
    EXPECT_FALSE(BuildLevel(world, level, error));
    EXPECT_NE(error.find("40 x 40"), std::string::npos) << error;
    EXPECT_EQ(world.State.Map.get(), before);
    EXPECT_NE(Level(), nullptr);
}

TEST_F(LevelLoaderTest, LoadingASecondLevelReplacesTheFirst) {
    LoadText(OpenLevel(6, 6, {"111111"}));
    LoadText(OpenLevel(8, 8));
    EXPECT_EQ(All<TWall>().size(), 0u);
    EXPECT_EQ(Map().Width(), 8);
    int levels = 0;
    for (int i = 0; i < scene->GetRoot()->GetChildCount(); ++i) {
        levels += scene->GetRoot()->GetChild(i)->GetName() == "Level";
    }
    EXPECT_EQ(levels, 1);
}

}  // namespace
