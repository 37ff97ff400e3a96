// Storage of the frame clock globals (advanced by JTGame::UpdateTime).
#include "Jentra/JTFrameClock.h"

float dtReal = 0.0f;
float dt = 0.0f;
uint32_t gdwRealTime = 0;
float gfRealTime = 0.0f;
uint32_t gdwTime = 0;
uint32_t gdwTimeExtra = 0;
float gfTime = 0.0f;
int gnFrame = 0;
bool gfPause = false;
