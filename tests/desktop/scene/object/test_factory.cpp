// The factory without the unit library: the scene engine's own classes
// build from the start, other classes of the table once registered by name.
#include <gtest/gtest.h>

#include <memory>

#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/object_factory.h"
#include "desktop/scene/object/unknown.h"

namespace lumivane {
namespace {

struct Released {
    void operator()(Unknown* object) const {
        if (object) object->Release();
    }
};
using Made = std::unique_ptr<Unknown, Released>;

Made Create(const char* name, int number) {
    return Made(CreateObject(nullptr, name, number));
}

Unknown* MakeStandInPilot() {
    auto* object = new Unknown;
    object->classId = uint8_t(ClassId::Pilot);
    return object;
}

TEST(LvFactory, OwnClassesBuildAloneAndOthersOnceRegisteredByName) {
    int built = 0;
    for (int number = 0; number < kClassCount; ++number) {
        Made object = Create(nullptr, number);
        if (!object) continue;
        EXPECT_EQ(object->classId, number);
        ++built;
    }
    EXPECT_EQ(built, 33) << "nodes, channels, bodies, lights, particles, collections, debris";
    EXPECT_TRUE(Create("wormhole", -1));
    EXPECT_FALSE(Create("Ship", -1)) << "units are the unit library's to register";
    EXPECT_FALSE(Create(nullptr, int(ClassId::Pilot)));

    EXPECT_EQ(RegisterClass("NoSuchClass", MakeStandInPilot), -1);
    ASSERT_EQ(RegisterClass("pILOT", MakeStandInPilot), int(ClassId::Pilot));
    Made byName = Create("Pilot", -1);
    ASSERT_TRUE(byName);
    EXPECT_EQ(byName->classId, int(ClassId::Pilot));
    EXPECT_TRUE(Create(nullptr, int(ClassId::Pilot)));

    // A later registration replaces the earlier one; none leaves it unbuilt.
    RegisterClass("Pilot", nullptr);
    EXPECT_FALSE(Create("Pilot", -1));
}

} // namespace
} // namespace lumivane
