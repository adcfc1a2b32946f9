#pragma once
// The production's layers and schedule, as start-up builds them.
#include <cstdint>

namespace qelFramework {

class Timeline;

struct ScheduleRow {
    const char* layer;
    unsigned track;
    std::uint32_t start; // ms, inclusive
    std::uint32_t end;   // ms, inclusive
};
constexpr int kScheduleRows = 11;
extern const ScheduleRow kProductionSchedule[kScheduleRows];

// The last millisecond of the show: the latest end in the schedule.
std::uint32_t productionEndMs();

// Constructs the production's layers and registers each under its name, in loading order.
void registerProductionLayers(Timeline& timeline);
// Adds the eleven entries in order; entries of layers not registered vanish.
void scheduleProduction(Timeline& timeline);

} // namespace qelFramework
