// The effect-file format and its building on a device: what a file may
// say and the line an error names, the first technique that builds being
// chosen, and passes that draw with their own states, parameter values and
// textures (proven by pixels on software GL).
#include "Jentra/render/compiled_effect.h"
#include "Jentra/render/effect_source.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "effect_quad.h"
#include "tests/platform/render/device_fixture.h"
#include "platform/binary_io.h"
#include "platform/render/device.h"

using jentra::effects::EffectSource;
using jentra::effects::ParamKind;
using jentra::effects::ParseEffectSource;
using namespace platform::render;

namespace {

// A quad over the whole view in the engine's vertex, drawn with identity
// matrices; colour = uniform tint x texture, added on in a second pass.
const char* const kTwoPassEffect = R"(# two passes
param vector vTNT
param texture mTEX
param matrix mWVP

common
vec4 Tint() { return vTNT; }
end

technique broken
pass
vertex
void main() { gl_Position = this is not GLSL; }
end
fragment
out vec4 colour;
void main() { colour = vec4(1.0); }
end

technique working
pass first
cull none
zenable off
blend off
vertex
out vec2 uv;
void main() { uv = inTexCoord; gl_Position = jtToClip(mWVP * vec4(inPosition, 1.0)); }
end
fragment
in vec2 uv;
out vec4 colour;
void main() { colour = vec4(Tint().rgb, 1.0); }
end
pass second
cull none
zenable off
blend one one add
vertex
out vec2 uv;
void main() { uv = inTexCoord; gl_Position = jtToClip(mWVP * vec4(inPosition, 1.0)); }
end
fragment
in vec2 uv;
out vec4 colour;
void main() { colour = texture(mTEX, uv); }
end
)";

TEST(EffectSource, ReadsParametersTechniquesAndPasses) {
    EffectSource source;
    std::string error;
    ASSERT_TRUE(ParseEffectSource(kTwoPassEffect, source, &error)) << error;
    ASSERT_EQ(source.params.size(), 3u);
    EXPECT_EQ(source.params[0].kind, ParamKind::Vector);
    EXPECT_EQ(source.params[1].kind, ParamKind::Texture);
    EXPECT_EQ(source.params[2].name, "mWVP");
    ASSERT_EQ(source.techniques.size(), 2u);
    EXPECT_EQ(source.techniques[1].name, "working");
    ASSERT_EQ(source.techniques[1].passes.size(), 2u);
    const auto& second = source.techniques[1].passes[1];
    EXPECT_EQ(second.name, "second");
    // cull, zenable, then blend as enable, source, destination, operation.
    ASSERT_EQ(second.states.size(), 6u);
    EXPECT_EQ(second.states[2].state, uint32_t(D3DRS_ALPHABLENDENABLE));
    EXPECT_EQ(second.states[3].value, uint32_t(D3DBLEND_ONE));
    EXPECT_NE(second.fragment.find("texture(mTEX, uv)"), std::string::npos);
    EXPECT_NE(source.common.find("Tint()"), std::string::npos);
}

TEST(EffectSource, ErrorsNameTheLine) {
    struct Case {
        const char* text;
        const char* line;
    } cases[] = {
        {"param matrix mWVP\nparam vector mWVP\n", "line 2"},
        {"param colour vX\n", "line 1"},
        {"param float gl_Thing\n", "line 1"},
        {"technique t\npass\ncull sideways\n", "line 3"},
        {"technique t\npass\nblend srcalpha\n", "line 3"},
        {"technique t\npass\nalphatest 300 greater\n", "line 3"},
        {"technique t\npass\nvertex\nvoid main() {}\n", "line 3"},
        {"technique t\npass\nvertex\nvoid main() {}\nend\ntechnique u\n", "line 6"},
        {"technique t\ntechnique u\n", "line 2"},
        {"cull none\n", "line 1"},
        {"# nothing but a comment\n", "line 1"},
    };
    for (const Case& c : cases) {
        EffectSource source;
        std::string error;
        EXPECT_FALSE(ParseEffectSource(c.text, source, &error)) << c.text;
        EXPECT_EQ(error.rfind(c.line, 0), 0u) << c.text << " -> " << error;
    }
}

