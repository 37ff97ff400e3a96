// The texture manager's rules on file names: the "_alpha.jpg" companion of a
// JPEG, the numbered frames of an animation ("fire0000.jpg", "fire0001.jpg",
// ...), and the name of the converted copy cached beside a source.
#pragma once

#include <cstddef>
#include <string>

// Longest texture name with its terminating zero, as names are stored.
constexpr size_t kJTTextureNameSize = 260;

// `name` with everything from its last '.' replaced by "_alpha.jpg" (added
// when there is no '.'). `out` holds kJTTextureNameSize bytes; a result that
// does not fit is cut and false returned.
bool GetJPGAlphaFilename(char* out, const char* name);

// Copies `text` (null for "") into a field of kJTTextureNameSize bytes: at
// most kJTTextureNameSize - 1 characters, the rest zero-filled.
void CopyTextureName(char* field, const char* text);

// The name holds "0000.": it is the first frame of an animation.
bool IsTextureAnimated(const char* name);

// Steps the four digits before the last '.' to the next number ("fire0009.jpg"
// becomes "fire0010.jpg"). False, leaving the name alone, when there is no
// '.', fewer than four characters before it, anything but four digits there,
// or the number is already 9999.
bool GetNextAnimatedTextureFilename(char* name);

namespace jentra::textures {

// The converted copy of `source` in format `formatName`: the same folder, a
// '~' before the file name, its extension replaced by "_" + formatName +
// ".dds" ("textures\wood.jpg" with DXT1 gives "textures\~wood_DXT1.dds").
// Both separators are folders.
std::string CacheName(const std::string& source, const char* formatName);

} // namespace jentra::textures
