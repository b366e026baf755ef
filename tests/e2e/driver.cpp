#include "driver.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr UINT kSendMs = 2000;

std::string narrow(const std::wstring& w, UINT cp) {
    if (w.empty()) return {};
    int n = WideCharToMultiByte(cp, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(size_t(n), '\0');
    WideCharToMultiByte(cp, 0, w.data(), int(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

std::wstring widen(const std::string& s, UINT cp) {
    if (s.empty()) return {};
    int n = MultiByteToWideChar(cp, 0, s.data(), int(s.size()), nullptr, 0);
    std::wstring w(size_t(n), L'\0');
    MultiByteToWideChar(cp, 0, s.data(), int(s.size()), w.data(), n);
    return w;
}

// The window's text; "<no answer>" when it does not answer within `ms`.
std::wstring windowTextW(HWND wnd, UINT flags, DWORD ms) {
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutW(wnd, WM_GETTEXTLENGTH, 0, 0, flags, ms, &len)) return L"<no answer>";
    std::wstring buf(len + 1, L'\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(wnd, WM_GETTEXT, buf.size(), LPARAM(buf.data()), flags, ms, &got)) return L"<no answer>";
    buf.resize(got);
    return buf;
}

BOOL CALLBACK addWindow(HWND wnd, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(wnd);
    return TRUE;
}

// Every top-level window, topmost first.
std::vector<HWND> topWindows() {
    std::vector<HWND> all;
    EnumWindows(addWindow, LPARAM(&all));
    return all;
}

bool extendedKey(WORD vk) {
    return (vk >= VK_PRIOR && vk <= VK_DOWN) || vk == VK_INSERT || vk == VK_DELETE;
}

INPUT keyInput(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = WORD(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (extendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
    return in;
}

// Lets the target's thread take in what was sent before the next step.
void settle(HWND wnd) {
    DWORD_PTR r;
    if (wnd) SendMessageTimeoutW(wnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kSendMs, &r);
    Sleep(20);
}

}  // namespace

std::string envPath(const char* name) {
    const char* v = std::getenv(name);
    if (!v || !*v) return {};
    std::string p = v;
    if (p[0] == '/') p = "Z:" + p;
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}

std::string startProgram(Program& p, const std::string& exe, const char* caption) {
    if (exe.empty()) return "no program path given";
    if (GetFileAttributesA(exe.c_str()) == INVALID_FILE_ATTRIBUTES) return "not found: " + exe;
    std::string cmd = "\"" + exe + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return "CreateProcess failed, error " + std::to_string(GetLastError());
    CloseHandle(pi.hThread);
    p.process = pi.hProcess;
    p.pid = pi.dwProcessId;
    WaitForInputIdle(p.process, kAppearMs);
    waitUntil([&] { return (p.main = findTopWindow(p.pid, "#32770", caption)) != nullptr; }, kAppearMs);
    if (!p.main) return std::string("no window \"") + caption + "\" within 5 s";
    return {};
}

void stopProgram(Program& p) {
    if (p.process) {
        if (WaitForSingleObject(p.process, 0) != WAIT_OBJECT_0) {
            TerminateProcess(p.process, 99);
            WaitForSingleObject(p.process, kAppearMs);
        }
        CloseHandle(p.process);
    }
    p = Program{};
}

std::vector<HWND> processWindows(DWORD pid) {
    std::vector<HWND> found;
    for (HWND wnd : topWindows()) {
        DWORD owner = 0;
        GetWindowThreadProcessId(wnd, &owner);
        if (owner == pid) found.push_back(wnd);
    }
    return found;
}

HWND findTopWindow(DWORD pid, const char* cls, const char* caption) {
    for (HWND wnd : processWindows(pid))
        if (IsWindowVisible(wnd) && className(wnd) == cls && (!caption || windowText(wnd) == caption)) return wnd;
    return nullptr;
}

std::vector<HWND> ownedDialogs(HWND owner) {
    std::vector<HWND> found;
    for (HWND wnd : topWindows())
        if (GetWindow(wnd, GW_OWNER) == owner && IsWindowVisible(wnd) && className(wnd) == "#32770")
            found.push_back(wnd);
    return found;
}

HWND ownedDialog(HWND owner) {
    std::vector<HWND> boxes = ownedDialogs(owner);
    return boxes.empty() ? nullptr : boxes[0];
}

HWND waitOwnedDialog(HWND owner, DWORD ms) {
    HWND box = nullptr;
    waitUntil([&] { return (box = ownedDialog(owner)) != nullptr; }, ms);
    return box;
}

bool waitGone(HWND wnd, DWORD ms) {
    return waitUntil([&] { return !IsWindow(wnd) || !IsWindowVisible(wnd); }, ms);
}

std::string toCp1250(const std::wstring& text) { return narrow(text, 1250); }

std::wstring fromCp1250(const std::string& cp1250) { return widen(cp1250, 1250); }

std::string windowText(HWND wnd) { return toCp1250(windowTextW(wnd, SMTO_ABORTIFHUNG, kSendMs)); }

std::string longText(HWND wnd, DWORD ms) { return toCp1250(windowTextW(wnd, SMTO_NORMAL, ms)); }

std::string itemText(HWND dlg, int id) {
    HWND item = GetDlgItem(dlg, id);
    return item ? windowText(item) : "<no control " + std::to_string(id) + ">";
}

std::vector<std::string> comboItems(HWND combo) {
    std::vector<std::string> items;
    DWORD_PTR count = 0, len = 0;
    SendMessageTimeoutW(combo, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, kSendMs, &count);
    for (DWORD_PTR i = 0; i < count && count != DWORD_PTR(CB_ERR); ++i) {
        wchar_t buf[256] = L"";
        if (SendMessageTimeoutW(combo, CB_GETLBTEXTLEN, i, 0, SMTO_ABORTIFHUNG, kSendMs, &len) &&
            len < 256)
            SendMessageTimeoutW(combo, CB_GETLBTEXT, i, LPARAM(buf), SMTO_ABORTIFHUNG, kSendMs, &len);
        items.push_back(toCp1250(buf));
    }
    return items;
}

std::string className(HWND wnd) {
    char buf[256] = "";
    GetClassNameA(wnd, buf, sizeof buf);
    return buf;
}

std::string shown(const std::string& cp1250) {
    std::string s = narrow(widen(cp1250, 1250), CP_UTF8), out;
    for (char c : s) {
        if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (c == '\t') out += "\\t";
        else out += c;
    }
    return out;
}

bool activate(HWND wnd) {
    DWORD tid = GetWindowThreadProcessId(wnd, nullptr);
    auto ready = [&] {
        GUITHREADINFO gi{};
        gi.cbSize = sizeof gi;
        if (!GetGUIThreadInfo(tid, &gi)) return false;
        return GetForegroundWindow() == wnd && gi.hwndActive == wnd && gi.hwndFocus &&
               (gi.hwndFocus == wnd || IsChild(wnd, gi.hwndFocus));
    };
    if (ready()) return true;
    for (int attempt = 0; attempt < 3; ++attempt) {
        SetForegroundWindow(GetDesktopWindow());
        SetForegroundWindow(wnd);
        settle(wnd);
        if (waitUntil(ready, 1000)) return true;
    }
    return false;
}

void pressKey(WORD vk, std::initializer_list<WORD> mods) {
    std::vector<INPUT> in;
    for (WORD m : mods) in.push_back(keyInput(m, false));
    in.push_back(keyInput(vk, false));
    in.push_back(keyInput(vk, true));
    for (auto m = mods.end(); m != mods.begin();) in.push_back(keyInput(*--m, true));
    SendInput(UINT(in.size()), in.data(), sizeof(INPUT));
    settle(GetForegroundWindow());
}

void typeText(const std::string& cp1250) {
    std::vector<INPUT> in;
    for (wchar_t c : widen(cp1250, 1250)) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wScan = WORD(c);
        i.ki.dwFlags = KEYEVENTF_UNICODE;
        in.push_back(i);
        i.ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        in.push_back(i);
    }
    SendInput(UINT(in.size()), in.data(), sizeof(INPUT));
    settle(GetForegroundWindow());
}

void clickAt(POINT pt) {
    // Every event carries the position: a button event without one lands
    // wherever a late pointer report from X has just put the cursor back.
    int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    INPUT in[3]{};
    const DWORD flags[3] = {0, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
    for (int i = 0; i < 3; ++i) {
        in[i].type = INPUT_MOUSE;
        in[i].mi.dx = LONG((pt.x * 65535LL + (cx - 1) / 2) / (cx - 1));
        in[i].mi.dy = LONG((pt.y * 65535LL + (cy - 1) / 2) / (cy - 1));
        in[i].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags[i];
    }
    SendInput(1, &in[0], sizeof(INPUT));
    waitUntil([&] {
        POINT cur;
        return GetCursorPos(&cur) && cur.x == pt.x && cur.y == pt.y;
    }, 500);
    Sleep(20);
    SendInput(1, &in[1], sizeof(INPUT));
    Sleep(20);
    SendInput(1, &in[2], sizeof(INPUT));
    settle(WindowFromPoint(pt));
}

POINT centreOf(HWND wnd) {
    RECT r;
    GetWindowRect(wnd, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void clickCentre(HWND wnd) { clickAt(centreOf(wnd)); }

HWND comboEdit(HWND combo) { return FindWindowExA(combo, nullptr, "Edit", nullptr); }

HWND focusWindow(HWND wnd) {
    GUITHREADINFO gi{};
    gi.cbSize = sizeof gi;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(wnd, nullptr), &gi)) return nullptr;
    return gi.hwndFocus;
}

int focusId(HWND wnd) {
    HWND f = focusWindow(wnd);
    if (!f) return 0;
    HWND parent = GetParent(f);
    if (parent && parent != wnd && className(parent) == "ComboBox") f = parent;
    return GetDlgCtrlID(f);
}

bool tabTo(HWND dlg, int id) {
    for (int i = 0; i < 12; ++i) {
        if (focusId(dlg) == id) return true;
        pressKey(VK_TAB);
        waitUntil([&] { return focusId(dlg) == id; }, 200);
    }
    return focusId(dlg) == id;
}

HWND waitMenu(DWORD pid, DWORD ms) {
    HWND menu = nullptr;
    waitUntil([&] { return (menu = findTopWindow(pid, "#32768", nullptr)) != nullptr; }, ms);
    return menu;
}

bool clickFirstMenuItem(HWND wnd, const std::vector<std::wstring>& titles, size_t index) {
    // Another process's menu cannot be measured: each bar item is its text
    // in the menu font plus 12 pixels, half of them on each side.
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    HFONT font = CreateFontIndirectW(&ncm.lfMenuFont);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    auto width = [&](size_t i) {
        RECT r{0, 0, 0, 0};
        DrawTextW(dc, titles[i].c_str(), -1, &r, DT_SINGLELINE | DT_CALCRECT);
        return r.right - r.left + 12;
    };
    int x = width(index) / 2;
    for (size_t i = 0; i < index; ++i) x += width(i);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);

    POINT bar{x, 0};
    ClientToScreen(wnd, &bar);
    clickAt(POINT{bar.x, bar.y - GetSystemMetrics(SM_CYMENU) / 2});
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    HWND menu = waitMenu(pid);
    if (!menu) return false;
    RECT r;
    GetWindowRect(menu, &r);
    clickAt(POINT{r.left + 20, r.top + 3 + GetSystemMetrics(SM_CYMENU) / 2});
    return true;
}

POINT closeBoxPoint(HWND wnd) {
    RECT r;
    GetWindowRect(wnd, &r);
    int y = r.top + GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
    int right = 0, left = 0;
    for (int x = r.right - 1; x > r.right - 80 && (!right || left == x + 1); --x) {
        DWORD_PTR hit = 0;
        SendMessageTimeoutW(wnd, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, kSendMs, &hit);
        if (hit == HTCLOSE) left = x, right = right ? right : x;
    }
    return right ? POINT{(left + right) / 2, y} : POINT{0, 0};
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
    img.px.assign(p, p + size_t(img.width) * img.height);
    for (uint32_t& v : img.px) v &= 0xFFFFFF;
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    return img;
}

Image captureScreen(const RECT& r) {
    int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return Image{};
    return paintedImage(width, height, [&](HDC mem) {
        HDC screen = GetDC(nullptr);
        BitBlt(mem, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
        ReleaseDC(nullptr, screen);
    });
}

bool saveScreenshot(HWND wnd, const std::string& path) {
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    settle(wnd);
    Sleep(100);
    RECT r;
    GetWindowRect(wnd, &r);
    Image img = captureScreen(r);

    int stride = (img.width * 3 + 3) & ~3;
    BITMAPINFOHEADER ih{sizeof ih, img.width, img.height, 1, 24, BI_RGB, DWORD(stride) * img.height, 0, 0, 0, 0};
    BITMAPFILEHEADER fh{0x4D42, 0, 0, 0, sizeof fh + sizeof ih};
    fh.bfSize = fh.bfOffBits + ih.biSizeImage;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::fwrite(&fh, sizeof fh, 1, f);
    std::fwrite(&ih, sizeof ih, 1, f);
    std::vector<unsigned char> row(size_t(stride), 0);
    for (int y = img.height - 1; y >= 0; --y) {
        for (int x = 0; x < img.width; ++x)
            for (int c = 0; c < 3; ++c) row[size_t(x) * 3 + c] = (img.at(x, y) >> (8 * c)) & 0xFF;
        std::fwrite(row.data(), 1, row.size(), f);
    }
    return std::fclose(f) == 0;
}

bool screenshot(HWND wnd, const char* name) {
    std::string dir = envPath("ORBELA_SCREENSHOTS");
    if (dir.empty()) return false;
    CreateDirectoryA(dir.c_str(), nullptr);
    return saveScreenshot(wnd, dir + "\\" + name + ".bmp");
}
