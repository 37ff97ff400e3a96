// The chess pieces' profiles.
#include "tools/databuilder/rookfall/chess_piece_shapes.h"

#include <utility>
#include <vector>

namespace databuilder::chess {

namespace {

using Profile = std::vector<std::pair<float, float>>;

// The foot every piece stands on: a disc, a bevel and a narrowing.
Profile Base(float radius, float top) {
    return {{0.0f, 0.0f},           {radius, 0.0f},          {radius, 0.05f},
            {radius * 0.9f, 0.09f}, {radius * 0.78f, 0.12f}, {radius * 0.7f, top}};
}

Profile Join(Profile a, const Profile& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const Profile kPawnTop = {{0.11f, 0.38f}, {0.19f, 0.41f}, {0.19f, 0.44f},
                          {0.1f, 0.47f},  {0.15f, 0.52f}, {0.17f, 0.58f},
                          {0.15f, 0.65f}, {0.1f, 0.7f},   {0.0f, 0.72f}};
const Profile kRookTop = {{0.19f, 0.55f}, {0.25f, 0.6f},  {0.27f, 0.62f}, {0.27f, 0.82f},
                          {0.19f, 0.82f}, {0.19f, 0.76f}, {0.0f, 0.76f}};
const Profile kBishopTop = {{0.12f, 0.6f},  {0.21f, 0.63f}, {0.21f, 0.66f}, {0.12f, 0.69f},
                            {0.17f, 0.76f}, {0.19f, 0.84f}, {0.16f, 0.92f}, {0.08f, 0.98f},
                            {0.06f, 1.0f},  {0.07f, 1.03f}, {0.04f, 1.07f}, {0.0f, 1.08f}};
const Profile kQueenTop = {{0.13f, 0.75f}, {0.24f, 0.79f}, {0.24f, 0.82f}, {0.14f, 0.86f},
                           {0.15f, 0.95f}, {0.23f, 1.08f}, {0.21f, 1.12f}, {0.12f, 1.1f},
                           {0.08f, 1.14f}, {0.08f, 1.18f}, {0.04f, 1.22f}, {0.0f, 1.23f}};
const Profile kKingTop = {{0.14f, 0.8f},  {0.25f, 0.84f}, {0.25f, 0.87f},
                          {0.15f, 0.91f}, {0.16f, 1.0f},  {0.22f, 1.1f},
                          {0.2f, 1.14f},  {0.09f, 1.16f}, {0.0f, 1.16f}};

// The horse's head seen from its left side: z forwards, y up.
const Profile kKnightHead = {{-0.2f, 0.24f}, {0.14f, 0.24f},  {0.1f, 0.42f},   {0.3f, 0.52f},
                             {0.34f, 0.62f}, {0.28f, 0.7f},   {0.12f, 0.74f},  {0.06f, 0.86f},
                             {0.0f, 0.96f},  {-0.06f, 0.88f}, {-0.14f, 0.84f}, {-0.22f, 0.66f},
                             {-0.24f, 0.42f}};

} // namespace

Shape PieceShape(int kind, bool black, int segments) {
    switch (kind) {
    case 0:
        return Lathe(Join(Base(0.3f, 0.16f), kPawnTop), segments);
    case 1: {
        Shape knight = Lathe(Join(Base(0.33f, 0.18f), {{0.22f, 0.26f}, {0.0f, 0.26f}}), segments);
        Shape head = Extrude(kKnightHead, 0.13f);
        if (black) head.Transform(JTMatrixRotationY(3.14159265f));
        knight.Append(head);
        return knight;
    }
    case 2:
        return Lathe(Join(Base(0.32f, 0.2f), kBishopTop), segments);
    case 3:
        return Lathe(Join(Base(0.34f, 0.2f), kRookTop), segments);
    case 4:
        return Lathe(Join(Base(0.35f, 0.22f), kQueenTop), segments);
    default: {
        Shape king = Lathe(Join(Base(0.36f, 0.22f), kKingTop), segments);
        king.Append(Box(JTVec3(-0.035f, 1.15f, -0.035f), JTVec3(0.035f, 1.4f, 0.035f)));
        king.Append(Box(JTVec3(-0.11f, 1.25f, -0.035f), JTVec3(0.11f, 1.32f, 0.035f)));
        return king;
    }
    }
}

} // namespace databuilder::chess
