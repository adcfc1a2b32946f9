#pragma once
// GL entry points called between glBegin and glEnd that GL 1.1 does not have. The loader
// looks an entry point up on its first call, and some drivers (Wine's among them) answer
// no lookup made between glBegin and glEnd; each of these is therefore called once, with
// no effect on what is drawn, as soon as a context is current.
#include <string>
#include <vector>

namespace qelFramework::platform {

// Resolves every entry point immediateModeEntryPoints names; the context must be current.
// Leaves the GL state as a fresh context has it.
void resolveImmediateModeEntryPoints();

// The names resolved there. Code between glBegin and glEnd calls only GL 1.1 and these.
const std::vector<std::string>& immediateModeEntryPoints();

} // namespace qelFramework::platform
