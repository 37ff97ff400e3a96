// JTGame's part of the window procedure: each window event goes to the
// keyboard or the mouse in the engine's codes, typed text goes to the
// keyboard as single-byte characters, focus changes make the application
// active or inactive, and closing the window ends the program.
#include "Jentra/JTGame.h"
#include "Jentra/JTKeyboard.h"
#include "Jentra/JTMouse.h"
#include "Jentra/JTEventQueue.h"
#include "platform/events.h"
#include "platform/scancodes.h"
#include "platform/window.h"

namespace {

// The characters a key types by itself: Backspace, Tab, Return, Escape.
int ControlCharacter(int scancode) {
    switch (scancode) {
    case platform::ScanBackspace:
        return 8;
    case platform::ScanTab:
        return 9;
    case platform::ScanReturn:
    case platform::ScanKpEnter:
        return 13;
    case platform::ScanEscape:
        return 27;
    default:
        return 0;
    }
}

// Typed text arrives as UTF-8; the engine's texts are single bytes. Code
// points above 255 have no byte and are dropped. Returns the byte count.
int Utf8ToLatin1(const char* text, char* out, int size) {
    int n = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (*p && n < size) {
        unsigned c = *p;
        int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra < 0) { // a stray continuation byte
            ++p;
            continue;
        }
        unsigned code = extra == 0 ? c : c & (0x3F >> extra);
        ++p;
        bool ok = true;
        for (int i = 0; i < extra; ++i, ++p) {
            if ((*p & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            code = (code << 6) | (*p & 0x3F);
        }
        if (ok && code >= 32 && code <= 255 && code != 127) out[n++] = static_cast<char>(code);
    }
    return n;
}

// Window-layer button numbers to the engine's: 0 left, 1 right, 2 middle,
// 3 the first extra button.
int EngineButton(int windowButton) {
    switch (windowButton) {
    case 1:
        return 0;
    case 3:
        return 1;
    case 2:
        return 2;
    case 4:
        return 3;
    default:
        return -1;
    }
}
} // namespace

void JTGame::DispatchEvent(const platform::Event& event) {
    using platform::EventType;
    // Focus and closing concern the game only for its own window: another
    // window of the program (an editor) closing must not end the game.
    const bool ownWindow =
        event.windowId == 0 || !m_mainWindow || event.windowId == m_mainWindow->Id();
    switch (event.type) {
    case EventType::KeyDown:
    case EventType::KeyUp: {
        bool down = event.type == EventType::KeyDown;
        if (gpJTKeyboard) {
            gpJTKeyboard->OnScancode(event.key.scancode, down);
            // Control characters come with the key (and its repeats), not as text.
            int c = down ? ControlCharacter(event.key.scancode) : 0;
            if (c) gpJTKeyboard->ProcessChar(static_cast<unsigned char>(c));
        }
        break;
    }
    case EventType::TextInput:
        if (gpJTKeyboard) {
            char latin[sizeof event.text];
            int n = Utf8ToLatin1(event.text, latin, sizeof latin);
            for (int i = 0; i < n; ++i)
                gpJTKeyboard->ProcessChar(static_cast<unsigned char>(latin[i]));
        }
        break;
    case EventType::MouseMove:
        if (gpJTMouse) gpJTMouse->OnMotion(event.motion.dx, event.motion.dy);
        break;
    case EventType::MouseWheel:
        if (gpJTMouse) gpJTMouse->OnWheel(event.wheel.dy);
        break;
    case EventType::MouseButtonDown:
    case EventType::MouseButtonUp:
        if (gpJTMouse)
            gpJTMouse->OnButton(EngineButton(event.button.button),
                                event.type == EventType::MouseButtonDown);
        break;
    case EventType::FocusLost:
    case EventType::FocusGained: {
        if (!ownWindow) break;
        bool lost = event.type == EventType::FocusLost;
        SetAppActive(!lost);
        // Coming back from the task bar restores a minimised window; the
        // engine draws its own pointer while active, the system's outside.
        if (!lost && m_mainWindow && m_mainWindow->IsMinimized()) m_mainWindow->Raise();
        platform::ShowMouseCursor(lost);
        if (gpJTMouse) gpJTMouse->SyncAcquire(lost);
        if (gpJTKeyboard) gpJTKeyboard->SyncAcquire(lost);
        break;
    }
    case EventType::WindowClose:
        // Closing the main window ends the program like the quit key.
        if (ownWindow) JTPostQuit();
        break;
    default:
        break;
    }
}
