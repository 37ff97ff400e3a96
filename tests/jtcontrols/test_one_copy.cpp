// The game links the module that the engine opens by name: the objects the
// engine's factory call makes are of the classes this program sees, so a
// dynamic_cast to a control class succeeds.
#include "tests/jtcontrols/controls_fixture.h"

#include <dlfcn.h>

#include "JTControls/JTButton.h"
#include "JTControls/JTDialog.h"
#include "JTControls/JTEdit.h"
#include "JTControls/JTList.h"
#include "JTControls/JTMover.h"
#include "JTControls/JTText.h"

namespace controls_test {
namespace {

using OneCopyTest = ControlsTest;

TEST_F(OneCopyTest, ObjectsMadeThroughTheEngineAreOfTheLinkedClasses) {
    JTEntity* made = gpJTProtobase->Create(kButtonModel, kModule, "JTButton");
    ASSERT_NE(made, nullptr);
    auto* button = dynamic_cast<JTButton*>(made);
    ASSERT_NE(button, nullptr);
    EXPECT_STREQ(button->GetClassNameA(), "JTControls:JTButton");
    // The class registry knows the controls as entities.
    EXPECT_EQ(made->GetType(), JTEntity::nType);
    EXPECT_STREQ(made->ClassName(), "JTEntity");
    delete made;

    // The engine's module handle is this program's copy of the library.
    ASSERT_GE(gpJTProtobase->FindFactory(kModule), 0);
    const JTModuleFactory& module = gpJTProtobase->GetFactory(gpJTProtobase->FindFactory(kModule));
    void* linked = dlopen("JTControls.so", RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(linked, nullptr) << "the program links the module";
    EXPECT_EQ(linked, module.module);
    dlclose(linked);

    struct Expected {
        const char* className;
        const char* reported;
        bool (*isOfClass)(JTEntity*);
    };
    const Expected classes[] = {
        {"JTControl", "JTControls:JTControl",
         [](JTEntity* e) { return dynamic_cast<JTControl*>(e) != nullptr; }},
        {"JTMover", "JTControls:JTMover",
         [](JTEntity* e) { return dynamic_cast<JTMover*>(e) != nullptr; }},
        {"JTText", "JTControls:JTText",
         [](JTEntity* e) { return dynamic_cast<JTText*>(e) != nullptr; }},
        {"JTDialog", "JTControls:JTDialog",
         [](JTEntity* e) { return dynamic_cast<JTDialog*>(e) != nullptr; }},
        {"JTList", "JTControls:JTList",
         [](JTEntity* e) { return dynamic_cast<JTList*>(e) != nullptr; }},
        {"JTTestDialog", "JTControls:JTTestDialog",
         [](JTEntity* e) { return dynamic_cast<JTDialog*>(e) != nullptr; }},
        {"JTEdit", "JTControls:JTEdit",
         [](JTEntity* e) { return dynamic_cast<JTEdit*>(e) != nullptr; }},
    };
    for (const Expected& c : classes) {
        JTEntity* entity = gpJTProtobase->Create(nullptr, kModule, c.className);
        auto* control = dynamic_cast<JTControl*>(entity);
        ASSERT_NE(control, nullptr) << c.className;
        EXPECT_TRUE(c.isOfClass(entity)) << c.className;
        EXPECT_STREQ(control->GetClassNameA(), c.reported);
        delete entity;
    }
}

} // namespace
} // namespace controls_test
