// The headers of every class of the scene engine's own that the object
// factory makes: nodes, channels, the scenery bodies, lights, particle
// systems, collections and debris.
#pragma once

#include "desktop/scene/entity/celestial.h"
#include "desktop/scene/entity/collection.h"
#include "desktop/scene/entity/debris.h"
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/entity/entity_kinds.h"
#include "desktop/scene/entity/lens_flare.h"
#include "desktop/scene/entity/part_node.h"
#include "desktop/scene/entity/wormhole.h"
#include "desktop/scene/object/anim_text.h"
#include "desktop/scene/object/channel.h"
#include "desktop/scene/object/frame_channel.h"
#include "desktop/scene/object/geo_node.h"
#include "desktop/scene/object/light_node.h"
#include "desktop/scene/object/orbit_lines.h"
#include "desktop/scene/object/sequencer.h"
#include "desktop/scene/object/texture_channels.h"
#include "desktop/scene/object/trans_node.h"
#include "desktop/scene/object/unknown.h"
#include "desktop/scene/object/vertex_channels.h"
