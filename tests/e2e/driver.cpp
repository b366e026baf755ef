#include "driver.h"

#include <cstdlib>

namespace {

constexpr UINT kSendMs = 2000;

std::string narrow(const std::wstring& w, UINT cp) {
    std::string s(w.size() * 4, '\0');
    s.resize(size_t(WideCharToMultiByte(cp, 0, w.data(), int(w.size()), s.data(), int(s.size()), nullptr, nullptr)));
    return s;
}

BOOL CALLBACK addWindow(HWND wnd, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(wnd);
    return TRUE;
}

INPUT keyInput(WORD vk, bool up) {
    const bool extended = (vk >= VK_PRIOR && vk <= VK_DOWN) || vk == VK_INSERT || vk == VK_DELETE;
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = WORD(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
    return in;
}

// Lets the target's thread take in what was sent before the next step.
void settle(HWND wnd) {
    DWORD_PTR r;
    if (wnd) SendMessageTimeoutW(wnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kSendMs, &r);
    Sleep(20);
}

void send(const std::vector<INPUT>& in) {
    SendInput(UINT(in.size()), const_cast<INPUT*>(in.data()), sizeof(INPUT));
    settle(GetForegroundWindow());
}

}  // namespace

std::string envPath(const char* name) {
    const char* v = std::getenv(name);
    std::string p = v ? v : "";
    if (!p.empty() && p[0] == '/') p = "Z:" + p;
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}

std::vector<HWND> topWindows(DWORD pid) {
    std::vector<HWND> all, found;
    EnumWindows(addWindow, LPARAM(&all));
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

HWND ownedBox(HWND owner, DWORD ms) {
    HWND box = nullptr;
    waitUntil([&] {
        for (HWND wnd : topWindows(0))
            if (GetWindow(wnd, GW_OWNER) == owner && IsWindowVisible(wnd) && className(wnd) == "#32770")
                return (box = wnd) != nullptr;
        return false;
    }, ms);
    return box;
}

bool waitGone(HWND wnd) {
    return waitUntil([&] { return !IsWindow(wnd) || !IsWindowVisible(wnd); }, kChangeMs);
}

HWND waitMenu(DWORD pid) {
    HWND menu = nullptr;
    waitUntil([&] {
        for (HWND wnd : topWindows(pid))
            if (IsWindowVisible(wnd) && className(wnd) == "#32768") return (menu = wnd) != nullptr;
        return false;
    }, kChangeMs);
    return menu;
}

std::string text(HWND wnd, DWORD ms) {
    DWORD_PTR len = 0, got = 0;
    if (!SendMessageTimeoutW(wnd, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, ms, &len)) return "<no answer>";
    std::wstring buf(len + 1, L'\0');
    if (!SendMessageTimeoutW(wnd, WM_GETTEXT, buf.size(), LPARAM(buf.data()), SMTO_NORMAL, ms, &got))
        return "<no answer>";
    buf.resize(got);
    return narrow(buf, 1250);
}

std::string itemText(HWND dlg, int id) {
    HWND item = GetDlgItem(dlg, id);
    return item ? text(item) : "<no control " + std::to_string(id) + ">";
}

bool setText(HWND wnd, const std::string& cp1250, DWORD ms) {
    DWORD_PTR r = 0;
    return SendMessageTimeoutW(wnd, WM_SETTEXT, 0, LPARAM(widen(cp1250).c_str()), SMTO_NORMAL, ms, &r) && r;
}

std::vector<std::string> comboItems(HWND combo) {
    std::vector<std::string> items;
    DWORD_PTR count = 0, len = 0;
    SendMessageTimeoutW(combo, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, kSendMs, &count);
    for (DWORD_PTR i = 0; i < count && count != DWORD_PTR(CB_ERR); ++i) {
        wchar_t buf[256] = L"";
        if (SendMessageTimeoutW(combo, CB_GETLBTEXTLEN, i, 0, SMTO_ABORTIFHUNG, kSendMs, &len) && len < 256)
            SendMessageTimeoutW(combo, CB_GETLBTEXT, i, LPARAM(buf), SMTO_ABORTIFHUNG, kSendMs, &len);
        items.push_back(narrow(buf, 1250));
    }
    return items;
}

std::wstring widen(const std::string& s) {
    std::wstring w(s.size(), L'\0');
    w.resize(size_t(MultiByteToWideChar(1250, 0, s.data(), int(s.size()), w.data(), int(w.size()))));
    return w;
}

std::string shown(const std::string& cp1250) {
    std::string out;
    for (char c : narrow(widen(cp1250), CP_UTF8))
        out += c == '\n' ? "\\n" : c == '\r' ? "\\r" : c == '\t' ? "\\t" : std::string(1, c);
    return out;
}

bool activate(HWND wnd) {
    DWORD tid = GetWindowThreadProcessId(wnd, nullptr);
    auto ready = [&] {
        GUITHREADINFO gi{};
        gi.cbSize = sizeof gi;
        return GetGUIThreadInfo(tid, &gi) && GetForegroundWindow() == wnd && gi.hwndActive == wnd && gi.hwndFocus &&
               (gi.hwndFocus == wnd || IsChild(wnd, gi.hwndFocus));
    };
    for (int attempt = 0; attempt < 3 && !ready(); ++attempt) {
        // Wine may draw the caption inactive unless another window was active first.
        SetForegroundWindow(GetDesktopWindow());
        SetForegroundWindow(wnd);
        settle(wnd);
        waitUntil(ready, 1000);
    }
    return ready();
}

void pressKey(WORD vk, std::initializer_list<WORD> mods) {
    std::vector<INPUT> in;
    for (WORD m : mods) in.push_back(keyInput(m, false));
    in.push_back(keyInput(vk, false));
    in.push_back(keyInput(vk, true));
    for (auto m = mods.end(); m != mods.begin();) in.push_back(keyInput(*--m, true));
    send(in);
}

void typeText(const std::string& cp1250) {
    std::vector<INPUT> in;
    for (wchar_t c : widen(cp1250))
        for (DWORD up : {0, KEYEVENTF_KEYUP}) {
            INPUT i{};
            i.type = INPUT_KEYBOARD;
            i.ki.wScan = WORD(c);
            i.ki.dwFlags = KEYEVENTF_UNICODE | up;
            in.push_back(i);
        }
    send(in);
}

void clickAt(POINT pt) {
    // Every event carries the position: a button event without one lands
    // wherever a late pointer report from X has just put the cursor back.
    const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    for (DWORD flag : {0, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP}) {
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dx = LONG((pt.x * 65535LL + (cx - 1) / 2) / (cx - 1));
        in.mi.dy = LONG((pt.y * 65535LL + (cy - 1) / 2) / (cy - 1));
        in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flag;
        SendInput(1, &in, sizeof in);
        if (!flag) waitUntil([&] {
            POINT cur;
            return GetCursorPos(&cur) && cur.x == pt.x && cur.y == pt.y;
        }, 500);
        Sleep(20);
    }
    settle(WindowFromPoint(pt));
}

POINT centreOf(HWND wnd) {
    RECT r;
    GetWindowRect(wnd, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

bool clickFirstMenuItem(HWND wnd, const std::vector<std::wstring>& bar, size_t index) {
    // Another process's menu cannot be measured: each bar item is its text
    // in the menu font plus 12 pixels, half of them on each side.
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    HFONT font = CreateFontIndirectW(&ncm.lfMenuFont);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    POINT at{0, -GetSystemMetrics(SM_CYMENU) / 2};
    for (size_t i = 0; i <= index; ++i) {
        RECT r{};
        DrawTextW(dc, bar[i].c_str(), -1, &r, DT_SINGLELINE | DT_CALCRECT);
        at.x += i < index ? r.right + 12 : (r.right + 12) / 2;
    }
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    ClientToScreen(wnd, &at);
    clickAt(at);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    HWND menu = waitMenu(pid);
    RECT r;
    if (!menu || !GetWindowRect(menu, &r)) return false;
    clickAt(POINT{r.left + 20, r.top + 3 + GetSystemMetrics(SM_CYMENU) / 2});
    return true;
}

POINT closeBoxPoint(HWND wnd) {
    RECT r;
    GetWindowRect(wnd, &r);
    const int y = r.top + GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
    int right = 0, left = 0;
    for (int x = r.right - 1; x > r.right - 80 && (!right || left == x + 1); --x) {
        DWORD_PTR hit = 0;
        SendMessageTimeoutW(wnd, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, kSendMs, &hit);
        if (hit == HTCLOSE) left = x, right = right ? right : x;
    }
    return right ? POINT{(left + right) / 2, y} : POINT{0, 0};
}

HWND focusWindow(HWND wnd) {
    GUITHREADINFO gi{};
    gi.cbSize = sizeof gi;
    return GetGUIThreadInfo(GetWindowThreadProcessId(wnd, nullptr), &gi) ? gi.hwndFocus : nullptr;
}

int focusId(HWND dlg) {
    HWND f = focusWindow(dlg), parent = f ? GetParent(f) : nullptr;
    if (parent && parent != dlg && className(parent) == "ComboBox") f = parent;
    return f ? GetDlgCtrlID(f) : 0;
}

bool tabTo(HWND dlg, int id) {
    for (int i = 0; i < 12 && focusId(dlg) != id; ++i) {
        pressKey(VK_TAB);
        waitUntil([&] { return focusId(dlg) == id; }, 200);
    }
    return focusId(dlg) == id;
}

Image paintedImage(int width, int height, const std::function<void(HDC)>& paint) {
    Image img{width, height, {}};
    BITMAPINFO bi{{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    HDC mem = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    paint(mem);
    GdiFlush();
    const auto* p = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < size_t(width) * height; ++i) img.px.push_back(p[i] & 0xFFFFFF);
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    return img;
}

Image captureScreen(const RECT& r) {
    if (r.right <= r.left || r.bottom <= r.top) return Image{};
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

void ProgramTest::SetUp() {
    const std::string exe = envPath("ORBELA_EXE");
    std::string cmd = "\"" + exe + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        << "cannot start \"" << exe << "\" (ORBELA_EXE), error " << GetLastError();
    CloseHandle(pi.hThread);
    process = pi.hProcess;
    pid = pi.dwProcessId;
    ASSERT_TRUE(waitUntil([&] {
        for (HWND wnd : topWindows(pid))
            if (IsWindowVisible(wnd) && className(wnd) == "#32770" && text(wnd) == "ORBELA_XB") return (main = wnd);
        return HWND(nullptr);
    }, kAppearMs)) << "no window \"ORBELA_XB\" within " << kAppearMs << " ms";
}

void ProgramTest::TearDown() {
    if (!process) return;
    if (WaitForSingleObject(process, 0) != WAIT_OBJECT_0) {
        TerminateProcess(process, 99);
        WaitForSingleObject(process, kAppearMs);
    }
    CloseHandle(process);
}
