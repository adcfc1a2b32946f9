#pragma once
// The thread's message queue: posted messages, the quit message, window-system input
// translated into window messages, the key state and the cursor.
#include "platform/WinTypes.h"

#include <cstdint>
#include <string>

namespace qelFramework::platform {

void postQuitMessage(int exitCode);
bool postMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT sendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Takes the next message for any window of this thread; false when none is waiting.
// Posted messages come first, then window-system input, then the quit message.
bool peekMessage(MSG& message);
void translateMessage(const MSG& message);
LRESULT dispatchMessage(const MSG& message);
// Default handling: WM_CLOSE hides the window (its owner destroys it later).
LRESULT defWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// 0x8000 while the key is down, else 0.
short getAsyncKeyState(int virtualKey);

// The performance-counter reading at which the message peekMessage took last happened:
// the moment of the key press or click itself, however long it waited in the queue.
std::int64_t getMessageCounter();
// Sets it as if a message of that moment had been taken (synthetic input).
void setMessageCounter(std::int64_t counter);

// Cursor display counter: shown while it is 0 or more. Returns the new counter.
int showCursor(bool show);
bool setCursorPos(int x, int y);

// Observer of every window-system event before translation (the launcher's UI feeds its
// toolkit from it). The argument is the platform's own event record.
using RawEventHook = void (*)(const void* event);
void setRawEventHook(RawEventHook hook);

// Loads an input script: timed synthetic input for automated runs. One command a line:
//   wait MS | move X Y | click X Y | rclick X Y | key NAME | keydown NAME | keyup NAME |
//   type TEXT (typed characters, the rest of the line)
// Blank lines and lines starting with # are skipped. Returns false with a message in
// error when the script cannot be read or a line is malformed.
bool loadInputScript(const std::string& path, std::string& error);

// Sets a key's state as if the key had been pressed or released, without a message
// (synthetic input for polled keys).
void setKeyState(int virtualKey, bool down);

// Clears every queue, key state and script (tests).
void resetMessageState();

// Used by Window.cpp: the window created most recently receives scripted input.
void noteWindowCreated(HWND window);
void noteWindowDestroyed(HWND window);

} // namespace qelFramework::platform
