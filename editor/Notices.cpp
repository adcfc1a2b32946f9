#include "editor/Notices.h"

#include "base/Trace.h"
#include "platform/Kernel.h"

namespace qelFramework {

void Notices::give(const std::string& text, bool warning, const char* source, bool waits) {
    message = text;
    isWarning = warning;
    waitsForAction = waits;
    gone = false;
    isAnchored = false;
    const std::int64_t frequency = platform::queryPerformanceFrequency();
    until = platform::queryPerformanceCounter() + static_cast<std::int64_t>(kSeconds * static_cast<double>(frequency));
    if (source)
        Trace::write(warning ? Trace::Warning : Trace::Info, source, "%s", text.c_str());
}

void Notices::show(const std::string& text, bool warning, const char* source) { give(text, warning, source, false); }

void Notices::answer(const std::string& text, bool warning, const char* source) { give(text, warning, source, true); }

void Notices::refuse(const std::string& text, const char* source, float atX, float atY) {
    // The same refusal again while it shows (a drag held against a neighbour) only moves.
    if (gone || !waitsForAction || !isAnchored || message != text)
        give(text, true, source, true);
    isAnchored = true;
    x = atX;
    y = atY;
}

void Notices::nextAction() {
    if (waitsForAction)
        gone = true;
}

void Notices::seeInput(const InputEvent& event) {
    const bool modifier = event.key == Key::Shift || event.key == Key::Control || event.key == Key::Alt;
    if ((event.kind == EventKind::KeyDown && !modifier) || event.kind == EventKind::ButtonDown ||
        event.kind == EventKind::DoubleClick)
        nextAction();
}

bool Notices::showing(std::int64_t now) const {
    if (gone || message.empty())
        return false;
    return waitsForAction || now < until;
}

} // namespace qelFramework
