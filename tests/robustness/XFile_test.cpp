// .x models under damage: shipped meshes and a hand-written skinned, animated model cut, flipped and
// given hostile counts, plus frames and blocks nested without end.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "models/Mesh.h"
#include "tests/robustness/Mutations.h"
#include "util/Log.h"

using namespace robustness;

namespace {

// Lines the reader logs are not wanted on the console thousands of times.
class QuietLog {
public:
    QuietLog() {
        previous_ = logging::SetSink([](std::string_view, std::string_view) {});
    }
    ~QuietLog() { logging::SetSink(previous_); }

private:
    logging::Sink previous_;
};

const char* const kSkinned =
    "xof 0303txt 0032\n"
    "Material Red { 1.0;0.0;0.0;1.0;; 8.0; 1.0;1.0;1.0;; 0.0;0.0;0.0;; TextureFilename { \"red.png\"; } }\n"
    "Frame Root {\n"
    " FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }\n"
    " Frame Arm { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 2,0,0,1;; } }\n"
    " Mesh Body {\n"
    "  4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;;\n"
    "  2; 3;0,1,2;, 4;0,1,2,3;;\n"
    "  MeshNormals { 1; 0;0;1;; 2; 3;0,0,0;, 4;0,0,0,0;; }\n"
    "  MeshTextureCoords { 4; 0;0;, 1;0;, 1;1;, 0;1;; }\n"
    "  MeshMaterialList { 2; 2; 0, 1;; { Red } Material { 0;1;0;1;; 1; 0;0;0;; 0;0;0;; } }\n"
    "  XSkinMeshHeader { 2; 4; 2; }\n"
    "  SkinWeights { \"Root\"; 2; 0, 1; 0.5, 1.0; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }\n"
    "  SkinWeights { \"Arm\"; 3; 0, 2, 3; 0.5, 1.0, 1.0; 1,0,0,0, 0,1,0,0, 0,0,1,0, -2,0,0,1;; }\n"
    " }\n"
    "}\n"
    "AnimationSet Walk {\n"
    " Animation { { Arm }\n"
    "  AnimationKey { 4; 2; 0; 16; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;;, 100; 16; 1,0,0,0, 0,1,0,0, "
    "0,0,1,0, 0,3,0,1;;; }\n"
    "  AnimationKey { 0; 1; 0; 4; 1,0,0,0;;; }\n"
    " }\n"
    "}\n";

// The promises of the mesh header: every index inside its arrays, whatever the file said.
void ExpectConsistent(const TMesh& mesh, const std::string& what) {
    for (const TMeshPart& part : mesh.MeshParts) {
        ASSERT_EQ(part.Positions.size(), part.VertexCount) << what;
        ASSERT_TRUE(part.Normals.empty() || part.Normals.size() == part.VertexCount) << what;
        ASSERT_TRUE(part.TexCoords.empty() || part.TexCoords.size() == part.VertexCount) << what;
        ASSERT_EQ(part.BlendWeights.size(), part.BlendIndices.size()) << what;
        ASSERT_TRUE(part.BlendWeights.empty() || part.BlendWeights.size() == part.VertexCount) << what;
        for (const TVector4& slots : part.BlendIndices) {
            for (float bone : {slots.X, slots.Y, slots.Z, slots.W}) {
                ASSERT_TRUE(bone == kFreeBoneSlot || bone < static_cast<float>(mesh.Bones.size())) << what;
            }
        }
        for (const TSubset& subset : part.Subsets) {
            ASSERT_EQ(subset.IndexCount() % 3, 0u) << what;
            for (uint16_t index : subset.Indices) {
                ASSERT_LT(index, part.VertexCount) << what;
            }
        }
    }
    ASSERT_EQ(mesh.BonePalette.size(), mesh.Bones.size()) << what;
}

Outcome LoadModel(const std::string& bytes, const std::string& name, const std::string& what) {
    TMesh mesh;
    Outcome o;
    std::string error;
    o.ok = mesh.LoadFromMemory(bytes, name, error);
    o.message = error;
    ExpectConsistent(mesh, what);
    // Animate what was read: sampling and the palette touch every track, key and bone.
    mesh.MarkFrames();
    for (int set = 0; set < mesh.GetAnimationSetCount(); ++set) {
        mesh.SampleAnimationSet(set, 50, 1.0f);
    }
    mesh.RestoreUnanimatedFrames();
    mesh.UpdateCombinedMatrices();
    mesh.BuildBonePalette();
    return o;
}

void MutateModel(const std::string& text, const std::string& name, uint64_t seed, std::size_t flips,
                 std::size_t numbers) {
    QuietLog quiet;
    std::vector<Case> cases = TextMutations(text, seed, flips, numbers);
    ExpectNamedFailures(
        cases, name, [&name](const std::string& bytes) { return LoadModel(bytes, name, "mutated " + name); });
}

TEST(XFile_Damaged, ShippedModelsFailWithTheFileNamedAndKeepEveryIndexInRange) {
    MutateModel(ReadShipped("Data/Meshes/helperT.x"), "Data/Meshes/helperT.x", 81, 500, 300);
    MutateModel(ReadShipped("Data/Meshes/bullet.x"), "Data/Meshes/bullet.x", 82, 300, 200);
    MutateModel(ReadShipped("Data/Meshes/tower.x"), "Data/Meshes/tower.x", 83, 100, 100);
}

// A model cut between the start of a top-level frame and the brace that closes it is not whole, and
// the load says so.
TEST(XFile_Damaged, EveryCutInsideATopLevelFrameFails) {
    QuietLog quiet;
    const std::string helper = ReadShipped("Data/Meshes/helperT.x");
    const std::string skinned = kSkinned;
    const struct {
        const std::string& text;
        std::size_t begin, end;
    } frames[] = {
        {helper, helper.find("Frame "), helper.rfind('}')},
        {skinned, skinned.find("Frame Root"), skinned.find("\n}\nAnimationSet") + 1},
    };
    for (const auto& frame : frames) {
        ASSERT_NE(frame.begin, std::string::npos);
        ASSERT_LT(frame.begin, frame.end);
        for (std::size_t n = frame.begin + 6; n < frame.end; n += 7) {
            const Outcome o = LoadModel(frame.text.substr(0, n), "Data/Meshes/cut.x", "cut");
            EXPECT_FALSE(o.ok) << "cut to " << n << " bytes of " << frame.text.size();
            EXPECT_NE(o.message.find("cut.x"), std::string::npos) << o.message;
        }
    }
}

TEST(XFile_Damaged, ASkinnedAnimatedModelFailsWithTheFileNamedAndKeepsEveryIndexInRange) {
    {
        QuietLog quiet;
        TMesh mesh;
        std::string error;
        ASSERT_TRUE(mesh.LoadFromMemory(kSkinned, "skinned.x", error)) << error;
        ASSERT_EQ(mesh.GetBoneCount(), 2);
        ASSERT_EQ(mesh.GetAnimationSetCount(), 1);
    }
    MutateModel(kSkinned, "Data/Meshes/skinned.x", 84, 1500, 600);
}

TEST(XFile_Hostile, InflatedCountsFailWithoutAHugeAllocation) {
    QuietLog quiet;
    const std::string head = "xof 0303txt 0032\nFrame F {\n Mesh M {\n";
    const std::string square = "4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;;\n";
    const std::vector<std::string> bodies = {
        "2000000000; 0;0;0;;",                                               // vertices
        "65535; 0;0;0;;",                                                    // the most, one given
        "65536;",                                                            // one beyond 16 bits
        "-1;",                                                               // negative
        "4294967296;",                                                       // beyond 32 bits
        square + "4294967295; 3;0,1,2;;",                                    // faces
        square + "1; 4294967295; 0,1,2;;",                                   // indices of a face
        square + "1; 3;0,1,4;;",                                             // an index outside
        square + "1; 3;0,1,2;; MeshNormals { 2000000000; 0;0;1;; }",         // normals
        square + "1; 3;0,1,2;; MeshNormals { 1; 0;0;1;; 1; 3;0,0,5;; }",     // normal index
        square + "1; 3;0,1,2;; MeshMaterialList { 1; 1; 65534;; } } }",      // material index
        square + "1; 3;0,1,2;; MeshMaterialList { 1; 1; 65535;; } } }",      // beyond 16 bits
        square + "1; 3;0,1,2;; SkinWeights { \"B\"; 2000000000; 0; 1.0; }",  // weights
        square + "1; 3;0,1,2;; SkinWeights { \"B\"; 1; 4; 1.0; }",           // skin vertex
        square + "1; 3;0,1,2;; MeshTextureCoords { 2000000000; 0;0;; }",     // texture coords
        square + "1; 3;0,1,2;; } } AnimationSet A { Animation { { F } AnimationKey { 4; 2000000000; 0; 16;",
        square + "1; 3;0,1,2;; } } AnimationSet A { Animation { { F } AnimationKey { 4; 1; 0; 16; nan;",
        square + "1; 3;0,1,2;; } } AnimationKey { 4; 1; 0; 16;",  // key outside
        square + "1; 3;0,1,2;; } } Animation { { F } }",          // outside a set
        "4; 1e39;0;0;,",                                          // beyond a float
        "4; inf;0;0;,",                                           // infinite
    };
    for (const std::string& body : bodies) {
        const Outcome o = LoadModel(head + body, "Data/Meshes/huge.x", body.substr(0, 60));
        EXPECT_FALSE(o.ok) << body;
        EXPECT_NE(o.message.find("huge.x"), std::string::npos) << o.message;
    }
}

TEST(XFile_Hostile, EndlessNestingAndNeverClosedBlocksEndTheLoad) {
    QuietLog quiet;
    std::string frames = "xof 0303txt 0032\n";
    for (int i = 0; i < 100000; ++i) {
        frames += "Frame f" + std::to_string(i) + " {\n";
    }
    std::string blocks = "xof 0303txt 0032\n";
    for (int i = 0; i < 200000; ++i) {
        blocks += "Unknown {\n";
    }
    std::string open = "xof 0303txt 0032\nUnknown ";
    for (int i = 0; i < 500000; ++i) {
        open += "{ ";
    }
    std::string siblings = "xof 0303txt 0032\n";
    for (int i = 0; i < 50000; ++i) {
        siblings += "Frame s" + std::to_string(i) + " { }\n";
    }
    const std::vector<std::string> inputs = {
        frames,
        blocks,
        "xof 0303txt 0032\nFrame F { Mesh M { 4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;; 1; 3;0,1,2;;",
        "xof 0303txt 0032\ntemplate Frame { <3D82AB46-62DA-11cf-AB39-0020AF71E433> [...]",
        "xof 0303txt 0032\nMaterial M { 1;1;1;1;; 1; 0;0;0;; 0;0;0;; TextureFilename {",
        "xof 0303txt 0032\nAnimationSet A { Animation { { F } AnimationKey { 2; 1; 0; 3; 0;0;0;",
        "xof 0103bin 0032\n",
        "xof 0303tzip 0032\n",
        "xo",
        "",
        open,
    };
    for (const std::string& input : inputs) {
        const Outcome o = LoadModel(input, "Data/Meshes/nested.x", input.substr(0, 60));
        EXPECT_FALSE(o.ok) << input.substr(0, 60);
        EXPECT_NE(o.message.find("nested.x"), std::string::npos) << o.message.substr(0, 200);
    }
    // Fifty thousand frames side by side are a valid file and are freed without deep recursion.
    const Outcome o = LoadModel(siblings, "Data/Meshes/siblings.x", "siblings");
    EXPECT_TRUE(o.ok) << o.message;
}

// Bones and tracks find their frames by name once per file, not by a walk of the tree per bone: a
// model with tens of thousands of each loads in a moment instead of hanging the start of a level.
TEST(XFile_Hostile, ManyBonesAndManyFramesLoad) {
    QuietLog quiet;
    constexpr int kCount = 30000;
    std::string text = "xof 0303txt 0032\n";
    for (int i = 0; i < kCount; ++i) {
        text += "Frame f" + std::to_string(i) + " { }\n";
    }
    text += "Mesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n";
    for (int i = 0; i < kCount; ++i) {
        // Every bone but the last names a frame that is not there, the worst case for a search.
        const std::string bone = i + 1 < kCount ? "b" + std::to_string(i) : "f" + std::to_string(i);
        text += "SkinWeights { \"" + bone + "\"; 0; ; ; 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }\n";
    }
    text += "}\nAnimationSet A {\n";
    for (int i = 0; i < kCount; ++i) {
        text += "Animation { { t" + std::to_string(i) + " } }\n";
    }
    text += "}\n";
    TMesh mesh;
    std::string error;
    ASSERT_TRUE(mesh.LoadFromMemory(text, "Data/Meshes/bones.x", error)) << error;
    EXPECT_EQ(mesh.GetBoneCount(), kCount);
    EXPECT_EQ(mesh.Bones.front().Frame, nullptr);
    ASSERT_NE(mesh.Bones.back().Frame, nullptr);
    EXPECT_EQ(mesh.Bones.back().Frame->Name, "f" + std::to_string(kCount - 1));
}

}  // namespace
