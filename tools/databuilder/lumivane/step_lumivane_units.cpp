// Writes Lumivane's unit prototypes into "LumivaneData/models" through the
// units' own Save, with their property files from the Ship table: the
// "fighter", the larger "frigate" and the "seeker", a craft of race 2 that
// grows into view instead of fading. Each model has a hull, the weapon's
// "dummyweapon" node, engine mounts that hang the engine effects ("engine-
// CMB" glowing and "engine-CMB-Kite" flaring with the main thruster,
// "engine-MLB" and "engine-MRB" with the turning ones) and the sequences
// "idle", "fire" and "build_start". Also the pilots' voice files: silent
// and short, one per pilot and voice category, as WAVE (what the pilot
// counts) and as MP3 (what the sound manager plays).
#include "tools/databuilder/shared/data_step.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "Jentra/JTWaveWriter.h"
#include "desktop/scene/entity/prop_file.h"
#include "desktop/scene/object/frame_channel.h"
#include "desktop/scene/object/object_file.h"
#include "desktop/scene/object/sequencer.h"
#include "desktop/scene/object/trans_node.h"
#include "desktop/scene/world/model_library.h"
#include "desktop/units/pilot/pilot.h"
#include "desktop/units/ship_base/ship.h"
#include "tools/databuilder/lumivane/lumivane_hulls.h"
#include "tools/databuilder/lumivane/lumivane_prop_values.h"
#include "tools/databuilder/lumivane/lumivane_shapes.h"
#include "tools/databuilder/lumivane/lumivane_unit_writer.h"
#include "tools/databuilder/shared/sound_synth.h"

