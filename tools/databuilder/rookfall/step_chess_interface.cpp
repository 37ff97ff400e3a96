// Writes the chess game's interface models below modules/Chess: the
// cursor's arrow, the squares' pick target and hover markers, the logos of
// the studio and the engine, the title over the menus, the intro and the
// closing screen.
#include "tools/databuilder/shared/data_step.h"

#include <vector>

#include "tools/databuilder/rookfall/chess_shapes.h"

namespace {

using namespace databuilder::chess;

constexpr float kHalfPi = 1.5707963f;

// Facing the interface camera, which looks along +z.
const JTVec3 kTowardsCamera(0, 0, -1);

bool Arrow(const std::filesystem::path& chess) {
    // The tip at the entity's origin, pointing up and to the left.
    Shape arrow = Extrude({{0.0f, 0.0f},
                           {0.72f, -0.7f},
                           {0.42f, -0.7f},
                           {0.6f, -1.08f},
                           {0.45f, -1.15f},
                           {0.27f, -0.75f},
                           {0.0f, -1.0f}},
                          0.03f);
    arrow.Transform(JTMatrixRotationY(kHalfPi));
    std::vector<Part> parts;
    parts.push_back({"arrow", arrow, SimpleEffect(nullptr, 0.95f, 0.95f, 0.9f), JTMatrix(), false});
    return WriteModel(chess / "arrow2.jtm", "arrow2", parts);
}

bool PickSquare(const std::filesystem::path& chess) {
    std::vector<Part> parts;
    parts.push_back({"square", Quad(JTVec3(0, 0, 0), 1.0f, 1.0f, JTVec3(0, 1, 0)),
                     SimpleEffect(nullptr), JTMatrix(), false});
    return WriteModel(chess / "ChessSquare.jtm", "ChessSquare", parts);
}

// A glowing frame around a square, in the colour that says whether the
// move is allowed.
bool Marker(const std::filesystem::path& file, const char* name, float r, float g, float b) {
    Shape frame;
    const float o = 0.48f, i = 0.4f, y0 = 0.0f, y1 = 0.03f;
    frame.Append(Box(JTVec3(-o, y0, i), JTVec3(o, y1, o)));
    frame.Append(Box(JTVec3(-o, y0, -o), JTVec3(o, y1, -i)));
    frame.Append(Box(JTVec3(-o, y0, -i), JTVec3(-i, y1, i)));
    frame.Append(Box(JTVec3(i, y0, -i), JTVec3(o, y1, i)));
    // Without normals the sun adds nothing: the frame glows in its own colour.
    for (Vert1& v : frame.vertices)
        v.nx = v.ny = v.nz = 0.0f;
    std::vector<Part> parts;
    parts.push_back({"marker", frame, SimpleEffect(nullptr, r, g, b), JTMatrix(), false});
    return WriteModel(file, name, parts);
}

// A flat picture facing the interface camera.
bool Picture(const std::filesystem::path& file, const char* name, const char* texture, float width,
             float height) {
    std::vector<Part> parts;
    parts.push_back({"picture", Quad(JTVec3(0, 0, 0), width, height, kTowardsCamera),
                     SimpleEffect(texture, 1.0f, 1.0f, 1.0f), JTMatrix(), false});
    return WriteModel(file, name, parts);
}

} // namespace

DATABUILDER_STEP(WriteChessInterface, "chess-interface") {
    const std::filesystem::path chess = context.runtime / "modules" / "Chess";
    const bool ok =
        Arrow(chess) && PickSquare(chess) &&
        Marker(chess / "SquareValid.jtm", "SquareValid", 0.2f, 1.0f, 0.3f) &&
        Marker(chess / "SquareInvalid.jtm", "SquareInvalid", 1.0f, 0.2f, 0.15f) &&
        Picture(chess / "Pellix.jtm", "Pellix", "Chess\\Logo\\pellix.tga", 0.36f, 0.09f) &&
        Picture(chess / "Jentra.jtm", "Jentra", "Chess\\Logo\\jentra.tga", 0.36f, 0.09f) &&
        Picture(chess / "Rookfall.jtm", "Rookfall", "Chess\\Logo\\rookfall.tga", 0.8f, 0.2f) &&
        Picture(chess / "Intro.jtm", "Intro", "Chess\\Logo\\rookfall.tga", 0.6f, 0.15f) &&
        Picture(chess / "Promo.jtm", "Promo", "Chess\\Logo\\rookfall.tga", 0.6f, 0.15f);
    ReleaseNamedTextures();
    return ok;
}
