#include "driver.h"

#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <utility>

std::string narrow(const std::wstring& w) {
    std::string s(w.size() * 4, '\0');
    s.resize(size_t(WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), s.data(), int(s.size()), nullptr, nullptr)));
    return s;
}

namespace {

std::wstring widen(const std::string& s, UINT cp) {
    std::wstring w(s.size(), L'\0');
    w.resize(size_t(MultiByteToWideChar(cp, 0, s.data(), int(s.size()), w.data(), int(w.size()))));
    return w;
}

// Sends the input in one piece: it reaches the foreground thread's queue
// in order, and what the keys do is waited for where it shows.
void send(std::vector<INPUT> in) { SendInput(UINT(in.size()), in.data(), sizeof(INPUT)); }

INPUT key(WORD vk, WORD scan, DWORD flags) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki = {vk, scan, flags, 0, 0};
    return in;
}

GUITHREADINFO threadInfo(HWND wnd) {
    GUITHREADINFO gi{};
    gi.cbSize = sizeof gi;
    GetGUIThreadInfo(GetWindowThreadProcessId(wnd, nullptr), &gi);
    return gi;
}

}  // namespace

std::string envPath(const char* name) {
    std::string p = std::getenv(name) ? std::getenv(name) : "";
    if (!p.empty() && p[0] == '/') p = "Z:" + p;
    for (char& c : p) c = c == '/' ? '\\' : c;
    return p;
}

std::vector<HWND> topWindows(DWORD pid) {
    std::vector<HWND> all, found;
    EnumWindows([](HWND wnd, LPARAM lp) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(lp)->push_back(wnd);
        return TRUE;
    }, LPARAM(&all));
    for (HWND wnd : all) {
        DWORD owner = 0;
        GetWindowThreadProcessId(wnd, &owner);
        if (!pid || owner == pid) found.push_back(wnd);
    }
    return found;
}

std::string className(HWND wnd) {
    char buf[256] = "";
    GetClassNameA(wnd, buf, sizeof buf);
    return buf;
}

HWND findWindow(const char* cls, HWND owner, DWORD pid, DWORD ms) {
    HWND found = nullptr;
    waitUntil([&] {
        for (HWND wnd : topWindows(pid))
            if (IsWindowVisible(wnd) && className(wnd) == cls && (!owner || GetWindow(wnd, GW_OWNER) == owner))
                return (found = wnd) != nullptr;
        return false;
    }, ms);
    return found;
}

std::string text(HWND wnd, DWORD ms) {
    DWORD_PTR len = 0, got = 0;
    std::wstring buf;
    if (SendMessageTimeoutW(wnd, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, ms, &len)) buf.resize(len + 1);
    if (buf.empty() || !SendMessageTimeoutW(wnd, WM_GETTEXT, buf.size(), LPARAM(buf.data()), SMTO_NORMAL, ms, &got))
        return "<no answer>";
    buf.resize(got);
    return narrow(buf);
}

bool setText(HWND wnd, const std::string& utf8, DWORD ms) {
    DWORD_PTR r = 0;
    return SendMessageTimeoutW(wnd, WM_SETTEXT, 0, LPARAM(widen(utf8).c_str()), SMTO_NORMAL, ms, &r) && r;
}

std::wstring widen(const std::string& utf8) { return widen(utf8, CP_UTF8); }

std::string fromCp1250(const std::string& bytes) { return narrow(widen(bytes, 1250)); }

std::string shown(const std::string& utf8) {
    std::string out;
    for (char c : utf8) out += c == '\n' ? std::string("\\n") : std::string(1, c);
    return out;
}

namespace {

std::vector<HWND> visibleChildren(HWND dlg) {
    std::vector<HWND> found;
    for (HWND c = GetWindow(dlg, GW_CHILD); dlg && c; c = GetWindow(c, GW_HWNDNEXT))
        if (IsWindowVisible(c)) found.push_back(c);
    return found;
}

LONG buttonKind(HWND wnd) {
    return className(wnd) == "Button" ? GetWindowLongW(wnd, GWL_STYLE) & BS_TYPEMASK : -1;
}

// A picture's control holds the picture's name, which it does not show.
bool picture(HWND wnd) {
    const LONG kind = GetWindowLongW(wnd, GWL_STYLE) & SS_TYPEMASK;
    return className(wnd) == "Static" && (kind == SS_ICON || kind == SS_BITMAP);
}

template <class F>
HWND theOne(HWND dlg, F matches) {
    HWND found = nullptr;
    for (HWND c : visibleChildren(dlg))
        if (matches(c)) {
            if (found) return nullptr;
            found = c;
        }
    return found;
}

}  // namespace

