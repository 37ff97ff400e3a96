// The whole game in this process, on the headless display, played by
// scripts: moves by square messages, recorded games saved and replayed,
// network data from a peer (good and bad), the end of a game, the menu
// stack, and a piece whose model is missing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "Jentra/JTAudio.h"
#include "Jentra/JTDataFolder.h"
#include "Jentra/JTDisplay.h"
#include "Jentra/JTFrameClock.h"
#include "Jentra/JTKeyCodes.h"
#include "Jentra/JTEventQueue.h"
#include "Jentra/core/input/key_table.h"
#include "platform/events.h"
#include "chess/engine/movegen.h"
#include "chess/engine/position_text.h"
#include "chess/game/chess_pieces.h"
#include "platform/clock.h"
#include "tests/chess/game/game_session.h"

// Reaches into the game where a test needs what no player can do.
class ChessGameTestAccess {
public:
    static void SetPieceModel(ChessGame& game, int colour, int kind, const char* model) {
        std::snprintf(game.pieceModels[colour * 6 + kind], ChessGame::kNameSize, "%s", model);
    }
};

namespace {

using rookfall_test::ScriptedGame;

constexpr chess::ChessMove kE2E4 = 0x2264;
constexpr chess::ChessMove kE7E5 = 0x1A14;
// Game time each frame of these tests lasts (the session's default).
constexpr uint32_t kFrameMs = 200;

std::vector<uint8_t> ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::filesystem::path& file, const std::vector<uint8_t>& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<uint8_t> MovePacket(chess::ChessMove m) {
    return {0x01, uint8_t(m), uint8_t(m >> 8), uint8_t(m >> 16), uint8_t(m >> 24)};
}

using rookfall_test::GameSession;

TEST_F(GameSession, RecordsSquarePickedMovesAndReplaysThem) {
    // "t.gam" itself, as a player would name it; another test run of the
    // same build shares the folder, so it is written only here.
    const std::string name = "t.gam";
    recorded_.push_back(name);
    std::vector<uint8_t> saved;
    std::string replayed;
    Play([&](ScriptedGame& g, int step) {
        if (step == 0) {
            g.Pick(chess::MoveFrom(kE2E4));
            EXPECT_EQ(g.GetSelected(), chess::MoveFrom(kE2E4));
            g.Pick(chess::MoveTo(kE2E4));
            g.PickMove(kE7E5);
            EXPECT_EQ(rookfall_test::MoveList(g), "e2e4 e7e5");
            EXPECT_TRUE(g.SaveRecordedGame(name.c_str()));
            saved = ReadFile(RecordedFile(name));
            EXPECT_TRUE(g.ReplayRecordedGame(name.c_str()));
            EXPECT_EQ(g.GetPlayer(0), kPlayerReplay);
            EXPECT_EQ(g.GetMoves().GetCount(), 0);
            return false;
        }
        if (g.GetMoves().GetCount() < 2) return false;
        replayed = chess::GetPosition();
        return true;
    });
    EXPECT_EQ(saved, (std::vector<uint8_t>{0x02, 0, 0, 0, 0x64, 0x22, 0, 0, 0x14, 0x1A, 0, 0}));
    EXPECT_EQ(replayed, "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq -");
}

TEST_F(GameSession, ReplayEndsAtTheFirstIllegalMoveAndRefusesShortFiles) {
    const std::string broken = RecordedName("third_illegal");
    const std::string shortFile = RecordedName("count_too_big");
    std::filesystem::create_directories(RecordedFile(broken).parent_path());
    // e2e4, e7e5, then e2e4 again (no pawn stands on e2 any more), then d2d4.
    WriteFile(RecordedFile(broken),
              {4, 0, 0, 0, 0x64, 0x22, 0, 0, 0x14, 0x1A, 0, 0, 0x64, 0x22, 0, 0, 0x63, 0x21, 0, 0});
    // A count of five over two moves.
    WriteFile(RecordedFile(shortFile), {5, 0, 0, 0, 0x64, 0x22, 0, 0, 0x14, 0x1A, 0, 0});
    int waited = 0;
    Play([&](ScriptedGame& g, int step) {
        if (step == 0) {
            EXPECT_FALSE(g.ReplayRecordedGame(shortFile.c_str()));
            EXPECT_EQ(g.GetPlayer(0), kPlayerLocal);
            EXPECT_FALSE(g.ReplayRecordedGame("missing.gam"));
            EXPECT_TRUE(g.ReplayRecordedGame(broken.c_str()));
            return false;
        }
        // Long enough for all four moves had they been good.
        return g.GetReplayIndex() >= g.GetReplayCount() && ++waited > 2 * 3000 / int(kFrameMs);
    });
    EXPECT_EQ(rookfall_test::MoveList(*game_), "e2e4 e7e5");
    EXPECT_EQ(game_->GetReplayIndex(), 4);
}

TEST_F(GameSession, SavingRefusesNamesThatAreNoPlainFileName) {
    Play([&](ScriptedGame& g, int) {
        for (const char* bad : {"", ".gam", "../x.gam", "a/b.gam", "a\\b.gam", "..", "...gam"})
            EXPECT_FALSE(g.SaveRecordedGame(bad)) << bad;
        return true;
    });
}

TEST_F(GameSession, NetworkDataOnlyEverMakesTheRemoteSidesLegalMoves) {
    std::string before, after;
    Play([&](ScriptedGame& g, int step) {
        if (step > 0) return true;
        g.SetPlayers(kPlayerLocal, kPlayerRemote);
        before = chess::GetPosition();
        const std::vector<std::vector<uint8_t>> hostile = {
            {0x01},
            {0x01, 0x14, 0x1A, 0x00},
            {0x01, 0x14, 0x1A, 0x00, 0x00, 0x00},
            MovePacket(kE7E5), // out of turn: White is to move
            {0x07, 0, 0, 0, 0},
        };
        for (const auto& packet : hostile)
            g.Receive(packet.data(), unsigned(packet.size()));
        g.Receive(nullptr, 0);
        EXPECT_EQ(chess::GetPosition(), before);
        EXPECT_EQ(g.GetMoves().GetCount(), 0);

        g.PickMove(kE2E4);
        const std::string afterWhite = chess::GetPosition();
        // Black's turn now: a pawn jumping three squares, an empty square's
        // "move", a move far off the board and a longer packet change nothing.
        for (const auto& packet :
             {MovePacket(chess::EncodeMove(0x14, 0x44)), MovePacket(chess::EncodeMove(0x22, 0x32)),
              MovePacket(0xFFFFFFFF), std::vector<uint8_t>{0x01, 0x14, 0x1A, 0x00, 0x00, 0x01}})
            g.Receive(packet.data(), unsigned(packet.size()));
        EXPECT_EQ(chess::GetPosition(), afterWhite);
        // The person may not move Black's pieces either.
        g.PickMove(kE7E5);
        EXPECT_EQ(g.GetMoves().GetCount(), 1);

        const auto good = MovePacket(kE7E5);
        g.Receive(good.data(), unsigned(good.size()));
        after = rookfall_test::MoveList(g);
        return false;
    });
    EXPECT_EQ(after, "e2e4 e7e5");
}

TEST_F(GameSession, WhenTheOpponentLeavesThePlayerIsToldForAFewSeconds) {
    uint32_t shownAt = 0;
    Play([&](ScriptedGame& g, int step) {
        if (step == 0) {
            g.SetPlayers(kPlayerLocal, kPlayerRemote);
            g.Message(nullptr, nullptr, JTMSG_NETPLAYERLEFT, nullptr);
            shownAt = gdwRealTime;
            EXPECT_EQ(g.GetNotice(), "Your opponent has left the game");
            return false;
        }
        if (gdwRealTime - shownAt < 4000) {
            EXPECT_EQ(g.GetNotice(), "Your opponent has left the game");
            return false;
        }
        if (gdwRealTime - shownAt <= 5000) return false;
        EXPECT_EQ(g.GetNotice(), "");
        return true;
    });
}

TEST_F(GameSession, EnPassantTakesItsPawnWithoutTheTakenSound) {
    using chess::EncodeMove;
    Play([&](ScriptedGame& g, int) {
        for (chess::ChessMove m : {kE2E4, EncodeMove(0x10, 0x20), EncodeMove(0x44, 0x34), // e5
                                   EncodeMove(0x13, 0x33)})                               // d5
            g.PickMove(m);
        EXPECT_FALSE(gpJTAudio->IsPlaying("ParkTaken.wav"));
        g.PickMove(EncodeMove(0x34, 0x23)); // exd6 en passant
        EXPECT_EQ(g.GetMoves().GetCount(), 5);
        EXPECT_EQ(g.PieceOn(0x33), nullptr); // the pawn of d5 is parked
        EXPECT_TRUE(gpJTAudio->IsPlaying("ParkMove.wav"));
        EXPECT_FALSE(gpJTAudio->IsPlaying("ParkTaken.wav"));
        g.PickMove(EncodeMove(0x00, 0x10)); // Ra8-a7
        g.PickMove(EncodeMove(0x23, 0x12)); // dxc7: a capture on its square
        EXPECT_EQ(g.GetMoves().GetCount(), 7);
        EXPECT_TRUE(gpJTAudio->IsPlaying("ParkTaken.wav"));
        return true;
    });
}

TEST_F(GameSession, APromotionIsAlwaysAQueen) {
    Play([&](ScriptedGame& g, int step) {
        if (step > 0) return true;
        g.SetPlayers(kPlayerRemote, kPlayerLocal);
        EXPECT_TRUE(chess::SetPositionText("4k3/1P6/8/8/8/8/8/4K3 w - -"));
        chess::BuildLegalMoves(false);
        g.LoadWorld(g.GetWorld());
        // The peer sends only the squares (b7-b8); the move made is a queen's.
        const auto packet = MovePacket(chess::EncodeMove(0x11, 0x01));
        g.Receive(packet.data(), unsigned(packet.size()));
        EXPECT_EQ(g.GetMoves().GetCount(), 1);
        if (g.GetMoves().GetCount() == 1) {
            EXPECT_EQ(chess::MovePromotion(g.GetMoves()[0]), 4);
        }
        EXPECT_EQ(chess::gBoard.board[0x01 + 8], chess::Queen);
        // A person's promotion too, whatever the legal list offers first.
        g.SetPlayers(kPlayerLocal, kPlayerLocal);
        EXPECT_TRUE(chess::SetPositionText("4k3/8/8/8/8/8/6p1/4K3 b - -"));
        chess::BuildLegalMoves(false);
        g.LoadWorld(g.GetWorld());
        g.PickMove(chess::EncodeMove(0x66, 0x76));
        EXPECT_EQ(chess::gBoard.board[0x76 + 8], chess::Queen);
        return false;
    });
}

TEST_F(GameSession, MateBetweenPeopleOpensTheGameOverMenuButNotBetweenComputers) {
    // 1.f3 e5 2.g4 Qh4#
    const chess::ChessMove mate[] = {chess::EncodeMove(0x65, 0x55), kE7E5,
                                     chess::EncodeMove(0x66, 0x46), chess::EncodeMove(0x03, 0x47)};
    Play([&](ScriptedGame& g, int step) {
        if (step > 0) return true;
        for (chess::ChessMove m : mate)
            g.PickMove(m);
        EXPECT_EQ(g.GetMoves().GetCount(), 4);
        EXPECT_EQ(g.GetCurrentMenu(), kMenuGameOver);

        g.CloseToBoard();
        g.SetPlayers(kPlayerComputer, kPlayerComputer);
        g.StartNewGame();
        for (chess::ChessMove m : mate)
            EXPECT_TRUE(g.ExecuteMove(m));
        EXPECT_EQ(chess::LegalMoveCount(), 0);
        EXPECT_EQ(g.GetCurrentMenu(), kMenuBoard);
        return false;
    });
}

TEST_F(GameSession, PickingKeepsOrDropsTheSelection) {
    Play([&](ScriptedGame& g, int step) {
        if (step > 0) return true;
        g.Pick(0x14); // a black pawn while White is to move
        EXPECT_EQ(g.GetSelected(), -1);
        g.Pick(0x64);
        g.Pick(0x64); // the selected square again is no move
        EXPECT_EQ(g.GetSelected(), -1);
        g.Pick(0x64);
        g.Pick(0x34); // e2-e5 is no move either
        EXPECT_EQ(g.GetSelected(), -1);
        EXPECT_EQ(g.GetMoves().GetCount(), 0);
        // Nothing is picked for a side the computer plays.
        g.SetPlayers(kPlayerComputer, kPlayerLocal);
        g.Pick(0x64);
        EXPECT_EQ(g.GetSelected(), -1);
        return false;
    });
}

TEST_F(GameSession, MenuStackSwitchesAndEmptyMeansTheBoard) {
    Play([&](ScriptedGame& g, int step) {
        if (step > 0) return true;
        EXPECT_EQ(g.GetCurrentMenu(), kMenuBoard);
        g.OpenMenu(kMenuInGame);
        g.OpenMenu(kMenuSettings);
        EXPECT_EQ(g.GetCurrentMenu(), kMenuSettings);
        g.ReplaceMenu(kMenuAmbianceVolume);
        EXPECT_EQ(g.GetCurrentMenu(), kMenuAmbianceVolume);
        g.CloseMenu();
        EXPECT_EQ(g.GetCurrentMenu(), kMenuInGame);
        g.CloseToBoard();
        EXPECT_EQ(g.GetCurrentMenu(), kMenuBoard);
        while (g.GetMenuDepth() > 0)
            g.CloseMenu();
        EXPECT_EQ(g.GetCurrentMenu(), kMenuBoard);
        g.CloseMenu(); // closing an empty stack changes nothing
        EXPECT_EQ(g.GetMenuDepth(), 0);
        g.OpenMenu(kMenuMain);
        EXPECT_TRUE(g.GetMenuCameraFlag());
        g.ReplaceMenu(kMenuColour);
        EXPECT_FALSE(g.GetMenuCameraFlag());
        return false;
    });
}

TEST_F(GameSession, APieceWhoseModelFailsLeavesItsSlotEmpty) {
    Play([&](ScriptedGame& g, int step) {
        if (step > 0) return true;
        ChessGameTestAccess::SetPieceModel(g, 0, chess::Pawn, "Chess\\Park\\NoSuchPawn.jtm");
        ChessPieceEntity* old = g.PieceOn(0x64);
        EXPECT_NE(old, nullptr);
        if (!old) return true;
        EXPECT_EQ(g.CreatePiece(old->index, 0, chess::Pawn, 0x64), nullptr);
        EXPECT_EQ(g.GetPiece(old->index), nullptr);
        EXPECT_EQ(g.PieceOn(0x64), nullptr);
        // The move is made all the same, with nothing to show for the pawn.
        g.PickMove(kE2E4);
        g.PickMove(kE7E5);
        EXPECT_EQ(rookfall_test::MoveList(g), "e2e4 e7e5");
        EXPECT_NE(g.PieceOn(0x34), nullptr);
        return false;
    });
}

using rookfall_test::PushKey;

TEST_F(GameSession, SpaceAndEscapeOpenAndCloseTheMenus) {
    Play(
        [&](ScriptedGame& g, int step) {
            switch (step) {
            case 0:
                // Behind the main menu the computer plays itself.
                EXPECT_EQ(g.GetCurrentMenu(), kMenuMain);
                EXPECT_EQ(g.GetPlayer(0), kPlayerComputer);
                PushKey(DIK_ESCAPE, true);
                return false;
            case 2:
                EXPECT_EQ(g.GetCurrentMenu(), kMenuBoard);
                PushKey(DIK_ESCAPE, false);
                PushKey(DIK_SPACE, true);
                return false;
            case 4:
                EXPECT_EQ(g.GetCurrentMenu(), kMenuMain);
                g.CloseToBoard();
                g.SetPlayers(kPlayerLocal, kPlayerComputer);
                PushKey(DIK_SPACE, false);
                PushKey(DIK_SPACE, true);
                return false;
            case 6:
                // A person plays: the in-game menu.
                EXPECT_EQ(g.GetCurrentMenu(), kMenuInGame);
                return true;
            default:
                return false;
            }
        },
        600, "nosplash", false);
}

TEST_F(GameSession, TheScreensaverPlaysItselfAndEndsOnAnyInput) {
    int frames = 0;
    Play(
        [&](ScriptedGame& g, int step) {
            if (step == 0) {
                EXPECT_TRUE(g.IsSaverMode());
                EXPECT_EQ(g.GetCurrentMenu(), kMenuBoard);
                EXPECT_EQ(g.GetPlayer(0), kPlayerComputer);
                EXPECT_EQ(g.GetPlayer(1), kPlayerComputer);
                EXPECT_GE(g.GetWorld(), kWorldPark);
                EXPECT_LE(g.GetWorld(), kWorldHolographic);
            }
            // The computer's first move comes three seconds on; then a key.
            if (g.GetMoves().GetCount() > 0 && frames == 0) {
                frames = step;
                platform::Event e;
                e.type = platform::EventType::MouseMove;
                e.motion.dx = 3;
                JTEventQueue().Push(e);
            }
            return false; // the game ends itself
        },
        300, "nosplash /saver", false);
    EXPECT_GT(frames, 0);
    EXPECT_LT(game_->frames, 300);
}

TEST_F(GameSession, SafeModeStartsSmallWithoutMultisampling) {
    Play(
        [&](ScriptedGame& g, int) {
            const JTModeDesc& mode = g.GetUserOptions()->ModeDesc;
            EXPECT_EQ(mode.Width, 640u);
            EXPECT_EQ(mode.Height, 480u);
            EXPECT_EQ(mode.Format, 23u);
            EXPECT_FALSE(g.GetUserOptions()->Multisample);
            EXPECT_FALSE(g.IsSaverMode());
            return true;
        },
        600, "nosplash /safe");
}

} // namespace
