#pragma once
// The city's trails as drawn by hand: polylines through the streets and up the tall
// house, each from the same spot in the street. Their source also builds the city
// layer's trails from them and sizes the trail particles as the trails grow.
#include "layers/scenes/TrailPath.h"

namespace qelFramework {

// Trail k (0 .. Layer_CityScene::kTrailCount - 1) as its corner points; empty for any other k.
TrailPath cityTrail(int k);

} // namespace qelFramework
