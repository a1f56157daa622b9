#include "scene/GE_MOVEABLEOBJECT.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

std::unique_ptr<TMoveableObject> Node(const std::string& name) {
    return std::make_unique<TMoveableObject>(name);
}

std::vector<std::string> ChildNames(const TMoveableObject& node) {
    std::vector<std::string> names;
    for (int32_t i = 0; i < node.GetChildCount(); ++i) {
        names.push_back(node.GetChild(i)->GetName());
    }
    return names;
}

void ExpectMatrixNear(const TMatrix& actual, const TMatrix& expected) {
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            EXPECT_NEAR(actual.m[i][j], expected.m[i][j], 1e-5f) << "element _" << i + 1 << j + 1;
        }
    }
}

// Counts its own destruction, to see when a node is really freed.
class Counted : public TMoveableObject {
public:
    Counted(const std::string& name, int& destroyed) : TMoveableObject(name), destroyed_(destroyed) {}
    ~Counted() override { ++destroyed_; }

private:
    int& destroyed_;
};

TEST(MoveableObjectCreate, StartsWithIdentityLocalAndZeroWorld) {
    TMoveableObject node("n");
    EXPECT_EQ(node.GetName(), "n");
    EXPECT_EQ(node.GetParent(), nullptr);
    EXPECT_EQ(node.GetChildCount(), 0);
    EXPECT_FALSE(node.IsChanged());
    EXPECT_EQ(node.GetScale().X, 1.0f);
    ExpectMatrixNear(node.GetLocalMatrix(), MatrixIdentity());
    TMatrix zero = MatrixScale(MatrixIdentity(), 0.0f);
    ExpectMatrixNear(node.GetWorldMatrix(), zero);
}

TEST(MoveableObjectTree, AddChildSetsParentAndKeepsOrder) {
    TMoveableObject root("Root");
    TMoveableObject* a = root.AddChild(Node("A"));
    root.AddChild(Node("B"));
    EXPECT_EQ(a->GetParent(), &root);
    EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"A", "B"}));
}

TEST(MoveableObjectTree, FindObjectIsPreOrderFirstMatch) {
    TMoveableObject root("Root");
    TMoveableObject* a = root.AddChild(Node("A"));
    TMoveableObject* deep = a->AddChild(Node("X"));
    TMoveableObject* b = root.AddChild(Node("X"));
    EXPECT_EQ(root.FindObject("X"), deep);
    EXPECT_EQ(root.FindObject("Root"), &root);
    EXPECT_EQ(root.FindObject("x"), nullptr);  // case-sensitive
    EXPECT_NE(deep, b);
}

TEST(MoveableObjectTree, FindObjectPrefersNodeOverItsChildren) {
    TMoveableObject root("Root");
    TMoveableObject* a = root.AddChild(Node("X"));
    a->AddChild(Node("X"));
    EXPECT_EQ(root.FindObject("X"), a);
}

TEST(MoveableObjectDetach, RemovingFirstOfThreeLeavesThirdThenSecond) {
    TMoveableObject root("Root");
    TMoveableObject* first = root.AddChild(Node("1"));
    root.AddChild(Node("2"));
    root.AddChild(Node("3"));
    std::unique_ptr<TMoveableObject> detached = first->Detach();
    ASSERT_EQ(detached.get(), first);
    EXPECT_EQ(first->GetParent(), nullptr);
    EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"3", "2"}));
}

TEST(MoveableObjectDetach, LastChildJustShortensList) {
    TMoveableObject root("Root");
    root.AddChild(Node("1"));
    TMoveableObject* last = root.AddChild(Node("2"));
    auto detached = last->Detach();
    EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"1"}));
}

TEST(MoveableObjectDetach, WithoutParentDoesNothing) {
    TMoveableObject lone("lone");
    lone.AddChild(Node("c"));
    EXPECT_EQ(lone.Detach(), nullptr);
    EXPECT_EQ(lone.GetChildCount(), 1);
}

