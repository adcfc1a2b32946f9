#include "app/Schedule.h"

#include "layers/post/Layer_Border.h"
#include "layers/post/Layer_Overlay.h"
#include "layers/post/Layer_PP.h"
#include "layers/post/Layer_TiltShift.h"
#include "layers/scenes/Layer_CityScene.h"
#include "layers/scenes/Layer_Fireworks.h"
#include "layers/scenes/Layer_Sky.h"
#include "timeline/Timeline.h"

namespace qelFramework {

const ScheduleRow kProductionSchedule[kScheduleRows] = {
    {"postprocessor", 0, 0, 260000}, {"IM-fireworks", 1, 0, 55000},      {"tiltPost", 2, 0, 260000},
    {"city", 3, 1, 134000},          {"sky", 4, 123000, 225000},         {"IM-fireworks", 1, 210000, 260000},
    {"city", 6, 210000, 260000},     {"tiltPost", 8, 0, 260000},         {"border", 9, 0, 260000},
    {"postprocessor", 10, 0, 260000}, {"overlay", 11, 220000, 260000},
};

std::uint32_t productionEndMs() {
    std::uint32_t end = 0;
    for (const ScheduleRow& row : kProductionSchedule)
        end = row.end > end ? row.end : end;
    return end;
}

// Registration order is loading order.
void registerProductionLayers(Timeline& timeline) {
    // Constructing the fireworks launches its rockets, which reseed the generator: the
    // layers after it draw from where those bursts left it.
    timeline.registerLayer(new Layer_PP, "postprocessor");
    timeline.registerLayer(new Layer_Fireworks, "IM-fireworks");
    timeline.registerLayer(new Layer_CityScene, "city");
    timeline.registerLayer(new Layer_TiltShift, "tiltPost");
    timeline.registerLayer(new Layer_Sky, "sky");
    timeline.registerLayer(new Layer_Border, "border");
    timeline.registerLayer(new Layer_Overlay, "overlay");
}

void scheduleProduction(Timeline& timeline) {
    for (const ScheduleRow& row : kProductionSchedule)
        timeline.addEntry(row.layer, row.track, row.start, row.end);
}

} // namespace qelFramework
