// Names of result codes: the engine's own codes, the common results and the
// graphics device's codes the engine reports, and the DirectDraw codes.
#include "Jentra/JTErrors.h"

#include <cstdio>
#include <cstring>

namespace {

struct CodeName {
    uint32_t code;
    const char* name;
};

constexpr uint32_t kFacilityEngine = 0x666;

constexpr CodeName kEngineNames[] = {
    {0x86660000u, "JT_UNSUPPORTED_ADAPTER"},
    {0x86660001u, "JT_UNSUPPORTED_MODE"},
    {0x86660002u, "JT_FILE_NOT_FOUND"},
};

// The graphics device's and DirectDraw's failure codes share facility 0x876.
constexpr uint32_t Facility876(uint32_t code) {
    return 0x88760000u | code;
}
constexpr auto D3D = Facility876;
constexpr auto DD = Facility876;

constexpr CodeName kCommonNames[] = {
    {0x00000000u, "S_OK"},
    {0x00000001u, "S_FALSE"},
    {0x80004001u, "E_NOTIMPL"},
    {0x80004002u, "E_NOINTERFACE"},
    {0x80004003u, "E_POINTER"},
    {0x80004004u, "E_ABORT"},
    {0x80004005u, "E_FAIL"},
    {0x8000FFFFu, "E_UNEXPECTED"},
    {0x80070005u, "E_ACCESSDENIED"},
    {0x80070006u, "E_HANDLE"},
    {0x8007000Eu, "E_OUTOFMEMORY"},
    {0x80070057u, "E_INVALIDARG"},
    {D3D(2072), "D3DERR_WRONGTEXTUREFORMAT"},
    {D3D(2073), "D3DERR_UNSUPPORTEDCOLOROPERATION"},
    {D3D(2074), "D3DERR_UNSUPPORTEDCOLORARG"},
    {D3D(2075), "D3DERR_UNSUPPORTEDALPHAOPERATION"},
    {D3D(2076), "D3DERR_UNSUPPORTEDALPHAARG"},
    {D3D(2077), "D3DERR_TOOMANYOPERATIONS"},
    {D3D(2078), "D3DERR_CONFLICTINGTEXTUREFILTER"},
    {D3D(2079), "D3DERR_UNSUPPORTEDFACTORVALUE"},
    {D3D(2081), "D3DERR_CONFLICTINGRENDERSTATE"},
    {D3D(2082), "D3DERR_UNSUPPORTEDTEXTUREFILTER"},
    {D3D(2086), "D3DERR_CONFLICTINGTEXTUREPALETTE"},
    {D3D(2087), "D3DERR_DRIVERINTERNALERROR"},
    {D3D(2150), "D3DERR_NOTFOUND"},
    {D3D(2151), "D3DERR_MOREDATA"},
    {D3D(2152), "D3DERR_DEVICELOST"},
    {D3D(2153), "D3DERR_DEVICENOTRESET"},
    {D3D(2154), "D3DERR_NOTAVAILABLE"},
    {D3D(380), "D3DERR_OUTOFVIDEOMEMORY"},
    {D3D(2155), "D3DERR_INVALIDDEVICE"},
    {D3D(2156), "D3DERR_INVALIDCALL"},
    {D3D(2157), "D3DERR_DRIVERINVALIDCALL"},
};

constexpr CodeName kDirectDrawNames[] = {
    {0x00000000u, "DD_OK"},
    {DD(5), "DDERR_ALREADYINITIALIZED"},
    {DD(10), "DDERR_CANNOTATTACHSURFACE"},
    {DD(20), "DDERR_CANNOTDETACHSURFACE"},
    {DD(40), "DDERR_CURRENTLYNOTAVAIL"},
    {DD(55), "DDERR_EXCEPTION"},
    {0x80004005u, "DDERR_GENERIC"},
    {DD(90), "DDERR_HEIGHTALIGN"},
    {DD(95), "DDERR_INCOMPATIBLEPRIMARY"},
    {DD(100), "DDERR_INVALIDCAPS"},
    {DD(110), "DDERR_INVALIDCLIPLIST"},
    {DD(120), "DDERR_INVALIDMODE"},
    {DD(130), "DDERR_INVALIDOBJECT"},
    {0x80070057u, "DDERR_INVALIDPARAMS"},
    {DD(145), "DDERR_INVALIDPIXELFORMAT"},
    {DD(150), "DDERR_INVALIDRECT"},
    {DD(160), "DDERR_LOCKEDSURFACES"},
    {DD(170), "DDERR_NO3D"},
    {DD(180), "DDERR_NOALPHAHW"},
    {DD(181), "DDERR_NOSTEREOHARDWARE"},
    {DD(182), "DDERR_NOSURFACELEFT"},
    {DD(205), "DDERR_NOCLIPLIST"},
    {DD(210), "DDERR_NOCOLORCONVHW"},
    {DD(212), "DDERR_NOCOOPERATIVELEVELSET"},
    {DD(215), "DDERR_NOCOLORKEY"},
    {DD(220), "DDERR_NOCOLORKEYHW"},
    {DD(222), "DDERR_NODIRECTDRAWSUPPORT"},
    {DD(225), "DDERR_NOEXCLUSIVEMODE"},
    {DD(230), "DDERR_NOFLIPHW"},
    {DD(240), "DDERR_NOGDI"},
    {DD(250), "DDERR_NOMIRRORHW"},
    {DD(255), "DDERR_NOTFOUND"},
    {DD(260), "DDERR_NOOVERLAYHW"},
    {DD(270), "DDERR_OVERLAPPINGRECTS"},
    {DD(280), "DDERR_NORASTEROPHW"},
    {DD(290), "DDERR_NOROTATIONHW"},
    {DD(310), "DDERR_NOSTRETCHHW"},
    {DD(316), "DDERR_NOT4BITCOLOR"},
    {DD(317), "DDERR_NOT4BITCOLORINDEX"},
    {DD(320), "DDERR_NOT8BITCOLOR"},
    {DD(330), "DDERR_NOTEXTUREHW"},
    {DD(335), "DDERR_NOVSYNCHW"},
    {DD(340), "DDERR_NOZBUFFERHW"},
    {DD(350), "DDERR_NOZOVERLAYHW"},
    {DD(360), "DDERR_OUTOFCAPS"},
    {0x8007000Eu, "DDERR_OUTOFMEMORY"},
    {DD(380), "DDERR_OUTOFVIDEOMEMORY"},
    {DD(382), "DDERR_OVERLAYCANTCLIP"},
    {DD(384), "DDERR_OVERLAYCOLORKEYONLYONEACTIVE"},
    {DD(387), "DDERR_PALETTEBUSY"},
    {DD(400), "DDERR_COLORKEYNOTSET"},
    {DD(410), "DDERR_SURFACEALREADYATTACHED"},
    {DD(420), "DDERR_SURFACEALREADYDEPENDENT"},
    {DD(430), "DDERR_SURFACEBUSY"},
    {DD(435), "DDERR_CANTLOCKSURFACE"},
    {DD(440), "DDERR_SURFACEISOBSCURED"},
    {DD(450), "DDERR_SURFACELOST"},
    {DD(460), "DDERR_SURFACENOTATTACHED"},
    {DD(470), "DDERR_TOOBIGHEIGHT"},
    {DD(480), "DDERR_TOOBIGSIZE"},
    {DD(490), "DDERR_TOOBIGWIDTH"},
    {0x80004001u, "DDERR_UNSUPPORTED"},
    {DD(510), "DDERR_UNSUPPORTEDFORMAT"},
    {DD(520), "DDERR_UNSUPPORTEDMASK"},
    {DD(521), "DDERR_INVALIDSTREAM"},
    {DD(537), "DDERR_VERTICALBLANKINPROGRESS"},
    {DD(540), "DDERR_WASSTILLDRAWING"},
    {DD(542), "DDERR_DDSCAPSCOMPLEXREQUIRED"},
    {DD(560), "DDERR_XALIGN"},
    {DD(561), "DDERR_INVALIDDIRECTDRAWGUID"},
    {DD(562), "DDERR_DIRECTDRAWALREADYCREATED"},
    {DD(563), "DDERR_NODIRECTDRAWHW"},
    {DD(564), "DDERR_PRIMARYSURFACEALREADYEXISTS"},
    {DD(565), "DDERR_NOEMULATION"},
    {DD(566), "DDERR_REGIONTOOSMALL"},
    {DD(567), "DDERR_CLIPPERISUSINGHWND"},
    {DD(568), "DDERR_NOCLIPPERATTACHED"},
    {DD(569), "DDERR_NOHWND"},
    {DD(570), "DDERR_HWNDSUBCLASSED"},
    {DD(571), "DDERR_HWNDALREADYSET"},
    {DD(572), "DDERR_NOPALETTEATTACHED"},
    {DD(573), "DDERR_NOPALETTEHW"},
    {DD(574), "DDERR_BLTFASTCANTCLIP"},
    {DD(575), "DDERR_NOBLTHW"},
    {DD(576), "DDERR_NODDROPSHW"},
    {DD(577), "DDERR_OVERLAYNOTVISIBLE"},
    {DD(578), "DDERR_NOOVERLAYDEST"},
    {DD(579), "DDERR_INVALIDPOSITION"},
    {DD(580), "DDERR_NOTAOVERLAYSURFACE"},
    {DD(581), "DDERR_EXCLUSIVEMODEALREADYSET"},
    {DD(582), "DDERR_NOTFLIPPABLE"},
    {DD(583), "DDERR_CANTDUPLICATE"},
    {DD(584), "DDERR_NOTLOCKED"},
    {DD(585), "DDERR_CANTCREATEDC"},
    {DD(586), "DDERR_NODC"},
    {DD(587), "DDERR_WRONGMODE"},
    {DD(588), "DDERR_IMPLICITLYCREATED"},
    {DD(589), "DDERR_NOTPALETTIZED"},
    {DD(590), "DDERR_UNSUPPORTEDMODE"},
    {DD(591), "DDERR_NOMIPMAPHW"},
    {DD(592), "DDERR_INVALIDSURFACETYPE"},
    {DD(600), "DDERR_NOOPTIMIZEHW"},
    {DD(601), "DDERR_NOTLOADED"},
    {DD(602), "DDERR_NOFOCUSWINDOW"},
    {DD(603), "DDERR_NOTONMIPMAPSUBLEVEL"},
    {DD(620), "DDERR_DCALREADYCREATED"},
    {DD(630), "DDERR_NONONLOCALVIDMEM"},
    {DD(640), "DDERR_CANTPAGELOCK"},
    {DD(660), "DDERR_CANTPAGEUNLOCK"},
    {DD(680), "DDERR_NOTPAGELOCKED"},
    {DD(690), "DDERR_MOREDATA"},
    {DD(691), "DDERR_EXPIRED"},
    {DD(692), "DDERR_TESTFINISHED"},
    {DD(693), "DDERR_NEWMODE"},
    {DD(694), "DDERR_D3DNOTINITIALIZED"},
    {DD(695), "DDERR_VIDEONOTACTIVE"},
    {DD(696), "DDERR_NOMONITORINFORMATION"},
    {DD(697), "DDERR_NODRIVERSUPPORT"},
    {DD(699), "DDERR_DEVICEDOESNTOWNSURFACE"},
    {0x800401F0u, "DDERR_NOTINITIALIZED"},
};

template <std::size_t N> const char* FindName(const CodeName (&table)[N], uint32_t code) {
    for (const CodeName& entry : table) {
        if (entry.code == code) return entry.name;
    }
    return nullptr;
}

} // namespace

const char* DirectXErrorName(HRESULT hr) {
    const auto code = static_cast<uint32_t>(hr);
    if (((code >> 16) & 0x1FFF) == kFacilityEngine) {
        const char* name = FindName(kEngineNames, code);
        return name ? name : "Unknown";
    }
    const char* name = FindName(kCommonNames, code);
    return name ? name : "Unknown";
}

void DirectDrawErrorName(HRESULT hr, char* buffer, unsigned size) {
    if (!buffer || size == 0) return;
    char unknown[32];
    const char* name = FindName(kDirectDrawNames, static_cast<uint32_t>(hr));
    if (!name) {
        std::snprintf(unknown, sizeof unknown, "Unknown Error #%ld",
                      static_cast<long>(static_cast<uint32_t>(hr) & 0xFFFFu));
        name = unknown;
    }
    std::size_t length = std::strlen(name);
    if (length > size - 1) length = size - 1;
    std::memcpy(buffer, name, length);
    buffer[length] = '\0';
}
