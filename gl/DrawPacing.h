#pragma once
// Keeps a software GL driver's memory in check where a frame holds thousands of small
// draws (particles, flames, the feathers of a swarm). Mesa's CPU rasterizers hold on to
// what they allocate for a run of draws until the drawing is finished, and a draw whose
// colour, matrix or uniforms changed is a draw of its own: the cloth's flames and the
// sky's swarm held some 200 MB that way. Code that issues such draws counts them here,
// and while pacing is on every kSmallDrawsBetweenFinishes-th waits for the drawing to
// finish, which keeps that to a few MB at no measurable cost in render time there.
// Waiting changes no pixel. On a GPU the wait would only stall the pipeline mid-frame,
// so pacing is off unless the renderer draws on the CPU.
namespace qelFramework {

constexpr int kSmallDrawsBetweenFinishes = 64;

// Turns pacing on for the current context when its renderer is one of Mesa's CPU
// rasterizers (llvmpipe, softpipe, swrast), off otherwise. Call once the context is made.
void choosePacingForRenderer();
// Pacing on or off whatever the renderer.
void setSmallDrawPacing(bool on);
bool smallDrawPacing();

// Counts one draw; while pacing is on, waits for the drawing to finish on every
// kSmallDrawsBetweenFinishes-th.
void countSmallDraw();

} // namespace qelFramework
