// LensFlare: its property table, staying with its source, and its sprites
// made from "lensflare1".."lensflare17", placed and faded every frame.
#include "desktop/scene/entity/lens_flare.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "desktop/scene/object/geo_node.h"
#include "desktop/scene/world/model_library.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/world.h"

namespace lumivane {

namespace {

using T = PropType;

constexpr float kNeverCulled = 10000.0f;
constexpr float kSpriteDepth = 0.1f;

std::vector<PropDesc> BuildLensFlareTable() {
    PropTableBuilder b;
    b.Value("oscillate amplitude", T::Float, 0, 1, 0);
    b.Value("oscillate freq", T::Float, 0.1f, 10, 1.0f);
    b.Flag("distance attenuation", true);
    for (int i = 1; i <= kFlareCount; ++i) {
        const std::string n = "flare " + std::to_string(i) + " ";
        const std::string title = "Flare " + std::to_string(i);
        b.Group(title);
        b.Flag(n + "on", false);
        b.Value(n + "type", T::Integer, 0, kFlareTypes - 1, 0);
        b.Value(n + "position", T::Float, -1, 1, 0);
        b.Value(n + "size", T::Float, 0, 1, 1.0f);
        b.Value(n + "opacity", T::Float, 0, 1, 1.0f);
        b.EndGroup(title);
    }
    return b.End("LensFlare", EntityPropDescs());
}

size_t Offset(const std::string& name) {
    return PropDesc::OffsetOf(LensFlarePropDescs(), name);
}

LensFlarePropFields MakeFields() {
    LensFlarePropFields f{};
    f.amplitude = Offset("oscillate amplitude");
    f.frequency = Offset("oscillate freq");
    f.distanceAttenuation = Offset("distance attenuation");
    for (int i = 0; i < kFlareCount; ++i) {
        const std::string n = "flare " + std::to_string(i + 1) + " ";
        f.flare[i] = {Offset(n + "on"), Offset(n + "type"), Offset(n + "position"),
                      Offset(n + "size"), Offset(n + "opacity")};
    }
    return f;
}

GeoNode* FirstGeoNode(Node* node) {
    if (IsA(node, ClassId::GeoNode)) return static_cast<GeoNode*>(node);
    for (int i = 0; i < node->ChildCount(); ++i)
        if (GeoNode* found = FirstGeoNode(node->ChildAt(i))) return found;
    return nullptr;
}

} // namespace

const PropDesc* LensFlarePropDescs() {
    static const std::vector<PropDesc> table = BuildLensFlareTable();
    return table.data();
}

const LensFlarePropFields& LensFlareFields() {
    static const LensFlarePropFields fields = MakeFields();
    return fields;
}

LensFlare::LensFlare() {
    classId = uint8_t(ClassId::LensFlare);
}

LensFlare::~LensFlare() {
    for (int i = 0; i < kFlareCount; ++i)
        DropSprite(i);
}

Node* LensFlare::Clone() {
    auto* copy = new LensFlare(*this);
    copy->InitClone(this);
    return copy;
}

const PropDesc* LensFlare::GetPropDescs() const {
    return LensFlarePropDescs();
}

void LensFlare::CreateProps() {
    Entity::CreateProps();
    for (const char* off : {"enable LODs", "pickable", "has halo"})
        props->SetValue(off, 0);
    props->SetValue("no disappear", 1);
}

bool LensFlare::HasFlareBlock() const {
    return props && props->Table() == LensFlarePropDescs();
}

void LensFlare::Update() {
    Entity::Update();
    radius = kNeverCulled;
    World* world = GetWorld();
    if (world && ownerHandle >= 0 && !world->GetEntity(ownerHandle))
        world->QueueRemove(this, nullptr, false);
}

void LensFlare::DropSprite(int flare) {
    Entity*& sprite = sprites[flare].sprite;
    if (!sprite) return;
    if (Node* overlay = sprite->Parent()) overlay->RemoveChild(sprite);
    sprite->Release();
    sprite = nullptr;
    sprites[flare].type = -1;
}

void LensFlare::Animate(Entity* entity) {
    Entity::Animate(entity);
    if (!HasFlareBlock()) return;
    World* world = GetWorld();
    Entity* source = world ? world->GetEntity(ownerHandle) : nullptr;
    const bool ownSource = !source;
    light = MeasureLight(ownSource ? *this : *source, ownSource);
    const CameraMatrices camera = CurrentCameraMatrices();
    Vec3 screen = position;
    (camera.view * camera.projection).TransformPoint(screen);
    PlaceSprites(screen);
}

void LensFlare::PlaceSprites(const Vec3& screen) {
    const LensFlarePropFields& f = LensFlareFields();
    FrameDisplay* display = GetFrameDisplay();
    Node* overlay = display ? display->OverlayNode() : nullptr;
    ModelLibrary* library = GetModelLibrary();
    World* world = GetWorld();
    const DisplayState& state = GetDisplayState();
    const float k = 0.1f * state.flareScale;
    const float distance = (position - CurrentCameraPose().position).Length();
    const float ownScale = props->Float(EntityFields().scale);
    for (int i = 0; i < kFlareCount; ++i) {
        const FlareFields& flare = f.flare[i];
        const bool on = props->Flag(flare.on);
        const int32_t type = props->Int(flare.type);
        if (sprites[i].sprite && (!on || sprites[i].type != type)) DropSprite(i);
        if (on && !sprites[i].sprite && overlay && library && type >= 0 && type < kFlareTypes) {
            Entity* made = library->CreateInstance("lensflare" + std::to_string(type + 1), false);
            if (made) {
                // A sprite of the overlay is no entity of the world.
                if (world && world->GetEntity(made->handle) == made)
                    world->FreeHandle(made->handle);
                made->handle = kNoEntity;
                made->AddRef();
                overlay->AddChild(made);
                sprites[i] = {made, type};
            }
        }
        Entity* sprite = sprites[i].sprite;
        if (!sprite) continue;
        const float along = -props->Float(flare.position);
        sprite->position = {k * along * screen.x, k * along * screen.y * state.verticalFactor,
                            kSpriteDepth};
        const float size = distance > 0.0f
                               ? k * (ownScale / distance) * props->Float(flare.size) * 2.0f * 10.0f
                               : 0.0f;
        sprite->SetScale(std::isfinite(size) ? size : 0.0f);
        sprite->PlaceLocalMatrix();
        GeoNode* geo = FirstGeoNode(sprite);
        if (!geo) continue;
        geo->DetachVertices(false);
        const float opacity = std::clamp(props->Float(flare.opacity), 0.0f, 1.0f);
        const int alpha = int(std::clamp(light.total * opacity, 0.0f, 1.0f) * 255.0f);
        sprite->visible = alpha > 0 ? 1 : 0;
        const std::vector<Vertex>* model = geo->PrototypeVertices();
        Vertex* vertices = geo->Vertices();
        if (!alpha || !vertices) continue;
        for (int v = 0; v < geo->vertexCount; ++v) {
            const uint32_t modelAlpha =
                model && size_t(v) < model->size() ? (*model)[size_t(v)].colour >> 24 : 255;
            vertices[v].colour =
                (vertices[v].colour & 0x00FFFFFFu) | (uint32_t(alpha) * modelAlpha / 255u) << 24;
        }
    }
}

} // namespace lumivane
