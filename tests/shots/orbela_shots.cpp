// Starts ORBELA.exe, saves pictures of its main window and of its About
// box, and closes it through its exit question, as a user would.
//
//   orbela_shots <path of ORBELA.exe> <folder for the pictures>
//
// Exits with the program's own exit code, or 2 when something did not
// appear in time.

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "resource.h"

namespace {

const DWORD kAppearMs = 5000;
const DWORD kPollMs = 10;

struct WindowQuery {
    DWORD pid;
    HWND owner;
    const wchar_t* caption;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM lParam)
{
    auto* q = reinterpret_cast<WindowQuery*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[64] = L"", text[128] = L"";
    GetClassNameW(hwnd, cls, 64);
    GetWindowTextW(hwnd, text, 128);
    if (pid == q->pid && IsWindowVisible(hwnd) && wcscmp(cls, L"#32770") == 0 &&
        GetWindow(hwnd, GW_OWNER) == q->owner && wcscmp(text, q->caption) == 0) {
        q->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForWindow(DWORD pid, HWND owner, const wchar_t* caption)
{
    for (DWORD waited = 0; waited < kAppearMs; waited += kPollMs) {
        WindowQuery q = {pid, owner, caption, nullptr};
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&q));
        if (q.found != nullptr)
            return q.found;
        Sleep(kPollMs);
    }
    return nullptr;
}

// Lets the program finish painting before the screen is read.
void Settle(HWND hwnd)
{
    DWORD_PTR ignored;
    SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_BLOCK, 2000, &ignored);
    Sleep(300);
    SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_BLOCK, 2000, &ignored);
}

bool SaveWindowBitmap(HWND hwnd, const std::string& path)
{
    RECT rc;
    GetWindowRect(hwnd, &rc);
    const int width = rc.right - rc.left, height = rc.bottom - rc.top;
    const int stride = (width * 3 + 3) & ~3;

    BITMAPINFOHEADER bih = {};
    bih.biSize = sizeof bih;
    bih.biWidth = width;
    bih.biHeight = height;
    bih.biPlanes = 1;
    bih.biBitCount = 24;
    bih.biCompression = BI_RGB;
    bih.biSizeImage = stride * height;

    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&bih), DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, width, height, screen, rc.left, rc.top, SRCCOPY);
    GdiFlush();

    BITMAPFILEHEADER bfh = {};
    bfh.bfType = 0x4D42;
    bfh.bfOffBits = sizeof bfh + sizeof bih;
    bfh.bfSize = bfh.bfOffBits + bih.biSizeImage;
    bool ok = false;
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        ok = std::fwrite(&bfh, sizeof bfh, 1, f) == 1 && std::fwrite(&bih, sizeof bih, 1, f) == 1 &&
             std::fwrite(bits, bih.biSizeImage, 1, f) == 1;
        ok = std::fclose(f) == 0 && ok;
    }

    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return ok;
}

int Fail(const char* what, PROCESS_INFORMATION& pi)
{
    std::fprintf(stderr, "orbela_shots: %s\n", what);
    TerminateProcess(pi.hProcess, 3);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: orbela_shots ORBELA.exe folder\n");
        return 2;
    }
    const std::string folder = argv[2];

    std::string cmd = std::string("\"") + argv[1] + "\"";
    std::vector<char> cmdline(cmd.begin(), cmd.end());
    cmdline.push_back('\0');
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, cmdline.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::fprintf(stderr, "orbela_shots: cannot start %s\n", argv[1]);
        return 2;
    }

    HWND main = WaitForWindow(pi.dwProcessId, nullptr, L"ORBELA_XB");
    if (main == nullptr)
        return Fail("the main window did not appear", pi);
    SetForegroundWindow(main);
    Settle(main);
    if (!SaveWindowBitmap(main, folder + "/main.bmp"))
        return Fail("cannot save main.bmp", pi);

    PostMessageW(main, WM_COMMAND, IDM_ABOUT, 0);
    HWND about = WaitForWindow(pi.dwProcessId, main, L"About");
    if (about == nullptr)
        return Fail("the About box did not appear", pi);
    Settle(about);
    if (!SaveWindowBitmap(about, folder + "/about.bmp"))
        return Fail("cannot save about.bmp", pi);
    PostMessageW(about, WM_COMMAND, IDOK, 0);

    PostMessageW(main, WM_COMMAND, IDCANCEL, 0);
    HWND question = WaitForWindow(pi.dwProcessId, main, L"ORBELA_XB 1.0.0");
    if (question == nullptr)
        return Fail("the exit question did not appear", pi);
    PostMessageW(GetDlgItem(question, IDYES), BM_CLICK, 0, 0);

    if (WaitForSingleObject(pi.hProcess, kAppearMs) != WAIT_OBJECT_0)
        return Fail("the program did not end after Yes", pi);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}
