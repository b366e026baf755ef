#include "figures.h"

#include <psapi.h>
#include <winternl.h>

#include <vector>

namespace {

// One entry of the GDI handle table, which the process's PEB points to
// (Wine keeps it in the process itself, as Windows maps it there).
struct HandleEntry {
    uint64_t object;
    uint32_t owner;
    uint16_t unique;
    uint8_t type;  // 0: entry not in use
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

BOOL CALLBACK countChild(HWND, LPARAM lp) {
    ++*reinterpret_cast<long*>(lp);
    return TRUE;
}

}  // namespace

GdiTable gdiTable(HANDLE process) {
    GdiTable t;
    PROCESS_BASIC_INFORMATION info{};
    ULONG got = 0;
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &info, sizeof info, &got) != 0 ||
        !info.PebBaseAddress)
        return t;
    uint64_t table = 0;
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, reinterpret_cast<const char*>(info.PebBaseAddress) + kPebGdiTable,
                           &table, sizeof table, &read) ||
        !table)
        return t;
    std::vector<HandleEntry> entries(kHandleEntries);
    const SIZE_T bytes = entries.size() * sizeof(HandleEntry);
    if (!ReadProcessMemory(process, reinterpret_cast<const void*>(table), entries.data(), bytes,
                           &read) ||
        read != bytes)
        return t;
    t.inUse = t.own = t.fonts = 0;
    long kinds[128] = {};
    for (const HandleEntry& e : entries) {
        if (!e.type) continue;
        ++t.inUse;
        if (e.unique & kStockFlag) continue;
        ++t.own;
        ++kinds[e.unique & 0x7f];
        if (e.type == kFontType) ++t.fonts;
    }
    for (int k = 0; k < 128; ++k) {
        if (!kinds[k]) continue;
        if (!t.kinds.empty()) t.kinds += ", ";
        t.kinds += kindName(k) + " " + std::to_string(kinds[k]);
    }
    return t;
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
    f.gdi = gdiTable(p.process);
    for (HWND wnd : processWindows(p.pid)) {
        ++f.windows;
        EnumChildWindows(wnd, countChild, LPARAM(&f.windows));
    }
    return f;
}
