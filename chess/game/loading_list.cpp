// The intro's loading list.
#include "chess/game/loading_list.h"

#include <string>
#include <vector>

#include "chess/game/chess_constants.h"
#include "chess/game/world_table.h"

namespace {

const char* const kSceneryModels[] = {"Chess\\Park\\Table.jtm",
                                      "Chess\\Park\\Park.jtm",
                                      "Chess\\Fire and Ice\\table.jtm",
                                      "Chess\\Fire and Ice\\SkullRoom.jtm",
                                      "Chess\\Fire and Ice\\lavalight.jtm",
                                      "Chess\\Matrix\\environment.jtm",
                                      "Chess\\ChessSquare.jtm"};
const char* const kPrototypes[] = {"Clouds",      "SkyBox",     "lavalightshine", "lavalighttrail",
                                   "GroundSmoke", "GroundFire", "FireSparks",     "HoloEnvironment",
                                   "dancer",      "SkyLights"};

struct LoadingList {
    std::vector<std::string> names;
    std::vector<ChessLoadingItem> items;

    LoadingList() {
        for (int world = kWorldPark; world <= kWorldHolographic; ++world)
            for (int colour = 0; colour < 2; ++colour)
                for (int kind = 0; kind < 6; ++kind)
                    names.push_back(PieceModelName(world, nullptr, colour, kind));
        for (const char* model : kSceneryModels)
            names.push_back(model);
        const size_t models = names.size();
        for (const char* prototype : kPrototypes)
            names.push_back(prototype);
        // The names are complete: their texts no longer move.
        for (size_t i = 0; i < names.size(); ++i)
            items.push_back({names[i].c_str(), i >= models});
    }
};

const LoadingList& List() {
    static const LoadingList list;
    return list;
}

} // namespace

int GetLoadingCount() {
    return int(List().items.size());
}

const ChessLoadingItem* GetLoadingItem(int i) {
    return i >= 0 && i < GetLoadingCount() ? &List().items[size_t(i)] : nullptr;
}
