#include "sync/SyncData.h"

#include "base/Trace.h"

namespace qelFramework {

SyncController* SyncData::getController(const std::string& name) {
    if (SyncController* existing = find(name))
        return existing;
    controllers.push_back(std::make_unique<SyncController>(name));
    return controllers.back().get();
}

SyncController* SyncData::expectController(const std::string& name) {
    if (SyncController* existing = find(name))
        return existing;
    Trace::write(Trace::Warning, "syncData", "no controller \"%s\" in the sync data: it reads 0", name.c_str());
    return getController(name);
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
