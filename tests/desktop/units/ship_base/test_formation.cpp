// Formation places: the rows of the line, wedge and ring kinds, the table
// kinds that end after place 19, the packing and a ring with nobody to go
// round; places are in units of the spacing times the leader's radius and
// stay inside the scene.
#include <gtest/gtest.h>

#include <cmath>

#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/world/squad.h"
#include "tests/desktop/units/unit_fixture.h"

namespace lumivane::test {
namespace {

class LvFormation : public UnitTest {
protected:
    LvFormation() {
        AddShip("scout");
        leader = SpawnShip("scout");
        leader->SetSquad(PlayerAt(0)->SquadAt(1), -1);
        member = SpawnShip("scout", {0, 0, -3});
        member->SetSquad(PlayerAt(0)->SquadAt(1), -1);
        member->orderState = kOrderFormation;
        unit = leader->radius; // a spacing of 1 puts places a leader's radius apart
    }

    // The offset the member takes at place k, in units of the leader's radius.
    Vec3 Offset(int kind, int k) {
        member->movePoint = {};
        const Vec3 at = member->FormationPosition(kind, 1.0f, k, leader);
        return (at - leader->position) * (1.0f / unit);
    }

    static void ExpectNear(const Vec3& a, const Vec3& b) {
        EXPECT_NEAR(a.x, b.x, 1e-3f);
        EXPECT_NEAR(a.y, b.y, 1e-3f);
        EXPECT_NEAR(a.z, b.z, 1e-3f);
    }

    Ship* leader = nullptr;
    Ship* member = nullptr;
    float unit = 1.0f;
};

TEST_F(LvFormation, TablesEndAtPlaceNineteenOtherKindsGoOn) {
    ExpectNear(Offset(6, 19), {2, -1, 0});
    ExpectNear(Offset(6, 20), {0, 0, 1});
    ExpectNear(Offset(10, 19), {1.5f, 5, -5});
    ExpectNear(Offset(10, 20), {0, 0, 1});
    ExpectNear(Offset(10, 0), {0, 0, 1});
    ExpectNear(Offset(1, 40), {0, 0, -40}); // the plain column has no end
    ExpectNear(Offset(8, 40), {0.707f * 10, -0.707f * 10, 10});
}

TEST_F(LvFormation, RowsSplitAtHalfTheFormation) {
    // Two in formation (the leader and the member): half is 1.
    ExpectNear(Offset(3, 1), {1, 0, 0});
    ExpectNear(Offset(3, 2), {-1, 0, 0});
    ExpectNear(Offset(5, 2), {-1, 0, -1});
    ExpectNear(Offset(7, 3), {-2, 0, 2});
    ExpectNear(Offset(14, 3), {0, -2, 0});
    ExpectNear(Offset(14, 4), {0, 2, 0});
    ExpectNear(Offset(15, 2), {0.707f, 0.707f, 0});
    // A ring through the leader: place 0 is the leader's own.
    ExpectNear(Offset(11, 0), {0, 0, 0});
    const Vec3 across = Offset(11, 1);
    EXPECT_NEAR(across.z, -2.0f * 2.0f / (2.0f * kPi), 1e-3f);
    // The packing: a pair lies two apart, behind.
    ExpectNear(Offset(12, 1), {0, 0, -2});
    ExpectNear(Offset(12, 2), {0, 0, 1}); // no third place in a pair
}

TEST_F(LvFormation, PackingsKeepTheirMembersApart) {
    for (int n = 3; n <= 12; ++n) {
        while (int(leader->squad->count) < n) {
            Ship* extra = SpawnShip("scout", {0, 0, float(-3 * n)});
            extra->SetSquad(leader->squad, -1);
            extra->orderState = kOrderFormation;
        }
        std::vector<Vec3> places;
        for (int k = 0; k < n; ++k)
            places.push_back(Offset(12, k));
        for (int a = 0; a < n; ++a)
            for (int b = a + 1; b < n; ++b)
                EXPECT_GT((places[a] - places[b]).Length(), 0.7f) << n << ": " << a << ", " << b;
        for (int k = 1; k < n; ++k)
            EXPECT_LT(places[size_t(k)].z, 0.0f) << "behind the leader";
    }
}

TEST_F(LvFormation, ARingAboutALoneLeaderAndPlacesOutsideTheSceneStayFinite) {
    member->SetSquad(nullptr, -1);
    ASSERT_EQ(leader->squad->count, 1);
    const Vec3 alone = member->FormationPosition(13, 1.0f, 1, leader);
    EXPECT_TRUE(std::isfinite(alone.x) && std::isfinite(alone.z));

    GetSceneBounds() = {15.0f, 100.0f};
    leader->position = {0, 14, -95};
    const Vec3 high = member->FormationPosition(14, 10.0f, 4, leader); // 20 radii up
    EXPECT_EQ(high.y, 15.0f);
    const Vec3 wide = member->FormationPosition(1, 10.0f, 1, leader); // 10 radii out
    EXPECT_NEAR(std::hypot(wide.x, wide.z), 100.0f, 1e-3f);
}

} // namespace
} // namespace lumivane::test
