// What the console needs from the rest of the engine: the keyboard, sounds,
// the settings that keep the last command, and ending the program. Kept apart
// so the console's text and command logic stands on its own.
#pragma once

#include <cstddef>

namespace jentra_console {

// Whether Ctrl + grave accent went down in this frame's keyboard poll (read
// even while the keyboard is captured).
bool TogglePressed();
// Captures the keyboard for the console, or releases it.
void SetKeyboardCaptured(bool captured);
// Plays one of the engine's sounds by name, once, in group 0.
void Beep(const char* soundName);

// The settings value that keeps the last command across runs.
inline constexpr const char* kLastCommandValue = "last command";
// Size of the recall buffer, terminator included.
inline constexpr size_t kMaxLastCommand = 260;
// Reads it into out (always terminated; empty when there is none).
void LoadLastCommand(char* out, size_t size);
void SaveLastCommand(const char* line);

// The "fatalerror" command: ends the program abnormally once everything
// written so far is out.
[[noreturn]] void FatalError();

} // namespace jentra_console
