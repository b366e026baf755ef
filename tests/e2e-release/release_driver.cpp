#include "release_driver.h"

#include <psapi.h>
#include <winternl.h>

#include <cstring>
#include <vector>

namespace {

std::wstring widen1250(const std::string& s) {
    if (s.empty()) return {};
    int n = MultiByteToWideChar(1250, 0, s.data(), int(s.size()), nullptr, 0);
    std::wstring w(size_t(n), L'\0');
    MultiByteToWideChar(1250, 0, s.data(), int(s.size()), w.data(), n);
    return w;
}

BOOL CALLBACK countChild(HWND, LPARAM lp) {
    ++*reinterpret_cast<long*>(lp);
    return TRUE;
}

struct CountTop {
    DWORD pid;
    long count;
};

BOOL CALLBACK countTop(HWND wnd, LPARAM lp) {
    auto* c = reinterpret_cast<CountTop*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (pid != c->pid) return TRUE;
    ++c->count;
    EnumChildWindows(wnd, countChild, LPARAM(&c->count));
    return TRUE;
}

// Wine keeps one GDI handle table per process, 0x10000 entries of 24
// bytes, and points the PEB's GdiSharedHandleTable at it. An entry is in
// use while its type byte (offset 14) is not zero.
constexpr size_t kGdiEntries = 0x10000;
constexpr size_t kGdiEntrySize = 24;
constexpr size_t kGdiTypeOffset = 14;
constexpr size_t kPebGdiTableOffset = 0xF8;  // 64-bit PEB

}  // namespace

std::string cycle(const std::string& unit, size_t n) {
    std::string s;
    s.reserve(n);
    while (s.size() < n) s.append(unit, 0, n - s.size());
    return s;
}

std::string highBytes(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = char(0x80 + i % 0x80);
    return s;
}

std::string framed(const std::string& head, const std::string& fill, const std::string& tail,
                   size_t n) {
    return head + cycle(fill, n - head.size() - tail.size()) + tail;
}

bool setText(HWND wnd, const std::string& cp1250, DWORD ms) {
    std::wstring w = widen1250(cp1250);
    DWORD_PTR r = 0;
    return SendMessageTimeoutW(wnd, WM_SETTEXT, 0, LPARAM(w.c_str()), SMTO_NORMAL, ms, &r) && r == TRUE;
}

std::string longText(HWND wnd, DWORD ms) {
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutW(wnd, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, ms, &len)) return "<no answer>";
    std::wstring w(len + 1, L'\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(wnd, WM_GETTEXT, w.size(), LPARAM(w.data()), SMTO_NORMAL, ms, &got))
        return "<no answer>";
    w.resize(got);
    if (w.empty()) return {};
    int n = WideCharToMultiByte(1250, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(size_t(n), '\0');
    WideCharToMultiByte(1250, 0, w.data(), int(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

bool finishDrawing(HWND wnd, DWORD ms) {
    DWORD_PTR r = 0;
    return SendMessageTimeoutW(wnd, WM_PAINT, 0, 0, SMTO_NORMAL, ms, &r) != 0;
}

size_t textLength(HWND wnd, DWORD ms) {
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutW(wnd, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, ms, &len)) return SIZE_MAX;
    return size_t(len);
}

bool putOnClipboard(const std::string& cp1250, UINT format) {
    std::wstring w;
    const void* data = cp1250.c_str();
    size_t bytes = cp1250.size() + 1;
    if (format == CF_UNICODETEXT) {
        w = widen1250(cp1250);
        data = w.c_str();
        bytes = (w.size() + 1) * sizeof(wchar_t);
    }
    bool opened = waitUntil([] { return OpenClipboard(nullptr) != FALSE; }, kChangeMs);
    if (!opened) return false;
    bool ok = false;
    if (EmptyClipboard()) {
        HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes);
        if (h) {
            std::memcpy(GlobalLock(h), data, bytes);
            GlobalUnlock(h);
            ok = SetClipboardData(format, h) != nullptr;
            if (!ok) GlobalFree(h);
        }
    }
    CloseClipboard();
    return ok;
}

bool alive(const Program& p) {
    return p.process && WaitForSingleObject(p.process, 0) == WAIT_TIMEOUT;
}

bool responds(HWND wnd, DWORD ms) {
    DWORD_PTR r = 0;
    return SendMessageTimeoutW(wnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, ms, &r) != 0;
}

long gdiHandleTableCount(HANDLE process) {
    PROCESS_BASIC_INFORMATION pbi{};
    ULONG got = 0;
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &pbi, sizeof pbi, &got) != 0 ||
        !pbi.PebBaseAddress)
        return -1;
    UINT64 table = 0;
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, reinterpret_cast<const char*>(pbi.PebBaseAddress) + kPebGdiTableOffset,
                           &table, sizeof table, &read) ||
        !table)
        return -1;
    std::vector<unsigned char> entries(kGdiEntries * kGdiEntrySize);
    if (!ReadProcessMemory(process, reinterpret_cast<const void*>(table), entries.data(),
                           entries.size(), &read) ||
        read != entries.size())
        return -1;
    long used = 0;
    for (size_t at = kGdiTypeOffset; at < entries.size(); at += kGdiEntrySize)
        if (entries[at]) ++used;
    return used;
}

Figures measure(const Program& p) {
    Figures f;
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof pmc;
    if (GetProcessMemoryInfo(p.process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc)) {
        f.privateBytes = pmc.PrivateUsage;
        f.pagefileBytes = pmc.PagefileUsage;
        f.workingSetBytes = pmc.WorkingSetSize;
    }
    f.gdiObjects = long(GetGuiResources(p.process, GR_GDIOBJECTS));
    f.userObjects = long(GetGuiResources(p.process, GR_USEROBJECTS));
    f.gdiHandles = gdiHandleTableCount(p.process);
    CountTop c{p.pid, 0};
    EnumWindows(countTop, LPARAM(&c));
    f.windows = c.count;
    return f;
}
