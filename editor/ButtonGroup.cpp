#include "editor/ButtonGroup.h"

#include "gl/GL_Texture.h"

namespace qelFramework {

void ButtonGroup::add(float x, float y, GL_Texture* texture, int id, const char* name) {
    buttons.push_back(Button{x, y, texture, id, name});
}

void ButtonGroup::draw(float newOriginX, float newOriginY, int markedId, int otherMarkedId) {
    originX = newOriginX;
    originY = newOriginY;
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(originX, originY, 0.0f);
    for (const Button& b : buttons) {
        if (b.texture) {
            glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
            b.texture->bind(GL_TEXTURE0);
        } else {
            glColor4f(0.4f, 0.4f, 0.4f, 0.6f); // a button without its picture
        }
        glBegin(GL_QUADS);
        glTexCoord2f(0.0f, 1.0f);
        glVertex2f(b.x - 0.005f, b.y - 0.005f);
        glTexCoord2f(1.0f, 1.0f);
        glVertex2f(b.x + 0.03f, b.y - 0.005f);
        glTexCoord2f(1.0f, 0.0f);
        glVertex2f(b.x + 0.03f, b.y + 0.06f);
        glTexCoord2f(0.0f, 0.0f);
        glVertex2f(b.x - 0.005f, b.y + 0.06f);
        glEnd();
        if (b.texture)
            b.texture->unbind();
        if (b.id == markedId || b.id == otherMarkedId) {
            // The current choice: a cool frame around the picture.
            glDisable(GL_TEXTURE_2D);
            glColor4f(0.44f, 0.83f, 0.91f, 1.0f);
            glLineWidth(2.0f);
            glBegin(GL_LINE_LOOP);
            glVertex2f(b.x - 0.006f, b.y - 0.006f);
            glVertex2f(b.x + 0.031f, b.y - 0.006f);
            glVertex2f(b.x + 0.031f, b.y + 0.061f);
            glVertex2f(b.x - 0.006f, b.y + 0.061f);
            glEnd();
            glLineWidth(1.0f);
        }
    }
    glDisable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glPopMatrix();
}

int ButtonGroup::hitTest(float mouseX, float mouseY) const {
    const Button* b = buttonAt(mouseX, mouseY);
    return b ? b->id : -1;
}

const ButtonGroup::Button* ButtonGroup::buttonAt(float mouseX, float mouseY) const {
    const float x = mouseX - originX, y = mouseY - originY;
    for (const Button& b : buttons)
        if (b.x <= x && x <= b.x + kHitWidth && b.y <= y && y <= b.y + kHitHeight)
            return &b;
    return nullptr;
}

} // namespace qelFramework
