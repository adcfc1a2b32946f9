#pragma once
// All controllers of the production in creation order. It owns them and never frees
// one while it lives, so a pointer from getController stays valid.
#include "sync/SyncController.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace qelFramework {

class SyncData {
public:
    SyncData() = default;
    SyncData(const SyncData&) = delete;
    SyncData& operator=(const SyncData&) = delete;

    // The controller of that exact name, appended empty when there is none; never null.
    SyncController* getController(const std::string& name);
    // The controller a layer reads: getController, and when the data does not hold that
    // name, one WARNING names it (the empty controller made for it reads 0, and later
    // lookups find it).
    SyncController* expectController(const std::string& name);
    // The controller of that name, or null; creates nothing.
    SyncController* find(const std::string& name) const;

    // Evaluates every controller at t, in list order. Allocates nothing.
    void evaluateAll(float t);

    std::size_t count() const { return controllers.size(); }
    // Null for an index out of range.
    SyncController* at(std::size_t index) const { return index < controllers.size() ? controllers[index].get() : nullptr; }

private:
    std::vector<std::unique_ptr<SyncController>> controllers;
};

} // namespace qelFramework
