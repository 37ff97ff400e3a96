// Ship: the order states and operations whose behaviour belongs to the unit
// classes. Until a class gives them their work they leave the unit as it
// is; the builder's start sequence plays here.
#include "desktop/units/ship_base/ship.h"

namespace lumivane {

void Ship::PlayBuildStart() {
    if (sequencer) sequencer->Play("build_start", sequenceStates, 0);
}
void Ship::OnBuildComplete() {}
void Ship::Stop() {} // an idle unit keeps coasting
void Ship::UpdateState9() {}
void Ship::UpdateState10() {}
void Ship::UpdateState11() {}
void Ship::UpdateState14() {}
int Ship::CanTow(Entity*) {
    return 0;
}

} // namespace lumivane
