// What the release checks need beyond the common driver: texts set
// straight into a control, whether the program still answers, and its
// resource figures.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "driver.h"

// Sets the window's text, waiting up to `ms`: a long text keeps an edit
// control busy for seconds, and SMTO_ABORTIFHUNG would give up after 5.
bool setText(HWND wnd, const std::string& cp1250, DWORD ms);
// The process still runs and its main window answers.
bool answers(const Program& p);

// GetGuiResources reads 0 where the system does not report it (Wine);
// there the process's GDI handle table, which Wine keeps in the process
// as Windows maps it there, stands in.
struct Figures {
    uint64_t privateBytes = 0;     // PROCESS_MEMORY_COUNTERS_EX::PrivateUsage
    uint64_t pagefileBytes = 0;    // PagefileUsage
    uint64_t workingSetBytes = 0;  // WorkingSetSize
    long gdiObjects = 0;           // GetGuiResources(GR_GDIOBJECTS)
    long userObjects = 0;          // GetGuiResources(GR_USEROBJECTS)
    long gdiHandles = -1;          // entries in use in the GDI handle table; -1: unreadable
    long windows = 0;              // top-level and child
};
Figures measure(const Program& p);
long gdiHandlesInUse(HANDLE process);