class CompiledEffectTest : public device_test::DeviceTest {};

TEST_F(CompiledEffectTest, TheFirstTechniqueThatBuildsDrawsEachPass) {
    Open(DeviceKind::OpenGL);
    EffectSource source;
    ASSERT_TRUE(ParseEffectSource(kTwoPassEffect, source, nullptr));
    std::string log;
    auto effect = JTCompiledEffect::Build(*device, source, &log);
    ASSERT_TRUE(effect) << log;
    EXPECT_EQ(effect->GetTechniqueName(), "working");

    auto texture = device->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    D3DLOCKED_RECT rect;
    texture->LockRect(0, &rect, 0);
    *static_cast<uint32_t*>(rect.pBits) = 0xFF0000FF; // blue
    texture->UnlockRect(0);
    EXPECT_TRUE(effect->SetVector("vTNT", 1, 0, 0, 1));
    EXPECT_TRUE(effect->SetTexture("mTEX", texture.get()));
    EXPECT_TRUE(effect->SetMatrix("mWVP", JTMatrix()));
    EXPECT_FALSE(effect->SetVector("mWVP", 0, 0, 0, 0)); // a matrix, not a vector
    EXPECT_FALSE(effect->SetFloat("fNONE", 1));

    device->BeginScene();
    device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    EXPECT_EQ(effect_quad::DrawFullQuad(*device, *effect), 2);
    device->EndScene();
    Capture();
    EXPECT_EQ(Pixel(32, 32), 0xFF00FFu); // red from the first pass, blue added by the second
    EXPECT_EQ(device->TakeErrors(), 0);
    EXPECT_EQ(device->GetProgram(), nullptr); // End went back to fixed function
    EXPECT_EQ(device->GetTexture(0), nullptr);
}

// One texture parameter; green where none is bound.
const char* const kOptionalTextureEffect = R"(param texture mTEX
param texture mUNUSED
technique only
pass
cull none
zenable off
vertex
out vec2 uv;
void main() { uv = inTexCoord; gl_Position = jtToClip(vec4(inPosition, 1.0)); }
end
fragment
in vec2 uv;
out vec4 colour;
void main() {
    colour = jtHas_mTEX > 0.5 ? texture(mTEX, uv) : vec4(0.0, 1.0, 0.0, 1.0);
    if (jtHas_mUNUSED > 0.5) colour = vec4(1.0);
}
end
)";

TEST_F(CompiledEffectTest, APassIsBuiltForTheTexturesBoundAndDrawsAsTheFileSays) {
    Open(DeviceKind::OpenGL);
    EffectSource source;
    ASSERT_TRUE(ParseEffectSource(kOptionalTextureEffect, source, nullptr));
    std::string log;
    auto effect = JTCompiledEffect::Build(*device, source, &log);
    ASSERT_TRUE(effect) << log;
    auto texture = device->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    D3DLOCKED_RECT rect;
    texture->LockRect(0, &rect, 0);
    *static_cast<uint32_t*>(rect.pBits) = 0xFF0000FF; // blue
    texture->UnlockRect(0);

    // Bound, unbound, bound again: each draw shows what the file says for
    // the textures bound at that moment.
    for (platform::render::Texture* bound :
         {texture.get(), (platform::render::Texture*)nullptr, texture.get()}) {
        effect->SetTexture("mTEX", bound);
        device->BeginScene();
        device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        ASSERT_EQ(effect->Begin(), 1);
        ASSERT_TRUE(effect->Pass(0));
        // The program drawing knows which textures it has: what a missing
        // one would add is not there to be run.
        const platform::render::Program* program = device->GetProgram();
        ASSERT_NE(program, nullptr);
        EXPECT_NE(program->FragmentSource().find(std::string("const float jtHas_mTEX = ") +
                                                 (bound ? "1.0" : "0.0")),
                  std::string::npos);
        EXPECT_NE(program->FragmentSource().find("const float jtHas_mUNUSED = 0.0"),
                  std::string::npos);
        effect->End();
        EXPECT_EQ(effect_quad::DrawFullQuad(*device, *effect), 1);
        device->EndScene();
        Capture();
        EXPECT_EQ(Pixel(32, 32), bound ? 0x0000FFu : 0x00FF00u);
    }
    EXPECT_EQ(device->TakeErrors(), 0);
}

