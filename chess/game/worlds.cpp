// Loading a world: the main scene rebuilt with the world's scenery, light and
// effects, one piece entity for each piece of the engine's board, their
// parking places, the 64 square entities and the ambient sound. Also the
// pieces' creation, the start of their moves and the promoted pawn's queen.
#include <cstring>
#include <string>

#include "Jentra/JTAudio.h"
#include "Jentra/JTCamera.h"
#include "Jentra/JTEntityProps.h"
#include "Jentra/JTFrameClock.h"
#include "Jentra/JTGlobals.h"
#include "Jentra/JTProtobase.h"
#include "Jentra/JTScene.h"
#include "Jentra/JTTransNode.h"
#include "chess/game/chess_game.h"
#include "chess/game/chess_pieces.h"
#include "chess/game/chess_square.h"
#include "chess/game/scene_objects.h"
#include "chess/game/world_table.h"

namespace {

const JTVec3 kLightPosition(140.0f, 15.0f, -70.0f);
constexpr float kLightRange = 10000.0f;
const JTVec3 kLavaEffects(0.0f, -30.0f, 0.0f);
constexpr float kSquareHeight = 0.04f;
constexpr float kShadowScale = 0.9f;

// Where a node of an entity's model lies in the world: the placement of its
// nearest transform node (the entity's own when there is none between).
JTVec3 NodePosition(JTNode* node) {
    for (; node; node = node->GetParent())
        if (node->IsDerived(JTTransNode::nType))
            return static_cast<JTTransNode*>(node)->GetConcatMatrix().GetTranslation();
    return JTVec3();
}

} // namespace

void ChessGame::ForgetWorld() {
    for (ChessPieceEntity*& piece : pieces)
        piece = nullptr;
    numPieces = 0;
    for (ChessSquare*& square : squares)
        square = nullptr;
    sunLight = nullptr;
    skyEntity = nullptr;
}

void ChessGame::LoadWorld(int number) {
    gdwTime = 0;
    lastMoveTime = 0;
    if (mainScene) mainScene->Reset();
    ForgetWorld();
    if (gpJTAudio && ambientSound >= 0) gpJTAudio->StopSound(ambientSound);
    ambientSound = -1;

    const char* folder =
        number >= kWorldFirstCustom ? GetCustomWorld(number - kWorldFirstCustom) : nullptr;
    const ChessWorldInfo* info = FindWorldInfo(number);
    // A custom world that was not found is no world: the park stands in.
    if (info && number >= kWorldFirstCustom && !folder) {
        number = kWorldPark;
        info = FindWorldInfo(number);
    }
    world = info ? number : int(kWorldNone);
    if (!info || !mainScene) return;

    for (int colour = 0; colour < 2; ++colour)
        for (int kind = 0; kind < 6; ++kind)
            std::snprintf(pieceModels[colour * 6 + kind], kNameSize, "%s",
                          PieceModelName(world, folder, colour, kind).c_str());
    if (mainCamera) {
        mainCamera->SetMinDist(info->minDistance);
        mainCamera->SetMaxDist(info->maxDistance);
    }
    gbShadow = info->shadow;
    gfShadowScaleFudge = kShadowScale;

    // The pieces go into the scene before the scenery: drawn first, they
    // hide the board beneath them, which is then never drawn there.
    for (int square = 0; square < 128 && numPieces < kMaxPieces; ++square) {
        if (!chess::OnBoard(square) || chess::gBoard.board[square] == chess::kEmpty) continue;
        CreatePiece(numPieces++, chess::gBoard.board[square], chess::gBoard.board[square + 8],
                    square);
    }

    JTEntity* scenery[2] = {};
    for (int i = 0; i < 2; ++i)
        if (info->scenery[i]) scenery[i] = AddScenery(info->scenery[i]);

    if (world == kWorldFireAndIce) {
        CreateWorldLight(kLightPosition);
        AddScenery("Chess\\Fire and Ice\\lavalight.jtm");
        JTVec3 lava = kLavaEffects;
        for (JTEntity* entity : scenery)
            if (JTNode* node = entity ? entity->FindChildRecursive("lava") : nullptr) {
                lava = NodePosition(node);
                break;
            }
        InstantiateInMainScene("lavalightshine", lava);
        InstantiateInMainScene("lavalighttrail", lava);
        for (const char* effect : {"GroundSmoke", "GroundFire", "FireSparks"})
            InstantiateInMainScene(effect, kLavaEffects);
    } else if (world == kWorldHolographic) {
        for (const char* prototype : {"HoloEnvironment", "dancer", "SkyLights"})
            InstantiateInMainScene(prototype, JTVec3());
    } else {
        CreateWorldLight(kLightPosition);
        InstantiateInMainScene("Clouds", JTVec3());
        if (JTEntityProps* sky = gpJTProtobase ? gpJTProtobase->Find("SkyBox") : nullptr) {
            skyEntity = sky->Instantiate(mainScene);
            if (skyEntity) skyEntity->SetPickable(false);
        }
    }

    PlaceParkingSlots();
    CreateSquares();

    if (gpJTAudio) ambientSound = gpJTAudio->PlaySoundA(info->ambientSound, 1, true);
}

