#include "platform/GLEntryPoints.h"

#include <epoxy/gl.h>

namespace qelFramework::platform {

void resolveImmediateModeEntryPoints() {
    // A fresh context's texture coordinates are (0, 0, 0, 1) on every unit: this sets
    // unit 0's to what they are.
    glMultiTexCoord2f(GL_TEXTURE0, 0.0f, 0.0f);
}

const std::vector<std::string>& immediateModeEntryPoints() {
    static const std::vector<std::string> names = {"glMultiTexCoord2f"};
    return names;
}

} // namespace qelFramework::platform
