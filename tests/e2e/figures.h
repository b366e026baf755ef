// The resource figures of a running program: memory, GDI and USER objects,
// windows. GetGuiResources reads 0 where the system does not report it
// (Wine); Wine's own GDI handle table and the window count stand in there.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "driver.h"

// The process's GDI handle table as Wine keeps it; -1 where it cannot be
// read.
struct GdiTable {
    long inUse = -1;    // entries in use, the stock objects included
    long own = -1;      // objects the process made (in use, not stock)
    long fonts = -1;    // fonts among them
    std::string kinds;  // "DC 4, region 12, ..."
};
GdiTable gdiTable(HANDLE process);

struct Figures {
    uint64_t privateBytes = 0;     // PROCESS_MEMORY_COUNTERS_EX::PrivateUsage
    uint64_t pagefileBytes = 0;    // PagefileUsage
    uint64_t workingSetBytes = 0;  // WorkingSetSize
    long gdiObjects = 0;           // GetGuiResources(GR_GDIOBJECTS)
    long userObjects = 0;          // GetGuiResources(GR_USEROBJECTS)
    GdiTable gdi;
    long windows = 0;              // windows of the process, top-level and child
};
Figures measure(const Program& p);
