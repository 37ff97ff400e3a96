// The display draws the shipped scenes, which hold units: their classes are
// registered before any test runs, as the program does at start-up.
#include "desktop/units/unit_classes.h"

namespace {

[[maybe_unused]] const bool kUnitClassesRegistered = (lumivane::RegisterUnitClasses(), true);

} // namespace
