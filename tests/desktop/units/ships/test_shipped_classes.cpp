// The shipped prototypes of the ship classes load from the runtime folder
// as their classes, with every node and sequence the class looks up.
#include <gtest/gtest.h>

#include <vector>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/world/model_library.h"
#include "platform/paths.h"

namespace lumivane::test {
namespace {

struct Expected {
    const char* prototype;
    ClassId kind;
    std::vector<const char*> nodes;
    std::vector<const char*> sequences;
};

TEST(LvShippedClasses, EveryClassPrototypeHasItsNodesAndSequences) {
    ModelLibrary library;
    ASSERT_TRUE(library.LoadAll(platform::ProgramFolder() / "LumivaneData"));
    const Expected expected[] = {
        {"rotary gunship",
         ClassId::Gunship,
         {"gun1", "gun2", "llthrust", "luthrust", "rlthrust", "ruthrust"},
         {"revup", "revdown", "revving", "idle", "fire1", "fire2"}},
        {"bomber",
         ClassId::Bomber,
         {"Lengine", "Rengine", "tube1", "tube2", "tube3"},
         {"bombbay_close"}},
        {"catamaran",
         ClassId::Catamaran,
         {"dummyweapon"},
         {"fire", "cartridge_1", "cartridge_2", "cartridge_3", "cartridge_4", "cartridge_5"}},
        {"colony ship", ClassId::ColonyShip, {"dummyship"}, {}},
        {"interceptor", ClassId::Interceptor, {"Lengine", "Rengine"}, {}},
        {"mine layer", ClassId::MineLayer, {"dummyrack1", "dummyrack2"}, {}},
        {"mining station", ClassId::MiningStation, {"bodytilt"}, {}},
        {"missile boat",
         ClassId::MissileBoat,
         {"missile1", "missile2", "Lengine", "Rengine"},
         {"missile1_load", "missile2_load"}},
        {"prefab kit", ClassId::PrefabKit, {}, {"deploy"}},
        {"probe",
         ClassId::Probe,
         {"llthrust", "ulthrust", "lrthrust", "urthrust", "EngineSpindle"},
         {}},
        {"minesweeper", ClassId::MineSweeper, {}, {}},
        {"shuttle", ClassId::Shuttle, {}, {}},
        {"mine", ClassId::Mine, {}, {}},
        {"comsat", ClassId::Comsat, {}, {"deploy"}},
    };
    for (const Expected& e : expected) {
        Node* prototype = library.FindPrototype(e.prototype);
        ASSERT_NE(prototype, nullptr) << e.prototype;
        EXPECT_EQ(prototype->classId, uint8_t(e.kind)) << e.prototype;
        for (const char* node : e.nodes)
            EXPECT_NE(prototype->FindByName(node), nullptr) << e.prototype << ": " << node;
        const Sequencer* sequencer = static_cast<Entity*>(prototype)->sequencer;
        for (const char* sequence : e.sequences)
            EXPECT_TRUE(sequencer && sequencer->FindSequence(sequence) >= 0)
                << e.prototype << ": " << sequence;
    }
}

} // namespace
} // namespace lumivane::test
