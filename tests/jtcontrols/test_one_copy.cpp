// The game links the module that the engine opens by name: the objects the
// engine's factory call makes are of the classes this program sees, so a
// dynamic_cast to a control class succeeds.
#include "tests/jtcontrols/controls_fixture.h"

#include <dlfcn.h>

#include "JTControls/JTButton.h"
#include "JTControls/JTDialog.h"
#include "JTControls/JTList.h"

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

    // The other classes come through as themselves too.
    JTEntity* list = gpJTProtobase->Create(nullptr, kModule, "JTList");
    ASSERT_NE(dynamic_cast<JTList*>(list), nullptr);
    EXPECT_STREQ(static_cast<JTControl*>(list)->GetClassNameA(), "JTControls:JTList");
    delete list;
    JTEntity* dialog = gpJTProtobase->Create(nullptr, kModule, "JTTestDialog");
    ASSERT_NE(dynamic_cast<JTDialog*>(dialog), nullptr);
    EXPECT_STREQ(static_cast<JTControl*>(dialog)->GetClassNameA(), "JTControls:JTTestDialog");
    delete dialog;
}

} // namespace
} // namespace controls_test
