#include "gl/FboStack.h"

#include "base/Trace.h"
#include "gl/GL_FBOTexture.h"
#include "platform/EventQueue.h"

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
        // A pop without a push: the drawing has lost track of its targets, so the
        // production ends rather than draw into the wrong one.
        Trace::write(Trace::Critical, "fboStack", "destroyed!");
        platform::requestQuit(0);
        return;
    }
    stack.pop_back();
    if (!stack.empty())
        glBindFramebuffer(GL_FRAMEBUFFER, stack.back()->framebufferName);
}

std::size_t FboStack::size() { return targets().size(); }

GL_FBOTexture* FboStack::top() { return targets().empty() ? nullptr : targets().back(); }

} // namespace qelFramework
