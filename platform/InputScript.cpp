#include "platform/InputScript.h"
#include "platform/NativeWindow.h"
#include "platform/Paths.h"
#include "platform/Utf16.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace qelFramework::platform {

namespace {

struct ScriptStep {
    enum Kind { Wait, Move, Click, RightClick, ButtonDown, ButtonUp, Key, KeyDown, KeyUp, Type } kind = Wait;
    int a = 0, b = 0; // milliseconds, or x and y
    SDL_Keycode key = 0; // the key, or the mouse button for ButtonDown and ButtonUp
    std::string text;    // the characters of a Type step
};

struct ScriptState {
    std::vector<ScriptStep> script;
    size_t scriptPos = 0;
    Uint32 scriptClock = 0; // ticks at which the current step may run
};

ScriptState& state() {
    static ScriptState s;
    return s;
}

SDL_Keycode sdlKeyFromName(const std::string& name) {
    if (name == "Escape") return SDLK_ESCAPE;
    if (name == "Enter") return SDLK_RETURN;
    if (name == "Space") return SDLK_SPACE;
    if (name == "Tab") return SDLK_TAB;
    if (name == "Delete") return SDLK_DELETE;
    if (name == "Shift") return SDLK_LSHIFT;
    if (name == "Control") return SDLK_LCTRL;
    if (name == "Alt") return SDLK_LALT;
    if (name == "PageUp") return SDLK_PAGEUP;
    if (name == "PageDown") return SDLK_PAGEDOWN;
    if (name == "Backspace") return SDLK_BACKSPACE;
    if (name == "Left") return SDLK_LEFT;
    if (name == "Right") return SDLK_RIGHT;
    if (name == "Up") return SDLK_UP;
    if (name == "Down") return SDLK_DOWN;
    if (name.size() >= 2 && name[0] == 'F') {
        int n = std::atoi(name.c_str() + 1);
        if (n >= 1 && n <= 12)
            return SDLK_F1 + (n - 1);
    }
    if (name.size() == 1) {
        char c = name[0];
        if (c >= 'A' && c <= 'Z')
            return SDLK_a + (c - 'A');
        if (c >= 'a' && c <= 'z')
            return SDLK_a + (c - 'a');
        if (c >= '0' && c <= '9')
            return SDLK_0 + (c - '0');
    }
    return 0;
}

void pushMouse(Window* target, Uint32 type, int x, int y, Uint8 button) {
    SDL_Event e{};
    Uint32 id = SDL_GetWindowID(target->sdl);
    if (type == SDL_MOUSEMOTION) {
        e.type = SDL_MOUSEMOTION;
        e.motion.windowID = id;
        e.motion.x = x;
        e.motion.y = y;
    } else {
        e.type = type;
        e.button.windowID = id;
        e.button.button = button;
        e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.button.clicks = 1;
        e.button.x = x;
        e.button.y = y;
    }
    SDL_PushEvent(&e);
}

void pushKey(Window* target, Uint32 type, SDL_Keycode key) {
    SDL_Event e{};
    e.type = type;
    e.key.windowID = SDL_GetWindowID(target->sdl);
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = key;
    e.key.keysym.scancode = SDL_GetScancodeFromKey(key);
    SDL_PushEvent(&e);
}

// Typed characters, in pieces the event can hold.
void pushText(Window* target, const std::string& text) {
    for (std::size_t at = 0; at < text.size(); at += SDL_TEXTINPUTEVENT_TEXT_SIZE - 1) {
        SDL_Event e{};
        e.type = SDL_TEXTINPUT;
        e.text.windowID = SDL_GetWindowID(target->sdl);
        e.text.timestamp = SDL_GetTicks();
        const std::string piece = text.substr(at, SDL_TEXTINPUTEVENT_TEXT_SIZE - 1);
        std::copy(piece.begin(), piece.end(), e.text.text);
        SDL_PushEvent(&e);
    }
}

} // namespace

