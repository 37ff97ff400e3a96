// The particle-system prototype record: its descriptor table (the property
// names stored in ".prp" files, their types and editing ranges, in block
// order) and the keeping in step of each colour with its float channels.
#include "Jentra/JTPartSys.h"

#include <cstring>

JTPropDesc JTPartSysProps::aPropDescs[JTPartSysProps::kNumPropDescs];

namespace {

constexpr float kPi = 3.1415927f;

struct Row {
    const char* name;
    int type;
    float minimum;
    float maximum;
};

// The table in block order. Group markers take no room in the block.
// Entries without a range of their own (flags, names, group markers) offer
// 0..1, texture and colour entries 0..0, as in every engine table.
const Row kRows[] = {
    {"ID", PT_INT, 0, 20},
    {"*Spawning*", PT_GROUP_START, 0, 1},
    {"Reset", PT_BOOL, 0, 1},
    {"On", PT_BOOL, 0, 1},
    {"Num particles", PT_INT, 0, 500},
    {"One shot", PT_BOOL, 0, 1},
    {"Delete when done", PT_BOOL, 0, 1},
    {"Space evenly", PT_BOOL, 0, 1},
    {"Start spread out", PT_BOOL, 0, 1},
    {"Spherical", PT_BOOL, 0, 1},
    {"Kite", PT_BOOL, 0, 1},
    {"Drop particles", PT_BOOL, 0, 1},
    {"Drop velocity", PT_FLOAT, 0, 1},
    {"Spawn radius", PT_FLOAT, 0, 10},
    {"Spawn radius spread", PT_FLOAT, 0, 10},
    {"Spawn height spread", PT_ANGLE, 0, kPi / 2},
    {"Spawn X spread", PT_FLOAT, 0, 10},
    {"Spawn Y spread", PT_FLOAT, 0, 10},
    {"Spawn Z spread", PT_FLOAT, 0, 10},
    {"Spawn Yaw", PT_ANGLE, -kPi, kPi},
    {"Spawn Pitch", PT_ANGLE, -kPi, kPi},
    {"Spawn Roll", PT_ANGLE, -kPi, kPi},
    {"Death Particle", PT_STRING, 0, 1},
    {"Death time", PT_FLOAT, 0, 1},
    {"Attached Particle", PT_STRING, 0, 1},
    {"*EndSpawning*", PT_GROUP_END, 0, 1},
    {"*Movement*", PT_GROUP_START, 0, 1},
    {"Time scale", PT_FLOAT, 0, 5},
    {"Velocity Outward", PT_FLOAT, 0, 10},
    {"Velocity Outward spread", PT_FLOAT, 0, 10},
    {"Velocity X", PT_FLOAT, -10, 10},
    {"Velocity X spread", PT_FLOAT, 0, 10},
    {"Velocity Y", PT_FLOAT, -10, 10},
    {"Velocity Y spread", PT_FLOAT, 0, 10},
    {"Velocity Z", PT_FLOAT, -10, 10},
    {"Velocity Z spread", PT_FLOAT, 0, 10},
    {"Force X", PT_FLOAT, -10, 10},
    {"Force Y", PT_FLOAT, -10, 10},
    {"Force Z", PT_FLOAT, -10, 10},
    {"Force X Fade In", PT_FLOAT, 0, 1},
    {"Force Y Fade In", PT_FLOAT, 0, 1},
    {"Force Z Fade In", PT_FLOAT, 0, 1},
    {"Spiral X", PT_FLOAT, -10, 10},
    {"Spiral Y", PT_FLOAT, -10, 10},
    {"Spiral Z", PT_FLOAT, -10, 10},
    {"Spring X", PT_FLOAT, -10, 10},
    {"Spring Y", PT_FLOAT, -10, 10},
    {"Spring Z", PT_FLOAT, -10, 10},
    {"Turbulence X Amount", PT_FLOAT, 0, 10},
    {"Turbulence X Freq", PT_FLOAT, 0, 100},
    {"Turbulence Y Amount", PT_FLOAT, 0, 10},
    {"Turbulence Y Freq", PT_FLOAT, 0, 100},
    {"Turbulence Z Amount", PT_FLOAT, 0, 10},
    {"Turbulence Z Freq", PT_FLOAT, 0, 100},
    {"Spin", PT_ANGLE, -2 * kPi, 2 * kPi},
    {"Spin spread", PT_ANGLE, 0, 2 * kPi},
    {"Drag", PT_FLOAT, 0, 1},
    {"*EndMovement*", PT_GROUP_END, 0, 1},
    {"*Lifespan*", PT_GROUP_START, 0, 1},
    {"Lifespan", PT_FLOAT, 0, 10},
    {"Lifespan spread", PT_FLOAT, 0, 10},
    {"*EndLifespan*", PT_GROUP_END, 0, 1},
    {"*Size*", PT_GROUP_START, 0, 1},
    {"Aspect ratio", PT_FLOAT, 0.2f, 10},
    {"Size", PT_FLOAT, 0, 1},
    {"Size spread", PT_FLOAT, 0, 1},
    {"Grow", PT_FLOAT, -1, 1},
    {"Grow spread", PT_FLOAT, 0, 1},
    {"*EndSize*", PT_GROUP_END, 0, 1},
    {"*Appearance*", PT_GROUP_START, 0, 1},
    {"Texture", PT_TEXTURE, 0, 0},
    {"Z Buffer", PT_BOOL, 0, 1},
    {"Backface Cull", PT_BOOL, 0, 1},
    {"Bound Radius", PT_FLOAT, 0, 500},
    {"Sort adjust", PT_FLOAT, -1, 1},
    {"Transparent", PT_BOOL, 0, 1},
    {"Alpha Test", PT_BOOL, 0, 1},
    {"Alpha Test Threshold", PT_INT, 0, 255},
    {"Additive Blend", PT_BOOL, 0, 1},
    {"Subtractive Blend", PT_BOOL, 0, 1},
    {"Red", PT_FLOAT, 0, 1},
    {"Green", PT_FLOAT, 0, 1},
    {"Blue", PT_FLOAT, 0, 1},
    {"Color", PT_COLOR, 0, 0},
    {"*End Color*", PT_GROUP_START, 0, 1},
    {"End color", PT_BOOL, 0, 1},
    {"End Red", PT_FLOAT, 0, 1},
    {"End Green", PT_FLOAT, 0, 1},
    {"End Blue", PT_FLOAT, 0, 1},
    {"End Color", PT_COLOR, 0, 0},
    {"End color fade time", PT_FLOAT, 0, 1},
    {"*EndEnd Color*", PT_GROUP_END, 0, 1},
    {"Opacity", PT_FLOAT, 0, 1},
    {"Opacity spread", PT_FLOAT, 0, 1},
    {"Fade in", PT_BOOL, 0, 1},
    {"Fade in time", PT_FLOAT, 0, 1},
    {"Fade out", PT_BOOL, 0, 1},
    {"Fade out time", PT_FLOAT, 0, 1},
    {"*EndAppearance*", PT_GROUP_END, 0, 1},
};

static_assert(sizeof kRows / sizeof kRows[0] == JTPartSysProps::kNumPropDescs - 1,
              "the particle table has 99 entries before its end entry");

bool gFilled = false;

float Clamp01(float v) {
    return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f;
}

// The three channels of a colour word: bytes 2, 1 and 0.
void SplitColor(uint32_t color, float& r, float& g, float& b) {
    r = float((color >> 16) & 0xFF) * (1.0f / 255.0f);
    g = float((color >> 8) & 0xFF) * (1.0f / 255.0f);
    b = float(color & 0xFF) * (1.0f / 255.0f);
}

// An opaque colour word from three channels, each truncated; channels
// outside 0..1 are held to it so that none spills into its neighbour.
uint32_t JoinColor(float r, float g, float b) {
    return 0xFF000000u | (uint32_t(Clamp01(r) * 255.0f) << 16) |
           (uint32_t(Clamp01(g) * 255.0f) << 8) | uint32_t(Clamp01(b) * 255.0f);
}

} // namespace

