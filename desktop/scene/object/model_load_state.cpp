// The one model-loading state of the program.
#include "desktop/scene/object/model_load_state.h"

namespace lumivane {

ModelLoadState& GetModelLoadState() {
    static ModelLoadState state;
    return state;
}

} // namespace lumivane
