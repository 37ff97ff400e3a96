// JTProtobase's prototype records: the scan of "modules\*.prp", reading one
// record, lookup by name and adding new records.
#include "Jentra/JTProtobase.h"
#include "Jentra/JTDataFolder.h"

#include "Jentra/JTEntityProps.h"
#include "Jentra/JTNode.h"
#include "Jentra/JTPartSys.h"
#include "platform/paths.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <strings.h>
#include <vector>

JT_CLASS_IMPL(JTProtobase)

JTProtobase::JTProtobase() : comm(this), modelRoot(new JTNode()) {
    ScanModules();
}

JTProtobase::~JTProtobase() {
    ClearPrototypes();
    delete modelRoot;
    for (int i = 0; i < failedModels.GetCount(); ++i)
        std::free(failedModels[i]);
    // Modules stay loaded: objects they made may still be alive, and their
    // code must outlive every scene.
}

void JTProtobase::ClearPrototypes() {
    for (int i = 0; i < prototypes.GetCount(); ++i)
        delete prototypes[i];
    while (prototypes.GetCount() > 0)
        prototypes.RemoveLast();
}

void JTProtobase::ScanModules() {
    ClearPrototypes();
    auto folder = platform::ResolvePath(JTDataFolder(), "modules");
    if (!folder) return;
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(*folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name.size() > 4 && strcasecmp(name.c_str() + name.size() - 4, ".prp") == 0 &&
            it->is_regular_file(ec))
            names.push_back(std::move(name));
    }
    // The directory's own order differs between file systems; name order
    // makes the first match of Find the same everywhere.
    std::sort(names.begin(), names.end());
    for (const std::string& name : names)
        Load(name.c_str());
}

bool JTProtobase::Load(const char* fileName) {
    if (!fileName || !*fileName) return false;
    // The base record names the class; the class's own record type then
    // reads the file again with its extra properties.
    auto* base = new JTEntityProps();
    if (!base->Load(fileName)) {
        delete base;
        return false;
    }
    JTEntityProps* record = InstantiateType(base->szClass);
    if (record) {
        delete base;
        if (!record->Load(fileName)) {
            delete record;
            return false;
        }
    } else {
        record = base;
    }
    if (prototypes.Add(record) < 0) {
        delete record;
        return false;
    }
    return true;
}

JTEntityProps* JTProtobase::Find(const char* name) {
    if (!name) return nullptr;
    for (int i = 0; i < prototypes.GetCount(); ++i)
        if (strcasecmp(prototypes[i]->szName, name) == 0) return prototypes[i];
    return nullptr;
}

void JTProtobase::AddType(JTEntityProps* props) {
    if (!props) return;
    if (prototypes.Add(props) < 0) {
        delete props; // the database was given it and cannot keep it
        return;
    }
    props->Save();
}

JTEntityProps* JTProtobase::InstantiateType(const char* className) {
    // The particle system is the one engine class with a record type of its
    // own; every other class reads the plain entity record.
    if (className && strcasecmp(className, "JTPartSys") == 0) return JTPartSysCreateProps();
    return new (std::nothrow) JTEntityProps();
}
