// JTChannel: key lists per sequence, key search, and their stream record.
#include "Jentra/JTChannel.h"

#include <cstdlib>
#include <cstring>

#include "Jentra/JTFile.h"
#include "Jentra/JTSequencer.h"
#include "Jentra/core/scene/load_owned.h"

JT_CLASS_IMPL(JTChannel)

namespace {
// Key data are floats (a matrix or an opacity), stored little-endian.
bool SaveLoadKeyData(JTFile& f, void* data, int size) {
    auto* values = static_cast<float*>(data);
    for (int i = 0; i < size / int(sizeof(float)); i++)
        if (!f.SaveLoadValue(values[i])) return false;
    return true;
}
} // namespace

JTChannel::JTChannel() = default;

JTChannel::~JTChannel() {
    FreeLists();
}

JTChannel::JTChannel(const JTChannel& other) : JTUnknown(other) {
    CopyLists(other);
}

JTChannel& JTChannel::operator=(const JTChannel& other) {
    if (this != &other) {
        JTUnknown::operator=(other);
        FreeLists();
        CopyLists(other);
    }
    return *this;
}

void JTChannel::FreeLists() {
    for (int i = 0; i < lists.GetCount(); i++) {
        KeyList* list = lists[i];
        for (int k = 0; k < list->GetCount(); k++)
            std::free((*list)[k].data);
        delete list;
    }
    lists = JTArray<KeyList*>(16);
}

void JTChannel::CopyLists(const JTChannel& other) {
    // Key blocks are sized by the source's class, which is also ours when
    // the copy is a clone.
    int size = other.GetKeyDataSize();
    for (int i = 0; i < other.lists.GetCount(); i++) {
        const KeyList* from = other.lists[i];
        auto* list = new KeyList(16);
        for (int k = 0; k < from->GetCount(); k++) {
            void* data = nullptr;
            if (size > 0) {
                data = std::malloc(size);
                std::memcpy(data, (*from)[k].data, size);
            }
            list->Add(JTChannelKey{(*from)[k].time, data});
        }
        lists.Add(list);
    }
}

void JTChannel::Update(JTNode*, JTSequencer*) {}

bool JTChannel::AddKey(int seq, float time, void* data) {
    if (seq < 0 || seq >= lists.GetCount()) return false;
    KeyList& list = *lists[seq];
    int at = list.GetCount();
    for (int i = 0; i < list.GetCount(); i++) {
        if (list[i].time == time) return false;
        if (list[i].time > time) {
            at = i;
            break;
        }
    }
    if (at == list.GetCount())
        list.Add(JTChannelKey{time, data});
    else
        list.Insert(at, JTChannelKey{time, data});
    return true;
}

int JTChannel::FindPrecedingKey(int seq, float t, float& frac) const {
    frac = 0.0f;
    if (seq < 0 || seq >= lists.GetCount()) return -1;
    const KeyList& list = *lists[seq];
    int count = list.GetCount();
    if (count == 0) return -1;
    for (int i = 0; i < count; i++) {
        if (t < list[i].time) {
            if (i == 0) return 0;
            frac = (t - list[i - 1].time) / (list[i].time - list[i - 1].time);
            return i - 1;
        }
    }
    return count - 1;
}

void JTChannel::SetNumSequences(int n) {
    for (int i = 0; i < n; i++)
        lists.Add(new KeyList(16));
}

int JTChannel::GetNumKeys(int seq) const {
    if (seq < 0 || seq >= lists.GetCount()) return 0;
    return lists[seq]->GetCount();
}

const JTChannelKey* JTChannel::GetKey(int seq, int key) const {
    if (key < 0 || key >= GetNumKeys(seq)) return nullptr;
    return &(*lists[seq])[key];
}

int JTChannel::GetFirstActiveSeq(const JTSequencer* sequencer) const {
    if (!sequencer) return -1;
    // Lists beyond the sequencer's sequences have no clock to follow.
    int n = lists.GetCount();
    if (n > sequencer->GetNumSequences()) n = sequencer->GetNumSequences();
    for (int i = 0; i < n; i++)
        if (lists[i]->GetCount() > 0 && sequencer->GetSequence(i)->IsActive()) return i;
    return -1;
}

bool JTChannel::SaveLoad(JTFile& f) {
    if (!JTUnknown::SaveLoad(f)) return false;
    uint16_t version = 1;
    if (!SaveLoadField(f, version)) return false;
    int32_t numLists = lists.GetCount();
    if (!SaveLoadField(f, numLists)) return false;
    int size = GetKeyDataSize();
    if (f.Saving()) {
        for (int i = 0; i < lists.GetCount(); i++) {
            KeyList& list = *lists[i];
            int32_t numKeys = list.GetCount();
            if (!SaveLoadField(f, numKeys)) return false;
            for (int k = 0; k < numKeys; k++) {
                if (!SaveLoadField(f, list[k].time)) return false;
                if (!SaveLoadKeyData(f, list[k].data, size)) return false;
            }
        }
        return true;
    }
    if (numLists < 0 || numLists > kMaxLoadedSequences) return false;
    for (int i = 0; i < numLists; i++) {
        int32_t numKeys = 0;
        if (!SaveLoadField(f, numKeys) || numKeys < 0 || numKeys > kMaxLoadedKeys) return false;
        auto* list = new KeyList(16);
        bool ok = true;
        for (int k = 0; k < numKeys && ok; k++) {
            JTChannelKey key{0.0f, nullptr};
            ok = SaveLoadField(f, key.time);
            // Keys are stored in strictly ascending time; anything else is
            // a damaged file (and would divide by zero in the key search).
            if (ok && list->GetCount() > 0 && !(key.time > list->Last()->time)) ok = false;
            if (ok && size > 0) {
                key.data = std::malloc(size);
                ok = SaveLoadKeyData(f, key.data, size);
            }
            if (ok)
                list->Add(key);
            else
                std::free(key.data);
        }
        if (!ok) {
            for (int k = 0; k < list->GetCount(); k++)
                std::free((*list)[k].data);
            delete list;
            return false;
        }
        lists.Add(list);
    }
    return true;
}
