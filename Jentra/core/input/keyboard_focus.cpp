// JTKeyboard's focus: which object receives typed characters, the messages
// that announce a change of focus, and the delivery of characters.
#include <cstdint>

#include "Jentra/JTGlobals.h"
#include "Jentra/JTKeyboard.h"
#include "Jentra/JTMessages.h"

bool JTKeyboard::FocusHolderAlive() const {
    return gpJTIDMap && gpJTIDMap->Find(&m_focus) != nullptr;
}

void JTKeyboard::SetFocus(JTID* id) {
    m_communicator.Send(m_focus, JTMSG_KILLFOCUS, nullptr);
    if (!id) {
        m_focus.New(); // names no object
        return;
    }
    m_focus = *id;
    m_communicator.Send(m_focus, JTMSG_SETFOCUS, nullptr);
}

void JTKeyboard::ProcessChar(unsigned char c) {
    if (c == 13) c = 10;
    // The developer console takes its characters first once it exists.
    m_communicator.Send(m_focus, JTMSG_CHAR, reinterpret_cast<void*>(static_cast<uintptr_t>(c)));
}
