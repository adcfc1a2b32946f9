#pragma once
// Input as the program receives it: one event type for keys, typed text, the pointer
// and its buttons, and a window's close request, each with the moment it happened.
#include <cstdint>
#include <string>
#include <utility>

namespace qelFramework {

namespace platform {
struct Window;
} // namespace platform

// The keys the program reacts to; the platform drops every other key.
enum class Key : std::uint8_t {
    None,
    Escape, Enter, Space, Tab, Delete, Backspace, Shift, Control, Alt, PageUp, PageDown,
    Left, Up, Right, Down,
    F1, F2, F3, F4, F5, F6, F7, F8, F9, F10, F11, F12,
    A, B, C, D, E, F, G, H, I, J, K, L, M, N, O, P, Q, R, S, T, U, V, W, X, Y, Z,
    Digit0, Digit1, Digit2, Digit3, Digit4, Digit5, Digit6, Digit7, Digit8, Digit9,
    Count
};
constexpr int kKeyCount = static_cast<int>(Key::Count);

// The key of a letter (either case) or a digit; Key::None for any other character.
constexpr Key keyOfCharacter(char c) {
    if (c >= 'a' && c <= 'z')
        c = static_cast<char>(c - 'a' + 'A');
    if (c >= 'A' && c <= 'Z')
        return static_cast<Key>(static_cast<int>(Key::A) + (c - 'A'));
    if (c >= '0' && c <= '9')
        return static_cast<Key>(static_cast<int>(Key::Digit0) + (c - '0'));
    return Key::None;
}
// F1 to F12 by number; Key::None outside.
constexpr Key functionKey(int n) {
    return n >= 1 && n <= 12 ? static_cast<Key>(static_cast<int>(Key::F1) + n - 1) : Key::None;
}

enum class EventKind : std::uint8_t {
    None,
    KeyDown,
    KeyUp,
    Text, // typed characters, printable ASCII
    PointerMove,
    ButtonDown,
    ButtonUp,
    DoubleClick,  // the second press of a left double click, in place of its ButtonDown
    CloseRequest, // the window's close box or the window system's quit
};

enum class PointerButton : std::uint8_t { None, Left, Right, Middle };

// Bits of InputEvent::modifiers: the modifier keys held when the event was taken.
enum Modifier : std::uint8_t { ShiftHeld = 1, ControlHeld = 2, AltHeld = 4 };

struct InputEvent {
    EventKind kind = EventKind::None;
    platform::Window* window = nullptr; // where it happened
    Key key = Key::None;                // KeyDown, KeyUp
    std::uint8_t modifiers = 0;         // Modifier bits
    PointerButton button = PointerButton::None;
    // The pointer in client pixels from the top left; negative past the left or top edge.
    int x = 0, y = 0;
    std::string text; // Text
    // ButtonDown, DoubleClick: the press's place in a run of clicks (1, 2 for the second
    // of a double click...), counted with the window system's double-click time.
    std::uint16_t clicks = 0;
    // The performance-counter reading at which it happened, however long it waited.
    std::int64_t moment = 0;

    static InputEvent keyDown(Key k) { return keyEvent(EventKind::KeyDown, k); }
    static InputEvent keyUp(Key k) { return keyEvent(EventKind::KeyUp, k); }
    static InputEvent keyEvent(EventKind kind, Key k) {
        InputEvent e;
        e.kind = kind;
        e.key = k;
        return e;
    }
    static InputEvent pointer(EventKind kind, PointerButton button, int x, int y) {
        InputEvent e;
        e.kind = kind;
        e.button = button;
        e.x = x;
        e.y = y;
        return e;
    }
    static InputEvent typed(std::string characters) {
        InputEvent e;
        e.kind = EventKind::Text;
        e.text = std::move(characters);
        return e;
    }
    static InputEvent closeRequest(platform::Window* w) {
        InputEvent e;
        e.kind = EventKind::CloseRequest;
        e.window = w;
        return e;
    }
};

} // namespace qelFramework
