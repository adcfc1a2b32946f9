#pragma once
// The production's picture kept under the editor. At a draft level the production renders
// into a target 1/divisor of the window's viewport, which is then drawn scaled up over
// it; at full size the window's picture is copied once the production has drawn it. While
// paused the kept picture stands in for the production, so that input redraws only the
// editor over it.
#include "gl/GL_FBOTexture.h"

namespace qelFramework {

class KeptPicture {
public:
    KeptPicture() = default;
    KeptPicture(const KeptPicture&) = delete;
    KeptPicture& operator=(const KeptPicture&) = delete;

    // Before the production renders at a draft level (divisor 2 or more) into a window of
    // windowWidth x windowHeight: binds a target the size of the current viewport /
    // divisor as the outer render target. False when it cannot be made; the production
    // then renders straight into the window.
    bool beginDraft(int windowWidth, int windowHeight, int divisor);
    // After the production: drawing goes back to the window, and the target is drawn
    // scaled up over the viewport it was sized from.
    void endDraft();
    // At full size, after the production: copies the window's back buffer (windowWidth x
    // windowHeight). False when the copy fails; nothing is kept then.
    bool copyWindow(int windowWidth, int windowHeight);
    // Draws what is kept: the window's copy pixel for pixel, a draft scaled up over its
    // viewport. Does nothing when nothing is kept.
    void show();

    // Whether the kept picture is a whole frame for a window of this size at this divisor.
    bool holds(int windowWidth, int windowHeight, int divisor) const;
    void forget() { kept = false; }
    // Deletes the GL objects; needs the context that made them.
    void release();

    GL_FBOTexture& target() { return picture; }

private:
    GL_FBOTexture picture;
    bool kept = false;
    int keptDivisor = 1;
    int windowW = 0, windowH = 0;  // the window the picture was kept for
    GLint viewport[4] = {0, 0, 0, 0}; // where it goes in the window
    bool drafting = false;
    // The kept picture is a full-size copy of the window, not a draft.
    bool isDraft() const { return keptDivisor > 1; }
};

} // namespace qelFramework
