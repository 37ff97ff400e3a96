// JTControl: the base of the 3D interface controls. A control is an entity
// that lives in a scene, is picked by the 3D cursor, and reports its use by
// message 19 to the object it was told to notify (message 18). Controls never
// call their owner directly: everything goes by identifier, so an owner that
// has gone away simply stops hearing from them.
#pragma once

#include "Jentra/JTEntity.h"

class JTControl : public JTEntity {
public:
    JTControl();
    ~JTControl() override;

    // 18 (data: the JTID to notify) sets the notify target.
    unsigned Message(JTID* from, JTID* to, unsigned msg, void* data) override;
    // "JTControls:" and the class name.
    virtual const char* GetClassNameA() const;

    const JTID& GetNotifyTarget() const { return notifyTarget; }

protected:
    // Sends message 19 with data to the notify target.
    void Notify(void* data);

    // A fresh identifier that names nobody until message 18 arrives.
    JTID notifyTarget;
};
