// PropContainer: the second base of every entity, the interface to its
// class's properties. A class names its descriptor table; the prototype
// makes the block and loads it from its ".prp" file; a change of a value is
// pushed to the prototype and to every live clone at once.
#pragma once

#include <cstddef>
#include <cstdint>

#include "desktop/scene/entity/prop_desc.h"

namespace lumivane {

// The `field` of PropChanged and ApplyProps: an offset into the block, or
// this for every value.
inline constexpr int32_t kAllProps = -1;

class PropContainer {
public:
    virtual ~PropContainer() = default;
    virtual const PropDesc* GetPropDescs() const = 0;
    // A block with the class's defaults, owned by this object.
    virtual void CreateProps() = 0;
    // Re-derives what depends on the value at `field` (or on every value).
    virtual void PropChanged(int32_t field) = 0;
    virtual size_t GetPropsSize() const = 0;
};

} // namespace lumivane
