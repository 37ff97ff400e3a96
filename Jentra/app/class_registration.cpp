// The one place where the engine's classes join the class registry when the
// library loads. Type numbers are handed out in registration order, and the
// engine's numbering is fixed, so the lines below must stay in this order:
//
//   0 JTAudio                  11 JTEffect_WingDing       22 JTChannel
//   1 JTGame                   12 JTEffect_Membrane       23 JTFrameChannel
//   2 JTKeyboard               13 JTEffect_WetIce         24 JTVisChannel
//   3 JTNetwork                14 JTEffect_BumpDiffuse    25 JTEntity
//   4 JTEffect                 15 JTEffect_BumpReflect    26 JTGeoNode
//   5 JTEffect_Simple          16 JTEffect_Shadow         27 JTLight
//   6 JTEffect_ParkPiece       17 JTEffect_Halo           28 JTNode
//   7 JTEffect_FireKnight      18 JTEffect_StreamingLight 29 JTProtobase
//   8 JTEffect_FireKnightAlpha 19 JTMesh                  30 JTTransNode
//   9 JTEffect_FireKnightShadow 20 JTSequence             31 JTUnknown
//  10 JTEffect_Monitor         21 JTSequencer
//
// Add your class's line in table order: include its header and put
// JTRegisterClass<YourClass>() between its neighbours. A class that is not
// built yet simply has no line; the numbers come out right once all are in.
// Other load-time steps that belong at a fixed point of this sequence (the
// string maps' teardown after JTGame, the entity property table after
// JTVisChannel, the particle property table after JTNode) go in the same
// place as plain calls.
#include "Jentra/JTClassMap.h"

#include "Jentra/JTAudio.h"
#include "Jentra/JTGame.h"
#include "Jentra/JTKeyboard.h"
#include "Jentra/JTNetwork.h"
#include "Jentra/JTUnknown.h"
#include "Jentra/JTChannel.h"
#include "Jentra/JTEffects.h"
#include "Jentra/JTEntity.h"
#include "Jentra/JTGeoNode.h"
#include "Jentra/JTLight.h"
#include "Jentra/JTMesh.h"
#include "Jentra/JTNode.h"
#include "Jentra/JTPartSys.h"
#include "Jentra/JTProtobase.h"
#include "Jentra/JTSequencer.h"
#include "Jentra/JTTransNode.h"

namespace {

struct EngineClassRegistration {
    EngineClassRegistration() {
        JTRegisterClass<JTAudio>();                   // 0
        JTRegisterClass<JTGame>();                    // 1
        JTRegisterClass<JTKeyboard>();                // 2
        JTRegisterClass<JTNetwork>();                 // 3
        JTRegisterClass<JTEffect>();                  // 4
        JTRegisterClass<JTEffect_Simple>();           // 5
        JTRegisterClass<JTEffect_ParkPiece>();        // 6
        JTRegisterClass<JTEffect_FireKnight>();       // 7
        JTRegisterClass<JTEffect_FireKnightAlpha>();  // 8
        JTRegisterClass<JTEffect_FireKnightShadow>(); // 9
        JTRegisterClass<JTEffect_Monitor>();          // 10
        JTRegisterClass<JTEffect_WingDing>();         // 11
        JTRegisterClass<JTEffect_Membrane>();         // 12
        JTRegisterClass<JTEffect_WetIce>();           // 13
        JTRegisterClass<JTEffect_BumpDiffuse>();      // 14
        JTRegisterClass<JTEffect_BumpReflect>();      // 15
        JTRegisterClass<JTEffect_Shadow>();           // 16
        JTRegisterClass<JTEffect_Halo>();             // 17
        JTRegisterClass<JTEffect_StreamingLight>();   // 18
        JTRegisterClass<JTMesh>();                    // 19
        JTRegisterClass<JTSequence>();                // 20
        JTRegisterClass<JTSequencer>();               // 21
        JTRegisterClass<JTChannel>();                 // 22
        JTRegisterClass<JTFrameChannel>();            // 23
        JTRegisterClass<JTVisChannel>();              // 24
        JTRegisterClass<JTEntity>();                  // 25
        JTRegisterClass<JTGeoNode>();                 // 26
        JTRegisterClass<JTLight>();                   // 27
        JTRegisterClass<JTNode>();                    // 28
        JTPartSysProps::FillPropDescs();
        JTRegisterClass<JTProtobase>(); // 29
        JTRegisterClass<JTTransNode>(); // 30
        JTRegisterClass<JTUnknown>();   // 31
    }
} gEngineClassRegistration;

} // namespace
