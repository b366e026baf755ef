#include "release_driver.h"

#include <psapi.h>
#include <winternl.h>

#include <vector>

namespace {

BOOL CALLBACK countChild(HWND, LPARAM lp) {
    ++*reinterpret_cast<long*>(lp);
    return TRUE;
}

}  // namespace

bool setText(HWND wnd, const std::string& cp1250, DWORD ms) {
    std::wstring w = fromCp1250(cp1250);
    DWORD_PTR r = 0;
    return SendMessageTimeoutW(wnd, WM_SETTEXT, 0, LPARAM(w.c_str()), SMTO_NORMAL, ms, &r) && r == TRUE;
}

bool answers(const Program& p) {
    DWORD_PTR r = 0;
    return p.process && WaitForSingleObject(p.process, 0) == WAIT_TIMEOUT &&
           SendMessageTimeoutW(p.main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kChangeMs, &r);
}

long gdiHandlesInUse(HANDLE process) {
    struct Entry {  // one entry of the table the 64-bit PEB points to at 0xF8
        uint64_t object;
        uint32_t owner;
        uint16_t unique;
        uint8_t type;  // 0: not in use
        uint8_t flags;
        uint64_t user;
    };
    static_assert(sizeof(Entry) == 24, "handle table entry");
    PROCESS_BASIC_INFORMATION info{};
    ULONG got = 0;
    uint64_t table = 0;
    SIZE_T read = 0;
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &info, sizeof info, &got) != 0 ||
        !info.PebBaseAddress ||
        !ReadProcessMemory(process, reinterpret_cast<const char*>(info.PebBaseAddress) + 0xF8, &table,
                           sizeof table, &read) ||
        !table)
        return -1;
    std::vector<Entry> entries(0x10000);
    const SIZE_T bytes = entries.size() * sizeof(Entry);
    if (!ReadProcessMemory(process, reinterpret_cast<const void*>(table), entries.data(), bytes, &read) ||
        read != bytes)
        return -1;
    long inUse = 0;
    for (const Entry& e : entries) inUse += e.type != 0;
    return inUse;
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
    f.gdiHandles = gdiHandlesInUse(p.process);
    for (HWND wnd : processWindows(p.pid)) {
        ++f.windows;
        EnumChildWindows(wnd, countChild, LPARAM(&f.windows));
    }
    return f;
}
