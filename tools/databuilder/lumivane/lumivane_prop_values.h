// Setting a prototype's property values by name for the steps that write
// Lumivane's units, each value stored as its type stores it. A name the
// block does not have is a mistake in the step: it is reported and the
// builder stops.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "desktop/scene/entity/prop_block.h"
#include "desktop/scene/entity/prop_desc.h"

namespace databuilder {

struct PropValues {
    lumivane::PropBlock& block;

    PropValues& Set(const char* name, double value) {
        size_t at = 0;
        const lumivane::PropDesc* d = Find(name, at);
        if (d->type == lumivane::PropType::Flag)
            block.SetFlag(at, value != 0.0);
        else if (d->type == lumivane::PropType::Integer)
            block.Set<int32_t>(at, int32_t(value));
        else
            block.Set<float>(at, float(value));
        return *this;
    }
    // A fixed name value ("weapon", "construct1", "impact type").
    PropValues& SetText(const char* name, const char* text) {
        size_t at = 0;
        Find(name, at);
        block.SetFixedText(at, text);
        return *this;
    }

private:
    const lumivane::PropDesc* Find(const char* name, size_t& at) {
        const lumivane::PropDesc* d = lumivane::PropDesc::Find(block.Table(), name, at);
        if (!d) {
            std::fprintf(stderr, "databuilder: no property \"%s\"\n", name);
            std::abort();
        }
        return d;
    }
};

} // namespace databuilder
