// LightNode: its record and transformation.
#include "desktop/scene/object/light_node.h"

#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/object_file.h"
#include "platform/binary_io.h"

namespace lumivane {

LightNode::LightNode() {
    classId = uint8_t(ClassId::LightNode);
}

Node* LightNode::Clone() {
    LightNode* copy = new LightNode(*this);
    copy->InitClone(this);
    return copy;
}

int LightNode::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!TransNode::Save(file, table)) return 0;
    file.WriteI32(light.kind);
    file.WriteF32(light.range);
    file.WriteF32(light.falloff);
    WriteVec3(file, light.diffuse);
    file.WriteI32(light.enabled);
    WriteVec3(file, light.ambient);
    WriteVec3(file, light.specular);
    WriteVec3(file, light.direction);
    file.WriteI32(light.flags);
    WriteVec3(file, light.attenuation);
    return 1;
}

bool LightNode::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    return TransNode::Load(file, table, version) && file.ReadI32(light.kind) &&
           file.ReadF32(light.range) && file.ReadF32(light.falloff) &&
           ReadVec3(file, light.diffuse) && file.ReadI32(light.enabled) &&
           ReadVec3(file, light.ambient) && ReadVec3(file, light.specular) &&
           ReadVec3(file, light.direction) && file.ReadI32(light.flags) &&
           ReadVec3(file, light.attenuation);
}

void LightNode::Transform(TransformState state) {
    local = local * state.m;
    if (!state.keepLocals) TransformFrameKeys(state.m);
    state.m.MakeIdentity();
    TransformChildren(state);
}

} // namespace lumivane
