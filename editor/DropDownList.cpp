#include "editor/DropDownList.h"

#include "gl/GLHeaders.h"
#include "editor/EditorFont.h"

#include <algorithm>
#include <cctype>

namespace qelFramework {

void DropDownList::addItem(const std::string& text, int id) {
    items.push_back(Item{text, id});
    refilter();
}

void DropDownList::clearItems() {
    items.clear();
    shown.clear();
    hoverId = -1;
}

void DropDownList::setFilter(const std::string& letters) {
    filterText = letters;
    refilter();
    hoverId = -1;
}

void DropDownList::refilter() {
    const auto lower = [](std::string text) {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return text;
    };
    const std::string wanted = lower(filterText);
    shown.clear();
    for (std::size_t k = 0; k < items.size(); ++k) {
        if (wanted.empty() || (items[k].id != kSeparator && lower(items[k].text).find(wanted) != std::string::npos))
            shown.push_back(k);
    }
}

std::vector<DropDownList::Item> DropDownList::shownItems() const {
    std::vector<Item> result;
    for (std::size_t k : shown)
        result.push_back(items[k]);
    return result;
}

float DropDownList::bottom() const {
    return y - 0.01f - (open ? static_cast<float>(shown.size()) : 0.0f) / 50.0f;
}

bool DropDownList::covers(float mouseX, float mouseY) const {
    return x - 0.005f <= mouseX && mouseX <= x + width && bottom() <= mouseY && mouseY <= y + 0.025f;
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
    const float lowest = bottom();

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0.0f, 0.0f, 0.0f, 0.65f);
    glBegin(GL_QUADS);
    glVertex2f(x - 0.005f, lowest);
    glVertex2f(x + width, lowest);
    glVertex2f(x + width, y + 0.025f);
    glVertex2f(x - 0.005f, y + 0.025f);
    glEnd();
    glColor4f(0.8f, 0.8f, 0.8f, 0.65f);
    glLineWidth(1.0f);
    glBegin(GL_LINE_LOOP);
    glVertex2f(x - 0.005f, lowest);
    glVertex2f(x + width, lowest);
    glVertex2f(x + width, y + 0.025f);
    glVertex2f(x - 0.005f, y + 0.025f);
    glEnd();
    if (filterText.empty())
        printText(font, x, y, 1.0f, 1.0f, 1.0f, 1.0f, "%s", title.c_str());
    else
        printText(font, x, y, 1.0f, 1.0f, 1.0f, 1.0f, "%s [%s]", title.c_str(), filterText.c_str());
    if (!open)
        return;

    for (size_t row = 0; row < shown.size(); ++row) {
        const int id = items[shown[row]].id;
        if (id != kSeparator && id == selectedId)
            drawRowHighlight(static_cast<int>(row), 1.0f, 0.1f, 0.1f, 0.4f, 0.05f);
        if (id != kSeparator && id == hoverId)
            drawRowHighlight(static_cast<int>(row), 0.5f, 0.5f, 0.5f, 0.6f, 0.05f);
        if (id != kSeparator && id == secondHighlightId)
            drawRowHighlight(static_cast<int>(row), 0.5f, 0.5f, 0.1f, 0.6f, 0.05f);
    }
    for (size_t row = 0; row < shown.size(); ++row)
        printText(font, x + 0.01f, y - static_cast<float>(row + 1) / 50.0f, 1.0f, 1.0f, 1.0f, 1.0f, "%s",
                  items[shown[row]].text.c_str());
}

int DropDownList::hitTest(float mouseX, float mouseY) const {
    if (!open || mouseX < x)
        return -1;
    for (size_t row = 0; row < shown.size(); ++row) {
        const Item& item = items[shown[row]];
        if (item.id == kSeparator)
            continue;
        const float k = static_cast<float>(row);
        if (y - (k + 1.0f) / 50.0f - 0.005f < mouseY && mouseY <= y - k / 50.0f + 0.005f)
            return item.id;
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
    if (!(inColumn && mouseY - y > -0.005f - static_cast<float>(shown.size()) / 50.0f))
        open = false;
}

} // namespace qelFramework
