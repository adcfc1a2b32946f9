#pragma once
// What the editor tells the maker, one notice at a time, each also written to the trace.
// A notice that answers an action (a refused value, an undo) stays until the next action,
// a key or a click, so that it cannot be missed; others (a save, a reload) go after a
// few seconds. A refusal stands beside what was refused (the field, the key, the
// pointer); the others at the top right.
#include "platform/InputEvent.h"

#include <cstdint>
#include <string>

namespace qelFramework {

class Notices {
public:
    // How long a notice that does not wait for an action stays on screen.
    static constexpr double kSeconds = 6.0;

    // A notice at the top right for kSeconds, written to the trace under source (INFO, or
    // WARNING for a warning); with source null it is not written (the caller has).
    void show(const std::string& text, bool warning, const char* source);
    // A notice at the top right that stays until the next action (undo, redo).
    void answer(const std::string& text, bool warning, const char* source);
    // A refusal (a WARNING in the trace) beside x, y in window fractions, until the next
    // action; the same refusal while it shows is not written again.
    void refuse(const std::string& text, const char* source, float x, float y);
    // A key or a click: notices that waited for it go.
    void nextAction();
    // Calls nextAction for an event that is an action: a key pressed (not Shift, Control
    // or Alt alone) or a mouse button pressed.
    void seeInput(const InputEvent& event);

    // The last notice given, shown or gone; empty when none.
    const std::string& text() const { return message; }
    bool warning() const { return isWarning; }
    // Whether it is on screen at the performance-counter reading now.
    bool showing(std::int64_t now) const;
    // Whether it stands beside a place, and where (window fractions).
    bool anchored() const { return isAnchored; }
    float anchorX() const { return x; }
    float anchorY() const { return y; }

private:
    void give(const std::string& text, bool warning, const char* source, bool waits);

    std::string message;
    bool isWarning = false;
    bool waitsForAction = false;
    bool gone = true;
    bool isAnchored = false;
    float x = 0.0f, y = 0.0f;
    std::int64_t until = 0; // performance-counter reading at which a timed notice goes
};

} // namespace qelFramework
