// Shapes for the chess game's models, built as triangle lists of the
// engine's vertex: turned (lathe) profiles, extruded outlines, boxes,
// spheres and flat quads; and the writing of a model file (a transform node
// over named geometry nodes) through the engine's own save code.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "Jentra/JTGeoNode.h"
#include "Jentra/JTMath.h"

class JTEffect;
class JTTexture;

namespace databuilder::chess {

// A triangle list; front faces wind clockwise seen from outside.
struct Shape {
    std::vector<Vert1> vertices;
    std::vector<uint16_t> indices;

    // Appends a triangle turned so that its front faces the side `outward` points to.
    void Triangle(const Vert1& a, const Vert1& b, const Vert1& c, const JTVec3& outward);
    void Append(const Shape& other);
    // Moves every vertex by the matrix (normals turned along).
    void Transform(const JTMatrix& m);
    size_t Faces() const { return indices.size() / 3; }
};

// A profile turned about the y axis: (radius, height) points from the
// bottom to the top, `segments` steps around. Each span of the profile has
// its own ring of vertices, so its edges stay crisp.
Shape Lathe(const std::vector<std::pair<float, float>>& profile, int segments);
// A flat outline in the (z, y) plane made solid between x = -half and +half.
Shape Extrude(const std::vector<std::pair<float, float>>& outline, float half);
// A rectangle of the ground plane (x, z), as covered by something that
// stands on a face.
struct Footprint {
    float loX, loZ, hiX, hiZ;
};
// An axis-aligned box; `uvScale` repeats the texture per unit. A `covered`
// footprint is left out of the top face, which is laid out around it with
// its texture where the whole face would have it: what stands there hides
// that part from every view, and drawing it would only test it against the
// depth buffer pixel by pixel every frame.
Shape Box(const JTVec3& lo, const JTVec3& hi, float uvScale = 1.0f,
          const Footprint* covered = nullptr);
// A sphere about centre; inward turns its faces to the inside (a sky).
Shape Sphere(const JTVec3& centre, float radius, int segments, int rings, bool inward = false);
// The inside of a sphere around a world whose floor is a disc of the same
// radius through the centre: the rings above the floor, and the first ring
// below it, which closes the gaps between the floor's rim and the sphere's.
// A viewer above the floor sees nothing of the rest, which is left out
// rather than drawn behind the floor every frame.
Shape Dome(const JTVec3& centre, float radius, int segments, int rings);
// A flat rectangle facing `normal` (which must be an axis), centred at c.
Shape Quad(const JTVec3& c, float width, float height, const JTVec3& normal, float uRepeat = 1.0f,
           float vRepeat = 1.0f);
// A flat disc facing up at height y.
Shape Disc(float radius, float y, int segments, float uvScale);

// One drawable part of a model: its node name, shape and effect (owned by
// the node once written).
struct Part {
    std::string name;
    Shape shape;
    JTEffect* effect;
    JTMatrix placement; // the part's own transform node, when not the identity
    bool placed = false;
};

// The geometry node of a part (which takes the part's effect), or null
// after a line on stderr when its mesh cannot be made.
JTGeoNode* MakeGeoNode(Part& part);
// Saves a whole tree as a model file; false after a line on stderr.
bool SaveModel(const std::filesystem::path& file, JTNode& root);

// Writes the model: a transform node named `rootName` holding one geometry
// node per part (the first part is child 0), each behind a transform node of
// its own when placed. False after a line on stderr.
bool WriteModel(const std::filesystem::path& file, const std::string& rootName,
                std::vector<Part>& parts);

// Effects over textures named in the model (the textures are owned by the
// builder, which keeps them until every model is written).
JTTexture* NamedTexture(const char* name);
JTEffect* SimpleEffect(const char* texture, float er = 0, float eg = 0, float eb = 0,
                       bool twoSided = false);
JTEffect* ParkPieceEffect(const char* diffuse);
JTEffect* FireKnightEffect(const char* diffuse);
JTEffect* WetIceEffect(const char* surface);
// Gives the named textures back (after the models are written).
void ReleaseNamedTextures();

} // namespace databuilder::chess
