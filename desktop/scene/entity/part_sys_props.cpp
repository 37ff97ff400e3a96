// The PartSys property table and the offsets of its values.
#include "desktop/scene/entity/part_sys_props.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "desktop/scene/entity/entity_props.h"
#include "desktop/scene/object/math_tables.h"

namespace lumivane {

namespace {

using T = PropType;

constexpr const char* kAxes[3] = {"X", "Y", "Z"};
constexpr const char* kColourNames[3] = {"Red", "Green", "Blue"};

std::vector<PropDesc> BuildPartSysTable() {
    PropTableBuilder b;
    b.Flag("Reset", false);
    b.Flag("One Shot", false);
    b.Flag("Auto Delete", false);
    b.Flag("Delete Immediately", false);
    b.Flag("Spherical", false);
    b.Flag("Backface Cull", false);
    b.Flag("Auto Bias", false);
    b.Flag("Sphere Disc", false);
    b.Flag("Perspective Sizing", false);
    b.Flag("Kite", false);
    b.Flag("Motion Blur", false);
    b.Value("Aspect ratio", T::Float, 0, 10, 1.0f);
    b.Value("Z Bias", T::Float, 0, 1, 0);
    b.Value("Time scale", T::Float, 0, 10, 1.0f);
    b.Flag("Drop particles", false);
    b.Value("Drop velocity", T::Float, 0, 2, 1.0f);

    b.Group("Spawning");
    b.Value("Num particles", T::Integer, 1, 1000, 100);
    b.Flag("Space evenly", false);
    b.Flag("Start spread out", true);
    b.Value("Clumping Percent", T::Float, 0, 1, 0);
    b.Value("Spawn radius", T::Float, 0, 10, 0);
    b.Value("Spawn radius spread", T::Float, 0, 10, 0);
    b.Value("Spawn height spread", T::Angle, 0, kPi / 2, kPi / 2);
    b.Value("Cone angle", T::Angle, 0, kPi, kPi);
    b.EndGroup("Spawning");

    b.Group("Movement");
    b.Value("Velocity", T::Float, 0, 10, 1.0f);
    b.Value("Velocity spread", T::Float, 0, 10, 0);
    b.Value("Velocity height spread", T::Angle, 0, kPi / 2, kPi / 2);
    b.Value("Drag", T::Float, 0, 1, 0);
    b.Value("Spin", T::Angle, -4 * kPi, 4 * kPi, 0);
    b.Value("Spin spread", T::Angle, 0, 4 * kPi, 0);
    b.Value("Spiral amount", T::Angle, -4 * kPi, 4 * kPi, 0);
    b.Flag("Reverse", false);
    for (const char* axis : kAxes) {
        b.Value(std::string("Velocity ") + axis, T::Float, -10, 10, 0);
        b.Value(std::string("Velocity ") + axis + " spread", T::Float, 0, 10, 0);
    }
    for (const char* kind : {"Force", "Spiral", "Spring"})
        for (const char* axis : kAxes)
            b.Value(std::string(kind) + " " + axis, T::Float, -10, 10, 0);
    for (const char* axis : kAxes)
        b.Value(std::string("Turbulence ") + axis + " amt", T::Float, 0, 10, 0);
    for (const char* axis : kAxes)
        b.Value(std::string("Turbulence ") + axis + " freq", T::Float, 0, 200, 50);
    b.EndGroup("Movement");

    b.Group("Lifespan");
    b.Value("Lifespan", T::Float, 0, 20, 1.0f);
    b.Value("Lifespan spread", T::Float, 0, 20, 0);
    b.Value("Small death", T::Float, 0, 1, 0);
    b.EndGroup("Lifespan");

    b.Group("Size");
    b.Value("Size", T::Float, 0, 10, 0.1f);
    b.Value("Size spread", T::Float, 0, 10, 0);
    b.Value("Grow", T::Float, -10, 10, 0);
    b.Value("Grow spread", T::Float, 0, 10, 0);
    b.EndGroup("Size");

    b.Group("Color");
    b.Text("Texture", T::TextureName);
    b.Flag("Lighting", false);
    b.Flag("Additive Blend", false);
    b.Flag("Subtractive Blend", false);
    for (const char* colour : kColourNames)
        b.Value(colour, T::Float, 0, 1, 1.0f);
    // Packed colours are set by CreateProps: a float holds no 0xFFFFFFFF.
    b.Value("Color", T::Colour, 0, 0, 0);
    b.Group("End Color");
    b.Flag("End color", false);
    for (const char* colour : kColourNames)
        b.Value(std::string("End ") + colour, T::Float, 0, 1, 1.0f);
    b.Value("End Color", T::Colour, 0, 0, 0);
    b.EndGroup("End Color");
    b.Value("Opacity", T::Float, 0, 1, 1.0f);
    b.Value("Opacity spread", T::Float, 0, 1, 0);
    b.Flag("Fade in", true);
    b.Value("Fade in time", T::Float, 0, 1, 0.5f);
    b.Flag("Fade out", true);
    b.Value("Fade out time", T::Float, 0, 1, 0.5f);
    b.EndGroup("Color");
    return b.End("PartSys", EntityPropDescs());
}

size_t Offset(const std::string& name) {
    size_t cursor = 0;
    if (!PropDesc::Find(PartSysPropDescs(), name, cursor)) std::abort(); // the table names it
    return cursor;
}

PartSysPropFields MakeFields() {
    PartSysPropFields f{};
    f.reset = Offset("Reset");
    f.oneShot = Offset("One Shot");
    f.autoDelete = Offset("Auto Delete");
    f.deleteImmediately = Offset("Delete Immediately");
    f.spherical = Offset("Spherical");
    f.backfaceCull = Offset("Backface Cull");
    f.autoBias = Offset("Auto Bias");
    f.sphereDisc = Offset("Sphere Disc");
    f.perspectiveSizing = Offset("Perspective Sizing");
    f.kite = Offset("Kite");
    f.motionBlur = Offset("Motion Blur");
    f.aspectRatio = Offset("Aspect ratio");
    f.zBias = Offset("Z Bias");
    f.timeScale = Offset("Time scale");
    f.dropParticles = Offset("Drop particles");
    f.dropVelocity = Offset("Drop velocity");
    f.numParticles = Offset("Num particles");
    f.spaceEvenly = Offset("Space evenly");
    f.startSpreadOut = Offset("Start spread out");
    f.clumpingPercent = Offset("Clumping Percent");
    f.spawnRadius = Offset("Spawn radius");
    f.spawnRadiusSpread = Offset("Spawn radius spread");
    f.spawnHeightSpread = Offset("Spawn height spread");
    f.coneAngle = Offset("Cone angle");
    f.velocity = Offset("Velocity");
    f.velocitySpread = Offset("Velocity spread");
    f.velocityHeightSpread = Offset("Velocity height spread");
    f.drag = Offset("Drag");
    f.spin = Offset("Spin");
    f.spinSpread = Offset("Spin spread");
    f.spiralAmount = Offset("Spiral amount");
    f.reverse = Offset("Reverse");
    for (int a = 0; a < 3; ++a) {
        const std::string axis = kAxes[a];
        f.axisVelocity[a] = Offset("Velocity " + axis);
        f.axisVelocitySpread[a] = Offset("Velocity " + axis + " spread");
        f.force[a] = Offset("Force " + axis);
        f.spiral[a] = Offset("Spiral " + axis);
        f.spring[a] = Offset("Spring " + axis);
        f.turbulenceAmount[a] = Offset("Turbulence " + axis + " amt");
        f.turbulenceFrequency[a] = Offset("Turbulence " + axis + " freq");
        f.colour[a] = Offset(kColourNames[a]);
        f.endColour[a] = Offset(std::string("End ") + kColourNames[a]);
    }
    f.lifespan = Offset("Lifespan");
    f.lifespanSpread = Offset("Lifespan spread");
    f.smallDeath = Offset("Small death");
    f.size = Offset("Size");
    f.sizeSpread = Offset("Size spread");
    f.grow = Offset("Grow");
    f.growSpread = Offset("Grow spread");
    f.texture = Offset("Texture");
    f.lighting = Offset("Lighting");
    f.additiveBlend = Offset("Additive Blend");
    f.subtractiveBlend = Offset("Subtractive Blend");
    f.packedColour = Offset("Color");
    f.endColourOn = Offset("End color");
    f.packedEndColour = Offset("End Color");
    f.opacity = Offset("Opacity");
    f.opacitySpread = Offset("Opacity spread");
    f.fadeIn = Offset("Fade in");
    f.fadeInTime = Offset("Fade in time");
    f.fadeOut = Offset("Fade out");
    f.fadeOutTime = Offset("Fade out time");
    return f;
}

} // namespace

const PropDesc* PartSysPropDescs() {
    static const std::vector<PropDesc> table = BuildPartSysTable();
    return table.data();
}

const PartSysPropFields& PartSysFields() {
    static const PartSysPropFields fields = MakeFields();
    return fields;
}

} // namespace lumivane
