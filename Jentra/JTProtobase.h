// JTProtobase: the engine's factory of entities. It keeps the prototype
// records found as ".prp" files in "modules\", loads each model (".jtm") once
// and hands every new entity a clone of it, and creates entities either as
// plain engine entities or as objects of classes that plug-in modules add.
//
// A plug-in module is a shared library in the program's folder: a request for
// "X.dll" loads X.so (the name in any letter case). It exports one C entry
// point, _JTEntityFactory (see JTEntityFactoryFn), and stays loaded for the
// rest of the run once loaded.
#pragma once

#include "Jentra/JTArray.h"
#include "Jentra/JTID.h"
#include "Jentra/JTUnknown.h"

class JTEntity;
class JTEntityProps;
class JTNode;

// The plug-in factory contract. request 1: *(int*)argument += number of
// classes; request 2: *(int*)argument indexes the classes, the result is the
// class name (null past the end); request 3: argument is a class name (any
// letter case), the result a new JTEntity-derived object or null. The engine
// uses request 3 only and deletes what it gets through the virtual destructor.
typedef void* (*JTEntityFactoryFn)(int request, void* argument);

// The exported name of the factory in every module.
#define JT_ENTITY_FACTORY_SYMBOL "_JTEntityFactory"

enum JTEntityFactoryRequest {
    JTFACTORY_COUNT = 1,
    JTFACTORY_NAME = 2,
    JTFACTORY_CREATE = 3,
};

// One loaded plug-in module.
struct JTModuleFactory {
    static constexpr int kMaxFileName = 260;
    char fileName[kMaxFileName]; // as the caller named it, NUL-terminated
    JTEntityFactoryFn factory;
    void* module; // the loader's handle; never closed
};

class JTProtobase : public JTUnknown {
    JT_CLASS(JTProtobase, JTUnknown)
public:
    JTProtobase();
    ~JTProtobase() override;
    // The database owns its records and models.
    JTProtobase(const JTProtobase&) = delete;
    JTProtobase& operator=(const JTProtobase&) = delete;

    // Rebuilds the prototype list from "modules\*.prp" (in name order).
    // Entities made from the old records must be gone by then.
    void ScanModules();
    // Reads one prototype file of "modules\" (a bare name ending in ".prp")
    // and appends it; false when the file could not be read.
    bool Load(const char* fileName);
    // The first prototype whose Name equals name, ignoring case; or null.
    JTEntityProps* Find(const char* name);
    // Appends the record (the database takes it) and saves its file.
    void AddType(JTEntityProps* props);
    // A new record of the prototype class that className selects.
    JTEntityProps* InstantiateType(const char* className);

    // Completes entity (a new plain JTEntity when null) with a clone of the
    // model modelName (none when null or empty) and sends it message 14. A
    // model that cannot be loaded leaves the entity without a model and
    // without the message.
    JTEntity* Create(const char* modelName, JTEntity* entity);
    // Creates an object of className from the module moduleFileName and
    // completes it as above. Null when the module cannot be loaded (or none
    // is named); a plain JTEntity when the module has no such class.
    JTEntity* Create(const char* modelName, const char* moduleFileName, const char* className);

    // The loaded model of that name (loading it on first use), or null when
    // it cannot be loaded. The database keeps it.
    JTNode* GetModel(const char* modelName);

    // Index of the loaded module named moduleFileName (ignoring case), or -1.
    int FindFactory(const char* moduleFileName) const;
    // Loads a module and returns its new index, or -1 on failure.
    int LoadFactory(const char* moduleFileName);
    int GetNumFactories() const { return modules.GetCount(); }
    const JTModuleFactory& GetFactory(int i) const { return modules[i]; }

    int GetNumTypes() const { return prototypes.GetCount(); }
    JTEntityProps* GetType(int i) const { return prototypes[i]; }

    JTCommunicator& GetCommunicator() { return comm; }

private:
    void ClearPrototypes();

    JTCommunicator comm;
    JTArray<JTEntityProps*> prototypes{16};
    JTNode* modelRoot;
    JTArray<JTModuleFactory> modules{16};
    // Model names whose file was missing or damaged, so they are not read
    // again on every Create.
    JTArray<char*> failedModels{16};
};

extern JTProtobase* gpJTProtobase;
