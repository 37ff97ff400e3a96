// Ship: the build queue. Items are queued per build choice (at most nine of
// one choice, a hundred in all); taking back the item at the head cancels
// the build in progress and refunds what was paid for it.
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/pilot/pilot.h"
#include "desktop/units/ship_base/ship.h"

namespace lumivane {

namespace {

constexpr int32_t kCancelPause = 5000; // a cancelled build waits as if one had just ended

bool ValidChoice(int choice) {
    return choice >= 0 && choice < kBuildChoices;
}

} // namespace

void Ship::AddToBuildQueue(int choice, int squadNumber, EntityHandle site,
                           std::string_view siteNode) {
    if (!ValidChoice(choice) || queuedCounts[choice] >= kMaxChoiceItems ||
        int(buildQueue.size()) >= kMaxBuildQueue)
        return;
    ++queuedCounts[choice];
    buildQueue.push_back(
        {choice, site, std::string(siteNode.substr(0, kNameSize - 1)), squadNumber});
    queueChanged = 1;
    PilotVoice(kVoiceBuildQueued);
}

void Ship::RemoveFromBuildQueue(int choice) {
    if (!ValidChoice(choice) || queuedCounts[choice] < 1 || buildQueue.empty()) return;
    int newest = int(buildQueue.size()) - 1;
    while (newest >= 0 && buildQueue[size_t(newest)].choice != choice)
        --newest;
    if (newest < 0) return;
    --queuedCounts[choice];
    if (newest == 0) {
        // The build in progress is abandoned.
        if (World* world = GetWorld()) {
            for (EntityHandle made : {buildUnit, buildConnector})
                if (Entity* unit = world->GetEntity(made)) world->QueueRemove(unit, nullptr, false);
        }
        buildUnit = kNoEntity;
        buildConnector = kNoEntity;
        const uint32_t now = GetSceneClock().gameTime;
        lastBuildEnd = now < uint32_t(kCancelPause + 1) ? 0 : int32_t(now - kCancelPause);
        building = 0;
        buildProgress = 0.0f;
        if (owner) owner->AddResources(float(amountPaid));
        amountPaid = 0;
        StopEventSounds(SoundEvent::UnitSpecific1);
    }
    buildQueue.erase(buildQueue.begin() + newest);
    queueChanged = 1;
}

} // namespace lumivane
