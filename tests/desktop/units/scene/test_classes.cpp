// Class numbers, the factory with every unit class registered, and the
// class relation table.
#include <gtest/gtest.h>

#include <memory>

#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/object_factory.h"
#include "desktop/scene/object/unknown.h"
#include "desktop/units/unit_class_headers.h"

namespace lumivane {
namespace {

struct Released {
    void operator()(Unknown* object) const {
        if (object) object->Release();
    }
};
using Made = std::unique_ptr<Unknown, Released>;

Made Create(const char* alternative, const char* name, int number) {
    return Made(CreateObject(alternative, name, number));
}

TEST(LvClasses, FactoryMatchesNumberOrNameWithoutCase) {
    Made byName = Create(nullptr, "ship", -1);
    ASSERT_TRUE(byName);
    EXPECT_EQ(byName->classId, 8);
    Made byNumber = Create(nullptr, nullptr, 8);
    ASSERT_TRUE(byNumber);
    EXPECT_EQ(byNumber->classId, 8);
    Made unknown = Create(nullptr, "UNKNOWN", -1);
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->classId, 0);

    // Every number with a class builds an object carrying that number.
    int built = 0;
    for (int number = 0; number < kClassCount; ++number) {
        Made object = Create(nullptr, nullptr, number);
        EXPECT_EQ(bool(object), ClassName(number) != nullptr) << number;
        if (!object) continue;
        EXPECT_EQ(object->classId, number);
        ++built;
    }
    EXPECT_EQ(built, 79);
    EXPECT_FALSE(Create(nullptr, nullptr, 25));
    EXPECT_FALSE(Create(nullptr, nullptr, 200));
}

TEST(LvClasses, UnknownNameRetriesWithTheAlternative) {
    Made cruiser = Create("Cruiser", "Dreadnought", -1);
    ASSERT_TRUE(cruiser);
    EXPECT_EQ(cruiser->classId, 12);
    EXPECT_FALSE(Create(nullptr, "Dreadnought", -1));
    EXPECT_FALSE(Create("NoSuchThing", "Dreadnought", -1));
    // The first matching class wins; nothing is built twice.
    Made first = Create(nullptr, "Group", 3);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->classId, 3);
}

TEST(LvClasses, RelationTableFollowsTheBases) {
    Made turret = Create(nullptr, "MissileTurret", -1);
    ASSERT_TRUE(turret);
    EXPECT_FALSE(IsA(turret.get(), ClassId::Turret));
    EXPECT_TRUE(IsA(turret.get(), ClassId::Structure));
    EXPECT_TRUE(IsA(turret.get(), ClassId::Ship));
    EXPECT_TRUE(IsA(turret.get(), ClassId::Entity));

    // Row 23 is a reserved structure group.
    const int row23[] = {0, 1, 3, 5, 8, 51, 72, 23};
    int filled = 0;
    for (int column = 0; column < kClassCount; ++column)
        filled += ClassIsATable[23][column];
    EXPECT_EQ(filled, 8);
    for (int column : row23)
        EXPECT_EQ(ClassIsATable[23][column], 1) << column;
    for (int column = 0; column < kClassCount; ++column)
        EXPECT_EQ(ClassIsATable[25][column], 0);

    const int dummyLink[] = {0, 1, 3, 10, 147};
    for (int column : dummyLink)
        EXPECT_EQ(ClassIsATable[147][column], 1) << column;
    EXPECT_EQ(ClassIsATable[54][51], 1);
    EXPECT_EQ(ClassIsATable[11][8], 1); // a weapon is a ship kind

    // Rows: 150 filled, each with column 0 and its own column set.
    int rows = 0;
    for (int row = 0; row < kClassCount; ++row) {
        if (!ClassIsATable[row][0]) continue;
        ++rows;
        EXPECT_EQ(ClassIsATable[row][row], 1) << row;
    }
    EXPECT_EQ(rows, 150);
    for (int number = 0; number < kClassCount; ++number) {
        Made object = Create(nullptr, nullptr, number);
        if (object) {
            EXPECT_TRUE(IsA(object.get(), 0)) << number;
        }
    }
    EXPECT_FALSE(IsA(turret.get(), kClassCount));
    EXPECT_FALSE(IsA(nullptr, 0));
}

} // namespace
} // namespace lumivane
