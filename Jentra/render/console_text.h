// The console's text on the screen: what the console shows (its text with
// the cursor while open, and the statistics line while statistics are on)
// made into screen texts each frame and drawn over the scene.
#pragma once

class JTDisplay;

// Rebuilds the two texts from gpJTConsole and draws them (the display's
// step 8, after its default states).
void JTRenderConsoleText(JTDisplay* display);
// Frees the texts of the last frame.
void JTReleaseConsoleText();
