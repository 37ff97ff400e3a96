// The module's one entry point: the engine's plug-in factory over the
// module's eight classes (counted, named by index, made by name).
#include "Jentra/JTProtobase.h"

#include <new>
#include <string_view>
#include <strings.h>
#include <type_traits>

#include "JTControls/JTButton.h"
#include "JTControls/JTControl.h"
#include "JTControls/JTDialog.h"
#include "JTControls/JTEdit.h"
#include "JTControls/JTList.h"
#include "JTControls/JTMover.h"
#include "JTControls/JTText.h"
#include "JTControls/test_dialog.h"

namespace {

struct ControlClass {
    const char* name;
    JTEntity* (*make)();
};

template <class T> JTEntity* Make() {
    return new (std::nothrow) T();
}

// In the order request 2 names them.
constexpr ControlClass kClasses[] = {
    {"JTControl", Make<JTControl>},       {"JTButton", Make<JTButton>},
    {"JTMover", Make<JTMover>},           {"JTText", Make<JTText>},
    {"JTDialog", Make<JTDialog>},         {"JTList", Make<JTList>},
    {"JTTestDialog", Make<JTTestDialog>}, {"JTEdit", Make<JTEdit>},
};
constexpr int kNumClasses = int(std::size(kClasses));

} // namespace

extern "C" __attribute__((visibility("default"))) void* _JTEntityFactory(int request,
                                                                         void* argument) {
    switch (request) {
    case JTFACTORY_COUNT:
        if (argument) *static_cast<int*>(argument) += kNumClasses;
        return nullptr;
    case JTFACTORY_NAME: {
        if (!argument) return nullptr;
        int* index = static_cast<int*>(argument);
        if (*index >= 0 && *index < kNumClasses) {
            const char* name = kClasses[*index].name;
            *index = -1;
            return const_cast<char*>(name);
        }
        // Callers walking several modules pass one running index along.
        *index -= kNumClasses;
        return nullptr;
    }
    case JTFACTORY_CREATE: {
        const char* wanted = static_cast<const char*>(argument);
        if (!wanted) return nullptr;
        for (const ControlClass& c : kClasses)
            if (strcasecmp(c.name, wanted) == 0) return c.make();
        return nullptr;
    }
    default:
        return nullptr;
    }
}

static_assert(std::string_view(JT_ENTITY_FACTORY_SYMBOL) == "_JTEntityFactory",
              "the factory is exported under the engine's name for it");
static_assert(std::is_same_v<decltype(&_JTEntityFactory), JTEntityFactoryFn>);
