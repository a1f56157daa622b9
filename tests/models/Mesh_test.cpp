// TMesh queries and animation: frame look-up, ranges of the accessors, key sampling and blending, the
// bone palette; and TAnimationController's time keeping.
#include "models/Mesh.h"

#include <gtest/gtest.h>

#include "ModelTestSupport.h"
#include "models/AnimationController.h"
#include "models/GE_ResourceManager.h"

using model_test::kHeader;

namespace {

TMatrix Translation(float x, float y, float z) {
    TMatrix m;
    D3DXMatrixTranslation(m, x, y, z);
    return m;
}

TMatrix Filled(float base) {
    TMatrix m;
    for (int i = 0; i < 16; ++i) {
        m.m[i / 4][i % 4] = base + static_cast<float>(i);
    }
    return m;
}

void ExpectMatrixNear(const TMatrix& actual, const TMatrix& expected) {
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            EXPECT_NEAR(actual.m[i][j], expected.m[i][j], 1e-4f) << "element " << i + 1 << j + 1;
        }
    }
}

// A mesh with frames Root > Arm, built by hand, with one set animating Arm with keys A at 0, B at 100.
struct AnimatedMesh : ::testing::Test {
    TMesh mesh;
    TFrame* root = nullptr;
    TFrame* arm = nullptr;
    TMatrix a = Filled(1), b = Filled(50);

    void SetUp() override {
        mesh.RootFrame = std::make_unique<TFrame>();
        root = mesh.RootFrame.get();
        root->Name = "Root";
        root->TransformMatrix = Translation(0, 1, 0);
        root->FirstChild = std::make_unique<TFrame>();
        arm = root->FirstChild.get();
        arm->Name = "Arm";
        arm->TransformMatrix = Translation(2, 0, 0);
        AddSet({{0, a}, {100, b}});
        mesh.MarkFrames();
        mesh.RestoreUnanimatedFrames();
        mesh.UpdateCombinedMatrices();
    }

    void AddSet(std::vector<std::pair<uint32_t, TMatrix>> keys, TFrame* frame = nullptr) {
        TAnimation set;
        TFrameAnimation track;
        track.Frame = frame != nullptr ? frame : arm;
        track.FrameName = track.Frame->Name;
        for (auto& [time, matrix] : keys) {
            track.Keys.push_back({time, matrix});
        }
        set.Tracks.push_back(track);
        set.Length = keys.back().first;
        mesh.AnimationSets.push_back(set);
    }

    void Sample(int set, uint32_t time, float weight) {
        mesh.MarkFrames();
        mesh.SampleAnimationSet(set, time, weight);
        mesh.RestoreUnanimatedFrames();
        mesh.UpdateCombinedMatrices();
    }
};

TEST_F(AnimatedMesh, SampleBetweenKeysBlendsElementByElement) {
    Sample(0, 25, 1.0f);
    ExpectMatrixNear(arm->CurrentMatrix, MatrixAdd(MatrixScale(a, 0.75f), MatrixScale(b, 0.25f)));
}

TEST_F(AnimatedMesh, SampleOutsideTheKeysTakesTheNearestEnd) {
    mesh.AnimationSets[0].Tracks[0].Keys[0].Time = 10;
    Sample(0, 5, 1.0f);
    ExpectMatrixNear(arm->CurrentMatrix, a);
    Sample(0, 1000, 1.0f);
    ExpectMatrixNear(arm->CurrentMatrix, b);
}

TEST_F(AnimatedMesh, SampleIsScaledByTheWeight) {
    Sample(0, 0, 0.5f);
    ExpectMatrixNear(arm->CurrentMatrix, MatrixScale(a, 0.5f));
}

TEST_F(AnimatedMesh, TwoHalfWeightedSetsAverageAndUnanimatedFramesKeepTheirTransform) {
    AddSet({{0, b}, {100, b}});
    mesh.MarkFrames();
    mesh.SampleAnimationSet(0, 0, 0.5f);
    mesh.SampleAnimationSet(1, 0, 0.5f);
    mesh.RestoreUnanimatedFrames();
    mesh.UpdateCombinedMatrices();
    ExpectMatrixNear(arm->CurrentMatrix, MatrixScale(MatrixAdd(a, b), 0.5f));
    ExpectMatrixNear(root->CurrentMatrix, Translation(0, 1, 0));
    ExpectMatrixNear(arm->CombinedMatrix, MatrixMultiply(arm->CurrentMatrix, root->CurrentMatrix));
}

