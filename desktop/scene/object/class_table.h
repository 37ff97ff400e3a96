// Class numbers and the class relation table. Every stored or named scene
// object belongs to one numbered class; whether an object is a kind of some
// class is one look-up in ClassIsATable (row: the object's class, column: the
// class asked about). Rows also exist for numbers that have no class in this
// program, so their columns can serve as group tests.
#pragma once

#include <cstdint>

namespace lumivane {

class Unknown;

inline constexpr int kClassCount = 159;

// The numbers of the classes the factory builds.
enum class ClassId : uint8_t {
    Unknown = 0,
    Node = 1,
    GeoNode = 2,
    TransNode = 3,
    Group = 4,
    Entity = 5,
    Sun = 6,
    Planet = 7,
    Ship = 8,
    FrameAnim = 10,
    Weapon = 11,
    Cruiser = 12,
    MineLayer = 13,
    Mine = 14,
    Nebulae = 15,
    Comsat = 16,
    MineSweeper = 17,
    OrbitLines = 18,
    Interceptor = 19,
    Tug = 20,
    MissileBoat = 21,
    Missile = 22,
    ShockWave = 24,
    PlasmaBall = 26,
    Gunship = 29,
    Carrier = 30,
    Channel = 31,
    FrameChannel = 32,
    Sequencer = 33,
    LightNode = 34,
    AnimText = 35,
    MorphChannel = 37,
    TexMorphChannel = 38,
    TexAnimChannel = 39,
    Celestial = 44,
    UVChannel = 46,
    VisChannel = 47,
    Wormhole = 48,
    Asteroid = 49,
    Moon = 50,
    Structure = 51,
    Grid = 52,
    PartNode = 53,
    Turret = 54,
    Starburst = 55,
    Connector = 56,
    Pilot = 64,
    ATR = 65,
    LightningBall = 67,
    Drydock = 68,
    UtilityPod = 69,
    PodBay = 70,
    Tracer = 71,
    StructPlacer = 73,
    Probe = 74,
    PatrolBoat = 75,
    ColonyShip = 76,
    Catamaran = 77,
    Bomber = 78,
    CarrierFighter = 79,
    SpaceMarine = 80,
    PartSys = 98,
    Debris = 101,
    Collection = 107,
    Light = 108,
    PerimeterStation = 109,
    HubbleScope = 110,
    MissileTurret = 111,
    ChaffeLauncher = 112,
    MiningStation = 113,
    PrefabKit = 114,
    Shuttle = 115,
    CapitolShip = 116,
    Decoy = 117,
    DummyLink = 147,
    Hub = 149,
    TowCable = 150,
    Hangar = 156,
    LensFlare = 158,
};

// Byte [row][column] is 1 when class `row` is class `column` or derives
// from it. Filled when the library loads; BuildClassIsATable fills it again.
extern uint8_t ClassIsATable[kClassCount][kClassCount];
void BuildClassIsATable();

// The relation table's answer for the object's class and the asked column;
// false for a null object or a column outside the table.
bool IsA(const Unknown* object, int column);
inline bool IsA(const Unknown* object, ClassId column) {
    return IsA(object, int(column));
}

// The name of a factory class ("TransNode"), or null for a number without one.
const char* ClassName(int number);
// The base class number of a filled row, -1 for the root and for numbers
// without a row.
int BaseClassOf(int number);

} // namespace lumivane
