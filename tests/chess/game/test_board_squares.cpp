// The board under the cursor and the pieces' captures on the running game:
// which squares offer a marker and a halo and when, and the fire piece that
// bursts into parts when it is taken.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "Jentra/JTDisplay.h"
#include "Jentra/JTEntityProps.h"
#include "Jentra/JTFrameClock.h"
#include "Jentra/JTGeoNode.h"
#include "Jentra/JTMesh.h"
#include "Jentra/JTTransNode.h"
#include "chess/game/chess_effects.h"
#include "chess/game/chess_pieces.h"
#include "tests/chess/game/game_session.h"
#include "tests/chess/game/menu_helpers.h"

namespace {

using namespace rookfall_test;

constexpr int kE2 = 0x64, kE4 = 0x44, kE5 = 0x34, kE7 = 0x14, kD7 = 0x13, kD5 = 0x33;

class BoardSession : public GameSession {};

// The first geometry node below the node, depth first.
JTGeoNode* FirstGeo(JTNode* node) {
    if (!node) return nullptr;
    if (node->IsDerived(JTGeoNode::nType)) return static_cast<JTGeoNode*>(node);
    for (int i = 0; i < node->GetNumChildren(); ++i)
        if (JTGeoNode* found = FirstGeo(node->GetChild(i))) return found;
    return nullptr;
}

// The model an entity shows, by its file name ("" for none).
std::string ModelName(JTEntity* entity) {
    JTNode* root = entity ? entity->GetChild(0) : nullptr;
    return root && root->GetName() ? root->GetName() : "";
}

void ExpectHalo(ChessSquare* square, float size, float green) {
    JTGeoNode* geo = FirstGeo(square->GetHighlight());
    ASSERT_NE(geo, nullptr) << "no halo";
    auto* halo = dynamic_cast<ChessMarkerEffect*>(geo->GetEffect());
    ASSERT_NE(halo, nullptr);
    EXPECT_FLOAT_EQ(halo->size, size);
    EXPECT_FLOAT_EQ(halo->color[0], 1.0f);
    EXPECT_FLOAT_EQ(halo->color[1], green);
}

TEST_F(BoardSession, SquaresOfferOnlyWhatThePlayerMayDo) {
    Play([&](ScriptedGame& g, int step) {
        ChessSquare* e2 = g.GetSquare(kE2);
        ChessSquare* e4 = g.GetSquare(kE4);
        if (!e2 || !e4) {
            ADD_FAILURE() << "no squares";
            return true;
        }
        switch (step) {
        case 0:
            return false; // the squares see the board's state in this frame
        case 1:
            // Nothing selected: an own piece is valid and glows a little.
            Hover(g, kE2, true);
            EXPECT_EQ(ModelName(e2->GetMarker()), "Chess\\SquareValid.jtm");
            ExpectHalo(e2, 0.05f, 1.0f);
            Hover(g, kE2, false);
            EXPECT_EQ(e2->GetMarker(), nullptr);
            EXPECT_EQ(e2->GetHighlight(), nullptr);
            // An opponent's piece and an empty square are not.
            for (int square : {kE7, kE4}) {
                Hover(g, square, true);
                EXPECT_EQ(ModelName(g.GetSquare(square)->GetMarker()), "Chess\\SquareInvalid.jtm");
                EXPECT_EQ(g.GetSquare(square)->GetHighlight(), nullptr);
                Hover(g, square, false);
            }
            // The right button picks nothing.
            {
                JTID cursor;
                JTRouter::Send(&cursor, &e2->GetID(), JTMSG_BUTTONDOWN,
                               reinterpret_cast<void*>(intptr_t(1)));
            }
            EXPECT_EQ(g.GetSelected(), -1);

            // Selected: the piece glows more and keeps it when left.
            Hover(g, kE2, true);
            g.Pick(kE2);
            ExpectHalo(e2, 0.1f, 1.0f);
            Hover(g, kE2, false);
            ExpectHalo(e2, 0.1f, 1.0f);
            Hover(g, kE4, true);
            EXPECT_EQ(ModelName(e4->GetMarker()), "Chess\\SquareValid.jtm");
            Hover(g, kE4, false);
            Hover(g, kE5, true);
            EXPECT_EQ(ModelName(g.GetSquare(kE5)->GetMarker()), "Chess\\SquareInvalid.jtm");
            Hover(g, kE5, false);
            g.Pick(kE4);
            EXPECT_EQ(e2->GetHighlight(), nullptr);

            // A piece that may be taken glows red.
            g.PickMove(chess::EncodeMove(kD7, kD5));
            g.Pick(kE4);
            Hover(g, kD5, true);
            EXPECT_EQ(ModelName(g.GetSquare(kD5)->GetMarker()), "Chess\\SquareValid.jtm");
            ExpectHalo(g.GetSquare(kD5), 0.1f, 0.2f);
            g.Pick(kE4); // deselected again
            g.SetPlayers(kPlayerComputer, kPlayerLocal);
            return false;
        case 2:
            // While the computer is to move the board offers nothing.
            EXPECT_FALSE(e4->GetPickable());
            EXPECT_EQ(g.GetSquare(kD5)->GetMarker(), nullptr);
            EXPECT_EQ(g.GetSquare(kD5)->GetHighlight(), nullptr);
            Hover(g, kE4, true);
            EXPECT_EQ(e4->GetMarker(), nullptr);
            EXPECT_EQ(e4->GetHighlight(), nullptr);
            g.SetPlayers(kPlayerLocal, kPlayerLocal);
            g.OpenMenu(kMenuInGame);
            return false;
        case 3:
            // Nor while a menu is open.
            EXPECT_FALSE(e4->GetPickable());
            Hover(g, kE4, true);
            EXPECT_EQ(e4->GetMarker(), nullptr);
            g.CloseMenu();
            return false;
        case 4:
            EXPECT_TRUE(e4->GetPickable());
            return true;
        default:
            return true;
        }
    });
}

// The faces of the model an entity shows, counted in its triangle list.
unsigned ListFaces(JTEntity* entity) {
    JTGeoNode* geo = FirstGeo(entity);
    return geo && geo->GetMesh() ? geo->GetMesh()->GetNumListIndices() / 3 : 0;
}

TEST_F(BoardSession, ATakenFirePieceBurstsIntoTwentyPartsThatAreGoneTenSecondsLater) {
    uint32_t taken = 0, burst = 0;
    unsigned pawnFaces = 0;
    bool sawParts = false;
    Play(
        [&](ScriptedGame& g, int step) {
            const int parts = CountLive<ChessTimedEntity>(g.GetMainScene());
            if (step == 0) {
                g.LoadWorld(kWorldFireAndIce);
                return false;
            }
            if (step == 1) {
                ChessPieceEntity* pawn = g.PieceOn(kD7);
                EXPECT_TRUE(pawn && pawn->style == kStyleFire);
                pawnFaces = ListFaces(pawn);
                EXPECT_GE(pawnFaces, 20u);
                g.PickMove(kE2 | kE4 << 7);
                g.PickMove(kD7 | kD5 << 7);
                g.PickMove(kE4 | kD5 << 7);
                taken = gdwTime;
                return false;
            }
            const uint32_t since = gdwTime - taken;
            // The piece stands still for 85 % of its 1.5 s move.
            if (since < 1275) {
                EXPECT_EQ(parts, 0) << since;
            }
            if (parts > 0 && !sawParts) {
                sawParts = true;
                burst = gdwTime;
                EXPECT_EQ(parts, ChessPieceEntity::kBurstParts);
                for (int i = 0; i < g.GetMainScene()->GetNumChildren(); ++i)
                    if (auto* part =
                            dynamic_cast<ChessTimedEntity*>(g.GetMainScene()->GetChild(i))) {
                        EXPECT_EQ(ListFaces(part), pawnFaces / 20);
                        EXPECT_GE(part->GetVelocity().y, 0.0f);
                    }
            }
            if (!sawParts) return false;
            const uint32_t age = gdwTime - burst;
            if (age < 9000) {
                EXPECT_EQ(parts, 20) << age;
            }
            if (age > 10600) {
                EXPECT_EQ(parts, 0) << age;
                return true;
            }
            return false;
        },
        400);
    EXPECT_TRUE(sawParts);
}

TEST_F(BoardSession, HolographicPiecesJumpAtTheirSquashAndTakenIcePiecesMeltWithSteam) {
    ChessPieceEntity* holo = nullptr;
    ChessPieceEntity* ice = nullptr;
    uint32_t start = 0;
    int phase = 0;
    Play(
        [&](ScriptedGame& g, int) {
            switch (phase) {
            case 0:
                g.LoadWorld(kWorldHolographic);
                phase = 1;
                return false;
            case 1:
                holo = g.PieceOn(kE2);
                EXPECT_TRUE(holo && holo->style == kStyleHolographic);
                if (!holo) return true;
                g.PickMove(kE2 | kE4 << 7);
                start = gdwTime;
                phase = 2;
                return false;
            case 2: {
                // Squashed where it stood, then at its target from a second on.
                const uint32_t since = gdwTime - start;
                if (since < 1000) {
                    EXPECT_FLOAT_EQ(holo->GetPos().z, -2.5f) << since;
                    if (since > 0) {
                        EXPECT_TRUE(FirstGeo(holo)->GetSquash());
                    }
                    return false;
                }
                if (since < 1200) return false;
                EXPECT_FLOAT_EQ(holo->GetPos().z, -0.5f);
                EXPECT_FALSE(holo->moving);
                g.LoadWorld(kWorldFireAndIce);
                g.StartNewGame();
                phase = 3;
                return false;
            }
            case 3:
                // Black's fire pawn takes White's ice pawn: 1.e4 d5 2.a3 dxe4.
                g.PickMove(kE2 | kE4 << 7);
                g.PickMove(kD7 | kD5 << 7);
                g.PickMove(0x60 | 0x50 << 7);
                ice = g.PieceOn(kE4);
                EXPECT_TRUE(ice && ice->style == kStyleIce);
                if (!ice) return true;
                g.PickMove(kD5 | kE4 << 7);
                start = gdwTime;
                phase = 4;
                return false;
            default: {
                const uint32_t since = gdwTime - start;
                int steam = 0;
                for (int i = 0; i < g.GetMainScene()->GetNumChildren(); ++i) {
                    JTEntityProps* props = g.GetMainScene()->GetChild(i)->GetMyProps();
                    if (props && std::string(props->szName) == "IceMeltSteam") ++steam;
                }
                if (since > 400 && since < 5000) {
                    EXPECT_EQ(steam, 1) << since;
                    EXPECT_TRUE(FirstGeo(ice)->GetSink()) << since;
                    EXPECT_TRUE(ice->moving);
                }
                if (since < 6000) return false;
                // Gone from the board and back, whole, at its parking place.
                EXPECT_FALSE(ice->moving);
                EXPECT_FALSE(FirstGeo(ice)->GetSink());
                EXPECT_FLOAT_EQ(ice->GetPos().x, ice->parking.x);
                EXPECT_FLOAT_EQ(ice->GetPos().z, ice->parking.z);
                return true;
            }
            }
        },
        400);
}

// A piece of fire with its own model, taken 1.6 s ago.
ChessPieceEntity* TakenFirePiece(JTNode* model) {
    auto* piece = new ChessPieceEntity();
    if (model) piece->AddChild(model);
    piece->style = kStyleFire;
    piece->moveTarget = JTVec3(-12.0f, -5.0f, 0.0f);
    piece->moving = true;
    piece->moveStartTime = gdwTime - 1600;
    return piece;
}

TEST_F(BoardSession, ASmallMeshBreaksIntoFewerPartsAndAModelWithoutGeometryStillArrives) {
    ChessPieceEntity* small = nullptr;
    ChessPieceEntity* bare = nullptr;
    Play([&](ScriptedGame& g, int step) {
        if (step == 0) {
            // Five triangles of a fan.
            Vert1 vertices[7] = {};
            for (int i = 1; i < 7; ++i) {
                vertices[i].x = float(i);
                vertices[i].y = float(i % 2);
            }
            const unsigned short indices[15] = {0, 1, 2, 0, 2, 3, 0, 3, 4, 0, 4, 5, 0, 5, 6};
            auto* mesh = new JTMesh();
            EXPECT_TRUE(
                mesh->CreateBuffersFromData(gpJTDisplay, vertices, 7, indices, 15, false, false));
            auto* geo = new JTGeoNode();
            geo->SetMesh(mesh);
            auto* root = new JTTransNode();
            root->AddChild(geo);
            small = TakenFirePiece(root);
            // A chain of first children that ends without geometry.
            auto* top = new JTTransNode();
            top->AddChild(new JTTransNode());
            bare = TakenFirePiece(top);
            g.GetMainScene()->Add(small);
            g.GetMainScene()->Add(bare);
            return false;
        }
        if (step == 1) return false; // the pieces update once in the scene
        EXPECT_EQ(CountLive<ChessTimedEntity>(g.GetMainScene()), 5);
        for (int i = 0; i < g.GetMainScene()->GetNumChildren(); ++i)
            if (auto* part = dynamic_cast<ChessTimedEntity*>(g.GetMainScene()->GetChild(i))) {
                EXPECT_EQ(ListFaces(part), 1u);
            }
        for (ChessPieceEntity* piece : {small, bare}) {
            EXPECT_FALSE(piece->moving);
            EXPECT_FLOAT_EQ(piece->GetPos().x, -12.0f);
        }
        return true;
    });
}

} // namespace
