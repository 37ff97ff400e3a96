// MessageQueue: posting for the next frame and delivery to resolving units.
#include "desktop/scene/world/message_queue.h"

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene_hooks.h"
#include "desktop/scene/world/world.h"

namespace lumivane {

namespace {
MessageQueue* installedQueue = nullptr;
}

int MessageQueue::Post(std::unique_ptr<Message> message, int32_t local) {
    if (!message) return Count();
    message->local = local;
    message->frame = int32_t(GetSceneClock().frame + 1);
    const Player* localPlayer = GetPlayers().local;
    message->sender = localPlayer ? localPlayer->index : 0;
    if (records.size() == records.capacity()) records.reserve(records.capacity() + kGrowStep);
    records.push_back(std::move(message));
    return Count();
}

int MessageQueue::Deliver(uint32_t frame) {
    const int32_t now = int32_t(frame);
    int delivered = 0;
    // Delivery may post new records (they land at the end, stamped for a
    // later frame), so the walk goes by index over a growing array, and the
    // records taken out leave null entries until the gap is closed.
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i]->frame > now) continue;
        std::unique_ptr<Message> record = std::move(records[i]);
        if (record->frame == now) {
            DeliverOne(*record);
            ++delivered;
        }
    }
    std::erase_if(records, [](const std::unique_ptr<Message>& record) { return !record; });
    return delivered;
}

void MessageQueue::DeliverOne(const Message& message) {
    switch (message.type) {
    case order::kSystemIgnored1:
    case order::kSystemIgnored2:
        return;
    case order::kSystemCommand:
        GetSceneApplication().SystemCommand(message);
        return;
    default:
        break;
    }
    const World* world = GetWorld();
    if (!world) return;
    for (EntityHandle handle : message.units.Handles())
        if (Entity* unit = world->GetEntity(handle)) unit->HandleMessage(&message);
}

void MessageQueue::Clear() {
    records.clear();
}

void SetMessageQueue(MessageQueue* queue) {
    installedQueue = queue;
}

MessageQueue* GetMessageQueue() {
    return installedQueue;
}

int QueueMessage(std::unique_ptr<Message> message, int32_t local) {
    return installedQueue ? installedQueue->Post(std::move(message), local) : 0;
}

} // namespace lumivane
