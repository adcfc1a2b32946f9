#pragma once
// The cloth layer the city hosts: the performer and the falling sheet, set up to draw
// inside the city's own transform at the city's scale.
#include "timeline/Layer_Base.h"

#include <memory>

namespace qelFramework {

// The cloth layer constructed for embedding (the host sets the camera; scene scale 25).
// Until that layer is part of the program this is a layer that keeps time and draws
// nothing, so the city plays without it.
std::unique_ptr<Layer_Base> makeEmbeddedCloth();

} // namespace qelFramework