HWND buttonCaptioned(HWND dlg, const std::string& caption) {
    return theOne(dlg, [&](HWND c) {
        return (buttonKind(c) == BS_PUSHBUTTON || buttonKind(c) == BS_DEFPUSHBUTTON) && text(c) == caption;
    });
}

HWND showing(HWND dlg, const std::string& shown) {
    return theOne(dlg, [&](HWND c) { return text(c) == shown; });
}

HWND under(HWND dlg, HWND label) {
    RECT l, r;
    if (!GetWindowRect(label, &l)) return nullptr;
    HWND nearest = nullptr;
    LONG distance = LONG_MAX;
    for (HWND c : visibleChildren(dlg))
        if (c != label && buttonKind(c) != BS_GROUPBOX && GetWindowRect(c, &r) && r.top >= l.bottom - 1 &&
            r.left < l.right && r.right > l.left && r.top - l.bottom < distance) {
            nearest = c;
            distance = r.top - l.bottom;
        }
    return nearest;
}

HWND field(HWND control) {
    HWND edit = FindWindowExA(control, nullptr, "Edit", nullptr);
    return edit ? edit : control;
}

bool activate(HWND wnd) {
    auto ready = [&] {
        const GUITHREADINFO gi = threadInfo(wnd);
        return GetForegroundWindow() == wnd && gi.hwndActive == wnd && (gi.hwndFocus == wnd || IsChild(wnd, gi.hwndFocus));
    };
    for (int attempt = 0; attempt < 3 && !ready(); ++attempt) {
        // Wine may draw the caption inactive unless another window was active first.
        SetForegroundWindow(GetDesktopWindow());
        SetForegroundWindow(wnd);
        waitUntil(ready, 1000);
    }
    return ready();
}

void pressKey(WORD vk, std::initializer_list<WORD> mods) {
    std::vector<INPUT> in;
    auto add = [&](WORD k, DWORD up) {
        const bool extended = (k >= VK_PRIOR && k <= VK_DOWN) || k == VK_INSERT || k == VK_DELETE;
        in.push_back(key(k, WORD(MapVirtualKeyW(k, MAPVK_VK_TO_VSC)), up | (extended ? KEYEVENTF_EXTENDEDKEY : 0)));
    };
    for (WORD m : mods) add(m, 0);
    add(vk, 0);
    add(vk, KEYEVENTF_KEYUP);
    for (auto m = mods.end(); m != mods.begin();) add(*--m, KEYEVENTF_KEYUP);
    send(in);
}

void typeText(const std::string& utf8) {
    std::vector<INPUT> in;
    for (wchar_t c : widen(utf8))
        for (DWORD up : {0, KEYEVENTF_KEYUP}) in.push_back(key(0, WORD(c), KEYEVENTF_UNICODE | up));
    send(in);
}

bool clickAt(POINT pt, int clicks) {
    // Every event carries the position: a button event without one lands
    // wherever a late pointer report from X has just put the cursor back.
    const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    auto event = [&](DWORD button) {
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dx = LONG((pt.x * 65535LL + (cx - 1) / 2) / (cx - 1));
        in.mi.dy = LONG((pt.y * 65535LL + (cy - 1) / 2) / (cy - 1));
        in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | button;
        return in;
    };
    auto there = [&] {
        POINT cur;
        return waitUntil([&] { return GetCursorPos(&cur) && cur.x == pt.x && cur.y == pt.y; }, kChangeMs);
    };
    send({event(0)});
    if (!there()) return false;
    // The presses in one piece, so that two of them make a double click.
    std::vector<INPUT> presses;
    for (int i = 0; i < clicks; ++i)
        for (DWORD button : {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP}) presses.push_back(event(button));
    send(presses);
    return there();
}

