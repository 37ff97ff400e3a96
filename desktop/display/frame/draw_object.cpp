// Display::DrawObject: one GeoNode with the render states its flags, its
// entity's properties and the device call for: depth test and writes,
// blending, culling, the depth offset of panes, billboards and kites, its
// textures, lighting and material, the DOT3 bump pass, then its triangles.
#include "desktop/display/device/display.h"

#include "desktop/display/frame/frame_math.h"
#include "desktop/display/textures/texture_set.h"
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/entity/entity_props.h"
#include "desktop/scene/entity/prop_desc.h"
#include "desktop/scene/object/anim_text.h"
#include "desktop/scene/object/class_table.h"
#include "platform/render/device.h"

#include <algorithm>
#include <cstring>
#include <cmath>

namespace lumivane {

namespace {

constexpr float kDefaultPaneBias = 0.05f;
// Entities drawn at this level of detail or a coarser one skip the bump pass.
constexpr int kBumpDetailLimit = 4;

// Offsets of the Entity values the renderer reads, the same in every
// entity class's block.
struct RenderProps {
    size_t forceZWrite = 0, additiveUnlit = 0, paneBias = 0, billboardPaneBias = 0;
    size_t specularIntensity = 0, specularShininess = 0;
};

const RenderProps& Props() {
    static const RenderProps props = [] {
        RenderProps p;
        PropDesc::Find(EntityPropDescs(), "force Z-write", p.forceZWrite);
        PropDesc::Find(EntityPropDescs(), "additive blend for unlit", p.additiveUnlit);
        PropDesc::Find(EntityPropDescs(), "pane Z-bias", p.paneBias);
        PropDesc::Find(EntityPropDescs(), "billboardpane Z-bias", p.billboardPaneBias);
        PropDesc::Find(EntityPropDescs(), "specular intensity", p.specularIntensity);
        PropDesc::Find(EntityPropDescs(), "specular shininess", p.specularShininess);
        return p;
    }();
    return props;
}

D3DCMPFUNC DepthFunction(uint8_t depthTest) {
    return depthTest == 0 ? D3DCMP_ALWAYS : depthTest == 1 ? D3DCMP_LESSEQUAL : D3DCMP_GREATEREQUAL;
}

void BlendFactors(uint8_t mode, uint32_t& source, uint32_t& destination) {
    switch (mode) {
    case 2:
        source = D3DBLEND_SRCALPHA;
        destination = D3DBLEND_ONE;
        return;
    case 3:
        source = D3DBLEND_ONE;
        destination = D3DBLEND_ONE;
        return;
    case 4:
        source = D3DBLEND_ZERO;
        destination = D3DBLEND_INVSRCALPHA;
        return;
    default:
        source = D3DBLEND_SRCALPHA;
        destination = D3DBLEND_INVSRCALPHA;
    }
}

D3DCOLORVALUE Grey(float value) {
    return {value, value, value, 1.0f};
}

// The axes of the active view: right, up and forward.
void ViewAxes(const Matrix& view, Vec3& right, Vec3& up, Vec3& forward) {
    right = {view.m[0], view.m[4], view.m[8]};
    up = {view.m[1], view.m[5], view.m[9]};
    forward = {view.m[2], view.m[6], view.m[10]};
}

} // namespace

void Display::ApplyNodeStates(const QueuedNode& item, bool& lit) {
    const GeoNode& node = *item.node;
    const Entity* entity = item.entity;
    const PropBlock* props = entity ? entity->props.get() : nullptr;
    const RenderProps& offsets = Props();

    states_.SetRenderState(D3DRS_ZFUNC, DepthFunction(node.depthTest));
    const bool forceWrite = props && props->Flag(offsets.forceZWrite);
    states_.SetRenderState(D3DRS_ZWRITEENABLE, forceWrite || node.depthWrite != 0);
    states_.SetRenderState(D3DRS_ALPHATESTENABLE, !forceWrite && node.depthWrite == 2);

    states_.SetRenderState(D3DRS_ALPHABLENDENABLE, node.blendMode != 0);
    if (node.blendMode != 0) {
        uint32_t source = 0, destination = 0;
        BlendFactors(node.blendMode, source, destination);
        if (!node.lighting && props && props->Flag(offsets.additiveUnlit)) {
            source = D3DBLEND_SRCALPHA;
            destination = D3DBLEND_ONE;
        }
        states_.SetRenderState(D3DRS_SRCBLEND, source);
        states_.SetRenderState(D3DRS_DESTBLEND, destination);
    }
    states_.SetRenderState(D3DRS_CULLMODE,
                           node.twoSided || item.cameraInside ? D3DCULL_NONE : D3DCULL_CCW);

    // The placement: billboards face the viewer, kites turn about their
    // own axis towards it.
    Matrix world = item.world;
    Vec3 right, up, forward;
    ViewAxes(frame_.view, right, up, forward);
    const Vec3 at = world.GetTranslation();
    if (node.billboard) {
        float scale = Vec3{world.m[0], world.m[1], world.m[2]}.Length();
        if (node.billboard == 2 && entity) scale *= entity->scale;
        const Vec3 axes[3] = {right * scale, up * scale, forward * scale};
        for (int r = 0; r < 3; ++r) {
            world.m[4 * r] = axes[r].x;
            world.m[4 * r + 1] = axes[r].y;
            world.m[4 * r + 2] = axes[r].z;
        }
    } else if (node.kite) {
        Vec3 axis{world.m[4], world.m[5], world.m[6]};
        const float length = axis.Length();
        axis.Normalize();
        Vec3 away = at - frame_.eye;
        away = away - axis * Vec3::Dot(away, axis);
        if (away.Length() > 1e-6f) {
            away.Normalize();
            Vec3 side = Vec3::Cross(axis, away);
            side.Normalize();
            const Vec3 axes[3] = {side * length, axis * length, away * length};
            for (int r = 0; r < 3; ++r) {
                world.m[4 * r] = axes[r].x;
                world.m[4 * r + 1] = axes[r].y;
                world.m[4 * r + 2] = axes[r].z;
            }
        }
    }
    // Panes are drawn a little in front of what lies under them.
    if (node.pane) {
        float bias = kDefaultPaneBias;
        if (props)
            bias = props->Float(node.billboard ? offsets.billboardPaneBias : offsets.paneBias);
        SetTransform(D3DTS_PROJECTION,
                     DepthOffsetProjection(frame_.projection, bias, (at - frame_.eye).Length()));
    }
    SetTransform(D3DTS_WORLD, world);

    lit = frame_.switches.lighting && node.lighting;
    states_.SetRenderState(D3DRS_LIGHTING, lit);
    D3DMATERIAL8 material{};
    material.Diffuse = Grey(1.0f);
    material.Ambient = Grey(1.0f);
    bool specular = false;
    if (frame_.saturationLight) {
        specular = true;
        material.Specular = Grey(1.0f);
        material.Power = 1.0f;
    } else if (props && props->Float(offsets.specularIntensity) > 0.0f) {
        specular = true;
        material.Specular = Grey(props->Float(offsets.specularIntensity));
        material.Power = props->Float(offsets.specularShininess);
    }
    float emissive = node.brightness;
    if (entity && !frame_.overlayLighting) {
        const float d = entity->GetDistanceScale();
        if (d > 1.0f) emissive += (d - 1.0f) / 12.0f;
    }
    material.Emissive = Grey(emissive);
    states_.SetRenderState(D3DRS_SPECULARENABLE, specular);
    device3D_->SetMaterial(material);
}

void Display::SetNodeTextures(const GeoNode& node, int frame) {
    platform::render::BaseTexture* base =
        node.texture ? node.texture->GetSurface(node.textureLevel, frame) : nullptr;
    platform::render::BaseTexture* second =
        multipleTextures_ && node.secondTexture
            ? node.secondTexture->GetSurface(node.textureLevel, node.secondTextureFrame)
            : nullptr;
    for (uint32_t stage = 0; stage < 2; ++stage) {
        platform::render::BaseTexture* texture = stage == 0 ? base : second;
        if (device3D_->GetTexture(stage) != texture) {
            device3D_->SetTexture(stage, texture);
            ++frame_.statistics.textureChanges;
        }
    }
    states_.SetBaseStage(base != nullptr);
    states_.SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
    states_.SetTextureStageState(1, D3DTSS_COLOROP, second ? D3DTOP_MODULATE : D3DTOP_DISABLE);
    states_.SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    states_.SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
    states_.SetTextureStageState(1, D3DTSS_ALPHAOP, second ? D3DTOP_SELECTARG2 : D3DTOP_DISABLE);
    states_.SetTextureStageState(1, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
}

void Display::DrawNodeGeometry(const QueuedNode& item) {
    GeoNode& node = *item.node;
    // Clones that build their vertices each frame animate them now.
    std::vector<Vertex> animated;
    const Vertex* vertices = node.Vertices();
    size_t available = 0;
    if (vertices) {
        const std::vector<Vertex>* source = node.SourceVertices();
        available = source ? source->size() : 0;
    } else if (node.AnimateInto(item.entity, animated)) {
        vertices = animated.data();
        available = animated.size();
    }
    const auto count = uint32_t(std::min<size_t>(available, size_t(std::max(node.vertexCount, 0))));
    if (!vertices || count == 0) return;
    device3D_->SetVertexShader(kModelVertexFormat);
    if (node.streamed && DrawStreamed(node, vertices, count)) return;
    const uint16_t* indices = node.Indices();
    if (node.indexed && indices && node.indexCount >= 3) {
        const auto* text = IsA(&node, ClassId::AnimText) ? static_cast<AnimText*>(&node) : nullptr;
        const int glyphs = node.indexCount / 6;
        if (text && !text->glyphPages.empty() && int(text->glyphPages.size()) == glyphs) {
            // Wide text: one run of glyphs per texture frame.
            for (int first = 0; first < glyphs;) {
                int last = first;
                while (last < glyphs &&
                       text->glyphPages[size_t(last)] == text->glyphPages[size_t(first)])
                    ++last;
                SetNodeTextures(node, text->glyphPages[size_t(first)]);
                device3D_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, count,
                                                  uint32_t(last - first) * 2, indices + first * 6,
                                                  D3DFMT_INDEX16, vertices, sizeof(Vertex));
                first = last;
            }
        } else {
            device3D_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, count,
                                              uint32_t(node.indexCount / 3), indices,
                                              D3DFMT_INDEX16, vertices, sizeof(Vertex));
        }
        frame_.statistics.indices += uint32_t(node.indexCount);
    } else if (count >= 3) {
        device3D_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, count / 3, vertices, sizeof(Vertex));
    }
    frame_.statistics.vertices += count;
}

