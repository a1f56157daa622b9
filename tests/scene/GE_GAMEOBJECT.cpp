#include "scene/GE_GAMEOBJECT.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "models/GE_MODEL.h"
#include "platform/HeadlessWindow.h"
#include "platform/RecordingDevice.h"
#include "scene/GE_SCENEMANAGER.h"
#include "tests/scene/SceneTestSupport.h"
#include "util/Files.h"

namespace {

// The box of the scene tests inside a frame "Root", skinned entirely to bone "Bone1", with one
// animation set of two matrix keys on Bone1 (identity at 0, one unit up at 100).
std::string SkinnedBoxText() {
    std::string box = scene_test::BoxMeshText(12);
    box = box.substr(box.find('\n') + 1);  // no header
    const size_t meshEnd = box.rfind("}\n");
    const std::string skin =
        "SkinWeights {\n\"Bone1\";\n8;\n0,1,2,3,4,5,6,7;\n1,1,1,1,1,1,1,1;\n"
        "1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;;\n}\n";
    box = box.substr(0, meshEnd) + skin + box.substr(meshEnd);
    const std::string identity = "1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;;";
    return "xof 0303txt 0032\nFrame Root {\nFrameTransformMatrix {\n" + identity + "\n}\n" + box +
           "Frame Bone1 {\nFrameTransformMatrix {\n" + identity +
           "\n}\n}\n}\n"
           "AnimationSet Lift {\nAnimation {\n{ Bone1 }\nAnimationKey {\n4;\n2;\n0;16;" +
           identity + ",\n100;16;1,0,0,0,0,1,0,0,0,0,1,0,0,1,0,1;;;\n}\n}\n}\n";
}

// The box skinned to `bones` bones without frames of their own, one vertex each (the rest of the
// weights stay free).
std::string ManyBonesBoxText(int bones) {
    std::string box = scene_test::BoxMeshText(12);
    const size_t meshEnd = box.rfind("}\n");
    std::string skin;
    for (int b = 0; b < bones; ++b) {
        skin += "SkinWeights {\n\"B" + std::to_string(b) + "\";\n1;\n" + std::to_string(b % 8) +
                ";\n0.1;\n1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;;\n}\n";
    }
    return box.substr(0, meshEnd) + skin + box.substr(meshEnd);
}

class GameObjectTest : public ::testing::Test {
protected:
    void SetUp() override {
        render_ = std::make_unique<TRenderD3D9>(system_);
        std::string error;
        ASSERT_TRUE(render_->Initialize(&window_, true, 800, 600, 1, error)) << error;
        device_ = system_.LastDevice();
        skinned_ = scene_test::MakeMesh(render_->Device(), SkinnedBoxText(), "skinned");
        rigid_ = scene_test::MakeMesh(render_->Device(), scene_test::BoxMeshText(12), "rigid");
        ASSERT_TRUE(skinned_->Mesh->HasBones());
        ASSERT_EQ(skinned_->Mesh->GetAnimationSetCount(), 1);
    }
    void TearDown() override {
        scene_.reset();
        skinned_.reset();
        rigid_.reset();
        render_.reset();
    }

    TSceneManager& Scene() {
        if (!scene_) {
            scene_ = std::make_unique<TSceneManager>(*render_, files::TDataRoot(BRELVOX_SOURCE_DIR));
            scene_->GetCamera()->SetRotation(0, 0, 0);
            scene_->GetCamera()->SetPosition(0, 0, -20);
        }
        return *scene_;
    }

