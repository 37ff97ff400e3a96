// The screens without a menu: the title with its loading text while the
// game starts, and the closing picture that ends the program.
#include <strings.h>

#include "Jentra/JTFrameClock.h"
#include "Jentra/JTKeyboard.h"
#include "Jentra/JTMessages.h"
#include "Jentra/JTMouse.h"
#include "Jentra/JTRegistry.h"
#include "Jentra/JTScene.h"
#include "Jentra/JTEventQueue.h"
#include "JTControls/JTText.h"
#include "chess/game/chess_game.h"
#include "chess/game/menus.h"

namespace {

constexpr const char* kIntroModel = "Chess\\Intro.jtm";
constexpr float kIntroScale = 2.0f;
const JTVec3 kLoadingTextOffset(0.0f, -0.65f, 0.0f);
// Set once the textures have been converted on this machine.
constexpr const char* kDecompressedValue = "TexturesDecompressed";

constexpr const char* kPromoModel = "Chess\\Promo.jtm";
constexpr float kPromoScale = 1.8f;

} // namespace

// --- intro ------------------------------------------------------------------

void IntroMenu::Build() {
    AddPicture(kIntroModel, JTVec3(), kIntroScale);
    JTText* label = AddText("", kLoadingTextOffset);
    if (label) text = label->GetID();

    DWORD decompressed = 0;
    if (gpRegistry) gpRegistry->QueryValue(kDecompressedValue, &decompressed, HKEY_LOCAL_MACHINE);
    decompressing = decompressed == 0;
    if (decompressing && gpRegistry)
        gpRegistry->SetValue(kDecompressedValue, DWORD(1), HKEY_LOCAL_MACHINE);
    ShowLoadingText(decompressing ? "Decompressing textures\n.." : "Loading\n..");
}

void IntroMenu::ShowLoadingText(const char* value) {
    comm.Send(text, JTMSG_SETTEXT, const_cast<char*>(value));
}

// --- closing screen ---------------------------------------------------------

void ExitLogoMenu::Build() {
    if (JTScene* scene = GetScene()) {
        for (int i = 0; i < scene->GetNumChildren(); ++i) {
            JTEntity* entity = scene->GetChild(i);
            const char* name = entity ? entity->GetName() : nullptr;
            if (!name) continue;
            for (const char* logo : ChessGame::kLogoNames)
                if (strcasecmp(name, logo) == 0) scene->Delete(entity);
        }
    }
    // The help itself is hidden under this screen as under every menu.
    SetText(Game().GetHelpText(), "");
    DrawOnTop(AddPicture(kPromoModel, JTVec3(), kPromoScale));
    startTime = gdwRealTime;
    built = true;
}

void ExitLogoMenu::Update(JTSequencer* sequencer) {
    JTDialog::Update(sequencer);
    if (!built || !IsCurrent()) return;
    bool done = gdwRealTime - startTime > kShowMs;
    if (gpJTKeyboard && !gpJTKeyboard->IsCaptured())
        done = done || gpJTKeyboard->KeyPress(DIK_ESCAPE, JTMOD_NONE) ||
               gpJTKeyboard->KeyPress(DIK_SPACE, JTMOD_NONE);
    if (gpJTMouse) done = done || gpJTMouse->Pressed(0);
    if (!done) return;
    built = false; // the program ends once
    JTPostQuit();
}
