// How pieces travel, the park sun's cycle and the network packets: the
// parts of the game that are plain functions of their inputs.
#include <gtest/gtest.h>

#include <cmath>

#include "chess/game/chess_constants.h"
#include "chess/game/net_packets.h"
#include "chess/game/piece_motion.h"
#include "chess/game/sun_cycle.h"

namespace {

ChessPieceMotion Move(JTVec3 from, JTVec3 to, int style = kStylePark) {
    ChessPieceMotion m;
    m.start = from;
    m.target = to;
    m.style = style;
    return m;
}

void ExpectAt(const JTVec3& p, const JTVec3& want) {
    EXPECT_NEAR(p.x, want.x, 1e-4f);
    EXPECT_NEAR(p.y, want.y, 1e-4f);
    EXPECT_NEAR(p.z, want.z, 1e-4f);
}

TEST(PieceMotion, ArrivesAtNinetyFivePercentAndEndsAfterItsTime) {
    const ChessPieceMotion e2e4 = Move({0.5f, 0, -2.5f}, {0.5f, 0, -0.5f});
    EXPECT_FALSE(PiecePoseAt(e2e4, 1000.0f).arrived);
    // In the air half way, on the target from 95 % of 1.5 s on.
    EXPECT_GT(PiecePoseAt(e2e4, 750.0f).position.y, 0.4f);
    ExpectAt(PiecePoseAt(e2e4, 1425.0f).position, {0.5f, 0, -0.5f});
    const ChessPiecePose end = PiecePoseAt(e2e4, 1500.0f);
    EXPECT_TRUE(end.arrived);
    ExpectAt(end.position, {0.5f, 0, -0.5f});
    // Standing upright again at the end.
    EXPECT_NEAR(std::fabs(end.orientation.w), 1.0f, 1e-3f);
}

TEST(PieceMotion, TheCastlingRookTakesLongerAndSwingsOut) {
    ChessPieceMotion rook = Move({3.5f, 0, -3.5f}, {1.5f, 0, -3.5f});
    rook.rookFlag = true;
    rook.belowCentre = true;
    EXPECT_FALSE(PiecePoseAt(rook, 1600.0f).arrived);
    EXPECT_TRUE(PiecePoseAt(rook, 2000.0f).arrived);
    // Away from the board's middle: White's rook swings towards -z.
    EXPECT_LT(PiecePoseAt(rook, 1000.0f).position.z, -3.5f);
}

TEST(PieceMotion, FirePiecesSlideAndTakenPiecesTumbleOffTheBoard) {
    const ChessPiecePose fire =
        PiecePoseAt(Move({0.5f, 0, 0.5f}, {0.5f, 0, -1.5f}, kStyleFire), 700);
    EXPECT_FLOAT_EQ(fire.position.y, 0.0f);
    const ChessPieceMotion taken = Move({0.5f, 0, 0.5f}, {-5.5f, -0.05f, -3.0f});
    EXPECT_TRUE(IsOffBoardMove(taken.target));
    EXPECT_FALSE(IsOffBoardMove({3.5f, 0, 3.5f}));
    // Higher on the way out than a move on the board of that length.
    ChessPieceMotion onBoard = taken;
    onBoard.target = {0.5f, 0, 0.5f - 6.7f};
    EXPECT_GT(PiecePoseAt(taken, 700).position.y, PiecePoseAt(onBoard, 700).position.y);
    ExpectAt(PiecePoseAt(taken, 1500).position, taken.target);
}

TEST(SunCycle, CrossesTheSkyAndComesBackAfterEachMinute) {
    ChessSunCycle sun;
    const ChessSunState dawn = sun.Step(0);
    EXPECT_FLOAT_EQ(dawn.light.r, 0.0f); // faded in from nothing
    EXPECT_NEAR(dawn.sky.g, 0.3f, 1e-5f);
    const ChessSunState noon = sun.Step(30000);
    EXPECT_FLOAT_EQ(noon.light.r, 1.0f);
    EXPECT_NEAR(noon.sky.r, 1.0f, 1e-5f);
    EXPECT_GT(noon.position.y, 100.0f); // high over the board
    const JTVec3 late = sun.Step(59000).position;
    EXPECT_FALSE(sun.IsReturning());
    // After the wrap the sun goes back the way it came.
    const JTVec3 back = sun.Step(61000).position;
    EXPECT_TRUE(sun.IsReturning());
    EXPECT_NEAR(back.x, late.x, 3.0f);
    EXPECT_NEAR(back.y, late.y, 3.0f);
}

TEST(NetPackets, AMoveIsFiveBytesTypeFirstThenTheWordLittleEndian) {
    uint8_t buffer[8] = {};
    uint8_t* write = buffer;
    ChessNetMove(0x2264).Write(write);
    EXPECT_EQ(write - buffer, 5);
    EXPECT_EQ(buffer[0], 0x01);
    EXPECT_EQ(buffer[1], 0x64);
    EXPECT_EQ(buffer[2], 0x22);
    const uint8_t* read = buffer;
    ChessNetMove back;
    back.Read(read);
    EXPECT_EQ(back.move, 0x2264u);
    EXPECT_EQ(read - buffer, 5);
    write = buffer;
    ChessNetNewGame().Write(write);
    EXPECT_EQ(write - buffer, 1);
    EXPECT_EQ(buffer[0], 0x02);
}

} // namespace