TEST_F(AnimatedMesh, KeysOfTheSameTimeDoNotDivideByZero) {
    AddSet({{0, a}, {50, a}, {50, b}, {100, b}});
    Sample(1, 50, 1.0f);
    ExpectMatrixNear(arm->CurrentMatrix, a);
    Sample(1, 75, 1.0f);
    ExpectMatrixNear(arm->CurrentMatrix, b);
}

TEST_F(AnimatedMesh, SetIndexOutOfRangeAndTracksWithoutFramesDoNothing) {
    mesh.AnimationSets[0].Tracks[0].Frame = nullptr;
    Sample(0, 25, 1.0f);
    Sample(7, 25, 1.0f);
    Sample(-1, 25, 1.0f);
    ExpectMatrixNear(arm->CurrentMatrix, Translation(2, 0, 0));
}

TEST_F(AnimatedMesh, BonePaletteIsTheTransposedOffsetTimesCombined) {
    TBone bone;
    bone.Name = "Arm";
    bone.Frame = arm;
    bone.OffsetMatrix = Translation(-2, -1, 0);
    mesh.Bones.push_back(bone);
    TBone loose;
    loose.OffsetMatrix = Filled(3);
    mesh.Bones.push_back(loose);
    mesh.BuildBonePalette();
    ASSERT_EQ(mesh.GetBoneCount(), 2);
    ASSERT_NE(mesh.GetBonePalette(), nullptr);
    // Offset undoes the bind pose: at rest the palette is the identity.
    ExpectMatrixNear(mesh.GetBonePalette()[0], MatrixIdentity());
    ExpectMatrixNear(mesh.GetBonePalette()[1], MatrixTranspose(loose.OffsetMatrix));
    Sample(0, 0, 1.0f);
    mesh.BuildBonePalette();
    ExpectMatrixNear(
        mesh.GetBonePalette()[0],
        MatrixTranspose(MatrixMultiply(bone.OffsetMatrix, MatrixMultiply(a, root->CurrentMatrix))));
}

TEST(Mesh_Queries, FindFrameReturnsTheFirstInDepthFirstOrder) {
    TMesh mesh;
    std::string error;
    ASSERT_TRUE(mesh.LoadFromMemory(
        std::string(kHeader) + "Frame A { Frame B { Frame Twin { } } Frame C { } }\nFrame Twin { }\n", "f.x",
        error));
    TFrame* found = mesh.FindFrame("Twin");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found, mesh.RootFrame->FirstChild->FirstChild.get());
    EXPECT_EQ(mesh.FindFrame("C"), mesh.RootFrame->FirstChild->NextSibling.get());
    EXPECT_EQ(mesh.FindFrame("twin"), nullptr);
}

TEST(Mesh_Queries, IndicesOutOfRangeAnswerNothing) {
    TMesh mesh;
    std::string error;
    ASSERT_TRUE(mesh.LoadFromMemory(std::string(kHeader) + model_test::SquareMesh("Q"), "q.x", error));
    EXPECT_EQ(mesh.GetSubsetCount(1), 0);
    EXPECT_EQ(mesh.GetSubsetCount(-1), 0);
    EXPECT_EQ(mesh.GetTriangleCount(0, 1), 0u);
    EXPECT_EQ(mesh.GetVertexCount(1), 0);
    EXPECT_EQ(mesh.GetRadius(3), 0.0f);
    TMatrix m = Filled(9);
    mesh.GetPartTransform(1, m);
    ExpectMatrixNear(m, Filled(9));
    std::string name = "kept";
    mesh.GetSubsetTextureName(1, 0, name);
    EXPECT_EQ(name, "kept");
    EXPECT_FALSE(mesh.HasBones());
    EXPECT_EQ(mesh.GetBonePalette(), nullptr);
}

TEST(Mesh_Queries, ClearEmptiesEverything) {
    TMesh mesh;
    std::string error;
    ASSERT_TRUE(mesh.LoadFromMemory(std::string(kHeader) + "Frame A { " + model_test::SquareMesh("Q") + "}\n",
                                    "q.x", error));
    mesh.Clear();
    EXPECT_EQ(mesh.RootFrame, nullptr);
    EXPECT_EQ(mesh.GetMeshPartCount(), 0);
    EXPECT_EQ(mesh.GetBoneCount(), 0);
    EXPECT_EQ(mesh.GetAnimationSetCount(), 0);
}

// ---- the animation controller ----

