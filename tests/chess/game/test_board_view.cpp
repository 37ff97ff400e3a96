// The board as the player sees it: every game started from the menus, and
// a replay, begins in the view from behind White and stays there (the
// drifting view belongs to the menus), and once an opening has brought
// pieces onto the middle ranks, the interface draws nothing over a piece or
// its square, seen from behind White or Black, neither with the help off
// nor with its lines on their plates, on a 4:3 and on a 5:4 screen that the
// game's cameras and interface follow when the display changes its shape.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "Jentra/JTCamera.h"
#include "Jentra/JTCursor.h"
#include "Jentra/JTDisplay.h"
#include "Jentra/JTKeyCodes.h"
#include "Jentra/JTView.h"
#include "platform/window.h"
#include "chess/engine/board.h"
#include "chess/game/chess_pieces.h"
#include "tests/chess/game/game_session.h"
#include "tests/chess/game/menu_helpers.h"

namespace {

using namespace rookfall_test;

class BoardView : public GameSession {
protected:
    void LookAtAnOpening(int width, int height);
};

// Where the colour menu puts the camera for White: up and behind, looking
// down on the board's centre.
bool InWhitesView(JTCamera* camera) {
    const JTVec3 eye = camera->GetFocus() + JTVec3(0.0f, 13.0f, -7.0f);
    const JTVec3 dir = JTVec3Normalize(JTVec3(0.0f, -13.0f, 7.0f));
    return JTVec3Length(camera->GetPos() - eye) < 1e-3f &&
           JTVec3Dot(camera->GetDir(), dir) > 0.99999f;
}

int FindItem(JTList* list, const char* text) {
    for (int i = 0; list && i < list->GetNumItems(); ++i)
        if (list->GetItemText(i) && std::string(list->GetItemText(i)) == text) return i;
    return -1;
}

void WriteRecorded(const std::filesystem::path& file, const std::vector<chess::ChessMove>& moves) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    auto put = [&](uint32_t v) {
        const char bytes[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
        out.write(bytes, 4);
    };
    put(uint32_t(moves.size()));
    for (chess::ChessMove m : moves)
        put(m);
}

TEST_F(BoardView, EveryGameAndEveryReplayStartsBehindWhiteAndStaysThere) {
    UsePrivateDataFolder();
    // f3 e5 g4 Qh4#.
    WriteRecorded(RecordedFile("mate.gam"), {0x2AE5, 0x1A14, 0x2366, 0x2383});

    // How each game is started from the main menu, a frame at a time; true
    // once it is on the board.
    const std::vector<std::pair<const char*, std::function<bool(ScriptedGame&, int)>>> starts = {
        {"Shift + Human vs. Computer",
         [](ScriptedGame&, int k) {
             if (k == 0) PushKey(DIK_LSHIFT, true);
             return false;
         }},
        {"Computer vs. Computer", [](ScriptedGame& g, int) { return Choose(g, 2); }},
        {"Play on this Computer",
         [](ScriptedGame& g, int k) {
             if (k == 0) return !Choose(g, 3); // Human vs. Human: how to play comes next
             return Choose(g, FindItem(ShownList(g), "Play on this Computer"));
         }},
        {"a recorded game",
         [](ScriptedGame& g, int k) {
             if (k == 0) return !Choose(g, 4); // Replay Recorded
             return Choose(g, 0);
         }},
    };
    constexpr int kDriftFrames = 10; // the main menu's view turns meanwhile
    constexpr int kHoldFrames = 40;  // 8 s of game time on the board

    size_t path = 0;
    int at = 0, startedAt = -1;
    Play(
        [&](ScriptedGame& g, int) {
            const char* name = starts[path].first;
            JTCamera* camera = g.GetMainCamera();
            const int frame = at++;
            if (frame == 0 && g.GetCurrentMenu() != kMenuMain) g.OpenMenu(kMenuMain);
            if (frame < kDriftFrames) return false;
            if (startedAt < 0) {
                if (frame == kDriftFrames) {
                    EXPECT_FALSE(InWhitesView(camera)) << name;
                }
                // The Shift key is down from the frame after it was pressed.
                const bool shift = path == 0 && frame == kDriftFrames + 1;
                if (shift) {
                    EXPECT_TRUE(Choose(g, 1));
                    PushKey(DIK_LSHIFT, false);
                }
                if (shift || starts[path].second(g, frame - kDriftFrames)) {
                    startedAt = frame;
                    EXPECT_EQ(g.GetCurrentMenu(), kMenuBoard) << name;
                    EXPECT_TRUE(InWhitesView(camera)) << name;
                }
                EXPECT_LT(frame, kDriftFrames + 5) << name << " did not start";
                return frame >= kDriftFrames + 5;
            }
            if (frame < startedAt + kHoldFrames) return false;
            EXPECT_TRUE(InWhitesView(camera)) << name << ": the view moved by itself";
            if (path == 3) {
                EXPECT_EQ(g.GetPlayer(chess::White), kPlayerReplay);
                EXPECT_GE(g.GetMoves().GetCount(), 2) << "the replay goes on meanwhile";
            }
            at = 0;
            startedAt = -1;
            return ++path == starts.size();
        },
        600, "nosplash", false);
    EXPECT_EQ(path, starts.size());
}

// Pixels a frame covers, in screen pixels from the top left.
struct Rect {
    float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f;
    void Add(float x, float y) {
        x0 = std::min(x0, x);
        y0 = std::min(y0, y);
        x1 = std::max(x1, x);
        y1 = std::max(y1, y);
    }
    bool Holds(int x, int y) const {
        return float(x) >= x0 && float(x) <= x1 && float(y) >= y0 && float(y) <= y1;
    }
};

struct Screen {
    JTMatrix viewProjection;
    int width, height;
    void Add(const JTVec3& p, Rect& rect) const {
        const JTVec3 ndc = JTVec3TransformCoord(p, viewProjection);
        rect.Add((ndc.x * 0.5f + 0.5f) * float(width), (0.5f - ndc.y * 0.5f) * float(height));
    }
};

// Every vertex a node and its children draw, through their matrices.
void AddDrawn(JTNode* node, const JTMatrix& world, const Screen& screen, Rect& rect) {
    if (!node) return;
    if (node->IsDerived(JTGeoNode::nType))
        if (JTMesh* mesh = static_cast<JTGeoNode*>(node)->GetMesh())
            for (unsigned i = 0; i < mesh->GetNumVertices(); ++i) {
                Vert1 v;
                if (mesh->GetVertex(i, v))
                    screen.Add(JTVec3TransformCoord(JTVec3(v.x, v.y, v.z), world), rect);
            }
    for (int i = 0; i < node->GetNumChildren(); ++i) {
        JTNode* child = node->GetChild(i);
        if (child && child->IsDerived(JTTransNode::nType))
            AddDrawn(child, static_cast<JTTransNode*>(child)->GetMatrix() * world, screen, rect);
        else
            AddDrawn(child, world, screen, rect);
    }
}

// One frame drawn now, with or without the interface's view.
bool DrawFrame(ChessGame& game, bool withInterface, std::vector<uint32_t>& pixels) {
    JTDisplay* display = gpJTDisplay;
    int index = -1;
    for (int i = 0; i < display->GetNumViews(); ++i)
        if (display->GetView(i)->GetScene() == game.GetInterfaceScene()) index = i;
    if (index < 0) return false;
    JTView* interfaceView = display->GetView(index);
    if (!withInterface) display->RemoveView(index);
    display->Render();
    int width = 0, height = 0;
    const bool read = display->GetDevice()->ReadFrontBuffer(pixels, width, height);
    if (!withInterface) display->InsertView(index, interfaceView);
    return read && width == display->GetWidth() && height == display->GetHeight();
}

bool Differs(uint32_t a, uint32_t b) {
    for (int shift : {0, 8, 16})
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 24) return true;
    return false;
}

