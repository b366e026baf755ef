// Drives a running program's windows from another process, the way a user
// does: real keystrokes and clicks in, texts, focus and pixels out.
// Texts are returned as Windows-1250 bytes, the program's own encoding.
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

// A path from the environment variable `name` (a Unix path from CTest or a
// Windows path), in Windows form; "" when the variable is not set.
std::string envPath(const char* name);

// Starts `exe` and waits for its top-level dialog with the given caption.
// Returns "" on success, otherwise what went wrong.
std::string startProgram(Program& p, const std::string& exe, const char* caption);
// Waits up to `ms` for the process to end; true and its exit code if it did.
bool waitExit(Program& p, DWORD ms, DWORD* code);
// Ends the process if it still runs and releases the handles.
void stopProgram(Program& p);

// Polls `done` every 10 ms until it returns true or `ms` have passed.
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
// Top-level visible window of process `pid` with class `cls` and, unless
// null, caption `caption` (Windows-1250).
HWND findTopWindow(DWORD pid, const char* cls, const char* caption);
// The visible dialogs (#32770) owned by `owner`: message boxes, the About
// box; the topmost of them, or null.
std::vector<HWND> ownedDialogs(HWND owner);
HWND ownedDialog(HWND owner);
HWND waitOwnedDialog(HWND owner, DWORD ms = kAppearMs);
bool waitGone(HWND wnd, DWORD ms = kChangeMs);

// Between UTF-16 and Windows-1250.
std::string toCp1250(const std::wstring& text);
std::wstring fromCp1250(const std::string& cp1250);

// Texts, read across the process boundary and converted to Windows-1250.
std::string windowText(HWND wnd);
// The same for a window that may stay busy for seconds (a long text being
// laid out): waits up to `ms` for each answer; "<no answer>" after that.
std::string longText(HWND wnd, DWORD ms);
std::string itemText(HWND dlg, int id);
std::vector<std::string> comboItems(HWND combo);
std::string className(HWND wnd);
// Windows-1250 bytes as readable UTF-8, line breaks and tabs escaped.
std::string shown(const std::string& cp1250);

// Brings `wnd` to the foreground and waits until it is foreground and
// active and holds the focus (itself or a child).
bool activate(HWND wnd);
// Key presses by virtual-key code: `mods` held down around `vk`.
void pressKey(WORD vk, std::initializer_list<WORD> mods = {});
// Types Windows-1250 text as Unicode keystrokes.
void typeText(const std::string& cp1250);
// A window's centre on the screen; a left click at a screen point, at the
// centre of a window.
POINT centreOf(HWND wnd);
void clickAt(POINT screen);
void clickCentre(HWND wnd);
// The edit field inside a combo box.
HWND comboEdit(HWND combo);
// The window with the keyboard focus in `wnd`'s thread, and its control id;
// the edit field inside a combo box counts as the combo box.
HWND focusWindow(HWND wnd);
int focusId(HWND wnd);
// Moves the focus with Tab until control `id` of `dlg` has it.
bool tabTo(HWND dlg, int id);

// The open pop-up menu of process `pid`, waited for up to `ms`; null if
// none opens.
HWND waitMenu(DWORD pid, DWORD ms = kChangeMs);
// The screen point at the middle of menu bar item `index` of `wnd`, from
// the menu font's text widths (another process's menu cannot be measured
// directly). `titles` are the items' texts with their '&'.
POINT menuBarItemPoint(HWND wnd, const std::vector<std::wstring>& titles, size_t index);
// Clicks menu bar item `index` of `wnd`, then the first item of the menu
// that opens; false if no menu opened.
bool clickFirstMenuItem(HWND wnd, const std::vector<std::wstring>& titles, size_t index);
// A screen point inside the close box of `wnd`'s caption; {0, 0} if none.
POINT closeBoxPoint(HWND wnd);

// Screen pixels, 0x00RRGGBB, row by row from the top.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> px;
    uint32_t at(int x, int y) const { return px[size_t(y) * width + x]; }
};
// What `paint` draws into a memory DC of `width` x `height` pixels.
Image paintedImage(int width, int height, const std::function<void(HDC)>& paint);
Image captureScreen(const RECT& r);
Image captureWindow(HWND wnd);
uint32_t rgbOf(COLORREF c);
bool saveBmp(const Image& img, const std::string& path);
// Saves `wnd` as <ORBELA_SCREENSHOTS>/<name>.bmp; true if written.
bool screenshot(HWND wnd, const char* name);
