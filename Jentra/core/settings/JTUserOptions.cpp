// The player's settings and how they are stored under the engine's key.
#include "Jentra/JTUserOptions.h"

#include "Jentra/JTRegistry.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Machines with more memory than this get high-quality textures and sound
// unless the player chose otherwise.
constexpr uint64_t kHighQualityMemory = 0x4100000;

void PutModeDesc(const JTModeDesc& mode, unsigned char (&bytes)[16]) {
    const uint32_t words[4] = {mode.Width, mode.Height, mode.RefreshRate, mode.Format};
    for (int w = 0; w < 4; ++w)
        for (int b = 0; b < 4; ++b)
            bytes[4 * w + b] = static_cast<unsigned char>(words[w] >> (8 * b));
}

JTModeDesc GetModeDesc(const unsigned char (&bytes)[16]) {
    uint32_t words[4];
    for (int w = 0; w < 4; ++w) {
        words[w] = 0;
        for (int b = 0; b < 4; ++b)
            words[w] |= uint32_t(bytes[4 * w + b]) << (8 * b);
    }
    return {words[0], words[1], words[2], words[3]};
}

bool WindowedRequested() {
    const char* windowed = std::getenv("JENTRA_WINDOWED");
    return windowed && *windowed && std::strcmp(windowed, "0") != 0;
}

} // namespace

JTUserOptions::JTUserOptions()
    : MouseSens(0.3f), ReverseRotate(false), ReverseTilt(false), ReverseZoom(false),
      AutoZoomSpeed(1.0f), PanelSwingSpeed(1.0f), CameraInertia(2.0f), SfxVolume(0.5f),
      MusicVolume(0.5f), SpeechVolume(0.75f), PanelSlideIn(false), AutoRepairThreshold(0.5f),
      Alert(true), UpdateOnMultiplayer(true), FullScreen(false), HighQualityTextures(false),
      HighQualitySound(false), Sound(true), EditorGoodies(false), BumpMapping(true),
      DisableMouseWheel(false), GameSpeed(1.0f),
      HUDBrightness(0.7f), AdapterID{}, ModeDesc{1024, 768, 0, 22}, EnableConsole(0),
      Multisample(true), MultisampleSet(false), PlayerName{}, memoryKnown(false), totalPhysical(0),
      lowRAM(false) {}

void JTUserOptions::SetMemoryInfo(uint64_t totalPhysicalBytes, bool isLowRAM) {
    memoryKnown = true;
    totalPhysical = totalPhysicalBytes;
    lowRAM = isLowRAM;
}

bool JTUserOptions::Save() {
    JTRegistry* registry = gpRegistry;
    if (!registry) return false;
    const HKEY user = HKEY_CURRENT_USER;
    // One write for all of them: never a half-saved set, and never a wait
    // per value while another process holds the settings.
    registry->BeginValues();
    registry->SetValue("MouseSens", MouseSens, user);
    registry->SetValue("ReverseRotate", ReverseRotate, user);
    registry->SetValue("ReverseTilt", ReverseTilt, user);
    registry->SetValue("ReverseZoom", ReverseZoom, user);
    registry->SetValue("AutoZoomSpeed", AutoZoomSpeed, user);
    registry->SetValue("PanelSwingSpeed", PanelSwingSpeed, user);
    registry->SetValue("CameraInertia", CameraInertia, user);
    registry->SetValue("SfxVolume", SfxVolume, user);
    registry->SetValue("MusicVolume", MusicVolume, user);
    registry->SetValue("SpeechVolume", SpeechVolume, user);
    registry->SetValue("PanelSlideIn", PanelSlideIn, user);
    registry->SetValue("AutoRepairThreshold", AutoRepairThreshold, user);
    registry->SetValue("Alert", Alert, user);
    registry->SetValue("UpdateOnMultiplayer", UpdateOnMultiplayer, user);
    registry->SetValue("FullScreen", FullScreen, user);
    registry->SetValue("HighQualityTextures", HighQualityTextures, user);
    registry->SetValue("HighQualitySound", HighQualitySound, user);
    registry->SetValue("Sound", Sound, user);
    registry->SetValue("BumpMapping", BumpMapping, user);
    registry->SetValue("GameSpeed", GameSpeed, user);
    registry->SetValue("HUDBrightness", HUDBrightness, user);
    registry->SetValue("AdapterID", AdapterID, static_cast<int>(sizeof AdapterID), user);
    unsigned char mode[16];
    PutModeDesc(ModeDesc, mode);
    registry->SetValue("ModeDesc", mode, static_cast<int>(sizeof mode), user);
    // Kept as four raw bytes, the way a float is kept.
    unsigned char console[4];
    std::memcpy(console, &EnableConsole, 4);
    registry->SetValue("EnableConsole", console, 4, user);
    registry->SetValue("Multisample", Multisample, user);
    registry->SetValue("MultisampleSet", MultisampleSet, user);
    registry->SetValue("PlayerName", PlayerName, user);
    if (registry->CommitValues()) return true;
    std::fprintf(stderr,
                 "Jentra: the options were not saved (%s); they stay in effect until the "
                 "program ends\n",
                 registry->LastError().c_str());
    return false;
}

