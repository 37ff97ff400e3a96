// An input device a key or mouse holder can own. No device feeds the holders
// in this program; the interface is what suspending and resuming talk to.
#pragma once

namespace lumivane {

class InputDevice {
public:
    virtual ~InputDevice() = default;
    virtual void Acquire() = 0;
    virtual void Unacquire() = 0;
};

} // namespace lumivane
