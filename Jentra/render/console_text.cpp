// Drawing the console's text: a screen text of the console in the bottom
// left and of the statistics line in the top left, made with the engine
// font and drawn plainly, without depth, through a camera of its own.
#include "Jentra/render/console_text.h"

#include <cmath>
#include <memory>

#include "Jentra/JTConsole.h"
#include "Jentra/JTDisplay.h"
#include "Jentra/JTEffects.h"
#include "Jentra/JTFont.h"
#include "Jentra/JTGeoNode.h"

namespace {

// The console's camera: a quarter turn across, 0.5 to 100 deep.
constexpr float kFieldOfView = 1.5707964f;
constexpr float kNear = 0.5f;
constexpr float kFar = 100.0f;
// Depth the texts are placed at, and their sizes.
constexpr float kTextDepth = 0.75f;
constexpr float kConsoleSize = 2.0f;
constexpr float kStatsSize = 1.8f;
constexpr unsigned long kWhite = 0xFFFFFFFFul;

std::unique_ptr<JTGeoNode> gTextNode;
std::unique_ptr<JTGeoNode> gStatsNode;

// A screen text drawn with a plain JTEffect_Simple on the font's texture,
// with neither depth test nor depth writes.
std::unique_ptr<JTGeoNode> ScreenText(JTDisplay* display, const char* text, float size,
                                      center align, float x, float y) {
    if (!gpFont1 || !text || !*text) return nullptr;
    const float angleX = kFieldOfView;
    const float angleY = 2.0f * std::atan(std::tan(kFieldOfView / 2) / display->GetAspect());
    std::unique_ptr<JTGeoNode> node(gpFont1->MakeScreenText(
        angleX, angleY, text, size, align, JTVec3(x, y, kTextDepth), 1.0f, kWhite, 0, false));
    // The trail the font gives its texts is replaced by a plain effect.
    auto* plain = new JTEffect_Simple;
    plain->texture = gpFont1->GetTexture();
    plain->depthTest = false;
    plain->depthWrite = false;
    JTEffect* old = node->GetEffect();
    bool owned = node->OwnsEffect();
    node->SetEffect(plain, true);
    if (owned) delete old;
    return node;
}

D3DMATRIX ToDevice(const JTMatrix& m) {
    D3DMATRIX out;
    std::memcpy(out.m, m.m, sizeof out.m);
    return out;
}

} // namespace

void JTReleaseConsoleText() {
    gTextNode.reset();
    gStatsNode.reset();
}

void JTRenderConsoleText(JTDisplay* display) {
    JTReleaseConsoleText();
    if (!display || !display->GetDevice() || !gpJTConsole) return;
    gTextNode =
        ScreenText(display, gpJTConsole->GetScreenText(), kConsoleSize, BOTTOM_LEFT, -1, -1);
    char stats[64];
    gpJTConsole->GetStatsText(display->GetFramesPerSec(), display->GetTrisPerSec(), stats,
                              sizeof stats);
    gStatsNode = ScreenText(display, stats, kStatsSize, TOP_LEFT, -1, 1);
    if (!gTextNode && !gStatsNode) return;

    platform::render::Device* device = display->GetDevice();
    display->SetDefaultStates();
    device->SetViewport(
        {0, 0, uint32_t(display->GetWidth()), uint32_t(display->GetHeight()), 0.0f, 1.0f});
    device->SetTransform(D3DTS_WORLD, ToDevice(JTMatrix()));
    device->SetTransform(D3DTS_VIEW, ToDevice(JTMatrix()));
    JTMatrix projection;
    projection.Perspective(kNear, kFar, kFieldOfView, display->GetAspect());
    device->SetTransform(D3DTS_PROJECTION, ToDevice(projection));
    display->SetLighting(false);
    for (JTGeoNode* node : {gTextNode.get(), gStatsNode.get()})
        if (node) node->Render(display);
}
