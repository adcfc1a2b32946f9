#pragma once
// The program-wide stack of render targets being drawn into, so that ending an inner
// capture returns drawing to the outer target. It holds pointers only.
#include <cstddef>

namespace qelFramework {

class GL_FBOTexture;

class FboStack {
public:
    static void push(GL_FBOTexture* target);
    // Removes the top target and binds the framebuffer of the one below, if any (else the
    // window's stays bound). On an empty stack writes "destroyed!" (CRITICAL, tag
    // "fboStack") and changes nothing.
    static void pop();

    static std::size_t size();
    static GL_FBOTexture* top(); // null when empty
};

} // namespace qelFramework