bool Display::DrawStreamed(const GeoNode& node, const Vertex* vertices, uint32_t available) {
    const uint32_t triangles = uint32_t(std::max(node.indexCount, 0) / 3);
    const uint32_t count = triangles + 2; // the strip's vertex pairs
    if (!dynamicBuffer_ || triangles == 0 || count > available) return false;
    uint32_t start = 0;
    void* room = dynamicBuffer_->Lock(count, &start);
    if (!room) return false;
    std::memcpy(room, vertices, size_t(count) * sizeof(Vertex));
    dynamicBuffer_->Unlock();
    device3D_->SetStreamSource(0, dynamicBuffer_->Buffer(), sizeof(Vertex));
    device3D_->DrawPrimitive(D3DPT_TRIANGLESTRIP, start, triangles);
    frame_.statistics.vertices += count;
    frame_.statistics.indices += uint32_t(node.indexCount);
    return true;
}

void Display::Dot3Pass(const QueuedNode& item) {
    GeoNode& node = *item.node;
    const Matrix* rotations = node.VertexRotations();
    const Vertex* vertices = node.Vertices();
    const uint16_t* indices = node.Indices();
    if (!rotations || !vertices || !indices || node.indexCount < 3 || node.vertexCount <= 0 ||
        node.VertexRotationCount() < size_t(node.vertexCount))
        return;
    // The light comes from the focus towards the entity, in the node's space.
    Matrix inverse = item.world;
    if (!inverse.InvertAffine()) return;
    const Vec3 at = item.entity ? item.entity->position : item.world.GetTranslation();
    Vec3 light = at - frame_.focus;
    inverse.TransformVector(light);
    light.Normalize();
    light = light * -1.0f;
    std::vector<Vertex> lit(vertices, vertices + node.vertexCount);
    for (size_t i = 0; i < lit.size(); ++i) {
        Vec3 tangent = light;
        rotations[i].TransformVector(tangent);
        NormalToColour(tangent, lit[i].colour);
    }
    states_.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    states_.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    states_.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    states_.SetRenderState(D3DRS_ZWRITEENABLE, 0);
    states_.SetRenderState(D3DRS_LIGHTING, 0);
    device3D_->SetTexture(
        0, node.envTextureSet->GetSurface(node.textureLevel, node.secondTextureFrame));
    device3D_->SetTexture(
        1, node.texture ? node.texture->GetSurface(node.textureLevel, node.textureFrame) : nullptr);
    frame_.statistics.textureChanges += 2;
    states_.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DOTPRODUCT3);
    states_.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    states_.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    states_.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    states_.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    states_.SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
    states_.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
    states_.SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    states_.SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
    // The third stage of the probed multi-texture set-up would modulate the
    // result with the diffuse colour, which holds the light's direction
    // here: it sits out this draw.
    const uint32_t thirdColour = states_.StageState(2, D3DTSS_COLOROP, D3DTOP_DISABLE);
    const uint32_t thirdAlpha = states_.StageState(2, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    states_.SetTextureStageState(2, D3DTSS_COLOROP, D3DTOP_DISABLE);
    states_.SetTextureStageState(2, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    device3D_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, uint32_t(lit.size()),
                                      uint32_t(node.indexCount / 3), indices, D3DFMT_INDEX16,
                                      lit.data(), sizeof(Vertex));
    states_.SetTextureStageState(2, D3DTSS_COLOROP, thirdColour);
    states_.SetTextureStageState(2, D3DTSS_ALPHAOP, thirdAlpha);
    frame_.statistics.vertices += uint32_t(lit.size());
    frame_.statistics.indices += uint32_t(node.indexCount);
}

void Display::DrawObject(const QueuedNode& item) {
    if (!device3D_ || !item.node) return;
    GeoNode& node = *item.node;
    if (IsA(&node, ClassId::PartNode)) {
        hooks_->DrawParticles(*this, item);
        return;
    }
    bool lit = false;
    ApplyNodeStates(item, lit);
    SetNodeTextures(node, node.textureFrame);
    DrawNodeGeometry(item);
    // The entity's level of detail as its screen size chose it (0 the
    // finest; an entity without detail levels is drawn in full).
    const int detail = item.entity ? std::max<int>(item.entity->lodLevel, 0) : 0;
    if (dot3_ && frame_.switches.bump && node.envMapped && node.envTextureSet &&
        detail < kBumpDetailLimit)
        Dot3Pass(item);
    if (node.pane) SetTransform(D3DTS_PROJECTION, frame_.projection);
}

} // namespace lumivane
