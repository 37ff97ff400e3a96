// The test plug-in module: two entity classes behind the engine's factory
// contract. Each object answers message 14 by naming itself after its class
// and the number of children it has by then, so a test can see that the
// message came after the model was cloned in.
#include "Jentra/JTEntity.h"
#include "Jentra/JTMessages.h"
#include "Jentra/JTProtobase.h"

#include <cstdio>
#include <strings.h>

namespace {

class TestModuleEntity : public JTEntity {
public:
    explicit TestModuleEntity(const char* className) : className(className) {}
    unsigned Message(JTID* from, JTID* to, unsigned msg, void* data) override {
        if (msg == JTMSG_CREATED) {
            char name[64];
            std::snprintf(name, sizeof name, "%s:created:%d", className, GetNumChildren());
            SetName(name);
            return 1;
        }
        return JTEntity::Message(from, to, msg, data);
    }

private:
    const char* className;
};

const char* const kClasses[] = {"TestWidget", "TestGadget"};
constexpr int kNumClasses = 2;

} // namespace

extern "C" __attribute__((visibility("default"))) void* _JTEntityFactory(int request,
                                                                         void* argument) {
    switch (request) {
    case JTFACTORY_COUNT:
        *static_cast<int*>(argument) += kNumClasses;
        return nullptr;
    case JTFACTORY_NAME: {
        int* index = static_cast<int*>(argument);
        if (*index >= 0 && *index < kNumClasses) {
            const char* name = kClasses[*index];
            *index = -1;
            return const_cast<char*>(name);
        }
        *index -= kNumClasses;
        return nullptr;
    }
    case JTFACTORY_CREATE:
        for (const char* name : kClasses)
            if (strcasecmp(name, static_cast<const char*>(argument)) == 0)
                return static_cast<JTEntity*>(new TestModuleEntity(name));
        return nullptr;
    default:
        return nullptr;
    }
}
