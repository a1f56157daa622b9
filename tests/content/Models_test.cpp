// Every model loads in Assimp (an independent reader) and in the game's own reader with the vertex and
// triangle counts the generator meant, its textures resolve beside it, and the shapes keep the game's
// scale: tanks in their 2 x 2 footprint, shells about 0.3 long, small repeated meshes under 300
// triangles so they are drawn instanced, the shield blended and everything else opaque.
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <assimp/Importer.hpp>
#include <map>

#include "ContentSupport.h"
#include "models/Mesh.h"
#include "util/Files.h"

using namespace content_test;

namespace {

class Models : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        temp_ = new TempDir("models");
        int status = 0;
        RunCommand("'" + Generator() + "' --manifest '" + temp_->Path() + "'", status);
        ASSERT_EQ(status, 0);
        for (const MeshFacts& f : LoadManifest(temp_->Path())) {
            facts_[f.file] = f;
        }
    }
    static void TearDownTestSuite() {
        delete temp_;
        temp_ = nullptr;
    }
    void SetUp() override { ASSERT_GT(facts_.size(), 35u); }
    static const MeshFacts& Facts(const std::string& name) { return facts_.at("Meshes/" + name); }

    static TempDir* temp_;
    static std::map<std::string, MeshFacts> facts_;
};

TempDir* Models::temp_ = nullptr;
std::map<std::string, MeshFacts> Models::facts_;

}  // namespace

TEST_F(Models, AssimpReadsEveryModelWithTheMeantCounts) {
    for (const auto& [file, f] : facts_) {
        Assimp::Importer importer;
        const aiScene* scene = importer.ReadFile(DataDir() + "/" + file, aiProcess_Triangulate);
        ASSERT_NE(scene, nullptr) << file << ": " << importer.GetErrorString();
        unsigned vertices = 0, triangles = 0;
        for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
            vertices += scene->mMeshes[m]->mNumVertices;
            for (unsigned k = 0; k < scene->mMeshes[m]->mNumFaces; ++k) {
                EXPECT_EQ(scene->mMeshes[m]->mFaces[k].mNumIndices, 3u) << file;
            }
            triangles += scene->mMeshes[m]->mNumFaces;
            EXPECT_TRUE(scene->mMeshes[m]->HasNormals()) << file;
            EXPECT_TRUE(scene->mMeshes[m]->HasTextureCoords(0)) << file;
        }
        EXPECT_EQ(vertices, static_cast<unsigned>(f.vertices)) << file;
        EXPECT_EQ(triangles, static_cast<unsigned>(f.triangles)) << file;
        EXPECT_EQ(scene->mNumMaterials >= static_cast<unsigned>(f.materials), true) << file;
    }
}

TEST_F(Models, TheGameReaderLoadsEveryModelAndFindsItsTextures) {
    for (const auto& [file, f] : facts_) {
        TMesh mesh;
        std::string error;
        ASSERT_TRUE(mesh.LoadFromMemory(ReadAll(DataDir() + "/" + file), file, error)) << error;
        ASSERT_EQ(mesh.GetMeshPartCount(), 1) << file;
        EXPECT_EQ(mesh.GetVertexCount(0), f.vertices) << file;
        ASSERT_EQ(mesh.GetSubsetCount(0), f.materials) << file;
        uint32_t triangles = 0;
        for (int s = 0; s < mesh.GetSubsetCount(0); ++s) {
            triangles += mesh.GetTriangleCount(0, s);
            const TMaterialRecord& material = mesh.MeshParts[0].Subsets[s].Material;
            EXPECT_FLOAT_EQ(material.FaceColor[3], s == 0 ? f.alpha : 1.0f) << file;
            ASSERT_FALSE(material.TextureFilename.empty()) << file;
            std::string texture = "Data\\Meshes\\" + material.TextureFilename;
            EXPECT_FALSE(files::TDataRoot(SourceDir()).Resolve(texture).empty())
                << file << " names the missing " << texture;
        }
        EXPECT_EQ(triangles, static_cast<uint32_t>(f.triangles)) << file;
        EXPECT_EQ(mesh.MeshParts[0].Normals.size(), mesh.MeshParts[0].Positions.size()) << file;
        EXPECT_EQ(mesh.MeshParts[0].TexCoords.size(), mesh.MeshParts[0].Positions.size()) << file;
    }
}

TEST_F(Models, RepeatedSmallMeshesStayUnderThreeHundredTriangles) {
    for (const char* name :
         {"Wall.x", "Wall1.x", "Wall2.x", "Wall_rock.x", "Wall_rock1.x", "Wall_rock2.x", "bullet.x",
          "roket.x", "grass.x", "ground.x", "tree.x", "pine.x", "rock.x", "bush.x"}) {
        EXPECT_LT(Facts(name).triangles, 300) << name;
    }
}

TEST_F(Models, OnlyTheShieldIsBlended) {
    for (const auto& [file, f] : facts_) {
        if (file == "Meshes/armour.x") {
            EXPECT_LT(f.alpha, 1.0f);
            EXPECT_GT(f.alpha, 0.1f);
        } else {
            EXPECT_EQ(f.alpha, 1.0f) << file;
        }
    }
}

TEST_F(Models, TanksFitTheirFootprintAndShellsAreShort) {
    for (const char* name : {"player.x", "Enemy1.x", "Enemy2.x", "Enemy3.x", "Enemy4.x"}) {
        const MeshFacts& f = Facts(name);
        EXPECT_GE(f.lo[0], -1.0f) << name;
        EXPECT_LE(f.hi[0], 1.0f) << name;
        EXPECT_GE(f.lo[2], -1.0f) << name;  // guns may reach past the front edge, nothing past the back
        EXPECT_LE(f.hi[2], 1.4f) << name;
        EXPECT_GE(f.lo[1], 0.0f) << name;  // standing on the ground
        EXPECT_LT(f.hi[1], 1.2f) << name;
    }
    for (const char* name : {"bullet.x", "roket.x"}) {
        const MeshFacts& f = Facts(name);
        float length = f.hi[2] - f.lo[2];
        EXPECT_GT(length, 0.2f) << name;
        EXPECT_LT(length, 0.5f) << name;
    }
}

TEST_F(Models, UpgradeTurretsGrowAndWaterCoversTheLargestLevel) {
    EXPECT_GT(Facts("tower2.x").hi[2], Facts("tower1.x").hi[2]);          // longer barrel
    EXPECT_GT(Facts("tower3.x").triangles, Facts("tower2.x").triangles);  // two barrels
    // The launcher pods stand out beside the turret.
    EXPECT_GT(Facts("tower4.x").hi[0] - Facts("tower4.x").lo[0],
              Facts("tower3.x").hi[0] - Facts("tower3.x").lo[0]);
    const MeshFacts& water = Facts("water.x");
    EXPECT_LE(water.lo[0], -60.0f);
    EXPECT_GE(water.hi[0], 60.0f);
    EXPECT_LE(water.lo[2], -60.0f);
    EXPECT_GE(water.hi[2], 60.0f);
}
