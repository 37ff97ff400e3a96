// Message delivery by identifier: a direct call of the receiver's Message,
// with the game object as the receiver of last resort.
#include "Jentra/JTGlobals.h"
#include "Jentra/JTID.h"
#include "Jentra/JTArray.h"
#include "Jentra/JTUnknown.h"

namespace {

JTUnknown* gpFallbackReceiver = nullptr;

} // namespace

void JTRouter::SetFallbackReceiver(JTUnknown* receiver) {
    gpFallbackReceiver = receiver;
}

JTUnknown* JTRouter::GetFallbackReceiver() {
    return gpFallbackReceiver;
}

unsigned JTRouter::Send(JTID* from, JTID* to, unsigned msg, void* data) {
    JTUnknown* target = gpJTIDMap ? gpJTIDMap->Find(to) : nullptr;
    if (target) return target->Message(from, to, msg, data);
    if (gpFallbackReceiver) gpFallbackReceiver->Message(from, to, msg, data);
    return 0;
}

void JTRouter::Broadcast(JTID* from, unsigned msg, void* data) {
    if (!gpJTIDMap) return;
    // Receivers may add or remove registrations while we walk the map, which
    // shifts the pairs; remembering whom we already called (by id) makes
    // sure each registered object is called exactly once, including those
    // that move into a freed place and those added during the walk.
    JTArray<JTID> done(16);
    int i = 0;
    while (gpJTIDMap && i < gpJTIDMap->GetNumUnks()) {
        JTID id = *gpJTIDMap->GetID(i);
        if (done.Find(id) >= 0) {
            ++i;
            continue;
        }
        // Without memory to remember the call, move on after it rather
        // than calling the same receiver again and again.
        const bool remembered = done.Add(id) >= 0;
        gpJTIDMap->GetUnk(i)->Message(from, nullptr, msg, data);
        // Look at index i again: if the receiver removed itself or an
        // earlier pair, someone else now stands there.
        if (!remembered) ++i;
    }
}

unsigned JTCommunicator::Send(JTID& to, unsigned msg, void* data) {
    return JTRouter::Send(&id, &to, msg, data);
}

void JTCommunicator::Broadcast(unsigned msg, void* data) {
    JTRouter::Broadcast(&id, msg, data);
}
