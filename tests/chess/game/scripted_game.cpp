// The scripted game and its helpers.
#include "tests/chess/game/scripted_game.h"

#include <cmath>
#include <cstdint>
#include <vector>

#include "Jentra/JTCamera.h"
#include "Jentra/JTCursor.h"
#include "Jentra/JTGlobals.h"
#include "Jentra/JTMessages.h"
#include "Jentra/JTRegistry.h"
#include "Jentra/JTUserOptions.h"
#include "Jentra/JTEventQueue.h"
#include "Jentra/core/input/key_table.h"
#include "chess/engine/notation.h"
#include "chess/game/chess_square.h"
#include "platform/events.h"

namespace rookfall_test {

void ScriptedGame::InitialScene() {
    ChessGame::InitialScene();
    if (onStart) onStart(*this);
}

void ScriptedGame::Update() {
    ChessGame::Update();
    if (onFrame) onFrame(*this, frames);
    ++frames;
}

void ScriptedGame::Pick(int square) {
    // A left click on the square's entity, which tells the game; without
    // one (no world shown) the square's message goes to the game directly.
    if (ChessSquare* entity = GetSquare(square)) {
        GetCommunicator()->Send(entity->GetID(), JTMSG_BUTTONDOWN, nullptr);
        return;
    }
    Message(nullptr, nullptr, CHESSMSG_SQUAREPICKED, reinterpret_cast<void*>(intptr_t(square)));
}

void ScriptedGame::PickMove(chess::ChessMove m) {
    Pick(chess::MoveFrom(m));
    Pick(chess::MoveTo(m));
}

bool ScriptedGame::MouseOver(JTCamera* camera, const JTVec3& place) {
    if (!camera || !gpCursor) return false;
    // The cursor's screen point (0..1 from the left and from the bottom),
    // which moves by a thousandth for each count of mouse motion.
    const JTVec3 screen = JTVec3TransformCoord(place, camera->GetView() * camera->GetPerspective());
    if (screen.x < -1.0f || screen.x > 1.0f || screen.y < -1.0f || screen.y > 1.0f) return false;
    constexpr float kCountsPerScreen = 1000.0f;
    platform::Event e;
    e.type = platform::EventType::MouseMove;
    e.motion.dx =
        int32_t(std::lround(((screen.x + 1.0f) / 2.0f - gpCursor->GetX()) * kCountsPerScreen));
    e.motion.dy =
        int32_t(std::lround((gpCursor->GetY() - (screen.y + 1.0f) / 2.0f) * kCountsPerScreen));
    JTEventQueue().Push(e);
    return true;
}

void ScriptedGame::LeftClick() {
    for (platform::EventType type :
         {platform::EventType::MouseButtonDown, platform::EventType::MouseButtonUp}) {
        platform::Event e;
        e.type = type;
        e.button.button = platform::MouseLeft;
        JTEventQueue().Push(e);
    }
}

void ScriptedGame::Receive(const unsigned char* data, unsigned size) {
    JTNetData block{data, size};
    Message(nullptr, nullptr, JTMSG_NETRECEIVE, &block);
}

void PushKey(int dik, bool down) {
    platform::Event e;
    e.type = down ? platform::EventType::KeyDown : platform::EventType::KeyUp;
    e.key.scancode = JTScancodeFromDik(dik);
    JTEventQueue().Push(e);
}

void ScriptedGame::Quit() {
    JTPostQuit();
}

void WriteGameSettings(const GameSettings& settings) {
    JTRegistry registry("Quellmar\\Rookfall");
    registry.Init();
    gpRegistry = &registry;
    JTUserOptions options;
    options.Load();
    if (settings.gameSpeed > 0) options.GameSpeed = settings.gameSpeed;
    if (settings.multisample >= 0) {
        options.Multisample = settings.multisample != 0;
        options.MultisampleSet = true;
    }
    if (settings.width > 0 && settings.height > 0) {
        options.ModeDesc.Width = uint32_t(settings.width);
        options.ModeDesc.Height = uint32_t(settings.height);
    }
    options.Save();
    gpRegistry = nullptr;
    registry.Term();
}

int RunGame(ScriptedGame& game, const std::string& commandLine) {
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    gpChessGame = &game;
    gpJTGame = &game;
    const int status = game.WinMain(nullptr, line.data());
    return status;
}

std::string MoveList(const ChessGame& game) {
    std::string list;
    const JTArray<chess::ChessMove>& moves = game.GetMoves();
    for (int i = 0; i < moves.GetCount(); ++i) {
        if (i) list += ' ';
        list += chess::MoveToCoordinates(moves[i] & 0x3FFF);
    }
    return list;
}

} // namespace rookfall_test
