// The Entity record of object files and scene-state files: written in the
// newest layout, read in every layout from version 22 on. Counts are checked
// against the bytes left; layouts that depend on the version are named below.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/geo_node.h"
#include "desktop/scene/object/model_load_state.h"
#include "desktop/scene/object/object_file.h"
#include "desktop/scene/object/object_table.h"
#include "desktop/scene/world/model_library.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/world.h"
#include "platform/binary_io.h"

namespace lumivane {

namespace {

// Versions from which (or up to which) a part of the record looks as it does.
constexpr uint32_t kScaleFrom = 30;
constexpr uint32_t kSizeFactorFrom = 76; // and the stored radius
constexpr uint32_t kGravityParentFrom = 61;
constexpr uint32_t kMassFrom = 37;
constexpr uint32_t kLinkNamesUpTo = 35;   // two bare names
constexpr uint32_t kLinkObjectsUpTo = 37; // flags, each with a node object
constexpr uint32_t kHealthScaleFrom = 60;
constexpr uint32_t kFiveSoundStatesFrom = 68;
constexpr uint32_t kSoundStatesFrom = 59; // four 16-byte states
constexpr uint32_t kSoundPairsAt = 58;
constexpr uint32_t kProxyFrom = 45;
constexpr uint32_t kOwnerIndexFrom = 53;
constexpr uint32_t kFourStateArraysFrom = 113;
constexpr uint32_t kThreeStateArraysFrom = 41;
constexpr uint32_t kFirstFrameFrom = 39;
constexpr uint32_t kSpawnedPartsFrom = 76;
constexpr uint32_t kAttachedObjectsFrom = 32;

constexpr int kSmallestObject = 5; // a reference: i32 and the class byte

void WriteZeros(platform::BinaryWriter& file, size_t count) {
    static const uint8_t zeros[64] = {};
    while (count > 0) {
        size_t n = std::min(count, sizeof zeros);
        file.WriteBytes(zeros, n);
        count -= n;
    }
}

void WriteQuat(platform::BinaryWriter& file, const Quat& q) {
    file.WriteF32(q.x);
    file.WriteF32(q.y);
    file.WriteF32(q.z);
    file.WriteF32(q.w);
}

void ReadQuat(platform::BinaryReader& file, Quat& q) {
    file.ReadF32(q.x);
    file.ReadF32(q.y);
    file.ReadF32(q.z);
    file.ReadF32(q.w);
}

bool Fits(const platform::BinaryReader& file, uint64_t count, uint64_t bytesEach) {
    return count <= file.Remaining() / std::max<uint64_t>(bytesEach, 1);
}

float Bits(int32_t word) {
    float value;
    std::memcpy(&value, &word, sizeof value);
    return value;
}

int32_t Word(float value) {
    int32_t word;
    std::memcpy(&word, &value, sizeof word);
    return word;
}

// A link node as the record names it: present, name and index.
void WriteLink(platform::BinaryWriter& file, Node* tree, Node* node, const std::string& name,
               uint8_t index, bool pending) {
    if (tree && node) {
        int count = 0;
        tree->CountSameNameBefore(node, count);
        file.WriteU32(1);
        file.WriteFixedString(node->Name(), kNameSize);
        file.WriteU32(uint32_t(count));
    } else if (pending && !name.empty()) {
        file.WriteU32(1);
        file.WriteFixedString(name, kNameSize);
        file.WriteU32(index);
    } else {
        file.WriteU32(0);
    }
}

void ReadLink(platform::BinaryReader& file, std::string& name, uint8_t& index) {
    uint32_t present = 0;
    file.ReadU32(present);
    if (!present) return;
    uint32_t nth = 0;
    file.ReadFixedString(name, kNameSize);
    file.ReadU32(nth);
    index = uint8_t(std::min<uint32_t>(nth, 255));
}

} // namespace

int Entity::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!Unknown::Save(file, table)) return 0;
    SaveEntityRecord(file, table);
    return 1;
}

