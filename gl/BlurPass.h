#pragma once
// The program-wide blur: writes a blurred copy of any texture into a render target. It
// works at 512 x 512, repeating a 14-tap cross filter more often the stronger the blur,
// ping-ponging between two private targets.
#include "gl/GL_FBOTexture.h"

namespace qelFramework {

// Creates the work targets and builds "gltkBlurShader". Needs a current GL context.
// True when the targets are complete and the shader built.
bool initBlurPass();

// intensity * 20 + 1 passes (truncated), each with a step growing with the intensity; the
// result is scaled to fill `destination`. Afterwards no program is current and the
// framebuffer binding and viewport are those from before. Does nothing before
// initBlurPass().
void blurInto(GL_Texture& source, float intensity, GL_FBOTexture& destination);

// Releases the work targets and deletes the shader's objects.
void releaseBlurPass();

} // namespace qelFramework
