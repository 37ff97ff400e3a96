// The world table and the parking places beside the board.
#include "chess/game/world_table.h"

#include <cstdio>

#include "chess/game/chess_constants.h"

namespace {

const char* const kKindNames[6] = {"Pawn", "Knight", "Bishop", "Rook", "Queen", "King"};
const int kFirstSlot[6] = {0, 8, 10, 12, 14, 15};

const ChessWorldInfo kPark = {"Chess\\Park\\Classic%sLight.jtm",
                              "Chess\\Park\\Classic%sDark.jtm",
                              {"Chess\\Park\\Table.jtm", nullptr},
                              kStylePark,
                              kStylePark,
                              "ParkSfx.wav",
                              3.0f,
                              40.0f,
                              true,
                              false};
const ChessWorldInfo kFireAndIce = {
    "Chess\\Fire and Ice\\Ice Pieces\\Ice%s.jtm",
    "Chess\\Fire and Ice\\Fire Pieces\\Fire%s.jtm",
    {"Chess\\Fire and Ice\\table.jtm", "Chess\\Fire and Ice\\SkullRoom.jtm"},
    kStyleIce,
    kStyleFire,
    "FireIceSfx.wav",
    3.0f,
    125.0f,
    false,
    false};
const ChessWorldInfo kHolographic = {"Chess\\Matrix\\Green%s.jtm",
                                     "Chess\\Matrix\\Blue%s.jtm",
                                     {"Chess\\Matrix\\environment.jtm", nullptr},
                                     kStyleHolographic,
                                     kStyleHolographic,
                                     "HoloSfx.wav",
                                     3.0f,
                                     125.0f,
                                     false,
                                     false};
// Custom worlds name their pieces themselves and stand on the park's table.
const ChessWorldInfo kCustom = {"White%s.jtm", "Black%s.jtm", {"Chess\\Park\\Table.jtm", nullptr},
                                kStylePark,    kStylePark,    "ParkSfx.wav",
                                3.0f,          40.0f,         true,
                                false};

} // namespace

// No world's surfaces take the shadow pass's picture, so none runs the pass:
// it would cost a full drawing of the scene each frame and show nothing.

const ChessWorldInfo* FindWorldInfo(int number) {
    switch (number) {
    case kWorldPark:
        return &kPark;
    case kWorldFireAndIce:
        return &kFireAndIce;
    case kWorldHolographic:
        return &kHolographic;
    default:
        return number >= kWorldFirstCustom ? &kCustom : nullptr;
    }
}

const char* PieceKindName(int kind) {
    return kind >= 0 && kind < 6 ? kKindNames[kind] : "";
}

std::string PieceModelName(int world, const char* customFolder, int colour, int kind) {
    const ChessWorldInfo* info = FindWorldInfo(world);
    if (!info || kind < 0 || kind > 5) return "";
    char name[600];
    const char* format = colour == 0 ? info->whiteModels : info->blackModels;
    if (world >= kWorldFirstCustom) {
        char file[64];
        std::snprintf(file, sizeof file, format, kKindNames[kind]);
        std::snprintf(name, sizeof name, "Chess\\%s\\%s", customFolder ? customFolder : "", file);
    } else {
        std::snprintf(name, sizeof name, format, kKindNames[kind]);
    }
    return name;
}

int PieceStyle(int world, int colour) {
    const ChessWorldInfo* info = FindWorldInfo(world);
    if (!info) return kStylePark;
    return colour == 0 ? info->whiteStyle : info->blackStyle;
}

int FirstParkingSlot(int kind) {
    return kind >= 0 && kind < 6 ? kFirstSlot[kind] : 0;
}

JTVec3 ParkingPlace(int world, int colour, int slot) {
    // Black's places lie off the board's left edge as White sees it; White's
    // mirror them. Custom worlds stand on the park's table and park there.
    const bool fireAndIce = world == kWorldFireAndIce;
    const float x = (fireAndIce ? -12.0f : -5.5f) - 0.75f * float(slot % 2);
    const float y = fireAndIce ? -5.0f : -0.05f;
    const float z = 0.75f * float(slot / 2) - 3.0f;
    return colour == 0 ? JTVec3(-x, y, -z) : JTVec3(x, y, z);
}
