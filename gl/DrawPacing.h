#pragma once
// Keeps the GL driver's memory in check where a frame holds thousands of small draws
// (particles, flames, the feathers of a swarm). Mesa's llvmpipe holds on to what it
// allocates for a run of draws until the drawing is finished, and a draw whose colour,
// matrix or uniforms changed is a draw of its own: the cloth's flames and the sky's
// swarm held some 200 MB that way. Code that issues such draws counts them here, and
// every kSmallDrawsBetweenFinishes-th waits for the drawing to finish, which keeps that
// to a few MB at no measurable cost in render time. Waiting changes no pixel.
namespace qelFramework {

constexpr int kSmallDrawsBetweenFinishes = 64;

// Counts one draw; waits for the drawing to finish on every kSmallDrawsBetweenFinishes-th.
void countSmallDraw();

} // namespace qelFramework
