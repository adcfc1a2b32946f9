#pragma once
// The small field in which a maker types a key's exact time and value: two numbers, one
// of them taking the typing at a time. The editor opens it on a key (or, for the play
// line's time alone, on the play line), feeds it typed characters, and reads the
// numbers back when the maker presses Enter.
#include <string>

namespace qelFramework {

class KeyEntry {
public:
    enum Part : int { Time = 0, Value = 1 };

    // Opens on key `key` with its present time and value; the first character typed
    // into a part replaces its text.
    void open(int key, float time, float value);
    // Opens for the play line's time alone (the value part is not used).
    void openPlayLine(float time);
    bool forPlayLine() const { return playLine; }
    void close() {
        key = -1;
        playLine = false;
    }
    bool isOpen() const { return key >= 0; }
    int keyIndex() const { return key; }

    // Digits, '.', '-', '+', 'e' go into the active part; anything else is ignored.
    void type(char c);
    void erase();       // Backspace: the last character of the active part
    void switchPart();  // Tab
    Part activePart() const { return active; }
    const std::string& text(Part part) const { return texts[part]; }

    // The number a part holds; false when it is not one whole finite number.
    bool number(Part part, float& out) const;

private:
    int key = -1;
    bool playLine = false;
    Part active = Time;
    std::string texts[2];
    bool untouched[2] = {true, true};
};

} // namespace qelFramework
