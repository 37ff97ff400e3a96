// Storage of the engine globals that belong to the application frame: the
// input devices, the services the frame creates for the drawing layer, and
// the game state flags.
#include "Jentra/JTGlobals.h"

JTKeyboard* gpJTKeyboard = nullptr;
JTMouse* gpJTMouse = nullptr;
JTRenderer* gpJTRenderer = nullptr;
JTDisplay* gpJTDisplay = nullptr;
JTFont* gpFont1 = nullptr;
JTCursor* gpCursor = nullptr;
JTConsole* gpJTConsole = nullptr;
JTTextureMan* gpJTTextureMan = nullptr;
JTProtobase* gpJTProtobase = nullptr;
char gszTemp[260] = {};
platform::Window* ghwndEditor = nullptr;
bool gbShadow = false;
float gfShadowScaleFudge = 0.9f;
bool gfNetwork = false;
bool gfLoadingSavedGame = false;
bool gfCheating = false;
bool gfInstaBuild = false;
