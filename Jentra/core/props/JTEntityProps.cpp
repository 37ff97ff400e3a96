// The entity prototype record, its descriptor table and its ".prp" file.
#include "Jentra/JTEntityProps.h"
#include "Jentra/JTDataFolder.h"

#include "Jentra/JTGlobals.h"
#include "Jentra/JTID.h"
#include "Jentra/JTTransMap.h"
#include "Jentra/JTUnknown.h"
#include "Jentra/core/container/owned_string.h"
#include "Jentra/core/props/prp_records.h"
#include "platform/binary_io.h"
#include "platform/message_box.h"
#include "platform/paths.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace {

// Texts of the box shown when a prototype file cannot be written.
constexpr int kSaveFailedCaption = 1018;
constexpr int kSaveFailedText = 1024;

// Prototype files are a few hundred bytes; anything past this is not one.
constexpr uint64_t kLargestPrototypeFile = 1u << 20;

// Prototype files live in "modules\" beside the program.
std::string ModulesName(const char* name) {
    return std::string("modules\\") + name;
}

} // namespace

const JTPropDesc JTEntityProps::aPropDescs[] = {
    {"Name", PT_STRING, 0.0f, 1.0f, nullptr},      {"-Class", PT_STRING, 0.0f, 1.0f, nullptr},
    {"Model", PT_STRING255, 0.0f, 1.0f, nullptr},  {"Scale", PT_FLOAT, 0.0f, 1.0f, nullptr},
    {"Visible", PT_BOOL, 0.0f, 1.0f, nullptr},     {"Pickable", PT_BOOL, 0.0f, 1.0f, nullptr},
    {"Sort behind", PT_BOOL, 0.0f, 1.0f, nullptr}, {"JTEntity", PT_END, 0.0f, 0.0f, nullptr},
};

void JTPropContainer::PropChanged(void*) {}

JTEntityProps::JTEntityProps()
    : szName{}, szClass{}, pModel(nullptr), fScale(1.0f), bVisible(true), bPickable(true),
      bSortBehind(false) {}

JTEntityProps::JTEntityProps(const JTEntityProps& other)
    : pModel(JTDuplicateString(other.pModel)), fScale(other.fScale), bVisible(other.bVisible),
      bPickable(other.bPickable), bSortBehind(other.bSortBehind) {
    std::memcpy(szName, other.szName, sizeof szName);
    std::memcpy(szClass, other.szClass, sizeof szClass);
}

JTEntityProps& JTEntityProps::operator=(const JTEntityProps& other) {
    if (this == &other) return *this;
    char* model = JTDuplicateString(other.pModel);
    std::free(pModel);
    pModel = model;
    std::memcpy(szName, other.szName, sizeof szName);
    std::memcpy(szClass, other.szClass, sizeof szClass);
    fScale = other.fScale;
    bVisible = other.bVisible;
    bPickable = other.bPickable;
    bSortBehind = other.bSortBehind;
    return *this;
}

JTEntityProps::~JTEntityProps() {
    std::free(pModel);
}

const JTPropDesc* JTEntityProps::GetPropDescs() {
    return aPropDescs;
}

void JTEntityProps::SetNameFromFile(const char* fileName) {
    std::string name = fileName ? fileName : "";
    // File names ignore case: "Bishop.PRP" is the prototype "Bishop".
    const char* extension = strcasestr(name.c_str(), ".prp");
    if (extension) name.resize(std::size_t(extension - name.c_str()));
    std::memset(szName, 0, sizeof szName);
    std::memcpy(szName, name.data(), std::min(name.size(), sizeof szName - 1));
}

bool JTEntityProps::SaveToPath(const std::string& path, std::string* error) {
    std::vector<uint8_t> bytes;
    jentra::props::WriteRecords(bytes, GetPropDescs(), GetProps());
    return platform::WriteWholeFile(path, bytes, error);
}

bool JTEntityProps::LoadFromPath(const std::string& path, std::string* error) {
    std::vector<uint8_t> bytes;
    std::error_code ignored;
    if (!std::filesystem::exists(path, ignored)) {
        if (error) error->clear(); // a missing prototype is not an error to report
        return false;
    }
    if (!platform::ReadWholeFile(path, bytes, error, kLargestPrototypeFile)) return false;
    std::string why;
    if (!jentra::props::ReadRecords(bytes.data(), bytes.size(), GetPropDescs(), GetProps(), &why)) {
        if (error) *error = path + ": " + why;
        return false;
    }
    return true;
}

int JTEntityProps::Save() {
    std::string name(szName, strnlen(szName, sizeof szName));
    for (;;) {
        std::string error;
        auto path =
            platform::ResolvePathForCreate(JTDataFolder(), ModulesName((name + ".prp").c_str()));
        if (path && SaveToPath(path->string(), &error)) return 1;
        char message[512];
        JTFormatText(message, sizeof message, JTTranslate(kSaveFailedText), name.c_str());
        switch (platform::ShowMessageBox(JTTranslate(kSaveFailedCaption), message,
                                         platform::MessageBoxKind::Error,
                                         platform::MessageBoxButtons::AbortRetryIgnore)) {
        case platform::MessageBoxResult::Retry:
            continue;
        case platform::MessageBoxResult::Abort:
            return 0;
        default:
            return 1;
        }
    }
}

bool JTEntityProps::Load(const char* fileName) {
    bool loaded = false;
    if (fileName) {
        auto path = platform::ResolvePath(JTDataFolder(), ModulesName(fileName));
        std::string error;
        loaded = path && LoadFromPath(path->string(), &error);
        if (!loaded && !error.empty()) std::fprintf(stderr, "prototype: %s\n", error.c_str());
    }
    SetNameFromFile(fileName);
    return loaded;
}

// Every entity holds its prototype through its JTPropContainer base, so the
// entities among the registered objects are exactly those that cast to it.
void JTEntityProps::PropChanged(void* value) {
    JTIDMap* map = gpJTIDMap;
    if (!map) return;
    // The count is read again each step: a receiver may leave the map.
    for (int i = 0; i < map->GetNumUnks(); ++i) {
        auto* container = dynamic_cast<JTPropContainer*>(map->GetUnk(i));
        if (container && container->GetProps() == this) container->PropChanged(value);
    }
}
