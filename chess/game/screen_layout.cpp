// Where the interface's own lines and logos stand: the banner over the
// board, "F1 for help" in the top left corner (the help's own lines in two
// columns in the top corners), the two logos in the bottom corners and the
// notice between them. Seen from behind either side, the board's near edge
// comes down to about 0.88 of the screen's half height (on a 4:3 screen;
// less on squarer ones); the far pieces reach up to about 0.8 in the middle,
// where the kings and queens stand, and to 0.75 at the corners, within 0.75
// of the half width of the centre; captured pieces stand beside the board
// at the screen's left and right edges, no higher than 0.55: the top edge,
// the bottom corners and the strip under the board stay free. Places are
// given as shares of the interface's half width (x) and half height (y), so
// they hold on every screen shape, and follow the display when its shape
// changes.
#include "Jentra/JTCamera.h"
#include "Jentra/JTDisplay.h"
#include "Jentra/JTProtobase.h"
#include "Jentra/JTScene.h"
#include "JTControls/JTText.h"
#include "chess/game/chess_game.h"

#include <strings.h>

#include <cmath>

namespace {

// "F1 for help" starts at the left edge, on the banner's line.
constexpr float kHelpLeft = -0.96f;
// The help's lines, smaller than the menus' text, hang from just under the
// top edge in two columns, one from the left edge and one from the right,
// with the banner's word and the tallest far pieces between them. Three
// lines of this size on their plate end at 0.79 of the half height on a
// 4:3 screen, above the far corners' pieces.
constexpr float kHelpLinesScale = 0.00108f;
constexpr float kHelpLinesTop = 0.01f; // under the top edge, in interface units
// The logos' centres, in the bottom corners under the board's near corners.
constexpr float kLogoX = 0.84f;
constexpr float kLogoHeight = -0.93f;
// The notice, under the board between the logos, a little smaller than the
// menus' text.
constexpr float kNoticeHeight = -0.94f;

float HalfHeight() {
    return gpJTDisplay ? gpJTDisplay->GetInvAspect() : 0.75f;
}

} // namespace

const char* const ChessGame::kLogoNames[2] = {"PellixLogo", "JentraLogo"};

JTVec3 ChessGame::LogoPosition(int logo) {
    return JTVec3(logo == 0 ? -kLogoX : kLogoX, kLogoHeight * HalfHeight(), 1.0f);
}

JTEntity* ChessGame::AddInterfaceText(float scale) {
    if (!gpJTProtobase || !interfaceScene) return nullptr;
    JTEntity* text = gpJTProtobase->Create(nullptr, "JTControls.dll", "JTText");
    if (!text) return nullptr;
    text->SetScale(scale);
    text->SetPickable(false);
    interfaceScene->Add(text);
    return text;
}

void ChessGame::PlaceInterface() {
    const float top = HalfHeight();
    if (banner) banner->SetPos(JTVec3(0.0f, kBannerHeight * top, 1.0f));
    if (noticeText) noticeText->SetPos(JTVec3(0.0f, kNoticeHeight * top, 1.0f));
    if (auto* help = dynamic_cast<JTText*>(helpColumns[0])) {
        if (helpOn) {
            help->SetPos(JTVec3(kHelpLeft, top - kHelpLinesTop, 1.0f));
            help->SetScale(kHelpLinesScale);
            help->SetAlignment(TOP_LEFT);
        } else {
            help->SetPos(JTVec3(kHelpLeft, kBannerHeight * top, 1.0f));
            help->SetScale(kInterfaceTextScale);
            help->SetAlignment(MIDDLE_LEFT);
        }
    }
    if (auto* help = dynamic_cast<JTText*>(helpColumns[1])) {
        help->SetPos(JTVec3(-kHelpLeft, top - kHelpLinesTop, 1.0f));
        help->SetScale(kHelpLinesScale);
        help->SetAlignment(TOP_RIGHT);
    }
    PlaceHelpPanel();
    for (int i = 0; interfaceScene && i < interfaceScene->GetNumChildren(); ++i) {
        JTEntity* entity = interfaceScene->GetChild(i);
        const char* name = entity ? entity->GetName() : nullptr;
        for (int logo = 0; name && logo < 2; ++logo)
            if (strcasecmp(name, kLogoNames[logo]) == 0) entity->SetPos(LogoPosition(logo));
    }
}

void ChessGame::FollowDisplayShape() {
    if (!gpJTDisplay || !interfaceCamera) return;
    const float aspect = gpJTDisplay->GetAspect();
    if (std::fabs(aspect - interfaceCamera->GetAspect()) < 1e-4f) return;
    // A new display mode of another shape: the pictures keep their
    // proportions and the interface its places.
    interfaceCamera->SetAspect(aspect);
    if (mainCamera) mainCamera->SetAspect(aspect);
    PlaceInterface();
}
