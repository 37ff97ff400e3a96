// The player's settings (mouse, camera, volumes, quality switches, display
// adapter and mode, player name), loaded from and saved to the engine's
// settings key (gpRegistry) as named values.
#pragma once

#include <cstdint>

// A display mode as the settings keep it: four u32 in this order.
struct JTModeDesc {
    uint32_t Width;
    uint32_t Height;
    uint32_t RefreshRate;
    uint32_t Format; // 22: 32-bit X8R8G8B8
};

class JTUserOptions {
public:
    JTUserOptions();
    virtual ~JTUserOptions() = default;

    // Writes every option except EditorGoodies and DisableMouseWheel, all in
    // one write. False (and a line on stderr) when they could not be saved,
    // for instance while another process holds the settings; the options
    // keep their values here either way.
    virtual bool Save();
    // Reads every option; absent values keep theirs.
    // FullScreen then becomes true (false when JENTRA_WINDOWED is set to
    // anything but "0", for development and tests), and on a low-memory
    // machine bump mapping and the high-quality switches are turned off.
    virtual void Load();

    // What the application learnt about the machine at start-up. Until it is
    // given, Load applies no memory rule.
    void SetMemoryInfo(uint64_t totalPhysicalBytes, bool lowRAM);

    float MouseSens;
    bool ReverseRotate;
    bool ReverseTilt;
    bool ReverseZoom;
    float AutoZoomSpeed;
    float PanelSwingSpeed;
    float CameraInertia;
    float SfxVolume;
    float MusicVolume;
    float SpeechVolume;
    bool PanelSlideIn;
    float AutoRepairThreshold;
    bool Alert;
    bool UpdateOnMultiplayer;
    bool FullScreen;
    bool HighQualityTextures;
    bool HighQualitySound;
    bool Sound;
    bool EditorGoodies;
    bool BumpMapping;
    bool DisableMouseWheel;
    float GameSpeed;
    float HUDBrightness;
    uint8_t AdapterID[16];
    JTModeDesc ModeDesc;
    uint32_t EnableConsole;
    bool Multisample;
    bool MultisampleSet;
    char PlayerName[256];

private:
    bool memoryKnown;
    uint64_t totalPhysical;
    bool lowRAM;
};