void ChessGame::CreateWorldLight(const JTVec3& position) {
    ChessLight* light =
        ChessLight::Make(JTLightRecord::DIRECTIONAL, 1.0f, 0.9f, 0.8f, kLightRange, position);
    light->GetLight().ambient = {0.34f, 0.34f, 0.4f, 1.0f};
    mainScene->Add(light);
    if (FindWorldInfo(world) && FindWorldInfo(world)->sun) sunLight = light;
}

JTEntity* ChessGame::AddScenery(const char* model) {
    if (!gpJTProtobase) return nullptr;
    JTEntity* entity = gpJTProtobase->Create(model, nullptr);
    if (!entity) return nullptr;
    // Clicks reach only the squares.
    entity->SetPickable(false);
    mainScene->Add(entity);
    return entity;
}

void ChessGame::InstantiateInMainScene(const char* prototype, const JTVec3& position) {
    JTEntityProps* props = gpJTProtobase ? gpJTProtobase->Find(prototype) : nullptr;
    JTEntity* entity = props ? props->Instantiate(mainScene) : nullptr;
    if (!entity) return;
    entity->SetPos(position);
    entity->SetPickable(false);
}

void ChessGame::PlaceParkingSlots() {
    int next[2][6];
    for (auto& colour : next)
        for (int kind = 0; kind < 6; ++kind)
            colour[kind] = FirstParkingSlot(kind);
    // In creation order, which is the order of the squares.
    for (int i = 0; i < numPieces; ++i) {
        ChessPieceEntity* piece = pieces[i];
        if (!piece) continue;
        const int colour = piece->colour & 1;
        const int kind = chess::gBoard.board[piece->square + 8];
        const int slot = kind >= 0 && kind < 6 ? next[colour][kind]++ : 0;
        piece->parking = ParkingPlace(world, colour, slot);
    }
}

void ChessGame::CreateSquares() {
    for (int square = 0; square < kNumSquares; ++square) {
        if (!chess::OnBoard(square)) continue;
        auto* entity = new ChessSquare();
        if (gpJTProtobase) gpJTProtobase->Create("Chess\\ChessSquare.jtm", entity);
        entity->square = square;
        entity->SetPos(ChessPieceEntity::SquarePosition(square, kSquareHeight));
        mainScene->Add(entity);
        squares[square] = entity;
    }
}

ChessPieceEntity* ChessGame::CreatePiece(int index, int colour, int kind, int square) {
    if (index < 0 || index >= kMaxPieces || !mainScene || !gpJTProtobase) return nullptr;
    pieces[index] = nullptr;
    auto* piece = new ChessPieceEntity();
    gpJTProtobase->Create(GetPieceModel(colour, kind), piece);
    // A model that cannot be built leaves the slot empty: nothing of that
    // piece is shown or moved.
    if (piece->GetNumChildren() == 0) {
        delete piece;
        return nullptr;
    }
    pieces[index] = piece;
    piece->index = index;
    piece->square = square;
    piece->colour = colour;
    piece->style = PieceStyle(world, colour);
    piece->SetPos(ChessPieceEntity::SquarePosition(square));
    piece->SetPickable(false);
    mainScene->Add(piece);

    // Ice and fire pieces carry their element with them.
    const char* effect = nullptr;
    if (piece->style == kStyleIce) effect = kind == chess::Pawn ? "IcePiecePart2" : "IcePiecePart";
    if (piece->style == kStyleFire)
        effect = kind == chess::Pawn ? "FirePiecePart2" : "FirePiecePart";
    if (JTEntityProps* props = effect ? gpJTProtobase->Find(effect) : nullptr) {
        if (JTEntity* part = props->Instantiate(mainScene)) {
            part->SetScale(piece->GetBound());
            part->SetPickable(false);
            part->SetLink(piece->GetID(), nullptr, JTVec3());
            part->SetLinkEffect(true, false, false);
        }
    }
    return piece;
}

ChessPieceEntity* ChessGame::StartPieceMove(ChessPieceEntity* piece, const JTVec3& target,
                                            bool rookFlag, bool captureFlag) {
    if (!piece) return nullptr;
    // A promoted pawn that has not arrived yet becomes its queen before it
    // moves again; the queen makes the move.
    if (piece->promotionPending) piece = ReplacePromotedPiece(piece);
    if (!piece) return nullptr;
    piece->moveStart = piece->GetPos();
    piece->moveTarget = target;
    piece->moveStartTime = gdwTime;
    piece->moving = true;
    piece->rookFlag = rookFlag;
    piece->captureFlag = captureFlag;
    return piece;
}

ChessPieceEntity* ChessGame::ReplacePromotedPiece(ChessPieceEntity* piece) {
    if (!piece || !piece->promotionPending) return piece;
    piece->promotionPending = false;
    const int index = piece->index;
    if (index < 0 || index >= kMaxPieces || pieces[index] != piece) return piece;
    if (JTScene* scene = piece->GetScene()) scene->Delete(piece);
    ChessPieceEntity* queen =
        CreatePiece(index, piece->colour, piece->promotionKind, piece->square);
    if (queen) {
        queen->parking = piece->parking;
        queen->SetPos(piece->GetPos());
    }
    return queen;
}
