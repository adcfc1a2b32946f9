#include "gl/FboStack.h"

#include "base/Trace.h"
#include "gl/GL_FBOTexture.h"

#include <deque>

namespace qelFramework {

namespace {
std::deque<GL_FBOTexture*>& targets() {
    static std::deque<GL_FBOTexture*> stack;
    return stack;
}
} // namespace

void FboStack::push(GL_FBOTexture* target) { targets().push_back(target); }

void FboStack::pop() {
    std::deque<GL_FBOTexture*>& stack = targets();
    if (stack.empty()) {
        Trace::write(Trace::CRITICAL, "fboStack", "destroyed!");
        return;
    }
    stack.pop_back();
    if (!stack.empty())
        glBindFramebuffer(GL_FRAMEBUFFER, stack.back()->framebufferName);
}

std::size_t FboStack::size() { return targets().size(); }

GL_FBOTexture* FboStack::top() { return targets().empty() ? nullptr : targets().back(); }

} // namespace qelFramework
