#include "platform/Messages.h"
#include "platform/Kernel.h"
#include "platform/NativeWindow.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
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

// A posted message with the moment it was posted.
struct Posted {
    MSG message;
    std::int64_t counter = 0;
};

struct State {
    std::deque<Posted> posted;
    std::int64_t messageCounter = 0; // when the message taken last happened
    bool quitPosted = false;
    bool keys[256] = {};
    int cursorCounter = 0;
    RawEventHook rawHook = nullptr;
    std::vector<HWND> windows; // creation order
    std::vector<ScriptStep> script;
    size_t scriptPos = 0;
    Uint32 scriptClock = 0; // ticks at which the current step may run
};

State& state() {
    static State s;
    return s;
}

int virtualKeyFromSdl(SDL_Keycode k) {
    if (k >= SDLK_a && k <= SDLK_z)
        return 'A' + (k - SDLK_a);
    if (k >= SDLK_0 && k <= SDLK_9)
        return '0' + (k - SDLK_0);
    if (k >= SDLK_F1 && k <= SDLK_F12)
        return 0x70 + (k - SDLK_F1);
    switch (k) {
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_TAB: return VK_TAB;
    case SDLK_DELETE: return VK_DELETE;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT: return VK_MENU;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_LEFT: return 0x25;
    case SDLK_UP: return 0x26;
    case SDLK_RIGHT: return 0x27;
    case SDLK_DOWN: return 0x28;
    default: return 0;
    }
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

HWND scriptTarget() {
    State& s = state();
    return s.windows.empty() ? nullptr : s.windows.back();
}

void pushMouse(HWND target, Uint32 type, int x, int y, Uint8 button) {
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

void pushKey(HWND target, Uint32 type, SDL_Keycode key) {
    SDL_Event e{};
    e.type = type;
    e.key.windowID = SDL_GetWindowID(target->sdl);
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = key;
    e.key.keysym.scancode = SDL_GetScancodeFromKey(key);
    SDL_PushEvent(&e);
}

// Typed characters, in pieces the event can hold.
void pushText(HWND target, const std::string& text) {
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

// Injects the next script step when it is due. Clicks and key presses are split into
// steps of their own (move, down, up) so that a toolkit sees the pointer before the button.
void runScript() {
    State& s = state();
    if (s.scriptPos >= s.script.size())
        return;
    HWND target = scriptTarget();
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

// The performance-counter reading at an event's timestamp (milliseconds of SDL's clock).
std::int64_t counterAt(Uint32 ticks) {
    const Uint32 age = SDL_GetTicks() - ticks; // unsigned: a wrap of the tick count still gives the age
    return queryPerformanceCounter() - static_cast<std::int64_t>(age) * queryPerformanceFrequency() / 1000;
}

// Turns one window-system event into a window message; false when it has none. Typed
// text gives one WM_CHAR a printable character: the first is returned, the rest posted.
bool translateEvent(const SDL_Event& e, MSG& out) {
    State& s = state();
    switch (e.type) {
    case SDL_TEXTINPUT: {
        HWND target = windowFromSdlId(e.text.windowID);
        if (!target && !s.windows.empty())
            target = s.windows.back();
        bool first = true;
        for (const char* c = e.text.text; *c && target; ++c) {
            if (*c < 32 || *c > 126)
                continue; // only printable ASCII is typed into the program's fields
            const MSG typed{target, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(*c)), 0};
            if (first)
                out = typed;
            else
                s.posted.push_back(Posted{typed, counterAt(e.text.timestamp)});
            first = false;
        }
        return !first;
    }
    case SDL_QUIT:
        out.hwnd = s.windows.empty() ? nullptr : s.windows.back();
        out.message = WM_CLOSE;
        return out.hwnd != nullptr;
    case SDL_WINDOWEVENT:
        if (e.window.event != SDL_WINDOWEVENT_CLOSE)
            return false;
        out.hwnd = windowFromSdlId(e.window.windowID);
        out.message = WM_CLOSE;
        return out.hwnd != nullptr;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        int vk = virtualKeyFromSdl(e.key.keysym.sym);
        if (vk == 0)
            return false;
        bool down = e.type == SDL_KEYDOWN;
        s.keys[vk] = down;
        out.hwnd = windowFromSdlId(e.key.windowID);
        if (!out.hwnd && !s.windows.empty())
            out.hwnd = s.windows.back();
        out.message = down ? WM_KEYDOWN : WM_KEYUP;
        out.wParam = static_cast<WPARAM>(vk);
        return out.hwnd != nullptr;
    }
    case SDL_MOUSEMOTION:
        out.hwnd = windowFromSdlId(e.motion.windowID);
        out.message = WM_MOUSEMOVE;
        out.lParam = makeMouseLParam(e.motion.x, e.motion.y);
        return out.hwnd != nullptr;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        bool down = e.type == SDL_MOUSEBUTTONDOWN;
        out.hwnd = windowFromSdlId(e.button.windowID);
        switch (e.button.button) {
        case SDL_BUTTON_LEFT:
            // The second press of a double click comes as its own message.
            out.message = !down ? WM_LBUTTONUP : e.button.clicks % 2 == 0 ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN;
            break;
        case SDL_BUTTON_RIGHT: out.message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
        case SDL_BUTTON_MIDDLE: out.message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
        default: return false;
        }
        out.lParam = makeMouseLParam(e.button.x, e.button.y);
        return out.hwnd != nullptr;
    }
    default:
        return false;
    }
}

} // namespace

