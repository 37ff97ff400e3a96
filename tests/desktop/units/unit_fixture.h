// Units in a running world for the unit tests: the world and model library
// of the entity tests, six players (player 0 the local one), the message
// queue and a scene, the shared generator at its start. Ship prototypes are
// made in code with a cube hull, so their radius is known.
#pragma once

#include <memory>
#include <string>

#include "desktop/scene/object/random_generator.h"
#include "desktop/scene/world/message.h"
#include "desktop/scene/world/message_queue.h"
#include "desktop/scene/world/scene.h"
#include "desktop/units/ship_base/ship.h"
#include "desktop/units/ship_base/unit_settings.h"
#include "tests/desktop/scene/world_fixture.h"

namespace lumivane::test {

class UnitTest : public WorldTest {
protected:
    UnitTest() {
        MainRandom().Seed(0);
        GetUnitSettings() = {};
        SetMessageQueue(&queue);
        SetScene(scene.get());
    }
    ~UnitTest() override {
        // Shots name their side without being among its units: the world
        // goes before the players do.
        world.Clear();
        queue.Clear();
        SetMessageQueue(nullptr);
        SetScene(nullptr);
    }

    // A ship prototype with a hull of radius sqrt(3) x half (a cube), and
    // its properties as `tune` sets them.
    Ship* AddShip(const char* name, const std::function<void(Entity&)>& tune = nullptr,
                  float half = 0.5f) {
        Ship* ship = AddPrototype<Ship>(name, tune);
        ship->AddChild(Cube("hull", half));
        ship->RecomputeBound();
        return ship;
    }

    // A clone in the world at `position`, owned by player `owner` (-1 none).
    Ship* SpawnShip(const char* name, Vec3 position = {}, int owner = 0) {
        Ship* ship = Spawn<Ship>(name, position);
        if (ship && owner >= 0) ship->SetPlayer(PlayerAt(owner));
        return ship;
    }

    // A body with mass for orbits: the Sun at the origin unless placed.
    Entity* AddSun(Vec3 position = {}, float mass = 5000.0f) {
        AddPrototype<Sun>("Sun", [mass](Entity& e) {
            SetFlag(e, "massive", true);
            SetFlag(e, "affected by gravity", false);
            SetFloat(e, "mass", mass);
        });
        return Spawn("Sun", position);
    }

    // Hands the record to the unit now, as the queue would.
    static void Deliver(Ship& unit, Message& message) { unit.HandleMessage(message); }

    static std::unique_ptr<Message> Plain(uint8_t code, EntityHandle to) {
        auto m = std::make_unique<Message>();
        m->type = code;
        m->units.Append(to);
        return m;
    }

    // Calls the handler with the scene clock's step as the frame time.
    void Tick(float seconds = 1.0f / 30.0f) {
        SceneClock& clock = GetSceneClock();
        clock.frameTime = seconds;
        clock.gameTime += uint32_t(std::lround(seconds * 1000.0f));
    }

    PlayerSet players;
    MessageQueue queue;
    std::unique_ptr<Scene> scene = std::make_unique<Scene>();
};

} // namespace lumivane::test
