#include "about_driver.h"

#include <psapi.h>
#include <winternl.h>

#include <cstdint>
#include <cstring>

#include "driver.h"

namespace {

bool setValue(HKEY key, const char* name, const std::string& value) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          DWORD(value.size() + 1)) == ERROR_SUCCESS;
}

std::string readAll(const std::string& path) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return {};
    std::string text;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got) text.append(buf, got);
    CloseHandle(f);
    return text;
}

// The width in pixels of a menu item's text as the menu bar draws it:
// the menu font, the '&' not counted.
int menuTextWidth(HDC dc, const std::wstring& title) {
    RECT r{0, 0, 0, 0};
    DrawTextW(dc, title.c_str(), -1, &r, DT_SINGLELINE | DT_CALCRECT);
    return r.right - r.left;
}

// One entry of the GDI handle table, which the process's PEB points to
// (Wine keeps it in the process itself, as Windows maps it there).
struct HandleEntry {
    uint64_t object;
    uint32_t owner;
    uint16_t unique;
    uint8_t type;
    uint8_t flags;
    uint64_t user;
};
static_assert(sizeof(HandleEntry) == 24, "handle table entry");
constexpr size_t kHandleEntries = 0x10000;
constexpr uint8_t kFontType = 0x0a;
constexpr uint16_t kStockFlag = 0x80;
constexpr size_t kPebGdiTable = 0xF8;  // 64-bit PEB

std::string kindName(int extType) {
    switch (extType) {
    case 0x01: return "DC";
    case 0x41: return "memory DC";
    case 0x04: return "region";
    case 0x08: return "palette";
    case 0x09: return "bitmap";
    case 0x0a: return "font";
    case 0x10: return "brush";
    case 0x30: return "pen";
    case 0x50: return "extended pen";
    }
    return "type " + std::to_string(extType);
}

}  // namespace

std::string registerRecorder(const std::string& recorder, const std::string& log) {
    if (GetFileAttributesA(recorder.c_str()) == INVALID_FILE_ATTRIBUTES)
        return "no recorder at " + recorder;
    DeleteFileA(log.c_str());
    const std::string command = "\"" + recorder + "\" \"" + log + "\" \"%1\"";
    for (const char* protocol : {"http", "https", "mailto"}) {
        std::string base = std::string("Software\\Classes\\") + protocol;
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, base.c_str());
        HKEY key = nullptr, open = nullptr;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, base.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr) != ERROR_SUCCESS)
            return "cannot create HKLM\\" + base;
        bool ok = setValue(key, nullptr, std::string("URL:") + protocol) &&
                  setValue(key, "URL Protocol", "") &&
                  RegCreateKeyExA(key, "shell\\open\\command", 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &open, nullptr) == ERROR_SUCCESS &&
                  setValue(open, nullptr, command);
        if (open) RegCloseKey(open);
        RegCloseKey(key);
        if (!ok) return "cannot write the handler of " + std::string(protocol);
    }
    return {};
}

std::vector<std::string> logLines(const std::string& log) {
    std::vector<std::string> lines;
    std::string text = readAll(log);
    size_t start = 0;
    for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
        lines.push_back(text.substr(start, nl - start));
    return lines;
}

std::vector<std::string> waitLogLines(const std::string& log, size_t count, DWORD ms) {
    std::vector<std::string> lines;
    waitUntil([&] { return (lines = logLines(log)).size() >= count; }, ms);
    return lines;
}

POINT menuBarItemPoint(HWND wnd, const std::vector<std::wstring>& titles, size_t index) {
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    HFONT font = CreateFontIndirectW(&ncm.lfMenuFont);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    // Each bar item is its text plus 12 pixels, half of that on each side.
    const int space = 12;
    int x = 0;
    for (size_t i = 0; i < index; ++i) x += menuTextWidth(dc, titles[i]) + space;
    x += (menuTextWidth(dc, titles[index]) + space) / 2;
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);

    RECT client;
    GetClientRect(wnd, &client);
    MapWindowPoints(wnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return POINT{client.left + x, client.top - GetSystemMetrics(SM_CYMENU) / 2};
}

POINT closeBoxPoint(HWND wnd) {
    RECT r;
    GetWindowRect(wnd, &r);
    int y = r.top + GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
    int right = 0, left = 0;
    for (int x = r.right - 1; x > r.right - 80; --x) {
        DWORD_PTR hit = 0;
        SendMessageTimeoutW(wnd, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, 2000, &hit);
        if (hit == HTCLOSE) {
            if (!right) right = x;
            left = x;
        } else if (right) {
            break;
        }
    }
    if (!right) return POINT{0, 0};
    return POINT{(left + right) / 2, y};
}

GdiCount gdiObjects(HANDLE process) {
    GdiCount count;
    PROCESS_BASIC_INFORMATION info{};
    ULONG got = 0;
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &info, sizeof info, &got) != 0)
        return count;
    uint64_t table = 0;
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, reinterpret_cast<const char*>(info.PebBaseAddress) + kPebGdiTable,
                           &table, sizeof table, &read) || !table)
        return count;
    std::vector<HandleEntry> entries(kHandleEntries);
    if (!ReadProcessMemory(process, reinterpret_cast<const void*>(table), entries.data(),
                           entries.size() * sizeof(HandleEntry), &read))
        return count;
    count.total = count.fonts = 0;
    long kinds[128] = {};
    for (const HandleEntry& e : entries) {
        if (!e.type || (e.unique & kStockFlag)) continue;
        ++count.total;
        ++kinds[e.unique & 0x7f];
        if (e.type == kFontType) ++count.fonts;
    }
    for (int k = 0; k < 128; ++k) {
        if (!kinds[k]) continue;
        if (!count.kinds.empty()) count.kinds += ", ";
        count.kinds += kindName(k) + " " + std::to_string(kinds[k]);
    }
    return count;
}

Usage usageOf(HANDLE process) {
    Usage u;
    u.gdi = GetGuiResources(process, GR_GDIOBJECTS);
    u.user = GetGuiResources(process, GR_USEROBJECTS);
    u.table = gdiObjects(process);
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof pmc;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc)) {
        u.privateBytes = pmc.PrivateUsage;
        u.pagefile = pmc.PagefileUsage;
        u.workingSet = pmc.WorkingSetSize;
    }
    return u;
}
