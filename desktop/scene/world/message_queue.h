// MessageQueue: the application's queue of message records. A record posted
// during frame f is stamped for f + 1 and delivered then to each addressed
// unit that still resolves; one that missed its frame is dropped, never
// delivered late. The queue owns a record from posting until delivery.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "desktop/scene/world/message.h"

namespace lumivane {

class MessageQueue {
public:
    // Capacity grows by this many records at a time.
    static constexpr size_t kGrowStep = 500;

    MessageQueue() = default;
    MessageQueue(const MessageQueue&) = delete;
    MessageQueue& operator=(const MessageQueue&) = delete;

    // Stamps the record for the next frame, with the local player as its
    // sender and `local` in its unpacked flag; answers the new count.
    int Post(std::unique_ptr<Message> message, int32_t local);
    // Runs at the start of frame `frame`: records stamped for it are
    // delivered and deleted, older ones deleted undelivered, later ones kept
    // (also those posted while delivering). Answers how many were delivered.
    int Deliver(uint32_t frame);
    // Deletes every queued record.
    void Clear();

    int Count() const { return int(records.size()); }
    const Message& At(int index) const { return *records[size_t(index)]; }

private:
    // Types 6 and 7 are dropped, type 8 goes to the application, others to
    // every addressed unit that resolves.
    void DeliverOne(const Message& message);

    std::vector<std::unique_ptr<Message>> records;
};

// The queue records are posted to: the application's, once it installs it.
void SetMessageQueue(MessageQueue* queue);
MessageQueue* GetMessageQueue();
// Posts to the installed queue; without one the record is dropped. Answers
// the queue's new count (0 when dropped).
int QueueMessage(std::unique_ptr<Message> message, int32_t local);

} // namespace lumivane
