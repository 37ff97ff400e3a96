// The pose of a moving piece over time.
#include "chess/game/piece_motion.h"

#include <algorithm>
#include <cmath>

#include "chess/game/chess_constants.h"

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kOffBoardX = 4.0f;
// The piece reaches its target at 95 % of the move's time.
constexpr float kArrivalScale = 1.0526316f;
constexpr float kLeanRadians = 0.174533f; // 10 degrees

} // namespace

float PieceMoveSeconds(bool rookFlag) {
    return rookFlag ? 2.0f : 1.5f;
}

bool IsOffBoardMove(const JTVec3& target) {
    return std::fabs(target.x) > kOffBoardX;
}

ChessPiecePose PiecePoseAt(const ChessPieceMotion& motion, float elapsedMs) {
    const bool off = IsOffBoardMove(motion.target);
    const JTVec3 d = motion.target - motion.start;
    const float dist = JTVec3Length(d);
    const JTVec3 dir = JTVec3Normalize(d);
    float p = elapsedMs / (PieceMoveSeconds(motion.rookFlag) * 1000.0f);
    const bool fire = motion.style == kStyleFire;
    const bool ice = motion.style == kStyleIce;
    // Fire pieces take their time when they take a piece or are taken.
    if (fire && motion.captureFlag && !off) p *= 0.5f;
    if (fire && off) p *= 2.0f / 3.0f;

    ChessPiecePose pose;
    if (p >= 1.0f) {
        p = 1.0f;
        pose.arrived = true;
    }
    p = std::max(p, 0.0f);

    const float h = std::min(p * kArrivalScale, 1.0f);
    const float height = ice ? (motion.captureFlag ? 5.0f : 2.0f) : dist * 0.25f;
    const float arc = std::sin(h * kPi) * height;
    const float lift = fire ? 0.0f : arc; // fire pieces slide
    const float lifts = off ? 2.0f : 1.0f;
    pose.position = motion.start + d * h + JTVec3(0, 1, 0) * (lift * lifts);

    const JTVec3 worldUp(0, 1, 0);
    if (motion.rookFlag) {
        // The castling rook swings out sideways, away from the board's middle.
        JTVec3 side = JTVec3Cross(worldUp, dir);
        if (motion.belowCentre) side = -side;
        pose.position += side * arc;
    }

    if (!off) {
        float angle;
        if (ice && motion.captureFlag)
            angle = p * 2.0f * kPi; // a full flip
        else if (p < 0.9f)
            angle = std::pow(std::sin(p * 1.1111112f * kPi), 0.75f) * kLeanRadians;
        else
            angle = std::sin((p - 0.9f) * 10.0f * kPi) * -0.25f * kLeanRadians;
        const JTVec3 axis = JTVec3Cross(worldUp, dir);
        pose.orientation = JTVec3Length(axis) > 0.0f
                               ? JTQuaternionRotationAxis(JTVec3Normalize(axis), angle)
                               : JTQuat();
        if (ice)
            pose.orientation = JTQuaternionMultiply(
                pose.orientation, JTQuaternionRotationAxis(worldUp, p * 4.0f * kPi));
    } else {
        pose.orientation =
            JTQuaternionRotationAxis(JTVec3Normalize(JTVec3(1, 1, 0)), p * 2.0f * kPi);
    }
    return pose;
}
