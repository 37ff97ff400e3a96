// Prototype records: JTEntityProps is the block of named values that
// describes one kind of entity (name, class, model, scale, flags), kept in
// one ".prp" file per prototype under "modules\"; JTPropContainer is how an
// entity holds the record it uses.
#pragma once

#include "Jentra/JTPropDesc.h"

#include <string>

class JTEntity;
class JTEntityProps;
class JTScene;

// Second base of every entity: the prototype record it uses.
class JTPropContainer {
public:
    JTPropContainer() : pProps(nullptr) {}
    JTPropContainer(const JTPropContainer&) = default;
    JTPropContainer& operator=(const JTPropContainer&) = default;

    // Gives the object its property block.
    virtual void InitProps() = 0;
    // A value of the record changed; value points at it.
    virtual void PropChanged(void* value);

    JTEntityProps* GetProps() const { return pProps; }

protected:
    ~JTPropContainer() = default;
    JTEntityProps* pProps;
};

class JTEntityProps {
public:
    JTEntityProps();
    // Copies are deep: each record owns its own "Model" text.
    JTEntityProps(const JTEntityProps& other);
    JTEntityProps& operator=(const JTEntityProps& other);

    // The class's descriptor table (derived prototype classes return theirs).
    virtual const JTPropDesc* GetPropDescs();
    // Tells every registered entity that uses this record that a value changed.
    virtual void PropChanged(void* value);
    // Derived records own more; the database deletes them through this class.
    virtual ~JTEntityProps();

    // The first byte of the property block ("Name").
    void* GetProps() { return szName; }

    // Writes "modules\" + Name + ".prp" in the program's folder. When the file
    // cannot be written the player may retry, ignore (1) or abort (0).
    int Save();
    // Reads "modules\" + fileName (which includes ".prp"), then names the
    // prototype after the file. False when the file is missing or malformed;
    // the values then stay as they were, but the name is still set.
    bool Load(const char* fileName);

    // The same on explicit paths, without asking the player anything.
    bool SaveToPath(const std::string& path, std::string* error = nullptr);
    bool LoadFromPath(const std::string& path, std::string* error = nullptr);
    // Names the prototype after a file name: cut at the first ".prp" in any
    // letter case and kept within the 31 characters "Name" holds.
    void SetNameFromFile(const char* fileName);

    // Builds an entity of this prototype: of its class, sharing this record
    // (which must outlive it), with the prototype's model from the prototype
    // database, queued for the scene when one is given.
    JTEntity* Instantiate(JTScene* scene);

    static const JTPropDesc aPropDescs[];

    // The property block, in table order.
    char szName[32];
    char szClass[32];
    char* pModel;
    float fScale;
    bool bVisible;
    bool bPickable;
    bool bSortBehind;
};
