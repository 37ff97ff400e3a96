// The module as the engine sees it: opened by name from the program's folder
// through the prototype database, and its factory's three requests. This
// program does not link the module.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <typeinfo>

#include "Jentra/JTEntity.h"
#include "Jentra/JTGlobals.h"
#include "Jentra/JTID.h"
#include "Jentra/JTProtobase.h"
#include "Jentra/render/render_parts.h"

namespace {

class ModuleFactoryTest : public ::testing::Test {
protected:
    // Models hold meshes and effects, which the render parts read.
    // The database goes first: its models' meshes and effects are freed
    // through the parts.
    void SetUp() override {
        gpJTIDMap = &ids;
        JTInstallRenderParts();
        db = std::make_unique<JTProtobase>();
    }
    void TearDown() override {
        db.reset();
        JTUninstallRenderParts();
        gpJTIDMap = nullptr;
    }

    // The factory of the module loaded by the first Create.
    JTEntityFactoryFn Factory() {
        const int index = db->FindFactory("JTControls.dll");
        return index >= 0 ? db->GetFactory(index).factory : nullptr;
    }

    JTIDMap ids;
    std::unique_ptr<JTProtobase> db;
};

TEST_F(ModuleFactoryTest, CreateLoadsTheModuleAndMakesItsClassesByName) {
    JTEntity* button = db->Create("JTControls\\button.jtm", "JTControls.dll", "jtbutton");
    ASSERT_NE(button, nullptr);
    // The Itanium ABI's name of the class JTButton; the program cannot
    // name the type itself.
    EXPECT_EQ(std::string(typeid(*button).name()), "8JTButton");
    EXPECT_EQ(button->GetNumChildren(), 1); // the model
    EXPECT_EQ(button->GetType(), JTEntity::nType);
    delete button;

    // Another letter case finds the loaded module again.
    JTEntity* edit = db->Create(nullptr, "jtcontrols.DLL", "JTEDIT");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(std::string(typeid(*edit).name()), "6JTEdit");
    delete edit;
    EXPECT_EQ(db->GetNumFactories(), 1);

    // A class the module lacks leaves a plain entity.
    JTEntity* plain = db->Create(nullptr, "JTControls.dll", "JTSlider");
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(typeid(*plain), typeid(JTEntity));
    delete plain;
}

TEST_F(ModuleFactoryTest, TheFactoryCountsNamesAndMakesItsEightClasses) {
    delete db->Create(nullptr, "JTControls.dll", "JTControl");
    JTEntityFactoryFn factory = Factory();
    ASSERT_NE(factory, nullptr);

    int count = 3;
    EXPECT_EQ(factory(JTFACTORY_COUNT, &count), nullptr);
    EXPECT_EQ(count, 11);

    const char* const names[] = {"JTControl", "JTButton", "JTMover",      "JTText",
                                 "JTDialog",  "JTList",   "JTTestDialog", "JTEdit"};
    for (int i = 0; i < 8; ++i) {
        int index = i;
        auto* name = static_cast<const char*>(factory(JTFACTORY_NAME, &index));
        ASSERT_NE(name, nullptr) << i;
        EXPECT_STREQ(name, names[i]);
        EXPECT_EQ(index, -1);
        // Each name makes an object of that class.
        auto* made = static_cast<JTEntity*>(factory(JTFACTORY_CREATE, const_cast<char*>(name)));
        ASSERT_NE(made, nullptr) << name;
        EXPECT_EQ(std::string(typeid(*made).name()), std::to_string(std::strlen(name)) + name);
        delete made;
    }
    int past = 8;
    EXPECT_EQ(factory(JTFACTORY_NAME, &past), nullptr);
    EXPECT_EQ(past, 0);
    int further = 13;
    EXPECT_EQ(factory(JTFACTORY_NAME, &further), nullptr);
    EXPECT_EQ(further, 5);

    EXPECT_EQ(factory(JTFACTORY_CREATE, nullptr), nullptr);
    EXPECT_EQ(factory(JTFACTORY_CREATE, const_cast<char*>("JTButtonX")), nullptr);
    EXPECT_EQ(factory(JTFACTORY_COUNT, nullptr), nullptr);
    EXPECT_EQ(factory(JTFACTORY_NAME, nullptr), nullptr);
    EXPECT_EQ(factory(4, &count), nullptr);
    EXPECT_EQ(count, 11);
}

} // namespace
