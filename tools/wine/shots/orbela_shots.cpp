// Starts ORBELA.exe, saves pictures of its main window, its About box and
// its message boxes, and closes it through its exit question.
//
//   orbela_shots <ORBELA.exe> <folder> [suffix]
//
// writes <folder>/main<suffix>.bmp, about<suffix>.bmp and one picture of
// each message box. Exits with the program's own exit code, or 2 when
// something did not appear in time.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "resource.h"

namespace {

struct Search {
    DWORD pid;
    HWND owner;  // null: a top-level window of the process
    HWND found;
};

BOOL CALLBACK Match(HWND hwnd, LPARAM lParam)
{
    auto* s = reinterpret_cast<Search*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char cls[16] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    if (pid != s->pid || !IsWindowVisible(hwnd) || lstrcmpA(cls, "#32770") != 0 ||
        GetWindow(hwnd, GW_OWNER) != s->owner)
        return TRUE;
    s->found = hwnd;
    return FALSE;
}

// The process's visible dialog owned by `owner`, waiting up to 30 s.
HWND WaitDialog(DWORD pid, HWND owner)
{
    Search s = {pid, owner, nullptr};
    for (int i = 0; i < 3000 && s.found == nullptr; ++i) {
        Sleep(10);
        EnumWindows(Match, reinterpret_cast<LPARAM>(&s));
    }
    return s.found;
}

// What the screen shows of `hwnd`, freshly painted, as a 24-bit BMP file.
bool SaveWindow(HWND hwnd, const std::string& path)
{
    SetForegroundWindow(hwnd);
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(300);
    RECT r;
    GetWindowRect(hwnd, &r);
    const LONG width = r.right - r.left, height = r.bottom - r.top, stride = (width * 3 + 3) & ~3;
    BITMAPINFOHEADER ih = {sizeof ih, width, height, 1, 24, BI_RGB, DWORD(stride * height), 0, 0, 0, 0};
    BITMAPFILEHEADER fh = {0x4D42, DWORD(sizeof fh + sizeof ih + ih.biSizeImage), 0, 0, sizeof fh + sizeof ih};
    std::vector<BYTE> pixels(ih.biSizeImage);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(mem, bitmap);
    BitBlt(mem, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    SelectObject(mem, old);
    GetDIBits(mem, bitmap, 0, UINT(height), pixels.data(), reinterpret_cast<BITMAPINFO*>(&ih), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    std::fwrite(&fh, sizeof fh, 1, f);
    std::fwrite(&ih, sizeof ih, 1, f);
    std::fwrite(pixels.data(), 1, pixels.size(), f);
    return std::fclose(f) == 0;
}

// Pictures of the main window and of every box it opens, each closed
// again by its button; then Yes to the exit question. Null when all went
// well, else what failed.
const char* TakePictures(DWORD pid, const std::string& prefix, const std::string& suffix)
{
    struct Shot {
        WORD command;  // what opens the box (IDOK with empty fields: the input error)
        const char* name;
        int button;    // what closes it
    };
    const Shot shots[] = {
        {IDM_ABOUT, "about", IDOK},          {IDOK, "error", IDOK},
        {IDC_DEF1, "definition1", IDOK},     {IDC_DEF2, "definition2", IDOK},
        {IDC_DEF3, "definition3", IDOK},     {IDM_HELP, "usage", IDOK},
        {IDCANCEL, "exit-question", IDNO},
    };
    HWND main = WaitDialog(pid, nullptr);
    if (main == nullptr || !SaveWindow(main, prefix + "main" + suffix + ".bmp"))
        return "the main window";
    for (const Shot& shot : shots) {
        PostMessageA(main, WM_COMMAND, shot.command, 0);
        HWND box = WaitDialog(pid, main);
        if (box == nullptr || !SaveWindow(box, prefix + shot.name + suffix + ".bmp"))
            return shot.name;
        PostMessageA(GetDlgItem(box, shot.button), BM_CLICK, 0, 0);
        for (int i = 0; i < 3000 && IsWindowVisible(box); ++i)
            Sleep(10);
    }
    PostMessageA(main, WM_COMMAND, IDCANCEL, 0);
    HWND question = WaitDialog(pid, main);
    if (question == nullptr)
        return "the exit question";
    PostMessageA(GetDlgItem(question, IDYES), BM_CLICK, 0, 0);
    return nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: orbela_shots ORBELA.exe folder [suffix]\n");
        return 2;
    }
    std::string cmd = std::string("\"") + argv[1] + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(argv[1], cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::fprintf(stderr, "orbela_shots: cannot start %s\n", argv[1]);
        return 2;
    }
    const char* missing = TakePictures(pi.dwProcessId, std::string(argv[2]) + "\\", argc > 3 ? argv[3] : "");
    if (missing != nullptr)
        std::fprintf(stderr, "orbela_shots: no picture of %s\n", missing);
    else if (WaitForSingleObject(pi.hProcess, 30000) != WAIT_OBJECT_0)
        std::fprintf(stderr, "orbela_shots: the program did not end after Yes\n");
    DWORD code = 2;
    if (missing != nullptr || WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 2);
    } else {
        GetExitCodeProcess(pi.hProcess, &code);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}
