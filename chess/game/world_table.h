// The worlds the board stands in: which piece models, scenery, styles,
// ambient sound and camera limits each uses, and where taken pieces go.
#pragma once

#include <string>

#include "Jentra/JTMath.h"

struct ChessWorldInfo {
    const char* whiteModels; // format of the white piece models (%s: the kind's name)
    const char* blackModels;
    const char* scenery[2]; // scenery models (null: none)
    int whiteStyle, blackStyle;
    const char* ambientSound;
    float minDistance, maxDistance; // of the camera from the board
    bool sun;                       // the park sun moves its light
    bool shadow;                    // the shadow pass runs (gbShadow)
};

// The world of that number (1-3, or a custom world from 4 on), or null for
// world 0 and numbers that are no world.
const ChessWorldInfo* FindWorldInfo(int number);

// The kinds' names in model file names ("Pawn" ... "King").
const char* PieceKindName(int kind);

// The model of a piece: the world's format filled with the kind's name; a
// custom world's models lie in its folder ("Chess\<folder>\White<kind>.jtm").
std::string PieceModelName(int world, const char* customFolder, int colour, int kind);

// The style a piece of that colour has in the world.
int PieceStyle(int world, int colour);

// Parking places: taken pieces stand beside the board in two rows a colour,
// each piece at the slot its kind's counter gives (pawns from 0, knights
// from 8, bishops 10, rooks 12, the queen 14, the king 15).
int FirstParkingSlot(int kind);
JTVec3 ParkingPlace(int world, int colour, int slot);
