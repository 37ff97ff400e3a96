// Object model: the class registry, type numbers, the base-class chain,
// creation by number and cloning.
#include "tests/jentra/test_object_classes.h"

#include <gtest/gtest.h>

#include <cstring>

JT_CLASS_IMPL(TestBase)
JT_CLASS_IMPL(TestNode)
JT_CLASS_IMPL(TestLeaf)

namespace {

class ObjectModel : public ::testing::Test {
protected:
    void SetUp() override { RegisterTestClasses(); }
};

TEST_F(ObjectModel, EngineClassesRegisterInTheFixedOrder) {
    // The engine's numbering; every class present must come after all
    // present classes listed before it, and JTUnknown is always there.
    static const char* const kOrder[] = {"JTAudio",
                                         "JTGame",
                                         "JTKeyboard",
                                         "JTNetwork",
                                         "JTEffect",
                                         "JTEffect_Simple",
                                         "JTEffect_ParkPiece",
                                         "JTEffect_FireKnight",
                                         "JTEffect_FireKnightAlpha",
                                         "JTEffect_FireKnightShadow",
                                         "JTEffect_Monitor",
                                         "JTEffect_WingDing",
                                         "JTEffect_Membrane",
                                         "JTEffect_WetIce",
                                         "JTEffect_BumpDiffuse",
                                         "JTEffect_BumpReflect",
                                         "JTEffect_Shadow",
                                         "JTEffect_Halo",
                                         "JTEffect_StreamingLight",
                                         "JTMesh",
                                         "JTSequence",
                                         "JTSequencer",
                                         "JTChannel",
                                         "JTFrameChannel",
                                         "JTVisChannel",
                                         "JTEntity",
                                         "JTGeoNode",
                                         "JTLight",
                                         "JTNode",
                                         "JTProtobase",
                                         "JTTransNode",
                                         "JTUnknown"};
    int previous = -1;
    int present = 0;
    for (const char* name : kOrder) {
        int type = JTUnknown::LookupTypeName(name);
        if (type < 0) continue;
        ++present;
        EXPECT_GT(type, previous) << name;
        previous = type;
    }
    ASSERT_GE(JTUnknown::nType, 0);
    EXPECT_STREQ(JTClassMap::Lookup(JTUnknown::nType), "JTUnknown");
    // Registered before anything else could be: the library's classes
    // hold the first numbers.
    EXPECT_EQ(JTUnknown::nType, present - 1);
}

TEST_F(ObjectModel, NamesIgnoreCaseAndKeepTheirFirstNumber) {
    EXPECT_EQ(JTUnknown::LookupTypeName("testnode"), TestNode::nType);
    EXPECT_EQ(JTUnknown::LookupTypeName("TESTNODE"), TestNode::nType);
    EXPECT_EQ(JTUnknown::LookupTypeName("jtunknown"), JTUnknown::nType);
    EXPECT_EQ(JTUnknown::LookupTypeName("NoSuchClass"), -1);
    EXPECT_EQ(JTUnknown::LookupTypeName(nullptr), -1);

    int before = JTClassMap::GetCount();
    int again = JTClassMap::RegClass("tEsTlEaF", []() -> JTUnknown* { return nullptr; });
    EXPECT_EQ(again, TestLeaf::nType);
    EXPECT_EQ(JTClassMap::GetCount(), before);
    // The first registration's function stays: it still makes leaves.
    JTUnknown* made = JTUnknown::Create(TestLeaf::nType);
    ASSERT_NE(made, nullptr);
    EXPECT_STREQ(made->ClassName(), "TestLeaf");
    delete made;
    EXPECT_STREQ(JTClassMap::Lookup(TestNode::nType), "TestNode");
}

TEST_F(ObjectModel, CreateOutsideTheRegistryGivesNull) {
    int count = JTClassMap::GetCount();
    EXPECT_EQ(JTUnknown::Create(-1), nullptr);
    EXPECT_EQ(JTUnknown::Create(count), nullptr);
    EXPECT_EQ(JTClassMap::Lookup(count), nullptr);
    EXPECT_EQ(JTClassMap::Lookup(-1), nullptr);
    EXPECT_EQ(JTClassMap::GetInstantiateFn(count), nullptr);

    JTUnknown* node = JTUnknown::Create(TestNode::nType);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->GetType(), TestNode::nType);
    EXPECT_STREQ(node->ClassName(), "TestNode");
    delete node;
}

TEST_F(ObjectModel, IsDerivedFollowsTheBaseChain) {
    TestNode node;
    TestLeaf leaf;
    JTUnknown plain;
    EXPECT_TRUE(node.IsDerived(TestNode::nType));
    EXPECT_TRUE(node.IsDerived(TestBase::nType));
    EXPECT_TRUE(node.IsDerived(JTUnknown::nType));
    EXPECT_FALSE(node.IsDerived(TestLeaf::nType)); // a sibling
    EXPECT_TRUE(leaf.IsDerived(TestBase::nType));
    EXPECT_FALSE(leaf.IsDerived(TestNode::nType));
    EXPECT_TRUE(plain.IsDerived(JTUnknown::nType));
    EXPECT_FALSE(plain.IsDerived(TestBase::nType));
    EXPECT_FALSE(node.IsDerived(-1));
    EXPECT_EQ(TestNode::ClassType(), TestNode::nType);
    EXPECT_NE(TestNode::nType, TestBase::nType);
}

TEST_F(ObjectModel, CloneRunsPreCloneCopyInitCloneInOrder) {
    std::vector<std::string> steps;
    TestLeaf source;
    source.tag = 7;
    source.weight = 2.5f;
    TestLeaf::steps = &steps;
    TestLeaf::cloneSource = &source;
    JTUnknown* clone = static_cast<JTUnknown&>(source).Clone();
    TestLeaf::steps = nullptr;
    ASSERT_NE(clone, nullptr);
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps[0], "PreClone");
    EXPECT_EQ(steps[1], "copy");
    EXPECT_EQ(steps[2], "InitClone(source)");
    EXPECT_EQ(clone->GetType(), TestLeaf::nType);
    auto* leaf = static_cast<TestLeaf*>(clone);
    EXPECT_EQ(leaf->tag, 7);
    EXPECT_EQ(leaf->weight, 2.5f);
    EXPECT_NE(clone, &source);
    delete clone;

    JTUnknown plain;
    JTUnknown* plainClone = plain.Clone();
    ASSERT_NE(plainClone, nullptr);
    EXPECT_EQ(plainClone->GetType(), JTUnknown::nType);
    delete plainClone;
}

TEST_F(ObjectModel, ClassWithoutCopyClonesAsAFreshObject) {
    // TestNode owns its children and forbids copying: the clone is a new
    // default node of the same class rather than a shallow copy.
    TestNode node(5);
    node.AddChild(new TestNode(6));
    JTUnknown* clone = node.Clone();
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->GetType(), TestNode::nType);
    EXPECT_EQ(static_cast<TestNode*>(clone)->children.GetCount(), 0);
    delete clone;
}

TEST_F(ObjectModel, PlainObjectIgnoresMessages) {
    JTUnknown plain;
    int data = 3;
    EXPECT_EQ(plain.Message(nullptr, nullptr, 1, &data), 0u);
}

} // namespace
