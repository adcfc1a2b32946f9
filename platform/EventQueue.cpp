#include "platform/EventQueue.h"
#include "platform/ClickCounter.h"
#include "platform/EventTimes.h"
#include "platform/InputScript.h"
#include "platform/Kernel.h"
#include "platform/NativeWindow.h"

#include <algorithm>
#include <array>
#include <deque>

namespace qelFramework::platform {

namespace {

struct State {
    std::deque<InputEvent> posted;
    std::optional<int> quitCode;
    std::array<bool, kKeyCount> keys{};
    RawEventHook rawHook = nullptr;
    ClickCounter clicks{doubleClickMilliseconds(), doubleClickRadius()};
};

State& state() {
    static State s;
    return s;
}

Key keyFromSdl(SDL_Keycode k) {
    if (k >= SDLK_a && k <= SDLK_z)
        return keyOfCharacter(static_cast<char>('a' + (k - SDLK_a)));
    if (k >= SDLK_0 && k <= SDLK_9)
        return keyOfCharacter(static_cast<char>('0' + (k - SDLK_0)));
    if (k >= SDLK_F1 && k <= SDLK_F12)
        return functionKey(1 + static_cast<int>(k - SDLK_F1));
    switch (k) {
    case SDLK_ESCAPE: return Key::Escape;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return Key::Enter;
    case SDLK_SPACE: return Key::Space;
    case SDLK_TAB: return Key::Tab;
    case SDLK_DELETE: return Key::Delete;
    case SDLK_BACKSPACE: return Key::Backspace;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return Key::Shift;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return Key::Control;
    case SDLK_LALT:
    case SDLK_RALT: return Key::Alt;
    case SDLK_PAGEUP: return Key::PageUp;
    case SDLK_PAGEDOWN: return Key::PageDown;
    case SDLK_LEFT: return Key::Left;
    case SDLK_UP: return Key::Up;
    case SDLK_RIGHT: return Key::Right;
    case SDLK_DOWN: return Key::Down;
    default: return Key::None;
    }
}

std::uint8_t heldModifiers() {
    const State& s = state();
    return static_cast<std::uint8_t>((s.keys[static_cast<int>(Key::Shift)] ? ShiftHeld : 0) |
                                     (s.keys[static_cast<int>(Key::Control)] ? ControlHeld : 0) |
                                     (s.keys[static_cast<int>(Key::Alt)] ? AltHeld : 0));
}

// The window an event names, else the newest window (input without a window of its own).
Window* windowOrNewest(Uint32 sdlId) {
    Window* w = windowFromSdlId(sdlId);
    return w ? w : newestWindow();
}

// Turns one window-system event into an InputEvent; false when it gives none.
bool translate(const SDL_Event& e, InputEvent& out) {
    State& s = state();
    switch (e.type) {
    case SDL_TEXTINPUT:
        out.kind = EventKind::Text;
        out.window = windowOrNewest(e.text.windowID);
        for (const char* c = e.text.text; *c; ++c)
            if (*c >= 32 && *c <= 126) // only printable ASCII is typed into the program's fields
                out.text += *c;
        return out.window && !out.text.empty();
    case SDL_QUIT:
        out.kind = EventKind::CloseRequest;
        out.window = newestWindow();
        return out.window != nullptr;
    case SDL_WINDOWEVENT:
        if (e.window.event != SDL_WINDOWEVENT_CLOSE)
            return false;
        out.kind = EventKind::CloseRequest;
        out.window = windowFromSdlId(e.window.windowID);
        return out.window != nullptr;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        out.key = keyFromSdl(e.key.keysym.sym);
        if (out.key == Key::None)
            return false;
        const bool down = e.type == SDL_KEYDOWN;
        s.keys[static_cast<int>(out.key)] = down;
        out.kind = down ? EventKind::KeyDown : EventKind::KeyUp;
        out.window = windowOrNewest(e.key.windowID);
        return out.window != nullptr;
    }
    case SDL_MOUSEMOTION:
        out.kind = EventKind::PointerMove;
        out.window = windowFromSdlId(e.motion.windowID);
        out.x = e.motion.x;
        out.y = e.motion.y;
        return out.window != nullptr;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const bool down = e.type == SDL_MOUSEBUTTONDOWN;
        switch (e.button.button) {
        case SDL_BUTTON_LEFT: out.button = PointerButton::Left; break;
        case SDL_BUTTON_RIGHT: out.button = PointerButton::Right; break;
        case SDL_BUTTON_MIDDLE: out.button = PointerButton::Middle; break;
        default: return false;
        }
        out.kind = down ? EventKind::ButtonDown : EventKind::ButtonUp; // clicks are counted at its moment
        out.window = windowFromSdlId(e.button.windowID);
        out.x = e.button.x;
        out.y = e.button.y;
        return out.window != nullptr;
    }
    default:
        return false;
    }
}

// A press's place in a run of clicks; the second press of a left double click comes as
// an event of its own.
void countClicks(InputEvent& event) {
    if (event.kind != EventKind::ButtonDown)
        return;
    const int n = state().clicks.press(event.button, event.x, event.y, event.moment, queryPerformanceFrequency());
    event.clicks = static_cast<std::uint16_t>(n);
    if (event.button == PointerButton::Left && n % 2 == 0)
        event.kind = EventKind::DoubleClick;
}

} // namespace

bool pollEvent(InputEvent& event) {
    State& s = state();
    if (!s.posted.empty()) {
        event = std::move(s.posted.front());
        s.posted.pop_front();
        return true;
    }
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return false;
    runInputScript();
    watchEventTimes();
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        if (s.rawHook)
            s.rawHook(&e);
        if (noteWindowSystemEvent(e))
            continue;
        InputEvent translated;
        if (translate(e, translated)) {
            translated.modifiers = heldModifiers();
            translated.moment = eventMoment(e);
            countClicks(translated);
            event = std::move(translated);
            return true;
        }
    }
    return false;
}

void postEvent(InputEvent event) {
    event.moment = queryPerformanceCounter();
    state().posted.push_back(std::move(event));
}

void requestQuit(int exitCode) { state().quitCode = exitCode; }

std::optional<int> takeQuitRequest() {
    std::optional<int> code;
    std::swap(code, state().quitCode);
    return code;
}

bool isKeyDown(Key key) {
    const int i = static_cast<int>(key);
    return i > 0 && i < kKeyCount && state().keys[i];
}

void setKeyDown(Key key, bool down) {
    const int i = static_cast<int>(key);
    if (i > 0 && i < kKeyCount)
        state().keys[i] = down;
}

void setRawEventHook(RawEventHook hook) { state().rawHook = hook; }

void resetInput() {
    State& s = state();
    s.posted.clear();
    s.quitCode.reset();
    s.keys.fill(false);
    s.clicks = ClickCounter(doubleClickMilliseconds(), doubleClickRadius());
    clearInputScript();
    resetCursorCount();
    resetEventTimes();
}

void dropPostedEvents(Window* window) {
    auto& p = state().posted;
    p.erase(std::remove_if(p.begin(), p.end(), [window](const InputEvent& e) { return e.window == window; }),
            p.end());
}

} // namespace qelFramework::platform
