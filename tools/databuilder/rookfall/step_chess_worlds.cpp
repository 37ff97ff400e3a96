// Writes the chess worlds' scenery and the prototypes that carry models:
// the park's table with its board, its sky and lawn ("SkyBox") and clouds
// ("Clouds"); Fire and Ice's board on a stone pillar, the cave with its lava
// (node "lava") and the ledges where taken pieces stand, and the lava's
// light; the holographic world's board, its grid room ("HoloEnvironment"),
// the dancer ("dancer") and the data ball.
#include "tools/databuilder/shared/data_step.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Jentra/JTChannel.h"
#include "Jentra/JTEntityProps.h"
#include "Jentra/JTSequencer.h"
#include "Jentra/JTTransNode.h"
#include "tools/databuilder/rookfall/chess_shapes.h"

namespace {

using namespace databuilder::chess;

constexpr float kPi = 3.14159265f;

struct BoardLook {
    JTEffect* (*light)();
    JTEffect* (*dark)();
    JTEffect* (*frame)();
};

// Faces hidden under the board are left out only a unit in from its edges.
// Where its parts meet edge to edge, rounding leaves a pixel open now and
// then; through it the face that used to lie behind must still be seen,
// not the lawn or the lava below.
constexpr float kSeamCover = 1.0f;
// What the board covers of anything it stands on: inside its border's
// outline (4.4 each way), less the cover for its seams.
constexpr Footprint kUnderBoard{-4.4f + kSeamCover, -4.4f + kSeamCover, 4.4f - kSeamCover,
                                4.4f - kSeamCover};

// The 64 squares (y = 0, a8 at x = -3.5, z = 3.5), a border around them and
// a slab beneath, whose top the squares hide but where they meet the border.
void AddBoard(std::vector<Part>& parts, const BoardLook& look) {
    Shape light, dark;
    for (int row = 0; row < 8; ++row)
        for (int file = 0; file < 8; ++file) {
            Shape square = Quad(JTVec3(float(file) - 3.5f, 0.0f, 3.5f - float(row)), 1.0f, 1.0f,
                                JTVec3(0, 1, 0));
            ((row + file) % 2 == 0 ? light : dark).Append(square);
        }
    Shape frame;
    frame.Append(Box(JTVec3(-4.4f, -0.06f, 4.0f), JTVec3(4.4f, 0.0f, 4.4f), 2.0f));
    frame.Append(Box(JTVec3(-4.4f, -0.06f, -4.4f), JTVec3(4.4f, 0.0f, -4.0f), 2.0f));
    frame.Append(Box(JTVec3(-4.4f, -0.06f, -4.0f), JTVec3(-4.0f, 0.0f, 4.0f), 2.0f));
    frame.Append(Box(JTVec3(4.0f, -0.06f, -4.0f), JTVec3(4.4f, 0.0f, 4.0f), 2.0f));
    const Footprint underSquares{-4.0f + kSeamCover, -4.0f + kSeamCover, 4.0f - kSeamCover,
                                 4.0f - kSeamCover};
    frame.Append(
        Box(JTVec3(-4.0f, -0.06f, -4.0f), JTVec3(4.0f, -0.03f, 4.0f), 2.0f, &underSquares));
    parts.push_back({"squares_light", light, look.light(), JTMatrix(), false});
    parts.push_back({"squares_dark", dark, look.dark(), JTMatrix(), false});
    parts.push_back({"frame", frame, look.frame(), JTMatrix(), false});
}

bool ParkTable(const std::filesystem::path& modules) {
    std::vector<Part> parts;
    AddBoard(parts, {[] { return SimpleEffect("Chess\\Park\\boardlight.jpg"); },
                     [] { return SimpleEffect("Chess\\Park\\boarddark.jpg"); },
                     [] { return SimpleEffect("Chess\\Park\\darkwood.jpg"); }});
    Shape table =
        Box(JTVec3(-7.5f, -0.35f, -5.5f), JTVec3(7.5f, -0.06f, 5.5f), 0.25f, &kUnderBoard);
    for (float x : {-6.8f, 6.8f})
        for (float z : {-4.8f, 4.8f})
            table.Append(
                Box(JTVec3(x - 0.3f, -6.0f, z - 0.3f), JTVec3(x + 0.3f, -0.35f, z + 0.3f), 0.5f));
    parts.push_back(
        {"table", table, SimpleEffect("Chess\\Park\\tablewood.jpg"), JTMatrix(), false});
    return WriteModel(modules / "Chess/Park/Table.jtm", "Table", parts);
}

// The park around the table: the lawn, a ring of trees and the sky (the
// only plain surface, which the sun tints). The sky, all around, comes
// last: what the table, the lawn and the trees cover is then never drawn.
bool ParkSurroundings(const std::filesystem::path& modules) {
    std::vector<Part> parts;
    parts.push_back({"lawn", Disc(900.0f, -6.0f, 32, 120.0f),
                     ParkPieceEffect("Chess\\Park\\grass.jpg"), JTMatrix(), false});
    Shape trees;
    for (int i = 0; i < 10; ++i) {
        const float a = 2 * kPi * (float(i) + 0.3f * float(i % 3)) / 10.0f;
        const float r = 28.0f + 9.0f * float((i * 7) % 4);
        const float h = 9.0f + 2.0f * float(i % 3);
        Shape tree = Lathe({{0.0f, -6.0f},
                            {0.5f, -6.0f},
                            {0.4f, h * 0.25f - 6.0f},
                            {3.5f, h * 0.25f - 6.0f},
                            {2.2f, h * 0.6f - 6.0f},
                            {0.0f, h - 6.0f}},
                           10);
        tree.Transform(JTMatrixTranslation(r * std::cos(a), 0.0f, r * std::sin(a)));
        trees.Append(tree);
    }
    parts.push_back({"trees", trees, ParkPieceEffect("Chess\\Park\\grass.jpg"), JTMatrix(), false});
    parts.push_back({"sky", Dome(JTVec3(0, -6, 0), 900.0f, 24, 12),
                     SimpleEffect("Chess\\Park\\parksky.jpg", 0.5f, 0.5f, 0.5f), JTMatrix(),
                     false});
    return WriteModel(modules / "Chess/Park/Park.jtm", "Park", parts);
}

bool ParkClouds(const std::filesystem::path& modules) {
    Shape clouds;
    const float places[][3] = {{-150, 140, 80},  {60, 150, 180},   {200, 135, -40},
                               {-40, 160, -200}, {-230, 145, -90}, {120, 155, 40}};
    for (const auto& p : places)
        clouds.Append(Quad(JTVec3(p[0], p[1], p[2]), 160.0f, 110.0f, JTVec3(0, -1, 0)));
    std::vector<Part> parts;
    parts.push_back({"clouds", clouds,
                     SimpleEffect("Chess\\Park\\clouds.jpg", 0.7f, 0.7f, 0.7f, true), JTMatrix(),
                     false});
    return WriteModel(modules / "Chess/Park/Clouds.jtm", "Clouds", parts);
}

bool FireAndIceTable(const std::filesystem::path& modules) {
    std::vector<Part> parts;
    AddBoard(
        parts,
        {[] { return SimpleEffect("Chess\\Fire and Ice\\icesquare.jpg", 0.1f, 0.12f, 0.15f); },
         [] { return SimpleEffect("Chess\\Fire and Ice\\firesquare.jpg", 0.15f, 0.05f, 0.0f); },
         [] { return SimpleEffect("Chess\\Fire and Ice\\rock.jpg"); }});
    // The column's top lies level with the board's underside, inside the
    // hole left in the top of the wider block that carries the board: the
    // board hides all of it, so it is left out whole.
    const Footprint column{-3.0f, -3.0f, 3.0f, 3.0f};
    Shape pillar = Box(JTVec3(-3.0f, -31.0f, -3.0f), JTVec3(3.0f, -0.06f, 3.0f), 0.2f, &column);
    pillar.Append(Box(JTVec3(-4.8f, -1.0f, -4.8f), JTVec3(4.8f, -0.06f, 4.8f), 0.2f, &kUnderBoard));
    parts.push_back(
        {"pillar", pillar, SimpleEffect("Chess\\Fire and Ice\\rock.jpg"), JTMatrix(), false});
    return WriteModel(modules / "Chess/Fire and Ice/table.jtm", "table", parts);
}

// The cave around the board, the ledges and the lava below. The cave, all
// around, comes last: what the ledges and the lava cover is never drawn.
bool SkullRoom(const std::filesystem::path& modules) {
    std::vector<Part> parts;
    // The ledges beside the board where taken pieces stand (top at y = -5).
    Shape ledges;
    for (float side : {-1.0f, 1.0f}) {
        ledges.Append(Box(JTVec3(side > 0 ? 10.0f : -14.5f, -5.6f, -4.0f),
                          JTVec3(side > 0 ? 14.5f : -10.0f, -5.0f, 4.0f), 0.3f));
        ledges.Append(Box(JTVec3(side * 12.25f - 1.2f, -31.0f, -1.2f),
                          JTVec3(side * 12.25f + 1.2f, -5.6f, 1.2f), 0.3f));
    }
    parts.push_back(
        {"ledges", ledges, SimpleEffect("Chess\\Fire and Ice\\rock.jpg"), JTMatrix(), false});
    Part lava{"lava", Disc(110.0f, 0.0f, 32, 12.0f),
              SimpleEffect("Chess\\Fire and Ice\\lava.jpg", 0.55f, 0.3f, 0.12f),
              JTMatrixTranslation(0.0f, -30.0f, 0.0f), true};
    parts.push_back(lava);
    parts.push_back({"cave", Dome(JTVec3(0, -30, 0), 110.0f, 24, 12),
                     SimpleEffect("Chess\\Fire and Ice\\rock.jpg", 0.08f, 0.03f, 0.02f), JTMatrix(),
                     false});
    return WriteModel(modules / "Chess/Fire and Ice/SkullRoom.jtm", "SkullRoom", parts);
}

bool LavaLight(const std::filesystem::path& modules) {
    std::vector<Part> parts;
    parts.push_back({"glow", Sphere(JTVec3(18.0f, -24.0f, 22.0f), 2.0f, 12, 8),
                     SimpleEffect(nullptr, 1.0f, 0.55f, 0.15f), JTMatrix(), false});
    return WriteModel(modules / "Chess/Fire and Ice/lavalight.jtm", "lavalight", parts);
}

bool HoloBoard(const std::filesystem::path& modules) {
    std::vector<Part> parts;
    AddBoard(parts, {[] { return SimpleEffect(nullptr, 0.08f, 0.45f, 0.18f); },
                     [] { return SimpleEffect(nullptr, 0.0f, 0.08f, 0.04f); },
                     [] { return SimpleEffect(nullptr, 0.2f, 1.0f, 0.45f); }});
    return WriteModel(modules / "Chess/Matrix/environment.jtm", "environment", parts);
}

bool HoloRoom(const std::filesystem::path& modules) {
    std::vector<Part> parts;
    parts.push_back({"floor", Disc(240.0f, -8.0f, 32, 30.0f),
                     SimpleEffect("Chess\\Matrix\\grid.jpg", 0.9f, 0.9f, 0.9f), JTMatrix(), false});
    parts.push_back({"dome", Dome(JTVec3(0, -8, 0), 240.0f, 24, 12),
                     SimpleEffect("Chess\\Matrix\\grid.jpg", 0.35f, 0.35f, 0.35f), JTMatrix(),
                     false});
    return WriteModel(modules / "Chess/Matrix/HoloRoom.jtm", "HoloRoom", parts);
}

void* MatrixKey(const JTMatrix& m) {
    void* p = std::malloc(sizeof m.m);
    std::memcpy(p, &m.m[0][0], sizeof m.m);
    return p;
}

// A figure of light turning on the grid beside the board: its "idle" loop
// turns it once every four seconds.
bool Dancer(const std::filesystem::path& modules) {
    Shape figure = Box(JTVec3(-0.5f, 2.0f, -0.3f), JTVec3(0.5f, 4.0f, 0.3f));
    figure.Append(Sphere(JTVec3(0.0f, 4.6f, 0.0f), 0.5f, 10, 6));
    for (float side : {-1.0f, 1.0f}) {
        figure.Append(Box(JTVec3(side * 0.45f - 0.15f, 0.0f, -0.15f),
                          JTVec3(side * 0.45f + 0.15f, 2.0f, 0.15f)));
        figure.Append(Box(JTVec3(side * 0.5f, 3.7f, -0.12f), JTVec3(side * 1.9f, 3.95f, 0.12f)));
    }
    figure.Transform(JTMatrixTranslation(0.0f, -8.0f, 0.0f));

    JTTransNode root;
    root.SetName("dancer");
    auto* sequencer = new JTSequencer;
    sequencer->AddSequence("idle", 4.0f, 0.0f);
    root.SetSequencer(sequencer);
    auto* spin = new JTTransNode;
    spin->SetName("spin");
    auto* frames = new JTFrameChannel;
    frames->SetNumSequences(1);
    const JTMatrix place = JTMatrixTranslation(14.0f, 0.0f, 16.0f);
    for (int k = 0; k <= 4; ++k)
        frames->AddKey(0, float(k), MatrixKey(JTMatrixRotationY(float(k) * kPi / 2) * place));
    spin->AddChannel(frames);
    spin->SetMatrix(place);
    root.AddChild(spin);

    Part part{"figure", figure, SimpleEffect(nullptr, 0.3f, 1.0f, 0.9f), JTMatrix(), false};
    JTGeoNode* node = MakeGeoNode(part);
    if (!node) return false;
    spin->AddChild(node);
    return SaveModel(modules / "Chess/Matrix/dancer.jtm", root);
}

bool Databall(const std::filesystem::path& modules) {
    std::vector<Part> parts;
    parts.push_back({"ball", Sphere(JTVec3(0, 0, 0), 0.18f, 10, 6),
                     SimpleEffect(nullptr, 0.3f, 1.0f, 0.7f), JTMatrix(), false});
    return WriteModel(modules / "Chess/Matrix/Databall.jtm", "databall", parts);
}

bool ModelPrototype(const std::filesystem::path& modules, const char* name, const char* model) {
    JTEntityProps props;
    std::snprintf(props.szName, sizeof props.szName, "%s", name);
    std::snprintf(props.szClass, sizeof props.szClass, "JTEntity");
    props.pModel = strdup(model);
    props.bPickable = false;
    std::string error;
    const std::filesystem::path file = modules / (std::string(name) + ".prp");
    if (!props.SaveToPath(file.string(), &error)) {
        std::fprintf(stderr, "databuilder: cannot write %s: %s\n", file.c_str(), error.c_str());
        return false;
    }
    return true;
}

} // namespace

DATABUILDER_STEP(WriteChessWorlds, "chess-worlds") {
    const std::filesystem::path modules = context.runtime / "modules";
    bool ok = ParkTable(modules) && ParkSurroundings(modules) && ParkClouds(modules) &&
              FireAndIceTable(modules) && SkullRoom(modules) && LavaLight(modules) &&
              HoloBoard(modules) && HoloRoom(modules) && Dancer(modules) && Databall(modules);
    ok = ok && ModelPrototype(modules, "SkyBox", "Chess\\Park\\Park.jtm") &&
         ModelPrototype(modules, "Clouds", "Chess\\Park\\Clouds.jtm") &&
         ModelPrototype(modules, "HoloEnvironment", "Chess\\Matrix\\HoloRoom.jtm") &&
         ModelPrototype(modules, "dancer", "Chess\\Matrix\\dancer.jtm");
    ReleaseNamedTextures();
    return ok;
}
