// The entity prototype record, its descriptor table and its ".prp" file.
#include "Jentra/JTEntityProps.h"

#include "Jentra/JTTransMap.h"
#include "Jentra/core/errors/error_box.h"
#include "Jentra/core/props/prp_records.h"
#include "Jentra/core/props/props_files.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Texts of the box shown when a prototype file cannot be written.
constexpr int kSaveFailedCaption = 1018;
constexpr int kSaveFailedText = 1024;

char* DuplicateText(const char* text) {
    if (!text) return nullptr;
    std::size_t length = std::strlen(text);
    char* copy = static_cast<char*>(std::malloc(length + 1));
    if (copy) std::memcpy(copy, text, length + 1);
    return copy;
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
    : pModel(DuplicateText(other.pModel)), fScale(other.fScale), bVisible(other.bVisible),
      bPickable(other.bPickable), bSortBehind(other.bSortBehind) {
    std::memcpy(szName, other.szName, sizeof szName);
    std::memcpy(szClass, other.szClass, sizeof szClass);
}

JTEntityProps& JTEntityProps::operator=(const JTEntityProps& other) {
    if (this == &other) return *this;
    char* model = DuplicateText(other.pModel);
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
    std::size_t extension = name.find(".prp");
    if (extension != std::string::npos) name.resize(extension);
    std::memset(szName, 0, sizeof szName);
    std::memcpy(szName, name.data(), std::min(name.size(), sizeof szName - 1));
}

bool JTEntityProps::SaveToPath(const std::string& path, std::string* error) {
    std::vector<uint8_t> bytes;
    jentra::props::WriteRecords(bytes, GetPropDescs(), GetProps());
    return jentra::props::WriteWholeFile(path, bytes, error);
}

bool JTEntityProps::LoadFromPath(const std::string& path, std::string* error) {
    std::vector<uint8_t> bytes;
    if (!jentra::props::ReadWholeFile(path, bytes, error)) return false;
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
        std::string path = jentra::props::ModulesPathForCreate(name + ".prp");
        if (!path.empty() && SaveToPath(path, &error)) return 1;
        char message[512];
        JTFormatText(message, sizeof message, JTTranslate(kSaveFailedText), name.c_str());
        switch (jentra::ShowBox(JTTranslate(kSaveFailedCaption), message,
                                jentra::BoxButtons::AbortRetryIgnore, jentra::BoxIcon::Stop)) {
        case jentra::BoxAnswer::Retry:
            continue;
        case jentra::BoxAnswer::Abort:
            return 0;
        default:
            return 1;
        }
    }
}

bool JTEntityProps::Load(const char* fileName) {
    bool loaded = false;
    if (fileName) {
        std::string path = jentra::props::ModulesPath(fileName);
        std::string error;
        loaded = !path.empty() && LoadFromPath(path, &error);
        if (!loaded && !error.empty()) std::fprintf(stderr, "prototype: %s\n", error.c_str());
    }
    SetNameFromFile(fileName);
    return loaded;
}

void JTEntityProps::PropChanged(void*) {}