POINT centreOf(HWND wnd) {
    RECT r;
    GetWindowRect(wnd, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

POINT closeBoxPoint(HWND wnd) {
    RECT r;
    GetWindowRect(wnd, &r);
    return POINT{r.right - GetSystemMetrics(SM_CXFIXEDFRAME) - GetSystemMetrics(SM_CXSIZE) / 2,
                 r.top + GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2};
}

bool inMenuMode(HWND wnd) { return (threadInfo(wnd).flags & GUI_INMENUMODE) != 0; }

HWND focused(HWND dlg) {
    HWND f = threadInfo(dlg).hwndFocus, parent = f ? GetParent(f) : nullptr;
    return parent && parent != dlg && className(parent) == "ComboBox" ? parent : f;
}

bool tabTo(HWND dlg, HWND control) {
    for (int i = 0; i < 20 && control && focused(dlg) != control; ++i) {
        const HWND before = focused(dlg);
        pressKey(VK_TAB);
        if (!waitUntil([&] { return focused(dlg) != before; }, kChangeMs)) return false;
    }
    return control && focused(dlg) == control;
}

std::string clearBox(HWND dlg, HWND box) {
    const char* failed = !activate(dlg) ? "activate the window"
                         : !click(box) ? "click into it"
                         : !waitUntil([&] { return focused(dlg) == box; }, kAppearMs) ? "give it the focus" : nullptr;
    if (!failed) {
        pressKey(VK_HOME);
        pressKey(VK_END, {VK_SHIFT});
        pressKey(VK_DELETE);
        if (!waitUntil([&] { return text(field(box)).empty(); }, kAppearMs))
            failed = "empty it with Home, Shift+End and Delete";
    }
    return failed ? std::string("could not ") + failed + "; it holds \"" + shown(text(field(box)).substr(0, 60)) + "\"" : "";
}

std::string chooseItem(HWND combo, const std::string& item) {
    const auto items = listItems(combo);
    const LRESULT at = std::find(items.begin(), items.end(), item) - items.begin();
    for (int step = 0; step < 6 && text(field(combo)) != item; ++step) {
        const LRESULT before = SendMessageW(combo, CB_GETCURSEL, 0, 0);
        pressKey(before < at || (before == at && at == 0) ? VK_DOWN : VK_UP);
        if (!waitUntil([&] { return SendMessageW(combo, CB_GETCURSEL, 0, 0) != before; }, kChangeMs))
            return "an arrow key does not move the list";
    }
    return waitUntil([&] { return text(field(combo)) == item; }, kChangeMs) ? "" : "it shows \"" + text(field(combo)) + "\"";
}

bool painted(HWND wnd) {
    DWORD_PTR r = 0;
    return waitUntil([&] {
        if (!SendMessageTimeoutW(wnd, WM_NULL, 0, 0, SMTO_NORMAL, kChangeMs, &r) || GetUpdateRect(wnd, nullptr, FALSE))
            return false;
        for (HWND c = GetWindow(wnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            if (GetUpdateRect(c, nullptr, FALSE)) return false;
        return true;
    }, kChangeMs);
}

Image paintedImage(int width, int height, const std::function<void(HDC)>& paint) {
    BITMAPINFO bi{{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    HDC mem = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    HGDIOBJ old = SelectObject(mem, CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    paint(mem);
    GdiFlush();
    Image img{width, height, {}};
    for (int i = 0; i < width * height; ++i) img.px.push_back(static_cast<const uint32_t*>(bits)[i] & 0xFFFFFF);
    DeleteObject(SelectObject(mem, old));
    DeleteDC(mem);
    return img;
}

Image captureScreen(const RECT& r) {
    return paintedImage(r.right - r.left, r.bottom - r.top, [&](HDC mem) {
        HDC screen = GetDC(nullptr);
        BitBlt(mem, 0, 0, r.right - r.left, r.bottom - r.top, screen, r.left, r.top, SRCCOPY);
        ReleaseDC(nullptr, screen);
    });
}

RECT clientOnScreen(HWND wnd) {
    RECT r;
    GetClientRect(wnd, &r);
    MapWindowPoints(wnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

POINT find(const Image& whole, const Image& part) {
    for (int y = 0; y + part.height <= whole.height; ++y)
        for (int x = 0; x + part.width <= whole.width; ++x) {
            bool same = true;
            for (int j = 0; j < part.height && same; ++j) {
                const auto row = part.px.begin() + j * part.width;
                same = std::equal(row, row + part.width, whole.px.begin() + (y + j) * whole.width + x);
            }
            if (same) return {x, y};
        }
    return {-1, -1};
}

Image iconImage(HICON icon, int size, COLORREF background) {
    return paintedImage(size, size, [&](HDC mem) {
        HBRUSH bg = CreateSolidBrush(background);
        RECT all{0, 0, size, size};
        FillRect(mem, &all, bg);
        DrawIconEx(mem, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
        DeleteObject(bg);
    });
}

POINT iconAt(const RECT& r, HICON icon, int size) {
    if (!icon) return {-1, -1};
    const Image shot = captureScreen(r);
    const POINT at = find(shot, iconImage(icon, size, RGB(shot.px[0] >> 16, (shot.px[0] >> 8) & 0xFF, shot.px[0] & 0xFF)));
    return at.x < 0 ? at : POINT{r.left + at.x, r.top + at.y};
}

SIZE textSize(HFONT font, const std::string& utf8) {
    SIZE size{};
    paintedImage(1, 1, [&](HDC dc) {
        HGDIOBJ old = SelectObject(dc, font);
        const std::wstring w = widen(utf8);
        GetTextExtentPoint32W(dc, w.c_str(), int(w.size()), &size);
        SelectObject(dc, old);
    });
    return size;
}

Image textImage(HFONT font, const std::string& utf8, COLORREF ink, COLORREF background) {
    const SIZE size = textSize(font, utf8);
    return paintedImage(size.cx, size.cy, [&](HDC dc) {
        RECT all{0, 0, size.cx, size.cy};
        HBRUSH brush = CreateSolidBrush(background);
        FillRect(dc, &all, brush);
        DeleteObject(brush);
        HGDIOBJ old = SelectObject(dc, font);
        SetTextColor(dc, ink);
        SetBkMode(dc, TRANSPARENT);
        TextOutW(dc, 0, 0, widen(utf8).c_str(), int(widen(utf8).size()));
        SelectObject(dc, old);
    });
}

std::string textsDown(HWND dlg) {
    std::vector<std::pair<std::pair<LONG, LONG>, std::string>> texts;
    RECT r;
    for (HWND c : visibleChildren(dlg))
        if (!picture(c) && GetWindowRect(c, &r) && !text(c).empty()) texts.push_back({{r.top, r.left}, text(c)});
    std::sort(texts.begin(), texts.end());
    std::string all;
    for (const auto& t : texts) all += "|" + t.second;
    return all;
}

std::string outOfPlace(HWND dlg, HWND layout) {
    std::string out;
    for (HWND c : visibleChildren(dlg)) {
        const std::string shows = text(c);
        const HFONT font = HFONT(SendMessageW(GetDlgItem(layout, GetDlgCtrlID(c)), WM_GETFONT, 0, 0));
        const SIZE size = textSize(font, shows);
        const LONG edges = buttonKind(c) == BS_PUSHBUTTON || buttonKind(c) == BS_DEFPUSHBUTTON ? 2 * GetSystemMetrics(SM_CXEDGE) : 0;
        RECT room{};
        GetClientRect(c, &room);
        if (!shows.empty() && !picture(c) && (size.cx > room.right - edges || size.cy > room.bottom))
            out += "\"" + shows + "\" needs " + std::to_string(size.cx) + " x " + std::to_string(size.cy) + " of " +
                   std::to_string(room.right - edges) + " x " + std::to_string(room.bottom) + "; ";
    }
    return out;
}

std::string boxShows(HWND box) {
    HWND words = GetDlgItem(box, kBoxText), icon = GetDlgItem(box, kBoxIcon);
    std::string seen = text(box) + " | " + (words ? text(words) : "") + " |";
    for (HWND c : visibleChildren(box))
        if (className(c) == "Button") seen += " " + text(c);
    RECT r{}, t{};
    GetWindowRect(words, &t);
    if (!icon || !IsWindowVisible(icon) || !GetWindowRect(icon, &r) || t.left < r.right) return seen + " | none";
    const std::pair<LPCSTR, const char*> icons[] = {
        {IDI_QUESTION, "question"}, {IDI_WARNING, "warning"}, {IDI_INFORMATION, "information"}, {IDI_ERROR, "error"}};
    const char* found = "another";
    waitUntil([&] {
        for (const auto& [id, name] : icons)
            if (iconAt(r, LoadIconA(nullptr, id), r.right - r.left).x >= 0) return (found = name) != nullptr;
        return false;
    }, kChangeMs);
    return seen + " | " + found;
}

std::vector<std::string> listItems(HWND combo) {
    std::vector<std::string> items;
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring item(size_t(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
        item.resize(size_t(SendMessageW(combo, CB_GETLBTEXT, i, LPARAM(item.data()))));
        items.push_back(narrow(item));
    }
    return items;
}

namespace {

std::string menuText(HMENU menu, const std::string& indent) {
    std::string all;
    for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
        wchar_t item[256] = L"";
        GetMenuStringW(menu, UINT(i), item, 256, MF_BYPOSITION);
        all += indent + narrow(item) + "\n" + menuText(GetSubMenu(menu, i), indent + "  ");
    }
    return all;
}

// The resources of a program's file, or null.
HMODULE resourcesOf(const std::string& exe) {
    return LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
}

// Calls `each` with the name of every resource of `kind` until it returns false.
template <class F>
void eachResource(HMODULE file, LPCSTR kind, F each) {
    EnumResourceNamesA(file, kind, [](HMODULE, LPCSTR, LPSTR name, LONG_PTR f) -> BOOL {
        return (*reinterpret_cast<F*>(f))(name);
    }, LONG_PTR(&each));
}

}  // namespace

std::string menuText(HMENU menu) { return menuText(menu, ""); }

POINT minimiseBoxPoint(HWND wnd) {
    RECT r;
    GetWindowRect(wnd, &r);
    const int y = r.top + GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
    int first = -1, last = -1;
    for (int x = r.left; x < r.right; ++x) {
        DWORD_PTR hit = 0;
        SendMessageTimeoutW(wnd, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_NORMAL, kChangeMs, &hit);
        if (hit == HTMINBUTTON) last = first < 0 ? first = x : x;
    }
    return first < 0 ? POINT{-1, -1} : POINT{(first + last) / 2, y};
}

bool running(const char* exe) {
    HANDLE all = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 p{};
    p.dwSize = sizeof p;
    bool found = false;
    for (BOOL more = Process32First(all, &p); more && !found; more = Process32Next(all, &p))
        found = _stricmp(p.szExeFile, exe) == 0;
    CloseHandle(all);
    return found;
}

// The table's entries are 24 bytes: the object (8), the owner (4), a
// counter (2), the type (1, 0 when not in use), flags (1) and a user
// pointer (8); the 64-bit PEB points to it at 0xF8.
long gdiObjects(HANDLE process) {
    PROCESS_BASIC_INFORMATION info{};
    uint64_t table = 0;
    std::vector<uint8_t> entries(0x10000 * 24);
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &info, sizeof info, nullptr) != 0 ||
        !ReadProcessMemory(process, PBYTE(info.PebBaseAddress) + 0xF8, &table, sizeof table, nullptr) ||
        !ReadProcessMemory(process, reinterpret_cast<void*>(table), entries.data(), entries.size(), nullptr))
        return -1;
    long inUse = 0;
    for (size_t type = 14; type < entries.size(); type += 24) inUse += entries[type] != 0;
    return inUse;
}

long windowsOf(DWORD pid) {
    long windows = 0;
    for (HWND wnd : topWindows(pid)) {
        ++windows;
        EnumChildWindows(wnd, [](HWND, LPARAM n) -> BOOL { return ++*reinterpret_cast<long*>(n) > 0; }, LPARAM(&windows));
    }
    return windows;
}

HWND dialogFromFile(const std::string& exe, const std::string& caption) {
    HMODULE file = resourcesOf(exe);
    HWND found = nullptr;
    eachResource(file, RT_DIALOG, [&](LPSTR name) {
        HWND dlg = CreateDialogParamA(file, name, nullptr, [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
        if (dlg && text(dlg) == caption) return (found = dlg) == nullptr;
        if (dlg) DestroyWindow(dlg);
        return true;
    });
    return found;
}

std::vector<HMENU> menusFromFile(const std::string& exe) {
    HMODULE file = resourcesOf(exe);
    std::vector<HMENU> menus;
    eachResource(file, RT_MENU, [&](LPSTR name) { return menus.push_back(LoadMenuA(file, name)), true; });
    return menus;
}

HICON firstIconFromFile(const std::string& exe, int size) {
    HMODULE file = resourcesOf(exe);
    HICON icon = nullptr;
    eachResource(file, RT_GROUP_ICON, [&](LPSTR name) {
        return !(icon = HICON(LoadImageA(file, name, IMAGE_ICON, size, size, 0)));
    });
    return icon;
}

bool startProgram(const std::string& exe, const char* caption, Program& program, DWORD ms) {
    // Positions and pixels as they are on the screen, whatever its DPI:
    // a Windows that stretches programs unaware of it would scale them.
    SetProcessDPIAware();
    std::string cmd = "\"" + exe + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    program.process = pi.hProcess;
    program.pid = pi.dwProcessId;
    bool ended = false;
    return waitUntil([&] {
        ended = WaitForSingleObject(program.process, 0) == WAIT_OBJECT_0;
        return ended || ((program.main = findWindow("#32770", nullptr, program.pid)) && text(program.main) == caption);
    }, ms) && !ended;
}

void endProgram(Program& program) {
    if (!program.process) return;
    if (WaitForSingleObject(program.process, 0) != WAIT_OBJECT_0) {
        TerminateProcess(program.process, 99);
        WaitForSingleObject(program.process, kChangeMs);
    }
    CloseHandle(program.process);
    program = Program{};
}
