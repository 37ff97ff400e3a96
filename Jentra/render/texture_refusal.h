// Pictures that could not become textures for want of memory, or that the
// device would not take, are remembered beside their source in a small text
// file, so that later starts refuse them at once instead of paying for them
// again. A marker holds while it is not older than its source and was
// written for a device with the same largest texture side: changing the
// picture, or deleting the marker, tries it again.
#pragma once

#include <string>

namespace jentra::textures {

// The marker of `source` in format `formatName`, beside it as its cached
// conversion would be ("textures\wood.jpg" with DXT1 gives
// "textures\~wood_DXT1.refused").
std::string RefusalName(const std::string& source, const char* formatName);

// Writes the marker `refusal` (a name below "modules\"); false when it
// cannot be written, which only means the next start tries again.
bool RememberRefusal(const std::string& refusal, int maxTextureSide, const std::string& reason);

// The reason a marker holds for `source` on a device of that largest side;
// false when there is none, it is older than the source, was written for
// another device, or is not one of ours.
bool RememberedRefusal(const std::string& refusal, const std::string& source, int maxTextureSide,
                       std::string& reason);

// Deletes the marker, if there is one.
void ForgetRefusal(const std::string& refusal);

} // namespace jentra::textures
