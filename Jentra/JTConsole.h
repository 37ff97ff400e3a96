// JTConsole: the developer console. Ctrl + the key left of 1 opens and closes
// it; typed lines appear over the scene and run as commands that switch the
// display's diagnostics, show frame statistics, create an entity from a
// model, or repeat the last command (kept in the settings across runs).
//
// The console keeps its text and switches; the display draws what
// GetScreenText and GetStatsText return over the scene.
#pragma once

#include <cstddef>

// The display's diagnostic switches that console commands set.
enum JTConsoleDisplayFlag {
    JTCONSOLE_BOUND = 0, // "bound": draw bounding spheres
    JTCONSOLE_TEX,       // "tex": texturing
    JTCONSOLE_WIRE,      // "wire": wireframe
    JTCONSOLE_EDGE,      // "edge": edge lines
    JTCONSOLE_LIGHT,     // "light": lighting
    JTCONSOLE_BENMARK,   // "benmark": benchmark mode
    JTCONSOLE_NUM_DISPLAY_FLAGS
};

class JTConsole {
public:
    static constexpr int kMaxLines = 20;
    static constexpr int kInputLineSize = 260;

    JTConsole();
    ~JTConsole();
    JTConsole(const JTConsole&) = delete;
    JTConsole& operator=(const JTConsole&) = delete;

    // Appends text and keeps only the last lines.
    void Print(const char* text);
    // A typed character; true when the console took it.
    bool ProcessChar(char c);
    // Once per frame: the open/close key (Ctrl + grave accent).
    void Update();
    // Turns the statistics line on or off.
    void Stats(bool on) { stats = on; }

    bool IsOpen() const { return open; }
    // Opens or closes as the key does: the keyboard is captured while open.
    void SetOpen(bool on);
    bool GetStats() const { return stats; }
    // The console's text (printed output and typed input).
    const char* GetText() const { return text; }
    // What the screen shows: the text with a "-" cursor while open; empty
    // while closed.
    const char* GetScreenText() const { return screenText; }
    // The statistics line for the given rates ("Fps:%03d Tps:%i", both
    // truncated), or an empty text while statistics are off.
    void GetStatsText(float fps, float tps, char* out, size_t size) const;

    // The display ties its switches to the commands here when it is made and
    // unties them (null) when it goes. An untied switch is still a known
    // command; it changes nothing.
    static void BindDisplayFlag(JTConsoleDisplayFlag which, bool* target);

protected:
    void TrimBuffer();
    void ProcessInput(char* line);

private:
    // The text after appending `count` bytes of s; false when out of memory.
    bool Append(const char* s, size_t count);
    void RebuildScreenText();
    // One command line; true when it was recognised.
    bool RunCommand(const char* line);
    void RunCreate(const char* name);

    char* text;
    bool open;
    char inputLine[kInputLineSize];
    bool stats;
    char* screenText;
};

extern JTConsole* gpJTConsole;