TEST(MoveableObjectDetach, ExtractObjectHandsOverOwnership) {
    TMoveableObject root("Root");
    TMoveableObject* a = root.AddChild(Node("A"));
    a->AddChild(Node("A1"));
    std::unique_ptr<TMoveableObject> extracted = root.ExtractObject("A1");
    ASSERT_NE(extracted, nullptr);
    EXPECT_EQ(extracted->GetName(), "A1");
    EXPECT_EQ(a->GetChildCount(), 0);
    EXPECT_EQ(root.ExtractObject("missing"), nullptr);
    // The root itself cannot be handed over: it stays where it is.
    EXPECT_EQ(root.ExtractObject("Root"), nullptr);
}

TEST(MoveableObjectRemove, FreesNodeWithSubtree) {
    int destroyed = 0;
    TMoveableObject root("Root");
    TMoveableObject* a = root.AddChild(std::make_unique<Counted>("A", destroyed));
    a->AddChild(std::make_unique<Counted>("A1", destroyed));
    a->Remove();
    EXPECT_EQ(destroyed, 2);
    EXPECT_EQ(root.GetChildCount(), 0);
}

TEST(MoveableObjectRemove, NodeWithoutParentIsJustFreed) {
    int destroyed = 0;
    (new Counted("lone", destroyed))->Remove();
    EXPECT_EQ(destroyed, 1);
}

TEST(MoveableObjectRemove, DeleteObjectFreesWhatItFinds) {
    int destroyed = 0;
    TMoveableObject root("Root");
    root.AddChild(std::make_unique<Counted>("A", destroyed));
    root.AddChild(std::make_unique<Counted>("B", destroyed));
    root.DeleteObject("A");
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"B"}));
    root.DeleteObject("nothing");
    root.DeleteObject("Root");  // a root cannot free itself this way
    EXPECT_EQ(destroyed, 1);
}

TEST(MoveableObjectRemove, DeferredFreesWaitUntilDeferralEnds) {
    int destroyed = 0;
    TMoveableObject root("Root");
    TMoveableObject* a = root.AddChild(std::make_unique<Counted>("A", destroyed));
    TMoveableObject* b = root.AddChild(std::make_unique<Counted>("B", destroyed));
    root.SetDeferFrees(true);
    a->Remove();
    root.DeleteObject("B");
    EXPECT_EQ(root.GetChildCount(), 0);
    EXPECT_EQ(destroyed, 0);
    // Still valid memory, but out of the tree.
    EXPECT_EQ(a->GetParent(), nullptr);
    EXPECT_EQ(b->Top(), b);
    root.SetDeferFrees(false);
    EXPECT_EQ(destroyed, 2);
}

TEST(MoveableObjectMatrices, SettersMarkChangedAndRebuildClearsIt) {
    TMoveableObject node("n");
    node.SetPosition(1, 2, 3);
    EXPECT_TRUE(node.IsChanged());
    node.RebuildLocalMatrix();
    EXPECT_FALSE(node.IsChanged());
    EXPECT_FLOAT_EQ(node.GetLocalMatrix()._41, 1.0f);
    EXPECT_FLOAT_EQ(node.GetLocalMatrix()._42, 2.0f);
    EXPECT_FLOAT_EQ(node.GetLocalMatrix()._43, 3.0f);
}

TEST(MoveableObjectMatrices, RotationIsInDegrees) {
    TMoveableObject node("n");
    node.SetRotation(0, 90, 0);
    node.RebuildLocalMatrix();
    // A quarter turn about Y takes +X to -Z (row vectors, left-handed).
    TVector3 x = VectorTransformNormal(Vector3(1, 0, 0), node.GetLocalMatrix());
    EXPECT_NEAR(x.X, 0.0f, 1e-6f);
    EXPECT_NEAR(x.Z, -1.0f, 1e-6f);
}

