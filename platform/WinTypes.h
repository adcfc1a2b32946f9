#pragma once
// The message vocabulary the program speaks: window handles, window procedures,
// message numbers and virtual-key codes, with the values a desktop window system
// of the Windows family uses. The platform layer translates its own events into it.
#include <cstdint>

namespace qelFramework {

struct NativeWindow;
using HWND = NativeWindow*;
using UINT = unsigned int;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

struct MSG {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102; // a typed character: wParam holds its (ASCII) code
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203; // the second press of a double click, in place of its WM_LBUTTONDOWN
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;

constexpr int VK_BACK = 0x08; // Backspace
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12; // Alt
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21; // Page Up
constexpr int VK_NEXT = 0x22;  // Page Down
constexpr int VK_DELETE = 0x2E;
constexpr int VK_F5 = 0x74;
constexpr int VK_F6 = 0x75;
constexpr int VK_F10 = 0x79;
// Letters and digits use their upper-case ASCII codes ('A' = 0x41, '0' = 0x30).

// Notification code of a clicked push button, carried in the high word of WM_COMMAND's wParam.
constexpr int BN_CLICKED = 0;

// Mouse positions travel in lParam as the low (x) and high (y) 16-bit words, client pixels from the top left.
inline LPARAM makeMouseLParam(int x, int y) {
    return static_cast<LPARAM>((static_cast<std::uint32_t>(y & 0xFFFF) << 16) | static_cast<std::uint32_t>(x & 0xFFFF));
}
inline int lowWord(LPARAM l) { return static_cast<int>(static_cast<std::uint32_t>(l) & 0xFFFF); }
inline int highWord(LPARAM l) { return static_cast<int>((static_cast<std::uint32_t>(l) >> 16) & 0xFFFF); }
// Mouse positions as signed words: a drag past the window's left or top edge is negative.
inline int signedLowWord(LPARAM l) { return static_cast<std::int16_t>(static_cast<std::uint32_t>(l) & 0xFFFF); }
inline int signedHighWord(LPARAM l) { return static_cast<std::int16_t>((static_cast<std::uint32_t>(l) >> 16) & 0xFFFF); }

} // namespace qelFramework
