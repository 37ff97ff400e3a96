// What the menu and board tests do as a player would: choosing a list's
// entry and pressing a button (the cursor's left click on them), hovering
// a square, and finding what the game shows.
#pragma once

#include <algorithm>
#include <string>

#include "Jentra/JTEntity.h"
#include "Jentra/JTGeoNode.h"
#include "Jentra/JTGlobals.h"
#include "Jentra/JTID.h"
#include "Jentra/JTMath.h"
#include "Jentra/JTMesh.h"
#include "Jentra/JTMessages.h"
#include "Jentra/JTScene.h"
#include "Jentra/JTTransNode.h"
#include "chess/game/chess_game.h"
#include "chess/game/chess_square.h"
#include "chess/game/menus.h"

namespace rookfall_test {

// The list of the menu shown, or null.
inline JTList* ShownList(ChessGame& game) {
    JTEntity* dialog = game.GetCurrentDialog();
    if (auto* menu = dynamic_cast<ChessListMenu*>(dialog)) return menu->GetList();
    if (auto* menu = dynamic_cast<RecordedGamesMenu*>(dialog)) return menu->GetList();
    if (auto* menu = dynamic_cast<LanMenu*>(dialog)) return menu->GetList();
    return nullptr;
}

// The cursor's left click on an entity.
inline void Click(const JTID& target) {
    JTID cursor;
    JTRouter::Send(&cursor, const_cast<JTID*>(&target), JTMSG_BUTTONDOWN, nullptr);
}

// Clicks the slot that shows the entry; false when no slot shows it.
inline bool Choose(JTList* list, int item) {
    if (!list) return false;
    const int slot = item - list->GetFirstVisible();
    if (slot < 0 || slot >= list->GetNumVisible()) return false;
    if (!gpJTIDMap->Find(&list->GetSlotID(slot))) return false;
    Click(list->GetSlotID(slot));
    return true;
}

inline bool Choose(ChessGame& game, int item) {
    return Choose(ShownList(game), item);
}

// Whether any object still answers to the identifier.
inline bool Exists(const JTID& id) {
    return gpJTIDMap->Find(&id) != nullptr;
}

// The cursor moving onto (enter) or off (leave) a square.
inline void Hover(ChessGame& game, int square, bool enter) {
    ChessSquare* entity = game.GetSquare(square);
    if (!entity) return;
    JTID cursor;
    JTRouter::Send(&cursor, &entity->GetID(), enter ? JTMSG_CURSORENTER : JTMSG_CURSORLEAVE,
                   nullptr);
}

// How far up and down what a node draws reaches, in its scene's space (the
// interface's: the screen's top edge is at 1 / aspect), given the node's
// world matrix.
struct VerticalSpan {
    float low = 1e9f, high = -1e9f;
    bool Empty() const { return low > high; }
};

inline void AddSpan(JTNode* node, const JTMatrix& world, VerticalSpan& span) {
    if (!node) return;
    if (node->IsDerived(JTGeoNode::nType))
        if (JTMesh* mesh = static_cast<JTGeoNode*>(node)->GetMesh())
            for (unsigned i = 0; i < mesh->GetNumVertices(); ++i) {
                Vert1 v;
                if (!mesh->GetVertex(i, v)) continue;
                const float y = JTVec3TransformCoord(JTVec3(v.x, v.y, v.z), world).y;
                span.low = std::min(span.low, y);
                span.high = std::max(span.high, y);
            }
    for (int i = 0; i < node->GetNumChildren(); ++i) {
        JTNode* child = node->GetChild(i);
        if (child && child->IsDerived(JTTransNode::nType))
            AddSpan(child, static_cast<JTTransNode*>(child)->GetMatrix() * world, span);
        else
            AddSpan(child, world, span);
    }
}

inline VerticalSpan SpanOf(JTEntity* entity) {
    VerticalSpan span;
    if (entity) AddSpan(entity, entity->GetConcatMatrix(), span);
    return span;
}

inline JTEntity* EntityOf(const JTID& id) {
    return dynamic_cast<JTEntity*>(gpJTIDMap->Find(&id));
}

// The live entities of a scene that are of class T.
template <class T> int CountLive(JTScene* scene) {
    int n = 0;
    for (int i = 0; scene && i < scene->GetNumChildren(); ++i)
        if (dynamic_cast<T*>(scene->GetChild(i))) ++n;
    return n;
}

} // namespace rookfall_test
