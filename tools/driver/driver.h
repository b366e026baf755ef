// Drives a program's windows from another process, the way a user does:
// keystrokes and clicks in; texts, focus and pixels out. Texts are UTF-8,
// read and written as the window system's Unicode, whatever code page the
// program uses. The window tests, the screenshot program and the start-up
// benchmark all use it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

// How long to wait for the program's window to appear, and for a state
// change to show: generously, for the 32-bit product may run under an
// emulator on a busy machine.
constexpr DWORD kAppearMs = 30000, kChangeMs = 5000;

// The controls of a message box that hold its text and its icon.
constexpr int kBoxText = 0xFFFF, kBoxIcon = 0x440;

// Polls `done` every 10 ms until it holds or `ms` have passed.
template <class F>
bool waitUntil(F done, DWORD ms) {
    for (DWORD start = GetTickCount(); !done(); Sleep(10))
        if (GetTickCount() - start >= ms) return done();
    return true;
}

// The path in environment variable `name`, in Windows form.
std::string envPath(const char* name);

// The top-level windows of process `pid` (of all processes for 0), topmost first.
std::vector<HWND> topWindows(DWORD pid);
std::string className(HWND wnd);
// The topmost visible window of class `cls` owned by `owner` (a message box,
// the About box: "#32770") or, for a null owner, of process `pid` (a menu:
// "#32768"), waiting up to `ms` for one; null if none.
HWND findWindow(const char* cls, HWND owner, DWORD pid = 0, DWORD ms = 0);
inline HWND ownedBox(HWND owner, DWORD ms = 0) { return findWindow("#32770", owner, 0, ms); }
inline HWND waitMenu(DWORD pid) { return findWindow("#32768", nullptr, pid, kChangeMs); }
inline bool waitGone(HWND wnd) { return waitUntil([&] { return !IsWindowVisible(wnd); }, kChangeMs); }

// A window's text, waiting up to `ms` for a window busy with a long one.
std::string text(HWND wnd, DWORD ms = 2000);
inline std::string itemText(HWND dlg, int id) { return text(GetDlgItem(dlg, id)); }
bool setText(HWND wnd, const std::string& utf8, DWORD ms = kChangeMs);
std::wstring widen(const std::string& utf8);
std::string narrow(const std::wstring& wide);
// Windows-1250 bytes as UTF-8.
std::string fromCp1250(const std::string& bytes);
// A text with its line breaks escaped, for messages.
std::string shown(const std::string& utf8);

// What a user finds on a dialog: a push button by its caption, a control
// by the text it shows, and the field or text that stands right under a
// label. Each is the one visible control of its kind; null if there is
// none, or more than one.
HWND buttonCaptioned(HWND dlg, const std::string& caption);
HWND showing(HWND dlg, const std::string& text);
// The control below `label` nearest to it, overlapping it across (group
// boxes, which frame others, aside).
HWND under(HWND dlg, HWND label);

// Where a control holds its text: itself, or a combo box's edit field.
HWND field(HWND control);

// Brings `wnd` to the foreground and waits until it is active and holds
// the focus (itself or a child).
bool activate(HWND wnd);
void pressKey(WORD vk, std::initializer_list<WORD> mods = {});
void typeText(const std::string& utf8);
// Clicks (twice: a double click) at a screen point; false if the pointer
// did not get there.
bool clickAt(POINT screen, int clicks = 1);
POINT centreOf(HWND wnd);
inline bool click(HWND wnd) { return wnd && clickAt(centreOf(wnd)); }
// A screen point in the close box of `wnd`'s caption.
POINT closeBoxPoint(HWND wnd);
// Whether `wnd`'s thread is in a menu: its menu bar or a pop-up takes the keys.
bool inMenuMode(HWND wnd);
// The control that has the focus in `dlg`'s thread (the edit field of a
// combo box counts as the combo box), and Tab until it is `control`
// (false if a Tab did not move the focus, or it never got there).
HWND focused(HWND dlg);
bool tabTo(HWND dlg, HWND control);
// Acts on a box of the dialog `dlg` (an edit box, a combo box) as a user
// does, each step waited for; "" when it worked, else what failed. Clears
// it: a click into it, Home, Shift+End, Delete (after the longest texts,
// Wine's edit control may take seconds before it takes the next key).
std::string clearBox(HWND dlg, HWND box);
// Chooses `item` of a combo box's list with the arrow keys, each key
// waited for until the list's selection moves (away first if the list has
// it selected but the field shows another text).
std::string chooseItem(HWND combo, const std::string& item);
// Waits until `wnd`'s thread has taken in what was sent to it and nothing
// of `wnd` and its children waits to be painted.
bool painted(HWND wnd);

