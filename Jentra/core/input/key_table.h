// The engine's names for the platform's one table from key scancodes (USB
// keyboard usage numbers, as the window layer reports them) to DIK codes.
#pragma once

// DIK code of a scancode; 0 when the key has no DIK code.
int JTDikFromScancode(int scancode);
// Scancode of a DIK code; 0 when no key of ours produces it. Lets tests and
// tools inject keys by the engine's own numbers.
int JTScancodeFromDik(int dik);