bool Entity::SaveEntityRecord(platform::BinaryWriter& file, ObjectTable& table) {
    // The layout leaves out what a named prototype supplies.
    const bool cloned = prototype && !prototype->Name().empty();
    file.WriteFixedString(cloned ? prototype->Name() : std::string_view(), kNameSize);
    file.WriteFixedString(Name(), kNameSize);
    SaveChannelList(file, table);
    if (!cloned) SaveChildList(file, table);
    WriteMatrix(file, local);
    if (!cloned) {
        file.WriteU32(uint32_t(lodNodes.size()));
        for (GeoNode* node : lodNodes)
            node->Save(file, table);
        file.WriteU32(uint32_t(std::max<int16_t>(legacyCount, 0)));
        WriteZeros(file, size_t(std::max<int16_t>(legacyCount, 0)) * 8);
        file.WriteU32(uint32_t(uint16_t(legacyValue)));
        file.WriteU32(uint32_t(lodThresholds.size()));
        for (float threshold : lodThresholds)
            file.WriteF32(threshold);
        WriteZeros(file, lodThresholds.size() * 4);
    }

    file.WriteI32(handle);
    file.WriteF32(scale);
    file.WriteF32(sizeFactor);
    WriteVec3(file, position);
    WriteVec3(file, velocity);
    WriteQuat(file, orientation);
    WriteQuat(file, spin);
    WriteVec3(file, pendingImpulse);
    file.WriteI32(gravityParent);
    file.WriteU32(canCollide);
    file.WriteF32(massScale);
    file.WriteF32(mass);
    file.WriteI32(linkClock);
    file.WriteI32(ownerHandle);

    World* world = GetWorld();
    Entity* target = world ? world->GetEntity(ownerHandle) : nullptr;
    WriteLink(file, target, target ? targetLinkNode : nullptr, targetLinkName, targetLinkIndex,
              linksPending);
    WriteLink(file, this, ownLinkNode, ownLinkName, ownLinkIndex, linksPending);

    WriteZeros(file, 12);
    file.WriteF32(boundRadius);
    file.WriteF32(radius);
    WriteZeros(file, 12);
    file.WriteU32(noFlareOcclusion);
    file.WriteU32(0);
    WriteZeros(file, 64);
    file.WriteF32(health);
    file.WriteF32(healthScale);
    file.WriteU32(noDamage);
    for (int i = 0; i < 4; ++i)
        file.WriteI32(-1);
    file.WriteI32(0);
    file.WriteI32(lodLevel);
    file.WriteI32(nextLodLevel);
    file.WriteU32(0);
    for (const SoundSlotState& slot : soundSlots) {
        file.WriteI32(slot.soundId);
        file.WriteF32(slot.volume);
        file.WriteI32(slot.startTime);
        file.WriteI32(slot.loop);
    }
    file.WriteU32(ownsPropertyBlock);
    file.WriteU32(0);
    file.WriteU32(pulsing);
    file.WriteU32(highlighted);
    file.WriteU32(kIdentifiedPlayers);
    for (int32_t word : identification)
        file.WriteI32(word);
    file.WriteU32(seeAll);
    file.WriteU32(proxy);
    file.WriteI32(PlayerIndexOf(owner));

    if (!cloned) {
        // A model without animation still carries an (empty) sequencer.
        if (!sequencer) SetSequencer(new Sequencer);
        sequencer->Save(file, table);
    }
    // Four arrays of 50 words: times, playing, loop, stamps.
    const size_t kept = std::min<size_t>(sequenceStates.size(), kMaxSavedSequenceStates);
    for (int array = 0; array < 4; ++array)
        for (size_t i = 0; i < kMaxSavedSequenceStates; ++i) {
            int32_t word = 0;
            if (i < kept) {
                const SequenceState& s = sequenceStates[i];
                word = array == 0   ? Word(s.time)
                       : array == 1 ? s.playing
                       : array == 2 ? s.loop
                                    : int32_t(s.stamp);
            }
            file.WriteI32(word);
        }
    file.WriteU32(firstFrameDone);
    file.WriteU32(uint32_t(spawnedParts.size()));
    for (const SpawnedPart& part : spawnedParts)
        file.WriteI32(part.handle);
    for (const SpawnedPart& part : spawnedParts)
        file.WriteI32(part.kind);
    return file.Good();
}

bool Entity::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    return LoadEntityRecord(file, table, version) && file.Good();
}

