// Definitions of the engine-wide objects declared in JTGlobals.h.
#include "Jentra/JTGlobals.h"

JTGame* gpJTGame = nullptr;
JTIDMap* gpJTIDMap = nullptr;
JTRouter* gpRouter = nullptr;
