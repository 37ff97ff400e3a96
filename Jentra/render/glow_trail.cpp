// The streaming trail's copies, how far they spread on the screen, and the
// pass that adds the glow copies of a trail that holds still at once.
#include "Jentra/render/glow_trail.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "Jentra/JTCamera.h"
#include "Jentra/JTDisplay.h"
#include "Jentra/JTGeoNode.h"
#include "Jentra/JTMesh.h"
#include "Jentra/render/compiled_effect.h"
#include "Jentra/render/effect_source.h"
#include "platform/render/device.h"

namespace jentra::glow {

namespace {

// The glow pass, as an effect file. Each copy's own pass would write its
// colour and alpha as whole steps of 1/255, keep only an alpha of at least
// the alpha reference, and add colour x alpha over the scene, the product
// rounded to a whole step; sums past 255 stop there. The pass does the same
// sums copy by copy and adds them at once: red and blue (255 steps in the
// glow of a white texture) add the copies' alphas themselves, green adds
// the rounded products, the alpha channel their squares.
const char* const kGlowHead = R"(
param matrix  mWVP
param texture mTXT
param vector  vWA0
param vector  vWA1
param vector  vWA2
param vector  vWA3
param vector  vCOL
param vector  vM00
param vector  vM01
param vector  vM02
param vector  vM03
param vector  vM04
param vector  vM05
param vector  vM06
param vector  vM07
param vector  vM08
param vector  vM09
param vector  vM10
param vector  vM11
param vector  vM12
param vector  vM13

common
float Steps(float x) {
    return floor(clamp(x, 0.0, 1.0) * 255.0 + 0.5);
}
float StepProduct(float a, float b) {
    float t = a * b;
    return floor((t + floor(t / 256.0) + 128.0) / 256.0);
}
end

technique added
pass
zenable off
zwrite off
JT_BLEND
alphatest off
vertex
out vec2 uv;
out vec4 clip;
void main() {
    uv = inTexCoord;
    clip = mWVP * vec4(inPosition, 1.0);
    gl_Position = jtToClip(clip);
}
end
fragment
in vec2 uv;
in vec4 clip;
out vec4 colour;
void main() {
    vec4 texel = jtHas_mTXT > 0.5 ? texture(mTXT, uv) : vec4(1.0);
    // Where on the screen a copy's point lands relative to the node's (in
    // the projection's units), and the texture coordinates a step on the
    // screen moves by: a copy shows here what the node shows that far back.
    vec2 here = clip.xy / clip.w;
    mat2 screenSteps = mat2(dFdx(here), dFdy(here));
    float det = determinant(screenSteps);
    mat2 toTexture = abs(det) > 1e-20 ? mat2(dFdx(uv), dFdy(uv)) * inverse(screenSteps) : mat2(0.0);
    vec3 source = vec3(Steps(texel.r * vCOL.r), Steps(texel.g * vCOL.g), Steps(texel.b * vCOL.b));
    float sum = 0.0, squares = 0.0, a, green = 0.0;
)";

// The glow alone, added over the scene.
const char* const kGlowTail = R"(
    vec4 added = vec4(source.r * sum / 255.0, green, source.b * sum / 255.0, squares / 255.0);
    colour = min(added, 255.0) / 255.0;
}
end
)";

// The glow under the node itself, in white: the node's pass lays its
// colour over the scene with the glow added, weighted by the node's alpha
// (alpha-tested as well). What the node's alpha leaves of the glow is
// written here; what it leaves of the scene, the blending keeps.
const char* const kGlowAndNodeTail = R"(
    vec3 glow = min(vec3(source.r * sum / 255.0, green, source.b * sum / 255.0), 255.0);
    float node = Steps(texel.a);
    if (node < vCOL.w) discard;
    vec3 white = vec3(Steps(texel.r), Steps(texel.g), Steps(texel.b));
    vec3 laid = vec3(StepProduct(white.r, node), StepProduct(white.g, node),
                     StepProduct(white.b, node));
    vec3 kept = vec3(StepProduct(glow.r, 255.0 - node), StepProduct(glow.g, 255.0 - node),
                     StepProduct(glow.b, 255.0 - node));
    colour = vec4(min(laid + kept, 255.0), node) / 255.0;
}
end
)";

// The copies whose alpha is read where they lie. The copies between two of
// them (or the last of them and the node) lie between them on the trail,
// hundredths of a pixel apart, and take their alpha in proportion.
const int kReadCopies[] = {0, 7};

