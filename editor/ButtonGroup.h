#pragma once
// A group of picture buttons placed relative to an origin that is set where the group
// is drawn. A button's picture is a little larger than the area that answers clicks.
#include <vector>

namespace qelFramework {

class GL_Texture;

class ButtonGroup {
public:
    static constexpr float kHitWidth = 0.025f;
    static constexpr float kHitHeight = 0.05f;

    struct Button {
        float x = 0.0f, y = 0.0f;      // relative to the origin
        GL_Texture* texture = nullptr; // not owned; none: drawn as a grey blank
        int id = 0;
        const char* name = "";         // shown while the mouse is over the button
    };

    void add(float x, float y, GL_Texture* texture, int id, const char* name = "");
    void clear() { buttons.clear(); }

    // Draws every button with its lower left at origin + (x, y), blended, in the 0..1
    // projection the caller has set up, framing the buttons whose ids are marked (-1:
    // none); remembers the origin for hitTest.
    void draw(float originX, float originY, int markedId = -1, int otherMarkedId = -1);
    // The id of the first button (in the order added) whose click area holds the point
    // (window fractions), or -1.
    int hitTest(float mouseX, float mouseY) const;
    // The button whose click area holds the point, or null.
    const Button* buttonAt(float mouseX, float mouseY) const;

    void setOrigin(float x, float y) {
        originX = x;
        originY = y;
    }
    float originXAt() const { return originX; }
    float originYAt() const { return originY; }
    const std::vector<Button>& all() const { return buttons; }

private:
    std::vector<Button> buttons;
    float originX = 0.0f, originY = 0.0f;
};

} // namespace qelFramework
