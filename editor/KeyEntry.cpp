#include "editor/KeyEntry.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace qelFramework {

namespace {
// Long enough for any float written out; more is no number a maker means.
constexpr std::size_t kLongestText = 24;

std::string threeDecimals(float v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", static_cast<double>(v));
    return text;
}
} // namespace

void KeyEntry::open(int index, float time, float value) {
    key = index;
    playLine = false;
    active = Time;
    texts[Time] = threeDecimals(time);
    texts[Value] = threeDecimals(value);
    untouched[Time] = untouched[Value] = true;
}

void KeyEntry::openPlayLine(float time) {
    open(0, time, 0.0f);
    playLine = true;
}

void KeyEntry::type(char c) {
    const bool numeric = (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E';
    if (!isOpen() || !numeric)
        return;
    std::string& text = texts[active];
    if (untouched[active])
        text.clear();
    untouched[active] = false;
    if (text.size() < kLongestText)
        text += c;
}

void KeyEntry::erase() {
    if (!isOpen())
        return;
    untouched[active] = false;
    if (!texts[active].empty())
        texts[active].pop_back();
}

void KeyEntry::switchPart() {
    if (!playLine)
        active = active == Time ? Value : Time;
}

bool KeyEntry::number(Part part, float& out) const {
    const std::string& text = texts[part];
    if (text.empty())
        return false;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(v) || std::fabs(v) > 1.0e30)
        return false;
    out = static_cast<float>(v);
    return true;
}

} // namespace qelFramework
