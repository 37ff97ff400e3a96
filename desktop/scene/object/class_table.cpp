// The class numbering and the relation table built from each row's base.
#include "desktop/scene/object/class_table.h"

#include <cstring>

#include "desktop/scene/object/unknown.h"

namespace lumivane {

uint8_t ClassIsATable[kClassCount][kClassCount];

namespace {

struct ClassRow {
    int number;
    int base;         // -1 for the root
    const char* name; // null for a number without a class in this program
};

// Factory classes first, then the numbers that have a row but no class.
constexpr ClassRow kRows[] = {
    {0, -1, "Unknown"},
    {1, 0, "Node"},
    {2, 1, "GeoNode"},
    {3, 1, "TransNode"},
    {4, 3, "Group"},
    {5, 3, "Entity"},
    {6, 5, "Sun"},
    {7, 5, "Planet"},
    {8, 5, "Ship"},
    {10, 3, "FrameAnim"},
    {11, 8, "Weapon"},
    {12, 8, "Cruiser"},
    {13, 8, "MineLayer"},
    {14, 8, "Mine"},
    {15, 5, "Nebulae"},
    {16, 8, "Comsat"},
    {17, 8, "MineSweeper"},
    {18, 2, "OrbitLines"},
    {19, 8, "Interceptor"},
    {20, 8, "Tug"},
    {21, 8, "MissileBoat"},
    {22, 11, "Missile"},
    {24, 11, "ShockWave"},
    {26, 11, "PlasmaBall"},
    {29, 8, "Gunship"},
    {30, 8, "Carrier"},
    {31, 0, "Channel"},
    {32, 31, "FrameChannel"},
    {33, 0, "Sequencer"},
    {34, 3, "LightNode"},
    {35, 2, "AnimText"},
    {37, 31, "MorphChannel"},
    {38, 31, "TexMorphChannel"},
    {39, 31, "TexAnimChannel"},
    {44, 5, "Celestial"},
    {46, 31, "UVChannel"},
    {47, 31, "VisChannel"},
    {48, 5, "Wormhole"},
    {49, 5, "Asteroid"},
    {50, 5, "Moon"},
    {51, 8, "Structure"},
    {52, 2, "Grid"},
    {53, 2, "PartNode"},
    {54, 51, "Turret"},
    {55, 11, "Starburst"},
    {56, 51, "Connector"},
    {64, 0, "Pilot"},
    {65, 8, "ATR"},
    {67, 11, "LightningBall"},
    {68, 51, "Drydock"},
    {69, 8, "UtilityPod"},
    {70, 51, "PodBay"},
    {71, 11, "Tracer"},
    {73, 5, "StructPlacer"},
    {74, 8, "Probe"},
    {75, 8, "PatrolBoat"},
    {76, 8, "ColonyShip"},
    {77, 8, "Catamaran"},
    {78, 8, "Bomber"},
    {79, 8, "CarrierFighter"},
    {80, 8, "SpaceMarine"},
    {98, 5, "PartSys"},
    {101, 5, "Debris"},
    {107, 5, "Collection"},
    {108, 5, "Light"},
    {109, 8, "PerimeterStation"},
    {110, 51, "HubbleScope"},
    {111, 51, "MissileTurret"},
    {112, 51, "ChaffeLauncher"},
    {113, 8, "MiningStation"},
    {114, 8, "PrefabKit"},
    {115, 8, "Shuttle"},
    {116, 8, "CapitolShip"},
    {117, 8, "Decoy"},
    {147, 10, "DummyLink"},
    {149, 51, "Hub"},
    {150, 11, "TowCable"},
    {156, 51, "Hangar"},
    {158, 5, "LensFlare"},
    // Entity groups.
    {9, 5, nullptr},
    {42, 5, nullptr},
    {100, 5, nullptr},
    {36, 42, nullptr},
    {41, 42, nullptr},
    {45, 42, nullptr},
    {61, 42, nullptr},
    {62, 42, nullptr},
    {63, 42, nullptr},
    // Ship groups.
    {60, 8, nullptr},
    {97, 8, nullptr},
    {146, 8, nullptr},
    {66, 60, nullptr},
    {81, 60, nullptr},
    {82, 60, nullptr},
    {83, 60, nullptr},
    {84, 60, nullptr},
    {85, 60, nullptr},
    {86, 60, nullptr},
    {87, 60, nullptr},
    {88, 60, nullptr},
    {143, 60, nullptr},
    {144, 60, nullptr},
    {145, 60, nullptr},
    {157, 60, nullptr},
    {27, 97, nullptr},
    {57, 97, nullptr},
    {102, 97, nullptr},
    {103, 97, nullptr},
    {104, 97, nullptr},
    {118, 97, nullptr},
    {119, 97, nullptr},
    {120, 97, nullptr},
    {121, 97, nullptr},
    {122, 97, nullptr},
    {123, 97, nullptr},
    {124, 97, nullptr},
    {125, 97, nullptr},
    {126, 97, nullptr},
    // Weapon kinds.
    {58, 11, nullptr},
    {89, 11, nullptr},
    {90, 11, nullptr},
    {91, 11, nullptr},
    {92, 11, nullptr},
    {93, 11, nullptr},
    {94, 11, nullptr},
    {96, 11, nullptr},
    {106, 11, nullptr},
    {134, 11, nullptr},
    {135, 11, nullptr},
    {136, 11, nullptr},
    {151, 11, nullptr},
    {155, 11, nullptr},
    // Structure groups.
    {72, 51, nullptr},
    {127, 51, nullptr},
    {128, 51, nullptr},
    {129, 51, nullptr},
    {130, 51, nullptr},
    {131, 51, nullptr},
    {132, 51, nullptr},
    {133, 51, nullptr},
    {154, 51, nullptr},
    {23, 72, nullptr},
    {95, 72, nullptr},
    {137, 72, nullptr},
    {138, 72, nullptr},
    {139, 72, nullptr},
    {140, 72, nullptr},
    {141, 72, nullptr},
    {142, 72, nullptr},
    {153, 72, nullptr},
};

struct RowIndex {
    int rowOf[kClassCount];
    RowIndex() {
        for (int& r : rowOf)
            r = -1;
        for (int i = 0; i < int(sizeof kRows / sizeof kRows[0]); ++i)
            rowOf[kRows[i].number] = i;
    }
};

const RowIndex& Rows() {
    static const RowIndex index;
    return index;
}

[[maybe_unused]] const bool kBuiltAtLoad = (BuildClassIsATable(), true);

} // namespace

void BuildClassIsATable() {
    std::memset(ClassIsATable, 0, sizeof ClassIsATable);
    const RowIndex& rows = Rows();
    for (const ClassRow& row : kRows) {
        // Walk up the bases; the row count bounds the walk.
        int number = row.number;
        for (int steps = 0; number >= 0 && steps < kClassCount; ++steps) {
            ClassIsATable[row.number][number] = 1;
            int index = rows.rowOf[number];
            number = index >= 0 ? kRows[index].base : -1;
        }
    }
}

bool IsA(const Unknown* object, int column) {
    if (!object || column < 0 || column >= kClassCount || object->classId >= kClassCount)
        return false;
    return ClassIsATable[object->classId][column] != 0;
}

const char* ClassName(int number) {
    if (number < 0 || number >= kClassCount) return nullptr;
    int index = Rows().rowOf[number];
    return index >= 0 ? kRows[index].name : nullptr;
}

int BaseClassOf(int number) {
    if (number < 0 || number >= kClassCount) return -1;
    int index = Rows().rowOf[number];
    return index >= 0 ? kRows[index].base : -1;
}

} // namespace lumivane
