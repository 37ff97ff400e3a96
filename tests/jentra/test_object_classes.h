// Small engine classes for the object-model and stream tests: a node that
// owns children and holds one optional link (owned only when the stream
// made it), and a leaf that records the steps of cloning.
#pragma once

#include "Jentra/JTFile.h"
#include "Jentra/JTUnknown.h"
#include "Jentra/JTClassMap.h"

#include <cstdint>
#include <string>
#include <vector>

class TestBase : public JTUnknown {
    JT_CLASS(TestBase, JTUnknown)
public:
    int32_t tag = 0;

    bool SaveLoad(JTFile& f) override {
        if (!JTUnknown::SaveLoad(f)) return false;
        uint16_t version = 1;
        return f.SaveLoadValue(version) && f.SaveLoadValue(tag);
    }
};

class TestNode : public TestBase {
    JT_CLASS(TestNode, TestBase)
public:
    TestNode() = default;
    explicit TestNode(int32_t v) { value = v; }
    ~TestNode() override {
        for (int i = 0; i < children.GetCount(); ++i)
            delete children[i];
        if (ownsLink) delete link;
    }
    // Children are owned; copying would share them.
    TestNode(const TestNode&) = delete;
    TestNode& operator=(const TestNode&) = delete;

    TestNode* AddChild(TestNode* child) {
        children.Add(child);
        return child;
    }

    bool SaveLoad(JTFile& f) override {
        if (!TestBase::SaveLoad(f)) return false;
        uint16_t version = 3;
        if (!f.SaveLoadValue(version) || !f.SaveLoadValue(value)) return false;
        int32_t count = children.GetCount();
        if (!f.SaveLoadValue(count)) return false;
        if (count < 0) {
            f.Fail();
            return false;
        }
        for (int32_t i = 0; i < count; ++i) {
            if (f.Saving()) {
                children[i]->SaveLoad(f); // false only means "written before"
                continue;
            }
            bool isNew = false;
            JTUnknown* child = JTUnknown::LoadType(f, &isNew);
            if (!child) return false;
            if (!isNew || !child->IsDerived(TestNode::nType)) {
                // A child must be a new node of its own: anything else would
                // give one object two owners.
                if (isNew) delete child;
                f.Fail();
                return false;
            }
            children.Add(static_cast<TestNode*>(child));
        }
        uint32_t hasLink = link ? 1 : 0;
        if (!f.SaveLoadValue(hasLink)) return false;
        if (hasLink) {
            if (f.Saving()) {
                link->SaveLoad(f);
            } else {
                bool isNew = false;
                link = JTUnknown::LoadType(f, &isNew);
                if (!link) return false;
                ownsLink = isNew;
            }
        }
        return !f.Failed();
    }

    int32_t value = 0;
    JTArray<TestNode*> children;
    JTUnknown* link = nullptr;
    bool ownsLink = false;
};

class TestLeaf : public TestBase {
    JT_CLASS(TestLeaf, TestBase)
public:
    TestLeaf() = default;
    TestLeaf(const TestLeaf&) = default;
    TestLeaf& operator=(const TestLeaf& other) {
        TestBase::operator=(other);
        weight = other.weight;
        Log("copy");
        return *this;
    }
    void PreClone() override { Log("PreClone"); }
    void InitClone(JTUnknown* source) override {
        Log(source == cloneSource ? "InitClone(source)" : "InitClone(other)");
    }

    bool SaveLoad(JTFile& f) override {
        if (!TestBase::SaveLoad(f)) return false;
        uint16_t version = 1;
        return f.SaveLoadValue(version) && f.SaveLoadValue(weight);
    }

    float weight = 0.0f;

    static void Log(const char* step) {
        if (steps) steps->push_back(step);
    }
    static inline std::vector<std::string>* steps = nullptr;
    static inline JTUnknown* cloneSource = nullptr;
};

// Registers the test classes (idempotent: a name keeps its first number).
inline void RegisterTestClasses() {
    JTRegisterClass<TestBase>();
    JTRegisterClass<TestNode>();
    JTRegisterClass<TestLeaf>();
}