void postQuitMessage(int) { state().quitPosted = true; }

bool postMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    state().posted.push_back(Posted{MSG{window, message, wParam, lParam}, queryPerformanceCounter()});
    return true;
}

LRESULT sendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC proc = window ? window->procedure : nullptr;
    return proc ? proc(window, message, wParam, lParam) : 0;
}

bool peekMessage(MSG& message) {
    State& s = state();
    message = MSG{};
    if (!s.posted.empty()) {
        message = s.posted.front().message;
        s.messageCounter = s.posted.front().counter;
        s.posted.pop_front();
        return true;
    }
    if (SDL_WasInit(SDL_INIT_VIDEO)) {
        runScript();
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
            if (s.rawHook)
                s.rawHook(&e);
            MSG translated;
            if (translateEvent(e, translated)) {
                message = translated;
                s.messageCounter = counterAt(e.common.timestamp);
                return true;
            }
        }
    }
    if (s.quitPosted) {
        s.quitPosted = false;
        message.message = WM_QUIT;
        s.messageCounter = queryPerformanceCounter();
        return true;
    }
    return false;
}

void translateMessage(const MSG&) {}

LRESULT dispatchMessage(const MSG& message) {
    return sendMessage(message.hwnd, message.message, message.wParam, message.lParam);
}

LRESULT defWindowProc(HWND window, UINT message, WPARAM, LPARAM) {
    if (message == WM_CLOSE && window)
        SDL_HideWindow(window->sdl);
    return 0;
}

short getAsyncKeyState(int virtualKey) {
    if (virtualKey < 0 || virtualKey > 255)
        return 0;
    return state().keys[virtualKey] ? static_cast<short>(0x8000) : 0;
}

std::int64_t getMessageCounter() { return state().messageCounter; }

void setMessageCounter(std::int64_t counter) { state().messageCounter = counter; }

void setKeyState(int virtualKey, bool down) {
    if (virtualKey >= 0 && virtualKey <= 255)
        state().keys[virtualKey] = down;
}

int showCursor(bool show) {
    State& s = state();
    s.cursorCounter += show ? 1 : -1;
    if (SDL_WasInit(SDL_INIT_VIDEO))
        SDL_ShowCursor(s.cursorCounter >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return s.cursorCounter;
}

bool setCursorPos(int x, int y) {
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return false;
    SDL_WarpMouseGlobal(x, y);
    return true;
}

void setRawEventHook(RawEventHook hook) { state().rawHook = hook; }

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
    for (std::size_t start = 0; ok && start < text.size(); ++number) {
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
    State& s = state();
    s.script = std::move(steps);
    s.scriptPos = 0;
    s.scriptClock = 0;
    return true;
}

void resetMessageState() {
    State& s = state();
    s.posted.clear();
    s.messageCounter = 0;
    s.quitPosted = false;
    std::fill(std::begin(s.keys), std::end(s.keys), false);
    s.cursorCounter = 0;
    s.script.clear();
    s.scriptPos = 0;
    s.scriptClock = 0;
}

void noteWindowCreated(HWND window) { state().windows.push_back(window); }

void noteWindowDestroyed(HWND window) {
    auto& w = state().windows;
    w.erase(std::remove(w.begin(), w.end(), window), w.end());
    auto& p = state().posted;
    p.erase(std::remove_if(p.begin(), p.end(), [window](const Posted& m) { return m.message.hwnd == window; }),
            p.end());
}

} // namespace qelFramework::platform
