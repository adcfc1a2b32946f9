#include "sync/SyncData.h"

namespace qelFramework {

SyncController* SyncData::getController(const std::string& name) {
    if (SyncController* existing = find(name))
        return existing;
    controllers.push_back(std::make_unique<SyncController>(name));
    return controllers.back().get();
}

SyncController* SyncData::find(const std::string& name) const {
    for (const auto& controller : controllers)
        if (controller->nameRef() == name)
            return controller.get();
    return nullptr;
}

void SyncData::evaluateAll(float t) {
    for (const auto& controller : controllers)
        controller->evaluate(t);
}

} // namespace qelFramework