    platform::RecordingGraphicsSystem system_;
    platform::HeadlessWindow window_{800, 600};
    std::unique_ptr<TRenderD3D9> render_;
    platform::RecordingDevice* device_ = nullptr;
    std::unique_ptr<TMeshResource> skinned_;
    std::unique_ptr<TMeshResource> rigid_;
    std::unique_ptr<TSceneManager> scene_;
};

TEST_F(GameObjectTest, GameObjectKeepsItsMesh) {
    TGameObject object("Wall", rigid_.get());
    EXPECT_EQ(object.GetMesh(), rigid_.get());
    object.SetMesh(nullptr);
    EXPECT_EQ(object.GetMesh(), nullptr);
}

TEST_F(GameObjectTest, AnimGameObjectHasOneStatePerAnimationSet) {
    TAnimGameObject object("Tank", skinned_.get());
    ASSERT_NE(object.GetAnimation(), nullptr);
    EXPECT_EQ(object.GetAnimation()->States.size(), 1u);
    EXPECT_EQ(object.GetAnimation()->MeshResource, skinned_.get());
    // A mesh without animations leaves the animation state as it was.
    object.SetMesh(rigid_.get());
    EXPECT_EQ(object.GetMesh(), rigid_.get());
    EXPECT_EQ(object.GetAnimation()->States.size(), 1u);
}

TEST_F(GameObjectTest, AnimGameObjectUpdateAdvancesPlayingSets) {
    TAnimGameObject object("Tank", skinned_.get());
    TAnimationState& state = object.GetAnimation()->States[0];
    object.Update(30);
    EXPECT_EQ(state.Time, 0.0f);  // stopped at first
    state.Stopped = false;
    state.Speed = 0.5f;
    object.Update(30);
    EXPECT_FLOAT_EQ(state.Time, 15.0f);
}

TEST_F(GameObjectTest, SkinnedObjectDrawnWithSkinnedShaderAndPalette) {
    auto* object = Scene().GetRoot()->AddChild(std::make_unique<TAnimGameObject>("Tank", skinned_.get()));
    object->GetAnimation()->States[0].Time = 100;  // Bone1 one unit up
    Scene().Update(0);
    device_->ClearLog();
    Scene().Render();
    ASSERT_EQ(Scene().GetSkinnedObjects().size(), 1u);
    ASSERT_EQ(device_->CountCalls("DrawIndexedPrimitive"), 1u) << device_->LogText();
    // One bone: four registers from c4, the transposed skinning matrix; its translation (0, 1, 0)
    // sits in the fourth column, so c5.w = 1.
    const auto palette = device_->FindCalls("SetVertexShaderConstantF");
    bool found = false;
    for (const auto& call : palette) {
        if (call.Ints.at(0) == 4 && call.Ints.at(1) == 4) {
            found = true;
            EXPECT_FLOAT_EQ(call.Floats.at(7), 1.0f);  // c5.w
            EXPECT_FLOAT_EQ(call.Floats.at(3), 0.0f);  // c4.w
        }
    }
    EXPECT_TRUE(found) << device_->LogText();
    const auto draws = scene_test::ReplayDraws(device_->Calls(), scene_test::CurrentState(*device_));
    // The log gives the shader's slot; shaders are made once, so it holds its first generation.
    const platform::RecordedShader* shader =
        device_->Shader(platform::ShaderHandle{draws.at(0).VertexShader, 1});
    ASSERT_NE(shader, nullptr);
    EXPECT_NE(shader->Source.find("Skinned mesh parts"), std::string::npos);
    EXPECT_EQ(draws.at(0).CullMode, platform::D3DCULL_CCW);
    EXPECT_EQ(draws.at(0).AlphaBlend, 0u);
}

TEST_F(GameObjectTest, PaletteStopsAtTheLastConstantRegister) {
    // 70 bones would need c4..c283; only the 63 that fit in c4..c255 are written.
    auto mesh = scene_test::MakeMesh(render_->Device(), ManyBonesBoxText(70), "bones");
    ASSERT_EQ(mesh->Mesh->GetBoneCount(), 70);
    Scene().GetRoot()->AddChild(std::make_unique<TGameObject>("Many", mesh.get()));
    Scene().Update(0);
    device_->ClearLog();
    Scene().Render();
    bool found = false;
    for (const auto& call : device_->FindCalls("SetVertexShaderConstantF")) {
        if (call.Ints.at(0) == 4) {
            found = true;
            EXPECT_EQ(call.Ints.at(1), 252);
        }
    }
    EXPECT_TRUE(found);
    scene_.reset();
}

TEST_F(GameObjectTest, SkinnedObjectOutsideViewIsCulled) {
    auto* object = Scene().GetRoot()->AddChild(std::make_unique<TAnimGameObject>("Tank", skinned_.get()));
    object->SetPosition(0, 0, -100);
    Scene().Update(0);
    device_->ClearLog();
    Scene().Render();
    EXPECT_TRUE(Scene().GetSkinnedObjects().empty());
    EXPECT_EQ(device_->CountCalls("DrawIndexedPrimitive"), 0u);
}

TEST_F(GameObjectTest, SkinnedMeshOnPlainGameObjectDrawsWithoutAnimation) {
    Scene().GetRoot()->AddChild(std::make_unique<TGameObject>("Odd", skinned_.get()));
    Scene().Update(0);
    Scene().Render();
    EXPECT_EQ(Scene().GetSkinnedObjects().size(), 1u);
    EXPECT_EQ(device_->CountCalls("DrawIndexedPrimitive"), 1u);
}

TEST_F(GameObjectTest, SkinnedObjectsSortedNearToFar) {
    auto* farObject = Scene().GetRoot()->AddChild(std::make_unique<TAnimGameObject>("Far", skinned_.get()));
    farObject->SetPosition(0, 0, 30);
    auto* nearObject = Scene().GetRoot()->AddChild(std::make_unique<TAnimGameObject>("Near", skinned_.get()));
    nearObject->SetPosition(0, 0, 5);
    Scene().Update(0);
    Scene().Render();
    ASSERT_EQ(Scene().GetSkinnedObjects().size(), 2u);
    EXPECT_EQ(Scene().GetSkinnedObjects()[0], nearObject);
    EXPECT_EQ(Scene().GetSkinnedObjects()[1], farObject);
}

}  // namespace
