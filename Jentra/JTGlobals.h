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

// The services the game object creates at start-up, each null until then
// and after shut-down (JTGame), and in programs and tests that make only
// some of them; every user checks.
class JTKeyboard;
class JTMouse;
class JTRenderer;
class JTDisplay;
class JTFont;
class JTCursor;
class JTConsole;
class JTTextureMan;
class JTProtobase;
extern JTKeyboard* gpJTKeyboard;
extern JTMouse* gpJTMouse;
extern JTRenderer* gpJTRenderer;
extern JTDisplay* gpJTDisplay;
extern JTFont* gpFont1;    // the interface font
extern JTCursor* gpCursor; // the 3D cursor; set by the game
extern JTConsole* gpJTConsole;
extern JTTextureMan* gpJTTextureMan;
extern JTProtobase* gpJTProtobase;

// Shared scratch text buffer.
extern char gszTemp[260];
// An editor window that Alt+Space activates; null unless a tool sets it.
namespace platform {
class Window;
}
extern platform::Window* ghwndEditor;
// Run the shadow pass each frame; set by the game.
extern bool gbShadow;
// Shadow scale factor read by the shadow effect (0.9).
extern float gfShadowScaleFudge;
// Game state flags; the engine itself reads only gfNetwork (a network game
// cannot be paused).
extern bool gfNetwork;
extern bool gfLoadingSavedGame;
extern bool gfCheating;
extern bool gfInstaBuild;