TEST_F(CompiledEffectTest, NoTechniqueThatBuildsGivesEveryReason) {
    Open(DeviceKind::OpenGL);
    EffectSource source;
    const char* text = "technique a\npass\nvertex\nbad a\nend\nfragment\nbad\nend\n"
                       "technique b\npass\nvertex\nworse b\nend\nfragment\nbad\nend\n";
    ASSERT_TRUE(ParseEffectSource(text, source, nullptr));
    std::string log;
    EXPECT_FALSE(JTCompiledEffect::Build(*device, source, &log));
    EXPECT_NE(log.find("technique \"a\""), std::string::npos) << log;
    EXPECT_NE(log.find("technique \"b\""), std::string::npos) << log;
}

} // namespace

namespace {

// Every effect file the engine ships reads and builds on software GL.
TEST_F(CompiledEffectTest, EveryShippedEffectFileBuilds) {
    Open(DeviceKind::OpenGL);
    const char* runtime = std::getenv("JENTRA_RUNTIME_DIR");
    ASSERT_NE(runtime, nullptr);
    const char* const files[] = {
        "ParkPiece.eft",   "FireKnight.eft",  "FireKnightAlpha.eft", "FireKnightShadow.eft",
        "Monitor.eft",     "WetIce.eft",      "WingDing.eft",        "Membrane.eft",
        "BumpDiffuse.eft", "BumpReflect.eft", "Shadow.eft",          "Halo.eft",
    };
    for (const char* file : files) {
        std::string text, error;
        ASSERT_TRUE(platform::ReadWholeFile(std::string(runtime) + "/" + file, text, &error))
            << error;
        EffectSource source;
        ASSERT_TRUE(ParseEffectSource(text, source, &error)) << file << ": " << error;
        auto effect = JTCompiledEffect::Build(*device, source, &error);
        EXPECT_TRUE(effect) << file << ": " << error;
        // The first technique is the one meant for this device.
        if (effect) {
            EXPECT_EQ(effect->GetTechniqueName(), source.techniques[0].name) << file;
        }
    }
    EXPECT_EQ(device->TakeErrors(), 0);
}

// An unbound texture unit reads black, which as a bump map is a normal
// pointing inwards: every function of a shipped file that samples its bump
// map also asks whether one is bound.
TEST(ShippedEffectFiles, ReadTheirBumpMapOnlyWhenOneIsBound) {
    const char* runtime = std::getenv("JENTRA_RUNTIME_DIR");
    ASSERT_NE(runtime, nullptr);
    int samples = 0;
    for (const auto& entry : std::filesystem::directory_iterator(runtime)) {
        if (entry.path().extension() != ".eft") continue;
        std::string text, error;
        ASSERT_TRUE(platform::ReadWholeFile(entry.path().string(), text, &error)) << error;
        for (size_t at = text.find("texture(mBUM"); at != std::string::npos;
             at = text.find("texture(mBUM", at + 1)) {
            ++samples;
            // The function around it: from the last line that opens a body
            // at the left margin to the brace that closes it there.
            const size_t header = text.rfind(") {\n", at);
            const size_t begin = header == std::string::npos ? 0 : text.rfind('\n', header) + 1;
            const size_t end = text.find("\n}", at);
            const std::string function = text.substr(begin, end - begin);
            EXPECT_NE(function.find("jtHas_mBUM"), std::string::npos)
                << entry.path().filename() << ":\n"
                << function;
        }
    }
    EXPECT_GT(samples, 0);
}

} // namespace
