// Camera: its block of the scene-state file. The layout is the scene
// engine's CameraBlock, which keeps the block whole while no camera runs;
// the camera copies its state into one and back.
#include <bit>

#include "desktop/display/camera/camera.h"
#include "desktop/scene/world/display_block.h"

namespace lumivane {

namespace {

uint32_t Bits(float value) {
    return std::bit_cast<uint32_t>(value);
}

float FromBits(uint32_t word) {
    return std::bit_cast<float>(word);
}

} // namespace

CameraBlock Camera::ToBlock() const {
    CameraBlock block;
    block.horizontalFov = horizontalFov_;
    block.verticalFov = verticalFov_;
    block.framingFactor = framingFactor_;
    block.views = {current_, previous_, home_, remembered_, spare_};
    block.reserved = reserved_;
    block.transition = {prePoint_, start_, goal_, postPoint_, sequenceOrigin_};
    block.clockSelector = transition_.clockSelector;
    block.duration = transition_.duration;
    block.progress = transition_.progress;
    block.moving = transition_.moving;
    block.interpolation = transition_.type;
    block.endVelocity = transition_.endVelocity;
    block.endTurn = transition_.endTurn;
    block.frameTurn = transition_.frameTurn;
    block.previousOrientation = transition_.previousOrientation;
    block.lookAt = transition_.lookAt;
    block.arrivalSpeed = transition_.arrivalSpeed;
    block.sequenceTrigger = sequence_.trigger;
    block.sequenceStep = sequence_.step;
    block.stepStart = sequence_.stepStart;
    block.sequenceClock = sequence_.clock;
    block.targetCentre = targetCentre_;
    block.previousCentre = previousCentre_;
    block.targetRadius = targetRadius_;
    block.velocity = velocity_;
    block.coast = coast_.on;
    block.coastStart = coast_.start;
    block.coastVelocity = coast_.velocity;
    const CameraInteraction& i = interaction_;
    block.interaction = {Bits(i.inputHeld),
                         i.dragging,
                         i.dragStart,
                         i.edgeGate,
                         i.clickSubState,
                         i.clickState,
                         Bits(i.zoomAccumulator),
                         i.reserved,
                         Bits(i.edgeDwell),
                         Bits(i.sway)};
    return block;
}

// Everything but the fields of view, which belong to this camera's picture.
void Camera::FromBlock(const CameraBlock& block) {
    framingFactor_ = block.framingFactor;
    current_ = block.views[0];
    previous_ = block.views[1];
    home_ = block.views[2];
    remembered_ = block.views[3];
    spare_ = block.views[4];
    reserved_ = block.reserved;
    prePoint_ = block.transition[0];
    start_ = block.transition[1];
    goal_ = block.transition[2];
    postPoint_ = block.transition[3];
    sequenceOrigin_ = block.transition[4];
    transition_.clockSelector = block.clockSelector;
    transition_.duration = block.duration;
    transition_.progress = block.progress;
    transition_.moving = block.moving;
    transition_.type = block.interpolation;
    transition_.endVelocity = block.endVelocity;
    transition_.endTurn = block.endTurn;
    transition_.frameTurn = block.frameTurn;
    transition_.previousOrientation = block.previousOrientation;
    transition_.lookAt = block.lookAt;
    transition_.arrivalSpeed = block.arrivalSpeed;
    sequence_.trigger = block.sequenceTrigger;
    sequence_.step = block.sequenceStep;
    sequence_.stepStart = block.stepStart;
    sequence_.clock = block.sequenceClock;
    targetCentre_ = block.targetCentre;
    previousCentre_ = block.previousCentre;
    targetRadius_ = block.targetRadius;
    velocity_ = block.velocity;
    coast_.on = block.coast;
    coast_.start = block.coastStart;
    coast_.velocity = block.coastVelocity;
    const auto& w = block.interaction;
    interaction_ = {FromBits(w[0]), w[1],           w[2], w[3],           w[4],
                    w[5],           FromBits(w[6]), w[7], FromBits(w[8]), FromBits(w[9])};
}

void Camera::Save(platform::BinaryWriter& file) const {
    ToBlock().Save(file);
}

bool Camera::Load(platform::BinaryReader& file, uint32_t version) {
    CameraBlock block = ToBlock();
    if (!block.Load(file, version)) return false;
    FromBlock(block);
    return true;
}

} // namespace lumivane
