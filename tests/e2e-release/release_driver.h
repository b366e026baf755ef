// What the release checks need beyond the common driver: long texts put
// straight into a control or onto the clipboard, and the resource figures
// of a running program.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "driver.h"

// `unit` repeated and cut to exactly `n` characters (bytes of Windows-1250).
std::string cycle(const std::string& unit, size_t n);
// `n` bytes running through 0x80 to 0xFF again and again.
std::string highBytes(size_t n);
// `head`, then `fill` repeated, then `tail`: exactly `n` characters.
std::string framed(const std::string& head, const std::string& fill, const std::string& tail,
                   size_t n);

// Sets a Windows-1250 text as the window's text, waiting up to `ms` for
// the window to take it. The long waits here do not give up on a window
// that is busy for more than 5 s (SMTO_ABORTIFHUNG would).
bool setText(HWND wnd, const std::string& cp1250, DWORD ms);
// The window's text as Windows-1250, "<no answer>" after `ms`.
std::string longText(HWND wnd, DWORD ms);
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

// Resource use of a running program. The GetGuiResources counts read 0
// where the system does not report them (Wine); the GDI handle table and
// the window count stand in for them there.
struct Figures {
    uint64_t privateBytes = 0;    // PROCESS_MEMORY_COUNTERS_EX::PrivateUsage
    uint64_t pagefileBytes = 0;   // PagefileUsage
    uint64_t workingSetBytes = 0; // WorkingSetSize
    long gdiObjects = 0;          // GetGuiResources(GR_GDIOBJECTS)
    long userObjects = 0;         // GetGuiResources(GR_USEROBJECTS)
    long gdiHandles = -1;         // used entries of Wine's per-process GDI handle table; -1: unreadable
    long windows = 0;             // windows of the process, top-level and child
};
Figures measure(const Program& p);
// Used entries of the process's GDI handle table as Wine keeps it; -1 if
// the table cannot be read.
long gdiHandleTableCount(HANDLE process);
