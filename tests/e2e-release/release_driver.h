// What the release checks need beyond the common driver: long texts put
// straight into a control or onto the clipboard, and whether the program
// still runs and answers.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "driver.h"

// `head`, then `fill` repeated, then `tail`: exactly `n` characters.
std::string framed(const std::string& head, const std::string& fill, const std::string& tail,
                   size_t n);

// Sets a Windows-1250 text as the window's text, waiting up to `ms` for
// the window to take it. The long waits here do not give up on a window
// that is busy for more than 5 s (SMTO_ABORTIFHUNG would).
bool setText(HWND wnd, const std::string& cp1250, DWORD ms);
// The window's text length in characters; SIZE_MAX when it does not answer.
size_t textLength(HWND wnd, DWORD ms = kChangeMs);
// Lets the window draw what it has been given, waiting up to `ms`: an edit
// control lays out its text when it paints.
bool finishDrawing(HWND wnd, DWORD ms);
// Puts the text on the clipboard as CF_TEXT (the bytes as they are) or as
// CF_UNICODETEXT (converted from Windows-1250).
bool putOnClipboard(const std::string& cp1250, UINT format);

// The process still runs and its window answers WM_NULL within `ms`.
bool alive(const Program& p);
bool responds(HWND wnd, DWORD ms = kChangeMs);
