#pragma once
// A testing knob for the editor at a slow frame rate on any machine: with
// QUILLMONT_MIN_FRAME_MS=N in the environment (1 to 5000) every frame shown in the window
// lasts at least N milliseconds, as on a slow renderer (the program takes no input while
// it waits, as while it renders), and every 2 seconds the trace says the frame rate it
// had: "INFO (slowFrames): 6 frames in 2.01 s: 2.99 frames a second". Without it, or with
// a value outside that range, nothing changes. The pictures themselves are not touched.
namespace qelFramework {

class Production;

// Installs the knob on the production's frames when the environment asks for it.
void slowFramesOnRequest(Production& production);

} // namespace qelFramework