// The interface draws more than minDrawn pixels, none over a piece.
void ExpectNothingOverThePieces(ScriptedGame& game, int width, int height, int minDrawn) {
    JTDisplay* display = gpJTDisplay;
    ASSERT_NE(display, nullptr);
    ASSERT_EQ(display->GetWidth(), width);
    ASSERT_EQ(display->GetHeight(), height);
    ASSERT_NE(game.GetHelpText(), nullptr);
    // The board keeps its proportions on the new screen.
    EXPECT_FLOAT_EQ(game.GetMainCamera()->GetAspect(), float(width) / float(height));

    std::vector<uint32_t> with, without;
    ASSERT_TRUE(DrawFrame(game, true, with));
    ASSERT_TRUE(DrawFrame(game, false, without));

    // Where each piece and its square show, as the camera sees them now.
    JTCamera* camera = game.GetMainCamera();
    const Screen screen{camera->GetView() * camera->GetPerspective(), width, height};
    std::vector<std::pair<int, Rect>> pieces;
    for (int i = 0; i < game.GetNumPieces(); ++i) {
        ChessPieceEntity* piece = game.GetPiece(i);
        if (!piece || piece->square < 0) continue;
        Rect rect;
        AddDrawn(piece, piece->GetConcatMatrix(), screen, rect);
        const JTVec3 centre = ChessPieceEntity::SquarePosition(piece->square);
        for (float dx : {-0.5f, 0.5f})
            for (float dz : {-0.5f, 0.5f})
                screen.Add(centre + JTVec3(dx, 0.0f, dz), rect);
        pieces.emplace_back(piece->square, rect);
    }
    ASSERT_EQ(pieces.size(), 32u);

    int drawn = 0;
    std::vector<int> covered;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const size_t at = size_t(y) * size_t(width) + size_t(x);
            if (!Differs(with[at], without[at])) continue;
            ++drawn;
            for (const auto& [square, rect] : pieces)
                if (rect.Holds(x, y) &&
                    std::find(covered.begin(), covered.end(), square) == covered.end())
                    covered.push_back(square);
        }
    // "F1 for help" (or the help on its plates) and the two logos are drawn...
    EXPECT_GT(drawn, minDrawn);
    // ...and none of it over a piece.
    std::string squares;
    for (int square : covered)
        squares += " " + std::to_string(square);
    EXPECT_TRUE(covered.empty()) << "drawn over the pieces on 0x88 squares" << squares;
}

