// CreateObject: builds an object of a factory class by number or by name.
#pragma once

namespace lumivane {

class Unknown;

// The first factory class whose number equals classNumber, or whose name
// equals `name` without regard to case, built with its defaults. When none
// matches and both names are given, the alternative name is tried as the
// name once. Null when nothing matches. Callers pass a number with null
// names, or a name with number -1.
Unknown* CreateObject(const char* alternativeName, const char* name, int classNumber);

} // namespace lumivane
