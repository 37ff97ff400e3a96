// UnitWatch: state changes, the final description and the digest.
#include "tools/scenerun/unit_watch.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "desktop/scene/world/squad.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/ship/ship.h"

namespace lumivane {

namespace {

std::string Format(const char* format, auto... values) {
    char line[256];
    std::snprintf(line, sizeof line, format, values...);
    return line;
}

class Fnv {
public:
    void Add(const void* data, size_t size) {
        const auto* bytes = static_cast<const uint8_t*>(data);
        for (size_t i = 0; i < size; ++i)
            hash = (hash ^ bytes[i]) * 16777619u;
    }
    template <class T> void Add(const T& value) { Add(&value, sizeof value); }
    uint32_t Value() const { return hash; }

private:
    uint32_t hash = 2166136261u;
};

} // namespace

void UnitWatch::Observe(uint32_t frame, const World& world, const Log& log) {
    for (int i = 0; i < world.EntityCount(); ++i) {
        const Ship* unit = AsShip(world.EntityAt(i));
        if (!unit || IsA(unit, ClassId::Weapon)) continue;
        const Seen now{unit->orderState, unit->currentWaypoint};
        auto [place, fresh] = seen.try_emplace(unit->handle, now);
        if (fresh) continue;
        const Seen before = place->second;
        place->second = now;
        if (before.state != now.state)
            log(Format("frame %u: unit %d state %d -> %d", frame, unit->handle, before.state,
                       now.state));
        if (before.waypoint != now.waypoint)
            log(Format("frame %u: unit %d waypoint %d -> %d", frame, unit->handle, before.waypoint,
                       now.waypoint));
    }
}

void UnitWatch::Report(const World& world, const Log& log) const {
    for (int i = 0; i < world.EntityCount(); ++i) {
        Ship* unit = AsShip(world.EntityAt(i));
        if (!unit || IsA(unit, ClassId::Weapon)) continue;
        const Node* proto = unit->Prototype();
        std::string line =
            Format("unit %d %s: state %d target %d at (%.3f, %.3f, %.3f) speed %.3f", unit->handle,
                   proto ? std::string(proto->Name()).c_str() : "?", unit->orderState, unit->target,
                   unit->position.x, unit->position.y, unit->position.z, unit->velocity.Length());
        if (unit->squad) line += Format(" squad %d slot %d", unit->squad->index, unit->squadSlot);
        Ship* leader = unit->squad ? ShipOf(unit->squad->GetLeader()) : nullptr;
        if (unit->orderState == kOrderFormation && leader && leader != unit) {
            // Asked after the run, so the run itself is not touched.
            const Vec3 place =
                unit->FormationPosition(leader->formationKind, leader->formationSpacing,
                                        unit->squad->GetFormationIndex(unit), leader);
            line += Format(" off its place %.3f", (place - unit->position).Length());
        }
        log(line);
    }
    log(Format("digest %08x", Digest(world)));
}

uint32_t UnitWatch::Digest(const World& world) {
    Fnv fnv;
    for (int i = 0; i < world.EntityCount(); ++i) {
        const Entity* e = world.EntityAt(i);
        if (!e) continue;
        fnv.Add(e->handle);
        fnv.Add(e->classId);
        for (const Vec3* v : {&e->position, &e->velocity})
            fnv.Add(*v);
        for (const Quat* q : {&e->orientation, &e->spin})
            fnv.Add(*q);
        if (const Ship* unit = AsShip(e)) {
            fnv.Add(unit->orderState);
            fnv.Add(unit->target);
        }
    }
    return fnv.Value();
}

} // namespace lumivane