namespace {

using namespace lumivane;

constexpr int kPilots = 3;
constexpr int kVoiceRate = 22050;
constexpr int kVoiceSamples = kVoiceRate / 20; // 50 ms of silence

struct ShipLook {
    const char* name;
    float length, width, height; // of the hull
    uint32_t colour;
    bool orb; // a faceted orb instead of a wedge
};

TransNode* Mount(const std::string& name, Vec3 at) {
    auto* node = new TransNode;
    node->SetName(name);
    node->local.MakeTranslation(at.x, at.y, at.z);
    return node;
}

// A node hanging the effect `part` on the model ("dummylink-" + part).
FrameAnim* EffectMount(const std::string& part, Vec3 at) {
    auto* node = new FrameAnim;
    node->SetName("dummylink-" + part);
    node->local.MakeTranslation(at.x, at.y, at.z);
    return node;
}

Matrix Translation(Vec3 at) {
    Matrix m;
    m.MakeTranslation(at.x, at.y, at.z);
    return m;
}

// The channels behind the three sequences: a gun that recoils ("fire",
// frames 30..38) and a beacon that bobs ("idle", frames 0..29) and turns
// ("build_start", frames 39..59).
Sequencer* Animations(FrameAnim* gun, FrameAnim* beacon, Vec3 gunAt, Vec3 beaconAt) {
    auto* recoil = new FrameChannel;
    const Matrix rest = Translation(gunAt);
    recoil->AddKey(rest, 30);
    recoil->AddKey(rest, -2);
    recoil->AddKey(Translation(gunAt + Vec3(0, 0, -0.3f)), -7);
    recoil->AddKey(rest, 21);
    gun->AddChannel(recoil);

    auto* signal = new FrameChannel;
    const Matrix base = Translation(beaconAt);
    Matrix turned;
    turned.MakeRotation(0.0f, 0.7071068f, 0.0f, 0.7071068f);
    turned.PostMultiply(base);
    Matrix halfway;
    halfway.MakeRotation(0.0f, 1.0f, 0.0f, 0.0f);
    halfway.PostMultiply(base);
    signal->AddKey(base, -15);
    signal->AddKey(Translation(beaconAt + Vec3(0, 0.15f, 0)), -15);
    signal->AddKey(base, 9);
    signal->AddKey(base, -10);
    signal->AddKey(turned, -11);
    signal->AddKey(halfway, 2);
    beacon->AddChannel(signal);

    auto* sequencer = new Sequencer;
    sequencer->AddChannel(recoil);
    sequencer->AddChannel(signal);
    sequencer->AddSequence({"idle", 0, 0.0f, 1.0f, {0, 1}});
    sequencer->AddSequence({"fire", 1, 1.0f, 1.3f, {1, 0}});
    sequencer->AddSequence({"build_start", 2, 1.3f, 2.0f, {0, 1}});
    return sequencer;
}

Ship* MakeShip(const ShipLook& look) {
    auto* ship = new Ship;
    ship->SetName(look.name);
    ship->AddRef();
    const databuilder::ShapeLook paint = databuilder::HullLook(look.colour);
    ship->AddChild(
        look.orb ? databuilder::MakeSphere("hull", 0.5f * look.length, 8, 14, paint)
                 : databuilder::MakeWedge("hull", look.length, look.width, look.height, paint));
    const float back = -0.4f * look.length;
    const float side = 0.35f * look.width;
    ship->AddChild(Mount("dummyweapon", {0, 0, 0.62f * look.length}));
    ship->AddChild(EffectMount("engine-CMB", {0, 0, back}));
    ship->AddChild(EffectMount("engine-CMB-Kite", {0, 0, back}));
    ship->AddChild(EffectMount("engine-MLB", {-side, 0, back}));
    ship->AddChild(EffectMount("engine-MRB", {side, 0, back}));
    const Vec3 gunAt(0, -0.2f * look.height, 0.3f * look.length);
    const Vec3 beaconAt(0, 0.6f * look.height, back);
    auto* gun = new FrameAnim;
    gun->SetName("gun");
    gun->local = Translation(gunAt);
    gun->AddChild(databuilder::MakeWedge("barrel", 0.3f * look.length, 0.08f * look.width,
                                         0.1f * look.height, databuilder::HullLook(0xFF606870)));
    ship->AddChild(gun);
    auto* beacon = new FrameAnim;
    beacon->SetName("beacon");
    beacon->local = Translation(beaconAt);
    beacon->AddChild(databuilder::MakeSphere("lamp", 0.06f * look.length, 3, 4,
                                             {.colour = 0xFFFFD040, .lit = false}));
    ship->AddChild(beacon);
    ship->SetSequencer(Animations(gun, beacon, gunAt, beaconAt));
    return ship;
}

using Values = databuilder::PropValues;

bool WriteShip(const std::filesystem::path& root, const ShipLook& look,
               const std::function<void(Values&)>& tune) {
    Ship* ship = MakeShip(look);
    ship->CreateProps();
    Values values{*ship->props};
    databuilder::UnitDefaults(values);
    tune(values);
    ship->RecomputeBound();
    const std::string name(ship->Name());
    std::string error;
    const bool ok = SaveObjectFile(root / "models" / (name + ".vrn"), ship, &error) &&
                    SavePropFile(root / "properties" / (name + ".prp"), *ship->props, &error);
    if (!ok) std::fprintf(stderr, "lumivane_units: %s\n", error.c_str());
    ship->Release();
    return ok;
}

bool WriteShips(const std::filesystem::path& root) {
    const bool fighter =
        WriteShip(root, {"fighter", 2.4f, 1.8f, 0.7f, 0xFFB8C4D8, false}, [](Values& v) {
            v.Set("race", 1);
            v.Set("icon number", 1);
            v.Set("health max", 10.0f);
            v.Set("sensor range", 40.0f);
            v.Set("cost", 150.0f);
            v.Set("thrust", 0.5f);
            v.Set("top speed", 1.5f);
            v.Set("angular thrust", 0.6f);
            v.Set("turn speed", 0.8f);
        });
    const bool frigate =
        WriteShip(root, {"frigate", 6.0f, 2.6f, 1.6f, 0xFF9098A8, false}, [](Values& v) {
            v.Set("race", 1);
            v.Set("icon number", 2);
            v.Set("health max", 40.0f);
            v.Set("mass", 4.0f);
            v.Set("sensor range", 60.0f);
            v.Set("cost", 600.0f);
            v.Set("build time", 20.0f);
            v.Set("thrust", 0.25f);
            v.Set("top speed", 0.8f);
            v.Set("angular thrust", 0.3f);
            v.Set("turn speed", 0.6f);
            v.Set("task: build", 1);
            v.SetText("construct1", "fighter");
        });
    const bool seeker =
        WriteShip(root, {"seeker", 1.8f, 1.8f, 1.8f, 0xFF60D0A0, true}, [](Values& v) {
            v.Set("race", 2);
            v.Set("icon number", 3);
            v.Set("health max", 8.0f);
            v.Set("sensor range", 50.0f);
            v.Set("thrust", 0.45f);
            v.Set("top speed", 1.3f);
            v.Set("angular thrust", 0.7f);
            v.Set("banking", 0.0f);
        });
    return fighter && frigate && seeker;
}

bool WriteSilence(const std::string& path) {
    const std::vector<int16_t> silence(kVoiceSamples, 0);
    JTWaveWriter writer;
    if (writer.Open(path.c_str(), false, kVoiceRate, 16) != 0) return false;
    const bool written = writer.Write(unsigned(silence.size() * 2),
                                      reinterpret_cast<const unsigned char*>(silence.data())) == 0;
    return writer.Close() == 0 && written;
}

// p<face>-<category>-0: one voice per category for each pilot of the roster.
bool WriteVoices(const std::filesystem::path& sounds) {
    if (!databuilder::HaveLame()) {
        std::fprintf(stderr, "lumivane_units: the MP3 encoder lame is not installed\n");
        return false;
    }
    for (int face = 0; face < kPilots; ++face)
        for (int category = 0; category < kVoiceCategories; ++category) {
            // Printed, not joined from "literal" + std::string pieces: GCC 12
            // at -O3 stops the build on those with a false -Wrestrict.
            char name[48];
            std::snprintf(name, sizeof(name), "p%d-%d-0", face, category);
            const std::string stem = name;
            const std::filesystem::path wave = sounds / (stem + ".wav");
            const std::filesystem::path mp3 = sounds / (stem + ".mp3");
            // Written only when missing, so rebuilding the data stays quick.
            if (std::filesystem::exists(wave) && std::filesystem::exists(mp3)) continue;
            if (!WriteSilence(wave.string()) || !databuilder::EncodeMp3(wave, mp3, "-b 32")) {
                std::fprintf(stderr, "lumivane_units: cannot write %s\n", stem.c_str());
                return false;
            }
        }
    return true;
}

bool CheckLibrary(const std::filesystem::path& root) {
    ModelLibrary library;
    if (!library.LoadAll(root)) return false;
    for (const char* name : {"fighter", "frigate", "seeker"}) {
        const Node* ship = library.FindPrototype(name);
        if (!IsA(ship, ClassId::Ship) || !static_cast<const Ship*>(ship)->weaponNode) {
            std::fprintf(stderr, "lumivane_units: %s did not load back whole\n", name);
            return false;
        }
    }
    return true;
}

} // namespace

DATABUILDER_STEP(LumivaneUnits, "lumivane_units") {
    const std::filesystem::path root = context.runtime / "LumivaneData";
    std::error_code error;
    for (const char* folder : {"models", "properties", "sounds"})
        std::filesystem::create_directories(root / folder, error);
    if (error) {
        std::fprintf(stderr, "lumivane_units: %s\n", error.message().c_str());
        return false;
    }
    return WriteShips(root) && databuilder::WriteHullTextures(root) &&
           WriteVoices(root / "sounds") && CheckLibrary(root);
}
