// The cursor's default services over the engine's mouse, keyboard and game.
#include "Jentra/JTCursor.h"

#include "Jentra/JTGame.h"
#include "Jentra/JTGlobals.h"
#include "Jentra/JTKeyboard.h"
#include "Jentra/JTMouse.h"

void JTEngineCursorServices::ReadInput(JTCursorInput& input) {
    input = JTCursorInput{};
    if (JTMouse* mouse = gpJTMouse) {
        input.relX = mouse->GetRelX();
        input.relY = mouse->GetRelY();
        for (int b = 0; b < 2; ++b) {
            input.pressed[b] = mouse->Pressed(b);
            input.doubleClicked[b] = mouse->DoubleClicked(b);
            input.released[b] = mouse->Released(b);
        }
    }
    if (JTKeyboard* keyboard = gpJTKeyboard) input.shift = keyboard->Shift();
}

void JTEngineCursorServices::SetMouseRelative(bool on) {
    if (gpJTMouse) gpJTMouse->SetRelative(on);
}

JTScene* JTEngineCursorServices::GetMainScene() {
    return gpJTGame ? gpJTGame->GetMainScene() : nullptr;
}
