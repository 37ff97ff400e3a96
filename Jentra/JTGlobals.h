// Engine-wide objects shared by the engine, its modules and the game.
#pragma once

class JTGame;
class JTIDMap;
class JTRouter;

// The game object; the program sets it before starting the engine. The
// message router does not call it through this pointer (JTGame is not
// known here): the game registers itself as the router's fallback receiver
// with JTRouter::SetFallbackReceiver.
extern JTGame* gpJTGame;
// The identifier map and the router, made when the game starts.
extern JTIDMap* gpJTIDMap;
extern JTRouter* gpRouter;
