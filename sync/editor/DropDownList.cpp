#include "sync/editor/DropDownList.h"

#include "gl/GLHeaders.h"
#include "sync/editor/EditorFont.h"

namespace qelFramework {

void DropDownList::clearItems() {
    items.clear();
    hoverId = -1;
}

void DropDownList::drawRowHighlight(int row, float r, float g, float b, float alphaLeft, float alphaRight) const {
    // From 0.005 below the row's text line to 0.005 below the line above it.
    const float upper = y - static_cast<float>(row) * kRowHeight - 0.005f;
    const float lower = y - static_cast<float>(row + 1) * kRowHeight - 0.005f;
    glBegin(GL_QUADS);
    glColor4f(r, g, b, alphaLeft);
    glVertex2f(x - 0.005f, lower);
    glColor4f(r, g, b, alphaRight);
    glVertex2f(x + width - 0.001f, lower);
    glVertex2f(x + width - 0.001f, upper);
    glColor4f(r, g, b, alphaLeft);
    glVertex2f(x - 0.005f, upper);
    glEnd();
}

void DropDownList::draw(const EditorFont* font, float newX, float newY, float newWidth, int selectedId) {
    place(newX, newY, newWidth);
    const float n = open ? static_cast<float>(items.size()) : 0.0f;
    const float bottom = y - 0.01f - n / 50.0f;

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0.0f, 0.0f, 0.0f, 0.65f);
    glBegin(GL_QUADS);
    glVertex2f(x - 0.005f, bottom);
    glVertex2f(x + width, bottom);
    glVertex2f(x + width, y + 0.025f);
    glVertex2f(x - 0.005f, y + 0.025f);
    glEnd();
    glColor4f(0.8f, 0.8f, 0.8f, 0.65f);
    glLineWidth(1.0f);
    glBegin(GL_LINE_LOOP);
    glVertex2f(x - 0.005f, bottom);
    glVertex2f(x + width, bottom);
    glVertex2f(x + width, y + 0.025f);
    glVertex2f(x - 0.005f, y + 0.025f);
    glEnd();
    printText(font, x, y, 1.0f, 1.0f, 1.0f, 1.0f, "%s", title.c_str());
    if (!open)
        return;

    for (size_t k = 0; k < items.size(); ++k) {
        const int id = items[k].id;
        const int row = static_cast<int>(k);
        if (id != kSeparator && id == selectedId)
            drawRowHighlight(row, 1.0f, 0.1f, 0.1f, 0.4f, 0.05f);
        if (id != kSeparator && id == hoverId)
            drawRowHighlight(row, 0.5f, 0.5f, 0.5f, 0.6f, 0.05f);
        if (id != kSeparator && id == secondHighlightId)
            drawRowHighlight(row, 0.5f, 0.5f, 0.1f, 0.6f, 0.05f);
    }
    for (size_t k = 0; k < items.size(); ++k)
        printText(font, x + 0.01f, y - static_cast<float>(k + 1) / 50.0f, 1.0f, 1.0f, 1.0f, 1.0f, "%s",
                  items[k].text.c_str());
}

int DropDownList::hitTest(float mouseX, float mouseY) const {
    if (!open || mouseX < x)
        return -1;
    for (size_t k = 0; k < items.size(); ++k) {
        if (items[k].id == kSeparator)
            continue;
        const float kf = static_cast<float>(k);
        if (y - (kf + 1.0f) / 50.0f - 0.005f < mouseY && mouseY <= y - kf / 50.0f + 0.005f)
            return items[k].id;
    }
    return -1;
}

void DropDownList::trackMouse(float mouseX, float mouseY) {
    const bool inColumn = x <= mouseX && mouseX <= x + width;
    if (!open) {
        const float dy = mouseY - y;
        if (inColumn && -0.01f <= dy && dy <= 0.025f)
            open = true;
        return;
    }
    hoverId = hitTest(mouseX, mouseY);
    if (!(inColumn && mouseY - y > -0.005f - static_cast<float>(items.size()) / 50.0f))
        open = false;
}

} // namespace qelFramework
