// Stand-in browser and mail program for the About box tests, registered as
// the handler of http, https and mailto and started as
//
//   about_recorder.exe LOG ADDRESS...
//
// Appends the address (the remaining arguments, space-separated, UTF-8) to
// LOG as one line. It opens no window, so it takes neither the focus nor
// the foreground from the program under test.
#include <windows.h>
#include <shellapi.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 3) return 2;
    std::wstring address = argv[2];
    for (int i = 3; i < argc; ++i) address += std::wstring(L" ") + argv[i];
    address += L"\n";
    std::string line(address.size() * 4, '\0');
    line.resize(size_t(WideCharToMultiByte(CP_UTF8, 0, address.data(), int(address.size()), line.data(),
                                           int(line.size()), nullptr, nullptr)));
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
    BOOL ok = WriteFile(log, line.data(), DWORD(line.size()), &written, nullptr);
    CloseHandle(log);
    return ok && written == line.size() ? 0 : 4;
}
