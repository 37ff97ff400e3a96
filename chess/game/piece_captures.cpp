// The moves that are more than a walk: a holographic piece squashes flat and
// reappears at its target; a taken ice piece sinks into the board with steam
// rising; a taken fire piece bursts into parts that fly off and fall.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "Jentra/JTDisplay.h"
#include "Jentra/JTEntityProps.h"
#include "Jentra/JTFrameClock.h"
#include "Jentra/JTGeoNode.h"
#include "Jentra/JTMesh.h"
#include "Jentra/JTProtobase.h"
#include "Jentra/JTRandom.h"
#include "Jentra/JTScene.h"
#include "Jentra/JTTransNode.h"
#include "chess/game/chess_effects.h"
#include "chess/game/chess_pieces.h"
#include "chess/game/piece_motion.h"

namespace {

// A holographic piece jumps at the squash's flattest moment; a taken one
// first stands a second longer.
constexpr int32_t kHoloJumpMs = 1000;
constexpr int32_t kHoloTakenWaitMs = 1000;
// A melting piece is under the board after this long, and done a little later.
constexpr uint32_t kMeltGoneMs = 5500;
constexpr uint32_t kMeltDoneMs = 5700;
constexpr const char* kMeltSteam = "IceMeltSteam";
// A fire piece bursts this far into its move.
constexpr float kBurstAt = 0.85f;
constexpr float kPartSpeed = 4.5f;
constexpr float kPartGravity = -2.0f;
constexpr float kPartSpin = 2.0f;

// The first geometry node on the chain of first children below the entity
// (the entity's own placement not included), or null when the chain ends
// without one. With `model` given, the local matrices of the transform
// nodes on the way are gathered into it.
JTGeoNode* FirstGeoNode(JTEntity* entity, JTMatrix* model) {
    for (JTNode* node = entity->GetChild(0); node; node = node->GetChild(0)) {
        if (node->IsDerived(JTGeoNode::nType)) return static_cast<JTGeoNode*>(node);
        if (model && node->IsDerived(JTTransNode::nType))
            *model = static_cast<JTTransNode*>(node)->GetMatrix() * *model;
    }
    return nullptr;
}

// A direction drawn from the engine's generator, evenly over the sphere.
JTVec3 RandomUnitVector() {
    for (int tries = 0; tries < 32; ++tries) {
        const JTVec3 v(RandomBetween(-1.0f, 1.0f), RandomBetween(-1.0f, 1.0f),
                       RandomBetween(-1.0f, 1.0f));
        const float length = JTVec3Length(v);
        if (length > 0.001f && length <= 1.0f) return v * (1.0f / length);
    }
    return JTVec3(0.0f, 1.0f, 0.0f);
}

int32_t SinceMs(uint32_t start) {
    return int32_t(gdwTime - start);
}

} // namespace

void ChessPieceEntity::HolographicStep(bool offBoard) {
    const int32_t elapsed = SinceMs(moveStartTime);
    if (offBoard && elapsed < kHoloTakenWaitMs) return;
    if (JTGeoNode* body = FirstGeoNode(this, nullptr); body && !body->GetSquash()) {
        body->SetSquash(true);
        body->SetAnimStart(gdwTime);
    }
    if (elapsed >= kHoloJumpMs + (offBoard ? kHoloTakenWaitMs : 0)) Arrive();
}

void ChessPieceEntity::MeltStep() {
    JTGeoNode* body = FirstGeoNode(this, nullptr);
    // A model with nothing to sink simply goes.
    if (!body) {
        Arrive();
        return;
    }
    if (!body->GetSink()) {
        body->SetSink(true);
        body->SetAnimStart(gdwTime);
        JTEntityProps* steam = gpJTProtobase ? gpJTProtobase->Find(kMeltSteam) : nullptr;
        if (JTEntity* cloud = steam && GetScene() ? steam->Instantiate(GetScene()) : nullptr) {
            cloud->SetPos(GetPos());
            cloud->SetPickable(false);
        }
    }
    const uint32_t sinking = gdwTime - body->GetAnimStart();
    if (sinking <= kMeltGoneMs) return;
    if (sinking <= kMeltDoneMs) {
        SetPos(moveTarget);
        ComputeMatrix();
        return;
    }
    body->SetSink(false);
    Arrive();
}

void ChessPieceEntity::BurstStep() {
    const float p = float(SinceMs(moveStartTime)) / (PieceMoveSeconds(rookFlag) * 1000.0f);
    if (p < kBurstAt) return;
    BreakIntoParts();
    Arrive();
}

void ChessPieceEntity::BreakIntoParts() {
    JTMatrix model;
    JTGeoNode* body = FirstGeoNode(this, &model);
    JTMesh* mesh = body ? body->GetMesh() : nullptr;
    JTScene* scene = GetScene();
    if (!mesh || !mesh->HasList() || !scene || !gpJTDisplay) return;

    const bool usedStrip = mesh->GetUseStrip();
    mesh->SetUseStrip(false);
    mesh->LockSMBuffers(true);
    const unsigned faces = mesh->GetNumFaces();
    // A small mesh breaks into fewer parts, never into empty ones; faces
    // left over after an even share go with none.
    const unsigned parts = std::min(unsigned(kBurstParts), faces);
    const unsigned facesEach = parts ? faces / parts : 0;
    const Vert1* vertices = mesh->GetSMVerts();
    const unsigned short* indices = mesh->GetSMInds();
    for (unsigned k = 0; k < parts && vertices && indices; ++k) {
        auto* partMesh = new JTMesh();
        if (!partMesh->CreateBuffersFromData(gpJTDisplay, vertices, mesh->GetNumVertices(),
                                             indices + 3 * facesEach * k, 3 * facesEach, false,
                                             false)) {
            delete partMesh;
            continue;
        }
        auto* geo = new JTGeoNode();
        geo->SetMesh(partMesh);
        geo->SetEffect(new ChessPieceParts(body->GetEffect()), true);
        auto* holder = new JTTransNode();
        holder->SetMatrix(model);
        holder->AddChild(geo);

        auto* part = new ChessTimedEntity();
        part->AddChild(holder);
        part->SetPos(GetPos());
        part->SetRot(GetRot());
        JTVec3 velocity = RandomUnitVector() * kPartSpeed;
        velocity.y = std::fabs(velocity.y);
        part->SetVelocity(velocity);
        part->SetAcceleration(JTVec3(0.0f, kPartGravity, 0.0f));
        part->SetAngularVelocity(RandomUnitVector() * kPartSpin);
        part->SetPickable(false);
        part->ComputeMatrix();
        part->RecomputeBound();
        scene->Add(part);
    }
    mesh->UnlockSMBuffers();
    mesh->SetUseStrip(usedStrip);
}