void JTPartSysProps::FillPropDescs() {
    if (gFilled) return;
    for (int i = 0; i < kNumPropDescs - 1; ++i) {
        JTPropDesc& d = aPropDescs[i];
        std::memset(d.name, 0, sizeof d.name);
        std::strncpy(d.name, kRows[i].name, sizeof d.name - 1);
        d.type = kRows[i].type;
        d.minimum = kRows[i].minimum;
        d.maximum = kRows[i].maximum;
        d.extra = nullptr;
    }
    JTPropDesc& end = aPropDescs[kNumPropDescs - 1];
    std::memset(end.name, 0, sizeof end.name);
    std::strncpy(end.name, "JTPartSys", sizeof end.name - 1);
    end.type = PT_END;
    end.minimum = 0.0f;
    end.maximum = 0.0f;
    end.extra = JTEntityProps::aPropDescs;
    gFilled = true;
}

JTPartSysProps::JTPartSysProps() {
    FillPropDescs();
    std::strncpy(szClass, "JTPartSys", sizeof szClass - 1);
}

const JTPropDesc* JTPartSysProps::GetPropDescs() {
    FillPropDescs();
    return aPropDescs;
}

void JTPartSysProps::PropChanged(void* value) {
    JTPartSysValues& v = values;
    if (value == &v.dwColor)
        SplitColor(v.dwColor, v.fRed, v.fGreen, v.fBlue);
    else if (value == &v.fRed || value == &v.fGreen || value == &v.fBlue)
        v.dwColor = JoinColor(v.fRed, v.fGreen, v.fBlue);
    else if (value == &v.dwEndColor)
        SplitColor(v.dwEndColor, v.fEndRed, v.fEndGreen, v.fEndBlue);
    else if (value == &v.fEndRed || value == &v.fEndGreen || value == &v.fEndBlue)
        v.dwEndColor = JoinColor(v.fEndRed, v.fEndGreen, v.fEndBlue);

    JTEntityProps::PropChanged(value);
}

JTEntityProps* JTPartSysCreateProps() {
    return new (std::nothrow) JTPartSysProps;
}
