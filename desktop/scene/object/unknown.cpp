// The root object: object-reference writing and the shared reference count.
#include "desktop/scene/object/unknown.h"

#include "desktop/scene/object/object_table.h"
#include "platform/binary_io.h"

namespace lumivane {

Unknown::~Unknown() {
    ObjectTable::ObjectDestroyed(this);
}

int Unknown::Save(platform::BinaryWriter& file, ObjectTable& table) {
    int32_t place = table.Find(this);
    if (place >= 0) {
        file.WriteI32(~place);
        return 0;
    }
    place = table.Append(this);
    file.WriteI32(place + 1);
    file.WriteU8(classId);
    return 1;
}

bool Unknown::Load(platform::BinaryReader&, ObjectTable&, uint32_t) {
    return true;
}

void Unknown::Traverse(int) {}

void Unknown::Release() {
    if (--referenceCount <= 0) delete this;
}

} // namespace lumivane
