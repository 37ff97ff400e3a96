// CameraView: the view record's file form.
#include "desktop/scene/world/camera_view.h"

#include "desktop/scene/object/object_file.h"
#include "platform/binary_io.h"

namespace lumivane {

void CameraView::Save(platform::BinaryWriter& file) const {
    WriteVec3(file, position);
    WriteVec3(file, direction);
    WriteVec3(file, up);
    WriteVec3(file, right);
    WriteVec3(file, offset);
    file.WriteI32(int32_t(targets.size()));
    for (EntityHandle handle : targets)
        file.WriteI32(handle);
    file.WriteI32(chase);
}

bool CameraView::Load(platform::BinaryReader& file, uint32_t version) {
    CameraView read;
    read.chase = chase;
    int32_t count = 0;
    if (!ReadVec3(file, read.position) || !ReadVec3(file, read.direction) ||
        !ReadVec3(file, read.up) || !ReadVec3(file, read.right) || !ReadVec3(file, read.offset) ||
        !file.ReadI32(count))
        return false;
    if (count < 0 || uint64_t(count) * 4 > file.Remaining()) {
        file.Fail();
        return false;
    }
    read.targets.resize(size_t(count));
    for (EntityHandle& handle : read.targets)
        if (!file.ReadI32(handle)) return false;
    if (version >= kFirstChaseFlagVersion && !file.ReadI32(read.chase)) return false;
    *this = std::move(read);
    return true;
}

} // namespace lumivane