// The whole pass: the reads, then each copy's addition written out, and
// the node's own colour when it comes with it.
std::string GlowSource(bool withNode) {
    std::vector<int> reads(std::begin(kReadCopies), std::end(kReadCopies));
    std::string text = kGlowHead;
    text.replace(text.find("JT_BLEND"), 8, withNode ? "blend one invsrcalpha" : "blend one one");
    char line[256];
    for (size_t j = 0; j < reads.size(); ++j) {
        std::snprintf(line, sizeof line,
                      "    float read%zu = jtHas_mTXT > 0.5 ? texture(mTXT, uv - toTexture * "
                      "((clip.xy + vM%02d.xy) / (clip.w + vM%02d.w) - here)).a : 1.0;\n",
                      j, reads[j], reads[j]);
        text += line;
    }
    std::snprintf(line, sizeof line, "    float read%zu = texel.a;\n", reads.size());
    text += line;
    reads.push_back(kGlowCopies);
    size_t j = 0;
    for (int i = 0; i < kGlowCopies; ++i) {
        while (j + 2 < reads.size() && reads[j + 1] <= i)
            ++j;
        std::snprintf(line, sizeof line,
                      "    a = Steps(mix(read%zu, read%zu, %d.0 / %d.0) * vWA%d.%c);\n"
                      "    a *= step(vCOL.w, a);\n"
                      "    sum += a;\n"
                      "    green += StepProduct(source.g, a);\n"
                      "    squares += a * a;\n",
                      j, j + 1, i - reads[j], reads[j + 1] - reads[j], i / 4, "xyzw"[i % 4]);
        text += line;
    }
    return text + (withNode ? kGlowAndNodeTail : kGlowTail);
}

// Vertices beyond which a trail is not measured for holding still: the
// measure walks them all, and a text has a few hundred.
constexpr unsigned kMostMeasuredVertices = 4096;

bool gOnePassGlow = true;
// The two passes (the glow alone, the glow with the node), each built on
// first need; a pass that did not build is not tried again until the next
// release.
JTCompiledEffect* gGlowPasses[2] = {};
bool gGlowPassFailed[2] = {};

void ReleaseGlowPasses() {
    for (int i = 0; i < 2; ++i) {
        delete gGlowPasses[i];
        gGlowPasses[i] = nullptr;
        gGlowPassFailed[i] = false;
    }
}

// The pass for the device; null when it does not build there.
JTCompiledEffect* GlowPassFor(platform::render::Device& device, bool withNode) {
    JTCompiledEffect*& pass = gGlowPasses[withNode];
    if (pass && &pass->GetDevice() != &device) ReleaseGlowPasses();
    if (pass || gGlowPassFailed[withNode]) return pass;
    effects::EffectSource source;
    std::unique_ptr<JTCompiledEffect> built;
    if (effects::ParseEffectSource(GlowSource(withNode), source, nullptr))
        built = JTCompiledEffect::Build(device, source, nullptr);
    pass = built.release();
    gGlowPassFailed[withNode] = pass == nullptr;
    JTDisplay::JoinReleaseList(&ReleaseGlowPasses);
    return pass;
}

} // namespace

void PlanTrail(float timeMs, float opacity, TrailCopy (&copies)[kTrailCopies]) {
    for (int i = 0; i < kTrailCopies; ++i) {
        const float k = float(kTrailCopies - 1 - i) / float(kTrailCopies - 1);
        TrailCopy& copy = copies[i];
        copy.offset.x = std::sin(timeMs * 0.00111111f + 2.0f * k) * 0.05f * 0.4f * k;
        copy.offset.y = (std::cos(timeMs * 0.000793651f + 2.0f * k) * 0.05f - 0.03f) * 0.4f * k;
        copy.offset.z = std::cos(timeMs * 0.000498753f) * 0.3f * 0.6f * k;
        copy.alpha = i == kTrailCopies - 1 ? 1.0f : (1.0f - 0.75f * k) * opacity * 0.15f;
    }
}

float TrailSpread(const TrailCopy (&copies)[kTrailCopies], const JTVec3& boxMin,
                  const JTVec3& boxMax, const JTMatrix& worldViewProj, float width, float height) {
    // Beyond every viewport: the trail is drawn copy by copy.
    constexpr float kUnbounded = 1e9f;
    // Corners this close to the eye's plane land nowhere reliable.
    constexpr float kNearestW = 1e-6f;
    const JTMatrix& m = worldViewProj;
    auto project = [&](const JTVec3& p, float& x, float& y) {
        const float cx = p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0];
        const float cy = p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1];
        const float cw = p.x * m.m[0][3] + p.y * m.m[1][3] + p.z * m.m[2][3] + m.m[3][3];
        if (!(cw > kNearestW)) return false;
        x = cx / cw * width * 0.5f;
        y = cy / cw * height * 0.5f;
        return true;
    };
    float spread = 0.0f;
    for (int corner = 0; corner < 8; ++corner) {
        const JTVec3 p(corner & 1 ? boxMax.x : boxMin.x, corner & 2 ? boxMax.y : boxMin.y,
                       corner & 4 ? boxMax.z : boxMin.z);
        float x = 0, y = 0;
        if (!project(p, x, y)) return kUnbounded;
        for (const TrailCopy& copy : copies) {
            float cx = 0, cy = 0;
            if (!project(p + copy.offset, cx, cy)) return kUnbounded;
            spread = std::max(spread, std::hypot(cx - x, cy - y));
        }
    }
    return std::isfinite(spread) ? spread : kUnbounded;
}

