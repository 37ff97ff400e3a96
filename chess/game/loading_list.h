// What the intro loads before the game starts, one item a frame: every piece
// model of the built-in worlds, their scenery, and the effect prototypes, so
// that changing worlds later finds models and textures already in memory.
#pragma once

struct ChessLoadingItem {
    const char* name;
    bool prototype; // a prototype to instantiate, else a model to build
};

int GetLoadingCount();
// Item i, or null past the last.
const ChessLoadingItem* GetLoadingItem(int i);