// 1. e4 e5 2. Nf3 Nc6 3. Bc4 Bc5 4. d3 d6: pieces of both sides on each of
// the ranks 3 to 6, none taken.
const chess::ChessMove kOpening[] = {chess::EncodeMove(0x64, 0x44), chess::EncodeMove(0x14, 0x34),
                                     chess::EncodeMove(0x76, 0x55), chess::EncodeMove(0x01, 0x22),
                                     chess::EncodeMove(0x75, 0x42), chess::EncodeMove(0x05, 0x32),
                                     chess::EncodeMove(0x63, 0x53), chess::EncodeMove(0x13, 0x23)};

// The opening played on a screen of that size, its pieces at rest, then
// the board from behind White and from behind Black with the interface as
// it stands once the game has loaded: "F1 for help", then the help's lines.
void BoardView::LookAtAnOpening(int width, int height) {
    constexpr int kRestFrame = 10; // the last move's flight of 1.5 s is over
    // Pressing F1 takes two frames: the key goes down, then up.
    auto pressF1 = [](int step, int at) {
        if (step == at || step == at + 1) PushKey(DIK_F1, step == at);
    };
    int checks = 0;
    Play([&](ScriptedGame& g, int step) {
        if (step == 0) {
            // The window takes the size, and the display with it; the game
            // follows from the next frame on.
            gpJTDisplay->GetHwnd()->SetSize(width, height);
            gpJTDisplay->ChangeDisplayMode(nullptr);
            g.PlaceCameraBehind(chess::White);
            if (gpCursor) gpCursor->ShowCursor(false); // the pointer may go anywhere
            for (chess::ChessMove m : kOpening)
                g.PickMove(m);
            EXPECT_EQ(MoveList(g), "e2e4 e7e5 g1f3 b8c6 f1c4 f8c5 d2d3 d7d6");
            return false;
        }
        pressF1(step, kRestFrame + 1);
        pressF1(step, kRestFrame + 4);
        if (step == kRestFrame) {
            ++checks;
            ExpectNothingOverThePieces(g, width, height, 300);
        } else if (step == kRestFrame + 3) {
            // The help's lines on their plates in the top corners, a
            // twentieth of the screen at least.
            ++checks;
            EXPECT_TRUE(g.IsHelpOn());
            ExpectNothingOverThePieces(g, width, height, width * height / 20);
            g.PlaceCameraBehind(chess::Black);
        } else if (step == kRestFrame + 4) {
            ++checks;
            EXPECT_TRUE(g.IsHelpOn());
            ExpectNothingOverThePieces(g, width, height, width * height / 20);
        } else if (step == kRestFrame + 6) {
            ++checks;
            EXPECT_FALSE(g.IsHelpOn());
            ExpectNothingOverThePieces(g, width, height, 300);
        }
        return step == kRestFrame + 6;
    });
    EXPECT_EQ(checks, 4);
}

TEST_F(BoardView, NothingIsDrawnOverThePiecesOnA4To3Screen) {
    LookAtAnOpening(640, 480);
}

TEST_F(BoardView, NothingIsDrawnOverThePiecesOnA5To4Screen) {
    LookAtAnOpening(640, 512);
}

} // namespace
