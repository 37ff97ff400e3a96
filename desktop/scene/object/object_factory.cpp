// The factory table: one creator per class, tested in a fixed order.
#include "desktop/scene/object/object_factory.h"

#include <new>
#include <string_view>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/anim_text.h"
#include "desktop/scene/object/channel.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/frame_channel.h"
#include "desktop/scene/object/geo_node.h"
#include "desktop/scene/object/light_node.h"
#include "desktop/scene/object/orbit_lines.h"
#include "desktop/scene/object/scene_classes.h"
#include "desktop/scene/object/sequencer.h"
#include "desktop/scene/object/texture_channels.h"
#include "desktop/scene/object/trans_node.h"
#include "desktop/scene/object/vertex_channels.h"
#include "desktop/units/carrier/carrier.h"
#include "desktop/units/carrier/craft.h"
#include "desktop/units/turret/turret_ships.h"
#include "platform/paths.h"

namespace lumivane {

namespace {

struct Creator {
    ClassId number;
    Unknown* (*make)();
};

template <class T> Unknown* Make() {
    return new (std::nothrow) T;
}

// By number, except that Group, Tug, Comsat and MineSweeper come last.
constexpr Creator kCreators[] = {
    {ClassId::Unknown, Make<Unknown>},
    {ClassId::Node, Make<Node>},
    {ClassId::GeoNode, Make<GeoNode>},
    {ClassId::TransNode, Make<TransNode>},
    {ClassId::Entity, Make<Entity>},
    {ClassId::Sun, Make<Sun>},
    {ClassId::Planet, Make<Planet>},
    {ClassId::Ship, Make<Ship>},
    {ClassId::FrameAnim, Make<FrameAnim>},
    {ClassId::Weapon, Make<Weapon>},
    {ClassId::Cruiser, Make<Cruiser>},
    {ClassId::MineLayer, Make<MineLayer>},
    {ClassId::Mine, Make<Mine>},
    {ClassId::Nebulae, Make<Nebulae>},
    {ClassId::OrbitLines, Make<OrbitLines>},
    {ClassId::Interceptor, Make<Interceptor>},
    {ClassId::MissileBoat, Make<MissileBoat>},
    {ClassId::Missile, Make<Missile>},
    {ClassId::ShockWave, Make<ShockWave>},
    {ClassId::PlasmaBall, Make<PlasmaBall>},
    {ClassId::Gunship, Make<Gunship>},
    {ClassId::Carrier, Make<Carrier>},
    {ClassId::Channel, Make<Channel>},
    {ClassId::FrameChannel, Make<FrameChannel>},
    {ClassId::Sequencer, Make<Sequencer>},
    {ClassId::LightNode, Make<LightNode>},
    {ClassId::AnimText, Make<AnimText>},
    {ClassId::MorphChannel, Make<MorphChannel>},
    {ClassId::TexMorphChannel, Make<TexMorphChannel>},
    {ClassId::TexAnimChannel, Make<TexAnimChannel>},
    {ClassId::Celestial, Make<Celestial>},
    {ClassId::UVChannel, Make<UVChannel>},
    {ClassId::VisChannel, Make<VisChannel>},
    {ClassId::Wormhole, Make<Wormhole>},
    {ClassId::Asteroid, Make<Asteroid>},
    {ClassId::Moon, Make<Moon>},
    {ClassId::Structure, Make<Structure>},
    {ClassId::Grid, Make<Grid>},
    {ClassId::PartNode, Make<PartNode>},
    {ClassId::Turret, Make<Turret>},
    {ClassId::Starburst, Make<Starburst>},
    {ClassId::Connector, Make<Connector>},
    {ClassId::Pilot, Make<Pilot>},
    {ClassId::ATR, Make<ATR>},
    {ClassId::LightningBall, Make<LightningBall>},
    {ClassId::Drydock, Make<Drydock>},
    {ClassId::UtilityPod, Make<UtilityPod>},
    {ClassId::PodBay, Make<PodBay>},
    {ClassId::Tracer, Make<Tracer>},
    {ClassId::StructPlacer, Make<StructPlacer>},
    {ClassId::Probe, Make<Probe>},
    {ClassId::PatrolBoat, Make<PatrolBoat>},
    {ClassId::ColonyShip, Make<ColonyShip>},
    {ClassId::Catamaran, Make<Catamaran>},
    {ClassId::Bomber, Make<Bomber>},
    {ClassId::CarrierFighter, Make<CarrierFighter>},
    {ClassId::SpaceMarine, Make<SpaceMarine>},
    {ClassId::PartSys, Make<PartSys>},
    {ClassId::Debris, Make<Debris>},
    {ClassId::Collection, Make<Collection>},
    {ClassId::Light, Make<Light>},
    {ClassId::PerimeterStation, Make<PerimeterStation>},
    {ClassId::HubbleScope, Make<HubbleScope>},
    {ClassId::MissileTurret, Make<MissileTurret>},
    {ClassId::ChaffeLauncher, Make<ChaffeLauncher>},
    {ClassId::MiningStation, Make<MiningStation>},
    {ClassId::PrefabKit, Make<PrefabKit>},
    {ClassId::Shuttle, Make<Shuttle>},
    {ClassId::CapitolShip, Make<CapitolShip>},
    {ClassId::Decoy, Make<Decoy>},
    {ClassId::DummyLink, Make<DummyLink>},
    {ClassId::Hub, Make<Hub>},
    {ClassId::TowCable, Make<TowCable>},
    {ClassId::Hangar, Make<Hangar>},
    {ClassId::LensFlare, Make<LensFlare>},
    {ClassId::Group, Make<Group>},
    {ClassId::Tug, Make<Tug>},
    {ClassId::Comsat, Make<Comsat>},
    {ClassId::MineSweeper, Make<MineSweeper>},
};
static_assert(sizeof kCreators / sizeof kCreators[0] == 79, "every factory class has a creator");

} // namespace

Unknown* CreateObject(const char* alternativeName, const char* name, int classNumber) {
    for (const Creator& creator : kCreators) {
        bool numberMatches = int(creator.number) == classNumber;
        bool nameMatches = name && platform::EqualsIgnoreCase(name, ClassName(int(creator.number)));
        if (numberMatches || nameMatches) return creator.make();
    }
    if (name && alternativeName) return CreateObject(nullptr, alternativeName, -1);
    return nullptr;
}

} // namespace lumivane
