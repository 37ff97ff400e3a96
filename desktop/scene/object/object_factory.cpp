// The factory table: a maker per class number, the scene engine's own
// classes filled in from the start, the others as they are registered.
#include "desktop/scene/object/object_factory.h"

#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/scene_classes.h"
#include "platform/paths.h"

namespace lumivane {

namespace {

struct Creator {
    ClassId number;
    ObjectMaker make;
};

// The classes of the scene engine itself: nodes, channels, scenery bodies,
// lights, particle systems, collections and debris.
constexpr Creator kSceneCreators[] = {
    {ClassId::Unknown, MakeObject<Unknown>},
    {ClassId::Node, MakeObject<Node>},
    {ClassId::GeoNode, MakeObject<GeoNode>},
    {ClassId::TransNode, MakeObject<TransNode>},
    {ClassId::Group, MakeObject<Group>},
    {ClassId::Entity, MakeObject<Entity>},
    {ClassId::Sun, MakeObject<Sun>},
    {ClassId::Planet, MakeObject<Planet>},
    {ClassId::FrameAnim, MakeObject<FrameAnim>},
    {ClassId::Nebulae, MakeObject<Nebulae>},
    {ClassId::OrbitLines, MakeObject<OrbitLines>},
    {ClassId::Channel, MakeObject<Channel>},
    {ClassId::FrameChannel, MakeObject<FrameChannel>},
    {ClassId::Sequencer, MakeObject<Sequencer>},
    {ClassId::LightNode, MakeObject<LightNode>},
    {ClassId::AnimText, MakeObject<AnimText>},
    {ClassId::MorphChannel, MakeObject<MorphChannel>},
    {ClassId::TexMorphChannel, MakeObject<TexMorphChannel>},
    {ClassId::TexAnimChannel, MakeObject<TexAnimChannel>},
    {ClassId::Celestial, MakeObject<Celestial>},
    {ClassId::UVChannel, MakeObject<UVChannel>},
    {ClassId::VisChannel, MakeObject<VisChannel>},
    {ClassId::Wormhole, MakeObject<Wormhole>},
    {ClassId::Asteroid, MakeObject<Asteroid>},
    {ClassId::Moon, MakeObject<Moon>},
    {ClassId::Grid, MakeObject<Grid>},
    {ClassId::PartNode, MakeObject<PartNode>},
    {ClassId::PartSys, MakeObject<PartSys>},
    {ClassId::Debris, MakeObject<Debris>},
    {ClassId::Collection, MakeObject<Collection>},
    {ClassId::Light, MakeObject<Light>},
    {ClassId::DummyLink, MakeObject<DummyLink>},
    {ClassId::LensFlare, MakeObject<LensFlare>},
};

struct MakerTable {
    ObjectMaker makers[kClassCount] = {};
    MakerTable() {
        for (const Creator& creator : kSceneCreators)
            makers[int(creator.number)] = creator.make;
    }
};

MakerTable& Makers() {
    static MakerTable table;
    return table;
}

// The number of the class table's class of that name (any case), or -1.
int ClassNumberOf(const char* name) {
    for (int number = 0; number < kClassCount; ++number) {
        const char* known = ClassName(number);
        if (known && platform::EqualsIgnoreCase(name, known)) return number;
    }
    return -1;
}

} // namespace

int RegisterClass(const char* name, ObjectMaker make) {
    const int number = name ? ClassNumberOf(name) : -1;
    if (number >= 0) Makers().makers[number] = make;
    return number;
}

Unknown* CreateObject(const char* alternativeName, const char* name, int classNumber) {
    ObjectMaker make = nullptr;
    if (classNumber >= 0 && classNumber < kClassCount) make = Makers().makers[classNumber];
    if (!make && name) {
        const int number = ClassNumberOf(name);
        if (number >= 0) make = Makers().makers[number];
    }
    if (make) return make();
    if (name && alternativeName) return CreateObject(nullptr, alternativeName, -1);
    return nullptr;
}

} // namespace lumivane
