#pragma once
// A drop-down panel along the top edge of the editor: a title row that opens the panel
// when the mouse comes over it, and rows of items (one every 1/50 of the window height)
// that it stays open for while the mouse is over them.
#include <string>
#include <vector>

namespace qelFramework {

class EditorFont;

class DropDownList {
public:
    static constexpr float kRowHeight = 1.0f / 50.0f;
    static constexpr int kSeparator = -1; // id of a separator row, never hit

    struct Item {
        std::string text;
        int id = kSeparator;
    };

    explicit DropDownList(std::string title = std::string()) : title(std::move(title)) {}

    void addItem(const std::string& text, int id);
    // Removes every item and forgets the hover.
    void clearItems();
    // Shows only the items whose text holds these letters, in any case (separators go
    // while a filter is set); empty: every item. The title shows the filter.
    void setFilter(const std::string& letters);
    const std::string& filter() const { return filterText; }

    // Sets the title position and width (window fractions) and draws the panel; when
    // open, its items and the row highlights: selectedId (not -1) in red, the hovered
    // row in grey, the second highlight in olive.
    void draw(const EditorFont* font, float x, float y, float width, int selectedId);
    void place(float newX, float newY, float newWidth) {
        x = newX;
        y = newY;
        width = newWidth;
    }

    // -1 while closed; else the id of the first row from the top that holds the point,
    // separators skipped.
    int hitTest(float mouseX, float mouseY) const;
    // Opens over the title row; while open, follows the mouse with the hover and closes
    // once the mouse leaves the panel's column or goes below its last row.
    void trackMouse(float mouseX, float mouseY);
    // True when the point lies on the panel as drawn: its title box, and while open its
    // rows. A click there belongs to the panel alone.
    bool covers(float mouseX, float mouseY) const;

    const std::string& titleText() const { return title; }
    const std::vector<Item>& allItems() const { return items; }
    // The items shown, top to bottom (all of them without a filter).
    std::vector<Item> shownItems() const;
    float left() const { return x; }
    float top() const { return y; }
    float panelWidth() const { return width; }

    bool open = false;
    int hoverId = -1;
    int secondHighlightId = -1;

private:
    void drawRowHighlight(int row, float r, float g, float b, float alphaLeft, float alphaRight) const;
    void refilter();
    float bottom() const;

    std::string title;
    std::vector<Item> items;
    std::string filterText;
    std::vector<std::size_t> shown; // indices of the items shown
    float x = 0.0f, y = 0.0f, width = 0.0f;
};

} // namespace qelFramework
