// Prototypes of the ship classes for their tests: a cube hull with the
// named mount nodes a class binds, calm (no gravity, no auto attack) and
// with the reload and ranges the test gives.
#pragma once

#include <initializer_list>
#include <string>

#include "desktop/scene/object/trans_node.h"
#include "tests/desktop/units/arms_fixture.h"

namespace lumivane::test {

inline constexpr float kFrame = 1.0f / 30.0f;

inline void CalmUnit(Entity& e) {
    WorldTest::SetFlag(e, "affected by gravity", false);
    WorldTest::SetFlag(e, "task: auto attack", false);
    WorldTest::SetFloat(e, "health max", 50.0f);
}

class ShipClassTest : public UnitTest {
protected:
    // A prototype of class T with a hull and a mount node for each name,
    // spread along X so their world positions differ.
    template <class T>
    T* AddClass(const char* name, std::initializer_list<const char*> mounts,
                const std::function<void(Entity&)>& tune = nullptr) {
        T* prototype = AddPrototype<T>(name, [&](Entity& e) {
            CalmUnit(e);
            if (tune) tune(e);
        });
        prototype->AddChild(Cube("hull", 0.5f));
        float x = -1.0f;
        for (const char* mount : mounts) {
            auto* node = new TransNode;
            node->SetName(mount);
            node->local.MakeTranslation(x, 0.0f, 0.5f);
            prototype->AddChild(node);
            x += 0.5f;
        }
        prototype->RecomputeBound();
        return prototype;
    }

    template <class T> T* Place(const char* name, Vec3 at = {}, int owner = 0) {
        T* unit = Spawn<T>(name, at);
        if (unit && owner >= 0) unit->SetPlayer(PlayerAt(owner));
        return unit;
    }

    int32_t Now() const { return int32_t(GetSceneClock().gameTime); }
};

} // namespace lumivane::test
