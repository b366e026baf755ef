// Stand-in browser and mail program for the About box tests, registered as
// the handler of http and mailto and started as
//
//   about_recorder.exe LOG ADDRESS
//
// Appends the address (UTF-8) to LOG as one line, with how it was asked to
// show itself: the show command of its start-up information, or "default".
// It opens no window, so it takes neither the focus nor the foreground from
// the program under test.
#include <windows.h>
#include <shellapi.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 3) return 2;
    STARTUPINFOW si{};
    GetStartupInfoW(&si);
    const std::wstring show = si.dwFlags & STARTF_USESHOWWINDOW ? std::to_wstring(si.wShowWindow) : L"default";
    char line[4096];
    const int length = WideCharToMultiByte(CP_UTF8, 0, (std::wstring(argv[2]) + L" " + show + L"\n").c_str(), -1, line,
                                           sizeof line, nullptr, nullptr) - 1;
    // Two starts may overlap: retry while the other one holds the file.
    HANDLE log = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 200 && log == INVALID_HANDLE_VALUE; ++attempt) {
        log = CreateFileW(argv[1], FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                          nullptr);
        if (log == INVALID_HANDLE_VALUE) Sleep(10);
    }
    LocalFree(argv);
    if (log == INVALID_HANDLE_VALUE) return 3;
    DWORD written = 0;
    const BOOL ok = WriteFile(log, line, DWORD(length), &written, nullptr) && written == DWORD(length);
    CloseHandle(log);
    return ok ? 0 : 4;
}
