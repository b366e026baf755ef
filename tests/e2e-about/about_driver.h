// What the About box tests need beyond the main window's driver: the
// stand-in browser and mail program, the menu bar by mouse, the caption's
// close box, and the GDI objects and memory of another process.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Registers `recorder` as the handler of http, https and mailto in this
// prefix (HKEY_LOCAL_MACHINE\Software\Classes, where Wine reads them), so
// that every address handed to the shell lands as one line in `log`.
// Empties `log`. Returns "" on success, otherwise what went wrong.
std::string registerRecorder(const std::string& recorder, const std::string& log);
// The lines in `log` so far.
std::vector<std::string> logLines(const std::string& log);
// Waits up to `ms` until `log` holds at least `count` lines; returns them.
std::vector<std::string> waitLogLines(const std::string& log, size_t count, DWORD ms);

// The screen point at the middle of menu bar item `index` of `wnd`,
// from the menu font's text widths (another process's menu cannot be
// measured directly). `titles` are the items' texts with their '&'.
POINT menuBarItemPoint(HWND wnd, const std::vector<std::wstring>& titles, size_t index);
// A screen point inside the close box of `wnd`'s caption; {0, 0} if none.
POINT closeBoxPoint(HWND wnd);

// Live GDI objects of another process, read from its handle table;
// -1 when the table cannot be read.
struct GdiCount {
    long total = -1;
    long fonts = -1;
    std::string kinds;  // "DC 4, region 12, ..."
};
GdiCount gdiObjects(HANDLE process);

// The figures a task manager shows for a process.
struct Usage {
    DWORD gdi = 0;   // GetGuiResources (Wine reports 0)
    DWORD user = 0;
    GdiCount table;  // from the handle table
    SIZE_T privateBytes = 0;
    SIZE_T pagefile = 0;
    SIZE_T workingSet = 0;
};
Usage usageOf(HANDLE process);
