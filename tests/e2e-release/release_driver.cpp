#include "release_driver.h"

#include <cstring>

#include "texts.h"

std::string framed(const std::string& head, const std::string& fill, const std::string& tail,
                   size_t n) {
    return head + texts::repeated(fill, n - head.size() - tail.size()) + tail;
}

bool setText(HWND wnd, const std::string& cp1250, DWORD ms) {
    std::wstring w = fromCp1250(cp1250);
    DWORD_PTR r = 0;
    return SendMessageTimeoutW(wnd, WM_SETTEXT, 0, LPARAM(w.c_str()), SMTO_NORMAL, ms, &r) && r == TRUE;
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
        w = fromCp1250(cp1250);
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