void JTUserOptions::Load() {
    if (memoryKnown && totalPhysical > kHighQualityMemory) {
        HighQualityTextures = true;
        HighQualitySound = true;
    }
    if (JTRegistry* registry = gpRegistry) {
        const HKEY user = HKEY_CURRENT_USER;
        registry->QueryValue("MouseSens", &MouseSens, user);
        registry->QueryValue("ReverseRotate", &ReverseRotate, user);
        registry->QueryValue("ReverseTilt", &ReverseTilt, user);
        registry->QueryValue("ReverseZoom", &ReverseZoom, user);
        registry->QueryValue("AutoZoomSpeed", &AutoZoomSpeed, user);
        registry->QueryValue("PanelSwingSpeed", &PanelSwingSpeed, user);
        registry->QueryValue("CameraInertia", &CameraInertia, user);
        registry->QueryValue("SfxVolume", &SfxVolume, user);
        registry->QueryValue("MusicVolume", &MusicVolume, user);
        registry->QueryValue("SpeechVolume", &SpeechVolume, user);
        registry->QueryValue("PanelSlideIn", &PanelSlideIn, user);
        registry->QueryValue("AutoRepairThreshold", &AutoRepairThreshold, user);
        registry->QueryValue("Alert", &Alert, user);
        registry->QueryValue("UpdateOnMultiplayer", &UpdateOnMultiplayer, user);
        registry->QueryValue("FullScreen", &FullScreen, user);
        registry->QueryValue("HighQualityTextures", &HighQualityTextures, user);
        registry->QueryValue("HighQualitySound", &HighQualitySound, user);
        registry->QueryValue("Sound", &Sound, user);
        registry->QueryValue("EditorGoodies", &EditorGoodies, user);
        registry->QueryValue("BumpMapping", &BumpMapping, user);
        registry->QueryValue("DisableMouseWheel", &DisableMouseWheel, user);
        registry->QueryValue("GameSpeed", &GameSpeed, user);
        registry->QueryValue("HUDBrightness", &HUDBrightness, user);
        registry->QueryValue("AdapterID", AdapterID, static_cast<int>(sizeof AdapterID), user);
        unsigned char mode[16];
        PutModeDesc(ModeDesc, mode);
        registry->QueryValue("ModeDesc", mode, static_cast<int>(sizeof mode), user);
        ModeDesc = GetModeDesc(mode);
        unsigned char console[4];
        std::memcpy(console, &EnableConsole, 4);
        registry->QueryValue("EnableConsole", console, 4, user);
        std::memcpy(&EnableConsole, console, 4);
        registry->QueryValue("Multisample", &Multisample, user);
        // Read back too: a player's choice of multisampling holds at the next
        // start, also where it is off unless chosen.
        registry->QueryValue("MultisampleSet", &MultisampleSet, user);
        registry->QueryValue("PlayerName", PlayerName, static_cast<int>(sizeof PlayerName), user);
    }
    FullScreen = !WindowedRequested();
    if (memoryKnown && lowRAM) {
        BumpMapping = false;
        HighQualitySound = false;
        HighQualityTextures = false;
    }
}
