// ShockWave: a random turn at launch and the "size" node growing over the
// lifespan; its record adds the growth limit.
#include <algorithm>

#include "desktop/scene/entity/part_sys.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/object/random_generator.h"
#include "desktop/scene/object/trans_node.h"
#include "desktop/units/weapon/projectiles.h"
#include "platform/binary_io.h"

namespace lumivane {

Node* ShockWave::Clone() {
    auto* copy = new ShockWave(*this);
    copy->InitClone(this);
    return copy;
}

void ShockWave::Launch(Ship* from, const Vec3& at, const Quat& rotation, EntityHandle aim) {
    Weapon::Launch(from, at, rotation, aim);
    const Vec3 axis = RandomUnitVector();
    const float half = MainRandom().NextUnit() * 2.0f * kPi * 0.5f;
    const float s = TableSin(half);
    orientation = Quat(axis.x * s, axis.y * s, axis.z * s, TableCos(half));
    PlaceLocalMatrix();
}

void ShockWave::Update() {
    const float lifeMs = Lifespan() * 1000.0f;
    const float age = float(int64_t(GetSceneClock().gameTime) - int64_t(launchTime));
    // A wave with no lifespan is full grown from its first frame.
    const float t = lifeMs > 0.0f ? age / lifeMs : 1.0f;
    Node* size = FindByName("size");
    if (IsA(size, ClassId::FrameAnim) && IsA(size->Prototype(), ClassId::FrameAnim)) {
        auto* node = static_cast<TransNode*>(size);
        const float k = std::clamp(t * std::min(growthLimit, 1.0f), 0.0f, 1.0f);
        Matrix grow;
        grow.MakeScale(k, k, k);
        node->local = static_cast<const TransNode*>(size->Prototype())->local;
        node->local.PreMultiply(grow);
    }
    Weapon::Update();
}

int ShockWave::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!Weapon::Save(file, table)) return 0;
    file.WriteF32(growthLimit);
    return 1;
}

bool ShockWave::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    return Weapon::Load(file, table, version) && file.ReadF32(growthLimit);
}

} // namespace lumivane
