#pragma once
// Surfaces of the town at night: cheap value noise, the materials the houses are made
// of, and the light baked into their textures (the city is drawn unlit): moonlight from
// behind the street camera, a cool sky from above, warm light from the street and from
// lit windows, darkening where walls meet the ground or the eaves.
#include "Canvas.h"
#include "Mesh.h"
#include "Shaping.h"

#include <cstdint>
#include <vector>

namespace qelFramework::forge::town {

// Hash of integer coordinates to [0, 1).
float hash(int x, int y, int seed);
// Smooth value noise in [0, 1], period-free.
float noise(float x, float y, int seed);
// Sum of octaves, about [0, 1].
float fbm(float x, float y, int seed, int octaves);

enum Material {
    Plaster,   // lime plaster, warm off-white
    Timber,    // dark oak beams
    Ashlar,    // dressed stone blocks
    Brick,     // red-brown brick
    Slate,     // roof slates
    RedTiles,  // clay roof tiles
    Cobble,    // street cobbles
    Flags,     // pavement flagstones
    Kerb,      // kerb and coping stones
    Planks,    // door planks
    Frame,     // painted window frames
    GlassLit,  // a lit window
    GlassDark, // a dark window reflecting the sky
    Iron,      // wrought iron
    Board,     // painted sign board (its picture is drawn later)
    Pennant,   // dyed cloth
    Copper,    // green copper (cornice, spire)
    Rock,      // the floating island's rock
    Gold,      // gilding
    Soot,      // chimney pot, blackened
};

// The flat colour of a material at a texel (s, t in world units along the face).
Color albedo(int material, const MeshFace& face, float s, float t, Vec3 p);

// A warm light source baked into nearby walls (a lit window, a lamp).
struct Glow {
    Vec3 centre;
    float radius; // distance at which it has faded to a fifth
    float strength;
};

// Night light on a surface: albedo x (sky + moon + street warmth + glows) x occlusion.
// groundY is the ground under the face; eaveY the top of its wall (occlusion under the
// eaves), or a large value for none.
Color light(const Color& albedo, const MeshFace& face, Vec3 p, float groundY, float eaveY,
            const std::vector<Glow>& glows);

} // namespace qelFramework::forge::town