bool Entity::LoadEntityRecord(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    std::string protoName, nodeName;
    if (!file.ReadFixedString(protoName, kNameSize) || !file.ReadFixedString(nodeName, kNameSize))
        return false;
    const bool cloned = !protoName.empty();
    Entity* proto = nullptr;
    if (cloned) {
        ModelLibrary* library = GetModelLibrary();
        Node* found = library ? library->FindPrototype(protoName) : nullptr;
        if (found && IsA(found, ClassId::Entity)) proto = static_cast<Entity*>(found);
    }
    if (proto) {
        name = proto->name;
        ownsName = false;
    } else if (!nodeName.empty()) {
        SetName(nodeName);
    }

    // Channels, then (without a prototype) the children.
    if (!LoadChannelList(file, table, version)) return false;
    if (!cloned && !LoadChildList(file, table, version)) return false;
    if (!ReadMatrix(file, local)) return false;

    if (!cloned) {
        uint32_t lodCount;
        if (!file.ReadU32(lodCount) || lodCount > 255 || !Fits(file, lodCount, kSmallestObject))
            return false;
        for (uint32_t i = 0; i < lodCount; ++i) {
            Unknown* node = ReadObjectReference(file, table, version, ClassId::GeoNode);
            if (!node) return false;
            node->AddRef();
            lodNodes.push_back(static_cast<GeoNode*>(node));
        }
        uint32_t n, value, m;
        if (!file.ReadU32(n) || n > 32767 || !Fits(file, n, 8) || !file.Skip(uint64_t(n) * 8) ||
            !file.ReadU32(value) || !file.ReadU32(m) || m > 255 || !Fits(file, m, 8))
            return false;
        legacyCount = int16_t(n);
        legacyValue = int16_t(value);
        lodThresholds.resize(m);
        for (float& threshold : lodThresholds)
            file.ReadF32(threshold);
        file.Skip(uint64_t(m) * 4);
    }

    file.ReadI32(handle);
    if (version >= kScaleFrom) file.ReadF32(scale);
    if (version >= kSizeFactorFrom) file.ReadF32(sizeFactor);
    ReadVec3(file, position);
    ReadVec3(file, velocity);
    ReadQuat(file, orientation);
    ReadQuat(file, spin);
    ReadVec3(file, pendingImpulse);
    int32_t parentWord = kNoEntity;
    file.ReadI32(parentWord);
    if (version >= kGravityParentFrom) gravityParent = parentWord;
    uint32_t collide = 1;
    file.ReadU32(collide);
    canCollide = collide ? 1 : 0;
    if (version >= kMassFrom) {
        file.ReadF32(massScale);
        file.ReadF32(mass);
    }
    file.ReadI32(linkClock);
    file.ReadI32(ownerHandle);
    if (!file.Good()) return false;

    if (version <= kLinkNamesUpTo) {
        file.ReadFixedString(targetLinkName, kNameSize);
        file.ReadFixedString(ownLinkName, kNameSize);
    } else if (version <= kLinkObjectsUpTo) {
        // Each link node is an object of its own here; only its name is
        // needed to find it again in the trees.
        for (std::string* linkName : {&targetLinkName, &ownLinkName}) {
            uint32_t present;
            if (!file.ReadU32(present)) return false;
            if (!present) continue;
            Unknown* node = ReadObjectReference(file, table, version, ClassId::Node);
            if (!node) return false;
            node->AddRef();
            heldLegacyObjects.push_back(node);
            *linkName = std::string(static_cast<Node*>(node)->Name());
        }
    } else {
        ReadLink(file, targetLinkName, targetLinkIndex);
        ReadLink(file, ownLinkName, ownLinkIndex);
    }
    linksPending = !targetLinkName.empty() || !ownLinkName.empty();

    Vec3 offset;
    float storedBound = 0, storedRadius = 0;
    ReadVec3(file, offset);
    file.ReadF32(storedBound);
    boundRadius = (storedBound == 0.0f ? 1.0f : storedBound) + offset.Length();
    if (version >= kSizeFactorFrom) file.ReadF32(storedRadius);
    const bool sceneState = GetModelLoadState().sceneStateLoading;
    if (version >= kSizeFactorFrom && sceneState) radius = storedRadius;
    if (!sceneState) radius = boundRadius;
    uint32_t word = 0;
    file.Skip(12);
    file.ReadU32(word);
    noFlareOcclusion = word ? 1 : 0;
    file.Skip(4 + 64);
    file.ReadF32(health);
    if (version >= kHealthScaleFrom) {
        file.ReadF32(healthScale);
        file.ReadU32(word);
        noDamage = word ? 1 : 0;
    }
    file.Skip(4 * 4 + 4);
    int32_t level = -1, next = -1;
    file.ReadI32(level);
    file.ReadI32(next);
    lodLevel = int8_t(level);
    nextLodLevel = int8_t(next);
    file.Skip(4);

    const int stateCount = version >= kFiveSoundStatesFrom ? 5 : 4;
    for (int s = 0; s < stateCount; ++s) {
        SoundSlotState& slot = soundSlots[s];
        if (version >= kSoundStatesFrom) {
            file.ReadI32(slot.soundId);
            file.ReadF32(slot.volume);
            file.ReadI32(slot.startTime);
            file.ReadI32(slot.loop);
        } else if (version == kSoundPairsAt) {
            file.ReadI32(slot.startTime);
            file.ReadI32(slot.loop);
        } else {
            int32_t words[5] = {};
            for (int32_t& w : words)
                file.ReadI32(w);
            slot.startTime = words[1];
            slot.loop = words[4];
        }
    }
    for (SoundSlotState& slot : soundSlots)
        slot.soundId = -1;

    file.ReadU32(word);
    ownsPropertyBlock = word ? 1 : 0;
    file.Skip(4 + 4 + 4); // the HUD marks of the saved frame do not carry over
    pulsing = highlighted = 0;
    uint32_t players = 0;
    if (!file.ReadU32(players) || !Fits(file, players, 4)) return false;
    for (uint32_t p = 0; p < players; ++p) {
        int32_t id = 0;
        file.ReadI32(id);
        if (p < uint32_t(kIdentifiedPlayers)) identification[p] = id;
    }
    file.ReadU32(word);
    seeAll = word ? 1 : 0;
    if (version >= kProxyFrom) {
        file.ReadU32(word);
        proxy = word ? 1 : 0;
    }
    if (version >= kOwnerIndexFrom) {
        int32_t index = -1;
        file.ReadI32(index);
        owner = PlayerAt(index);
    }
    if (!file.Good()) return false;

    if (!cloned) {
        Unknown* object = ReadObjectReference(file, table, version, ClassId::Sequencer);
        if (!object) return false;
        SetSequencer(static_cast<Sequencer*>(object));
    } else if (proto) {
        SetSequencer(proto->sequencer);
    }
    // The states as saved, up to 50 of them.
    const int arrays = version >= kFourStateArraysFrom    ? 4
                       : version >= kThreeStateArraysFrom ? 3
                                                          : 2;
    if (!Fits(file, uint64_t(arrays) * kMaxSavedSequenceStates, 4)) return false;
    const size_t kept = std::min<size_t>(sequenceStates.size(), kMaxSavedSequenceStates);
    for (int array = 0; array < arrays; ++array)
        for (size_t i = 0; i < kMaxSavedSequenceStates; ++i) {
            int32_t w = 0;
            file.ReadI32(w);
            if (i >= kept) continue;
            SequenceState& s = sequenceStates[i];
            if (array == 0) s.time = Bits(w);
            if (array == 1) s.playing = uint8_t(w != 0);
            if (array == 2) s.loop = uint8_t(w != 0);
            if (array == 3) s.stamp = uint32_t(w);
        }
    for (size_t i = 0; i < kept; ++i) {
        if (arrays < 4) sequenceStates[i].stamp = UINT32_MAX;
        if (arrays < 3) sequenceStates[i].loop = 0;
    }

    if (version >= kFirstFrameFrom) {
        file.ReadU32(word);
        firstFrameDone = word ? 1 : 0;
        if (version >= kSpawnedPartsFrom) {
            uint32_t count = 0;
            if (!file.ReadU32(count) || !Fits(file, count, 8)) return false;
            spawnedParts.resize(count);
            for (SpawnedPart& part : spawnedParts)
                file.ReadI32(part.handle);
            for (SpawnedPart& part : spawnedParts)
                file.ReadI32(part.kind);
        }
    } else if (version >= kAttachedObjectsFrom) {
        // Parts attached in old files come as objects after their words.
        const int words = version == kAttachedObjectsFrom ? 4 : 8;
        for (int i = 0; i < words; ++i) {
            if (!file.ReadU32(word)) return false;
            if (!word) continue;
            Unknown* attached = ReadObjectReference(file, table, version, ClassId::Unknown);
            if (!attached) return false;
            attached->AddRef();
            heldLegacyObjects.push_back(attached);
        }
        if (version > kAttachedObjectsFrom + 1) {
            file.ReadU32(word);
            firstFrameDone = word ? 1 : 0;
        }
    }
    if (!file.Good()) return false;

    if (proto) AdoptPrototype(proto);
    if (cloned && !proto)
        if (World* world = GetWorld()) world->QueueRemove(this, nullptr, false);
    SetDistanceScaleByClass();
    return true;
}

void Entity::AdoptPrototype(Entity* proto) {
    prototype = proto;
    for (int i = 0; i < proto->ChildCount(); ++i)
        AddChild(proto->ChildAt(i)->Clone());
    ReleaseLodNodes();
    for (GeoNode* node : proto->lodNodes) {
        Node* mine = FindCloneOf(this, node);
        GeoNode* kept = mine ? static_cast<GeoNode*>(mine) : node;
        kept->AddRef();
        lodNodes.push_back(kept);
    }
    legacyCount = proto->legacyCount;
    legacyValue = proto->legacyValue;
    lodThresholds = proto->lodThresholds;
    props = proto->props;
    CollectAnimatedNodes();
    boundRadius = proto->boundRadius;
    if (!GetModelLoadState().sceneStateLoading) {
        radius = boundRadius;
        ApplyProps(kAllProps);
    }
    const bool halo = props && props->Flag(EntityFields().hasHalo);
    haloFlags[0] = haloFlags[1] = halo ? 1 : 0;
}

} // namespace lumivane
