// Drives a running program's windows from another process, the way a user
// does: real keystrokes and clicks in, texts, focus and pixels out.
// Texts are Windows-1250 bytes, the program's own encoding.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

// Limits for polling (milliseconds).
constexpr DWORD kAppearMs = 5000;  // a window to appear
constexpr DWORD kChangeMs = 3000;  // a state change to show

// Controls of a message box.
constexpr int kBoxText = 0xFFFF;
constexpr int kBoxIcon = 0x440;

struct Program {
    HANDLE process = nullptr;
    DWORD pid = 0;
    HWND main = nullptr;
};

// The path in environment variable `name` (Unix or Windows form) in
// Windows form; "" when it is not set.
std::string envPath(const char* name);
// Starts `exe` and waits for its top-level dialog with `caption`; "" on
// success, otherwise what went wrong.
std::string startProgram(Program& p, const std::string& exe, const char* caption);
// Ends the process if it still runs and releases the handles.
void stopProgram(Program& p);

// Polls `done` every 10 ms until it holds or `ms` have passed.
template <class F>
bool waitUntil(F done, DWORD ms) {
    DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start >= ms) return done();
        Sleep(10);
    }
}

// The top-level windows of process `pid`, visible or not, topmost first.
std::vector<HWND> processWindows(DWORD pid);
// A visible top-level window of `pid` with class `cls` and, unless null,
// caption `caption`.
HWND findTopWindow(DWORD pid, const char* cls, const char* caption);
// The visible dialogs owned by `owner` (message boxes, the About box),
// topmost first; the topmost, or null.
std::vector<HWND> ownedDialogs(HWND owner);
HWND ownedDialog(HWND owner);
HWND waitOwnedDialog(HWND owner, DWORD ms = kAppearMs);
bool waitGone(HWND wnd, DWORD ms = kChangeMs);

std::string toCp1250(const std::wstring& text);
std::wstring fromCp1250(const std::string& cp1250);
// Texts read across the process boundary. longText waits up to `ms` for a
// window busy laying out a long text; "<no answer>" after that.
std::string windowText(HWND wnd);
std::string longText(HWND wnd, DWORD ms);
std::string itemText(HWND dlg, int id);
std::vector<std::string> comboItems(HWND combo);
std::string className(HWND wnd);
// Windows-1250 bytes as readable UTF-8, line breaks and tabs escaped.
std::string shown(const std::string& cp1250);

// Brings `wnd` to the foreground and waits until it is active and holds
// the focus (itself or a child).
bool activate(HWND wnd);
// Presses `vk` with `mods` held down.
void pressKey(WORD vk, std::initializer_list<WORD> mods = {});
// Types Windows-1250 text as Unicode keystrokes.
void typeText(const std::string& cp1250);
POINT centreOf(HWND wnd);
void clickAt(POINT screen);
void clickCentre(HWND wnd);
HWND comboEdit(HWND combo);
// The focus window in `wnd`'s thread, and its control id (the edit field
// of a combo box counts as the combo box).
HWND focusWindow(HWND wnd);
int focusId(HWND wnd);
// Presses Tab until control `id` of `dlg` has the focus.
bool tabTo(HWND dlg, int id);

// The open pop-up menu of process `pid`, or null.
HWND waitMenu(DWORD pid, DWORD ms = kChangeMs);
// Clicks menu bar item `index` of `wnd` (`titles`: the bar's texts with
// their '&'), then the first item of its menu; false if no menu opened.
bool clickFirstMenuItem(HWND wnd, const std::vector<std::wstring>& titles, size_t index);
// A screen point inside the close box of `wnd`'s caption; {0, 0} if none.
POINT closeBoxPoint(HWND wnd);

// Pixels, 0x00RRGGBB, row by row from the top.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> px;
    uint32_t at(int x, int y) const { return px[size_t(y) * width + x]; }
};
// What `paint` draws into a memory DC of `width` x `height` pixels.
Image paintedImage(int width, int height, const std::function<void(HDC)>& paint);
Image captureScreen(const RECT& r);
// Saves what the screen shows of `wnd`, freshly painted, as a 24-bit BMP.
bool saveScreenshot(HWND wnd, const std::string& path);
// Saves `wnd` as <ORBELA_SCREENSHOTS>/<name>.bmp.
bool screenshot(HWND wnd, const char* name);
