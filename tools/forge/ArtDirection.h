#pragma once
// The production's look in one place (content/ART.md explains it): a night palette with
// warm ember light and cool sky light, DejaVu type, and fixed line weights. Every
// picture the forge makes takes its colours, fonts and strokes from here.
#include "Canvas.h"

namespace qelFramework::forge::art {

// Palette.
inline const Color kInk = Color::hex(0x05060D);       // deepest night, rims and shadows
inline const Color kNight = Color::hex(0x0B1026);     // night sky, upper
inline const Color kDusk = Color::hex(0x1C2452);      // night sky at the horizon
inline const Color kEmber = Color::hex(0xFFB04A);     // warm light: windows, sparks, glows
inline const Color kFlare = Color::hex(0xFF5C7A);     // firework rose, the accent colour
inline const Color kSky = Color::hex(0x6FD3E8);       // cool light: sky, feathers' sheen
inline const Color kPaper = Color::hex(0xF4EFE4);     // type and highlights (warm white)

// Type: DejaVu, lower-case titles, from a fonts/ folder beside the program or else the
// system's DejaVu folder.
inline const char* const kTitleFont = "DejaVuSans-ExtraLight.ttf"; // titles, wide tracking
inline const char* const kLogoFont = "DejaVuSans-Bold.ttf";        // the group's mark
inline const char* const kTextFont = "DejaVuSans.ttf";             // small captions, cards
inline const char* const kSerifFont = "DejaVuSerif-Italic.ttf";    // greetings' signatures

// Line weights at 720 lines of picture height (scale with the picture).
constexpr float kHairline = 1.5f;
constexpr float kStroke = 3.f;
constexpr float kBold = 6.f;

// Title tracking: extra spacing between letters, as a fraction of the type size.
constexpr float kTitleTracking = 0.2f;

} // namespace qelFramework::forge::art