// Pixels, 0x00RRGGBB, row by row from the top.
struct Image {
    int width = 0, height = 0;
    std::vector<uint32_t> px;
    uint32_t at(int x, int y) const { return px[size_t(y) * width + x]; }
};
// What `paint` draws into a memory DC of `width` x `height` pixels.
Image paintedImage(int width, int height, const std::function<void(HDC)>& paint);
Image captureScreen(const RECT& r);
// A window's client area on the screen.
RECT clientOnScreen(HWND wnd);
// Where `part` stands pixel for pixel in `whole`; {-1, -1} if nowhere.
POINT find(const Image& whole, const Image& part);
// `icon` drawn `size` pixels square over `background`.
Image iconImage(HICON icon, int size, COLORREF background);
// Where on the screen `icon`, drawn `size` pixels square over the colour of
// the top left pixel of the screen area `r`, stands in that area: its top
// left corner, or {-1, -1}.
POINT iconAt(const RECT& r, HICON icon, int size);
// How large `utf8` is in `font`, in pixels.
SIZE textSize(HFONT font, const std::string& utf8);
// `utf8` as `font` draws it in `ink` on `background`, as large as it is.
Image textImage(HFONT font, const std::string& utf8, COLORREF ink, COLORREF background);

// The texts a dialog shows, from the top down and left to right, each after
// a "|" (a picture's control holds the picture's name, which it does not
// show).
std::string textsDown(HWND dlg);
// The texts of `dlg` that do not fit their controls, each with the pixels it
// needs and has (a push button's edges aside), in the font that `layout`,
// the same dialog made from the program's file, gives the control; empty
// when all fit.
std::string outOfPlace(HWND dlg, HWND layout);
// What a message box shows: "caption | text | buttons | icon", the buttons
// in their order, the icon one of Windows' own ("question", "warning",
// "information", "error"), "none" when the text stands where an icon
// would, or "another".
std::string boxShows(HWND box);
// The items of a combo box's list, in the order it shows them.
std::vector<std::string> listItems(HWND combo);
// The texts of a menu, each on a line of its own, a pop-up's items under
// it, indented.
std::string menuText(HMENU menu);
// The centre of the minimise box in `wnd`'s caption, found where the window
// itself answers that the pointer is on it; {-1, -1} if it has none.
POINT minimiseBoxPoint(HWND wnd);
// True while a process of that program file name runs.
bool running(const char* exe);
// A process's GDI objects, counted in the handle table that Wine keeps in
// it (Wine reports no GetGuiResources), -1 if it cannot be read; the
// windows of a process, its top-level ones and their children.
long gdiObjects(HANDLE process);
long windowsOf(DWORD pid);

// From a program's file as Windows loads its resources, without running
// it: the dialog captioned `caption`, made hidden in this process (null if
// none); its menus; its first icon group's image of `size` pixels, as the
// shell shows the file (null if none).
HWND dialogFromFile(const std::string& exe, const std::string& caption);
std::vector<HMENU> menusFromFile(const std::string& exe);
HICON firstIconFromFile(const std::string& exe, int size);

// A program started by startProgram: its process and its main window.
struct Program {
    HANDLE process = nullptr;
    DWORD pid = 0;
    HWND main = nullptr;
};
// Starts `exe` and waits up to `ms` for its main window, a dialog captioned
// `caption`; false if it did not start, ended, or showed no such window.
bool startProgram(const std::string& exe, const char* caption, Program& program, DWORD ms = kAppearMs);
// Ends the program if it still runs and lets go of its process.
void endProgram(Program& program);
