// TowCable: the property table, set-up, and the frame: paying out, the
// damped rope, reeling in, and the camera-facing ribbon.
#include "desktop/units/tug/tow_cable.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/geo_node.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/tug/tug.h"
#include "desktop/units/weapon/weapon_props.h"

namespace lumivane {

namespace {

using T = PropType;
constexpr int N = TowCable::kPoints;
constexpr float kSlack = 0.95f; // of the tug's cable length, laid out as rope
// The kink thrown into the cable near the hook as it straightens, in rope
// segments, for the points N - 12 .. N - 8.
constexpr int kKinkFirst = N - 12;
constexpr float kKink[] = {5.0f, 15.0f, 45.0f, 15.0f, 5.0f};
constexpr float kSettledDamping = 0.5f;
constexpr float kFreshDamping = 0.05f;
constexpr float kReelDamping = 0.7f;

std::vector<PropDesc> BuildTable() {
    PropTableBuilder b;
    b.Value("fire time", T::Time, 0, 30, 0.3f);
    b.Value("release time", T::Time, 0, 30, 2.78f);
    return b.End("Tow Cable", WeaponPropDescs());
}

size_t Offset(const char* name) {
    size_t cursor = 0;
    if (!PropDesc::Find(TowCablePropDescs(), name, cursor)) std::abort(); // the table names it
    return cursor;
}

int32_t Now() {
    return int32_t(GetSceneClock().gameTime);
}

int64_t Since(int32_t stamp) {
    return int64_t(Now()) - int64_t(stamp);
}

// How many of the N - 1 steps a phase of `length` ms has gone after
// `elapsed` ms (with the fraction of the next); a phase of no length is over
// at once.
float PhaseSteps(int64_t elapsed, int32_t length) {
    if (length <= 0) return float(N);
    return float(elapsed) / float(length) * float(N - 1);
}

Vec3 NormalisedOr(Vec3 v, const Vec3& fallback) {
    const float length = v.Length();
    return length > 1e-9f ? v * (1.0f / length) : fallback;
}

} // namespace

const PropDesc* TowCablePropDescs() {
    static const std::vector<PropDesc> table = BuildTable();
    return table.data();
}

const TowCablePropFields& TowCableFields() {
    static const TowCablePropFields fields{Offset("fire time"), Offset("release time")};
    return fields;
}

TowCable::TowCable() {
    classId = uint8_t(ClassId::TowCable);
}

TowCable::~TowCable() = default;

Node* TowCable::Clone() {
    auto* copy = new TowCable(*this);
    copy->InitClone(this);
    return copy;
}

const PropDesc* TowCable::GetPropDescs() const {
    return TowCablePropDescs();
}

void TowCable::InitClone(Node* source) {
    Weapon::InitClone(source);
    cableNode = nullptr;
    if (Node* first = ChildCount() > 0 ? ChildAt(0) : nullptr; IsA(first, ClassId::GeoNode)) {
        cableNode = static_cast<GeoNode*>(first);
        cableNode->DetachVertices(true);
        std::vector<uint16_t> indices;
        indices.reserve(size_t(6 * (N - 1)));
        for (int i = 0; i < N - 1; ++i) {
            const auto a = uint16_t(2 * i);
            for (uint16_t index : {a, uint16_t(a + 1), uint16_t(a + 2), uint16_t(a + 1),
                                   uint16_t(a + 3), uint16_t(a + 2)})
                indices.push_back(index);
        }
        cableNode->SetGeometry(std::vector<Vertex>(size_t(2 * N)), std::move(indices));
        cableNode->perFrameWork = 0;
        cableNode->streamed = 1;
        cableNode->twoSided = 1;
        SetDrawnSegments(0);
    }
    points.assign(size_t(N), position);
    speeds.assign(size_t(N), Vec3());
    startTime = Now();
    const PropBlock* block = props.get();
    const bool ownTable = block && block->Table() == TowCablePropDescs();
    fireTime = ownTable ? int32_t(block->Float(TowCableFields().fireTime) * 1000.0f) : 300;
    releaseTime = ownTable ? int32_t(block->Float(TowCableFields().releaseTime) * 1000.0f) : 2780;
    releaseStart = 0;
    extended = released = releaseStarted = 0;
}

int TowCable::DrawnSegments() const {
    return cableNode ? cableNode->indexCount / 6 : 0;
}

void TowCable::SetDrawnSegments(int segments) {
    if (cableNode) cableNode->indexCount = 6 * std::clamp(segments, 0, N - 1);
}

void TowCable::Update() {
    Ship::Update(); // a cable does not expire: its tug ends it
    World* world = GetWorld();
    if (!world || world->IsQueuedForRemoval(this)) return;
    Tug* tug = AsTug(world->GetEntity(ownerHandle));
    if (!tug || !cableNode) {
        world->QueueRemove(this, nullptr, false);
        return;
    }
    if (Entity* towed = world->GetEntity(tug->towed)) {
        hook = tug->attachPoint;
        towed->GetWorldMatrix().TransformPoint(hook);
    } else {
        released = 1;
    }
    const Vec3 start = tug->position - tug->GetDir() * kHookOffset;
    const float segment = tug->cableLength * kSlack / float(N - 1);
    if (!extended)
        PayOut(start, segment);
    else if (Swing(start, segment, GetSceneClock().frameTime)) {
        world->QueueRemove(this, nullptr, false);
        return;
    }
    // The cable hangs from the tug: its frame is the hook point's, unturned.
    position = start;
    velocity = tug->velocity;
    orientation = Quat();
    spin = Quat();
    PlaceLocalMatrix();
    BuildRibbon();
    radius = (points.back() - points.front()).Length();
}

void TowCable::PayOut(const Vec3& start, float segment) {
    const float steps = PhaseSteps(Since(startTime), fireTime);
    const int k = steps >= float(N) ? N : int(steps);
    if (k <= N - 1) {
        const float texel = segment == 0.0f ? 1.0f : segment;
        Vertex* v = cableNode->Vertices();
        for (int i = 0; i < N; ++i) {
            points[size_t(i)] = start + (hook - start) * (float(i) / float(N - 1));
            speeds[size_t(i)] = Vec3();
            v[2 * i].u = v[2 * i + 1].u = float(i) * texel;
            v[2 * i].v = 0.0f;
            v[2 * i + 1].v = 1.0f;
        }
        SetDrawnSegments(k - 1);
        return;
    }
    // Straight at last: a kink near the hook sets the rope swinging.
    const Vec3 along = NormalisedOr(hook - start, {0.0f, 0.0f, 1.0f});
    const Vec3 normal = NormalisedOr(Vec3::Cross(along, {0.0f, 1.0f, 0.0f}), {1.0f, 0.0f, 0.0f});
    for (int j = 0; j < int(sizeof kKink / sizeof kKink[0]); ++j)
        points[size_t(kKinkFirst + j)] += normal * (kKink[j] * segment);
    SetDrawnSegments(N - 1);
    extended = 1;
}

int TowCable::Swing(const Vec3& start, float segment, float dt) {
    if (!(dt > 0.0f)) return 0;
    float damping = std::pow(Since(startTime) < kSettleMs ? kFreshDamping : kSettledDamping, dt);
    if (released) damping = std::pow(kReelDamping, dt);
    const std::vector<Vec3> old = points;
    for (int i = 0; i < N; ++i)
        points[size_t(i)] += speeds[size_t(i)] * dt;
    int first = 0;
    if (!released) {
        points[size_t(N - 1)] = hook;
        points[0] = start;
    } else {
        if (!releaseStarted) {
            releaseStart = Now();
            releaseStarted = 1;
        }
        const float steps = PhaseSteps(Since(releaseStart), releaseTime);
        if (steps >= float(N - 1)) return 1;
        first = int(steps);
        for (int i = 0; i < first; ++i)
            points[size_t(i)] = start;
        // The point being wound in slides from its neighbour to the tug;
        // the far end hangs free.
        const float left = steps - float(first);
        points[size_t(first)] = start + (points[size_t(first + 1)] - start) * (1.0f - left);
    }
    Relax(segment, first, !released);
    for (int i = 0; i < N; ++i)
        speeds[size_t(i)] = (points[size_t(i)] - old[size_t(i)]) * (damping / dt);
    return 0;
}

void TowCable::Relax(float segment, int first, bool hookHeld) {
    // From the hook towards the tug, each point at one segment from the
    // next; then back from the tug, each at one segment from the one before.
    // Held ends stay where they are held.
    for (int i = N - 2; i > first; --i) {
        const Vec3& next = points[size_t(i + 1)];
        points[size_t(i)] =
            next + NormalisedOr(points[size_t(i)] - next, {0.0f, 0.0f, -1.0f}) * segment;
    }
    const int last = hookHeld ? N - 2 : N - 1;
    for (int i = first + 1; i <= last; ++i) {
        const Vec3& before = points[size_t(i - 1)];
        points[size_t(i)] =
            before + NormalisedOr(points[size_t(i)] - before, {0.0f, 0.0f, 1.0f}) * segment;
    }
}

void TowCable::BuildRibbon() {
    Vertex* v = cableNode->Vertices();
    if (!v || cableNode->vertexCount < 2 * N) return;
    const CameraPose camera = CurrentCameraPose();
    const Vec3 facing = Vec3() - camera.forward;
    const float inverseSize = sizeFactor != 0.0f ? 1.0f / sizeFactor : 1.0f;
    for (int i = 0; i < N; ++i) {
        const Vec3& p = points[size_t(i)];
        const Vec3 tangent =
            points[size_t(std::min(i + 1, N - 1))] - points[size_t(std::max(i - 1, 0))];
        const Vec3 toCamera = camera.position - p;
        const Vec3 side = NormalisedOr(Vec3::Cross(toCamera, tangent), {1.0f, 0.0f, 0.0f});
        const float distance = toCamera.Length();
        const float widen = distance < 0.1f ? 1.0f : distance + 0.9f;
        const Vec3 offset = side * (kHalfWidth * widen);
        // In the cable's frame: it hangs unturned from the hook point.
        v[2 * i].position = (p + offset - position) * inverseSize;
        v[2 * i + 1].position = (p - offset - position) * inverseSize;
        v[2 * i].normal = v[2 * i + 1].normal = facing;
        v[2 * i].colour = v[2 * i + 1].colour = 0xFFFFFFFF;
    }
}

} // namespace lumivane
