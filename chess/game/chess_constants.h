// Numbers the chess game shares between its parts: the kinds of player, the
// menus, the worlds and the game's own messages.
#pragma once

#include "Jentra/JTMessages.h"

// Who plays a side.
enum ChessPlayerKind : int {
    kPlayerLocal = 0,    // a person at this computer
    kPlayerComputer = 1, // the chess engine
    kPlayerRemote = 2,   // the peer of a network game
    kPlayerReplay = 3,   // the moves of a recorded game
};

// The menus; the game keeps a stack of these numbers.
enum ChessMenu : int {
    kMenuMain = 0,
    kMenuNone1 = 1, // no dialog
    kMenuNone2 = 2, // no dialog
    kMenuWorld = 3,
    kMenuInGame = 4,
    kMenuBoard = 5, // no dialog: the board is played
    kMenuColour = 6,
    kMenuLevel = 7,
    kMenuSettings = 8,
    kMenuResolution = 9,
    kMenuColourDepth = 10,
    kMenuAntiAlias = 11,
    kMenuGameOver = 12,
    kMenuNameGame = 13,
    kMenuRecordedGames = 14,
    kMenuIntro = 15,
    kMenuExitLogo = 16,
    kMenuPlayMode = 17,
    kMenuLan = 18,
    kMenuWaiting = 19,
    kMenuLobby = 20,
    kMenuAmbianceVolume = 21,
    kMenuEffectsVolume = 22,
    kMenuLast = 22,
};

// The worlds the board stands in; custom worlds follow the built-in ones.
enum ChessWorldNumber : int {
    kWorldNone = 0,
    kWorldPark = 1,
    kWorldFireAndIce = 2,
    kWorldHolographic = 3,
    kWorldFirstCustom = 4,
};

// How a piece looks when it moves and is taken.
enum ChessPieceStyle : int {
    kStylePark = 0,
    kStyleFire = 1,
    kStyleIce = 2,
    kStyleHolographic = 3,
};

// The banner's line, as a share of the interface's half height at the
// dialogs' depth (the top edge of the screen is 1).
constexpr float kBannerHeight = 0.9f;
// The size of the interface's texts (the menus' controls, the banner).
constexpr float kInterfaceTextScale = 0.002f;

// The game's own messages.
enum ChessMessage : unsigned {
    CHESSMSG_SQUAREPICKED = JTMSG_USER, // square -> game (broadcast); data: the 0x88 square
    CHESSMSG_SQUARESELECT = 1002,       // game -> square: show the selection
    CHESSMSG_SQUARECLEAR = 1003,        // game -> square: clear the markers
};
