// Setting a prototype's property values by name, for the data steps that
// author entity prototypes. A name the class lacks is passed over.
#pragma once

#include <cstdint>

#include "desktop/scene/entity/entity.h"

namespace databuilder {

inline void SetFloat(lumivane::Entity& e, const char* name, float value) {
    size_t offset = 0;
    if (lumivane::PropDesc::Find(e.props->Table(), name, offset))
        e.props->Set<float>(offset, value);
}

inline void SetFlag(lumivane::Entity& e, const char* name, bool value) {
    size_t offset = 0;
    if (lumivane::PropDesc::Find(e.props->Table(), name, offset)) e.props->SetFlag(offset, value);
}

inline void SetInt(lumivane::Entity& e, const char* name, int32_t value) {
    size_t offset = 0;
    if (lumivane::PropDesc::Find(e.props->Table(), name, offset))
        e.props->Set<int32_t>(offset, value);
}

} // namespace databuilder