bool TrailHoldsStill(JTDisplay* display, JTGeoNode* node, const TrailCopy (&copies)[kTrailCopies]) {
    // Without lighting the copies are white and solid, drawn as they are.
    if (!display || !node || !display->GetDevice() || !display->GetEnableLighting()) return false;
    const JTCamera* camera = display->GetCurrentCamera();
    const JTMesh* mesh = node->GetMesh();
    if (!camera || !mesh) return false;
    const unsigned count = mesh->GetNumVertices();
    if (count == 0 || count > kMostMeasuredVertices) return false;
    Vert1 v{};
    if (!mesh->GetVertex(0, v)) return false;
    JTVec3 boxMin(v.x, v.y, v.z), boxMax = boxMin;
    for (unsigned i = 1; i < count && mesh->GetVertex(i, v); ++i) {
        boxMin = JTVec3(std::min(boxMin.x, v.x), std::min(boxMin.y, v.y), std::min(boxMin.z, v.z));
        boxMax = JTVec3(std::max(boxMax.x, v.x), std::max(boxMax.y, v.y), std::max(boxMax.z, v.z));
    }
    D3DVIEWPORT8 viewport{};
    display->GetDevice()->GetViewport(&viewport);
    const JTMatrix worldViewProj =
        node->GetRenderMatrix() * camera->GetView() * camera->GetPerspective();
    return TrailSpread(copies, boxMin, boxMax, worldViewProj, float(viewport.Width),
                       float(viewport.Height)) <= kSteadySpread;
}

void SetOnePassGlow(bool on) {
    gOnePassGlow = on;
}

bool GetOnePassGlow() {
    return gOnePassGlow;
}

JTCompiledEffect* PrepareGlowPass(JTDisplay* display, JTGeoNode* node,
                                  platform::render::BaseTexture* texture,
                                  const TrailCopy (&copies)[kTrailCopies], const float (&glow)[3],
                                  bool withNode) {
    platform::render::Device* device = display ? display->GetDevice() : nullptr;
    if (!device || !node) return nullptr;
    JTCompiledEffect* pass = GlowPassFor(*device, withNode);
    if (!pass) return nullptr;
    JTMatrix viewProj;
    if (const JTCamera* camera = display->GetCurrentCamera())
        viewProj = camera->GetView() * camera->GetPerspective();
    const JTMatrix worldViewProj = node->GetRenderMatrix() * viewProj;
    float weights[16] = {};
    for (int i = 0; i < kGlowCopies; ++i)
        weights[i] = std::clamp(copies[i].alpha, 0.0f, 1.0f);
    pass->SetMatrix("mWVP", worldViewProj);
    pass->SetTexture("mTXT", texture);
    pass->SetVector("vWA0", weights[0], weights[1], weights[2], weights[3]);
    pass->SetVector("vWA1", weights[4], weights[5], weights[6], weights[7]);
    pass->SetVector("vWA2", weights[8], weights[9], weights[10], weights[11]);
    pass->SetVector("vWA3", weights[12], weights[13], weights[14], weights[15]);
    pass->SetVector("vCOL", glow[0], glow[1], glow[2], float(kAlphaReference));
    // Each copy's offset as a move in the projection's coordinates.
    const JTMatrix& m = worldViewProj;
    for (int i = 0; i < kGlowCopies; ++i) {
        const JTVec3& o = copies[i].offset;
        char name[8];
        std::snprintf(name, sizeof name, "vM%02d", i);
        pass->SetVector(name, o.x * m.m[0][0] + o.y * m.m[1][0] + o.z * m.m[2][0],
                        o.x * m.m[0][1] + o.y * m.m[1][1] + o.z * m.m[2][1],
                        o.x * m.m[0][2] + o.y * m.m[1][2] + o.z * m.m[2][2],
                        o.x * m.m[0][3] + o.y * m.m[1][3] + o.z * m.m[2][3]);
    }
    return pass;
}

} // namespace jentra::glow
