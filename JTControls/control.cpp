// JTControl, the notify target every control keeps, and JTDialog.
#include "JTControls/JTControl.h"
#include "JTControls/JTDialog.h"

#include <cstring>

#include "Jentra/JTMessages.h"

JTControl::JTControl() = default;
JTControl::~JTControl() = default;

unsigned JTControl::Message(JTID* from, JTID* to, unsigned msg, void* data) {
    if (msg == JTMSG_SETNOTIFY && data) std::memcpy(&notifyTarget, data, sizeof notifyTarget);
    return JTEntity::Message(from, to, msg, data);
}

const char* JTControl::GetClassNameA() const {
    return "JTControls:JTControl";
}

void JTControl::Notify(void* data) {
    comm.Send(notifyTarget, JTMSG_NOTIFY, data);
}

JTDialog::JTDialog() {
    SetOpacity(1.0f);
    SetPickable(false);
}

JTDialog::~JTDialog() = default;

const char* JTDialog::GetClassNameA() const {
    return "JTControls:JTDialog";
}