// Injects the next script step when it is due. Clicks and key presses are split into
// steps of their own (move, down, up) so that a toolkit sees the pointer before the button.
void runInputScript() {
    ScriptState& s = state();
    if (s.scriptPos >= s.script.size())
        return;
    Window* target = newestWindow();
    if (!target)
        return;
    Uint32 now = SDL_GetTicks();
    if (s.scriptClock == 0)
        s.scriptClock = now;
    if (now < s.scriptClock)
        return;
    const ScriptStep& step = s.script[s.scriptPos++];
    const Uint32 gap = 60; // ms between the pieces of one gesture
    switch (step.kind) {
    case ScriptStep::Wait: s.scriptClock = now + static_cast<Uint32>(step.a); return;
    case ScriptStep::Move: pushMouse(target, SDL_MOUSEMOTION, step.a, step.b, 0); break;
    case ScriptStep::Click:
    case ScriptStep::RightClick: {
        // The pointer moves first; press and release follow as steps of their own.
        SDL_Keycode button = step.kind == ScriptStep::Click ? SDL_BUTTON_LEFT : SDL_BUTTON_RIGHT;
        ScriptStep wait{ScriptStep::Wait, static_cast<int>(gap), 0, 0, {}};
        ScriptStep press{ScriptStep::ButtonDown, step.a, step.b, button, {}};
        ScriptStep release{ScriptStep::ButtonUp, step.a, step.b, button, {}};
        pushMouse(target, SDL_MOUSEMOTION, step.a, step.b, 0);
        s.script.insert(s.script.begin() + static_cast<long>(s.scriptPos), {wait, press, wait, release});
        break;
    }
    case ScriptStep::ButtonDown:
    case ScriptStep::ButtonUp:
        pushMouse(target, step.kind == ScriptStep::ButtonDown ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP, step.a, step.b,
                  static_cast<Uint8>(step.key));
        break;
    case ScriptStep::Key: {
        ScriptStep wait{ScriptStep::Wait, static_cast<int>(gap), 0, 0, {}};
        ScriptStep up{ScriptStep::KeyUp, 0, 0, step.key, {}};
        pushKey(target, SDL_KEYDOWN, step.key);
        s.script.insert(s.script.begin() + static_cast<long>(s.scriptPos), {wait, up});
        break;
    }
    case ScriptStep::KeyDown: pushKey(target, SDL_KEYDOWN, step.key); break;
    case ScriptStep::Type: pushText(target, step.text); break;
    case ScriptStep::KeyUp: pushKey(target, SDL_KEYUP, step.key); break;
    }
    s.scriptClock = now + gap;
}

bool loadInputScript(const std::string& path, std::string& error) {
    // A script is a few hundred short lines; anything far larger is not one.
    constexpr std::size_t kMaxScriptBytes = 16u << 20;
    std::vector<unsigned char> bytes;
    std::string why;
    if (!readWholeFile(path, bytes, kMaxScriptBytes, why)) {
        error = "cannot read input script " + path + ": " + why;
        return false;
    }
    const std::string text(bytes.begin(), bytes.end());
    std::vector<ScriptStep> steps;
    int number = 0;
    bool ok = true;
    for (std::size_t start = utf8MarkLength(text); ok && start < text.size(); ++number) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::istringstream in(text.substr(start, end - start));
        start = end + 1;
        std::string verb;
        if (!(in >> verb) || verb[0] == '#')
            continue;
        ScriptStep step;
        std::string name;
        if (verb == "wait") {
            step.kind = ScriptStep::Wait;
            ok = static_cast<bool>(in >> step.a) && step.a >= 0;
        } else if (verb == "move" || verb == "click" || verb == "rclick") {
            step.kind = verb == "move" ? ScriptStep::Move : verb == "click" ? ScriptStep::Click : ScriptStep::RightClick;
            ok = static_cast<bool>(in >> step.a >> step.b);
        } else if (verb == "key" || verb == "keydown" || verb == "keyup") {
            step.kind = verb == "key" ? ScriptStep::Key : verb == "keydown" ? ScriptStep::KeyDown : ScriptStep::KeyUp;
            ok = static_cast<bool>(in >> name) && (step.key = sdlKeyFromName(name)) != 0;
        } else if (verb == "type") {
            step.kind = ScriptStep::Type;
            in >> std::ws;
            std::getline(in, step.text);
            if (!step.text.empty() && step.text.back() == '\r')
                step.text.pop_back();
            ok = !step.text.empty();
        } else {
            ok = false;
        }
        if (ok)
            steps.push_back(step);
        else
            error = path + ":" + std::to_string(number + 1) +
                    ": expected wait MS, move X Y, click X Y, rclick X Y, key NAME or type TEXT";
    }
    if (!ok)
        return false;
    ScriptState& s = state();
    s.script = std::move(steps);
    s.scriptPos = 0;
    s.scriptClock = 0;
    return true;
}

void clearInputScript() {
    ScriptState& s = state();
    s.script.clear();
    s.scriptPos = 0;
    s.scriptClock = 0;
}

} // namespace qelFramework::platform
