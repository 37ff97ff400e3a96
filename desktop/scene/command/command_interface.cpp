// The command interface's lists, settings and cursor animation: the unit
// lists by handle, the cursor blocks of "Cursors", the selection box's and
// beacon's look from "Cursors"/"selectionbox" and "Game"/"settings".
#include "desktop/scene/command/command_interface.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/script_config.h"
#include "desktop/scene/world/world.h"

namespace lumivane {

namespace {

constexpr float kDegreesToRadians = 0.017453292f;
constexpr char kTextureDirectory[] = "models\\textures\\";

const char* const kCursorBlocks[kCursorCount + 1] = {"",
                                                     "default",
                                                     "select",
                                                     "orbit",
                                                     "attack",
                                                     "scrollup",
                                                     "scrolldown",
                                                     "scrollleft",
                                                     "scrollright",
                                                     "placestructure",
                                                     "placestructurevalid",
                                                     "enterwormhole",
                                                     "trackball",
                                                     "scrollforward",
                                                     "scrollback"};

TextureSet* LoadTexture(std::string_view name, std::string_view group, int32_t user,
                        int32_t forceNew) {
    TextureSource* source = GetTextureSource();
    if (!source) return nullptr;
    return source->GetTexture(std::string(kTextureDirectory) + std::string(name), group, user,
                              forceNew);
}

// The first value of a key, when the block holds it and it is a number.
bool ReadValue(const ScriptBlock* block, std::string_view key, float& value, int index = 0) {
    if (!block) return false;
    const int at = block->FindKey(key);
    if (at < 0 || block->entries[size_t(at)].text) return false;
    const float read = block->entries[size_t(at)].values[index];
    if (!std::isfinite(read)) return false;
    value = read;
    return true;
}

} // namespace

// --- UnitList ---------------------------------------------------------------

bool UnitList::Add(const Entity* unit) {
    if (!unit || unit->handle < 0 || int(handles.size()) >= kMaxCommandUnits) return false;
    if (Contains(unit)) return false;
    handles.push_back(unit->handle);
    return true;
}

bool UnitList::Contains(const Entity* unit) const {
    return unit && std::find(handles.begin(), handles.end(), unit->handle) != handles.end();
}

std::vector<Entity*> UnitList::Resolve() {
    std::vector<Entity*> units;
    const World* world = GetWorld();
    std::vector<EntityHandle> live;
    for (EntityHandle h : handles) {
        Entity* unit = world ? world->GetEntity(h) : nullptr;
        if (!unit || world->IsQueuedForRemoval(unit)) continue;
        live.push_back(h);
        units.push_back(unit);
    }
    handles = std::move(live);
    return units;
}

void UnitList::Keep(const std::vector<Entity*>& units) {
    handles.clear();
    for (Entity* unit : units)
        Add(unit);
}

// --- Settings ----------------------------------------------------------------

CommandInterface::CommandInterface() {
    for (Cursor& cursor : cursors) {
        cursor.frames[0] = {0, std::numeric_limits<float>::max()};
        for (int k = 1; k < kCursorFrames; ++k)
            cursor.frames[size_t(k)].frame = -1;
    }
}

void CommandInterface::LoadSettings(const ScriptConfig& config) {
    for (int id = 1; id <= kCursorCount; ++id)
        LoadCursor(config, id, kCursorBlocks[id]);

    const ScriptBlock* box = config.FindBlock("Cursors", "selectionbox");
    std::string name;
    if (box && box->GetString("cornertex", name)) cornerTexture = LoadTexture(name, "Cursor", 1, 1);
    if (box && box->GetString("fieldtex", name)) fieldTexture = LoadTexture(name, "Cursor", 1, 1);
    ReadValue(box, "fieldrepeat", fieldRepeat);

    const ScriptBlock* game = config.FindBlock("Game", "settings");
    if (game && game->GetString("beacontex", name))
        beaconTexture = LoadTexture(name, "Cursor", 1, 1);
    ReadValue(game, "beaconsize", beaconSize);
    ReadValue(game, "beaconcornersize", beaconCornerSize);
    ReadValue(game, "beaconspeed", beaconSpeed);
    ReadValue(game, "beaconexplodesize", beaconExplodeSize);
    ReadValue(game, "beaconexplodetime", beaconExplodeTime);
    float degrees = beaconMaxAngle / kDegreesToRadians;
    ReadValue(game, "beaconmaxangle", degrees);
    beaconMaxAngle = degrees * kDegreesToRadians;
}

void CommandInterface::LoadCursor(const ScriptConfig& config, int id, std::string_view name) {
    if (id < 1 || id > kCursorCount) return;
    Cursor& cursor = cursors[id];
    cursor = Cursor();
    const ScriptBlock* block = config.FindBlock("Cursors", name);
    std::string texture;
    if (block && block->GetString("texture", texture))
        cursor.texture = LoadTexture(texture, "Cursor", 1, 0);
    ReadValue(block, "hotspot", cursor.hotspot[0], 0);
    ReadValue(block, "hotspot", cursor.hotspot[1], 1);
    for (int k = 0; k < kCursorFrames; ++k) {
        CursorFrame& entry = cursor.frames[size_t(k)];
        float frame = -1.0f, duration = 0.0f;
        const bool present = ReadValue(block, std::to_string(k), frame, 0) && frame != -1.0f;
        if (!present) {
            // A missing first entry makes a still cursor; a later one ends
            // the animation.
            entry = k == 0 ? CursorFrame{0, std::numeric_limits<float>::max()} : CursorFrame{-1, 0};
            continue;
        }
        ReadValue(block, std::to_string(k), duration, 1);
        // Frames are counted from 0; the drawing wraps them into the set.
        entry.frame = int32_t(std::clamp(frame, 0.0f, 65535.0f));
        entry.duration = std::max(duration, 0.0f);
    }
}

int CommandInterface::CursorFrameAt(int id, uint32_t clock) {
    if (id < 1 || id > kCursorCount) return 0;
    const auto& frames = cursors[id].frames;
    if (id != animatedCursor) {
        animatedCursor = id;
        animationEntry = 0;
        animationStart = clock;
    }
    if (animationEntry >= kCursorFrames || frames[size_t(animationEntry)].frame < 0)
        animationEntry = 0;
    // Whole milliseconds, so 0.1 s ends exactly 100 ms on.
    const double ends = double(animationStart) +
                        std::round(double(frames[size_t(animationEntry)].duration) * 1000.0);
    if (double(clock) >= ends) {
        ++animationEntry;
        if (animationEntry >= kCursorFrames || frames[size_t(animationEntry)].frame < 0)
            animationEntry = 0;
        animationStart = clock;
    }
    return std::max(frames[size_t(animationEntry)].frame, 0);
}

CommandInterface& GetCommandInterface() {
    static CommandInterface commands;
    return commands;
}

} // namespace lumivane