TEST(MoveableObjectMatrices, LocalIsScaleRotationsTranslationInOrder) {
    TMoveableObject node("n");
    node.SetScale(2, 3, 4);
    node.SetRotation(10, 20, 30);
    node.SetPosition(5, 6, 7);
    node.RebuildLocalMatrix();
    // Independent composition: apply each step to a point in turn.
    const double d = 3.14159265358979323846 / 180.0;
    double p[3] = {1.0 * 2, 1.0 * 3, 1.0 * 4};  // point (1, 1, 1) scaled
    auto rotate = [](double* v, int axis, double a) {
        const double c = std::cos(a), s = std::sin(a);
        double x = v[0], y = v[1], z = v[2];
        if (axis == 0) {  // row vector times RotationX: y' = y c - z s, z' = y s + z c
            v[1] = y * c - z * s;
            v[2] = y * s + z * c;
        } else if (axis == 1) {  // x' = x c + z s, z' = -x s + z c
            v[0] = x * c + z * s;
            v[2] = -x * s + z * c;
        } else {  // x' = x c - y s, y' = x s + y c
            v[0] = x * c - y * s;
            v[1] = x * s + y * c;
        }
    };
    rotate(p, 0, 10 * d);
    rotate(p, 1, 20 * d);
    rotate(p, 2, 30 * d);
    TVector4 q = Vector4Transform(Vector4(1, 1, 1, 1), node.GetLocalMatrix());
    EXPECT_NEAR(q.X, p[0] + 5, 1e-4);
    EXPECT_NEAR(q.Y, p[1] + 6, 1e-4);
    EXPECT_NEAR(q.Z, p[2] + 7, 1e-4);
    EXPECT_NEAR(q.W, 1.0, 1e-6);
}

TEST(MoveableObjectMatrices, WorldTakesInOneLevelOfAncestry) {
    TMoveableObject root("Root");
    root.SetPosition(100, 0, 0);
    TMoveableObject* a = root.AddChild(Node("A"));
    a->SetPosition(0, 10, 0);
    TMoveableObject* a1 = a->AddChild(Node("A1"));
    a1->SetPosition(0, 0, 1);
    root.UpdateMatrices();
    EXPECT_FLOAT_EQ(root.GetWorldMatrix()._41, 100.0f);
    EXPECT_FLOAT_EQ(a->GetWorldMatrix()._41, 100.0f);
    EXPECT_FLOAT_EQ(a->GetWorldMatrix()._42, 10.0f);
    // A1 takes A's local matrix only, not Root's.
    EXPECT_FLOAT_EQ(a1->GetWorldMatrix()._41, 0.0f);
    EXPECT_FLOAT_EQ(a1->GetWorldMatrix()._42, 10.0f);
    EXPECT_FLOAT_EQ(a1->GetWorldMatrix()._43, 1.0f);
}

TEST(MoveableObjectMatrices, NodeCreatedLaterKeepsZeroWorldUntilNextRefresh) {
    TMoveableObject root("Root");
    root.UpdateMatrices();
    TMoveableObject* late = root.AddChild(Node("late"));
    EXPECT_EQ(late->GetWorldMatrix()._44, 0.0f);
    root.UpdateMatrices();
    EXPECT_EQ(late->GetWorldMatrix()._44, 1.0f);
}

TEST(MoveableObjectCollect, PostOrderChildrenBeforeParent) {
    TMoveableObject root("Root");
    TMoveableObject* a = root.AddChild(Node("A"));
    a->AddChild(Node("A1"));
    root.AddChild(Node("B"));
    std::vector<TMoveableObject*> list;
    root.CollectObjects(list);
    std::vector<std::string> names;
    for (auto* n : list) {
        names.push_back(n->GetName());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"A1", "A", "B", "Root"}));
    root.CollectObjects(list);
    EXPECT_EQ(list.size(), 8u);  // appends
}

}  // namespace
