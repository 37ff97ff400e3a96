// JTProtobase's creation of entities: models loaded once and cloned into
// each new entity, objects of plug-in modules' classes, and the modules
// themselves.
#include "Jentra/JTProtobase.h"
#include "Jentra/JTDataFolder.h"

#include "Jentra/JTEntity.h"
#include "Jentra/JTFile.h"
#include "Jentra/JTMessages.h"
#include "Jentra/JTNode.h"
#include "Jentra/core/proto/module_loader.h"
#include "Jentra/core/scene/load_owned.h"
#include "platform/paths.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>

namespace {

// A node keeps at most this many characters of its name, and the model is
// found again by its node's name.
constexpr size_t kMaxModelName = 127;

// Reads one node tree from a model file, or null when the file is missing,
// damaged or holds something other than a node.
JTNode* ReadModelFile(const char* modelName) {
    auto path = platform::ResolvePath(JTDataFolder(), std::string("modules\\") + modelName);
    if (!path) {
        std::fprintf(stderr, "Jentra: model %s not found in modules\n", modelName);
        return nullptr;
    }
    JTFile f(path->c_str(), false);
    if (!f.Opened()) {
        std::fprintf(stderr, "Jentra: cannot open model %s\n", path->c_str());
        return nullptr;
    }
    JTNode* model = LoadOwned<JTNode>(f);
    if (model && f.Failed()) {
        delete model;
        model = nullptr;
    }
    f.Close();
    if (!model) std::fprintf(stderr, "Jentra: model %s is damaged\n", path->c_str());
    return model;
}

} // namespace

JTNode* JTProtobase::GetModel(const char* modelName) {
    if (!modelName || !*modelName) return nullptr;
    if (std::strlen(modelName) > kMaxModelName) {
        std::fprintf(stderr, "Jentra: model name longer than %zu characters: %.40s...\n",
                     kMaxModelName, modelName);
        return nullptr;
    }
    // The root itself is nameless, so only a loaded model can match.
    if (JTNode* loaded = modelRoot->FindChild(modelName)) return loaded;
    // A model that could not be read is not read again on every Create.
    for (int i = 0; i < failedModels.GetCount(); ++i)
        if (strcasecmp(failedModels[i], modelName) == 0) return nullptr;
    JTNode* model = ReadModelFile(modelName);
    if (!model) {
        if (char* copy = strdup(modelName)) {
            if (failedModels.Add(copy) < 0) std::free(copy);
        }
        return nullptr;
    }
    model->SetName(modelName);
    modelRoot->AddChild(model);
    return model;
}

JTEntity* JTProtobase::Create(const char* modelName, JTEntity* entity) {
    if (!entity) entity = new (std::nothrow) JTEntity();
    if (!entity) return nullptr;
    if (modelName && *modelName) {
        JTNode* model = GetModel(modelName);
        if (!model) return entity; // no model, no message
        JTUnknown* copy = model->Clone();
        if (!copy) return entity;
        entity->AddChild(static_cast<JTNode*>(copy));
        entity->RecomputeBound();
    }
    comm.Send(entity->GetID(), JTMSG_CREATED, nullptr);
    return entity;
}

JTEntity* JTProtobase::Create(const char* modelName, const char* moduleFileName,
                              const char* className) {
    int i = FindFactory(moduleFileName);
    if (i < 0) i = LoadFactory(moduleFileName);
    if (i < 0) return nullptr;
    // A class the module does not know leaves a plain entity to complete.
    JTEntity* object = nullptr;
    if (className)
        object = static_cast<JTEntity*>(
            modules[i].factory(JTFACTORY_CREATE, const_cast<char*>(className)));
    return Create(modelName, object);
}

int JTProtobase::FindFactory(const char* moduleFileName) const {
    if (!moduleFileName) return -1;
    for (int i = 0; i < modules.GetCount(); ++i)
        if (strcasecmp(modules[i].fileName, moduleFileName) == 0) return i;
    return -1;
}

int JTProtobase::LoadFactory(const char* moduleFileName) {
    if (!moduleFileName || !*moduleFileName) return -1;
    // The name is kept whole so FindFactory can match it later; a longer
    // one would be cut and then match the wrong module.
    if (std::strlen(moduleFileName) >= sizeof(JTModuleFactory::fileName)) {
        std::fprintf(stderr, "Jentra: module name too long: %.40s...\n", moduleFileName);
        return -1;
    }
    JTModuleFactory record{};
    std::string error;
    if (!jentra_proto::OpenModule(moduleFileName, &record.module, &record.factory, &error)) {
        std::fprintf(stderr, "Jentra: cannot load module %s: %s\n", moduleFileName, error.c_str());
        return -1;
    }
    std::snprintf(record.fileName, sizeof record.fileName, "%s", moduleFileName);
    // Should the list not grow, the module stays loaded (it is never
    // unloaded anyway) and a later call finds it through the loader again.
    return modules.Add(record);
}
