// The one table from key scancodes (USB keyboard usage numbers, as the
// window layer reports them, plus the consumer keys it numbers from 258) to
// the DirectInput key codes both engines index their key states by.
#include "platform/dik_codes.h"

namespace platform {

namespace {

struct KeyPair {
    int scancode;
    int dik;
};

constexpr KeyPair kKeyTable[] = {
    {4, 0x1E},   // A
    {5, 0x30},   // B
    {6, 0x2E},   // C
    {7, 0x20},   // D
    {8, 0x12},   // E
    {9, 0x21},   // F
    {10, 0x22},  // G
    {11, 0x23},  // H
    {12, 0x17},  // I
    {13, 0x24},  // J
    {14, 0x25},  // K
    {15, 0x26},  // L
    {16, 0x32},  // M
    {17, 0x31},  // N
    {18, 0x18},  // O
    {19, 0x19},  // P
    {20, 0x10},  // Q
    {21, 0x13},  // R
    {22, 0x1F},  // S
    {23, 0x14},  // T
    {24, 0x16},  // U
    {25, 0x2F},  // V
    {26, 0x11},  // W
    {27, 0x2D},  // X
    {28, 0x15},  // Y
    {29, 0x2C},  // Z
    {30, 0x02},  // 1
    {31, 0x03},  // 2
    {32, 0x04},  // 3
    {33, 0x05},  // 4
    {34, 0x06},  // 5
    {35, 0x07},  // 6
    {36, 0x08},  // 7
    {37, 0x09},  // 8
    {38, 0x0A},  // 9
    {39, 0x0B},  // 0
    {40, 0x1C},  // RETURN
    {41, 0x01},  // ESCAPE
    {42, 0x0E},  // BACK
    {43, 0x0F},  // TAB
    {44, 0x39},  // SPACE
    {45, 0x0C},  // MINUS
    {46, 0x0D},  // EQUALS
    {47, 0x1A},  // LBRACKET
    {48, 0x1B},  // RBRACKET
    {49, 0x2B},  // BACKSLASH
    {50, 0x2B},  // BACKSLASH
    {51, 0x27},  // SEMICOLON
    {52, 0x28},  // APOSTROPHE
    {53, 0x29},  // GRAVE
    {54, 0x33},  // COMMA
    {55, 0x34},  // PERIOD
    {56, 0x35},  // SLASH
    {57, 0x3A},  // CAPITAL
    {58, 0x3B},  // F1
    {59, 0x3C},  // F2
    {60, 0x3D},  // F3
    {61, 0x3E},  // F4
    {62, 0x3F},  // F5
    {63, 0x40},  // F6
    {64, 0x41},  // F7
    {65, 0x42},  // F8
    {66, 0x43},  // F9
    {67, 0x44},  // F10
    {68, 0x57},  // F11
    {69, 0x58},  // F12
    {70, 0xB7},  // SYSRQ
    {71, 0x46},  // SCROLL
    {72, 0xC5},  // PAUSE
    {73, 0xD2},  // INSERT
    {74, 0xC7},  // HOME
    {75, 0xC9},  // PRIOR
    {76, 0xD3},  // DELETE
    {77, 0xCF},  // END
    {78, 0xD1},  // NEXT
    {79, 0xCD},  // RIGHT
    {80, 0xCB},  // LEFT
    {81, 0xD0},  // DOWN
    {82, 0xC8},  // UP
    {83, 0x45},  // NUMLOCK
    {84, 0xB5},  // DIVIDE
    {85, 0x37},  // MULTIPLY
    {86, 0x4A},  // SUBTRACT
    {87, 0x4E},  // ADD
    {88, 0x9C},  // NUMPADENTER
    {89, 0x4F},  // NUMPAD1
    {90, 0x50},  // NUMPAD2
    {91, 0x51},  // NUMPAD3
    {92, 0x4B},  // NUMPAD4
    {93, 0x4C},  // NUMPAD5
    {94, 0x4D},  // NUMPAD6
    {95, 0x47},  // NUMPAD7
    {96, 0x48},  // NUMPAD8
    {97, 0x49},  // NUMPAD9
    {98, 0x52},  // NUMPAD0
    {99, 0x53},  // DECIMAL
    {100, 0x56}, // OEM_102
    {101, 0xDD}, // APPS
    {102, 0xDE}, // POWER
    {103, 0x8D}, // NUMPADEQUALS
    {104, 0x64}, // F13
    {105, 0x65}, // F14
    {106, 0x66}, // F15
    {127, 0xA0}, // MUTE
    {128, 0xB0}, // VOLUMEUP
    {129, 0xAE}, // VOLUMEDOWN
    {133, 0xB3}, // NUMPADCOMMA
    {135, 0x73}, // ABNT_C1
    {136, 0x70}, // KANA
    {137, 0x7D}, // YEN
    {138, 0x79}, // CONVERT
    {139, 0x7B}, // NOCONVERT
    {224, 0x1D}, // LCONTROL
    {225, 0x2A}, // LSHIFT
    {226, 0x38}, // LMENU
    {227, 0xDB}, // LWIN
    {228, 0x9D}, // RCONTROL
    {229, 0x36}, // RSHIFT
    {230, 0xB8}, // RMENU
    {231, 0xDC}, // RWIN
    {258, 0x99}, // NEXTTRACK
    {259, 0x90}, // PREVTRACK
    {260, 0xA4}, // MEDIASTOP
    {261, 0xA2}, // PLAYPAUSE
    {262, 0xA0}, // MUTE
    {263, 0xED}, // MEDIASELECT
    {264, 0xB2}, // WEBHOME
    {265, 0xEC}, // MAIL
    {266, 0xA1}, // CALCULATOR
    {267, 0xEB}, // MYCOMPUTER
    {268, 0xE5}, // WEBSEARCH
    {269, 0xB2}, // WEBHOME
    {270, 0xEA}, // WEBBACK
    {271, 0xE9}, // WEBFORWARD
    {272, 0xE8}, // WEBSTOP
    {273, 0xE7}, // WEBREFRESH
    {274, 0xE6}, // WEBFAVORITES
    {282, 0xDF}, // SLEEP
};

} // namespace

int DikFromScancode(int scancode) {
    for (const KeyPair& pair : kKeyTable)
        if (pair.scancode == scancode) return pair.dik;
    return 0;
}

int ScancodeFromDik(int dik) {
    for (const KeyPair& pair : kKeyTable)
        if (pair.dik == dik) return pair.scancode;
    return 0;
}

} // namespace platform