struct Controller : ::testing::Test {
    model_test::RecordingSlot gpu;
    TMeshResource resource;
    TAnimationController controller;

    void SetUp() override {
        resource.Mesh = std::make_unique<TMeshDraw>(gpu.Ref());
        const std::string keys =
            "AnimationKey { 4; 2; 0; 16; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;;, 100; 16; 1,0,0,0, 0,1,0,0, "
            "0,0,1,0, 100,0,0,1;;; }";
        std::string error;
        ASSERT_TRUE(resource.Mesh->LoadFromMemory(
            std::string(kHeader) + "Frame Root { Frame Arm { } }\nAnimationSet Swing { Animation { { Arm } " +
                keys + " } }\nAnimationSet Still { Animation { { Root } " + keys + " } }\n",
            "anim.x", error))
            << error;
        controller.SetMesh(&resource);
        ASSERT_EQ(controller.States.size(), 2u);
    }
    TAnimationState& Swing() { return controller.States[0]; }
};

TEST_F(Controller, StartsStoppedAtZeroAndDoesNotAdvance) {
    EXPECT_TRUE(Swing().Stopped);
    EXPECT_TRUE(Swing().Loop);
    EXPECT_TRUE(Swing().Forward);
    EXPECT_EQ(Swing().Speed, 1.0f);
    EXPECT_EQ(Swing().Weight, 1.0f);
    controller.Advance(40);
    EXPECT_EQ(Swing().Time, 0.0f);
}

TEST_F(Controller, LoopWrapsPastTheEnd) {
    Swing().Stopped = false;
    controller.Advance(110);
    EXPECT_FLOAT_EQ(Swing().Time, 10.0f);
    EXPECT_FALSE(Swing().Stopped);
}

TEST_F(Controller, WithoutLoopStopsAtTheEnd) {
    Swing().Stopped = false;
    Swing().Loop = false;
    controller.Advance(110);
    EXPECT_FLOAT_EQ(Swing().Time, 100.0f);
    EXPECT_TRUE(Swing().Stopped);
}

TEST_F(Controller, BackwardsPastZeroWrapsToTheEndMinusTheOvershoot) {
    Swing().Stopped = false;
    Swing().Forward = false;
    Swing().Time = 5;
    controller.Advance(20);
    EXPECT_FLOAT_EQ(Swing().Time, 85.0f);
    Swing().Loop = false;
    controller.Advance(200);
    EXPECT_FLOAT_EQ(Swing().Time, 0.0f);
    EXPECT_TRUE(Swing().Stopped);
}

TEST_F(Controller, AStepLongerThanTheSetStillLandsInsideIt) {
    Swing().Stopped = false;
    Swing().Speed = 2.0f;
    controller.Advance(530);  // 1060 ticks on a set of 100
    EXPECT_FLOAT_EQ(Swing().Time, 60.0f);
    Swing().Forward = false;
    controller.Advance(465);  // back by 930 ticks: 60 - 930 = -870, which is 30 in a set of 100
    EXPECT_FLOAT_EQ(Swing().Time, 30.0f);
}

TEST_F(Controller, ApplySamplesAtTheNearestTickHalvesToEven) {
    const TFrame* arm = resource.Mesh->FindFrame("Arm");
    Swing().Time = 12.5f;
    controller.States[1].Weight = 0.0f;
    controller.Apply();
    EXPECT_FLOAT_EQ(arm->CurrentMatrix._41, 12.0f);
    Swing().Time = 13.5f;
    controller.Apply();
    EXPECT_FLOAT_EQ(arm->CurrentMatrix._41, 14.0f);
    // Root is animated by the second set with weight 0: its matrix is all zeros, so Arm's combined is too.
    EXPECT_FLOAT_EQ(arm->CombinedMatrix._11, 0.0f);
}

TEST_F(Controller, MeshWithoutSetsChangesNothing) {
    TMeshResource still;
    still.Mesh = std::make_unique<TMeshDraw>(gpu.Ref());
    std::string error;
    ASSERT_TRUE(still.Mesh->LoadFromMemory(std::string(kHeader) + "Frame Root { }\n", "still.x", error));
    controller.SetMesh(&still);
    EXPECT_EQ(controller.MeshResource, &resource);
    EXPECT_EQ(controller.States.size(), 2u);
    controller.Clear();
    EXPECT_EQ(controller.MeshResource, nullptr);
    EXPECT_TRUE(controller.States.empty());
    controller.Advance(10);
    controller.Apply();
}

}  // namespace
